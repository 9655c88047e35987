#pragma once

#include <lua.hpp>
#include <string>

class LuaObject;
class LuaStackObject;

// A handle on one Lua state or one of its coroutine threads. The handle is a
// plain pointer in size and never owns what it points at: main states are made
// by Create and closed by Destroy; threads belong to the collector and must be
// kept referenced (a LuaObject holding the thread) for as long as they are used.
//
// Every chunk compiled through a LuaState passes through the dialect rewrite
// (LuaDialect.h), saved data excepted (LoadPlainBuffer), and every native function pushed through it is guarded: a C++
// exception thrown by the native becomes a Lua error with the same message.
class LuaState
{
public:
    LuaState() = default;
    explicit LuaState(lua_State* L) : m_L(L) {}

    // A new main state with the dialect helper installed and, when asked, the
    // standard libraries opened. Its panic handler throws LuaException.
    static LuaState Create(bool openStandardLibraries = true);
    static void Destroy(LuaState state);
    // False once the main state the handle belongs to has been destroyed.
    static bool IsAlive(lua_State* mainState, unsigned long long generation);
    static unsigned long long GenerationOf(lua_State* mainState);

    lua_State* GetCState() const { return m_L; }
    explicit operator bool() const { return m_L != nullptr; }
    bool operator==(const LuaState& other) const { return m_L == other.m_L; }
    // The main thread of the state this handle belongs to.
    LuaState GetMainState() const;

    lua_CFunction AtPanic(lua_CFunction panic) const { return lua_atpanic(m_L, panic); }

    // Compiling: 0 on success with the chunk on top; otherwise Lua's error code
    // with the message on top.
    int LoadBuffer(const char* data, size_t size, const char* chunkName) const;
    // The same for plain Lua 5.1 text, without the dialect rewrite: for data
    // the program reads back, where the rewrite's own memory would be the risk.
    int LoadPlainBuffer(const char* data, size_t size, const char* chunkName) const;
    int LoadString(const std::string& source) const;
    int LoadFile(const std::string& path) const;
    // Compile and call with no arguments and no results; 0 on success, else the
    // error code with the message on top.
    int DoBuffer(const char* data, size_t size, const char* chunkName) const;
    int DoString(const std::string& source) const;
    int DoFile(const std::string& path) const;
    int PCall(int nargs, int nresults, int errfunc = 0) const { return lua_pcall(m_L, nargs, nresults, errfunc); }

    // The error message at the top of the stack, popped; the fallback when the
    // value there is not a string.
    std::string PopErrorMessage(const std::string& fallback = "Unknown Lua error") const;

    // Coroutines.
    LuaState NewThread() const;  // pushes the thread onto this stack
    int Resume(int narg) const { return lua_resume(m_L, narg); }
    int CoYield(int nresults) const { return lua_yield(m_L, nresults); }
    int Status() const { return lua_status(m_L); }
    void XMove(LuaState to, int n) const { lua_xmove(m_L, to.m_L, n); }

    // Stack.
    int GetTop() const { return lua_gettop(m_L); }
    void SetTop(int index) const { lua_settop(m_L, index); }
    void Pop(int n = 1) const { lua_pop(m_L, n); }
    void Insert(int index) const { lua_insert(m_L, index); }
    void Remove(int index) const { lua_remove(m_L, index); }
    void PushValue(int index) const { lua_pushvalue(m_L, index); }
    LuaStackObject Stack(int index) const;
    LuaStackObject StackTop() const;

    void PushNil() const { lua_pushnil(m_L); }
    void PushNumber(double n) const { lua_pushnumber(m_L, n); }
    void PushInteger(lua_Integer n) const { lua_pushinteger(m_L, n); }
    void PushBoolean(bool b) const { lua_pushboolean(m_L, b ? 1 : 0); }
    void PushString(const char* s) const { lua_pushstring(m_L, s); }
    void PushString(const std::string& s) const { lua_pushlstring(m_L, s.data(), s.size()); }
    void PushLightUserData(void* p) const { lua_pushlightuserdata(m_L, p); }
    // Pushes the native wrapped in the exception seam. Upvalues given here are
    // reached with VelkUpvalueIndex (the first upvalue holds the native itself).
    void PushCFunction(lua_CFunction fn, int nupvalues = 0) const;

    // Globals.
    LuaObject GetGlobals() const;
    LuaObject GetGlobal(const char* name) const;
    // Both through metamethods of the globals, run protected (see GetTableProtected).
    void SetGlobal(const char* name) const;  // pops the top
    LuaObject GetRegistry() const;

    void CollectGarbage() const { lua_gc(m_L, LUA_GCCOLLECT, 0); }
    int GetGCCountKB() const { return lua_gc(m_L, LUA_GCCOUNT, 0); }

private:
    lua_State* m_L = nullptr;
};

// Index of the i-th (from 1) upvalue given to LuaState::PushCFunction.
inline int VelkUpvalueIndex(int i)
{
    return lua_upvalueindex(i + 1);
}

// Pushes a guarded native onto a raw state (as LuaState::PushCFunction).
void PushGuardedCFunction(lua_State* L, lua_CFunction fn, int nupvalues = 0);

// As lua_gettable and lua_settable (the key, and the value, on top; the table at
// the index), but a metamethod runs under lua_pcall: its error pops what the
// call would have popped and throws LuaException with Lua's message. Plain
// tables, and keys a table already holds, take the raw path with no call.
void GetTableProtected(lua_State* L, int index);
void SetTableProtected(lua_State* L, int index);

// Inside a catch block: whether the exception is Lua's own error unwinding to
// its protected call (Lua built as C++ throws one for lua_error). It must be
// rethrown, never swallowed or converted.
bool IsLuaErrorInFlight();
