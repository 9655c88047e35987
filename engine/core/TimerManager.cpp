#include "engine/core/TimerManager.h"

#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"

#include <boost/format.hpp>

namespace {

TimerManager* s_Instance = nullptr;

// Each pass counts as this many milliseconds for frame-limited timers.
constexpr uint32_t kFrameMilliseconds = 32;

} // namespace

TimerManager::TimerManager(const TimerClock& clock) : m_Clock(clock)
{
    VELK_ASSERT_MSG(s_Instance == 0, "Only one TimerManager may exist at a time.");
    // Id 0 means no timer and is never handed out.
    m_Timers.resize(1);
    s_Instance = this;
}

TimerManager::~TimerManager()
{
    if (s_Instance == this)
        s_Instance = nullptr;
}

TimerManager* TimerManager::GetInstance()
{
    return s_Instance;
}

void TimerManager::CheckSetup(int32_t numSignals, uint32_t flags) const
{
    VELK_ASSERT(numSignals > 0 || numSignals == -1);
    VELK_ASSERT_MSG(flags & ((1 << 1) | (1 << 2)),
                    "Cannot initialize a timer that is neither Limited To Framerate nor Real Time");
}

uint32_t TimerManager::CreateTimer(EventReceiver* receiver, uint32_t period, int32_t numSignals, uint32_t flags,
                                   const std::string& group)
{
    // Checked before an id is taken, so a refused timer leaves the free list as it was.
    CheckSetup(numSignals, flags);
    uint32_t timerID;
    if (!m_FreeIDs.empty()) {
        timerID = m_FreeIDs.front();
        VELK_ASSERT((m_Timers[timerID].m_Flags & (1 << 4)) != 0);
        m_FreeIDs.pop_front();
        m_Timers[timerID].m_Flags &= ~TIMER_FREED;
    } else {
        timerID = static_cast<uint32_t>(m_Timers.size());
    }
    InitializeTimer(timerID, receiver, period, numSignals, flags, group);
    ++m_Timers[timerID].m_Incarnation;
    return timerID;
}

void TimerManager::InitializeTimer(uint32_t timerID, EventReceiver* receiver, uint32_t period, int32_t numSignals,
                                   uint32_t flags, const std::string& groupName)
{
    VELK_ASSERT(timerID != 0);
    // Every check comes before the first change: a refused set-up leaves the timer as it was.
    CheckSetup(numSignals, flags);
    if (timerID >= m_Timers.size())
        m_Timers.resize(timerID + 1);
    Timer& timer = m_Timers[timerID];
    LeaveGroup(timer);

    TimerGroup* group = FindGroup(groupName);
    if (!group) {
        auto created = std::make_shared<TimerGroup>();
        created->m_Name = groupName;
        created->m_Position = m_Groups.insert(m_Groups.end(), created);
        group = created.get();
    }
    timer.m_Group = group;
    timer.m_GroupPosition = group->m_Timers.insert(group->m_Timers.end(), timerID);

    timer.m_RemainingSignals = numSignals;
    timer.m_Flags = flags;
    timer.m_Receiver = receiver;
    timer.m_Period = period;
    ++timer.m_Setup;
    if (flags & TIMER_REAL_TIME) {
        timer.m_Start = Now();
        timer.m_Consumed = 0;
    } else {
        timer.m_Countdown = period;
    }
}

void TimerManager::RecreateTimer(uint32_t timerID, EventReceiver* receiver, uint32_t period, int32_t numSignals,
                                 uint32_t flags, const std::string& group)
{
    VELK_ASSERT(timerID != 0);
    // An id never handed out would be given to a second owner by a later CreateTimer.
    VELK_ASSERT(timerID < m_Timers.size());
    VELK_ASSERT_MSG((m_Timers[timerID].m_Flags & (1 << 4)) == 0,
                    (boost::format("Cannot recreate the timer with id, \"%1%\", as it has been freed.") % timerID)
                        .str());
    InitializeTimer(timerID, receiver, period, numSignals, flags, group);
}

void TimerManager::CreateOrRestartTimer(uint32_t& timerID, EventReceiver* receiver, uint32_t period,
                                        int32_t numSignals, uint32_t flags, const std::string& group)
{
    if (timerID != 0)
        RecreateTimer(timerID, receiver, period, numSignals, flags, group);
    else
        timerID = CreateTimer(receiver, period, numSignals, flags, group);
}

void TimerManager::FreeTimer(uint32_t timerID)
{
    if (timerID == 0)
        return;
    VELK_ASSERT(timerID < m_Timers.size());
    Timer& timer = m_Timers[timerID];
    VELK_ASSERT_MSG((timer.m_Flags & (1 << 4)) == 0,
                    (boost::format("The timer with id, \"%1%\", was already freed!") % timerID).str());
    ResetTimer(timerID);
    LeaveGroup(timer);
    timer.m_Flags |= TIMER_FREED;
    timer.m_Receiver = nullptr;
    ++timer.m_Setup;
    m_FreeIDs.push_back(timerID);
}

std::size_t TimerManager::GetLiveTimerCount() const
{
    std::size_t live = 0;
    for (std::size_t id = 1; id < m_Timers.size(); ++id)
        live += (m_Timers[id].m_Flags & TIMER_FREED) == 0 && m_Timers[id].m_Receiver != nullptr;
    return live;
}

void TimerManager::ResetTimer(uint32_t timerID)
{
    if (timerID == 0 || timerID >= m_Timers.size())
        return;
    Timer& timer = m_Timers[timerID];
    timer.m_Countdown = 0;
    timer.m_RemainingSignals = 0;
}

void TimerManager::PauseTimer(uint32_t timerID)
{
    VELK_ASSERT(timerID != 0);
    VELK_ASSERT(timerID < m_Timers.size());
    m_Timers[timerID].m_Flags |= TIMER_PAUSED;
}

void TimerManager::ResumeTimer(uint32_t timerID)
{
    VELK_ASSERT(timerID != 0);
    VELK_ASSERT(timerID < m_Timers.size());
    Timer& timer = m_Timers[timerID];
    timer.m_Flags &= ~TIMER_PAUSED;
    // The part of a period that ran before the pause is dropped: the next signal
    // comes one full period after the resume.
    if (timer.m_Flags & TIMER_REAL_TIME)
        timer.m_Start = Now() - timer.m_Consumed;
}

bool TimerManager::PauseTimerGroup(const std::string& name, bool individually)
{
    TimerGroup* group = FindGroup(name);
    if (!group)
        return false;
    if (!individually) {
        group->m_Paused = true;
        return true;
    }
    for (uint32_t timerID : group->m_Timers)
        if (m_Timers[timerID].m_RemainingSignals != 0)
            PauseTimer(timerID);
    return true;
}

bool TimerManager::ResumeTimerGroup(const std::string& name, bool individually)
{
    TimerGroup* group = FindGroup(name);
    if (!group)
        return false;
    if (!individually) {
        group->m_Paused = false;
        RestartRealTimeTimers(*group);
        return true;
    }
    for (uint32_t timerID : group->m_Timers)
        if (m_Timers[timerID].m_RemainingSignals != 0)
            ResumeTimer(timerID);
    return true;
}

void TimerManager::SetPaused()
{
    m_AllPaused = true;
}

void TimerManager::RebaseTimers()
{
    m_AllPaused = false;
    for (const auto& group : m_Groups)
        RestartRealTimeTimers(*group);
}

void TimerManager::RestartRealTimeTimers(TimerGroup& group)
{
    uint32_t now = Now();
    for (uint32_t timerID : group.m_Timers) {
        Timer& timer = m_Timers[timerID];
        if (timer.m_Flags & TIMER_REAL_TIME)
            timer.m_Start = now - timer.m_Consumed;
    }
}

void TimerManager::Update()
{
    if (m_AllPaused)
        return;
    // Receivers create, free and recreate timers while being signalled, which can
    // delete groups and hand freed ids out again: walk copies, and check each
    // record against what was copied before touching it.
    std::vector<std::shared_ptr<TimerGroup>> groups(m_Groups.begin(), m_Groups.end());
    std::vector<std::pair<uint32_t, uint32_t>> entries;
    for (const auto& group : groups) {
        if (group->m_Paused)
            continue;
        entries.clear();
        for (uint32_t timerID : group->m_Timers)
            entries.emplace_back(timerID, m_Timers[timerID].m_Incarnation);

        for (auto [timerID, incarnation] : entries) {
            if (m_AllPaused || group->m_Paused)
                break;
            {
                // A freed id given to a new timer, or a timer moved to another group,
                // is not this entry any more.
                const Timer& timer = m_Timers[timerID];
                if (timer.m_Incarnation != incarnation || timer.m_Group != group.get() ||
                    timer.m_RemainingSignals == 0)
                    continue;
            }
            uint32_t due = UpdateTimer(timerID);
            if (due == 0)
                continue;
            uint32_t setup = m_Timers[timerID].m_Setup;
            for (uint32_t i = 0; i < due; ++i) {
                // Re-read every time: the last receiver may have grown the array.
                Timer& timer = m_Timers[timerID];
                // Signals owed to the old set-up are not sent to a freed or restarted one.
                if (timer.m_Setup != setup || timer.m_RemainingSignals == 0)
                    break;
                if (m_AllPaused || (timer.m_Flags & TIMER_PAUSED) || timer.m_Group->m_Paused)
                    break;
                if (timer.m_RemainingSignals != -1)
                    --timer.m_RemainingSignals;
                SendEvent(timer.m_Receiver, VELK_TIMER, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(timerID)),
                          reinterpret_cast<void*>(static_cast<intptr_t>(timer.m_RemainingSignals)));
            }
            Timer& timer = m_Timers[timerID];
            if (timer.m_Setup != setup)
                continue;
            if (timer.m_RemainingSignals != 0)
                timer.m_Countdown = timer.m_Period;
            else
                ResetTimer(timerID);
        }
    }
}

void TimerManager::FreeTimerGroup(TimerGroup* group)
{
    VELK_ASSERT(group->m_Timers.empty());
    // A pass in progress may still hold the group, empty now.
    m_Groups.erase(group->m_Position);
}

uint32_t TimerManager::UpdateTimer(uint32_t timerID)
{
    VELK_ASSERT(timerID < m_Timers.size());
    Timer& timer = m_Timers[timerID];
    if (timer.m_Flags & TIMER_PAUSED)
        return 0;

    if (timer.m_Flags & TIMER_REAL_TIME) {
        // With no period every moment would be due; such a timer signals once a pass.
        if (timer.m_Period == 0)
            return timer.m_RemainingSignals != 0 ? 1 : 0;
        uint32_t due = (Now() - timer.m_Start - timer.m_Consumed) / timer.m_Period;
        if (timer.m_RemainingSignals == -1) {
            timer.m_Start += due * timer.m_Period;
            return due;
        }
        if (timer.m_RemainingSignals < 0)
            return 0;
        if (due > static_cast<uint32_t>(timer.m_RemainingSignals))
            due = static_cast<uint32_t>(timer.m_RemainingSignals);
        timer.m_Consumed += due * timer.m_Period;
        return due;
    }

    VELK_ASSERT(timer.m_Flags & (1 << 1));
    if (timer.m_Countdown <= kFrameMilliseconds) {
        timer.m_Countdown = 0;
        VELK_ASSERT(timer.m_RemainingSignals >= 0 || timer.m_RemainingSignals == -1);
        return 1;
    }
    timer.m_Countdown -= kFrameMilliseconds;
    return 0;
}

void TimerManager::FreeTimersOfReceiver(const EventReceiver* receiver)
{
    if (!receiver)
        return;
    for (uint32_t timerID = 1; timerID < m_Timers.size(); ++timerID) {
        const Timer& timer = m_Timers[timerID];
        if ((timer.m_Flags & TIMER_FREED) == 0 && timer.m_Receiver == receiver)
            FreeTimer(timerID);
    }
}

const TimerManager::Timer& TimerManager::GetTimer(uint32_t timerID) const
{
    VELK_ASSERT(timerID < m_Timers.size());
    return m_Timers[timerID];
}

void TimerManager::LeaveGroup(Timer& timer)
{
    TimerGroup* group = timer.m_Group;
    if (!group)
        return;
    group->m_Timers.erase(timer.m_GroupPosition);
    timer.m_Group = nullptr;
    if (group->m_Timers.empty())
        FreeTimerGroup(group);
}

TimerManager::TimerGroup* TimerManager::FindGroup(const std::string& name) const
{
    for (const auto& group : m_Groups)
        if (group->m_Name == name)
            return group.get();
    return nullptr;
}

// ---------------------------------------------------------------- stopwatch

StopwatchTimer::~StopwatchTimer()
{
    // Its one timer; never throws, whatever became of the id meanwhile.
    if (m_TimerID != 0)
        if (TimerManager* timers = TimerManager::GetInstance())
            timers->FreeTimersOfReceiver(this);
}

void StopwatchTimer::Start()
{
    if (m_Running)
        return;
    TimerManager* timers = TimerManager::GetInstance();
    VELK_ASSERT(timers != 0);
    timers->CreateOrRestartTimer(m_TimerID, this, 1000, -1, TIMER_LIMITED_TO_FRAMERATE, "default");
    m_Running = 1;
}

void StopwatchTimer::Reset()
{
    if (m_TimerID == 0)
        return;
    if (TimerManager* timers = TimerManager::GetInstance())
        timers->ResetTimer(m_TimerID);
    m_Running = 0;
}

bool StopwatchTimer::OnTimer(const EventRecord&)
{
    VELK_ASSERT(IsRunning());
    ++m_Elapsed;
    return true;
}
