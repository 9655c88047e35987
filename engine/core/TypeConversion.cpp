#include "engine/core/TypeConversion.h"

#include "engine/core/Exception.h"
#include "engine/core/VelkLuaState.h"

#include <cstdint>
#include <string>

namespace {

std::vector<TypeConversion::TypeInfo>& Registered()
{
    static std::vector<TypeConversion::TypeInfo> list;
    return list;
}

std::vector<TypeConversion::TypeInfo>& Table()
{
    static std::vector<TypeConversion::TypeInfo> table;
    return table;
}

template <typename T>
const T& As(const void* p)
{
    return *static_cast<const T*>(p);
}

template <typename T>
T& As(void* p)
{
    return *static_cast<T*>(p);
}

void StoreBool(LuaObject& r, LuaState s, const void* n) { r.AssignBoolean(s, As<bool>(n)); }
void RetrieveBool(const LuaObject& o, void* n) { As<bool>(n) = ReadBooleanFromObject(o); }
void StoreDouble(LuaObject& r, LuaState s, const void* n) { r.AssignNumber(s, As<double>(n)); }
void RetrieveDouble(const LuaObject& o, void* n) { As<double>(n) = ReadNumberFromObject(o); }
void StoreFloat(LuaObject& r, LuaState s, const void* n) { r.AssignNumber(s, As<float>(n)); }
void RetrieveFloat(const LuaObject& o, void* n) { As<float>(n) = static_cast<float>(ReadNumberFromObject(o)); }
void StoreInt(LuaObject& r, LuaState s, const void* n) { r.AssignNumber(s, As<int32_t>(n)); }
void RetrieveInt(const LuaObject& o, void* n) { As<int32_t>(n) = ReadIntegerFromObject(o); }
void StoreString(LuaObject& r, LuaState s, const void* n) { r.AssignString(s, As<std::string>(n)); }
void RetrieveString(const LuaObject& o, void* n) { As<std::string>(n) = ReadStringFromObject(o); }
void StoreUInt8(LuaObject& r, LuaState s, const void* n) { r.AssignNumber(s, As<uint8_t>(n)); }
void RetrieveUInt8(const LuaObject& o, void* n) { As<uint8_t>(n) = static_cast<uint8_t>(ReadIntegerFromObject(o)); }
void StoreUInt32(LuaObject& r, LuaState s, const void* n) { r.AssignNumber(s, As<uint32_t>(n)); }
void RetrieveUInt32(const LuaObject& o, void* n) { As<uint32_t>(n) = static_cast<uint32_t>(ReadIntegerFromObject(o)); }

void StoreLuaObject(LuaObject& r, LuaState s, const void* n)
{
    // Handles are not tied to one thread, so the value is the same in any state.
    (void)s;
    r = As<LuaObject>(n);
}
void RetrieveLuaObject(const LuaObject& o, void* n) { As<LuaObject>(n) = o; }

const std::pair<MouseButtonBits, const char*> kMouseButtons[] = {
    {MOUSEBUTTON_LEFT, "LEFT"},         {MOUSEBUTTON_MIDDLE, "MIDDLE"},       {MOUSEBUTTON_RIGHT, "RIGHT"},
    {MOUSEBUTTON_WHEELUP, "WHEELUP"},   {MOUSEBUTTON_WHEELDOWN, "WHEELDOWN"},
};

void StoreMouseButtons(LuaObject& r, LuaState s, const void* n)
{
    MouseButtonSet set = As<MouseButtonSet>(n);
    r.AssignNewTable(s);
    int index = 1;
    for (const auto& [bit, name] : kMouseButtons)
        if (set & bit)
            r.SetString(index++, name);
}

void RetrieveMouseButtons(const LuaObject& o, void* n)
{
    MouseButtonSet set = 0;
    if (o.IsTable()) {
        int count = o.GetN();
        for (int i = 1; i <= count; ++i) {
            LuaObject element = o[i];
            if (!element.IsString())
                continue;
            std::string name = element.GetString();
            for (const auto& [bit, buttonName] : kMouseButtons)
                if (name == buttonName)
                    set |= bit;
        }
    }
    As<MouseButtonSet>(n) = set;
}

void StoreGridOrientation(LuaObject& r, LuaState s, const void* n)
{
    switch (As<GridOrientation>(n)) {
    case LeftToRight_TopToBottom:
        r.AssignString(s, "LeftToRight_TopToBottom");
        return;
    case TopToBottom_LeftToRight:
        r.AssignString(s, "TopToBottom_LeftToRight");
        return;
    }
    VELK_ASSERT(false);
}

void RetrieveGridOrientation(const LuaObject& o, void* n)
{
    std::string name = ReadStringFromObject(o);
    if (name == "LeftToRight_TopToBottom")
        As<GridOrientation>(n) = LeftToRight_TopToBottom;
    else if (name == "TopToBottom_LeftToRight")
        As<GridOrientation>(n) = TopToBottom_LeftToRight;
    else
        VELK_ASSERT(false);
}

TypeConversionRegistration s_Bool(TYPE_BOOL, StoreBool, RetrieveBool);
TypeConversionRegistration s_Double(TYPE_DOUBLE, StoreDouble, RetrieveDouble);
TypeConversionRegistration s_Float(TYPE_FLOAT, StoreFloat, RetrieveFloat);
TypeConversionRegistration s_Int(TYPE_INT32, StoreInt, RetrieveInt);
TypeConversionRegistration s_LuaObject(TYPE_LUAOBJECT, StoreLuaObject, RetrieveLuaObject);
TypeConversionRegistration s_MouseButtons(TYPE_MOUSEBUTTONSET, StoreMouseButtons, RetrieveMouseButtons);
TypeConversionRegistration s_String(TYPE_STRING, StoreString, RetrieveString);
TypeConversionRegistration s_UInt8(TYPE_UINT8, StoreUInt8, RetrieveUInt8);
TypeConversionRegistration s_UInt32(TYPE_UINT32, StoreUInt32, RetrieveUInt32);
TypeConversionRegistration s_GridOrientation(TYPE_GRIDORIENTATION, StoreGridOrientation, RetrieveGridOrientation);

} // namespace

void TypeConversion::RegisterType(int id, StoreFunction store, RetrieveFunction retrieve)
{
    Registered().push_back({id, store, retrieve});
}

void TypeConversion::InitializeTypeTables()
{
    int largest = 0;
    for (const TypeInfo& info : Registered())
        largest = std::max(largest, info.id);
    Table().assign(largest + 1, TypeInfo{});
    for (const TypeInfo& info : Registered())
        Table()[info.id] = info;
}

const TypeConversion::TypeInfo& TypeConversion::GetTypeInfo(int id)
{
    VELK_ASSERT(id > 0 && id < static_cast<int>(Table().size()) && Table()[id].store != nullptr);
    return Table()[id];
}

void TypeConversion::Store(int id, LuaObject& result, LuaState state, const void* native)
{
    GetTypeInfo(id).store(result, state, native);
}

void TypeConversion::Retrieve(int id, const LuaObject& source, void* native)
{
    GetTypeInfo(id).retrieve(source, native);
}

bool IsFieldLightUserData(const LuaObject& table, const char* name)
{
    return table[name].IsLightUserData();
}
