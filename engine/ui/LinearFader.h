#pragma once

#include "engine/ui/Actor.h"

#include <algorithm>
#include <cstdint>

// Added under an actor: moves that actor's alpha in a straight line to
// destAlpha over the duration, one 32-millisecond step per frame, then removes
// itself. With tagTarget the target's "isFading" is true meanwhile, which is
// what scripts wait on.
class LinearFader : public Actor
{
    VELK_DECLARE_CLASS(LinearFader)
public:
    LinearFader() = default;

    void Update() override;
    void SetParent(Actor* parent) override;

    void SetTagTarget(bool on) { m_TagTarget = on; }
    void SetDuration(int milliseconds) { m_Duration = milliseconds; }
    void SetDestAlpha(int alpha) { m_DestAlpha = alpha; }
    int GetElapsed() const { return m_Elapsed; }
    bool IsFinished() const { return m_Started && m_Elapsed == std::max(m_Duration, 0); }

private:
    friend void LinearFaderClassHook(Class* c);

    bool m_TagTarget = true;
    std::int32_t m_Duration = 1000;
    std::int32_t m_DestAlpha = 0;
    std::int32_t m_Elapsed = 0;
    std::int32_t m_StartAlpha = 0;
    bool m_Started = false;
    // Alpha units per millisecond.
    double m_Rate = 0.0;
};

// Destroys the actor's direct child named "LinearFader", when it has one.
void DestroyLinearFader(Actor* actor);
