#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The high-resolution counter that time counters read: a count and how many
// counts make a second. The program reads the monotonic clock; tests step their own.
class PerformanceClock
{
public:
    virtual ~PerformanceClock() = default;
    virtual int64_t GetCounter() const = 0;
    virtual int64_t GetFrequency() const = 0;
};

// CLOCK_MONOTONIC in nanoseconds.
const PerformanceClock& GetSystemPerformanceClock();

// A stopwatch over the performance clock that can be paused and resumed; it
// accumulates milliseconds over every running stretch.
class TimeCounter
{
public:
    enum TimerState
    {
        TimerStopped = 1,
        TimerRunning = 2,
        TimerPaused = 3,
    };

    explicit TimeCounter(const PerformanceClock& clock = GetSystemPerformanceClock());

    // Stopped: starts from zero. Paused: goes on from the elapsed time. Running:
    // only counts the nested start; the running stretch keeps its beginning.
    void Start();
    // Ends the running stretch at the given counter value.
    void Pause(int64_t counterValue);
    void Stop();
    // Back to stopped at zero, dropping any open stretch.
    void Reset();

    double GetElapsedTimeInMS() const;
    TimerState GetState() const { return m_TimerState; }
    int GetNestedStartCount() const { return m_NestedStarts; }

private:
    void EndStretch(int64_t counterValue, TimerState newState);

    const PerformanceClock* m_Clock;
    int64_t m_StartValue = 0;
    int64_t m_Frequency = 0;
    TimerState m_TimerState = TimerStopped;
    int m_NestedStarts = 0;
    double m_ElapsedMS = 0.0;
};

// Named entries in the order of their first use, which is the column order of a log.
class CounterDictionaryBase
{
public:
    virtual ~CounterDictionaryBase() = default;
    virtual std::vector<std::string> GetNames() const = 0;
    virtual void Clear() = 0;
};

template <class Entry>
class CounterDictionary : public CounterDictionaryBase
{
public:
    CounterDictionary() = default;
    CounterDictionary(const CounterDictionary&) = delete;
    CounterDictionary& operator=(const CounterDictionary&) = delete;

    // The entry under the name; a new one is built from the arguments (zero
    // values) and takes the next column.
    template <class... Args>
    Entry& Get(std::string_view name, Args&&... args)
    {
        auto found = m_Entries.find(name);
        if (found == m_Entries.end()) {
            found = m_Entries.emplace(std::string(name), Entry(std::forward<Args>(args)...)).first;
            m_ByIndex.push_back(&*found);
        }
        return found->second;
    }

    std::vector<std::string> GetNames() const override
    {
        std::vector<std::string> names;
        names.reserve(m_ByIndex.size());
        for (const auto* entry : m_ByIndex)
            names.push_back(entry->first);
        return names;
    }

    void Clear() override
    {
        m_ByIndex.clear();
        m_Entries.clear();
    }

    std::size_t GetCount() const { return m_ByIndex.size(); }

    // Calls fn(name, entry) for every entry in column order.
    template <class Fn>
    void ForEach(Fn&& fn)
    {
        for (auto* entry : m_ByIndex)
            fn(entry->first, entry->second);
    }

private:
    // Map nodes never move, so the column list can point into the map.
    using Map = std::map<std::string, Entry, std::less<>>;
    Map m_Entries;
    std::vector<typename Map::value_type*> m_ByIndex;
};

// Writes one tab-separated log: the lines go to a temporary file in the log's
// folder while measuring; at the end the final file gets the header line (known
// only then, as columns appear with first use) followed by those lines.
class CounterLogWriter
{
public:
    enum State
    {
        Idle,
        WritingLineOfPerfData,
        WritingHeaders,
    };

    CounterLogWriter() = default;
    CounterLogWriter(const CounterLogWriter&) = delete;
    CounterLogWriter& operator=(const CounterLogWriter&) = delete;
    // Closes what is open and deletes the temporary file.
    ~CounterLogWriter();

    // In the folder (a path ending in '/'; empty for the working directory).
    // Throws when the folder does not take a new file.
    void OpenTempFile(const std::string& folder = std::string());

    void BeginLine();
    void WriteField(int32_t value);
    void WriteField(int64_t value);
    void WriteField(double value);
    void WriteField(std::string_view text);
    void EndLine();

    // Opens the final file (throws when it cannot be opened) for the header fields.
    void BeginFinalization(const std::string& fileName);
    // Ends the header line, appends the lines and deletes the temporary file.
    void EndFinalization();

    // The whole finalization into the file, with writeHeaders writing the header
    // fields. A file that cannot be written costs a warning in the log and the
    // lines; never throws for it. Whether the file was written.
    bool WriteFinalFile(const std::string& fileName, const std::function<void()>& writeHeaders);

    // Drops everything written so far: closes both files, deletes the temporary one.
    void Discard() noexcept;

    State GetState() const { return m_State; }
    const std::string& GetTempFileName() const { return m_TempFileName; }

private:
    FILE* GetDestFile() const;
    FILE* BeginField();

    FILE* m_TempFile = nullptr;
    std::string m_TempFileName;
    FILE* m_FinalFile = nullptr;
    bool m_FirstField = true;
    State m_State = Idle;
};

class TickPerformanceManager;

// Anything the tick performance manager drives once per main-loop pass.
class TickPerformanceCounter
{
public:
    TickPerformanceCounter() = default;
    TickPerformanceCounter(const TickPerformanceCounter&) = delete;
    TickPerformanceCounter& operator=(const TickPerformanceCounter&) = delete;
    // Leaves the manager it is registered with.
    virtual ~TickPerformanceCounter();

    // Throws when its logs cannot be started; it then holds nothing open.
    virtual void StartMeasuring() = 0;
    // Writes the final files.
    virtual void StopMeasuring() = 0;
    virtual void BeginTick() = 0;
    // Writes this tick's line and resets the values.
    virtual void EndTick() = 0;
    // Ends measuring without writing anything.
    virtual void AbandonMeasuring() = 0;

    bool IsMeasuring() const { return m_Measuring; }
    // Where the logs and their temporary files go: a path ending in '/', or
    // empty for the working directory. Taken when measuring starts.
    void SetLogFolder(std::string folder) { m_LogFolder = std::move(folder); }
    const std::string& GetLogFolder() const { return m_LogFolder; }

protected:
    bool m_Measuring = false;

private:
    friend class TickPerformanceManager;
    TickPerformanceManager* m_Manager = nullptr;
    std::string m_LogFolder;
};

// A counter with one log of named entries: each entry writes its own group of
// columns per tick.
class ExtendedTickPerformanceCounter : public TickPerformanceCounter
{
public:
    // The dictionary is the subclass's typed one.
    ExtendedTickPerformanceCounter(CounterDictionaryBase& dictionary, std::string destFileName);

    void StartMeasuring() override;
    void StopMeasuring() override;
    void EndTick() override;
    void AbandonMeasuring() override;

    virtual void WriteValues(CounterLogWriter& writer, const std::string& name) = 0;
    virtual void ResetEntry(const std::string& name) = 0;
    virtual void WriteHeaders(CounterLogWriter& writer, const std::string& name) = 0;

    const std::string& GetDestFileName() const { return m_DestFileName; }

private:
    CounterDictionaryBase& m_Dictionary;
    CounterLogWriter m_Writer;
    std::string m_DestFileName;
};

// The list of counters the main loop drives, in registration order. It does not
// own them; a counter destroyed first leaves the list.
class TickPerformanceManager
{
public:
    TickPerformanceManager() = default;
    TickPerformanceManager(const TickPerformanceManager&) = delete;
    TickPerformanceManager& operator=(const TickPerformanceManager&) = delete;
    ~TickPerformanceManager();

    // A counter takes the manager's log folder when it registers.
    void RegisterCounter(TickPerformanceCounter* counter);
    void UnregisterCounter(TickPerformanceCounter* counter);
    // The log folder of every counter, now and later (see SetLogFolder).
    void SetLogFolder(const std::string& folder);

    // False, with a warning in the log, when a counter could not start its logs;
    // nothing is measuring then.
    bool StartMeasuringPerformance();
    void StopMeasuringPerformance();
    bool IsMeasuringPerformance() const { return m_Measuring; }

    void BeginTick();
    void EndTick();
    uint32_t GetTickCount() const { return m_TickCount; }

private:
    std::vector<TickPerformanceCounter*> m_Counters;
    std::string m_LogFolder;
    bool m_Measuring = false;
    uint32_t m_TickCount = 0;
};
