// The game's sparkle bursts: every template starts by name from the engine's
// scripts and bursts with its own pictures, lifetime, speeds and count.

#include "ScreenTestSupport.h"
#include "engine/ui/Particle.h"
#include "engine/ui/ParticleEmitter.h"

#include <gmock/gmock.h>

#include <cmath>
#include <cstdlib>
#include <set>

using namespace screentest;

namespace {

struct Effect
{
    const char* name;
    std::set<std::string> images;
    int lifetime;
    float minRadius, maxRadius;
    std::size_t count;
    float fall;  // downward acceleration
};

const std::set<std::string> kRainbow = {"sparkle_y.png", "sparkle_r.png",  "sparkle_b.png",
                                        "sparkle_g.png", "sparkle_o.png", "sparkle_pi.png"};
const std::set<std::string> kSmallRainbow = {"sparkle_y_small.png", "sparkle_o_small.png", "sparkle_b_small.png",
                                             "sparkle_g_small.png", "sparkle_pi_small.png"};
const std::set<std::string> kSmallRainbow2 = {"sparkle_y_small.png", "sparkle_o_small.png", "sparkle_pi_small.png",
                                              "sparkle_r_small.png", "sparkle_b_small.png", "sparkle_g_small.png"};

const Effect kEffects[] = {
    {"YellowBurstEffect", {"sparkle_y.png"}, 500, 50, 150, 25, 0},
    {"YellowBurstEffectSmall", {"sparkle_y_small.png"}, 500, 50, 150, 25, 0},
    {"OrangeBurstEffect", {"sparkle_o.png"}, 500, 50, 150, 25, 0},
    {"OrangeBurstEffectSmall", {"sparkle_o_small.png"}, 500, 50, 150, 25, 0},
    {"PinkBurstEffect", {"sparkle_pi.png"}, 500, 50, 150, 25, 0},
    {"PinkBurstEffectSmall", {"sparkle_pi_small.png"}, 500, 50, 150, 25, 0},
    {"RedBurstEffect", {"sparkle_r.png"}, 500, 50, 150, 25, 0},
    {"RedBurstEffectSmall", {"sparkle_r_small.png"}, 500, 50, 150, 25, 0},
    {"BlueBurstEffect", {"sparkle_b.png"}, 500, 50, 150, 25, 0},
    {"BlueBurstEffectSmall", {"sparkle_b_small.png"}, 500, 50, 150, 25, 0},
    {"PurpleBurstEffect", {"sparkle_p.png"}, 500, 50, 150, 25, 0},
    {"PurpleBurstEffectSmall", {"sparkle_p_small.png"}, 500, 50, 150, 25, 0},
    {"GreenBurstEffect", {"sparkle_g.png"}, 500, 50, 150, 25, 0},
    {"GreenBurstEffectSmall", {"sparkle_g_small.png"}, 500, 50, 150, 25, 0},
    {"WhiteBurstEffect", {"sparkle_w.png"}, 500, 50, 150, 25, 0},
    {"WhiteBurstEffectSmall", {"sparkle_w_small.png"}, 500, 50, 150, 25, 0},
    {"WhiteBurstEffectSmallLong", {"sparkle_w_small.png"}, 3000, 50, 150, 25, 0},
    {"CellWhiteBurstEffect", {"sparkle_w.png"}, 250, 150, 250, 15, 0},
    {"CellWhiteBurstEffectSmall", {"sparkle_w.png"}, 250, 150, 250, 15, 0},
    {"PinkSmallBurstEffect", {"sparkle_pink_small.png"}, 250, 250, 250, 25, 0},
    {"PurpleSmallBurstEffect", {"sparkle_p_small.png"}, 250, 250, 250, 25, 0},
    {"RainbowBurstEffect", kRainbow, 750, 150, 250, 25, 250},
    {"RainbowBurstEffectSmall", kSmallRainbow, 750, 150, 250, 25, 250},
    {"RainbowSmallBurstEffect", kSmallRainbow2, 500, 150, 250, 25, 250},
    {"JokerBurstEffect", {"sparkle_y.png", "sparkle_r.png", "sparkle_g.png"}, 750, 150, 250, 25, 250},
    {"JokerBurstEffectSmall", {"sparkle_y_small.png", "sparkle_r_small.png", "sparkle_g_small.png"}, 750, 150, 250,
     25, 250},
};

class ParticleEffectsTest : public ScreenFixture
{
};

} // namespace

TEST_F(ParticleEffectsTest, EveryBurstStartsByNameWithItsOwnSparkles)
{
    std::srand(4321);
    Screen* screen = AddScreen("", "Effects", nullptr);
    manager->SwitchToScreen("Effects");
    auto* particles = new ParticleManager;
    screen->AddChild(particles);
    for (const Effect& effect : kEffects) {
        SCOPED_TRACE(effect.name);
        auto* burst = new IdenticalParticleEmitter(effect.name, particles);
        burst->SetPosition(100, 50);
        burst->SetSize(10, 10);
        screen->AddChild(burst);
        burst->Start();
        EXPECT_FALSE(burst->IsRunning()) << "one burst and done";
        EXPECT_EQ(burst->GetEmitCount(), 0);
        ASSERT_EQ(particles->GetNumChildren(), effect.count);

        std::set<std::string> seen;
        for (Actor* child : particles->GetChildren()) {
            auto* p = dynamic_cast<Particle*>(child);
            ASSERT_NE(p, nullptr);
            ASSERT_NE(p->GetImage(), nullptr) << p->GetImageName() << " is not in the data";
            seen.insert(p->GetImageName());
            EXPECT_EQ(p->GetLifetime(), effect.lifetime);
            EXPECT_FLOAT_EQ(p->GetAlphaStep(), -255.0f * 1000.0f / effect.lifetime) << "fades out over its life";
            const float speed = std::hypot(p->GetVelocity().x, p->GetVelocity().y);
            EXPECT_GE(speed, effect.minRadius - 0.01f);
            EXPECT_LE(speed, effect.maxRadius + 0.01f);
            EXPECT_EQ(p->GetAcceleration().y, effect.fall);
            // Centred on the emitter's centre.
            EXPECT_EQ(p->GetX() + p->GetWidth() / 2, 105);
        }
        for (const std::string& image : seen)
            EXPECT_TRUE(effect.images.count(image)) << image;
        if (effect.images.size() > 1) {
            EXPECT_GT(seen.size(), 1u) << "the pictures are picked at random";
        }
        particles->DestroyChildren();
        app->RunPass();
    }
}
