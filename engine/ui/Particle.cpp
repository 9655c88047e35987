#include "engine/ui/Particle.h"

#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/ImageRenderer.h"

#include <algorithm>
#include <limits>

namespace {

// Truncated toward zero; NaN and values past the 16-bit positions an actor
// can reach are held at the ends (a float that does not fit an int is
// undefined to convert).
int TruncateOffset(float value)
{
    if (!(value > -32768.0f))
        return value < 0.0f ? -32768 : 0;
    return static_cast<int>(std::min(value, 32767.0f));
}

std::uint8_t DrawnAlpha(float alpha)
{
    if (!(alpha > 0.0f))
        return 0;
    return static_cast<std::uint8_t>(std::min(alpha, 255.0f));
}

// Restores the actor's byte alpha and the canvas state on every way out.
struct BorrowedAlpha
{
    BorrowedAlpha(Actor& actor, Canvas& canvas, std::uint8_t alpha)
        : actor(actor), canvas(canvas), kept(actor.GetAlpha())
    {
        canvas.PushState();
        actor.SetAlpha(alpha);
    }
    ~BorrowedAlpha()
    {
        actor.SetAlpha(kept);
        canvas.PopState();
    }
    Actor& actor;
    Canvas& canvas;
    std::uint8_t kept;
};

} // namespace

void ParticleClassHook(Class* c)
{
    auto member = [c](std::uint32_t type, PropertyAccessor::MemberAddress address, const char* name) {
        c->RegisterPropertyGetter(CreatePropertyAccessor(type, address, name));
        c->RegisterPropertySetter(CreatePropertyAccessor(type, std::move(address), name));
    };
    member(TYPE_FLOAT, MemberOf(&Particle::m_ParticleAlpha), "alpha");
    member(TYPE_FLOAT, MemberOf(&Particle::m_AlphaStep), "alphaStep");
    member(TYPE_INT32, MemberOf(&Particle::m_Lifetime), "lifetime");
    member(TYPE_POINT2F, MemberOf(&Particle::m_Offset), "position");
    member(TYPE_FLOAT, MemberOf(&Particle::m_RotationStep), "rotationStep");
    member(TYPE_POINT2F, MemberOf(&Particle::m_Velocity), "velocity");
    member(TYPE_POINT2F, MemberOf(&Particle::m_Acceleration), "acceleration");
    c->RegisterPropertyGetter(MakeNamedProperty("destAlpha"));
    c->RegisterPropertySetter(
        PropertyAccessor::CreateMemberSetter(MemberSetter(&Particle::SetDestAlphaProperty), "destAlpha"));
}

VELK_REGISTER_CLASS(Particle, "Actor", ParticleClassHook, InstantiateObjectOfClass<Particle>);

Particle::Particle(DestroyCallback callback) : m_DestroyCallback(callback)
{
    SetPosition(0, 0);
    SetSize(5, 5);
    SetColor(Colors::Red);
    SetShaderType(SHADERTYPE_BLENDCOMBINEDALPHA);
}

void Particle::Destroy()
{
    if (IsBeingDestroyed())
        return;
    if (m_DestroyCallback)
        m_DestroyCallback(this);
    Actor::Destroy();
}

void Particle::Update()
{
    Step(kStepMilliseconds);
}

void Particle::Step(int dt)
{
    if (m_IsDead) {
        Destroy();
        return;
    }
    // An endless particle keeps counting; its age is read by nothing, so it
    // stops short of overflowing.
    m_Age = m_Age <= std::numeric_limits<std::int32_t>::max() - dt ? m_Age + dt
                                                                    : std::numeric_limits<std::int32_t>::max();
    if (m_Lifetime >= 0 && m_Age >= m_Lifetime) {
        m_IsDead = true;
        dt -= m_Age - m_Lifetime;
        m_Age = m_Lifetime;
    }
    const float t = static_cast<float>(dt) / 1000.0f;
    m_Offset.x += t * m_Velocity.x;
    m_Offset.y += t * m_Velocity.y;
    m_Velocity.x += t * m_Acceleration.x;
    m_Velocity.y += t * m_Acceleration.y;
    if (m_DestAlpha && m_Lifetime >= 0) {
        const int remaining = std::max(0, m_Lifetime - m_Age);
        if (remaining != 0) {
            m_AlphaStep = (*m_DestAlpha - m_ParticleAlpha) * 1000.0f / static_cast<float>(remaining);
        } else {
            // No time left to fade in: the particle takes the alpha at once.
            m_ParticleAlpha = *m_DestAlpha;
            m_AlphaStep = 0.0f;
        }
        m_DestAlpha.reset();
    }
    m_ParticleAlpha += t * m_AlphaStep;
}

void Particle::DrawImage(Canvas& canvas)
{
    BorrowedAlpha borrowed(*this, canvas, DrawnAlpha(m_ParticleAlpha));
    canvas.Translate(TruncateOffset(m_Offset.x), TruncateOffset(m_Offset.y));
    Actor::DrawImage(canvas);
}

LuaObject Particle::GetProperty(const std::string& name, LuaState state)
{
    if (name == "destAlpha") {
        LuaObject result(state);
        if (m_DestAlpha)
            result.AssignNumber(state, *m_DestAlpha);
        return result;
    }
    return Actor::GetProperty(name, state);
}

void Particle::SetDestAlphaProperty(const LuaObject& value)
{
    if (value.IsNil())
        m_DestAlpha.reset();
    else
        m_DestAlpha = static_cast<float>(ReadNumberFromObject(value));
}
