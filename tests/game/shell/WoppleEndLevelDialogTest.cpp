// The end-of-level dialog: its rows as the round left them, the tally a
// second a row on the game's clock, the footer's rating, the new high score,
// 64-bit scores, and which level the Next button may open.

#include "GameTestSupport.h"
#include "engine/core/Events.h"
#include "engine/ui/Button.h"
#include "engine/ui/Label.h"
#include "game/shell/WoppleEndLevelDialog.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

using namespace gametest;

namespace {

// The round as the rules pass it; the defaults are a completed quest round
// that reached nothing.
struct Round
{
    int level = 3;
    std::string levelName = "Classic Mode";
    std::string goalText = "Score 30,000 points to finish.";
    std::int64_t score = 100;
    std::int64_t starScore = 30000;
    int secondsTaken = 200;
    int starTime = 120;
    int butterfliesFound = 0;
    int butterflyGoal = 3;
    bool secretFound = false;
    bool pirateFoundSecret = false;
    bool cardCovered = false;
    bool pirateCoveredCard = false;
    bool completed = true;
    std::int64_t previousTopScore = 0;
    WoppleEndLevelDialog::StarFlags heldBefore{};

    // Reaches the goals of the rows named by the flags, in tally order.
    Round& Reach(std::array<bool, 5> rows)
    {
        if (rows[0])
            score = starScore;
        secretFound = rows[1];
        if (rows[2])
            secondsTaken = starTime;
        if (rows[3])
            butterfliesFound = butterflyGoal;
        cardCovered = rows[4];
        return *this;
    }
};

// The tally's timer counts whole passes of 32 ms: a second is the 32nd pass.
constexpr int kSecond = 32;

const char* const kStars[] = {"scoreStar", "secretStar", "timeStar", "butterflyStar", "fullCardStar"};
const char* const kResults[] = {"score", "secret", "timeTaken", "butterfliesFound", "fullCard"};
const char* const kGoals[] = {"scoreGoal", "secretGoal", "timeGoal", "butterfliesGoal", "fullCardGoal"};

std::vector<std::string>* s_Lines = nullptr;
void KeepLine(const std::string& line)
{
    if (s_Lines)
        s_Lines->push_back(line);
}

class WoppleEndLevelDialogTest : public GameFixture
{
protected:
    void SetUp() override
    {
        Start();
        PlayerManager::GetInstance()->LoadGameData();
        screen = AddScreen<Screen>("", "Dialogs", nullptr);
        manager->SwitchToScreen("Dialogs");
        Pass();
        // Level 3's Next needs level 3 completed; the quest's "Vevev" table holds it.
        Lua("Players[1].Options['game.mode'] = 'Vevev'");
        app->SetLogLevel(3);
        s_Lines = &lines;
        SetLogConsole(KeepLine);
    }

    void TearDown() override
    {
        SetLogConsole(nullptr);
        s_Lines = nullptr;
        GameFixture::TearDown();
    }

    void Lua(const std::string& chunk)
    {
        LuaState lua = app->GetLuaState();
        if (lua.DoString(chunk) != 0)
            ADD_FAILURE() << lua.PopErrorMessage();
    }

    static std::unique_ptr<WoppleEndLevelDialog> Make(const Round& r)
    {
        return std::make_unique<WoppleEndLevelDialog>(
            r.level, r.levelName, r.goalText, r.score, r.starScore, r.secondsTaken, r.starTime, r.butterfliesFound,
            r.butterflyGoal, r.secretFound, r.pirateFoundSecret, r.cardCovered, r.pirateCoveredCard, r.completed,
            r.previousTopScore, r.heldBefore);
    }

    // Started as the rules start it, its tally running.
    WoppleEndLevelDialog* Show(const Round& r)
    {
        WoppleEndLevelDialog* dialog = Make(r).release();
        screen->StartDialog(dialog, false);
        dialog->StartTimer();
        return dialog;
    }

    // The whole tally: seven seconds of passes, and a little more.
    void Tally() { Passes(7 * kSecond + 5); }

    // Sounds asked for since the last call, in order.
    std::vector<std::string> Sounds()
    {
        std::vector<std::string> sounds;
        for (const std::string& line : lines) {
            const auto end = line.find(".ogg");
            if (end == std::string::npos || line.find("CHECKING") == std::string::npos)
                continue;
            // The dialog's drop and raise are the toolkit's.
            if (line.rfind("Swish", 0) == 0)
                continue;
            sounds.push_back(line.substr(0, end + 4));
        }
        lines.clear();
        return sounds;
    }

    template <typename T = Actor>
    static T* Child(const Actor& dialog, const std::string& name)
    {
        auto* child = dynamic_cast<T*>(dialog.FindChild(name, true));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    static std::string Text(const Actor& dialog, const std::string& name)
    {
        auto* label = Child<Label>(dialog, name);
        return label ? label->GetText() : "<none>";
    }
    static bool Lit(const Actor& star) { return star.GetImageName() == "bc_1.png"; }

    Screen* screen = nullptr;
    std::vector<std::string> lines;
};

} // namespace

TEST_F(WoppleEndLevelDialogTest, TheFooterRatesTheRoundByTheFirstCaseThatApplies)
{
    const std::vector<std::string> fanfare = {"claps.ogg", "tada.ogg"};
    struct Case {
        const char* name;
        std::array<bool, 5> reached;
        std::array<bool, 5> heldBefore;
        bool completed;
        const char* footer;
        std::vector<std::string> footerSounds;
        int earned, held;
    };
    const Case cases[] = {
        {"five now", {1, 1, 1, 1, 1}, {}, true, "Five stars in one play. Amazing!!", fanfare, 5, 5},
        {"three now, two before", {1, 0, 1, 0, 1}, {0, 1, 0, 1, 0}, true, "You now have all five stars!!!", fanfare, 3, 5},
        {"four, lost", {1, 1, 1, 1, 0}, {}, false, "Great game!", {"tada.ogg"}, 4, 4},
        {"two, lost", {0, 1, 0, 1, 0}, {}, false, "Score 30,000 points to finish.", {"C_debit.ogg"}, 2, 2},
        {"none, lost", {}, {}, false, "Score 30,000 points to finish.", {"C_debit.ogg"}, 0, 0},
        {"three", {0, 0, 1, 1, 1}, {}, true, "Good game!", {"tada.ogg"}, 3, 3},
        {"two, one before", {1, 1, 0, 0, 0}, {0, 0, 0, 0, 1}, true, "Nice game", {"tada.ogg"}, 2, 3},
        {"one", {0, 0, 0, 0, 1}, {}, true, "You can always do better", {"tada.ogg"}, 1, 1},
        {"none", {}, {1, 0, 0, 0, 0}, true, "", {}, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Round round;
        round.completed = c.completed;
        for (int i = 0; i < 5; ++i)
            round.heldBefore[i] = c.heldBefore[i];
        WoppleEndLevelDialog* dialog = Show(round.Reach(c.reached));
        Sounds();
        // The rows, a second apart: a note for each star won, counting up, a knock for each missed.
        std::vector<std::string> expected;
        int won = 0;
        for (bool reached : c.reached)
            expected.push_back(reached ? "C_match_" + std::to_string(++won) + ".ogg" : "C_bonk.ogg");
        Passes(5 * kSecond);
        EXPECT_EQ(Sounds(), expected);
        EXPECT_EQ(Text(*dialog, "footerMessage"), "");
        Passes(kSecond);
        EXPECT_EQ(Sounds(), c.footerSounds);
        EXPECT_EQ(Text(*dialog, "footerMessage"), c.footer);
        EXPECT_EQ(dialog->GetStarsEarnedNow(), c.earned);
        EXPECT_EQ(dialog->GetStarsHeld(), c.held);
        Tally();
        EXPECT_TRUE(Sounds().empty()) << "nothing after the seventh second";
        EXPECT_EQ(Text(*dialog, "footerMessage"), c.footer);
        screen->StopDialog(dialog);
        Passes(40);
    }
}

TEST_F(WoppleEndLevelDialogTest, StarsLightAsTheirRowsComeAndAStarHeldBeforeButMissedStaysDimmed)
{
    Round round;
    round.heldBefore = {false, true, true, false, false};
    round.Reach({true, false, true, false, false});
    WoppleEndLevelDialog* dialog = Show(round);
    Pass();
    for (int row = 0; row < 5; ++row) {
        Actor* star = Child(*dialog, kStars[row]);
        EXPECT_EQ(Lit(*star), round.heldBefore[row]) << row;
        EXPECT_EQ(star->GetAlpha(), round.heldBefore[row] ? 128 : 255) << row;
        EXPECT_FALSE(Child(*dialog, kResults[row])->IsVisible()) << row;
    }
    // One pass short of a second: nothing yet. The second's pass: the first row only.
    Passes(kSecond - 2);
    EXPECT_FALSE(Child(*dialog, "score")->IsVisible());
    Passes(1);
    EXPECT_TRUE(Child(*dialog, "score")->IsVisible());
    EXPECT_FALSE(Child(*dialog, "secret")->IsVisible());
    EXPECT_TRUE(Lit(*Child(*dialog, "scoreStar")));
    EXPECT_EQ(Child(*dialog, "scoreStar")->GetAlpha(), 255);
    // Every row a second later than the one above.
    for (int row = 1; row < 5; ++row) {
        Passes(kSecond);
        EXPECT_TRUE(Child(*dialog, kResults[row])->IsVisible()) << row;
        if (row < 4) {
            EXPECT_FALSE(Child(*dialog, kResults[row + 1])->IsVisible()) << row;
        }
    }
    Tally();
    EXPECT_EQ(Child(*dialog, "secretStar")->GetAlpha(), 128) << "held before, missed now";
    EXPECT_TRUE(Lit(*Child(*dialog, "secretStar")));
    EXPECT_EQ(Child(*dialog, "timeStar")->GetAlpha(), 255) << "held before, won again";
    EXPECT_FALSE(Lit(*Child(*dialog, "butterflyStar")));
    EXPECT_EQ(dialog->GetStarsHeld(), 3);
}

TEST_F(WoppleEndLevelDialogTest, EachGoalIsReachedAtItsEdgeAndMissedOneStepPast)
{
    struct Case {
        const char* name;
        void (*set)(Round&, int step);
        int row;
    };
    const Case cases[] = {
        {"score", [](Round& r, int step) { r.score = r.starScore - step; }, 0},
        {"time", [](Round& r, int step) { r.secondsTaken = r.starTime + step; }, 2},
        {"butterflies", [](Round& r, int step) { r.butterfliesFound = r.butterflyGoal - step; }, 3},
    };
    for (const Case& c : cases)
        for (int step : {0, 1}) {
            SCOPED_TRACE(std::string(c.name) + (step ? " one past" : " at the edge"));
            Round round;
            c.set(round, step);
            WoppleEndLevelDialog* dialog = Show(round);
            Tally();
            EXPECT_EQ(Lit(*Child(*dialog, kStars[c.row])), step == 0);
            EXPECT_EQ(dialog->GetStarsEarnedNow(), step == 0 ? 1 : 0);
            screen->StopDialog(dialog);
            Passes(40);
        }
}

TEST_F(WoppleEndLevelDialogTest, ScoresStayWholeBeyondThirtyTwoBits)
{
    const std::int64_t fiveBillion = 5000000000LL;
    Round round;
    round.score = fiveBillion;
    round.starScore = 4294967297LL;  // 1 in its low 32 bits
    round.previousTopScore = 4294967295LL;  // -1 in its low 32 bits
    WoppleEndLevelDialog* dialog = Show(round);
    EXPECT_EQ(Text(*dialog, "score"), "Scored 5,000,000,000!");
    EXPECT_EQ(Text(*dialog, "scoreGoal"), "4,294,967,297 Points");
    EXPECT_EQ(Text(*dialog, "topScoreLabel"), "4294967295");
    Tally();
    EXPECT_TRUE(Lit(*Child(*dialog, "scoreStar")));
    EXPECT_EQ(Text(*dialog, "footerMessage"), "New high score!!!");
    screen->StopDialog(dialog);
    Passes(40);

    // A star score a whole 2^32 above the round's is not reached, whatever the low bits say.
    round.score = 10;
    round.starScore = 4294967296LL + 5;
    dialog = Show(round);
    Tally();
    EXPECT_FALSE(Lit(*Child(*dialog, "scoreStar")));
}

TEST_F(WoppleEndLevelDialogTest, ANewHighScoreNeedsABestBeforeAScoreAboveItAndACompletedRound)
{
    struct Case {
        std::int64_t previous, score;
        bool completed, record;
    };
    for (const Case& c : {Case{50000, 50001, true, true}, Case{50000, 50000, true, false},
                          Case{0, 90000, true, false}, Case{50000, 90000, false, false}}) {
        SCOPED_TRACE(std::to_string(c.previous) + " " + std::to_string(c.score) + (c.completed ? "" : " lost"));
        Round round;
        round.previousTopScore = c.previous;
        round.score = c.score;
        round.completed = c.completed;
        WoppleEndLevelDialog* dialog = Show(round);
        Passes(6 * kSecond);
        const std::string rated = Text(*dialog, "footerMessage");
        Sounds();
        Passes(kSecond);
        EXPECT_EQ(Text(*dialog, "footerMessage"), c.record ? "New high score!!!" : rated);
        EXPECT_EQ(Sounds(), c.record ? std::vector<std::string>{"Pickup_GemBells18.ogg"} : std::vector<std::string>{});
        screen->StopDialog(dialog);
        Passes(40);
    }
}

TEST_F(WoppleEndLevelDialogTest, TheRowsSayWhatTheRoundDid)
{
    Round round;
    round.starTime = 125;
    round.secondsTaken = 60;
    round.butterflyGoal = 1;
    round.butterfliesFound = 7;
    round.secretFound = true;
    round.cardCovered = true;
    std::unique_ptr<WoppleEndLevelDialog> dialog = Make(round);
    EXPECT_EQ(Text(*dialog, "timeGoal"), "Finish In 2:05");
    EXPECT_EQ(Text(*dialog, "timeTaken"), "You Took 1:00!");
    EXPECT_EQ(Text(*dialog, "butterfliesGoal"), "1 Butterfly");
    EXPECT_EQ(Text(*dialog, "butterfliesFound"), "You Found 7!");
    EXPECT_EQ(Text(*dialog, "secret"), "Found it!");
    EXPECT_EQ(Text(*dialog, "fullCard"), "Covered!");
    EXPECT_EQ(Text(*dialog, "scoreGoal"), "30,000 Points");
    EXPECT_EQ(Text(*dialog, "levelName"), "Palm Grove") << "a quest level shows its map name";
    EXPECT_FALSE(Child(*dialog, "levelName")->IsVisible());
    EXPECT_EQ(dialog->GetTitle()->GetText(), "Round Complete!");
    EXPECT_EQ(dialog->GetName(), "WoppleEndLevelDialog");

    for (int goal : {0, 2}) {
        round.butterflyGoal = goal;
        EXPECT_EQ(Text(*Make(round), "butterfliesGoal"), std::to_string(goal) + " Butterflies");
    }
    // The pirate's finds replace the player's words.
    round.level = 0;
    round.pirateFoundSecret = true;
    round.pirateCoveredCard = true;
    dialog = Make(round);
    EXPECT_EQ(Text(*dialog, "secret"), "Pirate Found It");
    EXPECT_EQ(Text(*dialog, "fullCard"), "Pirate Covered");
    EXPECT_EQ(Text(*dialog, "levelName"), "Classic Mode") << "outside the quest the caller names it";
    round.secretFound = round.cardCovered = round.pirateFoundSecret = round.pirateCoveredCard = false;
    dialog = Make(round);
    EXPECT_EQ(Text(*dialog, "secret"), "Keep Looking.");
    EXPECT_EQ(Text(*dialog, "fullCard"), "Didn't Cover.");
}

TEST_F(WoppleEndLevelDialogTest, ALostRoundOffersATryAgainAndNoNextLevel)
{
    Round round;
    round.completed = false;
    std::unique_ptr<WoppleEndLevelDialog> dialog = Make(round);
    EXPECT_EQ(dialog->GetTitle()->GetText(), "Round Incomplete");
    EXPECT_EQ(dialog->GetButton("ReplayButton")->GetLabel()->GetText(), "Try Again");
    EXPECT_FALSE(dialog->GetButton("NextButton")->IsEnabled());
    EXPECT_TRUE(dialog->GetButton("QuitToMapButton")->IsEnabled());
    // One title, hung down on the paper as the won round's.
    int titles = 0;
    for (Actor* child : dialog->GetChildren())
        titles += child->GetName() == "title";
    EXPECT_EQ(titles, 1);
    round.completed = true;
    EXPECT_EQ(Make(round)->GetTitle()->GetY(), dialog->GetTitle()->GetY());
    EXPECT_EQ(dialog->GetTitle()->GetY(), 35 + 73);
}

TEST_F(WoppleEndLevelDialogTest, NextIsOpenOnlyWhenTheNextLevelIsUnlocked)
{
    Round round;
    round.level = 3;
    EXPECT_FALSE(Make(round)->GetButton("NextButton")->IsEnabled()) << "level 3 not completed yet";
    Lua("Players[1].Game_Modes.Vevev.LevelRecords = { [3] = { Completed = true } }");
    EXPECT_TRUE(Make(round)->GetButton("NextButton")->IsEnabled());
    // The last level has no next: the template's state stands.
    round.level = 60;
    EXPECT_TRUE(Make(round)->GetButton("NextButton")->IsEnabled());
}

TEST_F(WoppleEndLevelDialogTest, LevelsOpenInTurnAndBonusLevelsByTheirIslandsSecrets)
{
    EXPECT_TRUE(WoppleEndLevelDialog::IsLevelCompleted(0));
    EXPECT_TRUE(WoppleEndLevelDialog::IsLevelUnlocked(1));
    EXPECT_FALSE(WoppleEndLevelDialog::IsLevelUnlocked(2));
    Lua("Players[1].Game_Modes.Vevev.LevelRecords = { [1] = { Completed = true }, [2] = 'broken',"
        " [3] = { Completed = 'yes' }, [6] = { SecretFound = true }, [7] = { SecretFound = true } }");
    EXPECT_TRUE(WoppleEndLevelDialog::IsLevelUnlocked(2));
    EXPECT_FALSE(WoppleEndLevelDialog::IsLevelUnlocked(3)) << "a record that is no table";
    EXPECT_FALSE(WoppleEndLevelDialog::IsLevelUnlocked(4)) << "Completed must be the boolean";

    // A bonus level that no island names: nothing opens it.
    Lua("Resources.WoppleIslands = {}");
    EXPECT_FALSE(WoppleEndLevelDialog::IsLevelUnlocked(51));
    Lua("Resources.WoppleIslands = { { bonusLevel = 51, islandLevels = { 6, 7 } },"
        " { bonusLevel = 52, islandLevels = { 6, 7, 8 } }, { bonusLevel = 53, islandLevels = {} } }");
    EXPECT_TRUE(WoppleEndLevelDialog::IsLevelUnlocked(51));
    EXPECT_FALSE(WoppleEndLevelDialog::IsLevelUnlocked(52)) << "level 8's secret is still hidden";
    EXPECT_TRUE(Eval("type(Players[1].Game_Modes.Vevev.LevelRecords[8]) == 'table'").GetBoolean())
        << "looking made its record";
    EXPECT_TRUE(WoppleEndLevelDialog::IsLevelUnlocked(53)) << "an island without levels";
    EXPECT_FALSE(WoppleEndLevelDialog::IsLevelUnlocked(59)) << "no island names it";

    Lua("BonusLevelsStartAt = 'fifty-one'");
    EXPECT_THROW(WoppleEndLevelDialog::IsLevelUnlocked(2), Exception);
}

TEST_F(WoppleEndLevelDialogTest, ClosingDuringTheTallyFreesItsTimerAndTheButtonIsTheResult)
{
    struct StoppedScreen : Screen {
        StoppedScreen() : Screen("", "Stopped", nullptr) {}
        bool OnDialogStopped(const EventRecord& e) override
        {
            auto* dialog = static_cast<Dialog*>(e.user.data1);
            stopped.push_back(dialog->GetName() + "/" + dialog->GetResultButtonName());
            return false;
        }
        std::vector<std::string> stopped;
    };
    auto* stoppedScreen = AddScreen<StoppedScreen>();
    manager->SwitchToScreen("Stopped");
    Pass();
    for (const char* name : {"NextButton", "ReplayButton", "QuitToMapButton"}) {
        SCOPED_TRACE(name);
        Round round;
        round.level = 0;
        auto* dialog = Make(round).release();
        stoppedScreen->StartDialog(dialog, false);
        dialog->StartTimer();
        const std::uint32_t timer = dialog->GetTallyTimerID();
        ASSERT_NE(timer, 0u);
        // Another timer's signal is not the tally's.
        EXPECT_FALSE(dialog->OnTimer(MakeEventRecord(VELK_TIMER, 0, reinterpret_cast<void*>(uintptr_t(timer + 1000)),
                                                     reinterpret_cast<void*>(intptr_t(6)))));
        Passes(40);
        EXPECT_TRUE(Child(*dialog, "score")->IsVisible());
        Button* button = dialog->GetButton(name);
        button->ManuallyPressButton();
        button->ManuallyReleaseButton();
        Passes(60);
        EXPECT_EQ(stoppedScreen->stopped.back(), std::string("WoppleEndLevelDialog/") + name);
        EXPECT_FALSE(stoppedScreen->HasDialogs());
        EXPECT_TRUE(TimerManager::GetInstance()->GetTimer(timer).m_Flags & TIMER_FREED);
        Tally();  // the rest of the tally would have run by now
    }
}

TEST_F(WoppleEndLevelDialogTest, AFiringOutsideTheTallyIsAnAssertion)
{
    std::unique_ptr<WoppleEndLevelDialog> dialog = Make(Round());
    dialog->StartTimer();
    const auto id = reinterpret_cast<void*>(uintptr_t(dialog->GetTallyTimerID()));
    EXPECT_THROW(dialog->OnTimer(MakeEventRecord(VELK_TIMER, 0, id, reinterpret_cast<void*>(intptr_t(7)))), Exception);
    EXPECT_THROW(dialog->OnTimer(MakeEventRecord(VELK_TIMER, 0, id, reinterpret_cast<void*>(intptr_t(-1)))), Exception);
}

TEST_F(WoppleEndLevelDialogTest, TheRowsLineUpOnThePaperAndNothingOverlapsOrFallsOff)
{
    Round round;
    round.score = 12345678901LL;
    round.starScore = 2000000;
    round.Reach({true, false, true, false, true});
    round.completed = false;
    round.goalText = "Get a Wopple on every row and column of the board before the last spin to finish.";
    WoppleEndLevelDialog* dialog = Show(round);
    Tally();
    const Rect paper = dialog->GetLocalRect();
    int previousRowY = -1;
    for (int row = 0; row < 5; ++row) {
        SCOPED_TRACE(kGoals[row]);
        Actor* goal = Child(*dialog, kGoals[row]);
        Actor* star = Child(*dialog, kStars[row]);
        Actor* result = Child(*dialog, kResults[row]);
        const int rowY = star->GetY() + star->GetHeight() / 2;
        EXPECT_EQ(rowY, paper.h / 2 - 31 + 30 * row) << "a row every 30 pixels";
        EXPECT_GT(rowY, previousRowY);
        previousRowY = rowY;
        // Goal ends at 210, result starts at 290, the star between them.
        EXPECT_EQ(goal->GetX() + goal->GetWidth(), 210);
        EXPECT_EQ(result->GetX(), paper.w - 210);
        EXPECT_LE(goal->GetX() + goal->GetWidth(), star->GetX());
        EXPECT_GE(result->GetX(), star->GetX() + star->GetWidth());
        EXPECT_NEAR(goal->GetY() + goal->GetHeight() / 2, rowY, 1);
        EXPECT_NEAR(result->GetY() + result->GetHeight() / 2, rowY, 1);
        // Written at their size, not shrunk to nothing.
        EXPECT_GT(goal->GetWidth(), 80);
        EXPECT_GT(result->GetWidth(), 80);
        EXPECT_GE(goal->GetHeight(), 24);
        // Inside the paper's stitching, both sides.
        EXPECT_GE(goal->GetX(), 30);
        EXPECT_LE(result->GetX() + result->GetWidth(), paper.w - 30);
    }
    // The footer, two lines of it, sits between the last row and the buttons.
    auto* footer = Child<Label>(*dialog, "footerMessage");
    EXPECT_NE(footer->GetText().find('\n'), std::string::npos) << "the long goal text wraps";
    EXPECT_GE(footer->GetY(), Child(*dialog, "fullCard")->GetY() + Child(*dialog, "fullCard")->GetHeight() - 2);
    EXPECT_GE(footer->GetX(), 25);
    EXPECT_LE(footer->GetX() + footer->GetWidth(), paper.w - 25);
    for (const char* name : {"QuitToMapButton", "ReplayButton", "NextButton"}) {
        Button* button = dialog->GetButton(name);
        EXPECT_LE(footer->GetY() + footer->GetHeight(), button->GetY()) << name;
        EXPECT_LE(button->GetY() + button->GetHeight(), 510) << name << " on the paper";
    }
    EXPECT_LE(dialog->GetButton("QuitToMapButton")->GetX() + dialog->GetButton("QuitToMapButton")->GetWidth(),
              dialog->GetButton("ReplayButton")->GetX());
    EXPECT_LE(dialog->GetButton("ReplayButton")->GetX() + dialog->GetButton("ReplayButton")->GetWidth(),
              dialog->GetButton("NextButton")->GetX());
    // The frog keeps clear of the title's words.
    const Label* title = dialog->GetTitle();
    Actor* frog = Child(*dialog, "frog");
    EXPECT_TRUE(frog->GetX() + frog->GetWidth() <= title->GetX() || frog->GetY() >= title->GetY() + title->GetHeight())
        << "frog at " << frog->GetX() << "," << frog->GetY();
    // The butterfly sits on no button and on no word of the title.
    const Rect butterfly = Child(*dialog, "butterfly1")->GetGlobalRect();
    auto apart = [](const Rect& a, const Rect& b) {
        return a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y || b.y + b.h <= a.y;
    };
    for (const char* name : {"QuitToMapButton", "ReplayButton", "NextButton"})
        EXPECT_TRUE(apart(butterfly, dialog->GetButton(name)->GetGlobalRect())) << name;
    EXPECT_TRUE(apart(butterfly, title->GetGlobalRect()))
        << butterfly.x << "," << butterfly.y << " " << butterfly.w << "x" << butterfly.h;
    // The header under the title, above the first row.
    Actor* header = Child(*dialog, "headerMessage");
    EXPECT_GE(header->GetY(), dialog->GetTitle()->GetY() + dialog->GetTitle()->GetHeight());
    EXPECT_LE(header->GetY() + header->GetHeight(), Child(*dialog, "scoreGoal")->GetY());
}
