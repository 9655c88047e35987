#include "platform/lua/LuaState.h"

#include "engine/core/Exception.h"
#include "platform/lua/LuaDialect.h"
#include "platform/lua/LuaException.h"
#include "platform/lua/LuaObject.h"

#include <cxxabi.h>

#include <exception>
#include <fstream>
#include <sstream>
#include <typeinfo>
#include <unordered_map>

// Lua built as C++ raises its errors by throwing a pointer to this type (kept
// incomplete here: only its identity matters).
struct lua_longjmp;

namespace {

// The key under which every state keeps its main thread in the registry.
char g_MainThreadKey;

// Live main states with the generation they were created in, so that handles
// outliving their state can tell.
std::unordered_map<lua_State*, unsigned long long>& LiveStates()
{
    static std::unordered_map<lua_State*, unsigned long long> states;
    return states;
}

// The last state asked after and its generation: nearly every look-up asks
// for the program's one state.
struct StateLookup
{
    lua_State* state = nullptr;
    unsigned long long generation = 0;
};
StateLookup g_LastLookup;

unsigned long long g_NextGeneration = 1;

// The one seam from C++ into Lua errors: any C++ exception of a native becomes a
// Lua error with its text. Lua's own errors, thrown by lua_error inside the
// native, pass through untouched to the protected call that waits for them.
int GuardedNative(lua_State* L)
{
    auto fn = reinterpret_cast<lua_CFunction>(lua_touserdata(L, lua_upvalueindex(1)));
    std::string error;
    try {
        return fn(L);
    } catch (const Exception& e) {
        error = e.GetMessage();
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        if (IsLuaErrorInFlight())
            throw;
        error = "unexpected exception of type " + CurrentExceptionTypeName();
    }
    lua_pushlstring(L, error.data(), error.size());
    return lua_error(L);
}

// The proxies run under lua_pcall: t k -> t[k], and t k v -> (t[k] = v).
int ProtectedGet(lua_State* L)
{
    lua_gettable(L, 1);
    return 1;
}

int ProtectedSet(lua_State* L)
{
    lua_settable(L, 1);
    return 0;
}

// Pushes the proxy, made once per state and kept in the registry under its own
// address: a fresh closure per call would cost an allocation each time.
void PushProxy(lua_State* L, lua_CFunction proxy)
{
    void* key = reinterpret_cast<void*>(proxy);
    lua_pushlightuserdata(L, key);
    lua_rawget(L, LUA_REGISTRYINDEX);
    if (lua_type(L, -1) == LUA_TFUNCTION)
        return;
    lua_pop(L, 1);
    lua_pushcfunction(L, proxy);
    lua_pushlightuserdata(L, key);
    lua_pushvalue(L, -2);
    lua_rawset(L, LUA_REGISTRYINDEX);
}

// Runs the proxy over the top nargs values; a Lua error drops them too and throws.
void CallProtected(lua_State* L, lua_CFunction proxy, int nargs, int nresults)
{
    PushProxy(L, proxy);
    lua_insert(L, -(nargs + 1));
    if (lua_pcall(L, nargs, nresults, 0) != 0)
        VELK_THROW_LUA(LuaState(L).PopErrorMessage());
}

int DefaultPanic(lua_State* L)
{
    std::string message = lua_isstring(L, -1) ? lua_tostring(L, -1) : "Unknown Lua error";
    VELK_THROW_LUA(message);
}

// for k, v in t do: a table walks as next, t; iterator triples pass through.
int ForInHelper(lua_State* L)
{
    if (lua_type(L, 1) == LUA_TTABLE) {
        lua_getglobal(L, "next");
        if (lua_isnil(L, -1)) {
            lua_pop(L, 1);
            lua_pushcfunction(L, [](lua_State* S) -> int {
                luaL_checktype(S, 1, LUA_TTABLE);
                lua_settop(S, 2);
                if (lua_next(S, 1))
                    return 2;
                lua_pushnil(S);
                return 1;
            });
        }
        lua_pushvalue(L, 1);
        lua_pushnil(L);
        return 3;
    }
    lua_settop(L, 3);
    return 3;
}

int ReadFile(const std::string& path, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return 0;
    std::ostringstream ss;
    ss << in.rdbuf();
    out = ss.str();
    return 1;
}

} // namespace

bool IsLuaErrorInFlight()
{
    const std::type_info* type = abi::__cxa_current_exception_type();
    return type && *type == typeid(lua_longjmp*);
}

namespace {

int AbsoluteIndex(lua_State* L, int index)
{
    return index < 0 && index > LUA_REGISTRYINDEX ? lua_gettop(L) + index + 1 : index;
}

} // namespace

void GetTableProtected(lua_State* L, int index)
{
    index = AbsoluteIndex(L, index);
    if (lua_type(L, index) == LUA_TTABLE) {
        if (!lua_getmetatable(L, index)) {
            lua_rawget(L, index);
            return;
        }
        lua_pop(L, 1);
        // A value that is there never reaches __index.
        lua_pushvalue(L, -1);
        lua_rawget(L, index);
        if (!lua_isnil(L, -1)) {
            lua_remove(L, -2);
            return;
        }
        lua_pop(L, 1);
    } else if (luaL_getmetafield(L, index, "__index")) {
        lua_pop(L, 1);
    } else {
        // Nothing to index: nil, as the scripts' readers expect.
        lua_pop(L, 1);
        lua_pushnil(L);
        return;
    }
    lua_pushvalue(L, index);
    lua_insert(L, -2);
    CallProtected(L, ProtectedGet, 2, 1);
}

void SetTableProtected(lua_State* L, int index)
{
    index = AbsoluteIndex(L, index);
    bool plainKey = lua_type(L, -2) != LUA_TNIL;
    if (plainKey && lua_type(L, -2) == LUA_TNUMBER) {
        lua_Number n = lua_tonumber(L, -2);
        plainKey = n == n;
    }
    // Only a missing key of a table with a metatable can reach __newindex; a nil
    // or NaN key is an error, raised in the protected path.
    if (plainKey && lua_type(L, index) == LUA_TTABLE) {
        bool raw = !lua_getmetatable(L, index);
        if (!raw) {
            lua_pop(L, 1);
            lua_pushvalue(L, -2);
            lua_rawget(L, index);
            raw = !lua_isnil(L, -1);
            lua_pop(L, 1);
        }
        if (raw) {
            lua_rawset(L, index);
            return;
        }
    }
    lua_pushvalue(L, index);
    lua_insert(L, -3);
    CallProtected(L, ProtectedSet, 3, 0);
}

void PushGuardedCFunction(lua_State* L, lua_CFunction fn, int nupvalues)
{
    lua_pushlightuserdata(L, reinterpret_cast<void*>(fn));
    if (nupvalues > 0)
        lua_insert(L, -(nupvalues + 1));
    lua_pushcclosure(L, GuardedNative, nupvalues + 1);
}

LuaState LuaState::Create(bool openStandardLibraries)
{
    lua_State* L = luaL_newstate();
    if (!L)
        VELK_THROW_LUA("Could not create a Lua state: out of memory");
    lua_atpanic(L, DefaultPanic);
    if (openStandardLibraries)
        luaL_openlibs(L);
    lua_pushlightuserdata(L, &g_MainThreadKey);
    lua_pushthread(L);
    lua_rawset(L, LUA_REGISTRYINDEX);
    lua_pushcfunction(L, ForInHelper);
    lua_setglobal(L, kLuaForInHelper);
    LiveStates()[L] = g_NextGeneration++;
    if (g_LastLookup.state == L)
        g_LastLookup = {};
    return LuaState(L);
}

void LuaState::Destroy(LuaState state)
{
    if (!state)
        return;
    lua_State* main = state.GetMainState().GetCState();
    LiveStates().erase(main);
    if (g_LastLookup.state == main)
        g_LastLookup = {};
    lua_close(main);
}

unsigned long long LuaState::GenerationOf(lua_State* mainState)
{
    // Nearly every look-up asks for the program's one state: the last answer is kept.
    if (mainState && mainState == g_LastLookup.state)
        return g_LastLookup.generation;
    auto it = LiveStates().find(mainState);
    if (it == LiveStates().end())
        return 0;
    g_LastLookup = {mainState, it->second};
    return it->second;
}

bool LuaState::IsAlive(lua_State* mainState, unsigned long long generation)
{
    return generation != 0 && GenerationOf(mainState) == generation;
}

LuaState LuaState::GetMainState() const
{
    lua_pushlightuserdata(m_L, &g_MainThreadKey);
    lua_rawget(m_L, LUA_REGISTRYINDEX);
    lua_State* main = lua_tothread(m_L, -1);
    lua_pop(m_L, 1);
    return LuaState(main ? main : m_L);
}

int LuaState::LoadBuffer(const char* data, size_t size, const char* chunkName) const
{
    std::string source = RewriteLuaDialect(std::string(data, size));
    return luaL_loadbuffer(m_L, source.data(), source.size(), chunkName);
}

int LuaState::LoadPlainBuffer(const char* data, size_t size, const char* chunkName) const
{
    return luaL_loadbuffer(m_L, data, size, chunkName);
}

int LuaState::LoadString(const std::string& source) const
{
    // Lua names an anonymous chunk after its text; keep the original text there.
    std::string rewritten = RewriteLuaDialect(source);
    return luaL_loadbuffer(m_L, rewritten.data(), rewritten.size(), source.c_str());
}

int LuaState::LoadFile(const std::string& path) const
{
    std::string text;
    if (!ReadFile(path, text)) {
        lua_pushfstring(m_L, "cannot open %s", path.c_str());
        return LUA_ERRFILE;
    }
    // As lua_loadfile: a first line starting with '#' is skipped (kept as an empty line).
    if (!text.empty() && text[0] == '#') {
        size_t nl = text.find('\n');
        text = nl == std::string::npos ? std::string() : text.substr(nl);
    }
    std::string chunkName = "@" + path;
    return LoadBuffer(text.data(), text.size(), chunkName.c_str());
}

int LuaState::DoBuffer(const char* data, size_t size, const char* chunkName) const
{
    int status = LoadBuffer(data, size, chunkName);
    return status ? status : PCall(0, 0);
}

int LuaState::DoString(const std::string& source) const
{
    int status = LoadString(source);
    return status ? status : PCall(0, 0);
}

int LuaState::DoFile(const std::string& path) const
{
    int status = LoadFile(path);
    return status ? status : PCall(0, 0);
}

std::string LuaState::PopErrorMessage(const std::string& fallback) const
{
    std::string message = lua_type(m_L, -1) == LUA_TSTRING ? std::string(lua_tostring(m_L, -1)) : fallback;
    if (lua_gettop(m_L) > 0)
        lua_pop(m_L, 1);
    return message;
}

LuaState LuaState::NewThread() const
{
    return LuaState(lua_newthread(m_L));
}

LuaStackObject LuaState::Stack(int index) const
{
    return LuaStackObject(*this, index);
}

LuaStackObject LuaState::StackTop() const
{
    return LuaStackObject(*this, GetTop());
}

void LuaState::PushCFunction(lua_CFunction fn, int nupvalues) const
{
    PushGuardedCFunction(m_L, fn, nupvalues);
}

LuaObject LuaState::GetGlobals() const
{
    lua_pushvalue(m_L, LUA_GLOBALSINDEX);
    return LuaObject::PopFrom(*this);
}

LuaObject LuaState::GetGlobal(const char* name) const
{
    lua_pushstring(m_L, name);
    GetTableProtected(m_L, LUA_GLOBALSINDEX);
    return LuaObject::PopFrom(*this);
}

void LuaState::SetGlobal(const char* name) const
{
    lua_pushstring(m_L, name);
    lua_insert(m_L, -2);
    SetTableProtected(m_L, LUA_GLOBALSINDEX);
}

LuaObject LuaState::GetRegistry() const
{
    lua_pushvalue(m_L, LUA_REGISTRYINDEX);
    return LuaObject::PopFrom(*this);
}
