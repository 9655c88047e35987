// The actors that act on their parent, stepped in passes of 32 ms: the score
// flash that drifts, fades and destroys its text, and the linear fader with
// "CreateLinearFader" and "FadeAndWait".

#include "ActorTestSupport.h"
#include "engine/ui/LinearFader.h"
#include "engine/ui/ScoreFlashBehavior.h"

using namespace actortest;

namespace {

class FaderTest : public ActorFixture
{
protected:
    // root -> target (alpha, at 100, 200), all owned by the test.
    Actor* Target(std::uint8_t alpha = 255)
    {
        root = Make();
        target = new Actor;
        target->SetPosition(100, 200);
        target->SetAlpha(alpha);
        root->AddChild(target);
        return target;
    }

    LuaObject IsFading() { return target->RetrieveProperty("isFading"); }

    Actor* root = nullptr;
    Actor* target = nullptr;
};

} // namespace

TEST_F(FaderTest, AScoreFlashDriftsAndFadesForItsLifetimeThenDestroysItsText)
{
    Target();
    auto* flash = new ScoreFlashBehavior;
    target->AddChild(flash);

    Pass(root);
    EXPECT_EQ(target->GetPosition(), Point<int>(100, 200)) << "the first tick only takes the start";
    EXPECT_EQ(target->GetAlpha(), 255);
    EXPECT_FLOAT_EQ(flash->GetFadeRate(), 255.0f);

    Pass(root);
    EXPECT_EQ(target->GetPosition(), Point<int>(100, 196));
    EXPECT_EQ(target->GetAlpha(), 246);
    for (int tick = 3; tick <= 32; ++tick)
        Pass(root);
    EXPECT_EQ(target->GetPosition(), Point<int>(100, 100));
    EXPECT_EQ(target->GetAlpha(), 2);
    EXPECT_EQ(root->GetNumChildren(), 1u);

    Pass(root);
    EXPECT_EQ(root->GetNumChildren(), 0u) << "the 33rd tick destroys the text with its flash";
}

TEST_F(FaderTest, ScoreFlashCases)
{
    struct Case
    {
        const char* what;
        std::uint8_t alpha;
        int lifetime;
        bool autoFade;
        float fadeRate;
        std::uint8_t alphaAfterTwoTicks;
        float rateAfterStart;
        bool destroyedAtOnce;
    };
    const Case cases[] = {
        {"half-transparent text", 128, 1000, true, 0.0f, 123, 128.0f, false},
        {"a short life fades faster", 255, 500, true, 0.0f, 238, 510.0f, false},
        {"a rate of its own", 255, 1000, false, 1000.0f, 223, 1000.0f, false},
        {"no fading", 200, 1000, false, 0.0f, 200, 0.0f, false},
        {"a rate beyond the alpha stops at 0", 10, 1000, false, 5000.0f, 0, 5000.0f, false},
        {"no lifetime", 255, 0, true, 0.0f, 255, 0.0f, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Target(c.alpha);
        auto* flash = new ScoreFlashBehavior;
        flash->SetLifetime(c.lifetime);
        flash->SetAutoFade(c.autoFade);
        flash->SetFadeRate(c.fadeRate);
        flash->SetVelocity(50.0f, 0.0f);
        target->AddChild(flash);
        Pass(root);
        if (c.destroyedAtOnce) {
            EXPECT_EQ(root->GetNumChildren(), 0u);
            continue;
        }
        EXPECT_FLOAT_EQ(flash->GetFadeRate(), c.rateAfterStart);
        Pass(root);
        EXPECT_EQ(target->GetAlpha(), c.alphaAfterTwoTicks);
        EXPECT_EQ(target->GetPosition(), Point<int>(101, 200));
    }

    ScoreFlashBehavior orphan;
    const std::string failure = FailureWithFunctionOf([&] { orphan.Update(); });
    EXPECT_EQ(failure.rfind("ScoreFlashBehavior::Tick: Assertion failed: (target != 0)\nMessage: A target actor has "
                            "not been set on the ScoreFlashBehavior at 0x",
                            0),
              0u)
        << failure;
}

TEST_F(FaderTest, TheScoreFlashTemplateAndProperties)
{
    Run("flash = CreateObject{ resource = 'ScoreFlashBehavior' }");
    auto* flash = dynamic_cast<ScoreFlashBehavior*>(Object::FromLuaObject(state.GetGlobal("flash")));
    ASSERT_NE(flash, nullptr);
    owned.emplace_back(flash);
    EXPECT_EQ(Eval("flash.velocity.x").GetNumber(), 0.0);
    EXPECT_EQ(Eval("flash.velocity.y").GetNumber(), 0.0);
    EXPECT_EQ(Eval("flash.lifetime").GetInteger(), 1000);
    EXPECT_TRUE(Eval("flash.autoFade").GetBoolean());
    // The template's "faderate" is a field of its own, not the rate.
    EXPECT_EQ(Eval("flash.fadeRate").GetNumber(), 0.0);
    EXPECT_NEAR(Eval("flash.faderate").GetNumber(), 0.2, 1e-9);
    Run("flash.velocity = { 10, -20 } flash.fadeRate = 30 flash.lifetime = 64 flash.autoFade = false");
    EXPECT_EQ(Eval("flash.velocity.y").GetNumber(), -20.0);
    EXPECT_EQ(flash->GetLifetime(), 64);
    EXPECT_FLOAT_EQ(flash->GetFadeRate(), 30.0f);
}

TEST_F(FaderTest, AFaderMovesTheAlphaInAStraightLineAndRemovesItself)
{
    Target();
    auto* fader = new LinearFader;
    fader->SetName("LinearFader");
    target->AddChild(fader);
    EXPECT_TRUE(IsFading().GetBoolean()) << "tagged as soon as it is added";

    Pass(root);
    EXPECT_EQ(target->GetAlpha(), 255) << "the first frame starts at elapsed 0";
    EXPECT_EQ(fader->GetElapsed(), 0);
    for (int frame = 1; frame <= 16; ++frame)
        Pass(root);
    EXPECT_EQ(fader->GetElapsed(), 512);
    EXPECT_EQ(target->GetAlpha(), 124);
    for (int frame = 17; frame <= 31; ++frame)
        Pass(root);
    EXPECT_EQ(fader->GetElapsed(), 992);
    EXPECT_TRUE(IsFading().GetBoolean());
    EXPECT_EQ(target->GetNumChildren(), 1u);

    Pass(root);
    EXPECT_EQ(target->GetAlpha(), 0);
    EXPECT_TRUE(IsFading().IsNil());
    EXPECT_EQ(target->GetNumChildren(), 0u) << "a fade of 1000 ms takes 32 frames after the first";
}

TEST_F(FaderTest, FaderCases)
{
    struct Case
    {
        const char* what;
        int duration;
        int destAlpha;
        std::vector<int> alphas;  // after each pass until it is gone
    };
    const Case cases[] = {
        {"a frame's duration lands on the second frame", 32, 100, {255, 100}},
        {"no duration lands at once", 0, 40, {40}},
        {"a negative duration lands at once", -50, 40, {40}},
        {"a destination beyond 255 stops there", 64, 400, {255, 255, 255}},
        {"a destination below 0 stops there", 64, -100, {255, 77, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Target();
        auto* fader = new LinearFader;
        fader->SetDuration(c.duration);
        fader->SetDestAlpha(c.destAlpha);
        target->AddChild(fader);
        for (std::size_t i = 0; i < c.alphas.size(); ++i) {
            ASSERT_EQ(target->GetNumChildren(), 1u) << "pass " << i;
            Pass(root);
            EXPECT_EQ(target->GetAlpha(), c.alphas[i]) << "pass " << i;
        }
        EXPECT_EQ(target->GetNumChildren(), 0u);
        EXPECT_TRUE(IsFading().IsNil());
    }

    // Untagged, the target's flag is never touched.
    Target();
    auto* quiet = new LinearFader;
    quiet->SetTagTarget(false);
    quiet->SetDuration(32);
    target->AddChild(quiet);
    target->ApplyStringProperty("isFading", "untouched");
    Pass(root);
    Pass(root);
    EXPECT_EQ(target->GetNumChildren(), 0u);
    EXPECT_EQ(IsFading().GetString(), "untouched");

    // Two on one target: the later child's alpha is the one that stays.
    Target();
    for (int dest : {0, 200}) {
        auto* fader = new LinearFader;
        fader->SetDestAlpha(dest);
        fader->SetDuration(64);
        target->AddChild(fader);
    }
    Pass(root);
    Pass(root);
    EXPECT_EQ(target->GetAlpha(), 227);
}

TEST_F(FaderTest, ADestroyedFaderLeavesNoScriptWaiting)
{
    Target();
    DestroyLinearFader(target);  // none: nothing happens
    auto* fader = new LinearFader;
    target->AddChild(fader, "LinearFader");
    Pass(root);
    Pass(root);
    EXPECT_TRUE(IsFading().GetBoolean());
    DestroyLinearFader(target);
    EXPECT_TRUE(IsFading().IsNil());
    EXPECT_EQ(target->GetNumChildren(), 0u);
    std::uint8_t alpha = target->GetAlpha();
    Pass(root);
    EXPECT_EQ(target->GetAlpha(), alpha) << "the fade stopped where it was";
}

TEST_F(FaderTest, CreateLinearFaderTakesNothingATemplateNameOrATable)
{
    Run("Resources.QuickFade = Resources.LinearFader:new{ duration = 64, destAlpha = 10 }");
    Run("a = CreateLinearFader() b = CreateLinearFader('QuickFade') c = CreateLinearFader{ duration = 96, tagTarget = false }");
    for (const char* name : {"a", "b", "c"}) {
        auto* fader = dynamic_cast<LinearFader*>(Object::FromLuaObject(state.GetGlobal(name)));
        ASSERT_NE(fader, nullptr) << name;
        owned.emplace_back(fader);
        EXPECT_EQ(fader->GetName(), "LinearFader");
        EXPECT_EQ(fader->GetParent(), nullptr);
    }
    EXPECT_EQ(Eval("a.duration").GetInteger(), 1000);
    EXPECT_EQ(Eval("a.destAlpha").GetInteger(), 0);
    EXPECT_TRUE(Eval("a.tagTarget").GetBoolean());
    EXPECT_EQ(Eval("b.duration").GetInteger(), 64);
    EXPECT_EQ(Eval("b.destAlpha").GetInteger(), 10);
    EXPECT_EQ(Eval("c.duration").GetInteger(), 96);
    EXPECT_FALSE(Eval("c.tagTarget").GetBoolean());

    EXPECT_NE(FailureOf([&] { Run("CreateLinearFader(2.5)"); })
                  .find("The 1st parameter to CreateLinearFader was a 'number', with a value of '2.5', which cannot "
                        "be used by the function."),
              std::string::npos);
    EXPECT_NE(FailureOf([&] { Run("CreateLinearFader(true)"); })
                  .find("The 1st parameter to CreateLinearFader was a 'boolean', which cannot be used by the "
                        "function."),
              std::string::npos);
}

TEST_F(FaderTest, FadeAndWaitReturnsWhenTheFadeIsDone)
{
    Target();
    Run("_log = {} "
        "Scripts.Blink = function(actor) "
        "  FadeAndWait(actor, 0, 64) table.insert(_log, 'out') "
        "  FadeAndWait(actor, 255, 64) table.insert(_log, 'in') "
        "end");
    target->RunScript("Blink", "");
    struct After
    {
        std::string log;
        int alpha;
    };
    // Pass 1 starts the script and adds the first fader; it fades in passes
    // 2 to 4, where the script goes on and adds the second, which fades in
    // passes 5 to 7. The first fader's removal must not end the second wait.
    const After expected[] = {{"", 255},    {"", 255},    {"", 127},       {"out", 0},
                              {"out", 0},   {"out", 127}, {"out,in", 255}, {"out,in", 255}};
    for (const After& after : expected) {
        Pass(root);
        EXPECT_EQ(Eval("table.concat(_log, ',')").GetString(), after.log);
        EXPECT_EQ(target->GetAlpha(), after.alpha);
    }
    EXPECT_TRUE(target->GetScripts().empty());
}
