// The splash: loading paced by butterflies, Return to skip, "--noprecache",
// and the way on to the menu.

#include "GameTestSupport.h"
#include "engine/ui/Button.h"
#include "game/shell/WoppleSplashScreen.h"

using namespace gametest;

namespace {

// Loads a count of its own instead of the data folder.
class CountedSplash : public WoppleSplashScreen
{
public:
    explicit CountedSplash(int total) : total(total) {}
    int BeginAdvanceLoad() override
    {
        ++begun;
        loaded = 0;
        return total;
    }
    bool AdvanceLoadNext() override { return ++loaded < total; }
    int total;
    int loaded = 0;
    int begun = 0;
};

class WoppleSplashScreenTest : public GameFixture
{
protected:
    CountedSplash* Show(int total, std::vector<std::string> args = {})
    {
        Start(args);
        auto* splash = AddScreen<CountedSplash>(total);
        manager->SwitchToScreen("SplashScreen");
        return splash;
    }

    static bool Flying(const WoppleSplashScreen& splash, int n)
    {
        Actor* butterfly = splash.FindChild("Butterfly" + std::to_string(n), true);
        return butterfly && butterfly->FindScriptsWithTag("Butterfly", nullptr) > 0;
    }
    static int FlyingCount(const WoppleSplashScreen& splash)
    {
        int count = 0;
        for (int n = 1; n <= WoppleSplashScreen::kButterflies; ++n)
            count += Flying(splash, n) ? 1 : 0;
        return count;
    }
    static int LiveTimersOf(const EventReceiver* receiver)
    {
        const TimerManager& timers = *TimerManager::GetInstance();
        int live = 0;
        for (std::uint32_t id = 1; id < timers.GetTimerCount(); ++id) {
            const TimerManager::Timer& timer = timers.GetTimer(id);
            live += timer.m_Receiver == receiver && !(timer.m_Flags & TIMER_FREED) ? 1 : 0;
        }
        return live;
    }
    static bool StartShows(const WoppleSplashScreen& splash)
    {
        Actor* start = splash.FindChild("StartButton", true);
        return start && start->IsVisible();
    }
};

} // namespace

TEST_F(WoppleSplashScreenTest, ButterfliesTakeOffAtEveryTenthAndTheStartButtonShowsWhenLoaded)
{
    CountedSplash* splash = Show(100);
    EXPECT_EQ(splash->GetStateName(), "WaitingToStartLoading");
    EXPECT_FALSE(StartShows(*splash));
    Pass();  // drawn once, then loading starts
    ASSERT_EQ(splash->GetStateName(), "Loading");
    EXPECT_EQ(splash->GetTotal(), 100);
    EXPECT_EQ(FlyingCount(*splash), 1) << "the first at the start";
    EXPECT_TRUE(Flying(*splash, 1));

    // Butterflies 2 to 5 at progress 10, 20, 30 and 40; none after.
    std::vector<int> releasedAt;
    int flying = 1;
    while (splash->GetStateName() == "Loading" && splash->GetProgress() < 200) {
        Pass();
        if (FlyingCount(*splash) > flying) {
            flying = FlyingCount(*splash);
            releasedAt.push_back(splash->GetProgress());
        }
    }
    EXPECT_EQ(releasedAt, (std::vector<int>{10, 20, 30, 40}));
    EXPECT_EQ(splash->GetProgress(), 100);
    EXPECT_EQ(splash->GetProgressFill()->GetWidth(), 100);
    EXPECT_EQ(splash->GetButterflyNumber(), 6);

    EXPECT_EQ(splash->GetStateName(), "Loaded");
    EXPECT_TRUE(StartShows(*splash));
    EXPECT_FALSE(splash->FindChild("LoadingText", true)->IsVisible());
    EXPECT_EQ(FlyingCount(*splash), 0) << "their scripts stop once loaded";
    EXPECT_FALSE(splash->FindChild("Butterfly5", true)->IsVisible()) << "not left hanging in mid-air";
    EXPECT_EQ(manager->GetCurrentScreen(), splash) << "no menu yet: the splash stays";
}

TEST_F(WoppleSplashScreenTest, FewerThanTenOrNoResourcesStillPaceTheButterfliesAndFinish)
{
    struct Case {
        int total;
        int flying;  // butterflies released in all
    };
    for (Case c : {Case{3, 4}, Case{9, 5}, Case{1, 2}, Case{0, 1}}) {
        SCOPED_TRACE("total " + std::to_string(c.total));
        CountedSplash* splash = Show(c.total);
        int released = 0;
        for (int pass = 0; pass < 40 && splash->GetStateName() != "Loaded"; ++pass) {
            Pass();
            released = std::max(released, splash->GetButterflyNumber() - 1);
        }
        EXPECT_EQ(splash->GetStateName(), "Loaded");
        EXPECT_EQ(released, c.flying);
        EXPECT_EQ(splash->GetProgress(), c.total);
        EXPECT_TRUE(StartShows(*splash));
        app.reset();
        TearDown();
    }
}

TEST_F(WoppleSplashScreenTest, ReturnEndsLoadingAtOnceButAltReturnDoesNot)
{
    CountedSplash* splash = Show(1000);
    Passes(3);
    ASSERT_EQ(splash->GetStateName(), "Loading");
    Key(SDLK_RETURN, KMOD_LALT);
    Pass();
    EXPECT_EQ(splash->GetStateName(), "Loading");
    const int progress = splash->GetProgress();
    Key(SDLK_RETURN);
    Pass();
    EXPECT_EQ(splash->GetStateName(), "Loaded");
    Passes(3);
    EXPECT_LE(splash->GetProgress(), progress + 1) << "the loading timer stopped";
    EXPECT_TRUE(StartShows(*splash));
}

TEST_F(WoppleSplashScreenTest, NoPrecacheLoadsNothingAndGoesOnToTheMenu)
{
    CountedSplash* splash = Show(50, {"--noprecache"});
    auto* menu = AddScreen<Screen>("", "MenuScreen", nullptr);
    EXPECT_EQ(splash->GetStateName(), "Loaded");
    EXPECT_EQ(splash->begun, 0);
    // Entered again now that a menu exists: straight through to it.
    manager->SwitchToScreen("SplashScreen");
    EXPECT_EQ(manager->GetCurrentScreen(), menu);
    EXPECT_EQ(splash->begun, 0);
}

TEST_F(WoppleSplashScreenTest, TheStartButtonGoesToTheMenu)
{
    CountedSplash* splash = Show(2);
    Passes(5);
    ASSERT_EQ(splash->GetStateName(), "Loaded");
    auto* menu = AddScreen<Screen>("", "MenuScreen", nullptr);
    auto* start = dynamic_cast<Button*>(splash->FindChild("StartButton", true));
    ASSERT_NE(start, nullptr);
    Pass();
    start->ManuallyPressButton();
    start->ManuallyReleaseButton();
    Passes(2);
    EXPECT_EQ(manager->GetCurrentScreen(), menu);
}

TEST_F(WoppleSplashScreenTest, EnteringAgainReplacesTheLoadingTimerInsteadOfAddingOne)
{
    CountedSplash* splash = Show(1000);
    auto* other = AddScreen<Screen>("", "Other", nullptr);
    (void)other;
    Passes(2);
    ASSERT_EQ(splash->GetStateName(), "Loading");
    EXPECT_EQ(LiveTimersOf(splash), 1);
    for (int visit = 0; visit < 3; ++visit) {
        manager->SwitchToScreen("Other");
        manager->SwitchToScreen("SplashScreen");
        Passes(2);
    }
    EXPECT_EQ(splash->begun, 4);
    EXPECT_EQ(LiveTimersOf(splash), 1);
}

TEST_F(WoppleSplashScreenTest, TheProgramOpensOnItsSplash)
{
    // Loading, not skipped: skipped, the splash goes on to the menu at once.
    Start({}, true);
    Screen* current = manager->GetCurrentScreen();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->GetName(), "SplashScreen");
    EXPECT_NE(dynamic_cast<WoppleSplashScreen*>(current), nullptr);
    for (const char* child : {"StartButton", "LoadingText", "Butterfly1", "Butterfly5", "ambientLoop", "Legal"})
        EXPECT_NE(current->FindChild(child, true), nullptr) << child;
    Passes(3);
}
