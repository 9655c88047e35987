// Presenting the frame: a frame drawn whole but unchanged (compared, nothing
// reaches SDL), one with a small region that changes every frame, and the
// whole frame presented every time, as before only changes were presented.

#include "BenchApp.h"

#include "engine/runtime/Canvas.h"
#include "engine/runtime/DisplayManager.h"
#include "engine/runtime/ImageRenderer.h"

#include <benchmark/benchmark.h>

namespace {

DisplayManager& Display()
{
    Application& app = *TheBenchApp().app;
    if (!app.GetMainCanvas())
        app.CreateWindow();
    return *app.GetDisplayManager();
}

// The whole frame drawn as a screen with a background would draw it.
void DrawFrame(Canvas& canvas)
{
    canvas.FillRectAt(Rect(0, 0, 800, 600), Color(40, 90, 160, 255));
}

void BM_PresentUnchangedFrame(benchmark::State& state)
{
    DisplayManager& display = Display();
    Canvas& canvas = *TheBenchApp().app->GetMainCanvas();
    DrawFrame(canvas);
    display.UpdateScreen();
    for (auto _ : state) {
        DrawFrame(canvas);
        display.UpdateScreen();
    }
}
BENCHMARK(BM_PresentUnchangedFrame)->Unit(benchmark::kMicrosecond);

void BM_PresentSmallChange(benchmark::State& state)
{
    DisplayManager& display = Display();
    Canvas& canvas = *TheBenchApp().app->GetMainCanvas();
    std::uint8_t shade = 0;
    for (auto _ : state) {
        DrawFrame(canvas);
        // A frame-rate figure's worth of pixels.
        canvas.FillRectAt(Rect(10, 10, 40, 16), Color(shade, shade, shade, 255));
        ++shade;
        display.UpdateScreen();
    }
}
BENCHMARK(BM_PresentSmallChange)->Unit(benchmark::kMicrosecond);

void BM_PresentWholeFrame(benchmark::State& state)
{
    DisplayManager& display = Display();
    Canvas& canvas = *TheBenchApp().app->GetMainCanvas();
    for (auto _ : state) {
        DrawFrame(canvas);
        display.InvalidateScreen();
        display.UpdateScreen();
    }
}
BENCHMARK(BM_PresentWholeFrame)->Unit(benchmark::kMicrosecond);

} // namespace
