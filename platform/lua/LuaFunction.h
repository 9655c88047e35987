#pragma once

#include "platform/lua/LuaException.h"
#include "platform/lua/LuaObject.h"

#include <boost/format.hpp>
#include <cstddef>
#include <string>
#include <type_traits>

namespace luapush {

inline void Push(lua_State* L, std::nullptr_t) { lua_pushnil(L); }
inline void Push(lua_State* L, bool v) { lua_pushboolean(L, v ? 1 : 0); }
inline void Push(lua_State* L, int v) { lua_pushnumber(L, v); }
inline void Push(lua_State* L, unsigned int v) { lua_pushnumber(L, v); }
inline void Push(lua_State* L, long v) { lua_pushnumber(L, static_cast<double>(v)); }
inline void Push(lua_State* L, long long v) { lua_pushnumber(L, static_cast<double>(v)); }
inline void Push(lua_State* L, double v) { lua_pushnumber(L, v); }
inline void Push(lua_State* L, float v) { lua_pushnumber(L, v); }
inline void Push(lua_State* L, const char* v) { lua_pushstring(L, v); }
inline void Push(lua_State* L, const std::string& v) { lua_pushlstring(L, v.data(), v.size()); }
inline void Push(lua_State* L, void* v) { lua_pushlightuserdata(L, v); }
inline void Push(lua_State* L, const LuaObject& v) { v.Push(LuaState(L)); }

// Reads the result at the top of the stack as R (type-checked, no coercion).
template <typename R>
R Read(lua_State* L)
{
    auto mismatch = [L](const char* wanted) {
        VELK_THROW_LUA((boost::format("Lua function returned a %1% where a %2% was expected.") %
                        luaL_typename(L, -1) % wanted)
                           .str());
    };
    if constexpr (std::is_same_v<R, LuaObject>) {
        return LuaObject(LuaState(L), -1);
    } else if constexpr (std::is_same_v<R, bool>) {
        if (!lua_isboolean(L, -1))
            mismatch("boolean");
        return lua_toboolean(L, -1) != 0;
    } else if constexpr (std::is_arithmetic_v<R>) {
        if (lua_type(L, -1) != LUA_TNUMBER)
            mismatch("number");
        return static_cast<R>(lua_tonumber(L, -1));
    } else if constexpr (std::is_same_v<R, std::string>) {
        if (lua_type(L, -1) != LUA_TSTRING)
            mismatch("string");
        size_t len = 0;
        const char* s = lua_tolstring(L, -1, &len);
        return std::string(s, len);
    } else {
        static_assert(sizeof(R) == 0, "unsupported Lua result type");
    }
}

} // namespace luapush

// A callable handle on a Lua function. The call is protected: a Lua error, or a
// value that is not a function, throws LuaException with Lua's message. The call
// runs on the given thread (a coroutine calling back into Lua), else on the main one.
template <typename R = void>
class LuaFunction
{
public:
    explicit LuaFunction(const LuaObject& function, LuaState callIn = LuaState())
        : m_Function(function), m_CallIn(callIn)
    {
    }

    template <typename... Args>
    R operator()(const Args&... args) const
    {
        LuaState state = m_CallIn ? m_CallIn : m_Function.GetState();
        if (!state || !m_Function.IsBound())
            VELK_THROW_LUA("attempt to call a function of a closed Lua state");
        lua_State* L = state.GetCState();
        int base = lua_gettop(L);
        m_Function.Push(state);
        (luapush::Push(L, args), ...);
        constexpr int nresults = std::is_void_v<R> ? 0 : 1;
        if (lua_pcall(L, sizeof...(Args), nresults, 0) != 0)
            VELK_THROW_LUA(state.PopErrorMessage());
        if constexpr (std::is_void_v<R>) {
            lua_settop(L, base);
        } else {
            struct Restore
            {
                lua_State* L;
                int base;
                ~Restore() { lua_settop(L, base); }
            } restore{L, base};
            return luapush::Read<R>(L);
        }
    }

    const LuaObject& GetObject() const { return m_Function; }

private:
    LuaObject m_Function;
    LuaState m_CallIn;
};
