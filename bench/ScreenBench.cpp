// A screen of many roll-over actors: finding the actor under the pointer, and
// drawing the screen live and frozen behind a blocking dialog.

#include "BenchApp.h"
#include "engine/runtime/Canvas.h"
#include "engine/ui/Screen.h"
#include "engine/ui/ScreenManager.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// One 800 x 600 screen of 48 panels, each of 20 cells that react to the
// pointer, made once and current only while a benchmark of this file runs.
Screen* BenchScreen()
{
    static Screen* screen = [] {
        TheBenchApp();
        auto* made = new Screen("", "Bench", nullptr);
        for (int panel = 0; panel < 48; ++panel) {
            auto* box = new Actor(Color(40, 80, static_cast<std::uint8_t>(panel * 5)));
            box->SetPosition((panel % 8) * 100, (panel / 8) * 100);
            box->SetSize(100, 100);
            for (int cell = 0; cell < 20; ++cell) {
                auto* dot = new Actor(Color(200, static_cast<std::uint8_t>(cell * 10), 60));
                dot->SetPosition((cell % 5) * 20, (cell / 5) * 25);
                dot->SetSize(18, 22);
                dot->SetRolloverable(true);
                box->AddChild(dot);
            }
            made->AddChild(box);
        }
        ScreenManager::GetInstance()->AddScreen(made);
        return made;
    }();
    return screen;
}

// The bench screen is current for the lifetime of one benchmark.
struct CurrentBenchScreen
{
    CurrentBenchScreen() : manager(*ScreenManager::GetInstance())
    {
        manager.DoSwitchToScreen(BenchScreen(), true);
    }
    ~CurrentBenchScreen() { manager.DoSwitchToScreen(nullptr, true); }
    ScreenManager& manager;
};

// The pointer over the topmost panel's first cell, then over the first
// panel's last cell, which the walk meets last.
void BM_RolloverSearch(benchmark::State& state)
{
    CurrentBenchScreen current;
    Application& app = *TheBenchApp().app;
    const bool early = state.range(0) == 0;
    int x = early ? 701 : 81;
    int y = early ? 501 : 76;
    for (auto _ : state) {
        app.ResetRolloverAt(x, y, true);
        // Alternate between two cells so that every search changes the actor.
        x ^= 20;
        benchmark::DoNotOptimize(ScreenManager::GetInstance()->GetRolloverActor());
    }
    state.SetLabel(early ? "hit near the top" : "hit near the bottom");
}
BENCHMARK(BM_RolloverSearch)->Arg(0)->Arg(1);

class Panel : public Actor, public ScreenDialog
{
public:
    std::uint32_t GetDialogFlags() const override { return 0; }
    void StartIntro() override {}
    void StartExit() override {}
};

// Frozen: one full-window copy and the dialog per frame.
void BM_ScreenDraw(benchmark::State& state)
{
    CurrentBenchScreen current;
    Screen* screen = BenchScreen();
    const bool frozen = state.range(0) == 1;
    Panel* dialog = nullptr;
    if (frozen) {
        dialog = new Panel;
        dialog->SetColor(Color(250, 250, 250));
        dialog->SetSize(300, 200);
        screen->StartDialog(dialog, false);
    }
    Canvas canvas(800, 600, CANVAS_DESTROY_TARGET);
    for (auto _ : state) {
        screen->Draw(canvas);
        benchmark::ClobberMemory();
    }
    if (dialog) {
        screen->RemoveChild(dialog);
        delete dialog;
    }
    state.SetLabel(frozen ? "frozen behind a dialog" : "live");
}
BENCHMARK(BM_ScreenDraw)->Arg(0)->Arg(1);

} // namespace
