#pragma once

#include "engine/core/Events.h"

#include <cstdint>
#include <string>

// A timer id held by an object of the rules (a logic, a state, a participant).
// It frees the timer when it goes, but only while the id is still the one it
// was handed: the engine frees every timer of a receiver that is being
// deleted, and a state is deleted after its owner's timers are gone, so a
// plain FreeTimer there would free an id twice (or someone else's).
class WoppleTimer
{
public:
    WoppleTimer() = default;
    WoppleTimer(const WoppleTimer&) = delete;
    WoppleTimer& operator=(const WoppleTimer&) = delete;
    // Frees the timer if it is still ours; never throws.
    ~WoppleTimer();

    // Sets the held timer up again, or creates one when none is held.
    void CreateOrRestart(EventReceiver* receiver, uint32_t period, int32_t numSignals, uint32_t flags,
                         const std::string& group = "default");
    // Frees the timer if it is still ours; the id becomes 0 either way.
    void Free();
    // The id while the timer is ours, else 0.
    uint32_t GetID() const;
    // Whether the timer event came from this timer.
    bool IsFrom(const EventRecord& timerEvent) const;

private:
    uint32_t m_TimerID = 0;
    uint32_t m_Incarnation = 0;
};
