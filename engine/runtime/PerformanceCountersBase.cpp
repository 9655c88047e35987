#include "engine/runtime/PerformanceCountersBase.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"

#include <boost/format.hpp>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <ctime>

#include <unistd.h>

namespace {

class MonotonicPerformanceClock : public PerformanceClock
{
public:
    int64_t GetCounter() const override
    {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
    }
    int64_t GetFrequency() const override { return 1000000000; }
};

} // namespace

const PerformanceClock& GetSystemPerformanceClock()
{
    static const MonotonicPerformanceClock clock;
    return clock;
}

// ------------------------------------------------------------------ TimeCounter

TimeCounter::TimeCounter(const PerformanceClock& clock) : m_Clock(&clock) {}

void TimeCounter::Start()
{
    if (m_TimerState == TimerStopped) {
        m_ElapsedMS = 0.0;
        m_NestedStarts = 0;
        m_TimerState = TimerRunning;
        m_Frequency = m_Clock->GetFrequency();
        m_StartValue = m_Clock->GetCounter();
    } else if (m_TimerState == TimerPaused) {
        m_TimerState = TimerRunning;
        m_StartValue = m_Clock->GetCounter();
    } else if (m_TimerState == TimerRunning) {
        ++m_NestedStarts;
    } else {
        VELK_ASSERT(m_TimerState == TimerStopped || m_TimerState == TimerPaused || m_TimerState == TimerRunning);
    }
}

void TimeCounter::EndStretch(int64_t counterValue, TimerState newState)
{
    if (m_TimerState == TimerRunning)
        m_ElapsedMS += static_cast<double>(counterValue - m_StartValue) / static_cast<double>(m_Frequency) * 1000.0;
    m_TimerState = newState;
}

void TimeCounter::Pause(int64_t counterValue)
{
    EndStretch(counterValue, TimerPaused);
}

void TimeCounter::Stop()
{
    EndStretch(m_Clock->GetCounter(), TimerStopped);
}

void TimeCounter::Reset()
{
    m_TimerState = TimerStopped;
    m_ElapsedMS = 0.0;
    m_NestedStarts = 0;
}

double TimeCounter::GetElapsedTimeInMS() const
{
    VELK_ASSERT_MSG(m_TimerState != TimerRunning,
                    "A counter's elapsed time cannot be retrieved while the timer is running.");
    VELK_ASSERT(m_TimerState == TimerStopped || m_TimerState == TimerPaused);
    return m_ElapsedMS;
}

// ------------------------------------------------------------------ CounterLogWriter

CounterLogWriter::~CounterLogWriter()
{
    Discard();
}

void CounterLogWriter::OpenTempFile(const std::string& folder)
{
    VELK_ASSERT(m_TempFile == 0);
    VELK_ASSERT(m_TempFileName.empty() == true);
    std::string name = folder + "tmpXXXXXX";
    int fd = mkstemp(name.data());
    if (fd != -1) {
        m_TempFile = fdopen(fd, "w+");
        if (!m_TempFile) {
            const int error = errno;
            close(fd);
            std::remove(name.c_str());
            errno = error;
        }
    }
    // A folder that takes no files is the player's to fix, not a fault of ours.
    if (!m_TempFile)
        VELK_THROW(Exception, (boost::format("Could not create a temporary file in %1%, reason=\"%2%\"") %
                               (folder.empty() ? std::string("the working directory") : "\"" + folder + "\"") %
                               std::strerror(errno))
                                  .str());
    m_TempFileName = name;
}

void CounterLogWriter::BeginLine()
{
    VELK_ASSERT(m_State == Idle);
    if (!m_TempFile)
        OpenTempFile();
    m_FirstField = true;
    m_State = WritingLineOfPerfData;
}

FILE* CounterLogWriter::GetDestFile() const
{
    if (m_State == WritingLineOfPerfData)
        return m_TempFile;
    if (m_State == WritingHeaders)
        return m_FinalFile;
    VELK_THROW(Exception, AssertionText("false"));
}

FILE* CounterLogWriter::BeginField()
{
    FILE* file = GetDestFile();
    if (!m_FirstField)
        std::fputc('\t', file);
    m_FirstField = false;
    return file;
}

void CounterLogWriter::WriteField(int32_t value)
{
    std::fprintf(BeginField(), "%d", value);
}

void CounterLogWriter::WriteField(int64_t value)
{
    std::fprintf(BeginField(), "%" PRId64, value);
}

void CounterLogWriter::WriteField(double value)
{
    std::fprintf(BeginField(), "%f", value);
}

void CounterLogWriter::WriteField(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), BeginField());
}

void CounterLogWriter::EndLine()
{
    VELK_ASSERT(m_State == WritingLineOfPerfData);
    VELK_ASSERT(m_TempFile != 0);
    std::fputs("\n", m_TempFile);
    m_State = Idle;
}

void CounterLogWriter::BeginFinalization(const std::string& fileName)
{
    VELK_ASSERT(m_State == Idle);
    m_FinalFile = std::fopen(fileName.c_str(), "w");
    if (!m_FinalFile)
        VELK_THROW(Exception, (boost::format("Could not open \"%1%\" for writing, reason=\"%2%\"") % fileName %
                               std::strerror(errno))
                                  .str());
    m_FirstField = true;
    m_State = WritingHeaders;
}

void CounterLogWriter::EndFinalization()
{
    VELK_ASSERT(m_TempFile != 0);
    VELK_ASSERT(m_State == WritingHeaders);
    std::fputs("\n", m_FinalFile);
    VELK_ASSERT(fseek(m_TempFile, 0, 0) == 0);
    char block[1024];
    bool copied = true;
    while (std::size_t count = std::fread(block, 1, sizeof(block), m_TempFile)) {
        if (std::fwrite(block, 1, count, m_FinalFile) != count) {
            copied = false;
            break;
        }
    }
    copied = std::ferror(m_TempFile) == 0 && copied;
    int error = errno;
    // The copy is only on disk once the close succeeded.
    if (std::fclose(m_FinalFile) != 0 && copied) {
        copied = false;
        error = errno;
    }
    m_FinalFile = nullptr;
    std::fclose(m_TempFile);
    m_TempFile = nullptr;
    m_State = Idle;
    VELK_ASSERT(m_TempFileName.empty() == false);
    std::string tempFileName = std::move(m_TempFileName);
    m_TempFileName.clear();
    VELK_ASSERT(std::remove(tempFileName.c_str()) == 0);
    VELK_ASSERT_MSG(copied, (boost::format("Could not write the performance lines, reason=\"%1%\"") %
                             std::strerror(error))
                                .str());
}

bool CounterLogWriter::WriteFinalFile(const std::string& fileName, const std::function<void()>& writeHeaders)
{
    try {
        BeginFinalization(fileName);
        writeHeaders();
        EndFinalization();
        return true;
    } catch (const Exception& e) {
        LogWrite("WARNING: Could not finish the performance log \"%s\".\n%s\n", fileName.c_str(),
                 e.GetMessage().c_str());
        Discard();
        return false;
    }
}

void CounterLogWriter::Discard() noexcept
{
    if (m_FinalFile)
        std::fclose(m_FinalFile);
    m_FinalFile = nullptr;
    if (m_TempFile)
        std::fclose(m_TempFile);
    m_TempFile = nullptr;
    if (!m_TempFileName.empty())
        std::remove(m_TempFileName.c_str());
    m_TempFileName.clear();
    m_FirstField = true;
    m_State = Idle;
}

// ------------------------------------------------------------------ TickPerformanceCounter

TickPerformanceCounter::~TickPerformanceCounter()
{
    if (m_Manager)
        m_Manager->UnregisterCounter(this);
}

ExtendedTickPerformanceCounter::ExtendedTickPerformanceCounter(CounterDictionaryBase& dictionary,
                                                               std::string destFileName)
    : m_Dictionary(dictionary), m_DestFileName(std::move(destFileName))
{
}

void ExtendedTickPerformanceCounter::StartMeasuring()
{
    VELK_ASSERT(IsMeasuring() == false);
    m_Dictionary.Clear();
    m_Writer.OpenTempFile(GetLogFolder());
    m_Measuring = true;
}

void ExtendedTickPerformanceCounter::StopMeasuring()
{
    VELK_ASSERT(IsMeasuring() == true);
    m_Measuring = false;
    m_Writer.WriteFinalFile(GetLogFolder() + m_DestFileName, [this] {
        for (const std::string& name : m_Dictionary.GetNames())
            WriteHeaders(m_Writer, name);
    });
}

void ExtendedTickPerformanceCounter::EndTick()
{
    if (!m_Measuring)
        return;
    std::vector<std::string> names = m_Dictionary.GetNames();
    m_Writer.BeginLine();
    for (const std::string& name : names)
        WriteValues(m_Writer, name);
    m_Writer.EndLine();
    for (const std::string& name : names)
        ResetEntry(name);
}

void ExtendedTickPerformanceCounter::AbandonMeasuring()
{
    m_Measuring = false;
    m_Writer.Discard();
}

// ------------------------------------------------------------------ TickPerformanceManager

TickPerformanceManager::~TickPerformanceManager()
{
    for (TickPerformanceCounter* counter : m_Counters)
        counter->m_Manager = nullptr;
}

void TickPerformanceManager::RegisterCounter(TickPerformanceCounter* counter)
{
    VELK_ASSERT(counter != 0);
    VELK_ASSERT(counter->m_Manager == 0);
    counter->m_Manager = this;
    counter->SetLogFolder(m_LogFolder);
    m_Counters.push_back(counter);
}

void TickPerformanceManager::SetLogFolder(const std::string& folder)
{
    m_LogFolder = folder;
    for (TickPerformanceCounter* counter : m_Counters)
        counter->SetLogFolder(folder);
}

void TickPerformanceManager::UnregisterCounter(TickPerformanceCounter* counter)
{
    auto found = std::find(m_Counters.begin(), m_Counters.end(), counter);
    if (found == m_Counters.end())
        return;
    m_Counters.erase(found);
    counter->m_Manager = nullptr;
}

bool TickPerformanceManager::StartMeasuringPerformance()
{
    VELK_ASSERT(IsMeasuringPerformance() == false);
    m_TickCount = 0;
    for (std::size_t i = 0; i < m_Counters.size(); ++i) {
        try {
            m_Counters[i]->StartMeasuring();
        } catch (const Exception& e) {
            LogWrite("WARNING: %s\n", e.GetMessage().c_str());
            // All or none: the counters already started drop their logs.
            for (std::size_t j = 0; j < i; ++j)
                m_Counters[j]->AbandonMeasuring();
            return false;
        }
    }
    m_Measuring = true;
    return true;
}

void TickPerformanceManager::StopMeasuringPerformance()
{
    VELK_ASSERT(IsMeasuringPerformance() == true);
    // A counter registered after the start has nothing to finish.
    for (TickPerformanceCounter* counter : m_Counters)
        if (counter->IsMeasuring())
            counter->StopMeasuring();
    m_Measuring = false;
}

void TickPerformanceManager::BeginTick()
{
    if (!m_Measuring)
        return;
    ++m_TickCount;
    for (TickPerformanceCounter* counter : m_Counters)
        counter->BeginTick();
}

void TickPerformanceManager::EndTick()
{
    if (!m_Measuring)
        return;
    for (TickPerformanceCounter* counter : m_Counters)
        counter->EndTick();
}
