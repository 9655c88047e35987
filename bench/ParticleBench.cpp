// Particle effects: a burst made by the identical emitter, which stamps its
// particles from a parsed template, against the plain emitter, which applies
// the template table through the scripts to every particle; and a field of
// live particles stepped and drawn once per pass.

#include "BenchApp.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Canvas.h"
#include "engine/ui/ParticleEmitter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

// A burst as the game's effects are written, without pictures (the bench has no data folder).
void DefineBurst()
{
    static const bool defined = [] {
        TheBenchApp();
        VelkLuaState::LoadStringA(VelkLuaState::Get(),
                                  "BenchParticle = { lifetime = 500, alpha = 255, destAlpha = 0, size = {4, 4}, "
                                  "  color = 'Yellow', position = {0, 0}, "
                                  "  randomizedVelocity = { minRadius = 50, maxRadius = 150, minAngle = 0, "
                                  "    maxAngle = 2 * math.pi } } "
                                  "Resources.BenchBurst = Resources.IdenticalParticleEmitter:new{ "
                                  "  particleTemplate = BenchParticle, numParticles = 25, emitCount = 1, "
                                  "  interval = 100, destroyWhenStopped = false }",
                                  0, 0);
        return true;
    }();
    (void)defined;
}

// Deleted at once: the benchmarks run no deletion phase.
void DeleteParticles(Actor& manager)
{
    while (!manager.GetChildren().empty())
        delete manager.GetChildren().front();
}

void BM_BurstFromIdenticalEmitter(benchmark::State& state)
{
    DefineBurst();
    std::srand(1);
    ParticleManager manager;
    for (auto _ : state) {
        auto emitter = std::make_unique<IdenticalParticleEmitter>("BenchBurst", &manager);
        emitter->SetPosition(400, 300);
        emitter->Start();
        benchmark::DoNotOptimize(manager.GetNumChildren());
        state.PauseTiming();
        emitter.reset();
        DeleteParticles(manager);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 25);
}
BENCHMARK(BM_BurstFromIdenticalEmitter);

void BM_BurstFromPlainEmitter(benchmark::State& state)
{
    DefineBurst();
    std::srand(1);
    ParticleManager manager;
    LuaObject particleTemplate = VelkLuaState::Get().GetGlobal("BenchParticle");
    for (auto _ : state) {
        auto emitter = std::make_unique<ParticleEmitter>(&manager);
        emitter->SetPosition(400, 300);
        emitter->ApplyProperty("particleTemplate", particleTemplate);
        emitter->ApplyIntegerProperty("numParticles", 25);
        emitter->SetEmitCount(1);
        emitter->SetDestroyWhenStopped(false);
        emitter->Start();
        benchmark::DoNotOptimize(manager.GetNumChildren());
        state.PauseTiming();
        emitter.reset();
        DeleteParticles(manager);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 25);
}
BENCHMARK(BM_BurstFromPlainEmitter);

// 20 endless bursts' worth of particles drifting over the screen.
void BM_ParticlesStepAndDraw(benchmark::State& state)
{
    DefineBurst();
    std::srand(1);
    ParticleManager manager;
    {
        IdenticalParticleEmitter emitter("BenchBurst", &manager);
        LuaObject endless;
        endless.AssignInteger(VelkLuaState::Get(), -1);
        emitter.SetParticleTemplate("lifetime", endless);
        emitter.SetPosition(400, 300);
        emitter.SetEmitCount(20);
        emitter.SetInterval(0);
        emitter.Start();
        for (int i = 1; i < 20; ++i)
            emitter.Emit();
    }
    Canvas canvas(800, 600, CANVAS_DESTROY_TARGET);
    for (auto _ : state) {
        manager.Update();
        manager.Draw(canvas);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(manager.GetNumChildren()));
    DeleteParticles(manager);
}
BENCHMARK(BM_ParticlesStepAndDraw);

} // namespace
