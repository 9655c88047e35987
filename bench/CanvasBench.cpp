// A full 800 x 600 frame of alpha sprites, drawn the way actors draw (through
// the canvas) against plain SDL blits of the same sprites.

#include "engine/runtime/Canvas.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/SurfaceManager.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr int kSprite = 100;  // 8 x 6 sprites cover the frame

// A sprite whose alpha runs from transparent to opaque across it.
std::unique_ptr<Image> MakeSprite()
{
    SDL_Surface* surface = SurfaceManager::GetInstance()->CreateSurface(kSprite, kSprite, true);
    for (int y = 0; y < kSprite; ++y) {
        auto* row = PixelRow(surface, y);
        for (int x = 0; x < kSprite; ++x) {
            const std::uint32_t alpha = static_cast<std::uint32_t>(x * 255 / (kSprite - 1));
            row[x] = (alpha << 24) | (static_cast<std::uint32_t>(y * 2) << 16) | 0x8040u;
        }
    }
    return std::make_unique<Image>(surface, 0, nullptr);
}

void DrawFrameThroughCanvas(benchmark::State& state, float alphaFactor)
{
    std::unique_ptr<Image> sprite = MakeSprite();
    Canvas canvas(kScreenWidth, kScreenHeight, CANVAS_DESTROY_TARGET);
    canvas.GetState().alpha = alphaFactor;
    for (auto _ : state) {
        for (int y = 0; y < kScreenHeight; y += kSprite) {
            for (int x = 0; x < kScreenWidth; x += kSprite) {
                canvas.PushState();
                canvas.Translate(x, y);
                canvas.DrawImageFrame(sprite.get(), 0);
                canvas.PopState();
            }
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kScreenWidth * kScreenHeight);
}

void BM_CanvasFrame(benchmark::State& state)
{
    DrawFrameThroughCanvas(state, 1.0f);
}
BENCHMARK(BM_CanvasFrame);

// A lowered alpha factor takes the hand-written combined-alpha blend.
void BM_CanvasFrameFaded(benchmark::State& state)
{
    DrawFrameThroughCanvas(state, 0.5f);
}
BENCHMARK(BM_CanvasFrameFaded);

void BM_PlainBlitFrame(benchmark::State& state)
{
    std::unique_ptr<Image> sprite = MakeSprite();
    SDL_Surface* source = sprite->GetSurface();
    SDL_Surface* target = SurfaceManager::GetInstance()->CreateSurface(kScreenWidth, kScreenHeight, true);
    SDL_SetAlpha(source, SDL_SRCALPHA, 255);
    for (auto _ : state) {
        for (int y = 0; y < kScreenHeight; y += kSprite) {
            for (int x = 0; x < kScreenWidth; x += kSprite) {
                SDL_Rect dest = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
                SDL_BlitSurface(source, nullptr, target, &dest);
            }
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kScreenWidth * kScreenHeight);
    SDL_FreeSurface(target);
}
BENCHMARK(BM_PlainBlitFrame);

} // namespace
