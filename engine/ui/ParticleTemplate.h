#pragma once

#include "engine/core/Color.h"
#include "engine/core/Object.h"
#include "engine/core/Point.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Image;
class Particle;

// How the particles of one effect start, parsed once from a script table into
// typed items and then stamped onto every new particle without script work.
// Every item is optional and only a present one is applied. Its script
// properties can be set but not read back.
class ParticleTemplate : public Object
{
    VELK_DECLARE_CLASS(ParticleTemplate)
public:
    // Radii in pixels per second, angles in radians.
    struct VelocityRange
    {
        float minRadius = 0.0f;
        float maxRadius = 0.0f;
        float minAngle = 0.0f;
        float maxAngle = 0.0f;
    };
    struct PositionRange
    {
        float minX = 0.0f;
        float maxX = 0.0f;
        float minY = 0.0f;
        float maxY = 0.0f;
    };

    ParticleTemplate();
    ~ParticleTemplate() override;

    // In this order: lifetime, alpha, destAlpha, size, acceleration, velocity
    // (fixed, or a random angle then a random radius), colour, image (the
    // template's own, else one of the random ones).
    void InitParticle(Particle& particle);
    // Moves the particle by the position offset: fixed, or random in each
    // range and truncated toward zero.
    void ApplyPositionOffset(Particle& particle);

    const std::optional<Point2f>& GetVelocity() const { return m_Velocity; }
    const std::optional<VelocityRange>& GetRandomizedVelocity() const { return m_RandomizedVelocity; }
    const std::optional<Point<int>>& GetPositionOffset() const { return m_Position; }
    const std::optional<PositionRange>& GetRandomizedPosition() const { return m_RandomizedPosition; }
    std::size_t GetNumRandomizedImages() const { return m_RandomizedImages.size(); }

private:
    friend void ParticleTemplateClassHook(Class* c);

    struct NamedImage
    {
        std::string name;
        std::unique_ptr<Image> image;
    };

    // Script setters. nil removes an item; `velocity` and `randomizedVelocity`
    // replace each other, and so do `position` and `randomizedPosition` (a
    // false random range only drops the random one).
    void SetLifetimeProperty(const LuaObject& value);
    void SetAlphaProperty(const LuaObject& value);
    void SetDestAlphaProperty(const LuaObject& value);
    void SetSizeProperty(const LuaObject& value);
    void SetVelocityProperty(const LuaObject& value);
    void SetRandomizedVelocityProperty(const LuaObject& value);
    void SetAccelerationProperty(const LuaObject& value);
    void SetColorProperty(const LuaObject& value);
    // An empty name removes the image; the picture is loaded here, once.
    void SetImageProperty(const LuaObject& value);
    // Every picture of the list is loaded here, once.
    void SetRandomizedImageProperty(const LuaObject& value);
    void SetPositionProperty(const LuaObject& value);
    void SetRandomizedPositionProperty(const LuaObject& value);

    std::optional<std::int32_t> m_Lifetime;
    std::optional<std::int32_t> m_Alpha;
    std::optional<std::int32_t> m_DestAlpha;
    std::optional<Point<int>> m_Size;
    std::optional<Point2f> m_Velocity;
    std::optional<VelocityRange> m_RandomizedVelocity;
    std::optional<Point2f> m_Acceleration;
    std::optional<Color> m_Color;
    std::unique_ptr<Image> m_Image;
    std::string m_ImageName;
    std::vector<NamedImage> m_RandomizedImages;
    std::optional<Point<int>> m_Position;
    std::optional<PositionRange> m_RandomizedPosition;
};
