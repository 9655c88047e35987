// The quest map: the first visit, the unlocking and star rules at several
// points of progress, the details panel, the arrow keys, the developer keys,
// the states after a level, the way back from a level and the saving of the
// selection.

#include "GameTestSupport.h"
#include "engine/core/VelkLuaState.h"
#include "engine/ui/Button.h"
#include "engine/ui/Dialog.h"
#include "engine/ui/Label.h"
#include "game/rules/WoppleGameLogicManager.h"
#include "game/shell/WoppleGameScreen.h"
#include "game/shell/WoppleGameStart.h"
#include "game/shell/WoppleMapScreen.h"
#include "game/shell/WopplePlayer.h"
#include "game/shell/WoppleScoreRecords.h"

#include <boost/format.hpp>

#include <algorithm>
#include <functional>

using namespace gametest;

namespace {

class WoppleMapScreenTest : public GameFixture
{
protected:
    void SetUp() override
    {
        std::srand(20261210);
        Start({"--noprecache"}, true);
        player = dynamic_cast<WopplePlayer*>(PlayerManager::GetInstance()->GetCurrentPlayer(1));
        ASSERT_NE(player, nullptr);
        player->GetTable().SetString("Name", "Ana");
        player->GetOptionsTable().SetString("game.mode", "Vevev");
        map = dynamic_cast<WoppleMapScreen*>(manager->GetScreen("MapScreen"));
        ASSERT_NE(map, nullptr);
    }

    // Arrives on the map; with seen, as a player who had the introduction and the help blink.
    void Arrive(bool seen = true)
    {
        if (seen) {
            Mode().CreateTable("MapStats").SetBoolean("seenIntro", true);
            player->GetOptionsTable().CreateTable("MapScreenStats").SetBoolean("seenHelpBlink", true);
        }
        manager->SwitchToScreen("MapScreen");
        Passes(3);
    }

    LuaObject Mode() { return player->GetGameModeTable("Vevev"); }

    void Record(int level, bool completed, bool secret = false)
    {
        LuaObject record = player->GetLevelRecordForWriting(level);
        record.SetBoolean("Completed", completed);
        record.SetBoolean("SecretFound", secret);
    }
    void Complete(int from, int to, bool secret = false)
    {
        for (int level = from; level <= to; ++level)
            Record(level, true, secret);
    }

    Button* Island(int n) const
    {
        return dynamic_cast<Button*>(map->FindChild((boost::format("Island_%1%") % n).str(), true));
    }
    Button* LevelButton(int level) const
    {
        return dynamic_cast<Button*>(map->FindChild((boost::format("LevelSelectionButton%1%") % level).str(), true));
    }
    std::string Text(const char* name, Actor* root = nullptr) const
    {
        auto* label = dynamic_cast<Label*>((root ? root : map)->FindChild(name, true));
        return label ? label->GetText() : "(no label " + std::string(name) + ")";
    }
    bool Shown(const char* name, Actor* root = nullptr) const
    {
        Actor* actor = (root ? root : map)->FindChild(name, true);
        return actor && actor->IsVisible();
    }
    Dialog* FrontDialog() const
    {
        return map->GetDialogs().empty() ? nullptr : dynamic_cast<Dialog*>(map->GetDialogs().back());
    }
    void Close(Dialog* dialog)
    {
        ASSERT_NE(dialog, nullptr);
        auto* okay = dynamic_cast<Button*>(dialog->FindChild("OkayButton", true));
        ASSERT_NE(okay, nullptr);
        okay->ManuallyPressButton();
        okay->ManuallyReleaseButton();
        Passes(40);
    }
    bool Pulsing(int level) const
    {
        Actor* star = map->FindChild((boost::format("Star_%1%") % level).str(), true);
        return star && star->FindScriptsWithTag("StarBlink", nullptr) > 0;
    }

    WopplePlayer* player = nullptr;
    WoppleMapScreen* map = nullptr;
};

} // namespace

TEST_F(WoppleMapScreenTest, ANewPlayerGetsTheIntroductionOnceAndStartsOnTheFirstIslandAtLevelOne)
{
    Arrive(false);
    EXPECT_EQ(map->GetStateName(), "MapIntroDialog");
    Dialog* intro = FrontDialog();
    ASSERT_NE(intro, nullptr);
    EXPECT_EQ(intro->GetName(), "WoppleHelpDialog");
    EXPECT_EQ(Text("Header", intro), "Welcome To Wopple Vevev!");
    EXPECT_TRUE(Mode()["MapStats"]["seenIntro"].GetBoolean());

    // Behind the introduction the map is already the player's.
    EXPECT_EQ(map->GetSelectedIsland(), 1);
    EXPECT_EQ(map->GetSelectedLevel(), 1);
    EXPECT_TRUE(Pulsing(1));
    EXPECT_FALSE(Pulsing(2));
    EXPECT_EQ(Text("IslandSignLabel"), "St. Wopple");
    EXPECT_TRUE(Shown("selectHilight", Island(1)));
    EXPECT_TRUE(Island(1)->IsEnabled());
    for (int n = 2; n <= 10; ++n) {
        EXPECT_FALSE(Island(n)->IsEnabled()) << n;
        EXPECT_FALSE(Shown(("Path_" + std::to_string(n)).c_str())) << n;
    }
    ASSERT_NE(LevelButton(1), nullptr);
    EXPECT_TRUE(LevelButton(1)->IsVisible());
    EXPECT_EQ(Text("levelLabel", LevelButton(1)), Eval("WoppleQuestLevels[1].mapName").GetString());
    for (int level = 2; level <= 5; ++level) {
        ASSERT_NE(LevelButton(level), nullptr) << level;
        EXPECT_FALSE(LevelButton(level)->IsVisible()) << level;
    }
    Button* bonus = LevelButton(51);
    ASSERT_NE(bonus, nullptr);
    EXPECT_FALSE(bonus->IsEnabled());
    EXPECT_EQ(Text("levelLabel", bonus), "Bonus");
    EXPECT_EQ(Text("disabledLabel", bonus), "Need 5 Keys");
    EXPECT_TRUE(Shown("disabledMask", bonus));

    Close(intro);
    EXPECT_EQ(map->GetStateName(), "Normal");
    EXPECT_TRUE(player->GetOptionsTable()["MapScreenStats"]["seenHelpBlink"].GetBoolean());

    // The next arrival goes straight to the map.
    manager->SwitchToScreen("MenuScreen");
    Passes(3);
    manager->SwitchToScreen("MapScreen");
    Passes(3);
    EXPECT_EQ(map->GetStateName(), "Normal");
    EXPECT_EQ(FrontDialog(), nullptr);
}

TEST_F(WoppleMapScreenTest, LevelsOpenOneAfterAnotherAndABonusLevelWithItsIslandsFiveKeys)
{
    struct Case
    {
        const char* progress;
        std::function<void()> fill;
        std::vector<std::pair<int, bool>> unlocked;
        const char* keys;  // the first island's bonus button
    };
    const Case cases[] = {
        {"new player", [] {}, {{1, true}, {2, false}, {6, false}, {51, false}, {61, false}}, "Need 5 Keys"},
        {"levels 1 to 4", [this] { Complete(1, 4); }, {{5, true}, {6, false}}, "Need 5 Keys"},
        {"island 1 done, no keys", [this] { Complete(1, 5); }, {{6, true}, {7, false}, {51, false}}, "Need 5 Keys"},
        {"four keys",
         [this] {
             Complete(1, 4, true);
             Record(5, true, false);
         },
         {{51, false}},
         "Need 1 Key"},
        {"five keys, nothing completed",
         [this] {
             for (int level = 1; level <= 5; ++level)
                 Record(level, false, true);
         },
         {{2, false}, {51, true}, {52, false}},
         nullptr},
        {"bonus levels need their own island's keys", [this] { Complete(6, 10, true); }, {{52, true}, {51, false}},
         "Need 5 Keys"},
    };
    Arrive();
    for (const Case& c : cases) {
        Mode().CreateTable("LevelRecords");
        c.fill();
        for (const auto& [level, open] : c.unlocked)
            EXPECT_EQ(WoppleMapScreen::IsLevelUnlocked(level), open) << c.progress << ", level " << level;
        map->UpdateLevelButtons();
        map->UpdateIslandSign(2);
        map->UpdateIslandSign(1);
        Button* bonus = LevelButton(51);
        ASSERT_NE(bonus, nullptr) << c.progress;
        if (c.keys) {
            EXPECT_FALSE(bonus->IsEnabled()) << c.progress;
            EXPECT_EQ(Text("disabledLabel", bonus), c.keys) << c.progress;
        } else {
            EXPECT_TRUE(bonus->IsEnabled()) << c.progress;
            EXPECT_EQ(Text("levelLabel", bonus), Eval("WoppleQuestLevels[51].mapName").GetString()) << c.progress;
            EXPECT_FALSE(Shown("disabledMask", bonus)) << c.progress;
            EXPECT_TRUE(Shown("starBlank1", bonus)) << c.progress;
        }
    }
}

TEST_F(WoppleMapScreenTest, AllLevelsCompletedCountsTheBonusLevelsAndFiveStarsAskForEveryStar)
{
    Arrive();
    Complete(1, 50);
    EXPECT_FALSE(WoppleMapScreen::IsAllLevelsCompleted());
    Complete(51, 60);
    EXPECT_TRUE(WoppleMapScreen::IsAllLevelsCompleted());
    EXPECT_FALSE(WoppleMapScreen::IsAllLevelsFiveStars());

    // Every standard level at five stars; the bonus levels not yet.
    Key(SDLK_l, KMOD_LCTRL | KMOD_LALT);
    Passes(2);
    EXPECT_TRUE(WoppleMapScreen::IsAllLevelsFiveStars());
    EXPECT_FALSE(WoppleMapScreen::IsAllBonusLevelsFiveStars());
    Key(SDLK_b, KMOD_RCTRL | KMOD_RALT);
    Passes(2);
    EXPECT_TRUE(WoppleMapScreen::IsAllBonusLevelsFiveStars());
}

TEST_F(WoppleMapScreenTest, TheDetailsPanelShowsTheSelectedLevelsRecordAndItsStars)
{
    // Level 1 with the default targets.
    Eval("true; WoppleQuestLevels[1].starScore = nil; WoppleQuestLevels[1].starTime = nil");
    Arrive();
    // Never played.
    EXPECT_EQ(Text("scoreReachedLabel"), "0");
    EXPECT_EQ(Text("scoreRequiredLabel"), "Best Score(30,000)");
    EXPECT_FALSE(Shown("scoreStar"));
    EXPECT_EQ(Text("timeTakenLabel"), "N/A");
    EXPECT_EQ(Text("timeNeededLabel"), "Fastest Time(2:00)");
    EXPECT_FALSE(Shown("timeTakenStar"));
    EXPECT_EQ(Text("butterfliesLabel"), "0");
    EXPECT_EQ(Text("secretFoundLabel"), "No");
    EXPECT_EQ(Text("fullCardLabel"), "No");
    EXPECT_FALSE(Shown("secretFoundStar"));
    EXPECT_TRUE(player->FindLevelRecord(1).IsTable()) << "asking makes the level's record";

    struct Case
    {
        int seconds;
        const char* shown;
        bool star;
    };
    for (const Case& c : {Case{125, "2:05", false}, Case{120, "2:00", true}, Case{59, "0:59", true}}) {
        LuaObject record = player->GetLevelRecordForWriting(1);
        record.SetInteger("SecondsTaken", c.seconds);
        record.SetBoolean("SecretFound", true);
        record.SetBoolean("FullCard", true);
        MakeWoppleScoreRecord(player, 30000, "Vevev", 1).NotifyObservers();
        map->UpdateLevelStars(1);
        EXPECT_EQ(Text("timeTakenLabel"), c.shown) << c.seconds;
        EXPECT_EQ(Shown("timeTakenStar"), c.star) << c.seconds;
        EXPECT_EQ(Text("scoreReachedLabel"), "30,000");
        EXPECT_TRUE(Shown("scoreStar")) << "the star score itself earns the star";
        EXPECT_EQ(Text("secretFoundLabel"), "Yes");
        EXPECT_TRUE(Shown("secretFoundStar"));
        EXPECT_EQ(Text("fullCardLabel"), "Yes");
    }
}

TEST_F(WoppleMapScreenTest, ArrowKeysWalkTheOpenIslandsAndTheListWrappingAtBothEnds)
{
    Complete(1, 5);
    Record(6, true);
    Arrive();
    ASSERT_EQ(map->GetSelectedIsland(), 1);
    struct Step
    {
        int key;
        int modifiers;
        int island;
        int level;
    };
    const Step steps[] = {
        {SDLK_RIGHT, KMOD_NONE, 2, 6},  {SDLK_RIGHT, KMOD_NONE, 1, 1}, {SDLK_LEFT, KMOD_NONE, 2, 6},
        {SDLK_DOWN, KMOD_NONE, 2, 7},   {SDLK_DOWN, KMOD_NONE, 2, 6},  {SDLK_UP, KMOD_NONE, 2, 7},
        {SDLK_LEFT, KMOD_NONE, 1, 1},   {SDLK_UP, KMOD_NONE, 1, 5},    {SDLK_DOWN, KMOD_NONE, 1, 1},
        {SDLK_DOWN, KMOD_LCTRL, 1, 1},  {SDLK_DOWN, KMOD_LCTRL | KMOD_LALT, 1, 1},
        {SDLK_DOWN, KMOD_SHIFT, 1, 2},
    };
    for (const Step& s : steps) {
        Key(s.key, s.modifiers);
        Passes(2);
        EXPECT_EQ(map->GetSelectedIsland(), s.island) << s.key << "/" << s.modifiers;
        EXPECT_EQ(map->GetSelectedLevel(), s.level) << s.key << "/" << s.modifiers;
        EXPECT_EQ(Mode()["currentLevel"].GetInteger(), s.level);
    }

    // With the island's five keys the bonus level joins the list at both ends.
    Complete(1, 5, true);
    map->UpdateLevelButtons();
    map->UpdateLevelStars(5);
    for (const auto& [key, level] : {std::pair{SDLK_DOWN, 51}, {SDLK_DOWN, 1}, {SDLK_UP, 51}, {SDLK_UP, 5}}) {
        Key(key);
        Passes(2);
        EXPECT_EQ(map->GetSelectedLevel(), level);
        EXPECT_TRUE(Pulsing(level) || level == 51) << level;
    }
}

TEST_F(WoppleMapScreenTest, TheMapReopensWhereThePlayerLeftIt)
{
    struct Case
    {
        const char* current;
        int island;
        int level;
    };
    for (const Case& c : {Case{"53", 3, 53}, Case{"'twelve'", 1, 1}, Case{"nil", 1, 1}, Case{"99", 1, 1}}) {
        Eval(std::string("true; Players[1].Game_Modes.Vevev.currentLevel = ") + c.current);
        manager->SwitchToScreen("MenuScreen");
        Arrive();
        EXPECT_EQ(map->GetSelectedIsland(), c.island) << c.current;
        EXPECT_EQ(map->GetSelectedLevel(), c.level) << c.current;
    }
    // Choosing an island always starts at its first level.
    Complete(1, 10);
    Mode().SetInteger("currentLevel", 8);
    manager->SwitchToScreen("MenuScreen");
    Arrive();
    EXPECT_EQ(map->GetSelectedLevel(), 8);
    map->UpdateIslandSign(1);
    map->UpdateIslandSign(2);
    EXPECT_EQ(map->GetSelectedLevel(), 6);
}

TEST_F(WoppleMapScreenTest, DeveloperKeysFillProgressOnlyWithExactlyCtrlAlt)
{
    Arrive();
    // Not with one of the two, nor with a mixed pair.
    for (int modifiers : {int(KMOD_LCTRL), int(KMOD_LALT), KMOD_RCTRL | KMOD_LALT}) {
        Key(SDLK_l, modifiers);
        Passes(2);
        EXPECT_FALSE(WoppleMapScreen::IsLevelCompleted(1)) << modifiers;
    }

    Key(SDLK_i, KMOD_LCTRL | KMOD_LALT);
    Passes(2);
    EXPECT_TRUE(WoppleMapScreen::IsLevelCompleted(4));
    EXPECT_TRUE(WoppleMapScreen::IsLevelUnlocked(5));
    EXPECT_TRUE(LevelButton(5)->IsVisible());
    EXPECT_FALSE(Island(2)->IsEnabled());
    EXPECT_EQ(map->GetSelectedLevel(), 1) << "the selection stays";
    EXPECT_EQ(Text("secretFoundLabel"), "Yes") << "the details are refreshed";

    // No secrets: every island open and completed, every bonus button still asks for five keys.
    Key(SDLK_v, KMOD_LCTRL | KMOD_LALT);
    Passes(2);
    for (int n = 1; n <= 10; ++n)
        EXPECT_TRUE(Island(n)->IsEnabled()) << n;
    EXPECT_TRUE(Shown("Path_10"));
    map->UpdateIslandSign(3);
    EXPECT_EQ(Text("disabledLabel", LevelButton(53)), "Need 5 Keys");
    // The bonus levels are marked known by island, as the bonus check reads them.
    LuaObject known = Mode()["BonusKnownUnlocked"];
    ASSERT_TRUE(known.IsTable());
    int keys = 0;
    for (LuaTableIterator it(known); it; ++it)
        ++keys;
    EXPECT_EQ(keys, 10);
    for (int n = 1; n <= 10; ++n)
        EXPECT_TRUE(known[n].IsBoolean() && known[n].GetBoolean()) << n;

    Key(SDLK_l, KMOD_RCTRL | KMOD_RALT);
    Passes(2);
    EXPECT_TRUE(WoppleMapScreen::IsLevelUnlocked(60));
    EXPECT_TRUE(LevelButton(53)->IsEnabled());
    EXPECT_EQ(map->GetSelectedIsland(), 3);
}

TEST_F(WoppleMapScreenTest, ReturningToANewIslandAnnouncesItOnceThenThePreviousIslandsBonus)
{
    Complete(1, 10, true);
    Mode().SetInteger("currentLevel", 11);
    Arrive();
    map->SetState("AdvanceToNewIsland");
    Dialog* news = FrontDialog();
    ASSERT_NE(news, nullptr);
    EXPECT_EQ(Text("Header", news), "New Island!");
    EXPECT_EQ(Text("Text", news), "You've unlocked\nDevil's Isle!");
    Close(news);
    // The bonus of island 2 opened with its five keys: announced while the state goes on to Normal.
    Dialog* bonus = FrontDialog();
    ASSERT_NE(bonus, nullptr);
    EXPECT_EQ(Text("Header", bonus), "Bonus Unlocked!");
    std::string said = Text("Text", bonus);
    std::replace(said.begin(), said.end(), '\n', ' ');
    EXPECT_EQ(said, "You've unlocked the bonus level " + Eval("WoppleQuestLevels[52].mapName").GetString() +
                        " on island Treasure Island!");
    Close(bonus);
    EXPECT_EQ(map->GetStateName(), "Normal");

    // Known now: straight through.
    map->SetState("AdvanceToNewIsland");
    Passes(3);
    EXPECT_EQ(FrontDialog(), nullptr);
    EXPECT_EQ(map->GetStateName(), "Normal");
}

TEST_F(WoppleMapScreenTest, TheBonusCheckWaitsForItsOwnTimerOnly)
{
    Arrive();
    map->SetState("CheckBonusLevel");
    // Another timer's signal reaches the screen first.
    EventRecord foreign = MakeEventRecord(VELK_TIMER, 0, reinterpret_cast<void*>(uintptr_t(987654)));
    EXPECT_FALSE(map->GetState()->OnEvent(foreign));
    EXPECT_EQ(map->GetStateName(), "CheckBonusLevel");
    Passes(2);
    EXPECT_EQ(map->GetStateName(), "Normal");
}

TEST_F(WoppleMapScreenTest, ASelectionThatCannotBeSavedIsAWarningAndTheMapGoesOn)
{
    Complete(1, 5);
    Arrive();
    const std::filesystem::path blocker = root / "not-a-folder";
    std::ofstream(blocker) << "x";
    Eval("true; Paths.PlayerData = '" + (blocker / "cards").string() + "'");
    Key(SDLK_DOWN);
    Passes(2);
    EXPECT_EQ(map->GetSelectedLevel(), 2);
    EXPECT_EQ(CountLines("WARNING: WoppleMapScreen: the selection was not saved"), 1);
}

TEST_F(WoppleMapScreenTest, FinishingAnIslandsLastLevelShowsTheMapWithTheNextIslandSelectedAndAnnounced)
{
    Complete(1, 5);
    Arrive();
    Eval("true; WoppleQuestLevels[5].class = 'WopplePatternsGameLogic'; WoppleQuestLevels[5].patternIndex = 1");
    ASSERT_TRUE(StartQuestGameAtLevel(5));
    Passes(3);
    auto* game = dynamic_cast<WoppleGameScreen*>(manager->GetScreen("GameScreen"));
    ASSERT_NE(game, nullptr);
    auto* quest = dynamic_cast<WoppleGameLogicManager*>(game->GetGameLogic());
    ASSERT_NE(quest, nullptr);
    quest->AdvanceToNextLevel();
    Passes(3);
    EXPECT_EQ(manager->GetCurrentScreen(), map);
    EXPECT_EQ(map->GetSelectedIsland(), 2);
    EXPECT_EQ(map->GetSelectedLevel(), 6);
    EXPECT_EQ(Mode()["currentLevel"].GetInteger(), 6);
    EXPECT_EQ(map->GetStateName(), "AdvanceToNewIsland");
    Dialog* news = FrontDialog();
    ASSERT_NE(news, nullptr);
    EXPECT_EQ(Text("Text", news), "You've unlocked\nTreasure Island!");
}
