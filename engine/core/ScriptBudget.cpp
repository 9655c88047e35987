#include "engine/core/ScriptBudget.h"

ScriptBudget::ScriptBudget(lua_State* L, int instructionLimit, std::size_t memoryLimit, lua_Hook onLimit,
                           StringMethods methods)
    : m_L(L), m_MemoryLimit(memoryLimit)
{
    const bool fromTop = methods == StringMethodsFromTop;
    lua_pushliteral(L, "");
    if (lua_getmetatable(L, -1))
        m_StringMetatable = luaL_ref(L, LUA_REGISTRYINDEX);
    if (fromTop) {
        lua_createtable(L, 0, 1);
        lua_pushvalue(L, -3);
        lua_setfield(L, -2, "__index");
    } else {
        lua_pushnil(L);
    }
    lua_setmetatable(L, -2);
    lua_pop(L, fromTop ? 2 : 1);

    m_Hook = lua_gethook(L);
    m_HookMask = lua_gethookmask(L);
    m_HookCount = lua_gethookcount(L);
    lua_sethook(L, onLimit, LUA_MASKCOUNT, instructionLimit);

    m_Alloc = lua_getallocf(L, &m_AllocData);
    lua_setallocf(L, Allocate, this);
}

ScriptBudget::~ScriptBudget()
{
    lua_setallocf(m_L, m_Alloc, m_AllocData);
    lua_sethook(m_L, m_Hook, m_HookMask, m_HookCount);
    lua_pushliteral(m_L, "");
    if (m_StringMetatable != LUA_NOREF)
        lua_rawgeti(m_L, LUA_REGISTRYINDEX, m_StringMetatable);
    else
        lua_pushnil(m_L);
    lua_setmetatable(m_L, -2);
    lua_pop(m_L, 1);
    if (m_StringMetatable != LUA_NOREF)
        luaL_unref(m_L, LUA_REGISTRYINDEX, m_StringMetatable);
}

void* ScriptBudget::Allocate(void* data, void* block, size_t oldSize, size_t newSize)
{
    auto* self = static_cast<ScriptBudget*>(data);
    long long change = static_cast<long long>(newSize) - static_cast<long long>(oldSize);
    // Lua treats a null answer to a growing request as out of memory; shrinking must not fail.
    if (change > 0 && self->m_Growth + change > static_cast<long long>(self->m_MemoryLimit))
        return nullptr;
    void* result = self->m_Alloc(self->m_AllocData, block, oldSize, newSize);
    if (result || newSize == 0)
        self->m_Growth += change;
    return result;
}
