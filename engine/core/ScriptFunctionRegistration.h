#pragma once

#include <string>
#include <vector>

struct lua_State;
using ScriptNativeFunction = int (*)(lua_State*);

// A native function exported to Lua as a global. Static objects of this type
// register at start-up; VelkLuaState::RunStartupScript makes them globals, in
// registration order (a later entry of the same name wins).
class ScriptFunctionRegistration
{
public:
    struct Entry
    {
        ScriptNativeFunction function;
        const char* name;
    };

    ScriptFunctionRegistration(ScriptNativeFunction function, const char* name);

    // The list, created on first use so that registrations from any static
    // initialiser find it.
    static std::vector<Entry>& GetList();
};

// The start-up Lua source run before the natives become globals. Static objects
// of this type append their text at start-up, in registration order.
class StartupSourceRegistration
{
public:
    explicit StartupSourceRegistration(const char* text);
    static std::string& GetText();
};

// The yield guard of Lua-bound members: a stack of flags, one per bound call in
// progress. A member that wants its calling script to wait requests a yield;
// FinishScriptFunctionCall then yields the coroutine with the results pushed.
class ScriptCallGuard
{
public:
    static void Enter();
    static void RequestYield();
    // Number of calls in progress; a wrapper that is left by an exception drops
    // back to the depth it entered at.
    static std::size_t Depth();
    static void UnwindTo(std::size_t depth);
};

int FinishScriptFunctionCall(lua_State* L, int numResults);

// The calling convention of every Lua-bound member: enter the guard, run the
// member (which pushes its results and returns their count), then finish,
// yielding when the member asked for it. A member left by an exception leaves
// the guard as it found it.
template <typename Member>
int CallBoundMember(lua_State* L, Member member)
{
    std::size_t depth = ScriptCallGuard::Depth();
    ScriptCallGuard::Enter();
    int numResults = 0;
    try {
        numResults = member();
    } catch (...) {
        ScriptCallGuard::UnwindTo(depth);
        throw;
    }
    return FinishScriptFunctionCall(L, numResults);
}
