// The quest from the menu: a new player reaches the map, plays its first
// level with the automated player and comes back to the map with the next
// level open and the stars of the round on the chart and in the list.

#include "GameTestSupport.h"
#include "engine/ui/Button.h"
#include "engine/ui/Dialog.h"
#include "engine/ui/Label.h"
#include "game/rules/WoppleAutoPlayer.h"
#include "game/rules/WoppleGameLogicManager.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"
#include "game/shell/WoppleGameScreen.h"
#include "game/shell/WoppleMapScreen.h"
#include "game/shell/WoppleMenuScreen.h"
#include "game/shell/WopplePlayer.h"

using namespace gametest;

namespace {

class WoppleMapQuestTest : public GameFixture
{
protected:
    void Click(Actor* screen, const std::string& name, int passes = 3)
    {
        auto* button = dynamic_cast<Button*>(screen->FindChild(name, true));
        ASSERT_NE(button, nullptr) << name;
        button->ManuallyPressButton();
        button->ManuallyReleaseButton();
        Passes(passes);
    }
    void CloseFront(Screen* screen)
    {
        ASSERT_FALSE(screen->GetDialogs().empty());
        auto* dialog = dynamic_cast<Dialog*>(screen->GetDialogs().back());
        ASSERT_NE(dialog, nullptr);
        Click(dialog, "OkayButton", 40);
    }
    std::string Text(Actor* root, const char* name) const
    {
        auto* label = dynamic_cast<Label*>(root->FindChild(name, true));
        return label ? label->GetText() : "(no label)";
    }
};

WoppleOldSchoolBaseLogic* CurrentRound()
{
    WoppleGameScreen* screen = WoppleGameScreen::GetInstance();
    WoppleGameLogic* logic = screen ? screen->GetGameLogic() : nullptr;
    if (auto* manager = dynamic_cast<WoppleGameLogicManager*>(logic))
        logic = manager->GetCurrentGame();
    return dynamic_cast<WoppleOldSchoolBaseLogic*>(logic);
}

} // namespace

TEST_F(WoppleMapQuestTest, ANewPlayerGoesFromTheMenuToTheMapPlaysLevelOneAndFindsLevelTwoOpen)
{
    Start({"--noprecache"}, true);
    auto* player = dynamic_cast<WopplePlayer*>(PlayerManager::GetInstance()->GetCurrentPlayer(1));
    ASSERT_NE(player, nullptr);
    player->GetTable().SetString("Name", "Ana");
    // Level 1 as a pattern round of one square, whatever the shipped table holds: the map sees its end the same.
    Eval("true; table.insert(WopplePatterns, { name = 'Corner', filledCells = { 'X    ', '     ', '     ', '     ', "
         "'     ' } }); WoppleQuestLevels[1].class = 'WopplePatternsGameLogic'; "
         "WoppleQuestLevels[1].patternIndex = table.getn(WopplePatterns)");
    auto* menu = dynamic_cast<WoppleMenuScreen*>(manager->GetScreen("MenuScreen"));
    auto* map = dynamic_cast<WoppleMapScreen*>(manager->GetScreen("MapScreen"));
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(map, nullptr);
    manager->SwitchToScreen("MenuScreen");
    Passes(3);

    Click(menu, "playQuestButton");
    ASSERT_EQ(manager->GetCurrentScreen(), map);
    EXPECT_EQ(player->GetOptionsTable()["game.mode"].GetString(), "Vevev");
    ASSERT_EQ(map->GetDialogs().size(), 1u) << "the introduction";
    auto* intro = dynamic_cast<Dialog*>(map->GetDialogs().back());
    ASSERT_NE(intro, nullptr);
    EXPECT_EQ(Text(intro, "Header"), "Welcome To Wopple Vevev!");
    EXPECT_EQ(map->GetSelectedIsland(), 1);
    EXPECT_EQ(map->GetSelectedLevel(), 1);
    Actor* star1 = map->FindChild("Star_1", true);
    ASSERT_NE(star1, nullptr);
    EXPECT_GT(star1->FindScriptsWithTag("StarBlink", nullptr), 0);
    EXPECT_EQ(Text(map->FindChild("LevelSelectionButton51", true), "disabledLabel"), "Need 5 Keys");
    CloseFront(map);
    EXPECT_EQ(map->GetStateName(), "Normal");
    EXPECT_FALSE(WoppleMapScreen::IsLevelUnlocked(2));

    WoppleAutoPlayer::Options options;
    options.seed = 18;
    options.startButton = "playButton";
    options.rounds = 1;
    WoppleAutoPlayer robot(CurrentRound, options);
    for (int pass = 0; pass < 40000 && !robot.IsRoundOver(); ++pass) {
        robot.Step();
        Pass();
    }
    ASSERT_TRUE(robot.IsRoundOver()) << "clicks: " << robot.GetClicks().size();
    EXPECT_EQ(robot.GetRoundsPlayed(), 1);
    Passes(5);

    // Back on the map: island 1 is known, so no news; level 1's record is on the map.
    EXPECT_EQ(manager->GetCurrentScreen(), map);
    EXPECT_EQ(map->GetStateName(), "Normal");
    EXPECT_TRUE(map->GetDialogs().empty());
    ASSERT_TRUE(WoppleMapScreen::IsLevelCompleted(1)) << "the pattern is matched in this seeded round";
    EXPECT_TRUE(WoppleMapScreen::IsLevelUnlocked(2));
    EXPECT_TRUE(map->FindChild("LevelSelectionButton2", true)->IsVisible());
    EXPECT_EQ(map->GetSelectedLevel(), 2) << "the map opens on the round that comes next";
    Actor* row = map->FindChild("LevelSelectionButton1", true);
    for (int star = 0; star < WopplePlayer::kNumStars; ++star)
        EXPECT_EQ(row->FindChild("star" + std::to_string(star + 1), true)->IsVisible(), player->GetStarStatus(1, star))
            << star;

    // The arrow keys go back to the round just played, with its score in the details, and on again.
    Key(SDLK_UP);
    Passes(2);
    EXPECT_EQ(map->GetSelectedLevel(), 1);
    ASSERT_GT(player->GetBestLevelScore(1), 0);
    EXPECT_NE(Text(map, "scoreReachedLabel"), "0");
    Key(SDLK_DOWN);
    Passes(2);
    EXPECT_EQ(map->GetSelectedLevel(), 2);
    // Ctrl+Alt+L opens every island.
    Key(SDLK_l, KMOD_LCTRL | KMOD_LALT);
    Passes(2);
    for (int n = 1; n <= 10; ++n)
        EXPECT_TRUE(dynamic_cast<Button*>(map->FindChild("Island_" + std::to_string(n), true))->IsEnabled()) << n;
    Key(SDLK_LEFT);
    Passes(2);
    EXPECT_EQ(map->GetSelectedIsland(), 10);
}
