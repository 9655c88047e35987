#include "engine/ui/ParticleTemplate.h"

#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/Utility.h"
#include "engine/ui/Particle.h"

#include <cmath>

namespace {

// A range entry is taken only when it is a number.
float NumberOrZero(const LuaObject& table, const char* key)
{
    LuaObject value = table[key];
    return value.IsNumber() ? value.GetFloat() : 0.0f;
}

// Truncated toward zero; NaN gives 0 and values past an int are held at its
// ends (converting them would be undefined).
int TruncateToInt(float value)
{
    if (!(value == value))
        return 0;
    if (value <= -2147483520.0f)
        return -2147483520;
    if (value >= 2147483520.0f)
        return 2147483520;
    return static_cast<int>(value);
}

} // namespace

void ParticleTemplateClassHook(Class* c)
{
    auto setter = [c](void (ParticleTemplate::*function)(const LuaObject&), const char* name) {
        c->RegisterPropertySetter(PropertyAccessor::CreateMemberSetter(MemberSetter(function), name));
    };
    setter(&ParticleTemplate::SetLifetimeProperty, "lifetime");
    setter(&ParticleTemplate::SetAlphaProperty, "alpha");
    setter(&ParticleTemplate::SetDestAlphaProperty, "destAlpha");
    setter(&ParticleTemplate::SetSizeProperty, "size");
    setter(&ParticleTemplate::SetVelocityProperty, "velocity");
    setter(&ParticleTemplate::SetRandomizedVelocityProperty, "randomizedVelocity");
    setter(&ParticleTemplate::SetAccelerationProperty, "acceleration");
    setter(&ParticleTemplate::SetColorProperty, "color");
    setter(&ParticleTemplate::SetImageProperty, "image");
    setter(&ParticleTemplate::SetRandomizedImageProperty, "randomizedImage");
    setter(&ParticleTemplate::SetPositionProperty, "position");
    setter(&ParticleTemplate::SetRandomizedPositionProperty, "randomizedPosition");
}

VELK_REGISTER_CLASS(ParticleTemplate, "Object", ParticleTemplateClassHook, InstantiateObjectOfClass<ParticleTemplate>);

ParticleTemplate::ParticleTemplate() = default;

ParticleTemplate::~ParticleTemplate() = default;

// ---------------------------------------------------------------- stamping particles

void ParticleTemplate::InitParticle(Particle& particle)
{
    if (m_Lifetime)
        particle.SetLifetime(*m_Lifetime);
    if (m_Alpha)
        particle.SetParticleAlpha(static_cast<float>(*m_Alpha));
    if (m_DestAlpha)
        particle.SetDestAlpha(static_cast<float>(*m_DestAlpha));
    if (m_Size)
        particle.SetSize(m_Size->x, m_Size->y);
    if (m_Acceleration)
        particle.SetAcceleration(*m_Acceleration);
    if (m_Velocity) {
        particle.SetVelocity(*m_Velocity);
    } else if (m_RandomizedVelocity) {
        const VelocityRange& range = *m_RandomizedVelocity;
        float angle = RandomFloatInRange(range.minAngle, range.maxAngle);
        float radius = RandomFloatInRange(range.minRadius, range.maxRadius);
        particle.SetVelocity(Point2f(radius * std::cos(angle), radius * std::sin(angle)));
    }
    if (m_Color)
        particle.SetColor(*m_Color);
    if (m_Image) {
        particle.SetImage(m_Image->Clone(), m_ImageName);
    } else if (!m_RandomizedImages.empty()) {
        NamedImage& chosen = m_RandomizedImages[RandomInt(static_cast<int>(m_RandomizedImages.size()))];
        particle.SetImage(chosen.image->Clone(), chosen.name);
    }
}

void ParticleTemplate::ApplyPositionOffset(Particle& particle)
{
    if (m_RandomizedPosition) {
        const PositionRange& range = *m_RandomizedPosition;
        int dx = TruncateToInt(RandomFloatInRange(range.minX, range.maxX));
        int dy = TruncateToInt(RandomFloatInRange(range.minY, range.maxY));
        particle.SetPosition(particle.GetX() + dx, particle.GetY() + dy);
    } else if (m_Position) {
        particle.SetPosition(particle.GetX() + m_Position->x, particle.GetY() + m_Position->y);
    }
}

// ---------------------------------------------------------------- script setters

void ParticleTemplate::SetLifetimeProperty(const LuaObject& value)
{
    m_Lifetime = value.IsNil() ? std::nullopt : std::optional<std::int32_t>(ReadIntegerFromObject(value));
}

void ParticleTemplate::SetAlphaProperty(const LuaObject& value)
{
    m_Alpha = value.IsNil() ? std::nullopt : std::optional<std::int32_t>(ReadIntegerFromObject(value));
}

void ParticleTemplate::SetDestAlphaProperty(const LuaObject& value)
{
    m_DestAlpha = value.IsNil() ? std::nullopt : std::optional<std::int32_t>(ReadIntegerFromObject(value));
}

void ParticleTemplate::SetSizeProperty(const LuaObject& value)
{
    m_Size = value.IsNil() ? std::nullopt : std::optional<Point<int>>(Point<int>(value));
}

void ParticleTemplate::SetVelocityProperty(const LuaObject& value)
{
    m_Velocity = value.IsNil() ? std::nullopt : std::optional<Point2f>(Point2f(value));
    if (m_Velocity)
        m_RandomizedVelocity.reset();
}

void ParticleTemplate::SetRandomizedVelocityProperty(const LuaObject& value)
{
    if (!value.IsTable()) {
        m_RandomizedVelocity.reset();
        return;
    }
    VelocityRange range;
    range.minRadius = NumberOrZero(value, "minRadius");
    range.maxRadius = NumberOrZero(value, "maxRadius");
    range.minAngle = NumberOrZero(value, "minAngle");
    range.maxAngle = NumberOrZero(value, "maxAngle");
    m_RandomizedVelocity = range;
    m_Velocity.reset();
}

void ParticleTemplate::SetAccelerationProperty(const LuaObject& value)
{
    m_Acceleration = value.IsNil() ? std::nullopt : std::optional<Point2f>(Point2f(value));
}

void ParticleTemplate::SetColorProperty(const LuaObject& value)
{
    m_Color = value.IsNil() ? std::nullopt : std::optional<Color>(Color(value));
}

void ParticleTemplate::SetImageProperty(const LuaObject& value)
{
    std::string name = value.IsNil() ? std::string() : ReadStringFromObject(value);
    // Loaded before anything changes: a picture that is missing leaves the template as it was.
    std::unique_ptr<Image> image = name.empty() ? nullptr : std::make_unique<Image>(name);
    m_Image = std::move(image);
    m_ImageName = name;
}

void ParticleTemplate::SetRandomizedImageProperty(const LuaObject& value)
{
    std::vector<NamedImage> images;
    if (value.IsTable()) {
        int n = value.GetN();
        for (int i = 1; i <= n; ++i) {
            LuaObject name = value[i];
            if (name.IsString())
                images.push_back({name.GetString(), std::make_unique<Image>(name.GetString())});
        }
    }
    m_RandomizedImages = std::move(images);
}

void ParticleTemplate::SetPositionProperty(const LuaObject& value)
{
    m_Position = value.IsNil() ? std::nullopt : std::optional<Point<int>>(Point<int>(value));
    if (m_Position)
        m_RandomizedPosition.reset();
}

void ParticleTemplate::SetRandomizedPositionProperty(const LuaObject& value)
{
    if (!value.IsTable()) {
        m_RandomizedPosition.reset();
        return;
    }
    PositionRange range;
    range.minX = NumberOrZero(value, "minX");
    range.maxX = NumberOrZero(value, "maxX");
    range.minY = NumberOrZero(value, "minY");
    range.maxY = NumberOrZero(value, "maxY");
    m_RandomizedPosition = range;
    m_Position.reset();
}
