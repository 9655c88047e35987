// The reel set: its reels and their places, the staggered start, the event of
// each reel coming to rest, and what the rules ask of the reels.

#include "WheelTestSupport.h"
#include "engine/core/TimerManager.h"
#include "engine/ui/Button.h"

using namespace wheeltest;

namespace {

class ReelSetTest : public WheelFixture
{
protected:
    void SetUp() override
    {
        WheelFixture::SetUp();
        set = MakeSet();
        set->AttachObserver(WOPPLE_WHEELANIMATIONUPDATE, &recorder);
    }

    void TearDown() override
    {
        set->DetachObserver(WOPPLE_WHEELANIMATIONUPDATE, &recorder);
        WheelFixture::TearDown();
    }

    // Builds every reel with the extra squares and forces each one's result.
    void Force(const std::vector<std::pair<int, int>>& results, int extraType = -1)
    {
        for (int i = 1; i <= set->GetNumWheels(); ++i) {
            WoppleWheelView* wheel = set->GetWheelView(i);
            for (int type = 1; type <= 10; ++type)
                wheel->SetNumberOfTypedSquares(type, type == extraType ? 1 : 0);
            if (extraType < 0)
                for (int type : {WheelTypeJoker, WheelTypeMultiplier, WheelTypeDevil, WheelTypeDevilCherub})
                    wheel->SetNumberOfTypedSquares(type, 1);
            wheel->BuildStrip();
            wheel->SetResult(results[i - 1].first, results[i - 1].second);
        }
    }

    WoppleWheelSetView* set = nullptr;
    WheelUpdateRecorder recorder;
};

TEST_F(ReelSetTest, FiveReelsTakeTheirNumbersPlacesAndFactors)
{
    ASSERT_EQ(set->GetNumWheels(), 5);
    const int zorders[] = {1, 2, 3, 2, 1};
    const int multipliers[] = {2, 3, 5, 3, 2};
    for (int i = 1; i <= 5; ++i) {
        WoppleWheelView* wheel = set->GetWheelView(i);
        EXPECT_EQ(wheel->GetWheelNumberInSet(), i);
        EXPECT_EQ(wheel->GetBaseNumber(), 15 * i - 14);
        EXPECT_EQ(wheel->GetZOrder(), zorders[i - 1]);
        EXPECT_EQ(wheel->GetMultiplier(), multipliers[i - 1]);
        EXPECT_EQ(wheel->GetParent(), set->GetWheelContainer());
        EXPECT_EQ(wheel->GetSetView(), set);
        EXPECT_NE(wheel->FindChild("wheelButton" + std::to_string(i)), nullptr);
    }
    // The grid puts the reels 82 pixels apart.
    EXPECT_EQ(set->GetWheelView(2)->GetX() - set->GetWheelView(1)->GetX(), 82);
}

TEST_F(ReelSetTest, SevenReelsStackTheMiddleOneHighest)
{
    WoppleWheelSetView* seven = MakeSet("{ resource = \"WoppleSevenWheelSetView\" }");
    ASSERT_EQ(seven->GetNumWheels(), 7);
    const int zorders[] = {1, 2, 3, 4, 3, 2, 1};
    const int multipliers[] = {2, 3, 2, 5, 2, 3, 2};
    for (int i = 1; i <= 7; ++i) {
        EXPECT_EQ(seven->GetWheelView(i)->GetZOrder(), zorders[i - 1]);
        EXPECT_EQ(seven->GetWheelView(i)->GetMultiplier(), multipliers[i - 1]);
    }
    EXPECT_EQ(seven->GetWheelView(7)->GetBaseNumber(), 91);
}

TEST_F(ReelSetTest, TheLayoutsPlaceTheirReelSets)
{
    struct Case
    {
        const char* resource;
        int x, y, zorder, reels;
        const char* cover;
    } cases[] = {
        {"WoppleWheels", 191, 506, 3, 5, "wheelBackground2.png"},
        {"MultiBoardWoppleWheels", 188, 510, 2, 5, "wheelDesertBackground2.png"},
        {"SevenWoppleWheels", 195, 510, 3, 7, "wheelSmallBackground2.png"},
    };
    for (const Case& c : cases) {
        WoppleWheelSetView* placed = MakeSet(std::string("{ resource = \"") + c.resource + "\" }");
        ASSERT_NE(placed, nullptr) << c.resource;
        EXPECT_EQ(placed->GetX(), c.x) << c.resource;
        EXPECT_EQ(placed->GetY(), c.y) << c.resource;
        EXPECT_EQ(placed->GetZOrder(), c.zorder) << c.resource;
        EXPECT_EQ(placed->GetNumWheels(), c.reels) << c.resource;
        EXPECT_EQ(placed->GetWheelView(2)->GetWheelCover()->GetImageName(), c.cover) << c.resource;
    }
}

TEST_F(ReelSetTest, TheReelsStartOneAfterAnotherAndReportEachLanding)
{
    Force({{0, 3}, {0, 16}, {0, 45}, {0, 60}, {0, 75}});
    set->StartSpin();
    std::vector<int> started(6, -1);
    std::vector<int> stoppedAt(6, -1);
    for (int pass = 0; pass < 120; ++pass) {
        for (int i = 1; i <= 5; ++i) {
            const std::string state = set->GetWheelView(i)->GetStateName();
            if (state == "Spinning" && started[i] < 0)
                started[i] = pass;
            if (state == "Stopped" && stoppedAt[i] < 0)
                stoppedAt[i] = pass;
        }
        Pass();
    }
    EXPECT_EQ(started[1], 0);
    EXPECT_EQ(stoppedAt[1], 35);
    for (int i = 2; i <= 5; ++i) {
        // 250 ms apart, counted down 32 ms a pass.
        EXPECT_EQ(started[i] - started[i - 1], 8) << i;
        // A reel the timer starts takes its first step in that same pass.
        EXPECT_EQ(stoppedAt[i] - started[i] + 1, 35) << i;
    }
    const int expected[] = {3, 16, 45, 60, 75};
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(set->GetWheelView(i)->GetWheelNumber(), expected[i - 1]);
    EXPECT_EQ(recorder.finished, (std::vector<bool>{false, false, false, false, true}));
    EXPECT_EQ(set->GetNextWheelToStart(), 6);

    // Again: the same timer serves the next spin.
    const std::uint32_t timer = set->GetSpinAnimationTimerID();
    recorder.finished.clear();
    set->StartSpin();
    EXPECT_EQ(set->GetSpinAnimationTimerID(), timer);
    EXPECT_GT(PassUntilStopped(set), 0);
    Passes(2);
    EXPECT_EQ(recorder.finished.size(), 5u);
}

TEST_F(ReelSetTest, ALoneReelSpinsAtOnceAndFinishes)
{
    WoppleWheelSetView* one = MakeSet(R"({ resource = "DefaultWoppleWheelSetView", numberOfWheels = 1 })");
    WheelUpdateRecorder alone;
    one->AttachObserver(WOPPLE_WHEELANIMATIONUPDATE, &alone);
    one->GetWheelView(1)->SetResult(WheelTypeNumber, 9);
    one->StartSpin();
    EXPECT_EQ(one->GetWheelView(1)->GetStateName(), "Spinning");
    EXPECT_EQ(PassUntilStopped(one), 35);
    Pass();
    EXPECT_EQ(one->GetWheelView(1)->GetWheelNumber(), 9);
    EXPECT_EQ(alone.finished, (std::vector<bool>{true}));
    one->DetachObserver(WOPPLE_WHEELANIMATIONUPDATE, &alone);
}

TEST_F(ReelSetTest, TheRulesQuestionsAreAnsweredFromWhatTheReelsShow)
{
    Force({{WheelTypeMultiplier, 0}, {WheelTypeJoker, 0}, {WheelTypeMultiplier, 0}, {WheelTypeJoker, 0},
           {WheelTypeDevilCherub, 0}});
    // Spinning reels answer Spinning and block nothing.
    set->StartSpin();
    Pass();
    EXPECT_EQ(set->FindWheelOfType(WheelTypeJoker), nullptr);
    EXPECT_TRUE(set->IsTypeAllowed(WheelTypeDevil));
    ASSERT_GT(PassUntilStopped(set), 0);

    EXPECT_EQ(set->FindWheelOfType(WheelTypeJoker), set->GetWheelView(2));
    EXPECT_EQ(set->FindWheelOfType(WheelTypeSuperJoker), nullptr);
    EXPECT_EQ(set->CountJokers(), 2);
    EXPECT_EQ(set->CountAllJokers(), 2);
    EXPECT_EQ(set->GetTotalMultiplier(), 2 + 5);
    EXPECT_FALSE(set->IsTypeAllowed(WheelTypeDevil));
    EXPECT_FALSE(set->IsTypeAllowed(WheelTypeDevilCherub));
    EXPECT_TRUE(set->IsTypeAllowed(WheelTypeJoker));
    EXPECT_TRUE(set->IsTypeAllowed(WheelTypeCherub));
    EXPECT_TRUE(set->IsTypeAllowed(WheelTypeNumber));

    set->GrayOutAllButSuperJokers();
    for (int i = 1; i <= 5; ++i)
        EXPECT_TRUE(set->GetWheelView(i)->GetGrayTint()->IsVisible()) << i;
    set->ShowProgressOverlays();
    for (int i = 1; i <= 5; ++i)
        EXPECT_FALSE(set->GetWheelView(i)->GetGrayTint()->IsVisible()) << i;
    set->ClearAllSquares();
    EXPECT_EQ(set->CountJokers(), 0);
    EXPECT_EQ(set->GetTotalMultiplier(), 0);
}

TEST_F(ReelSetTest, ARandomLandingPassesBySymbolsAlreadyShown)
{
    // Every reel carries one cherub among its numbers; at most one may show it.
    for (unsigned seed : {3u, 11u, 19u, 27u}) {
        std::srand(seed);
        Force({{12, 0}, {12, 0}, {12, 0}, {12, 0}, {12, 0}}, WheelTypeCherub);
        for (int i = 1; i <= 5; ++i)
            set->GetWheelView(i)->SetNumberOfTypedSquares(WheelTypeNumber, 1);
        for (int i = 1; i <= 5; ++i)
            set->GetWheelView(i)->BuildStrip();
        set->StartSpin();
        ASSERT_GT(PassUntilStopped(set), 0);
        int cherubs = 0;
        for (int i = 1; i <= 5; ++i)
            cherubs += set->GetWheelView(i)->GetWheelType(false) == WheelTypeCherub;
        EXPECT_LE(cherubs, 1) << seed;
    }
}

TEST_F(ReelSetTest, ASetWithoutReelsAnswersWithoutReadingPastThem)
{
    WoppleWheelSetView bare;
    bare.StartSpin();
    EXPECT_EQ(bare.CountAllJokers(), 0);
    EXPECT_EQ(bare.FindWheelOfType(WheelTypeBlank), nullptr);
    EXPECT_TRUE(bare.AreAllWheelsStopped());
    EXPECT_TRUE(bare.IsTypeAllowed(WheelTypeDevil));
    EXPECT_EQ(bare.GetWheelView(1), nullptr);
    bare.ShowGrayTints();
}

// Hears the clicks of the reels' buttons.
class ClickRecorder : public Object
{
public:
    bool OnButtonClick(const EventRecord& event) override
    {
        clicked.push_back(static_cast<Actor*>(event.user.data1));
        return true;
    }
    std::vector<Actor*> clicked;
};

TEST_F(ReelSetTest, ClicksOnTheReelsReachTheirListener)
{
    ClickRecorder listener;
    set->AddListenerToWheelButtons(&listener);
    for (int i : {4, 1}) {
        auto* button = dynamic_cast<Button*>(set->GetWheelView(i)->GetWheelButton());
        ASSERT_NE(button, nullptr);
        button->ManuallyPressButton();
        button->ManuallyReleaseButton();
        Passes(2);
    }
    EXPECT_EQ(listener.clicked,
              (std::vector<Actor*>{set->GetWheelView(4)->GetWheelButton(), set->GetWheelView(1)->GetWheelButton()}));
}

TEST_F(ReelSetTest, OnlyMultipliersWithAFlashFlash)
{
    auto* flash = new Actor();
    flash->SetVisible(false);
    set->GetWheelView(1)->GetWheelButton()->AddChild(flash, "multiplierFlash");
    Force({{WheelTypeMultiplier, 0}, {0, 16}, {WheelTypeMultiplier, 0}, {0, 46}, {0, 61}});
    set->StartSpin();
    ASSERT_GT(PassUntilStopped(set), 0);
    set->FlashMultipliers();
    EXPECT_EQ(set->GetWheelView(1)->FindScriptsWithTag("multiplierFlash", nullptr), 1);
    EXPECT_EQ(set->GetWheelView(3)->FindScriptsWithTag("multiplierFlash", nullptr), 0);
    Pass();
    EXPECT_TRUE(flash->IsVisible());
    Passes(12);
    EXPECT_FALSE(flash->IsVisible());
    EXPECT_EQ(set->GetWheelView(1)->FindScriptsWithTag("multiplierFlash", nullptr), 0);
}

TEST_F(ReelSetTest, ScriptsGetReelsByNumberAndNilForAnythingElse)
{
    LuaState lua = app->GetLuaState();
    set->GetLuaObject().Push(lua);
    lua.SetGlobal("wheels");
    EXPECT_EQ(Eval("wheels:GetNumWheels()").GetInteger(), 5);
    EXPECT_EQ(Object::FromLuaObject(Eval("wheels:GetWheelView(5)")), set->GetWheelView(5));
    for (const char* call : {"wheels:GetWheelView(0)", "wheels:GetWheelView(6)", "wheels:GetWheelView()",
                             "wheels:GetWheelView('x')"})
        EXPECT_TRUE(Eval(call).IsNil()) << call;
    EXPECT_EQ(set->GetWheelView(-2), nullptr);
}

} // namespace
