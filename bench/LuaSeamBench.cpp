// Reads and writes from C++ through LuaObject, the engine's most frequent call
// into Lua: a plain table, a key that a table with a metatable holds (the raw
// path), and a missing key that runs __index or __newindex (the protected
// path), beside the bare unprotected lua_gettable for the same read.

#include "platform/lua/LuaObject.h"

#include <benchmark/benchmark.h>

namespace {

struct BenchState
{
    BenchState()
    {
        state = LuaState::Create();
        state.DoString("plain = {x = 1} "
                       "fallback = {x = 2} "
                       "proxy = setmetatable({kept = 3}, {__index = function(t, k) return fallback[k] end, "
                       "  __newindex = function(t, k, v) fallback[k] = v end})");
        plain = state.GetGlobal("plain");
        proxy = state.GetGlobal("proxy");
    }
    ~BenchState() { LuaState::Destroy(state); }
    LuaState state;
    LuaObject plain;
    LuaObject proxy;
};

BenchState& Bench()
{
    static BenchState bench;
    return bench;
}

void BM_ReadPlainTable(benchmark::State& s)
{
    const LuaObject& table = Bench().plain;
    for (auto _ : s)
        benchmark::DoNotOptimize(table.GetByName("x").GetNumber());
}

void BM_ReadKeyHeldByTableWithMetatable(benchmark::State& s)
{
    const LuaObject& table = Bench().proxy;
    for (auto _ : s)
        benchmark::DoNotOptimize(table.GetByName("kept").GetNumber());
}

void BM_ReadThroughIndexProtected(benchmark::State& s)
{
    const LuaObject& table = Bench().proxy;
    for (auto _ : s)
        benchmark::DoNotOptimize(table.GetByName("x").GetNumber());
}

// The same read with no protection, as the layer did it before: the floor.
void BM_ReadThroughIndexUnprotected(benchmark::State& s)
{
    const LuaObject& table = Bench().proxy;
    lua_State* L = Bench().state.GetCState();
    for (auto _ : s) {
        table.Push();
        lua_pushstring(L, "x");
        lua_gettable(L, -2);
        LuaObject value = LuaObject::PopFrom(LuaState(L));
        lua_pop(L, 1);
        benchmark::DoNotOptimize(value.GetNumber());
    }
}

void BM_WriteThroughNewIndexProtected(benchmark::State& s)
{
    LuaObject& table = Bench().proxy;
    double n = 0;
    for (auto _ : s)
        table.SetNumber("y", ++n);
}

} // namespace

BENCHMARK(BM_ReadPlainTable);
BENCHMARK(BM_ReadKeyHeldByTableWithMetatable);
BENCHMARK(BM_ReadThroughIndexProtected);
BENCHMARK(BM_ReadThroughIndexUnprotected);
BENCHMARK(BM_WriteThroughNewIndexProtected);
