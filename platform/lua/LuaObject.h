#pragma once

#include "platform/lua/LuaState.h"

#include <string>

// A view of one slot of a Lua stack: type tests and reads. It does not keep the
// value alive; it is valid while the slot is.
class LuaStackObject
{
public:
    LuaStackObject(LuaState state, int index);

    LuaState GetState() const { return m_State; }
    int GetIndex() const { return m_Index; }
    int Type() const { return lua_type(m_State.GetCState(), m_Index); }
    const char* TypeName() const { return lua_typename(m_State.GetCState(), Type()); }

    bool IsNil() const { return Type() == LUA_TNIL || Type() == LUA_TNONE; }
    bool IsTable() const { return Type() == LUA_TTABLE; }
    bool IsNumber() const { return Type() == LUA_TNUMBER; }
    bool IsString() const { return Type() == LUA_TSTRING; }
    bool IsBoolean() const { return Type() == LUA_TBOOLEAN; }
    bool IsFunction() const { return Type() == LUA_TFUNCTION; }
    bool IsInteger() const;  // a number with an integral value
    // Full or light userdata, as lua_isuserdata.
    bool IsUserData() const { return Type() == LUA_TUSERDATA || Type() == LUA_TLIGHTUSERDATA; }
    bool IsLightUserData() const { return Type() == LUA_TLIGHTUSERDATA; }
    bool IsThread() const { return Type() == LUA_TTHREAD; }

    double GetNumber() const { return lua_tonumber(m_State.GetCState(), m_Index); }
    int GetInteger() const { return static_cast<int>(lua_tointeger(m_State.GetCState(), m_Index)); }
    bool GetBoolean() const { return lua_toboolean(m_State.GetCState(), m_Index) != 0; }
    // The text of a string slot; empty for other types (numbers are not converted).
    std::string GetString() const;
    void* GetUserData() const { return lua_touserdata(m_State.GetCState(), m_Index); }
    lua_State* GetThread() const { return lua_tothread(m_State.GetCState(), m_Index); }

    void Push() const { lua_pushvalue(m_State.GetCState(), m_Index); }

private:
    LuaState m_State;
    int m_Index;
};

// A handle on one Lua value, kept alive by a registry reference that the handle
// releases. Handles stay safe after their state has been destroyed (they then
// read as nil). Table reads and writes go through metamethods unless named Raw.
class LuaObject
{
public:
    LuaObject() = default;
    explicit LuaObject(LuaState state);              // nil, bound to the state
    LuaObject(LuaState state, int stackIndex);       // the value at the index
    LuaObject(const LuaStackObject& slot);           // NOLINT: implicit by design
    LuaObject(const LuaObject& other);
    LuaObject(LuaObject&& other) noexcept;
    LuaObject& operator=(const LuaObject& other);
    LuaObject& operator=(LuaObject&& other) noexcept;
    ~LuaObject();

    // A handle on the value at the top of the stack, which is popped.
    static LuaObject PopFrom(LuaState state);

    LuaState GetState() const;
    bool IsBound() const;

    int Type() const;
    const char* TypeName() const;
    bool IsNil() const { return Type() == LUA_TNIL; }
    bool IsTable() const { return Type() == LUA_TTABLE; }
    bool IsNumber() const { return Type() == LUA_TNUMBER; }
    bool IsInteger() const;  // a number with an integral value
    bool IsString() const { return Type() == LUA_TSTRING; }
    bool IsBoolean() const { return Type() == LUA_TBOOLEAN; }
    bool IsFunction() const { return Type() == LUA_TFUNCTION; }
    bool IsCFunction() const;
    // Full or light userdata, as lua_isuserdata.
    bool IsUserData() const { return Type() == LUA_TUSERDATA || Type() == LUA_TLIGHTUSERDATA; }
    bool IsLightUserData() const { return Type() == LUA_TLIGHTUSERDATA; }
    bool IsThread() const { return Type() == LUA_TTHREAD; }

    double GetNumber() const;
    int GetInteger() const;
    float GetFloat() const { return static_cast<float>(GetNumber()); }
    bool GetBoolean() const;  // Lua truth: only nil and false are false
    // The text of a string value; empty for other types (numbers are not converted).
    std::string GetString() const;
    void* GetUserData() const;  // full or light userdata
    void* GetLightUserData() const { return GetUserData(); }
    lua_State* GetThread() const;

    // Pushes the value onto its own state, or onto another thread of that state.
    void Push() const;
    void Push(LuaState onto) const;

    // Re-point the handle at a new value.
    void AssignNil(LuaState state);
    void AssignNumber(LuaState state, double value);
    void AssignInteger(LuaState state, int value) { AssignNumber(state, value); }
    void AssignBoolean(LuaState state, bool value);
    void AssignString(LuaState state, const std::string& value);
    void AssignLightUserData(LuaState state, void* value);
    void AssignNewTable(LuaState state, int narray = 0, int nhash = 0);
    void AssignNil() { AssignNil(GetState()); }
    void AssignNumber(double value) { AssignNumber(GetState(), value); }
    void AssignInteger(int value) { AssignNumber(GetState(), value); }
    void AssignBoolean(bool value) { AssignBoolean(GetState(), value); }
    void AssignString(const std::string& value) { AssignString(GetState(), value); }
    void AssignNewTable(int narray = 0, int nhash = 0) { AssignNewTable(GetState(), narray, nhash); }

    // Table reads (nil for a missing key or a non-table).
    LuaObject operator[](const char* key) const { return GetByName(key); }
    LuaObject operator[](const std::string& key) const { return GetByName(key.c_str()); }
    LuaObject operator[](int index) const { return GetByIndex(index); }
    LuaObject operator[](const LuaObject& key) const { return GetByObject(key); }
    LuaObject GetByName(const char* key) const;
    LuaObject GetByIndex(int index) const;
    LuaObject GetByObject(const LuaObject& key) const;
    LuaObject RawGetByName(const char* key) const;
    // Whether test(slot) holds for table[key], read raw on the stack without
    // the registry reference a handle takes: for tests run very many times.
    // A value that is not a table reads as nil; an unbound handle gives false.
    template <typename Test>
    bool TestRawField(const char* key, Test test) const;
    LuaObject RawGetByObject(const LuaObject& key) const;

    // Table writes.
    void SetNil(const char* key);
    void SetNumber(const char* key, double value);
    void SetInteger(const char* key, int value) { SetNumber(key, value); }
    void SetBoolean(const char* key, bool value);
    void SetString(const char* key, const std::string& value);
    void SetLightUserData(const char* key, void* value);
    void SetObject(const char* key, const LuaObject& value);
    void SetNil(int index);
    void SetNumber(int index, double value);
    void SetInteger(int index, int value) { SetNumber(index, value); }
    void SetBoolean(int index, bool value);
    void SetString(int index, const std::string& value);
    void SetObject(int index, const LuaObject& value);
    void SetObject(const LuaObject& key, const LuaObject& value);
    void RawSetObject(const LuaObject& key, const LuaObject& value);
    // A new table stored under the key; returns it.
    LuaObject CreateTable(const char* key, int narray = 0, int nhash = 0);
    LuaObject CreateTable(int index, int narray = 0, int nhash = 0);

    // Appends to the list part: t[#t + 1] = value.
    void Insert(const LuaObject& value);
    // The length operator without metamethods (#t for tables, bytes of strings).
    int GetN() const;
    // Number of entries of any key.
    int GetTableCount() const;

    LuaObject GetMetaTable() const;
    void SetMetaTable(const LuaObject& metatable);

    // t[name] = a guarded native function.
    void Register(const char* name, lua_CFunction fn);

    // Identity or primitive equality, without metamethods.
    bool operator==(const LuaObject& other) const;
    bool operator!=(const LuaObject& other) const { return !(*this == other); }

private:
    // Takes ownership of a fresh reference to the value on top of L (popped).
    void ReplaceWithTop(lua_State* L);
    void Release();
    lua_State* Main() const { return m_Main; }
    // Pushes the table, then calls fn(L) with it at -1; the table is popped after.
    template <typename Fn>
    void WithPushed(Fn fn) const;

    lua_State* m_Main = nullptr;
    unsigned long long m_Generation = 0;
    int m_Ref = LUA_REFNIL;
};

// Walks the entries of a table in Lua's order. The table must not gain new keys
// while it is walked; assigning to existing keys is fine.
class LuaTableIterator
{
public:
    explicit LuaTableIterator(const LuaObject& table);

    bool IsValid() const { return m_Valid; }
    explicit operator bool() const { return m_Valid; }
    void Next();
    LuaTableIterator& operator++()
    {
        Next();
        return *this;
    }

    const LuaObject& GetKey() const { return m_Key; }
    const LuaObject& GetValue() const { return m_Value; }

private:
    LuaObject m_Table;
    LuaObject m_Key;
    LuaObject m_Value;
    bool m_Valid = false;
};

template <typename Test>
bool LuaObject::TestRawField(const char* key, Test test) const
{
    LuaState state = GetState();
    if (!state)
        return false;
    lua_State* L = state.GetCState();
    const int top = lua_gettop(L);
    Push();
    if (lua_type(L, -1) == LUA_TTABLE) {
        lua_pushstring(L, key);
        lua_rawget(L, -2);
    } else {
        lua_pushnil(L);
    }
    bool result = false;
    try {
        result = test(LuaStackObject(state, -1));
    } catch (...) {
        lua_settop(L, top);
        throw;
    }
    lua_settop(L, top);
    return result;
}
