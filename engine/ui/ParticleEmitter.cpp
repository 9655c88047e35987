#include "engine/ui/ParticleEmitter.h"

#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/PerformanceCounters.h"

#include <limits>
#include <memory>

// ---------------------------------------------------------------- registration

void ParticleEmitterClassHook(Class* c)
{
    auto member = [c](std::uint32_t type, PropertyAccessor::MemberAddress address, const char* name) {
        c->RegisterPropertyGetter(CreatePropertyAccessor(type, address, name));
        c->RegisterPropertySetter(CreatePropertyAccessor(type, std::move(address), name));
    };
    member(TYPE_INT32, MemberOf(&ParticleEmitter::m_EmitCount), "emitCount");
    member(TYPE_INT32, MemberOf(&ParticleEmitter::m_Interval), "interval");
    member(TYPE_BOOL, MemberOf(&ParticleEmitter::m_DestroyWhenStopped), "destroyWhenStopped");
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_INT32, MemberOf(&ParticleEmitter::m_Delay), "delay"));
    c->RegisterPropertySetter(
        PropertyAccessor::CreateMemberSetter(MemberSetter(&ParticleEmitter::SetDelayProperty), "delay"));
}

void IdenticalParticleEmitterClassHook(Class* c)
{
    c->RegisterPropertySetter(PropertyAccessor::CreateMemberSetter(
        MemberSetter(&IdenticalParticleEmitter::SetParticleTemplateProperty), "particleTemplate"));
}

VELK_REGISTER_CLASS(ParticleEmitter, "Actor", ParticleEmitterClassHook, InstantiateObjectOfClass<ParticleEmitter>);
VELK_REGISTER_CLASS(IdenticalParticleEmitter, "ParticleEmitter", IdenticalParticleEmitterClassHook,
                    InstantiateObjectOfClass<IdenticalParticleEmitter>);
VELK_REGISTER_CLASS(BufferedIdenticalParticleEmitter, "IdenticalParticleEmitter", IdenticalParticleEmitterClassHook,
                    InstantiateObjectOfClass<BufferedIdenticalParticleEmitter>);

// ---------------------------------------------------------------- ParticleEmitter

ParticleEmitter::ParticleEmitter(Actor* particleParent)
{
    if (particleParent)
        m_ParticleParent = particleParent->GetLuaObject();
    ApplyIntegerProperty("numParticles", 1);
    if (PerformanceCounterManager* counters = PerformanceCounterManager::GetInstance())
        counters->AddToIntCounter("ParticleEmitters Created", 1);
}

Actor* ParticleEmitter::GetParticleParent() const
{
    auto* parent = dynamic_cast<Actor*>(Object::FromLuaObject(m_ParticleParent));
    return parent && !parent->IsBeingDestroyed() ? parent : nullptr;
}

void ParticleEmitter::SetDelay(std::int32_t milliseconds)
{
    m_Delay = milliseconds;
    m_Countdown = milliseconds;
}

void ParticleEmitter::SetDelayProperty(const LuaObject& value)
{
    SetDelay(ReadIntegerFromObject(value));
}

void ParticleEmitter::Start()
{
    m_Running = true;
    AdvanceEmission(0);
}

void ParticleEmitter::Update()
{
    if (m_Running)
        AdvanceEmission(kStepMilliseconds);
}

void ParticleEmitter::AdvanceEmission(int dt)
{
    // An endless emitter stops counting short of overflowing; nothing reads the count.
    m_Elapsed = m_Elapsed <= std::numeric_limits<std::int32_t>::max() - dt ? m_Elapsed + dt
                                                                            : std::numeric_limits<std::int32_t>::max();
    if (m_Interval == 0 && m_Delay == 0) {
        Emit();
        return;
    }
    if (dt < m_Countdown) {
        m_Countdown -= dt;
        return;
    }
    m_Countdown = m_Interval;
    Emit();
}

void ParticleEmitter::Emit()
{
    m_Delay = 0;
    if (m_EmitCount != 0) {
        if (m_EmitCount > 0)
            --m_EmitCount;
        int count = RetrieveIntegerProperty("numParticles", 0);
        Actor* parent = GetParticleParent();
        for (int i = 0; parent && i < count; ++i) {
            std::unique_ptr<Particle> particle(MakeParticle(*parent));
            if (!particle)
                continue;
            // Fixes the alpha step from the whole lifetime.
            particle->Step(0);
            parent->AppendChild(particle.release());
        }
    }
    if (m_EmitCount == 0) {
        m_Running = false;
        if (m_DestroyWhenStopped)
            Destroy();
    }
}

Particle* ParticleEmitter::MakeParticle(Actor& particleParent)
{
    auto particle = std::make_unique<Particle>(m_DestroyCallback);
    LuaObject particleTemplate = RetrieveProperty("particleTemplate");
    if (!particleTemplate.IsNil())
        particle->ApplyProperties(particleTemplate);
    CentreParticle(*particle, particleParent);
    return particle.release();
}

void ParticleEmitter::CentreParticle(Particle& particle, const Actor& particleParent) const
{
    Rect rect = GetGlobalRect();
    Point<int> centre = particleParent.GlobalToLocal(Point<int>(rect.x + rect.w / 2, rect.y + rect.h / 2));
    particle.SetPosition(centre.x - particle.GetWidth() / 2, centre.y - particle.GetHeight() / 2);
}

void ParticleEmitter::SetParticleTemplate(const std::string& name, const LuaObject& value)
{
    LuaState state = ObjectLuaState();
    LuaObject copy;
    copy.AssignNewTable(state);
    LuaObject current = RetrieveProperty("particleTemplate");
    if (current.IsTable())
        for (LuaTableIterator it(current); it; it.Next())
            copy.SetObject(it.GetKey(), it.GetValue());
    copy.SetObject(name.c_str(), value);
    ApplyProperty("particleTemplate", copy);
}

void ParticleEmitter::Destroy()
{
    if (IsBeingDestroyed())
        return;
    if (m_DestroyCallback)
        m_DestroyCallback(this);
    Actor::Destroy();
}

// ---------------------------------------------------------------- IdenticalParticleEmitter

IdenticalParticleEmitter::IdenticalParticleEmitter(const std::string& templateName, Actor* particleParent)
    : ParticleEmitter(particleParent)
{
    ApplyNamedResource(templateName);
}

IdenticalParticleEmitter::IdenticalParticleEmitter(const LuaObject& templateTable, Actor* particleParent)
    : ParticleEmitter(particleParent)
{
    ApplyProperties(templateTable);
}

void IdenticalParticleEmitter::SetParticleTemplateProperty(const LuaObject& value)
{
    StoreProperty("particleTemplate", value);
    if (value.IsTable())
        m_Template.ApplyProperties(value);
}

void IdenticalParticleEmitter::SetParticleTemplate(const std::string& name, const LuaObject& value)
{
    m_Template.ApplyProperty(name, value);
}

Particle* IdenticalParticleEmitter::MakeParticle(Actor& particleParent)
{
    auto particle = std::make_unique<Particle>(GetDestroyCallback());
    m_Template.InitParticle(*particle);
    CentreParticle(*particle, particleParent);
    m_Template.ApplyPositionOffset(*particle);
    return particle.release();
}
