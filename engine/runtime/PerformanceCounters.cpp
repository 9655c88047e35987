#include "engine/runtime/PerformanceCounters.h"

#include "engine/core/Exception.h"

#include <boost/format.hpp>

namespace {

PerformanceCounterManager* s_CounterManager = nullptr;
BlitPerformanceManager* s_BlitManager = nullptr;

} // namespace

// ------------------------------------------------------------------ PerformanceCounterManager

PerformanceCounterManager::PerformanceCounterManager(const PerformanceClock& clock) : m_Clock(clock)
{
    VELK_ASSERT_MSG(s_CounterManager == 0, "Only one PerformanceCounterManager may exist at a time.");
    s_CounterManager = this;
}

PerformanceCounterManager::~PerformanceCounterManager()
{
    if (s_CounterManager == this)
        s_CounterManager = nullptr;
    if (m_Measuring) {
        try {
            StopMeasuring();
        } catch (...) {
            // The writers' destructors still delete the temporary files.
        }
    }
}

PerformanceCounterManager* PerformanceCounterManager::GetInstance()
{
    return s_CounterManager;
}

void PerformanceCounterManager::StartMeasuring()
{
    VELK_ASSERT(IsMeasuring() == false);
    m_TimeCounters.Clear();
    m_IntCounters.Clear();
    // Opened now rather than at the first line, so a directory that takes no
    // files is known before anything is counted.
    try {
        m_TimeLogWriter.OpenTempFile(GetLogFolder());
        m_IntLogWriter.OpenTempFile(GetLogFolder());
    } catch (...) {
        m_TimeLogWriter.Discard();
        m_IntLogWriter.Discard();
        throw;
    }
    m_Measuring = true;
}

void PerformanceCounterManager::StopMeasuring()
{
    VELK_ASSERT(IsMeasuring() == true);
    m_Measuring = false;
    m_TimeLogWriter.WriteFinalFile(GetLogFolder() + kTimeCountersLogFile, [this] {
        for (const std::string& name : m_TimeCounters.GetNames())
            m_TimeLogWriter.WriteField(name);
    });
    m_IntLogWriter.WriteFinalFile(GetLogFolder() + kIntCountersLogFile, [this] {
        for (const std::string& name : m_IntCounters.GetNames())
            m_IntLogWriter.WriteField(name);
    });
}

void PerformanceCounterManager::EndTick()
{
    if (!m_Measuring)
        return;
    // Closes the stretches still open, such as "all" in a paused pass.
    m_TimeCounters.ForEach([](const std::string&, TimeCounter& counter) {
        if (counter.GetState() != TimeCounter::TimerStopped)
            counter.Stop();
    });
    m_TimeLogWriter.BeginLine();
    m_TimeCounters.ForEach(
        [this](const std::string&, TimeCounter& counter) { m_TimeLogWriter.WriteField(counter.GetElapsedTimeInMS()); });
    m_TimeLogWriter.EndLine();
    m_IntLogWriter.BeginLine();
    m_IntCounters.ForEach([this](const std::string&, int32_t value) { m_IntLogWriter.WriteField(value); });
    m_IntLogWriter.EndLine();
    m_TimeCounters.ForEach([](const std::string&, TimeCounter& counter) { counter.Reset(); });
    m_IntCounters.ForEach([](const std::string&, int32_t& value) { value = 0; });
}

void PerformanceCounterManager::AbandonMeasuring()
{
    m_Measuring = false;
    m_TimeLogWriter.Discard();
    m_IntLogWriter.Discard();
}

void PerformanceCounterManager::StartTimeCounter(std::string_view name)
{
    if (!m_Measuring)
        return;
    m_TimeCounters.Get(name, m_Clock).Start();
}

double PerformanceCounterManager::StopTimeCounter(std::string_view name)
{
    if (!m_Measuring)
        return 0.0;
    // Read before the look-up, which is not part of the measured stretch.
    int64_t now = m_Clock.GetCounter();
    TimeCounter& counter = m_TimeCounters.Get(name, m_Clock);
    counter.Pause(now);
    return counter.GetElapsedTimeInMS();
}

void PerformanceCounterManager::AddToIntCounter(std::string_view name, int32_t amount)
{
    if (!m_Measuring)
        return;
    m_IntCounters.Get(name, 0) += amount;
}

// ------------------------------------------------------------------ BlitPerformanceManager

BlitPerformanceManager::BlitPerformanceManager() : ExtendedTickPerformanceCounter(m_Entries, kBlittingLogFile)
{
    VELK_ASSERT_MSG(s_BlitManager == 0, "Only one BlitPerformanceManager may exist at a time.");
    s_BlitManager = this;
}

BlitPerformanceManager::~BlitPerformanceManager()
{
    if (s_BlitManager == this)
        s_BlitManager = nullptr;
    // Here rather than in the base: writing the headers needs this class.
    if (m_Measuring) {
        try {
            StopMeasuring();
        } catch (...) {
        }
    }
}

BlitPerformanceManager* BlitPerformanceManager::GetInstance()
{
    return s_BlitManager;
}

void BlitPerformanceManager::WriteValues(CounterLogWriter& writer, const std::string& name)
{
    const BlitCounter& entry = m_Entries.Get(name);
    writer.WriteField(entry.numCalls);
    writer.WriteField(entry.totalTime);
    writer.WriteField(entry.numPixels);
    // Pixels per millisecond; a tick with no measurable time gives inf or nan.
    writer.WriteField(static_cast<double>(entry.numPixels) / entry.totalTime);
}

void BlitPerformanceManager::ResetEntry(const std::string& name)
{
    m_Entries.Get(name) = BlitCounter();
}

void BlitPerformanceManager::WriteHeaders(CounterLogWriter& writer, const std::string& name)
{
    for (const char* column : {"%1%,numCalls", "%1%,totalTime", "%1%,numPixels", "%1%,fillRate"})
        writer.WriteField((boost::format(column) % name).str());
}

void BlitPerformanceManager::Add(std::string_view name, int width, int height, double milliseconds)
{
    if (!m_Measuring)
        return;
    BlitCounter& entry = m_Entries.Get(name);
    ++entry.numCalls;
    entry.totalTime += milliseconds;
    entry.numPixels += static_cast<int64_t>(width) * height;
}

void BlitPerformanceManager::AddCompositing(int width, int height, double milliseconds)
{
    Add("Compositing", width, height, milliseconds);
}

void BlitPerformanceManager::AddClip(int width, int height, double milliseconds)
{
    Add("Clip", width, height, milliseconds);
}

// ------------------------------------------------------------------ ScopedTickCounter

ScopedTickCounter::ScopedTickCounter(PerformanceCounterManager& manager, std::string name, bool autoStart)
    : m_Manager(manager), m_Name(std::move(name))
{
    if (autoStart)
        Start();
}

ScopedTickCounter::~ScopedTickCounter()
{
    if (!m_Running)
        return;
    try {
        Stop();
    } catch (...) {
    }
}

void ScopedTickCounter::Start()
{
    m_Manager.StartTimeCounter(m_Name);
    m_Running = true;
}

void ScopedTickCounter::Stop()
{
    m_Manager.StopTimeCounter(m_Name);
    m_Running = false;
}
