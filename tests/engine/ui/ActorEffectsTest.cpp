// Slides, fades, rotation, the flattened cache and frame animations, pass by
// pass.

#include "ActorTestSupport.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/ui/Animation.h"
#include "engine/ui/FlattenedActor.h"

using namespace actortest;

namespace {

class ActorEffectsTest : public ActorFixture
{
};

} // namespace

TEST_F(ActorEffectsTest, ASlideStepsEachPassAndLandsExactly)
{
    Actor* actor = Make();
    Observer observer;
    actor->AttachObserver(VELK_SLIDECOMPLETE, &observer);
    actor->SetPosition(0, 5);
    actor->SlideTo(Point<int>(100, -5), 320);  // 11 ticks of 10 pixels
    std::vector<int> xs;
    for (int pass = 0; pass < 11; ++pass) {
        Pass(actor);
        xs.push_back(actor->GetX());
        if (pass < 10) {
            EXPECT_TRUE(actor->IsSliding());
        }
    }
    EXPECT_EQ(xs, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 100}));
    EXPECT_EQ(actor->GetY(), -5);
    EXPECT_FALSE(actor->IsSliding());
    ASSERT_EQ(observer.received.size(), 1u);
    EXPECT_EQ(observer.received[0].sender, actor);

    // Rounded half away from zero on the way; no duration lands on the next pass.
    actor->SetPosition(0, 0);
    actor->SlideTo(Point<int>(-3, 5), 64);  // 3 ticks of -1.5 and 2.5
    Pass(actor);
    EXPECT_EQ(actor->GetX(), -2);
    EXPECT_EQ(actor->GetY(), 3);
    actor->SlideTo(Point<int>(7, 7), 0);
    Pass(actor);
    EXPECT_EQ(actor->GetX(), 7);
    EXPECT_FALSE(actor->IsSliding());
    actor->DetachObserver(VELK_SLIDECOMPLETE, &observer);
}

TEST_F(ActorEffectsTest, ScriptsWaitForSlides)
{
    Actor* root = Make();
    auto* a = new Actor;
    auto* b = new Actor;
    root->AddChild(a, "a");
    root->AddChild(b, "b");
    Run("_log = {} "
        "Scripts.Move = function(root) "
        "  local a, b = root:FindChild('a'), root:FindChild('b') "
        "  SlideAndWait(a, {32, 0}, 64) table.insert(_log, 'a at ' .. a.position.x) "
        "  a:SlideTo({0, 0}, 32) b:SlideTo({0, 64}, 96) "
        "  WaitForSlideToFinish({a, b}) table.insert(_log, 'both') "
        "  WaitForSlideToFinish(b) table.insert(_log, 'b') "
        "end");
    root->RunScript("Move", "");
    std::vector<std::string> seen;
    for (int pass = 1; pass <= 8; ++pass) {
        Pass(root);
        seen.push_back(Eval("table.concat(_log, ',')").GetString());
    }
    // A slide of d milliseconds takes d / 32 + 1 passes.
    EXPECT_EQ(seen[2], "");
    EXPECT_EQ(seen[3], "a at 32");
    EXPECT_EQ(seen[6], "a at 32");
    EXPECT_EQ(seen[7], "a at 32,both,b");

    EXPECT_NE(FailureOf([&] { Run("WaitForSlideToFinish(3)"); }).find("`target` is neither an Actor nor a table."),
              std::string::npos);
    EXPECT_NE(FailureOf([&] { Run("SlideAndWait(nil, {0, 0}, 10)"); })
                  .find("SlideAndWait() must be called from within a running script."),
              std::string::npos);
}

TEST_F(ActorEffectsTest, FadesFollowTheirTimer)
{
    Actor* actor = Make(Color(0, 0, 255));
    actor->FadeOut(300, false);  // ten steps; the timer ends it in the tenth pass
    EXPECT_EQ(actor->GetShaderType(), SHADERTYPE_BLENDCOMBINEDALPHA);
    EXPECT_EQ(actor->GetAlpha(), 255);
    std::vector<int> alphas;
    for (int pass = 1; pass <= 9; ++pass) {
        Pass(actor);
        alphas.push_back(actor->GetAlpha());
    }
    EXPECT_EQ(alphas, (std::vector<int>{229, 204, 178, 153, 127, 102, 76, 50, 25}));
    EXPECT_TRUE(actor->IsVisible());
    Pass(actor);
    EXPECT_FALSE(actor->IsVisible());
    EXPECT_EQ(actor->GetFadeMode(), FADE_NONE);
    EXPECT_EQ(actor->GetFadeTimerID(), 0u);
    EXPECT_EQ(actor->GetShaderType(), SHADERTYPE_BLENDPIXELALPHA);

    // In, then out again over the same time, without destroying it.
    actor->FadeInThenOut(300);
    EXPECT_EQ(actor->GetAlpha(), 0);
    Pass(actor);
    EXPECT_TRUE(actor->IsVisible());
    EXPECT_EQ(actor->GetAlpha(), 25);
    for (int pass = 2; pass <= 10; ++pass)
        Pass(actor);
    EXPECT_EQ(actor->GetFadeMode(), FADE_OUT) << "the fade out began in this pass and took its first step";
    EXPECT_EQ(actor->GetAlpha(), 229);
    for (int pass = 1; pass <= 10; ++pass)
        Pass(actor);
    EXPECT_FALSE(actor->IsVisible());
    EXPECT_FALSE(actor->IsBeingDestroyed());

    // A fade in ends opaque, even one too short for a single step.
    actor->FadeIn(20);
    Pass(actor);
    EXPECT_EQ(actor->GetFadeMode(), FADE_NONE);
    EXPECT_TRUE(actor->IsVisible());
    EXPECT_EQ(actor->GetAlpha(), 255);

    // Destroyed at the end when asked.
    Actor* parent = Make();
    auto* fading = new Actor;
    parent->AddChild(fading);
    fading->FadeOut(100, true);
    for (int pass = 1; pass <= 4; ++pass)
        Pass(parent);
    EXPECT_EQ(parent->GetNumChildren(), 0u);
    // A fading actor that goes takes its timer with it.
    auto* gone = new Actor;
    gone->FadeIn(1000);
    std::uint32_t id = gone->GetFadeTimerID();
    delete gone;
    EXPECT_NE(timers->GetTimer(id).m_Flags & TIMER_FREED, 0u);
}

TEST_F(ActorEffectsTest, ARotatedImageIsDrawnInPlaceOfTheOwn)
{
    // Two pixels, red then green, turned a quarter counter-clockwise: green above red.
    AddImagePixels("pair.png", 2, 1, {0xFFFF0000, 0xFF00FF00});
    Actor* actor = Make();
    actor->SetImageFromName("pair.png");
    actor->ApplyProperty("rotation", Eval("90"));
    ASSERT_NE(actor->GetImage(), actor->GetOwnImage());
    EXPECT_EQ(actor->GetImage()->GetSize().w, 1u);
    EXPECT_EQ(actor->GetOverrideOffset(), Point<int>(0, 0)) << "turned about the top-left corner";
    Canvas canvas(2, 2, CANVAS_DESTROY_TARGET);
    actor->Draw(canvas);
    EXPECT_EQ(Rgb(canvas, 0, 0), kGreen);
    EXPECT_EQ(Rgb(canvas, 0, 1), kRed);
    EXPECT_EQ(Rgb(canvas, 1, 0), 0u);

    // About the centre with the actor centred: the copy's centre stays on the own one's.
    actor->SetAlignment(RectAlignment::Center);
    actor->ApplyProperty("rotationAlignment", Eval("'Center'"));
    AddImage("wide.png", 10, 4, 0xFF0000FF);
    actor->SetImageFromName("wide.png");
    EXPECT_EQ(actor->GetImage()->GetSize().w, 4u) << "a new image is turned too";
    EXPECT_EQ(actor->GetOverrideOffset(), Point<int>(6, -6));

    actor->ApplyProperty("rotation", Eval("0"));
    EXPECT_EQ(actor->GetImage(), actor->GetOwnImage());
    EXPECT_EQ(actor->GetOverrideOffset(), Point<int>(0, 0));
}

TEST_F(ActorEffectsTest, AFlattenedSubtreeIsDrawnFromItsCache)
{
    AddImage("red2.png", 2, 1, 0xFFFF0000);
    AddImage("blue1.png", 1, 1, 0xFF0000FF);
    Actor* root = Make();
    auto* panel = new Actor;
    panel->SetPosition(1, 0);
    panel->SetImageFromName("red2.png");
    auto* dot = new Actor;
    dot->SetImageFromName("blue1.png");
    dot->SetPosition(1, 0);
    panel->AddChild(dot);
    root->AddChild(panel);

    panel->Flatten(0, 0, 2, 1);
    // Composing into the cache may round a channel by one: compare by hue.
    auto hue = [](std::uint32_t rgb) {
        auto channel = [rgb](int shift) { return static_cast<int>((rgb >> shift) & 0xFF); };
        if (channel(16) > 200 && channel(8) < 50 && channel(0) < 50)
            return 'r';
        if (channel(0) > 200 && channel(8) < 50 && channel(16) < 50)
            return 'b';
        return rgb == 0 ? '.' : '?';
    };
    auto draw = [&] {
        Canvas canvas(3, 1, CANVAS_DESTROY_TARGET);
        root->Draw(canvas);
        return std::string{hue(Rgb(canvas, 0)), hue(Rgb(canvas, 1)), hue(Rgb(canvas, 2))};
    };
    EXPECT_EQ(draw(), ".rb");
    dot->SetVisible(false);
    EXPECT_EQ(draw(), ".rb") << "the cache stands until ReFlatten";
    panel->ReFlatten();
    EXPECT_EQ(draw(), ".rr");
    panel->Unflatten();
    dot->SetVisible(true);
    EXPECT_EQ(draw(), ".rb");
    EXPECT_EQ(FailureWithFunctionOf([&] { panel->ReFlatten(); }),
              "Actor::ReFlatten: Assertion failed: (m_FlattenedActor)");

    // The cache itself: sized from its source, kept while the size stays.
    FlattenedActor cache(panel, false, true, 0, 0);
    EXPECT_EQ(cache.GetWidth(), 2);
    Image* rendered = cache.GetRenderedImage();
    ASSERT_NE(rendered, nullptr);
    EXPECT_EQ(hue(PixelRow(rendered->GetSurface(), 0)[1] & 0xFFFFFFu), 'b');
    EXPECT_EQ(cache.GetShaderType(), SHADERTYPE_COPY) << "an opaque cache is drawn by copy";
    Canvas* canvas = cache.GetCanvas();
    cache.SetCacheSize(2, 1);
    EXPECT_EQ(cache.GetCanvas(), canvas);
    cache.SetCacheSize(3, 1);
    EXPECT_EQ(cache.GetCanvas(), nullptr);
    EXPECT_EQ(FailureWithFunctionOf([&] {
                  cache.CreateCanvas();
                  cache.CreateCanvas();
              }),
              "FlattenedActor::CreateCanvas: Assertion failed: (m_Canvas == 0)");

    FlattenedActor empty(nullptr, true, false, 4, 4);
    Canvas target(4, 4, CANVAS_DESTROY_TARGET);
    empty.Draw(target);
    EXPECT_EQ(empty.GetCanvas(), nullptr) << "without a source nothing is drawn";
}

TEST_F(ActorEffectsTest, AnimationsStepFramesByTheirScript)
{
    AddImage("anim.png", 1, 1, 0xFF00FF00, 4,
             "{ Animations = { count = {1, 2, 3}, hold = {1, {'delay', 500}, 2}, "
             "  nested = {0, 'count', 0}, bad = {1, true} } }");
    Actor* target = Make();
    target->SetImageFromName("anim.png");
    Observer observer;
    auto run = [&](const std::string& name, bool loop, int passes) {
        auto* animation = new Animation(name);
        animation->SetTarget(target);
        animation->AttachObserver(VELK_ANIMATIONFINISHED, &observer);
        target->AddChild(animation);
        loop ? animation->Loop(100) : animation->Play(100);
        std::vector<int> frames{target->GetFrame()};
        for (int pass = 0; pass < passes; ++pass) {
            Pass(target);
            frames.push_back(target->GetFrame());
        }
        target->DestroyChild(animation);
        DeleteFlagged();
        return frames;
    };

    observer.received.clear();
    EXPECT_EQ(run("count", false, 12), (std::vector<int>{1, 1, 1, 1, 2, 2, 2, 3, 3, 3, 3, 3, 3}));
    ASSERT_EQ(observer.received.size(), 1u) << "notified when the last frame has had its time";
    EXPECT_EQ(observer.received[0].type, VELK_ANIMATIONFINISHED);

    std::vector<int> hold = run("hold", false, 21);
    EXPECT_EQ(std::count(hold.begin(), hold.end(), 1), 20) << "four passes, then sixteen for the delay";
    EXPECT_EQ(hold.back(), 2);

    observer.received.clear();
    std::vector<int> looped = run("count", true, 24);
    EXPECT_EQ(looped[11], 1) << "a loop starts over after the last frame";
    EXPECT_TRUE(observer.received.empty());

    EXPECT_EQ(run("nested", false, 12), (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3}));

    EXPECT_EQ(FailureOf([&] { run("bad", false, 4); }),
              "Assertion failed: (false)\nMessage: Unknown element in animation:\ntype = boolean\nanimation name = "
              "bad");
    DeleteFlagged();
}
