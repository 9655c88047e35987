#include "engine/runtime/PerformanceCounters.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include <unistd.h>
#include "support/Failure.h"

namespace fs = std::filesystem;

namespace {

// Counts microseconds; tests step it by hand.
class FakeClock : public PerformanceClock
{
public:
    int64_t now = 123456789;
    int64_t GetCounter() const override { return now; }
    int64_t GetFrequency() const override { return 1000000; }
    void Advance(double ms) { now += static_cast<int64_t>(ms * 1000); }
};


bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

bool LogHas(const std::string& part)
{
    std::vector<std::string> lines = GetCachedLogLines();
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return Contains(line, part); });
}

std::string ReadFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::vector<std::string>> ReadFields(const std::string& name)
{
    std::vector<std::vector<std::string>> lines;
    std::istringstream text(ReadFile(name));
    std::string line;
    while (std::getline(text, line)) {
        std::vector<std::string> fields;
        std::istringstream row(line);
        std::string field;
        while (std::getline(row, field, '\t'))
            fields.push_back(field);
        lines.push_back(fields);
    }
    return lines;
}

// Records the calls the tick manager makes; optionally refuses to start.
class RecordingCounter : public TickPerformanceCounter
{
public:
    RecordingCounter(std::string name, std::vector<std::string>& calls, bool failStart = false)
        : m_Name(std::move(name)), m_Calls(calls), m_FailStart(failStart)
    {
    }
    void StartMeasuring() override
    {
        m_Calls.push_back(m_Name + ":start");
        if (m_FailStart)
            VELK_THROW(Exception, "no room for " + m_Name);
        m_Measuring = true;
    }
    void StopMeasuring() override
    {
        m_Calls.push_back(m_Name + ":stop");
        m_Measuring = false;
    }
    void BeginTick() override { m_Calls.push_back(m_Name + ":begin"); }
    void EndTick() override { m_Calls.push_back(m_Name + ":end"); }
    void AbandonMeasuring() override
    {
        m_Calls.push_back(m_Name + ":abandon");
        m_Measuring = false;
    }

private:
    std::string m_Name;
    std::vector<std::string>& m_Calls;
    bool m_FailStart;
};

TEST(TimeCounterTest, PausesAccumulateAndNestedStartsKeepTheRunningStretch)
{
    FakeClock clock;
    TimeCounter counter(clock);
    EXPECT_EQ(counter.GetElapsedTimeInMS(), 0.0);

    counter.Start();
    clock.Advance(5);
    counter.Start();  // nested: the stretch still began 5 ms ago
    EXPECT_EQ(counter.GetNestedStartCount(), 1);
    clock.Advance(3);
    counter.Pause(clock.now);
    EXPECT_DOUBLE_EQ(counter.GetElapsedTimeInMS(), 8.0);

    clock.Advance(100);  // paused time does not count
    counter.Start();
    clock.Advance(2);
    counter.Stop();
    EXPECT_EQ(counter.GetState(), TimeCounter::TimerStopped);
    EXPECT_DOUBLE_EQ(counter.GetElapsedTimeInMS(), 10.0);

    // Starting a stopped counter starts from zero.
    counter.Start();
    clock.Advance(1);
    counter.Stop();
    EXPECT_DOUBLE_EQ(counter.GetElapsedTimeInMS(), 1.0);
}

TEST(TimeCounterTest, ElapsedTimeOfARunningCounterIsRefused)
{
    FakeClock clock;
    TimeCounter counter(clock);
    counter.Start();
    EXPECT_EQ(FailureOf([&] { counter.GetElapsedTimeInMS(); }),
              "Assertion failed: (m_TimerState != TimerRunning)\n"
              "Message: A counter's elapsed time cannot be retrieved while the timer is running.");
}

TEST(CounterDictionaryTest, NamesFollowFirstUseAndClearStartsAgain)
{
    CounterDictionary<int32_t> counters;
    counters.Get("b", 0) += 1;
    counters.Get("a", 0) += 2;
    counters.Get("b", 0) += 3;
    EXPECT_EQ(counters.GetNames(), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(counters.Get("b", 0), 4);

    counters.Clear();
    EXPECT_EQ(counters.GetCount(), 0u);
    EXPECT_EQ(counters.Get("a", 0), 0);
    counters.Get("c", 0);
    EXPECT_EQ(counters.GetNames(), (std::vector<std::string>{"a", "c"}));
}

TEST(TickPerformanceManagerTest, DrivesCountersInRegistrationOrderOnlyWhileMeasuring)
{
    std::vector<std::string> calls;
    RecordingCounter a("a", calls);
    auto b = std::make_unique<RecordingCounter>("b", calls);
    TickPerformanceManager ticks;
    ticks.RegisterCounter(&a);
    ticks.RegisterCounter(b.get());

    ticks.BeginTick();
    ticks.EndTick();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(FailureOf([&] { ticks.StopMeasuringPerformance(); }),
              "Assertion failed: (IsMeasuringPerformance() == true)");

    ASSERT_TRUE(ticks.StartMeasuringPerformance());
    EXPECT_EQ(FailureOf([&] { ticks.StartMeasuringPerformance(); }),
              "Assertion failed: (IsMeasuringPerformance() == false)");
    ticks.BeginTick();
    ticks.EndTick();
    ticks.BeginTick();
    EXPECT_EQ(ticks.GetTickCount(), 2u);
    // A counter destroyed first leaves the list.
    b.reset();
    ticks.EndTick();
    ticks.StopMeasuringPerformance();
    EXPECT_FALSE(ticks.IsMeasuringPerformance());
    EXPECT_EQ(calls, (std::vector<std::string>{"a:start", "b:start", "a:begin", "b:begin", "a:end", "b:end",
                                               "a:begin", "b:begin", "a:end", "a:stop"}));

    ASSERT_TRUE(ticks.StartMeasuringPerformance());
    EXPECT_EQ(ticks.GetTickCount(), 0u);
}

TEST(TickPerformanceManagerTest, ACounterThatCannotStartLeavesNothingMeasuring)
{
    std::vector<std::string> calls;
    RecordingCounter a("a", calls), b("b", calls, true), c("c", calls);
    TickPerformanceManager ticks;
    ticks.RegisterCounter(&a);
    ticks.RegisterCounter(&b);
    ticks.RegisterCounter(&c);
    ClearLogCache();

    EXPECT_FALSE(ticks.StartMeasuringPerformance());
    EXPECT_FALSE(ticks.IsMeasuringPerformance());
    EXPECT_FALSE(a.IsMeasuring());
    EXPECT_EQ(calls, (std::vector<std::string>{"a:start", "b:start", "a:abandon"}));
    EXPECT_TRUE(LogHas("WARNING: no room for b"));
}

// Each test runs in a fresh working directory, where the logs are written.
class PerformanceLogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_OldDir = fs::current_path();
        std::string folder = (fs::temp_directory_path() / "perflogXXXXXX").string();
        ASSERT_NE(mkdtemp(folder.data()), nullptr);
        m_Dir = folder;
        fs::current_path(m_Dir);
        ClearLogCache();
    }
    void TearDown() override
    {
        blits.reset();
        ticks.reset();
        counters.reset();
        fs::current_path(m_OldDir);
        fs::remove_all(m_Dir);
    }

    // As the application sets them up.
    void CreateManagers()
    {
        counters = std::make_unique<PerformanceCounterManager>(clock);
        ticks = std::make_unique<TickPerformanceManager>();
        ticks->RegisterCounter(counters.get());
        blits = std::make_unique<BlitPerformanceManager>();
        ticks->RegisterCounter(blits.get());
    }

    std::vector<std::string> Files(const fs::path& folder = fs::current_path()) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    FakeClock clock;
    std::unique_ptr<PerformanceCounterManager> counters;
    std::unique_ptr<TickPerformanceManager> ticks;
    std::unique_ptr<BlitPerformanceManager> blits;
    fs::path m_OldDir;
    fs::path m_Dir;
};

TEST_F(PerformanceLogTest, TimeAndIntegerLogsHaveAColumnPerCounterInOrderOfFirstUse)
{
    CreateManagers();
    // Not measuring: nothing is counted.
    counters->StartTimeCounter("events");
    counters->AddToIntCounter("Sounds Played", 1);
    EXPECT_EQ(counters->StopTimeCounter("events"), 0.0);

    ASSERT_TRUE(ticks->StartMeasuringPerformance());
    ticks->BeginTick();
    counters->StartTimeCounter("all");
    counters->StartTimeCounter("events");
    clock.Advance(2);
    EXPECT_DOUBLE_EQ(counters->StopTimeCounter("events"), 2.0);
    clock.Advance(1);
    counters->StartTimeCounter("events");
    clock.Advance(3);
    EXPECT_DOUBLE_EQ(counters->StopTimeCounter("events"), 5.0);
    counters->AddToIntCounter("Sounds Played", 1);
    counters->AddToIntCounter("Sounds Played", 1);
    clock.Advance(1);
    ticks->EndTick();  // "all" is still running: the end of the tick closes it

    ticks->BeginTick();
    counters->StartTimeCounter("all");
    {
        ScopedTickCounter ticking(*counters, "ticking");
        clock.Advance(4);
    }
    ScopedTickCounter waiting(*counters, "wait for tick end", false);
    waiting.Start();
    waiting.Stop();
    counters->AddToIntCounter("Images Uploaded", 3);
    counters->StopTimeCounter("all");
    ticks->EndTick();
    ticks->StopMeasuringPerformance();

    EXPECT_EQ(ReadFile("PerformanceLog_TimeCounters.txt"),
              "all\tevents\tticking\twait for tick end\n"
              "7.000000\t5.000000\n"
              "4.000000\t0.000000\t4.000000\t0.000000\n");
    EXPECT_EQ(ReadFile("PerformangeLog_IntCounters.txt"),
              "Sounds Played\tImages Uploaded\n"
              "2\n"
              "0\t3\n");
    EXPECT_EQ(ReadFile("PerformanceLog_Blitting.txt"), "\n\n\n");
    // The temporary files are gone.
    EXPECT_EQ(Files(), (std::vector<std::string>{"PerformanceLog_Blitting.txt", "PerformanceLog_TimeCounters.txt",
                                                 "PerformangeLog_IntCounters.txt"}));
}

TEST_F(PerformanceLogTest, BlitLogHasFourColumnsPerEntryAndResetsEachTick)
{
    CreateManagers();
    blits->AddCompositing(10, 10, 1.0);  // not measuring
    ASSERT_TRUE(ticks->StartMeasuringPerformance());
    ticks->BeginTick();
    blits->AddCompositing(10, 20, 0.25);
    blits->AddCompositing(10, 20, 0.75);
    blits->AddClip(4, 4, 0.0);
    ticks->EndTick();
    ticks->BeginTick();
    blits->AddClip(2, 3, 0.5);
    ticks->EndTick();
    ticks->StopMeasuringPerformance();

    auto lines = ReadFields("PerformanceLog_Blitting.txt");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], (std::vector<std::string>{"Compositing,numCalls", "Compositing,totalTime",
                                                  "Compositing,numPixels", "Compositing,fillRate", "Clip,numCalls",
                                                  "Clip,totalTime", "Clip,numPixels", "Clip,fillRate"}));
    // No measurable time: the fill rate is whatever the division gives.
    EXPECT_EQ(lines[1], (std::vector<std::string>{"2", "1.000000", "400", "400.000000", "1", "0.000000", "16", "inf"}));
    ASSERT_EQ(lines[2].size(), 8u);
    EXPECT_EQ(std::vector<std::string>(lines[2].begin(), lines[2].begin() + 3),
              (std::vector<std::string>{"0", "0.000000", "0"}));
    EXPECT_TRUE(Contains(lines[2][3], "nan"));
    EXPECT_EQ(std::vector<std::string>(lines[2].begin() + 4, lines[2].end()),
              (std::vector<std::string>{"1", "0.500000", "6", "12.000000"}));
}

TEST_F(PerformanceLogTest, ADirectoryThatTakesNoFilesRefusesToStartWithAWarning)
{
    CreateManagers();
    fs::create_directory("gone");
    fs::current_path("gone");
    fs::remove(m_Dir / "gone");

    EXPECT_FALSE(ticks->StartMeasuringPerformance());
    EXPECT_FALSE(ticks->IsMeasuringPerformance());
    EXPECT_FALSE(counters->IsMeasuring());
    EXPECT_TRUE(LogHas("WARNING: Could not create a temporary file in the working directory, reason=\""));
    counters->AddToIntCounter("Sounds Played", 1);
    ticks->BeginTick();
    ticks->EndTick();

    // Once the directory takes files again, measuring starts.
    fs::current_path(m_Dir);
    EXPECT_TRUE(ticks->StartMeasuringPerformance());
}

TEST_F(PerformanceLogTest, ALaterCounterFailingDropsTheTemporaryFilesOfEarlierOnes)
{
    CreateManagers();
    std::vector<std::string> calls;
    RecordingCounter failing("failing", calls, true);
    ticks->RegisterCounter(&failing);

    EXPECT_FALSE(ticks->StartMeasuringPerformance());
    EXPECT_FALSE(counters->IsMeasuring());
    EXPECT_FALSE(blits->IsMeasuring());
    EXPECT_TRUE(Files().empty());
}

TEST_F(PerformanceLogTest, ALogThatCannotBeOpenedIsAWarningAndTheOthersAreStillWritten)
{
    CreateManagers();
    fs::create_directory("PerformanceLog_TimeCounters.txt");
    ASSERT_TRUE(ticks->StartMeasuringPerformance());
    ticks->BeginTick();
    counters->StartTimeCounter("all");
    counters->AddToIntCounter("Sounds Played", 1);
    ticks->EndTick();
    ticks->StopMeasuringPerformance();

    EXPECT_FALSE(ticks->IsMeasuringPerformance());
    EXPECT_TRUE(LogHas("WARNING: Could not finish the performance log \"PerformanceLog_TimeCounters.txt\".\n"
                       "Could not open \"PerformanceLog_TimeCounters.txt\" for writing, reason=\"Is a "
                       "directory\""));
    EXPECT_EQ(ReadFile("PerformangeLog_IntCounters.txt"), "Sounds Played\n1\n");
    EXPECT_EQ(Files(), (std::vector<std::string>{"PerformanceLog_Blitting.txt", "PerformanceLog_TimeCounters.txt",
                                                 "PerformangeLog_IntCounters.txt"}));
    EXPECT_TRUE(fs::is_directory("PerformanceLog_TimeCounters.txt"));
    EXPECT_TRUE(ticks->StartMeasuringPerformance());
}

TEST_F(PerformanceLogTest, QuittingWhileMeasuringStillWritesTheLogs)
{
    CreateManagers();
    ASSERT_TRUE(ticks->StartMeasuringPerformance());
    ticks->BeginTick();
    counters->AddToIntCounter("Sounds Played", 2);
    blits->AddClip(1, 1, 1.0);
    ticks->EndTick();
    // The application's order of deletion.
    blits.reset();
    ticks.reset();
    counters.reset();

    EXPECT_EQ(ReadFile("PerformangeLog_IntCounters.txt"), "Sounds Played\n2\n");
    EXPECT_EQ(ReadFile("PerformanceLog_Blitting.txt"),
              "Clip,numCalls\tClip,totalTime\tClip,numPixels\tClip,fillRate\n1\t1.000000\t1\t1.000000\n");
    EXPECT_EQ(Files().size(), 3u);
}

TEST_F(PerformanceLogTest, TheLogsAndTheirTemporaryFilesGoToTheLogFolder)
{
    fs::create_directory("logs");
    counters = std::make_unique<PerformanceCounterManager>(clock);
    ticks = std::make_unique<TickPerformanceManager>();
    ticks->RegisterCounter(counters.get());
    ticks->SetLogFolder((m_Dir / "logs").string() + "/");
    // A counter registered later takes the folder too.
    blits = std::make_unique<BlitPerformanceManager>();
    ticks->RegisterCounter(blits.get());

    ASSERT_TRUE(ticks->StartMeasuringPerformance());
    EXPECT_EQ(Files(), std::vector<std::string>{"logs"});
    EXPECT_EQ(Files("logs").size(), 3u);  // a temporary file per log
    ticks->BeginTick();
    counters->AddToIntCounter("Sounds Played", 1);
    ticks->EndTick();
    ticks->StopMeasuringPerformance();

    EXPECT_EQ(Files(), std::vector<std::string>{"logs"});
    EXPECT_EQ(Files("logs"), (std::vector<std::string>{"PerformanceLog_Blitting.txt", "PerformanceLog_TimeCounters.txt",
                                                       "PerformangeLog_IntCounters.txt"}));
    EXPECT_EQ(ReadFile("logs/PerformangeLog_IntCounters.txt"), "Sounds Played\n1\n");
}

TEST_F(PerformanceLogTest, WriterMisuseIsAnAssertion)
{
    struct Case
    {
        const char* what;
        std::function<void(CounterLogWriter&)> misuse;
        const char* failure;
    };
    const Case cases[] = {
        {"line in a line", [](CounterLogWriter& w) { w.BeginLine(); w.BeginLine(); },
         "Assertion failed: (m_State == Idle)"},
        {"end without a line", [](CounterLogWriter& w) { w.EndLine(); },
         "Assertion failed: (m_State == WritingLineOfPerfData)"},
        {"field outside a line", [](CounterLogWriter& w) { w.WriteField(1); }, "Assertion failed: (false)"},
        {"finalization without lines",
         [](CounterLogWriter& w) { w.BeginFinalization("out.txt"); w.EndFinalization(); },
         "Assertion failed: (m_TempFile != 0)"},
        {"second temporary file", [](CounterLogWriter& w) { w.OpenTempFile(); w.OpenTempFile(); },
         "Assertion failed: (m_TempFile == 0)"},
    };
    for (const Case& c : cases) {
        CounterLogWriter writer;
        EXPECT_EQ(FailureOf([&] { c.misuse(writer); }), c.failure) << c.what;
    }
    // The writers took their temporary files with them.
    EXPECT_EQ(Files(), (std::vector<std::string>{"out.txt"}));
}

} // namespace
