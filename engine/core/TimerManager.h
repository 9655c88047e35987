#pragma once

#include "engine/core/Events.h"
#include "engine/core/Object.h"

#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <string>
#include <vector>

// Where the timers read "now": the main loop's frame-start time in milliseconds,
// stored once at the start of every pass. The application implements it; tests
// step it by hand.
class TimerClock
{
public:
    virtual ~TimerClock() = default;
    virtual uint32_t GetFrameStartTime() const = 0;
};

// Bits of a timer's m_Flags. Only the first two are modes a caller passes in.
enum TimerFlags : uint32_t
{
    TIMER_LIMITED_TO_FRAMERATE = 1u << 1,
    TIMER_REAL_TIME = 1u << 2,
    TIMER_PAUSED = 1u << 3,
    TIMER_FREED = 1u << 4,
};

// The two data words of a VELK_TIMER record.
inline uint32_t TimerIDOfEvent(const EventRecord& event)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(event.user.data1));
}
inline int32_t RemainingSignalsOfEvent(const EventRecord& event)
{
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(event.user.data2));
}

// The engine's one source of timed callbacks. A timer is a numbered slot that sends
// VELK_TIMER at once to its receiver, a given number of times (or without end),
// every period. Timers live in named groups that can be paused together.
class TimerManager
{
public:
    struct TimerGroup
    {
        std::string m_Name;
        std::list<uint32_t> m_Timers;  // ids in the order they joined
        bool m_Paused = false;
        std::list<std::shared_ptr<TimerGroup>>::iterator m_Position;
    };

    struct Timer
    {
        TimerGroup* m_Group = nullptr;
        std::list<uint32_t>::iterator m_GroupPosition;
        uint32_t m_Period = 0;
        int32_t m_RemainingSignals = 0;  // -1 without end, 0 stopped
        uint32_t m_Flags = 0;
        EventReceiver* m_Receiver = nullptr;
        uint32_t m_Countdown = 0;  // frame mode: time left until the next signal
        uint32_t m_Start = 0;      // real time: base from which due signals are counted
        uint32_t m_Consumed = 0;   // real time, limited: period time signalled since the base
        // Raised when the id is handed out, and at every set-up or free, so a pass
        // can tell a record it copied from one a receiver has replaced meanwhile.
        uint32_t m_Incarnation = 0;
        uint32_t m_Setup = 0;
    };

    // The process has one manager at a time; it installs itself as the instance.
    explicit TimerManager(const TimerClock& clock);
    TimerManager(const TimerManager&) = delete;
    TimerManager& operator=(const TimerManager&) = delete;
    // Releases everything without sending anything.
    ~TimerManager();

    // The live manager, or null before start-up and after shutdown.
    static TimerManager* GetInstance();

    uint32_t CreateTimer(EventReceiver* receiver, uint32_t period, int32_t numSignals, uint32_t flags,
                         const std::string& group);
    void InitializeTimer(uint32_t timerID, EventReceiver* receiver, uint32_t period, int32_t numSignals,
                         uint32_t flags, const std::string& group);
    void RecreateTimer(uint32_t timerID, EventReceiver* receiver, uint32_t period, int32_t numSignals,
                       uint32_t flags, const std::string& group);
    // Recreates the id the variable holds, or creates a timer and stores its id there.
    void CreateOrRestartTimer(uint32_t& timerID, EventReceiver* receiver, uint32_t period, int32_t numSignals,
                              uint32_t flags, const std::string& group);
    void FreeTimer(uint32_t timerID);
    // Stops the timer but keeps its id and group.
    void ResetTimer(uint32_t timerID);
    void PauseTimer(uint32_t timerID);
    void ResumeTimer(uint32_t timerID);
    bool PauseTimerGroup(const std::string& name, bool individually);
    bool ResumeTimerGroup(const std::string& name, bool individually);
    // The application pauses: every timer stands until RebaseTimers.
    void SetPaused();
    void RebaseTimers();
    // Once per main-loop pass: sends every due signal.
    void Update();
    void FreeTimerGroup(TimerGroup* group);
    // Signals due now for one timer; advances its counting.
    uint32_t UpdateTimer(uint32_t timerID);

    // Frees every timer that would signal the receiver; it is going away.
    void FreeTimersOfReceiver(const EventReceiver* receiver);

    // Read access for callers that inspect a timer (id must be in range).
    const Timer& GetTimer(uint32_t timerID) const;
    std::size_t GetTimerCount() const { return m_Timers.size(); }
    // Timers handed out and not freed: the ids above count every one ever held at once.
    std::size_t GetLiveTimerCount() const;

private:
    void CheckSetup(int32_t numSignals, uint32_t flags) const;
    void LeaveGroup(Timer& timer);
    TimerGroup* FindGroup(const std::string& name) const;
    void RestartRealTimeTimers(TimerGroup& group);
    uint32_t Now() const { return m_Clock.GetFrameStartTime(); }

    const TimerClock& m_Clock;
    std::list<std::shared_ptr<TimerGroup>> m_Groups;
    std::vector<Timer> m_Timers;
    std::deque<uint32_t> m_FreeIDs;
    bool m_AllPaused = false;
};

// Counts whole seconds with one frame-limited timer.
class StopwatchTimer : public Object
{
public:
    StopwatchTimer() = default;
    ~StopwatchTimer() override;

    void Start();
    // Stops counting; the id and the count stay.
    void Reset();
    int32_t GetElapsed() const { return m_Elapsed; }
    bool IsRunning() const { return m_Running != 0; }
    uint32_t GetTimerID() const { return m_TimerID; }

    bool OnTimer(const EventRecord& event) override;

private:
    uint32_t m_TimerID = 0;
    unsigned char m_Running = 0;
    int32_t m_Elapsed = 0;
};
