#include "game/rules/WoppleTimer.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/TimerManager.h"

WoppleTimer::~WoppleTimer()
{
    try {
        Free();
    } catch (...) {
        LogWrite("WARNING: WoppleTimer::~WoppleTimer: %s\n", CurrentExceptionMessage().c_str());
    }
}

uint32_t WoppleTimer::GetID() const
{
    TimerManager* timers = TimerManager::GetInstance();
    if (m_TimerID == 0 || !timers || m_TimerID >= timers->GetTimerCount())
        return 0;
    const TimerManager::Timer& timer = timers->GetTimer(m_TimerID);
    if ((timer.m_Flags & TIMER_FREED) != 0 || timer.m_Incarnation != m_Incarnation)
        return 0;
    return m_TimerID;
}

void WoppleTimer::CreateOrRestart(EventReceiver* receiver, uint32_t period, int32_t numSignals, uint32_t flags,
                                  const std::string& group)
{
    TimerManager* timers = TimerManager::GetInstance();
    VELK_ASSERT(timers != 0);
    if (uint32_t id = GetID()) {
        timers->RecreateTimer(id, receiver, period, numSignals, flags, group);
        return;
    }
    m_TimerID = timers->CreateTimer(receiver, period, numSignals, flags, group);
    m_Incarnation = timers->GetTimer(m_TimerID).m_Incarnation;
}

void WoppleTimer::Free()
{
    uint32_t id = GetID();
    m_TimerID = 0;
    if (id != 0)
        TimerManager::GetInstance()->FreeTimer(id);
}

bool WoppleTimer::IsFrom(const EventRecord& timerEvent) const
{
    uint32_t id = GetID();
    return id != 0 && TimerIDOfEvent(timerEvent) == id;
}
