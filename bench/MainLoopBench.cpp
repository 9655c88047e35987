// The main loop's own cost: one pass with nothing to do, and posting and
// dispatching many events through the application's queue.

#include "BenchApp.h"

#include <benchmark/benchmark.h>

namespace {

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

void BM_EmptyPass(benchmark::State& state)
{
    Application& app = *TheBenchApp().app;
    for (auto _ : state)
        app.RunPass();
}
BENCHMARK(BM_EmptyPass);

void BM_PostAndDispatch10000Events(benchmark::State& state)
{
    Application& app = *TheBenchApp().app;
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
