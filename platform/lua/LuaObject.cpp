#include "platform/lua/LuaObject.h"

#include <cmath>
#include <utility>

// ---------------------------------------------------------------- LuaStackObject

LuaStackObject::LuaStackObject(LuaState state, int index) : m_State(state), m_Index(index)
{
    // Keep the slot's meaning when the stack grows afterwards.
    if (index < 0 && index > LUA_REGISTRYINDEX)
        m_Index = lua_gettop(state.GetCState()) + index + 1;
}

namespace {

// Checked before any cast: converting NaN or a number beyond long long is
// undefined, and such a number is no integer to its callers.
bool IsIntegral(double n)
{
    constexpr double kLimit = 9223372036854775808.0; // 2^63
    return n >= -kLimit && n < kLimit && std::trunc(n) == n;
}

} // namespace

bool LuaStackObject::IsInteger() const
{
    return IsNumber() && IsIntegral(GetNumber());
}

std::string LuaStackObject::GetString() const
{
    if (!IsString())
        return std::string();
    size_t len = 0;
    const char* s = lua_tolstring(m_State.GetCState(), m_Index, &len);
    return std::string(s, len);
}

// ---------------------------------------------------------------- LuaObject

LuaObject::LuaObject(LuaState state)
{
    lua_State* main = state.GetMainState().GetCState();
    m_Main = main;
    m_Generation = LuaState::GenerationOf(main);
}

LuaObject::LuaObject(LuaState state, int stackIndex) : LuaObject(state)
{
    lua_State* L = state.GetCState();
    lua_pushvalue(L, stackIndex);
    ReplaceWithTop(L);
}

LuaObject::LuaObject(const LuaStackObject& slot) : LuaObject(slot.GetState(), slot.GetIndex()) {}

LuaObject::LuaObject(const LuaObject& other) : m_Main(other.m_Main), m_Generation(other.m_Generation)
{
    if (other.IsBound() && other.m_Ref != LUA_REFNIL) {
        other.Push();
        m_Ref = luaL_ref(m_Main, LUA_REGISTRYINDEX);
    }
}

LuaObject::LuaObject(LuaObject&& other) noexcept
    : m_Main(std::exchange(other.m_Main, nullptr)),
      m_Generation(other.m_Generation),
      m_Ref(std::exchange(other.m_Ref, LUA_REFNIL))
{
}

LuaObject& LuaObject::operator=(const LuaObject& other)
{
    if (this != &other) {
        LuaObject copy(other);
        *this = std::move(copy);
    }
    return *this;
}

LuaObject& LuaObject::operator=(LuaObject&& other) noexcept
{
    if (this != &other) {
        Release();
        m_Main = std::exchange(other.m_Main, nullptr);
        m_Generation = other.m_Generation;
        m_Ref = std::exchange(other.m_Ref, LUA_REFNIL);
    }
    return *this;
}

LuaObject::~LuaObject()
{
    Release();
}

void LuaObject::Release()
{
    if (m_Ref != LUA_REFNIL && m_Ref != LUA_NOREF && IsBound())
        luaL_unref(m_Main, LUA_REGISTRYINDEX, m_Ref);
    m_Ref = LUA_REFNIL;
}

LuaObject LuaObject::PopFrom(LuaState state)
{
    LuaObject result(state);
    result.ReplaceWithTop(state.GetCState());
    return result;
}

void LuaObject::ReplaceWithTop(lua_State* L)
{
    if (L != m_Main)
        lua_xmove(L, m_Main, 1);
    Release();
    m_Ref = luaL_ref(m_Main, LUA_REGISTRYINDEX);
}

LuaState LuaObject::GetState() const
{
    return LuaState(IsBound() ? m_Main : nullptr);
}

bool LuaObject::IsBound() const
{
    return m_Main && LuaState::IsAlive(m_Main, m_Generation);
}

void LuaObject::Push() const
{
    Push(LuaState(m_Main));
}

void LuaObject::Push(LuaState onto) const
{
    lua_State* L = onto.GetCState();
    if (!IsBound() || m_Ref == LUA_REFNIL)
        lua_pushnil(L);
    else
        lua_rawgeti(L, LUA_REGISTRYINDEX, m_Ref);
}

template <typename Fn>
void LuaObject::WithPushed(Fn fn) const
{
    Push();
    fn(m_Main);
    lua_pop(m_Main, 1);
}

int LuaObject::Type() const
{
    if (!IsBound() || m_Ref == LUA_REFNIL)
        return LUA_TNIL;
    int type = LUA_TNIL;
    WithPushed([&](lua_State* L) { type = lua_type(L, -1); });
    return type;
}

const char* LuaObject::TypeName() const
{
    return lua_typename(nullptr, Type());
}

bool LuaObject::IsInteger() const
{
    return IsNumber() && IsIntegral(GetNumber());
}

bool LuaObject::IsCFunction() const
{
    bool result = false;
    if (IsBound())
        WithPushed([&](lua_State* L) { result = lua_iscfunction(L, -1) != 0; });
    return result;
}

double LuaObject::GetNumber() const
{
    double n = 0;
    if (IsBound())
        WithPushed([&](lua_State* L) { n = lua_type(L, -1) == LUA_TNUMBER ? lua_tonumber(L, -1) : 0; });
    return n;
}

int LuaObject::GetInteger() const
{
    return static_cast<int>(static_cast<long long>(GetNumber()));
}

bool LuaObject::GetBoolean() const
{
    bool b = false;
    if (IsBound())
        WithPushed([&](lua_State* L) { b = lua_toboolean(L, -1) != 0; });
    return b;
}

std::string LuaObject::GetString() const
{
    std::string s;
    if (IsBound())
        WithPushed([&](lua_State* L) {
            if (lua_type(L, -1) == LUA_TSTRING) {
                size_t len = 0;
                const char* p = lua_tolstring(L, -1, &len);
                s.assign(p, len);
            }
        });
    return s;
}

void* LuaObject::GetUserData() const
{
    void* p = nullptr;
    if (IsBound())
        WithPushed([&](lua_State* L) { p = lua_touserdata(L, -1); });
    return p;
}

lua_State* LuaObject::GetThread() const
{
    lua_State* t = nullptr;
    if (IsBound())
        WithPushed([&](lua_State* L) { t = lua_tothread(L, -1); });
    return t;
}

void LuaObject::AssignNil(LuaState state)
{
    *this = LuaObject(state);
}

void LuaObject::AssignNumber(LuaState state, double value)
{
    lua_pushnumber(state.GetCState(), value);
    *this = PopFrom(state);
}

void LuaObject::AssignBoolean(LuaState state, bool value)
{
    lua_pushboolean(state.GetCState(), value ? 1 : 0);
    *this = PopFrom(state);
}

void LuaObject::AssignString(LuaState state, const std::string& value)
{
    lua_pushlstring(state.GetCState(), value.data(), value.size());
    *this = PopFrom(state);
}

void LuaObject::AssignLightUserData(LuaState state, void* value)
{
    lua_pushlightuserdata(state.GetCState(), value);
    *this = PopFrom(state);
}

void LuaObject::AssignNewTable(LuaState state, int narray, int nhash)
{
    lua_createtable(state.GetCState(), narray, nhash);
    *this = PopFrom(state);
}

namespace {

// Puts the stack back to its height at construction, on every way out.
struct StackRestore
{
    explicit StackRestore(lua_State* L) : L(L), top(lua_gettop(L)) {}
    ~StackRestore() { lua_settop(L, top); }
    lua_State* L;
    int top;
};

// table[key]: a value that is neither a table nor has an __index reads as nil.
// Raw reads skip metamethods; the others may run one, protected.
template <typename PushKey>
LuaObject GetField(const LuaObject& table, PushKey pushKey, bool raw)
{
    LuaState state = table.GetState();
    if (!state)
        return LuaObject();
    lua_State* L = state.GetCState();
    StackRestore restore(L);
    table.Push();
    pushKey(L);
    if (!raw)
        GetTableProtected(L, -2);
    else if (lua_type(L, -2) == LUA_TTABLE)
        lua_rawget(L, -2);
    else
        lua_pushnil(L);
    return LuaObject::PopFrom(state);
}

auto NameKey(const char* key)
{
    return [key](lua_State* L) { lua_pushstring(L, key); };
}
auto IndexKey(int index)
{
    return [index](lua_State* L) { lua_pushinteger(L, index); };
}
auto ObjectValue(const LuaObject& value)
{
    return [&value](lua_State* L) { value.Push(LuaState(L)); };
}

} // namespace

LuaObject LuaObject::GetByName(const char* key) const { return GetField(*this, NameKey(key), false); }
LuaObject LuaObject::GetByIndex(int index) const { return GetField(*this, IndexKey(index), false); }
LuaObject LuaObject::GetByObject(const LuaObject& key) const { return GetField(*this, ObjectValue(key), false); }
LuaObject LuaObject::RawGetByName(const char* key) const { return GetField(*this, NameKey(key), true); }
LuaObject LuaObject::RawGetByObject(const LuaObject& key) const { return GetField(*this, ObjectValue(key), true); }

namespace {

// table[key] = value; the plain write may run __newindex, protected.
template <typename PushKey, typename PushValue>
void SetField(const LuaObject& table, PushKey pushKey, PushValue pushValue, bool raw = false)
{
    LuaState state = table.GetState();
    if (!state)
        return;
    lua_State* L = state.GetCState();
    StackRestore restore(L);
    table.Push();
    pushKey(L);
    pushValue(L);
    if (raw)
        lua_rawset(L, -3);
    else
        SetTableProtected(L, -3);
}

auto NumberValue(double value)
{
    return [value](lua_State* L) { lua_pushnumber(L, value); };
}
auto BooleanValue(bool value)
{
    return [value](lua_State* L) { lua_pushboolean(L, value ? 1 : 0); };
}
auto StringValue(const std::string& value)
{
    return [&value](lua_State* L) { lua_pushlstring(L, value.data(), value.size()); };
}
auto NilValue()
{
    return [](lua_State* L) { lua_pushnil(L); };
}

} // namespace

void LuaObject::SetNil(const char* key) { SetField(*this, NameKey(key), NilValue()); }
void LuaObject::SetNumber(const char* key, double value) { SetField(*this, NameKey(key), NumberValue(value)); }
void LuaObject::SetBoolean(const char* key, bool value) { SetField(*this, NameKey(key), BooleanValue(value)); }
void LuaObject::SetString(const char* key, const std::string& value)
{
    SetField(*this, NameKey(key), StringValue(value));
}
void LuaObject::SetLightUserData(const char* key, void* value)
{
    SetField(*this, NameKey(key), [value](lua_State* L) { lua_pushlightuserdata(L, value); });
}
void LuaObject::SetObject(const char* key, const LuaObject& value)
{
    SetField(*this, NameKey(key), ObjectValue(value));
}
void LuaObject::SetNil(int index) { SetField(*this, IndexKey(index), NilValue()); }
void LuaObject::SetNumber(int index, double value) { SetField(*this, IndexKey(index), NumberValue(value)); }
void LuaObject::SetBoolean(int index, bool value) { SetField(*this, IndexKey(index), BooleanValue(value)); }
void LuaObject::SetString(int index, const std::string& value)
{
    SetField(*this, IndexKey(index), StringValue(value));
}
void LuaObject::SetObject(int index, const LuaObject& value)
{
    SetField(*this, IndexKey(index), ObjectValue(value));
}
void LuaObject::SetObject(const LuaObject& key, const LuaObject& value)
{
    SetField(*this, ObjectValue(key), ObjectValue(value));
}
void LuaObject::RawSetObject(const LuaObject& key, const LuaObject& value)
{
    SetField(*this, ObjectValue(key), ObjectValue(value), true);
}

LuaObject LuaObject::CreateTable(const char* key, int narray, int nhash)
{
    LuaObject table;
    table.AssignNewTable(GetState(), narray, nhash);
    SetObject(key, table);
    return table;
}

LuaObject LuaObject::CreateTable(int index, int narray, int nhash)
{
    LuaObject table;
    table.AssignNewTable(GetState(), narray, nhash);
    SetObject(index, table);
    return table;
}

void LuaObject::Insert(const LuaObject& value)
{
    SetObject(GetN() + 1, value);
}

int LuaObject::GetN() const
{
    int n = 0;
    if (IsBound())
        WithPushed([&](lua_State* L) { n = static_cast<int>(lua_objlen(L, -1)); });
    return n;
}

int LuaObject::GetTableCount() const
{
    int count = 0;
    for (LuaTableIterator it(*this); it; it.Next())
        ++count;
    return count;
}

LuaObject LuaObject::GetMetaTable() const
{
    if (!IsBound())
        return LuaObject();
    lua_State* L = m_Main;
    Push();
    if (!lua_getmetatable(L, -1))
        lua_pushnil(L);
    LuaObject result = PopFrom(LuaState(L));
    lua_pop(L, 1);
    return result;
}

void LuaObject::SetMetaTable(const LuaObject& metatable)
{
    if (!IsBound())
        return;
    lua_State* L = m_Main;
    Push();
    metatable.Push(LuaState(L));
    lua_setmetatable(L, -2);
    lua_pop(L, 1);
}

void LuaObject::Register(const char* name, lua_CFunction fn)
{
    SetField(*this, NameKey(name), [fn](lua_State* L) { PushGuardedCFunction(L, fn); });
}

bool LuaObject::operator==(const LuaObject& other) const
{
    if (!IsBound() || !other.IsBound())
        return Type() == LUA_TNIL && other.Type() == LUA_TNIL;
    lua_State* L = m_Main;
    Push();
    other.Push(LuaState(L));
    bool equal = lua_rawequal(L, -1, -2) != 0;
    lua_pop(L, 2);
    return equal;
}

// ---------------------------------------------------------------- LuaTableIterator

LuaTableIterator::LuaTableIterator(const LuaObject& table) : m_Table(table)
{
    if (!m_Table.IsTable())
        return;
    m_Key = LuaObject(m_Table.GetState());
    m_Valid = true;
    Next();
}

void LuaTableIterator::Next()
{
    if (!m_Valid)
        return;
    LuaState state = m_Table.GetState();
    lua_State* L = state.GetCState();
    m_Table.Push();
    m_Key.Push();
    if (lua_next(L, -2)) {
        m_Value = LuaObject::PopFrom(state);
        m_Key = LuaObject::PopFrom(state);
    } else {
        m_Valid = false;
        m_Key = LuaObject();
        m_Value = LuaObject();
    }
    lua_pop(L, 1);
}
