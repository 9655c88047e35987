#include "engine/core/VelkLuaState.h"

#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "platform/lua/LuaFunction.h"

namespace {

LuaState g_State;

std::string TopText(LuaState state, const std::string& fallback)
{
    return state.PopErrorMessage(fallback);
}

} // namespace

int VelkLuaState_FatalError(lua_State* L)
{
    // The last resort, for an error outside every protected call: the same type
    // as the protected paths raise, so one catch sees both. The error value sits
    // on top of the stack; it need not be a string.
    std::string text;
    if (lua_gettop(L) > 0 && lua_isstring(L, -1))
        text = lua_tostring(L, -1);
    else
        text = std::string("(error value of type ") + luaL_typename(L, -1) + ")";
    VELK_THROW_LUA((boost::format("Error caught from Lua subsystem: \"%1%\"") % text).str());
}

LuaState VelkLuaState::Create()
{
    if (g_State)
        return g_State;
    LuaState state = LuaState::Create(true);
    state.AtPanic(VelkLuaState_FatalError);
    g_State = state;
    LoadStringA(state, "math.randomseed(os.date('%d%H%M%S'))", 0, 0);
    return g_State;
}

LuaState VelkLuaState::Get()
{
    return g_State;
}

void VelkLuaState::Destroy()
{
    LuaState::Destroy(g_State);
    g_State = LuaState();
}

void VelkLuaState::DoResourceFile(LuaState state, const std::string& fileName)
{
    Log(2, "Loading script file: %s\n", fileName.c_str());
    CoreHost* host = GetCoreHost();
    CoreHost::ResourceEntry entry;
    if (!host)
        VELK_THROW(ResourceNotFoundException,
                   (boost::format("Could not find resource info with name = %1%") % fileName).str());
    host->FindResourceEntry(fileName, false, entry);

    const char* data = nullptr;
    std::size_t size = 0;
    entry.reader->Read(entry.name, data, size);
    int status = state.LoadBuffer(data, size, fileName.c_str());
    entry.reader->Close();
    if (status != 0) {
        VELK_THROW(ScriptError, (boost::format("Could not compile Lua resource file:\nfile = %1%\nerror = %2%\n") %
                                 fileName % TopText(state, "")).str());
    }
    if (state.PCall(0, 0) != 0) {
        if (lua_type(state.GetCState(), -1) == LUA_TSTRING)
            VELK_THROW(ScriptError, (boost::format("Could not execute Lua resource file\nfile = %1%\nerror = %2%\n") %
                                     fileName % TopText(state, "")).str());
        state.Pop();
        VELK_THROW(ScriptError, (boost::format("Could not execute Lua resource file\nfile = %1%\n") % fileName).str());
    }
}

int VelkLuaState::LoadStringA(LuaState state, const std::string& source, int numArgs, int numResults)
{
    if (state.LoadString(source) != 0) {
        std::string message = lua_type(state.GetCState(), -1) == LUA_TSTRING
                                  ? (boost::format("Error in LoadString: %1%\n") % TopText(state, "")).str()
                                  : (state.Pop(), std::string("Unknown error in LoadString\n"));
        if (numArgs > 0)
            state.Pop(numArgs);
        VELK_THROW(ScriptError, message);
    }
    if (numArgs > 0)
        state.Insert(-(numArgs + 1));
    if (state.PCall(numArgs, numResults) != 0) {
        if (lua_type(state.GetCState(), -1) == LUA_TSTRING)
            VELK_THROW(ScriptError, (boost::format("Error in PCall: %1%\n") % TopText(state, "")).str());
        state.Pop();
        VELK_THROW(ScriptError, "Unknown error in PCall\n");
    }
    return 0;
}

Variant VelkLuaState::GetVariant(LuaState state, int index)
{
    LuaStackObject slot = state.Stack(index);
    switch (slot.Type()) {
    case LUA_TNIL:
    case LUA_TNONE:
        return Variant();
    case LUA_TNUMBER:
        return Variant(slot.GetNumber());
    case LUA_TSTRING:
        return Variant(slot.GetString());
    case LUA_TBOOLEAN:
        return Variant(slot.GetBoolean());
    default:
        VELK_THROW(ScriptError, (boost::format("Could not convert type %1% to a Variant.\n") % slot.TypeName()).str());
    }
}

void VelkLuaState::Store(LuaState state, const std::string& leftHandSide, const Variant& value)
{
    // The value travels as the chunk's argument rather than as source text, so
    // quotes, line breaks and any number are stored exactly.
    switch (value.GetType()) {
    case Variant::V_BOOL:
        state.PushBoolean(value.ToBool());
        break;
    case Variant::V_DOUBLE:
        state.PushNumber(value.ToDouble());
        break;
    case Variant::V_EMPTY:
        state.PushNil();
        break;
    case Variant::V_STRING:
        state.PushString(value.ToString());
        break;
    default:
        VELK_ASSERT(false);
    }
    LoadStringA(state, leftHandSide + " = ...", 1, 0);
}

void VelkLuaState::RunStartupScript(LuaState state)
{
    const std::string& source = StartupSourceRegistration::GetText();
    if (!source.empty())
        LoadStringA(state, source, 0, 0);
    for (const ScriptFunctionRegistration::Entry& entry : ScriptFunctionRegistration::GetList()) {
        state.PushCFunction(entry.function);
        state.SetGlobal(entry.name);
    }
}

namespace {

template <typename T, typename IsType, typename Get>
T ReadTyped(const LuaObject& object, const char* mismatchFormat, IsType isType, Get get)
{
    if (isType(object))
        return get(object);
    if (object.IsFunction()) {
        LuaObject result = LuaFunction<LuaObject>(object)();
        if (isType(result))
            return get(result);
        VELK_THROW(Exception, (boost::format(mismatchFormat) % result.TypeName()).str());
    }
    VELK_THROW(Exception, (boost::format(mismatchFormat) % object.TypeName()).str());
}

template <typename T, typename IsType, typename Get>
T ReadTypedOrDefault(const LuaObject& object, const T& defaultValue, const char* mismatchFormat, IsType isType,
                     Get get)
{
    if (!isType(object) && !object.IsFunction())
        return defaultValue;
    return ReadTyped<T>(object, mismatchFormat, isType, get);
}

const char* const kIntegerMismatch = "Object is not an integer, but rather a %1%.";
const char* const kNumberMismatch = "Object is not a number, but rather a %1%.";
const char* const kStringMismatch = "Object is not a string, but rather a %1%.";
const char* const kBooleanMismatch = "Object is not a boolean, but rather a %1%.";

auto IsNumber = [](const LuaObject& o) { return o.IsNumber(); };
auto IsString = [](const LuaObject& o) { return o.IsString(); };
auto IsBoolean = [](const LuaObject& o) { return o.IsBoolean(); };
auto GetInteger = [](const LuaObject& o) { return o.GetInteger(); };
auto GetNumber = [](const LuaObject& o) { return o.GetNumber(); };
auto GetString = [](const LuaObject& o) { return o.GetString(); };
auto GetBoolean = [](const LuaObject& o) { return o.GetBoolean(); };

} // namespace

int ReadIntegerFromObject(const LuaObject& object)
{
    return ReadTyped<int>(object, kIntegerMismatch, IsNumber, GetInteger);
}

double ReadNumberFromObject(const LuaObject& object)
{
    return ReadTyped<double>(object, kNumberMismatch, IsNumber, GetNumber);
}

std::string ReadStringFromObject(const LuaObject& object)
{
    return ReadTyped<std::string>(object, kStringMismatch, IsString, GetString);
}

bool ReadBooleanFromObject(const LuaObject& object)
{
    return ReadTyped<bool>(object, kBooleanMismatch, IsBoolean, GetBoolean);
}

int ReadIntegerOrDefault(const LuaObject& object, int defaultValue)
{
    return ReadTypedOrDefault<int>(object, defaultValue, kIntegerMismatch, IsNumber, GetInteger);
}

std::string ReadStringOrDefault(const LuaObject& object, const std::string& defaultValue)
{
    return ReadTypedOrDefault<std::string>(object, defaultValue, kStringMismatch, IsString, GetString);
}

bool ReadBooleanOrDefault(const LuaObject& object, bool defaultValue)
{
    return ReadTypedOrDefault<bool>(object, defaultValue, kBooleanMismatch, IsBoolean, GetBoolean);
}

void OpenOutputFile(const std::string& fileName, LuaState state)
{
    LuaFunction<void>(state.GetGlobal("OpenOutputFile"))(fileName);
}

void CloseOutputFile(LuaState state)
{
    LuaFunction<void>(state.GetGlobal("CloseOutputFile"))();
}
