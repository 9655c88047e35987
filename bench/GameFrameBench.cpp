// The game's own frames, on the software back end: a Classic round mid-spin
// (five reels blurring, a line lighting up, bursts) and the idle menu, each
// one whole pass of the loop (update + draw + present); and saving four
// player cards. The game is played by the automated player, as a person's
// clicks would play it.

#include "GameBench.h"

#include <vector>

namespace {

using namespace gamebench;

GameBench& TheGame()
{
    static GameBench bench;
    return bench;
}

void BM_BusiestGameFrame(benchmark::State& state)
{
    TimeBusiestFrames(TheGame(), state);
}
BENCHMARK(BM_BusiestGameFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The menu, settled after its opening, with nothing happening.
GameBench& IdleMenu()
{
    GameBench& game = TheGame();
    game.Lua("SwitchToScreen('MenuScreen')");
    game.Passes(60);
    return game;
}

// A pass of the loop as the menu idles.
void BM_IdleMenuFrame(benchmark::State& state)
{
    GameBench& game = IdleMenu();
    for (auto _ : state)
        game.app->RunPass();
}
BENCHMARK(BM_IdleMenuFrame)->Unit(benchmark::kMillisecond);

// The same pass as the running game meets it: after a sleep of a tick, with
// the caches taken by other work. Warm, the pass above is a small part of what
// it costs there; cold, it is mostly waiting on memory.
void BM_IdleMenuFrameColdCaches(benchmark::State& state)
{
    GameBench& game = IdleMenu();
    // Larger than the last level of cache.
    std::vector<unsigned char> other(64u << 20, 1);
    unsigned sum = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (std::size_t i = 0; i < other.size(); i += 64)
            sum += ++other[i];
        state.ResumeTiming();
        game.app->RunPass();
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_IdleMenuFrameColdCaches)->Unit(benchmark::kMicrosecond);

// All four player cards written, as every selection on the map writes them.
void BM_SaveFourCards(benchmark::State& state)
{
    TheGame();
    GameDataIO* io = GameDataIO::GetInstance();
    for (auto _ : state)
        io->SaveAllPlayerData();
}
BENCHMARK(BM_SaveFourCards)->Unit(benchmark::kMillisecond);

} // namespace
