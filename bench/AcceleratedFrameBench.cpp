// The busiest game frame (a Classic round mid-spin, as in GameFrameBench) in a
// real window, once on the accelerated display and once on the software one,
// switched as Ctrl+7 switches them. Needs an X display with OpenGL; for
// Mesa's software OpenGL run it as
//   xvfb-run -a -s "-screen 0 1024x768x24" build/play/bench/wopple_gl_bench
// Without OpenGL both runs are skipped with a message.

#include "GameBench.h"

#include "engine/runtime/DisplayManager.h"
#include "platform/d3d/D3DLayer.h"

namespace {

using namespace gamebench;

GameBench* TheGame()
{
    // Timed on whatever OpenGL there is, Mesa's software one included.
    GetD3DLayerTestHook().allowSoftwareOpenGL = true;
    static GameBench* bench = CanBringUpD3DLayer() ? new GameBench(true) : nullptr;
    return bench;
}

// True once the display runs on the back end asked for.
bool UseBackEnd(GameBench& game, bool accelerated)
{
    if (game.app->IsHWAccelEnabled() != accelerated) {
        game.app->EnableHWAccel(accelerated);
        game.Passes(3);
    }
    DisplayBackend* backend = game.app->GetDisplayManager()->GetBackend();
    return backend && backend->IsAccelerated() == accelerated;
}

void BM_BusiestGameFrameInWindow(benchmark::State& state)
{
    GameBench* game = TheGame();
    if (!game) {
        state.SkipWithError("OpenGL cannot be brought up on this display: run under "
                            "xvfb-run -a -s \"-screen 0 1024x768x24\"");
        return;
    }
    const bool accelerated = state.range(0) != 0;
    if (!UseBackEnd(*game, accelerated)) {
        state.SkipWithError("the display did not switch back ends");
        return;
    }
    state.SetLabel(accelerated ? "DisplayBackendD3D" : "DisplayBackendSDL");
    TimeBusiestFrames(*game, state);
}
BENCHMARK(BM_BusiestGameFrameInWindow)
    ->ArgName("accelerated")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

} // namespace
