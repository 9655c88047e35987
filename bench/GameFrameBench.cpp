// The game's own frames, on the software back end: a Classic round mid-spin
// (five reels blurring, a line lighting up, bursts) and the idle menu, each
// one whole pass of the loop (update + draw + present); and saving four
// player cards. The game is played by the automated player, as a person's
// clicks would play it.

#include "GameBench.h"

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

// The menu with nothing happening: a pass of the loop as it idles.
void BM_IdleMenuFrame(benchmark::State& state)
{
    GameBench& game = TheGame();
    game.Lua("SwitchToScreen('MenuScreen')");
    game.Passes(60);
    for (auto _ : state)
        game.app->RunPass();
}
BENCHMARK(BM_IdleMenuFrame)->Unit(benchmark::kMillisecond);

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
