// The main loop's own cost: one pass with nothing to do, and posting and
// dispatching many events through the application's queue.

#include "engine/core/EmbeddedFiles.h"
#include "engine/runtime/Application.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

const char kDefaults[] = "LoadConfig { }";
EmbeddedFileRegistration s_Defaults("BenchApp_Defaults.cfg", reinterpret_cast<const unsigned char*>(kDefaults),
                                    sizeof(kDefaults) - 1);
const char kConst[] = "LoadConstConfig { }";
EmbeddedFileRegistration s_Const("BenchApp_Const.cfg", reinterpret_cast<const unsigned char*>(kConst),
                                 sizeof(kConst) - 1);

// The loop never sleeps: the cost measured is the pass itself.
class FreeRunningClock : public LoopClock
{
public:
    uint32_t GetTicks() override { return now += 32; }
    void Delay(uint32_t) override {}
    uint32_t now = 0;
};

class Sink : public Object
{
public:
    bool OnSelect(const EventRecord&) override
    {
        ++received;
        return true;
    }
    long received = 0;
};

struct BenchApp
{
    BenchApp()
    {
        std::filesystem::path root = std::filesystem::temp_directory_path() / "velk-bench";
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        std::filesystem::create_directories(root / "cwd" / "data");
        std::filesystem::current_path(root / "cwd");
        app = std::make_unique<Application>("BenchApp", "Bench", AppCodeFromString("BNCH"), 800, 600);
        const char* args[] = {"/tmp/BenchApp", "--multiapp", "--keepcwd", "--nopkg", "--log0"};
        app->InitEngine(5, args);
        app->SetLoopClock(&clock);
        app->StartLoop();
    }
    FreeRunningClock clock;
    std::unique_ptr<Application> app;
};

BenchApp& TheApp()
{
    static BenchApp bench;
    return bench;
}

void BM_EmptyPass(benchmark::State& state)
{
    Application& app = *TheApp().app;
    for (auto _ : state)
        app.RunPass();
}
BENCHMARK(BM_EmptyPass);

void BM_PostAndDispatch10000Events(benchmark::State& state)
{
    Application& app = *TheApp().app;
    Sink sink;
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i)
            app.PostEvent(&sink, MakeEventRecord(VELK_SELECT, i));
        app.RunPass();
    }
    benchmark::DoNotOptimize(sink.received);
}
BENCHMARK(BM_PostAndDispatch10000Events)->Unit(benchmark::kMicrosecond);

} // namespace
