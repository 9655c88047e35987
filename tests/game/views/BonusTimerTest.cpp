// The bonus timer's sign: quick matches raise the bonus it shows, a wait
// makes it flash and then go, and the rules' spin end and pause.

#include "BoardTestSupport.h"
#include "engine/core/CoreHost.h"
#include "engine/ui/Label.h"
#include "game/views/WoppleBonusTimer.h"

using namespace boardtest;

namespace {

class BonusTimerTest : public BoardFixture
{
protected:
    void SetUp() override
    {
        BoardFixture::SetUp();
        timer = dynamic_cast<WoppleBonusTimer*>(
            ClassManager::GetInstance()->InstantiateObjectFromResource("WoppleBonusTimerDefaults"));
        ASSERT_NE(timer, nullptr);
        screen->AddChild(timer);
    }

    void Match() { SendEvent(timer, WOPPLE_MAKEMATCH, 0, nullptr, nullptr); }
    std::string State() const { return timer->GetStateName(); }
    std::string Shown() const { return timer->GetScoreLabel()->GetText(); }
    // Passes of the main loop for the milliseconds, a frame being 32 ms.
    void Wait(int milliseconds) { Passes(milliseconds / 32 + 1); }

    WoppleBonusTimer* timer = nullptr;
};

TEST_F(BonusTimerTest, TheTemplateSignStartsHiddenAndInactive)
{
    EXPECT_EQ(State(), "Inactive");
    EXPECT_FALSE(timer->IsVisible());
    ASSERT_NE(timer->GetScoreLabel(), nullptr);
    ASSERT_NE(timer->GetSignImage(), nullptr);
    EXPECT_EQ(timer->GetShaderType(), 4);
    EXPECT_EQ(timer->timeToAppear, 3000);
    EXPECT_EQ(timer->flashLength, 160);
}

TEST_F(BonusTimerTest, QuickMatchesClimbTheScoreTableAndStayOnItsLastEntry)
{
    Match();
    EXPECT_EQ(State(), "WaitingToActivate");
    Pass();
    EXPECT_FALSE(timer->IsVisible()) << "one match only starts the wait";
    // Each further match within the time: the bonus offered and shown.
    const int expected[] = {100, 200, 300, 500, 800, 1300, 1800, 2800, 2800, 2800};
    for (int step = 0; step < 10; ++step) {
        Wait(500);
        Match();
        EXPECT_EQ(State(), "Active");
        EXPECT_EQ(timer->GetScore(), expected[step]) << "quick match " << step + 2;
        EXPECT_EQ(Shown(), std::to_string(expected[step]));
        EXPECT_EQ(timer->RetrieveIntegerProperty("bonusValue", 0), expected[step]);
    }
    EXPECT_TRUE(timer->IsVisible());
    EXPECT_TRUE(timer->RetrieveBoolProperty("hasAppeared", false));
    EXPECT_EQ(timer->RetrieveIntegerProperty("level", 0), 10);
}

TEST_F(BonusTimerTest, TooSlowASecondMatchLetsTheWaitLapse)
{
    Match();
    Wait(3000);
    EXPECT_EQ(State(), "Inactive");
    Match();
    EXPECT_EQ(State(), "WaitingToActivate");
    EXPECT_FALSE(timer->WasActivated());
}

TEST_F(BonusTimerTest, AWaitingSignFlashesAMatchStopsItAndWithoutOneItGoes)
{
    Match();
    Match();
    ASSERT_EQ(State(), "Active");
    Wait(2000);
    ASSERT_EQ(State(), "Flashing");
    // The flash alternates 64 and 255 every 160 ms.
    std::set<int> alphas;
    for (int i = 0; i < 12; ++i) {
        Pass();
        alphas.insert(timer->GetAlpha());
        EXPECT_EQ(timer->GetSignImage()->GetAlpha(), timer->GetAlpha());
    }
    EXPECT_EQ(alphas, (std::set<int>{64, 255}));

    // A match now stops the flashing, back at full strength, the score unchanged.
    Match();
    EXPECT_EQ(State(), "Active");
    EXPECT_EQ(timer->GetAlpha(), 255);
    EXPECT_EQ(timer->GetScore(), 100);

    Wait(2000);
    ASSERT_EQ(State(), "Flashing");
    Wait(1000);
    EXPECT_EQ(State(), "Inactive");
    EXPECT_TRUE(timer->HasExpired());
    Passes(12);
    EXPECT_EQ(timer->GetAlpha(), 0) << "faded away";
}

TEST_F(BonusTimerTest, TheEndOfASpinLeavesThreeSecondsForAMatchThatStartsANewWait)
{
    Match();
    Match();
    timer->SpinCompleted();
    EXPECT_EQ(State(), "SpinCompleted");
    Wait(2500);
    Match();
    EXPECT_EQ(State(), "WaitingToActivate");

    timer->SpinCompleted();
    Wait(3000);
    EXPECT_EQ(State(), "Inactive");
}

TEST_F(BonusTimerTest, PausingHoldsTheClockOfAWaitAndNothingElse)
{
    timer->Pause();
    EXPECT_FALSE(timer->IsPaused()) << "nothing to pause while inactive";

    Match();
    timer->Pause();
    EXPECT_TRUE(timer->IsPaused());
    Wait(5000);
    EXPECT_EQ(State(), "WaitingToActivate");
    timer->Resume();
    EXPECT_FALSE(timer->IsPaused());
    Wait(3000);
    EXPECT_EQ(State(), "Inactive");
}

} // namespace
