#pragma once

#include "engine/core/Point.h"
#include "engine/ui/Actor.h"

#include <cstdint>

// Added under a text actor: moves it at a constant velocity while fading it
// out, then destroys it (the rising score after a match). Steps once per frame
// in place of the actor update.
class ScoreFlashBehavior : public Actor
{
    VELK_DECLARE_CLASS(ScoreFlashBehavior)
public:
    ScoreFlashBehavior() = default;

    void Update() override { Tick(); }
    // One 32-millisecond frame of the parent's flight.
    void Tick();

    void SetVelocity(float x, float y) { m_Velocity = Point2f(x, y); }
    void SetLifetime(int milliseconds) { m_Lifetime = milliseconds; }
    int GetLifetime() const { return m_Lifetime; }
    void SetFadeRate(float rate) { m_FadeRate = rate; }
    float GetFadeRate() const { return m_FadeRate; }
    void SetAutoFade(bool on) { m_AutoFade = on; }

private:
    friend void ScoreFlashBehaviorClassHook(Class* c);

    // Pixels per second.
    Point2f m_Velocity{0.0f, -100.0f};
    Point2f m_Exact;
    std::int32_t m_Lifetime = 1000;
    // Alpha units per second.
    float m_FadeRate = 0.0f;
    bool m_AutoFade = true;
    float m_Alpha = 255.0f;
    bool m_Started = false;
};
