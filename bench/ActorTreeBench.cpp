// A screenful of actors updated and drawn once per pass, and children taken
// out of a long child list and put back, which the list handles kept by each
// child make independent of the list's length.

#include "engine/runtime/Canvas.h"
#include "engine/ui/Actor.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// 48 panels of 20 coloured cells each over an 800 x 600 frame.
std::unique_ptr<Actor> MakeScreen()
{
    auto screen = std::make_unique<Actor>();
    screen->SetSize(800, 600);
    for (int panel = 0; panel < 48; ++panel) {
        auto* box = new Actor(Color(40, 80, static_cast<std::uint8_t>(panel * 5)));
        box->SetPosition((panel % 8) * 100, (panel / 8) * 100);
        box->SetSize(100, 100);
        for (int cell = 0; cell < 20; ++cell) {
            auto* dot = new Actor(Color(200, static_cast<std::uint8_t>(cell * 10), 60));
            dot->SetPosition((cell % 5) * 20, (cell / 5) * 25);
            dot->SetSize(18, 22);
            dot->SetZOrder(cell % 3 - 1);
            box->AddChild(dot);
        }
        screen->AddChild(box);
    }
    return screen;
}

void BM_ActorScreenUpdateAndDraw(benchmark::State& state)
{
    std::unique_ptr<Actor> screen = MakeScreen();
    Canvas canvas(800, 600, CANVAS_DESTROY_TARGET);
    for (auto _ : state) {
        screen->Update();
        screen->Draw(canvas);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (1 + 48 * 21));
}
BENCHMARK(BM_ActorScreenUpdateAndDraw);

void BM_ActorRemoveAndReAddChild(benchmark::State& state)
{
    Actor parent;
    const int count = static_cast<int>(state.range(0));
    Actor* last = nullptr;
    for (int i = 0; i < count; ++i) {
        last = new Actor;
        last->SetZOrder(i < count - 1 ? 0 : 1);
        parent.AddChild(last);
    }
    for (auto _ : state) {
        parent.RemoveChild(last);
        parent.AddChild(last);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ActorRemoveAndReAddChild)->Arg(10)->Arg(1000);

} // namespace
