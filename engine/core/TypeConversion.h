#pragma once

#include "platform/lua/LuaObject.h"

#include <vector>

// Value types of member properties, by their conversion identifier.
enum TypeConversionId
{
    TYPE_BOOL = 1,
    TYPE_COLOR = 2,
    TYPE_DOUBLE = 3,
    TYPE_FLOAT = 4,
    TYPE_INT32 = 5,
    TYPE_LUAOBJECT = 6,
    TYPE_MOUSEBUTTONSET = 7,
    TYPE_POINT2F = 8,
    TYPE_POINT = 9,
    TYPE_POLY = 10,
    TYPE_RECT = 11,
    TYPE_RECTALIGNMENT = 12,
    TYPE_STRING = 13,
    TYPE_UINT8 = 14,
    TYPE_UINT32 = 15,
    TYPE_GRIDORIENTATION = 16,
};

// Conversions between a native value and a Lua value, looked up by identifier.
class TypeConversion
{
public:
    // Makes `result` the Lua form of the native value at `native`, in `state`.
    using StoreFunction = void (*)(LuaObject& result, LuaState state, const void* native);
    // Writes the native value at `native` from the Lua value.
    using RetrieveFunction = void (*)(const LuaObject& source, void* native);

    struct TypeInfo
    {
        int id = 0;
        StoreFunction store = nullptr;
        RetrieveFunction retrieve = nullptr;
    };

    // Appends a record; static initialisers call this before the entry runs.
    static void RegisterType(int id, StoreFunction store, RetrieveFunction retrieve);
    // Builds the table indexed by identifier from the registered records.
    static void InitializeTypeTables();
    // The record of a registered identifier (assertion otherwise).
    static const TypeInfo& GetTypeInfo(int id);

    static void Store(int id, LuaObject& result, LuaState state, const void* native);
    static void Retrieve(int id, const LuaObject& source, void* native);
};

// A static registration of one converter.
struct TypeConversionRegistration
{
    TypeConversionRegistration(int id, TypeConversion::StoreFunction store, TypeConversion::RetrieveFunction retrieve)
    {
        TypeConversion::RegisterType(id, store, retrieve);
    }
};

// Mouse-button set bits.
enum MouseButtonBits
{
    MOUSEBUTTON_LEFT = 1,
    MOUSEBUTTON_MIDDLE = 2,
    MOUSEBUTTON_RIGHT = 4,
    MOUSEBUTTON_WHEELUP = 8,
    MOUSEBUTTON_WHEELDOWN = 16,
};
using MouseButtonSet = unsigned int;

enum GridOrientation
{
    LeftToRight_TopToBottom = 1,
    TopToBottom_LeftToRight = 2,
};

// Whether table[name] is a light userdata (a native pointer).
bool IsFieldLightUserData(const LuaObject& table, const char* name);
