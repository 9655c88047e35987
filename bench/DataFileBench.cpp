// Peak memory of reading a hostile player card: a file of punctuation (every
// byte a token) up to the size cap of a saved file. Each load runs in a child
// process and the figure is the child's peak resident size as the kernel
// counts it ("peak_MB": the pages the child touches), beside the parent's size
// at the fork ("start_MB"). The child may grow its address space by 4 GB at
// most; a load that needs more is reported as an error.
//
//   build/play/bench/velk_engine_bench --benchmark_filter=LoadPunctuationCard

#include "BenchApp.h"
#include "engine/core/DataFile.h"
#include "engine/core/VelkLuaState.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

long StatusKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string name;
    long value = 0;
    while (status >> name) {
        if (name == std::string(field) + ":") {
            status >> value;
            return value;
        }
        status.ignore(4096, '\n');
    }
    return 0;
}

std::string WriteCard(std::size_t bytes)
{
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("velk-card-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::string path = (folder / "Player1.card").string();
    std::ofstream out(path, std::ios::binary);
    const std::string block(1u << 20, '{');
    for (std::size_t written = 0; written < bytes; written += block.size())
        out.write(block.data(), static_cast<std::streamsize>(std::min(block.size(), bytes - written)));
    return path;
}

void BM_LoadPunctuationCard(benchmark::State& state)
{
    const std::size_t bytes = static_cast<std::size_t>(state.range(0)) << 20;
    const std::string path = WriteCard(bytes);
    TheBenchApp();
    LuaState lua = VelkLuaState::Get();

    double peak = 0, start = 0;
    for (auto _ : state) {
        start = static_cast<double>(StatusKilobytes("VmRSS")) / 1024;
        pid_t child = ::fork();
        if (child == 0) {
            struct rlimit cap;
            ::getrlimit(RLIMIT_AS, &cap);
            cap.rlim_cur = static_cast<rlim_t>(StatusKilobytes("VmSize")) * 1024 + (4ull << 30);
            ::setrlimit(RLIMIT_AS, &cap);
            DataFileResult result = LoadDataFile(lua, path, "Player", [](const LuaObject&) {});
            ::_exit(result == DataFileResult::Bad ? 0 : 1);
        }
        int status = 0;
        struct rusage usage {};
        ::wait4(child, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the load did not end as a bad file within 4 GB more address space");
            break;
        }
        peak = static_cast<double>(usage.ru_maxrss) / 1024;
        // The child renamed the card aside; put it back for the next round.
        std::filesystem::rename(path + ".bad", path);
    }
    state.counters["start_MB"] = start;
    state.counters["peak_MB"] = peak;
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}
BENCHMARK(BM_LoadPunctuationCard)->Arg(1)->Arg(8)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
