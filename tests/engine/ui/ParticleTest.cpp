// Particles, their templates and the emitters, pass by pass with a seeded
// random generator.

#include "ActorTestSupport.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/ui/Particle.h"
#include "engine/ui/ParticleEmitter.h"
#include "engine/ui/ParticleTemplate.h"

#include <cmath>
#include <cstdlib>

using namespace actortest;

namespace {

// Records what the particles hand the renderer.
class DrawRecorder : public ImageRenderer
{
public:
    struct Draw
    {
        int shaderType;
        Rect dest;
        std::uint8_t alpha;
    };
    Image* GetTargetSurface() override { return nullptr; }
    void DrawCircle(int, int, int, const Color&) override {}
    void DrawImage(Image*, int shaderType, const Rect* destRect, const Rect*, std::uint8_t alpha, float, bool,
                   bool) override
    {
        draws.push_back({shaderType, *destRect, alpha});
    }
    void DrawLine(int, int, int, int, const Color&) override {}
    void DrawPie(int, int, int, int, int, const Color&) override {}
    void FillPolygon(const Poly&, const Color&, bool) override {}
    void FillRect(const Rect& rect, const Color& color, bool) override { fills.push_back({rect, color}); }

    std::vector<Draw> draws;
    std::vector<std::pair<Rect, Color>> fills;
};

std::vector<Actor*> g_Destroyed;
void RecordDestroyed(Actor* actor)
{
    g_Destroyed.push_back(actor);
}

class ParticleTest : public ActorFixture
{
protected:
    void SetUp() override
    {
        ActorFixture::SetUp();
        std::srand(1234);
        g_Destroyed.clear();
        AddImage("spark.png", 6, 4, 0xFFFFFF00);
        AddImage("spark_b.png", 8, 8, 0xFF0000FF);
        // A screen-like root with the particle manager and an effect layer in it.
        root = Make();
        root->SetSize(800, 600);
        manager = new ParticleManager;
        manager->SetPosition(30, 20);
        root->AddChild(manager);
        effects = new Actor;
        effects->SetPosition(100, 50);
        root->AddChild(effects);
        // A burst as the game's effects are written.
        Run("Resources.TestBurst = Resources.IdenticalParticleEmitter:new{ "
            "  particleTemplate = { image = 'spark.png', lifetime = 500, alpha = 255, destAlpha = 0, "
            "    position = {0, 0}, rotationStep = 360, "
            "    randomizedVelocity = { minRadius = 50, maxRadius = 150, minAngle = 0, maxAngle = 2 * math.pi } }, "
            "  numParticles = 25, emitCount = 1, interval = 100 }");
    }

    void TearDown() override
    {
        g_Destroyed.clear();
        ActorFixture::TearDown();
    }

    // An emitter in the effect layer, 10 x 10 at (x, y).
    template <typename T, typename... Args>
    T* Place(int x, int y, Args&&... args)
    {
        auto* emitter = new T(std::forward<Args>(args)...);
        emitter->SetPosition(x, y);
        emitter->SetSize(10, 10);
        effects->AddChild(emitter);
        return emitter;
    }

    std::vector<Particle*> Particles() const
    {
        std::vector<Particle*> particles;
        for (Actor* child : manager->GetChildren())
            particles.push_back(dynamic_cast<Particle*>(child));
        return particles;
    }

    Actor* root = nullptr;
    ParticleManager* manager = nullptr;
    Actor* effects = nullptr;
};

TEST_F(ParticleTest, ABurstEmitsOnceAtStartAndItsParticlesOutliveIt)
{
    auto* burst = Place<IdenticalParticleEmitter>(10, 20, "TestBurst", manager);
    EXPECT_EQ(burst->RetrieveIntegerProperty("numParticles", 0), 25);
    EXPECT_TRUE(burst->GetDestroyWhenStopped()) << "a new emitter goes when it stops";
    burst->Start();

    std::vector<Particle*> particles = Particles();
    ASSERT_EQ(particles.size(), 25u);
    EXPECT_EQ(burst->GetEmitCount(), 0);
    EXPECT_FALSE(burst->IsRunning());
    EXPECT_TRUE(burst->IsBeingDestroyed());
    for (Particle* p : particles) {
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->GetImageName(), "spark.png");
        // Centred on the emitter's centre (115, 75 on the screen), in the manager's coordinates.
        EXPECT_EQ(p->GetX(), 115 - 30 - 3);
        EXPECT_EQ(p->GetY(), 75 - 20 - 2);
        EXPECT_EQ(p->GetShaderType(), SHADERTYPE_BLENDCOMBINEDALPHA);
        EXPECT_EQ(p->GetLifetime(), 500);
        EXPECT_FALSE(p->GetDestAlpha().has_value()) << "turned into a step at emission";
        EXPECT_FLOAT_EQ(p->GetAlphaStep(), -510.0f);
        const Point2f& v = p->GetVelocity();
        float speed = std::hypot(v.x, v.y);
        EXPECT_GE(speed, 49.99f);
        EXPECT_LT(speed, 150.01f);
    }
    // Random directions, not one for all.
    EXPECT_NE(particles[0]->GetVelocity(), particles[1]->GetVelocity());

    Pass(root);
    EXPECT_EQ(effects->GetNumChildren(), 0u) << "the stopped emitter is gone";
    EXPECT_EQ(Particles().size(), 25u) << "its particles play on";

    // The same seed gives the same burst.
    std::vector<Point2f> first;
    for (Particle* p : particles)
        first.push_back(p->GetVelocity());
    manager->DestroyChildren();
    Pass(root);
    std::srand(1234);
    Place<IdenticalParticleEmitter>(10, 20, "TestBurst", manager)->Start();
    ASSERT_EQ(Particles().size(), 25u);
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(Particles()[i]->GetVelocity(), first[i]) << i;
}

TEST_F(ParticleTest, AStoppedEmitterStaysWhenItIsNotToBeDestroyed)
{
    auto* burst = Place<IdenticalParticleEmitter>(0, 0, "TestBurst", manager);
    burst->SetDestroyWhenStopped(false);
    burst->Start();
    EXPECT_EQ(Particles().size(), 25u);
    for (int pass = 0; pass < 17; ++pass)
        Pass(root);
    EXPECT_TRUE(Particles().empty());
    EXPECT_FALSE(burst->IsBeingDestroyed());
    EXPECT_FALSE(burst->IsRunning());
    EXPECT_EQ(effects->GetNumChildren(), 1u);
    burst->Start();
    EXPECT_TRUE(Particles().empty()) << "nothing is left to emit";
}

TEST_F(ParticleTest, EmissionsFollowTheDelayAndTheInterval)
{
    struct Case
    {
        int delay;
        int interval;
        int emitCount;
        std::vector<int> emittingUpdates;  // 0 is Start
    };
    const Case cases[] = {
        {300, 100, -1, {10, 14, 18, 22}},
        {0, 100, 3, {0, 4, 8}},
        {0, 0, 4, {0, 1, 2, 3}},
        {50, 0, -1, {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}},
        {0, 100, 0, {}},
    };
    for (const Case& c : cases) {
        manager->DestroyChildren();
        Pass(nullptr);
        auto* emitter = Place<ParticleEmitter>(0, 0, manager);
        emitter->SetDestroyWhenStopped(false);
        emitter->SetDelay(c.delay);
        EXPECT_EQ(emitter->GetCountdown(), c.delay);
        emitter->SetInterval(c.interval);
        emitter->SetEmitCount(c.emitCount);
        std::vector<int> emitting;
        std::size_t count = 0;
        for (int update = 0; update <= 24; ++update) {
            if (update == 0)
                emitter->Start();
            else
                emitter->Update();
            if (manager->GetNumChildren() != count) {
                EXPECT_EQ(manager->GetNumChildren(), count + 1) << "one particle per emission";
                emitting.push_back(update);
                count = manager->GetNumChildren();
            }
        }
        EXPECT_EQ(emitting, c.emittingUpdates) << "delay " << c.delay << ", interval " << c.interval;
        EXPECT_EQ(emitter->IsRunning(), c.emitCount < 0) << "delay " << c.delay;
        if (c.emitCount < 0) {
            EXPECT_EQ(emitter->GetElapsed(), 24 * 32);
        }
        emitter->Destroy();
    }
}

TEST_F(ParticleTest, AParticleMovesFadesAndDiesByItsLifetime)
{
    auto* emitter = Place<IdenticalParticleEmitter>(0, 0, "TestBurst", manager);
    emitter->ApplyIntegerProperty("numParticles", 1);
    emitter->SetParticleTemplate("velocity", Eval("{100, -50}"));
    emitter->SetParticleTemplate("acceleration", Eval("{0, 250}"));
    emitter->Start();
    ASSERT_EQ(Particles().size(), 1u);
    Particle* p = Particles()[0];
    EXPECT_EQ(p->GetOffset(), Point2f(0.0f, 0.0f));
    const Point<int> origin(p->GetX(), p->GetY());

    // Fifteen full steps: the offset by the old velocity, then the velocity by the acceleration.
    for (int pass = 1; pass <= 15; ++pass)
        Pass(root);
    EXPECT_EQ(p->GetAge(), 480);
    EXPECT_NEAR(p->GetOffset().x, 48.0f, 1e-3f);
    // y: -50 t + 250 * (0.032^2) * (0 + 1 + ... + 14)
    EXPECT_NEAR(p->GetOffset().y, -50.0f * 0.48f + 250.0f * 0.032f * 0.032f * 105.0f, 1e-3f);
    EXPECT_NEAR(p->GetVelocity().y, -50.0f + 250.0f * 0.48f, 1e-3f);
    EXPECT_NEAR(p->GetParticleAlpha(), 255.0f - 510.0f * 0.48f, 1e-2f);
    EXPECT_EQ(p->GetX(), origin.x) << "the actor's own position stays";

    // The sixteenth is cut at the lifetime: 20 ms, and the fade reaches 0.
    Pass(root);
    EXPECT_TRUE(p->IsDead());
    EXPECT_EQ(p->GetAge(), 500);
    EXPECT_NEAR(p->GetOffset().x, 50.0f, 1e-3f);
    EXPECT_NEAR(p->GetParticleAlpha(), 0.0f, 1e-2f);
    EXPECT_EQ(Particles().size(), 1u) << "still drawn in the frame it dies";
    Pass(root);
    EXPECT_TRUE(Particles().empty());
}

TEST_F(ParticleTest, AnEndlessParticleNeverDiesAndKeepsItsDestAlphaPending)
{
    Particle* p = new Particle;
    manager->AddChild(p);
    EXPECT_EQ(p->GetLifetime(), -1);
    EXPECT_EQ(p->GetWidth(), 5);
    EXPECT_EQ(p->GetColor(), Colors::Red);
    p->SetDestAlpha(0.0f);
    p->SetAlphaStep(-100.0f);
    for (int pass = 0; pass < 100; ++pass)
        Pass(root);
    ASSERT_EQ(Particles().size(), 1u);
    EXPECT_FALSE(p->IsDead());
    EXPECT_EQ(p->GetAge(), 3200);
    ASSERT_TRUE(p->GetDestAlpha().has_value());
    EXPECT_NEAR(p->GetParticleAlpha(), 255.0f - 320.0f, 1e-2f) << "only the alpha step applies";

    // Given a lifetime, the pending value turns into a step; with none left the alpha is set.
    p->SetLifetime(3200 + 64);
    p->Step(0);
    EXPECT_FALSE(p->GetDestAlpha().has_value());
    EXPECT_NEAR(p->GetAlphaStep(), (0.0f - (255.0f - 320.0f)) * 1000.0f / 64.0f, 1e-2f);
    p->SetDestAlpha(200.0f);
    p->SetLifetime(3200);
    p->Step(0);
    EXPECT_TRUE(p->IsDead());
    EXPECT_FLOAT_EQ(p->GetParticleAlpha(), 200.0f);
    EXPECT_FLOAT_EQ(p->GetAlphaStep(), 0.0f);
}

TEST_F(ParticleTest, DrawingMovesByTheTruncatedOffsetAndClampsTheAlpha)
{
    DrawRecorder renderer;
    Canvas canvas(&renderer, false);
    Particle* p = new Particle;
    manager->AddChild(p);
    p->SetPosition(10, 4);
    p->SetImageFromName("spark.png");
    struct Case
    {
        Point2f offset;
        float alpha;
        Rect dest;
        int drawnAlpha;
    };
    const Case cases[] = {
        {{3.7f, -1.2f}, 127.9f, Rect(30 + 13, 20 + 3, 6, 4), 127},
        {{-0.9f, 0.9f}, -20.0f, Rect(30 + 10, 20 + 4, 6, 4), 0},
        {{-2.5f, 12.0f}, 300.0f, Rect(30 + 8, 20 + 16, 6, 4), 255},
    };
    for (const Case& c : cases) {
        renderer.draws.clear();
        p->SetOffset(c.offset);
        p->SetParticleAlpha(c.alpha);
        root->Draw(canvas);
        ASSERT_EQ(renderer.draws.size(), 1u);
        EXPECT_EQ(renderer.draws[0].dest, c.dest) << c.alpha;
        EXPECT_EQ(renderer.draws[0].alpha, c.drawnAlpha) << c.alpha;
        EXPECT_EQ(renderer.draws[0].shaderType, SHADERTYPE_BLENDCOMBINEDALPHA);
        EXPECT_EQ(p->GetAlpha(), 255) << "the actor's own alpha is back";
        EXPECT_EQ(canvas.GetStateIndex(), 0u);
    }

    // Without an image: the red square, at the particle's alpha.
    p->SetImageFromName("");
    p->SetColor(Colors::Red);
    p->SetSize(5, 5);
    p->SetOffset(Point2f(1.5f, 0.0f));
    p->SetParticleAlpha(64.0f);
    root->Draw(canvas);
    ASSERT_EQ(renderer.fills.size(), 1u);
    EXPECT_EQ(renderer.fills[0].first, Rect(30 + 11, 20 + 4, 5, 5));
    EXPECT_EQ(renderer.fills[0].second, Color(255, 0, 0, 64));
}

TEST_F(ParticleTest, TemplateItemsReachEveryParticle)
{
    LuaObject effect = Eval("{ numParticles = 40, "
                            "  particleTemplate = { lifetime = 250, alpha = 100, size = {3, 2}, color = 'Green', "
                            "    velocity = {7, 8}, randomizedImage = { 'spark.png', 'spark_b.png', 7 } } }");
    auto* emitter = Place<IdenticalParticleEmitter>(0, 0, effect, manager);
    emitter->SetDestroyWhenStopped(false);
    ParticleTemplate& t = emitter->GetTemplate();
    EXPECT_EQ(t.GetNumRandomizedImages(), 2u) << "names only";
    emitter->Start();
    int blue = 0;
    for (Particle* p : Particles()) {
        EXPECT_EQ(p->GetLifetime(), 250);
        EXPECT_FLOAT_EQ(p->GetParticleAlpha(), 100.0f);
        EXPECT_EQ(p->GetVelocity(), Point2f(7.0f, 8.0f));
        EXPECT_EQ(p->GetColorMode() & COLORMODE_IMAGE, static_cast<std::uint32_t>(COLORMODE_IMAGE))
            << "the image comes after the colour";
        blue += p->GetImageName() == "spark_b.png" ? 1 : 0;
    }
    EXPECT_GT(blue, 5);
    EXPECT_LT(blue, 35);

    // An image of its own wins over the random ones; an empty name drops it again.
    emitter->SetParticleTemplate("image", Eval("'spark.png'"));
    emitter->SetEmitCount(1);
    manager->DestroyChildren();
    Pass(nullptr);
    emitter->Start();
    for (Particle* p : Particles())
        EXPECT_EQ(p->GetImageName(), "spark.png");
    emitter->SetParticleTemplate("image", Eval("''"));
    emitter->SetParticleTemplate("randomizedImage", Eval("{}"));
    emitter->SetEmitCount(1);
    manager->DestroyChildren();
    Pass(nullptr);
    emitter->Start();
    ASSERT_FALSE(Particles().empty());
    EXPECT_EQ(Particles()[0]->GetOwnImage(), nullptr);
    EXPECT_EQ(Particles()[0]->GetColor(), Color(0, 255, 0));
    EXPECT_EQ(Particles()[0]->GetWidth(), 3);
    EXPECT_EQ(Particles()[0]->GetHeight(), 2);

    // A picture that does not exist leaves the template as it was.
    EXPECT_NE(FailureOf([&] { emitter->SetParticleTemplate("image", Eval("'missing.png'")); }), "no failure");
    emitter->SetEmitCount(1);
    manager->DestroyChildren();
    Pass(nullptr);
    emitter->Start();
    EXPECT_EQ(Particles()[0]->GetOwnImage(), nullptr);
}

TEST_F(ParticleTest, TheLastOfPositionAndRandomizedPositionHolds)
{
    auto* emitter = Place<IdenticalParticleEmitter>(0, 0, Eval("{}"), manager);
    // Emitter centre (105, 55) on the screen: (75, 35) in the manager; a 5 x 5 particle starts at (73, 33).
    auto emitOne = [&] {
        manager->DestroyChildren();
        Pass(nullptr);
        emitter->SetEmitCount(1);
        emitter->SetDestroyWhenStopped(false);
        emitter->Start();
        EXPECT_EQ(Particles().size(), 1u);
        return Point<int>(Particles()[0]->GetX(), Particles()[0]->GetY());
    };
    EXPECT_EQ(emitOne(), Point<int>(73, 33));
    emitter->SetParticleTemplate("position", Eval("{3, -4}"));
    EXPECT_EQ(emitOne(), Point<int>(76, 29));
    emitter->SetParticleTemplate("randomizedPosition", Eval("{ minX = 10, maxX = 10.9, minY = -20.9, maxY = -20 }"));
    EXPECT_EQ(emitOne(), Point<int>(83, 13)) << "random offsets are truncated toward zero";
    EXPECT_FALSE(emitter->GetTemplate().GetPositionOffset().has_value());
    emitter->SetParticleTemplate("position", Eval("{1, 1}"));
    EXPECT_EQ(emitOne(), Point<int>(74, 34));
    // A false range, as the "ParticleTemplate" template has, drops only the random one.
    emitter->SetParticleTemplate("randomizedPosition", Eval("false"));
    EXPECT_EQ(emitOne(), Point<int>(74, 34));

    // Velocities replace each other the same way.
    emitter->SetParticleTemplate("velocity", Eval("{1, 2}"));
    emitter->SetParticleTemplate("randomizedVelocity", Eval("{ minRadius = 10, maxRadius = 10 }"));
    emitOne();
    EXPECT_NEAR(Particles()[0]->GetVelocity().x, 10.0f, 1e-4f) << "angle 0 when the angles are missing";
    emitter->SetParticleTemplate("velocity", Eval("{1, 2}"));
    emitOne();
    EXPECT_EQ(Particles()[0]->GetVelocity(), Point2f(1.0f, 2.0f));
}

TEST_F(ParticleTest, ThePlainEmitterAppliesItsTableToEachParticle)
{
    auto* emitter = Place<ParticleEmitter>(0, 0, manager);
    emitter->SetDestroyWhenStopped(false);
    LuaObject original = Eval("{ lifetime = 64 }");
    emitter->ApplyProperty("particleTemplate", original);
    emitter->SetParticleTemplate("velocity", Eval("{1000, 0}"));
    EXPECT_TRUE(original["velocity"].IsNil()) << "the table is copied, not changed";
    EXPECT_EQ(emitter->RetrieveProperty("particleTemplate")["lifetime"].GetInteger(), 64);
    emitter->ApplyIntegerProperty("numParticles", 3);
    emitter->SetEmitCount(1);
    emitter->Start();
    ASSERT_EQ(Particles().size(), 3u);
    Particle* p = Particles()[2];
    EXPECT_EQ(p->GetLifetime(), 64);
    EXPECT_EQ(p->GetVelocity(), Point2f(1000.0f, 0.0f));
    EXPECT_EQ(Point<int>(p->GetX(), p->GetY()), Point<int>(73, 33));
    Pass(root);
    Pass(root);
    EXPECT_EQ(p->GetAge(), 64);
    EXPECT_NEAR(p->GetOffset().x, 64.0f, 1e-3f);
    Pass(root);
    EXPECT_TRUE(Particles().empty());

    // Particles appended at the end, whatever the z-orders there.
    auto* top = new Actor;
    top->SetZOrder(10);
    manager->AddChild(top);
    emitter->SetEmitCount(1);
    emitter->Start();
    EXPECT_EQ(manager->GetChildren().front(), top);
    EXPECT_EQ(manager->GetChildren().back()->GetParent(), manager);
}

TEST_F(ParticleTest, ScriptPropertiesAndTheClassesOfTheRegistry)
{
    // Built by the registry from the templates, as scripts make them.
    Run("_p = CreateObject{ resource = 'Particle' }");
    auto* p = dynamic_cast<Particle*>(Object::FromLuaObject(state.GetGlobal("_p")));
    ASSERT_NE(p, nullptr);
    owned.emplace_back(p);
    EXPECT_EQ(p->GetLifetime(), 1000);
    EXPECT_FLOAT_EQ(p->GetParticleAlpha(), 1.0f);
    EXPECT_FLOAT_EQ(*p->GetDestAlpha(), 1.0f);
    Run("_p.position = {2.5, -1.5} _p.velocity = {x = 3, y = 4} _p.alphaStep = -7 _p.destAlpha = nil");
    EXPECT_EQ(p->GetOffset(), Point2f(2.5f, -1.5f));
    EXPECT_FLOAT_EQ(Eval("_p.velocity.y").GetFloat(), 4.0f);
    EXPECT_FLOAT_EQ(Eval("_p.alphaStep").GetFloat(), -7.0f);
    EXPECT_TRUE(Eval("_p.destAlpha").IsNil());
    Run("_p.destAlpha = 12");
    EXPECT_FLOAT_EQ(Eval("_p.destAlpha").GetFloat(), 12.0f);
    EXPECT_EQ(p->GetX(), 0) << "\"position\" is the particle's offset, not the actor's place";

    Run("_e = CreateObject{ resource = 'ParticleEmitter' }");
    auto* plain = dynamic_cast<ParticleEmitter*>(Object::FromLuaObject(state.GetGlobal("_e")));
    ASSERT_NE(plain, nullptr);
    owned.emplace_back(plain);
    EXPECT_EQ(plain->GetEmitCount(), 1000);
    EXPECT_EQ(plain->GetInterval(), 10);
    EXPECT_FALSE(plain->GetDestroyWhenStopped());
    EXPECT_EQ(Eval("_e.numParticles").GetInteger(), 1);

    Run("_e = CreateObject{ resource = 'BufferedIdenticalParticleEmitter', numParticles = 2, delay = 64, "
        "  emitCount = 3, particleTemplate = { lifetime = 96 } }");
    auto* buffered = dynamic_cast<BufferedIdenticalParticleEmitter*>(Object::FromLuaObject(state.GetGlobal("_e")));
    ASSERT_NE(buffered, nullptr);
    owned.emplace_back(buffered);
    EXPECT_EQ(buffered->GetCountdown(), 64);
    EXPECT_EQ(Eval("_e.emitCount").GetInteger(), 3);
    EXPECT_EQ(Eval("_e.particleTemplate.lifetime").GetInteger(), 96);
    Particle made;
    buffered->GetTemplate().InitParticle(made);
    EXPECT_EQ(made.GetLifetime(), 96) << "parsed into the template part";

    // The "ParticleTemplate" template as a starting point: false ranges and an empty image are no items.
    ParticleTemplate defaults;
    defaults.ApplyNamedResource("ParticleTemplate");
    EXPECT_FALSE(defaults.GetRandomizedVelocity().has_value());
    EXPECT_EQ(defaults.GetVelocity(), Point2f(0.0f, 0.0f));
    Particle stamped;
    defaults.InitParticle(stamped);
    EXPECT_EQ(stamped.GetLifetime(), 1000);
    EXPECT_EQ(stamped.GetColor(), Colors::White);
    EXPECT_EQ(stamped.GetOwnImage(), nullptr);
    EXPECT_EQ(stamped.GetWidth(), 0);

    // The buffered emitter answers every name its parent does, the same way.
    ClassManager* classes = ClassManager::GetInstance();
    Class* identical = classes->GetClass("IdenticalParticleEmitter");
    Class* bufferedClass = classes->GetClass("BufferedIdenticalParticleEmitter");
    EXPECT_EQ(bufferedClass->GetParent(), identical);
    EXPECT_EQ(identical->GetParent(), classes->GetClass("ParticleEmitter"));
    EXPECT_EQ(classes->GetClass("ParticleTemplate")->GetParentName(), "Object");
    EXPECT_EQ(classes->GetClass("Particle")->GetParentName(), "Actor");
    for (const char* name : {"particleTemplate", "emitCount", "interval", "destroyWhenStopped", "delay"}) {
        EXPECT_EQ(bufferedClass->FindPropertySetter(name)->kind, identical->FindPropertySetter(name)->kind) << name;
        EXPECT_EQ(bufferedClass->FindPropertyGetter(name)->kind, identical->FindPropertyGetter(name)->kind) << name;
    }
}

TEST_F(ParticleTest, DestroyCallbacksAndAParticleParentThatIsGone)
{
    auto* emitter = Place<IdenticalParticleEmitter>(0, 0, "TestBurst", manager);
    emitter->ApplyIntegerProperty("numParticles", 2);
    emitter->SetDestroyCallback(RecordDestroyed);
    emitter->Start();
    std::vector<Particle*> particles = Particles();
    ASSERT_EQ(particles.size(), 2u);
    ASSERT_EQ(g_Destroyed.size(), 1u);
    EXPECT_EQ(g_Destroyed[0], emitter) << "the emitter stopped and went";
    for (int pass = 0; pass < 17; ++pass)
        Pass(root);
    ASSERT_EQ(g_Destroyed.size(), 3u);
    EXPECT_EQ(g_Destroyed[1], particles[0]);
    EXPECT_EQ(g_Destroyed[2], particles[1]);

    // An emitter whose particle parent is gone makes nothing, and its count still runs down.
    auto* orphan = Place<ParticleEmitter>(0, 0, manager);
    orphan->SetEmitCount(2);
    orphan->SetDestroyWhenStopped(false);
    manager->Destroy();
    Pass(nullptr);
    EXPECT_EQ(orphan->GetParticleParent(), nullptr);
    orphan->Start();
    EXPECT_EQ(orphan->GetEmitCount(), 1);
    Place<ParticleEmitter>(0, 0)->Start();
}

} // namespace
