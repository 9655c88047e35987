#pragma once

#include <lua.hpp>

#include <cstddef>

// Limits on a Lua state while code it does not trust runs there (a saved file,
// a label's expression), for the life of the object:
// - a count hook that raises an error once the instructions run out;
// - a cap on the memory the state may grow by (Lua reports "not enough memory");
// - the string methods ("x":rep(n)) replaced, since they run in C out of the
//   hook's reach: by nothing, or by the table on top of the stack when the
//   budget is made (which it pops).
// The previous hook, allocator and string methods are back when it ends,
// however it ends. Budgets nest.
class ScriptBudget
{
public:
    enum StringMethods
    {
        NoStringMethods,
        StringMethodsFromTop,
    };

    // onLimit runs when the instructions are used up; it should raise a Lua error.
    ScriptBudget(lua_State* L, int instructionLimit, std::size_t memoryLimit, lua_Hook onLimit,
                 StringMethods methods = NoStringMethods);
    ~ScriptBudget();

    ScriptBudget(const ScriptBudget&) = delete;
    ScriptBudget& operator=(const ScriptBudget&) = delete;

private:
    static void* Allocate(void* data, void* block, size_t oldSize, size_t newSize);

    lua_State* m_L;
    int m_StringMetatable = LUA_NOREF;
    lua_Hook m_Hook = nullptr;
    int m_HookMask = 0;
    int m_HookCount = 0;
    lua_Alloc m_Alloc = nullptr;
    void* m_AllocData = nullptr;
    std::size_t m_MemoryLimit = 0;
    long long m_Growth = 0;
};
