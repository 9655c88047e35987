#pragma once

#include "engine/ui/Actor.h"
#include "engine/ui/Particle.h"
#include "engine/ui/ParticleTemplate.h"

#include <cstdint>
#include <string>

// Where an effect's particles live: a plain actor apart from the emitters, so
// that an emitter can go while its particles play out. It handles no events,
// and so neither do the particles under it.
class ParticleManager : public Actor
{
public:
    bool OnEvent(const EventRecord&) override { return false; }
};

// An actor placed at a point that emits "numParticles" particles at a time,
// `emitCount` times (-1: for ever), every `interval` milliseconds after a first
// `delay`, into its particle parent (a ParticleManager, not owned). Each
// particle is made from the script table "particleTemplate" and centred on the
// emitter. Stopped, it destroys itself when `destroyWhenStopped` is set.
class ParticleEmitter : public Actor
{
    VELK_DECLARE_CLASS(ParticleEmitter)
public:
    static constexpr int kStepMilliseconds = 32;

    // Without a particle parent (or once it has gone) nothing is made.
    explicit ParticleEmitter(Actor* particleParent = nullptr);

    // Runs and moves the emission clock by 0, so that without a delay the
    // first emission happens now.
    void Start();
    bool IsRunning() const { return m_Running; }

    // One emission at most per call, however long dt is.
    virtual void AdvanceEmission(int dt);
    // Changes one key of the particle template.
    virtual void SetParticleTemplate(const std::string& name, const LuaObject& value);
    // Makes "numParticles" particles (while emissions are left), each stepped
    // by 0 ms and appended to the particle parent; stops after the last.
    virtual void Emit();

    // While running: AdvanceEmission(32); no scripts, no children.
    void Update() override;
    // The destroy callback first, once; the particles already out stay.
    void Destroy() override;

    std::int32_t GetEmitCount() const { return m_EmitCount; }
    void SetEmitCount(std::int32_t count) { m_EmitCount = count; }
    std::int32_t GetInterval() const { return m_Interval; }
    void SetInterval(std::int32_t milliseconds) { m_Interval = milliseconds; }
    std::int32_t GetDelay() const { return m_Delay; }
    // Also restarts the countdown to the next emission from the delay.
    void SetDelay(std::int32_t milliseconds);
    std::int32_t GetCountdown() const { return m_Countdown; }
    std::int32_t GetElapsed() const { return m_Elapsed; }
    bool GetDestroyWhenStopped() const { return m_DestroyWhenStopped; }
    void SetDestroyWhenStopped(bool destroy) { m_DestroyWhenStopped = destroy; }
    // Null once the particle parent has been deleted or is going away.
    Actor* GetParticleParent() const;
    // Handed to every particle made from now on.
    void SetDestroyCallback(Particle::DestroyCallback callback) { m_DestroyCallback = callback; }
    Particle::DestroyCallback GetDestroyCallback() const { return m_DestroyCallback; }

protected:
    friend void ParticleEmitterClassHook(Class* c);

    // One new particle for the parent, or null for none. This one applies the
    // "particleTemplate" table to it through the scripts.
    virtual Particle* MakeParticle(Actor& particleParent);
    // Puts the particle's centre on the emitter's centre, in the parent's coordinates.
    void CentreParticle(Particle& particle, const Actor& particleParent) const;

private:
    void SetDelayProperty(const LuaObject& value);

    std::int32_t m_Elapsed = 0;
    std::int32_t m_EmitCount = -1;
    std::int32_t m_Interval = 0;
    // Held through its script self, which reads as nothing once it is deleted.
    LuaObject m_ParticleParent;
    bool m_Running = false;
    std::int32_t m_Countdown = 0;
    std::int32_t m_Delay = 0;
    bool m_DestroyWhenStopped = true;
    Particle::DestroyCallback m_DestroyCallback = nullptr;
};

// An emitter that is also a particle template: its "particleTemplate" table is
// parsed once into the template part, and every particle is stamped from that
// without script work; the template's position offset is added after centring.
class IdenticalParticleEmitter : public ParticleEmitter
{
    VELK_DECLARE_CLASS(IdenticalParticleEmitter)
public:
    IdenticalParticleEmitter() = default;
    // Applies the named template (an effect such as "PinkBurstEffect") as its resource.
    IdenticalParticleEmitter(const std::string& templateName, Actor* particleParent);
    // Applies the table as its properties.
    IdenticalParticleEmitter(const LuaObject& templateTable, Actor* particleParent);

    // Sets the one item of the template part.
    void SetParticleTemplate(const std::string& name, const LuaObject& value) override;
    ParticleTemplate& GetTemplate() { return m_Template; }

protected:
    friend void IdenticalParticleEmitterClassHook(Class* c);

    Particle* MakeParticle(Actor& particleParent) override;

private:
    // Stores the table and applies it to the template part.
    void SetParticleTemplateProperty(const LuaObject& value);

    ParticleTemplate m_Template;
};

// The identical emitter under a class name of its own, with the same script
// properties and nothing else.
class BufferedIdenticalParticleEmitter : public IdenticalParticleEmitter
{
    VELK_DECLARE_CLASS(BufferedIdenticalParticleEmitter)
public:
    using IdenticalParticleEmitter::IdenticalParticleEmitter;
    BufferedIdenticalParticleEmitter() = default;
};
