#pragma once

#include "engine/runtime/PerformanceCountersBase.h"

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr const char* kTimeCountersLogFile = "PerformanceLog_TimeCounters.txt";
inline constexpr const char* kIntCountersLogFile = "PerformangeLog_IntCounters.txt";
inline constexpr const char* kBlittingLogFile = "PerformanceLog_Blitting.txt";

// Named time counters (the main loop's phases and any others the code opens) and
// named integer counters (events such as "Sounds Played"), one line per tick in
// each of two logs. Every call returns at once while not measuring.
class PerformanceCounterManager : public TickPerformanceCounter
{
public:
    // The process has one at a time; it installs itself as the instance.
    explicit PerformanceCounterManager(const PerformanceClock& clock = GetSystemPerformanceClock());
    // Still measuring (the program quit while logging): writes its logs first.
    ~PerformanceCounterManager() override;

    // The live manager, or null before start-up and after shutdown.
    static PerformanceCounterManager* GetInstance();

    void StartMeasuring() override;
    void StopMeasuring() override;
    void BeginTick() override {}
    void EndTick() override;
    void AbandonMeasuring() override;

    void StartTimeCounter(std::string_view name);
    // Pauses the counter, so a second stretch in the same tick adds to the first;
    // the milliseconds it holds so far this tick (0.0 while not measuring).
    double StopTimeCounter(std::string_view name);
    void AddToIntCounter(std::string_view name, int32_t amount);

private:
    const PerformanceClock& m_Clock;
    CounterDictionary<TimeCounter> m_TimeCounters;
    CounterDictionary<int32_t> m_IntCounters;
    CounterLogWriter m_TimeLogWriter;
    CounterLogWriter m_IntLogWriter;
};

// One blit statistic per tick. Pixels are summed in 64 bits: a busy tick of
// large blits passes the 32-bit range.
struct BlitCounter
{
    int32_t numCalls = 0;
    double totalTime = 0.0;  // milliseconds
    int64_t numPixels = 0;
};

// Time and pixels of the pixel-level image operations: "Compositing" (alpha
// blits) and "Clip" (alpha masks), four columns each.
class BlitPerformanceManager : public ExtendedTickPerformanceCounter
{
public:
    // The process has one at a time; it installs itself as the instance.
    BlitPerformanceManager();
    // Still measuring (the program quit while logging): writes its log first.
    ~BlitPerformanceManager() override;

    static BlitPerformanceManager* GetInstance();

    void BeginTick() override {}
    void WriteValues(CounterLogWriter& writer, const std::string& name) override;
    void ResetEntry(const std::string& name) override;
    void WriteHeaders(CounterLogWriter& writer, const std::string& name) override;

    void AddCompositing(int width, int height, double milliseconds);
    void AddClip(int width, int height, double milliseconds);

private:
    void Add(std::string_view name, int width, int height, double milliseconds);

    CounterDictionary<BlitCounter> m_Entries;
};

// Measures a stretch of code under a named time counter: started on
// construction (unless told otherwise), stopped on destruction if still running.
class ScopedTickCounter
{
public:
    ScopedTickCounter(PerformanceCounterManager& manager, std::string name, bool autoStart = true);
    ScopedTickCounter(const ScopedTickCounter&) = delete;
    ScopedTickCounter& operator=(const ScopedTickCounter&) = delete;
    ~ScopedTickCounter();

    void Start();
    void Stop();

private:
    PerformanceCounterManager& m_Manager;
    std::string m_Name;
    bool m_Running = false;
};
