#pragma once

#include "engine/core/Point.h"
#include "engine/ui/Actor.h"

#include <cstdint>
#include <optional>

// One sprite of an effect: an actor that drifts by its velocity, speeds up by
// its acceleration and fades by its alpha step for a fixed lifetime, then
// destroys itself at the next update. Its offset and alpha are floats kept
// apart from the actor's whole-pixel position and byte alpha; drawing combines
// them. A new particle is a 5 x 5 red square drawn with combined alpha.
class Particle : public Actor
{
    VELK_DECLARE_CLASS(Particle)
public:
    // Told about a particle (or an emitter) as it is destroyed.
    using DestroyCallback = void (*)(Actor*);

    static constexpr int kStepMilliseconds = 32;

    explicit Particle(DestroyCallback callback = nullptr);

    // The callback first, once.
    void Destroy() override;
    // Step(32) only: particles run no scripts and have no children to update.
    void Update() override;
    // The image moved by the offset, at the particle's alpha clamped to 0..255.
    void DrawImage(Canvas& canvas) override;
    LuaObject GetProperty(const std::string& name, LuaState state) override;

    // Ages, moves and fades the particle by dt milliseconds. The step in which
    // its age reaches its lifetime is cut short there and marks it dead; a dead
    // particle is destroyed by its next step. A pending destAlpha turns into
    // the alpha step that reaches it at the end of the lifetime.
    void Step(int dt);

    float GetParticleAlpha() const { return m_ParticleAlpha; }
    void SetParticleAlpha(float alpha) { m_ParticleAlpha = alpha; }
    float GetAlphaStep() const { return m_AlphaStep; }
    void SetAlphaStep(float perSecond) { m_AlphaStep = perSecond; }
    const std::optional<float>& GetDestAlpha() const { return m_DestAlpha; }
    void SetDestAlpha(float alpha) { m_DestAlpha = alpha; }
    bool IsDead() const { return m_IsDead; }
    std::int32_t GetAge() const { return m_Age; }
    // Negative: the particle never dies of age.
    std::int32_t GetLifetime() const { return m_Lifetime; }
    void SetLifetime(std::int32_t milliseconds) { m_Lifetime = milliseconds; }
    const Point2f& GetOffset() const { return m_Offset; }
    void SetOffset(const Point2f& offset) { m_Offset = offset; }
    float GetRotationStep() const { return m_RotationStep; }
    const Point2f& GetVelocity() const { return m_Velocity; }
    void SetVelocity(const Point2f& velocity) { m_Velocity = velocity; }
    const Point2f& GetAcceleration() const { return m_Acceleration; }
    void SetAcceleration(const Point2f& acceleration) { m_Acceleration = acceleration; }

private:
    friend void ParticleClassHook(Class* c);

    void SetDestAlphaProperty(const LuaObject& value);

    float m_ParticleAlpha = 255.0f;
    float m_AlphaStep = 0.0f;  // per second
    std::optional<float> m_DestAlpha;
    bool m_IsDead = false;
    std::int32_t m_Age = 0;
    std::int32_t m_Lifetime = -1;
    Point2f m_Offset;
    // Kept for the scripts; nothing turns the particle yet.
    float m_RotationStep = 0.0f;
    Point2f m_Velocity;      // pixels per second
    Point2f m_Acceleration;  // pixels per second squared
    DestroyCallback m_DestroyCallback = nullptr;
};
