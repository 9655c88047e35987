// The game screen and the game starts: from the menu into a game and back
// through the quit dialog, a second start, arriving with no game, the
// dialogs the logic asks for, particles, and the quest lookups.

#include "GameTestSupport.h"
#include "engine/ui/Button.h"
#include "engine/ui/Dialog.h"
#include "engine/ui/Label.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/ParticleEmitter.h"
#include "game/rules/WoppleGameLogic.h"
#include "game/rules/WoppleGameEvents.h"
#include "game/rules/WoppleGameLogicManager.h"
#include "game/rules/WoppleState.h"
#include "game/shell/SetupNewPlayerWizard.h"
#include "game/shell/WoppleGameScreen.h"
#include "game/shell/WoppleGameStart.h"
#include "game/shell/WoppleMenuScreen.h"
#include "game/shell/WopplePlayer.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WoppleWheelSetView.h"
#include "game/views/WoppleWheelView.h"

using namespace gametest;

namespace {

// Counts the stand-ins alive, so a test sees the logic go with the screen.
int s_LiveLogics = 0;

class StandInState : public WoppleState
{
public:
    std::string GetName() const override { return "InitialState"; }
};

// A Classic logic with the real layout and one state; the modes' own come with the rules.
class StandInLogic : public WoppleGameLogic
{
public:
    explicit StandInLogic(int level) : level(level) { ++s_LiveLogics; }
    ~StandInLogic() override { --s_LiveLogics; }
    void CreateStates() override { AddState(new StandInState, true); }
    std::string GetScreenLayoutName() const override { return layout; }
    std::string GetNameOfGameMode() const override { return level ? "Vevev" : "Classic"; }

    int level;
    std::string layout = "StandInLayout";
};

// Sets a mode's factory for one test.
class FactoryGuard
{
public:
    FactoryGuard(const std::string& mode, WoppleGameLogicFactory factory)
        : m_Mode(mode), m_Old(SetWoppleGameLogicFactory(mode, std::move(factory)))
    {
    }
    ~FactoryGuard() { SetWoppleGameLogicFactory(m_Mode, m_Old); }

private:
    std::string m_Mode;
    WoppleGameLogicFactory m_Old;
};

class WoppleGameScreenTest : public GameFixture
{
protected:
    void SetUp() override
    {
        s_LiveLogics = 0;
        std::srand(20261210);
        Start({"--noprecache"}, true);
        // A small layout with the screen's three buttons, for the stand-in.
        Eval("true; Resources.StandInLayout = Resources.Object:new{ children = {"
             " optionsButton = Resources.Button:new{ resource = 'Button', image = 'Button.png', text = 'Options',"
             "   position = { 10, 560 } },"
             " quitButton = Resources.Button:new{ resource = 'Button', image = 'Button.png', text = 'Quit',"
             "   position = { 200, 560 } },"
             " helpButton = Resources.Button:new{ resource = 'Button', image = 'Button.png', text = 'Help',"
             "   position = { 400, 560 } } } }");
        menu = dynamic_cast<WoppleMenuScreen*>(manager->GetScreen("MenuScreen"));
        screen = dynamic_cast<WoppleGameScreen*>(manager->GetScreen("GameScreen"));
        ASSERT_NE(menu, nullptr);
        ASSERT_NE(screen, nullptr);
        manager->SwitchToScreen("MenuScreen");
        Passes(3);
        // The first player names themselves in the wizard.
        auto* wizard = dynamic_cast<SetupNewPlayerWizard*>(menu->GetTopDialog(""));
        ASSERT_NE(wizard, nullptr);
        wizard->SetText("TextBox", "Ana");
        for (int page = 1; page < wizard->GetPageCount(); ++page)
            Press(wizard, "NextButton", 2);
        Press(wizard, "OkayButton", 40);
        ASSERT_EQ(menu->GetStateName(), "Normal");
    }

    WoppleGameLogicFactory StandIn(std::string layout = "StandInLayout")
    {
        return [this, layout](int level) {
            auto* logic = new StandInLogic(level);
            logic->layout = layout;
            started.push_back(level);
            return logic;
        };
    }

    void Press(Actor* parent, const std::string& name, int passes = 2)
    {
        auto* button = dynamic_cast<Button*>(parent->FindChild(name, true));
        ASSERT_NE(button, nullptr) << name;
        button->ManuallyPressButton();
        button->ManuallyReleaseButton();
        Passes(passes);
    }

    // The game the screen's manager runs; null without one.
    WoppleGameLogic* Game() const
    {
        auto* gameManager = dynamic_cast<WoppleGameLogicManager*>(screen->GetGameLogic());
        return gameManager ? gameManager->GetCurrentGame() : nullptr;
    }

    Dialog* FrontDialog() const { return dynamic_cast<Dialog*>(screen->GetTopDialog("")); }

    static int LogLinesWith(const std::string& what)
    {
        std::ifstream log(GetLogFilePath());
        int count = 0;
        for (std::string line; std::getline(log, line);)
            count += line.find(what) != std::string::npos ? 1 : 0;
        return count;
    }

    WoppleMenuScreen* menu = nullptr;
    WoppleGameScreen* screen = nullptr;
    std::vector<int> started;
};

} // namespace

TEST_F(WoppleGameScreenTest, PlayClassicStartsTheGameQuitLeadsBackAndASecondStartWorks)
{
    FactoryGuard classic("Classic", StandIn());
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        Press(menu, "playClassicButton");
        ASSERT_EQ(manager->GetCurrentScreen(), screen);
        ASSERT_NE(dynamic_cast<WoppleGameLogicManager*>(screen->GetGameLogic()), nullptr);
        WoppleGameLogic* logic = Game();
        ASSERT_NE(logic, nullptr);
        EXPECT_EQ(logic->GetTargetScreen(), screen);
        EXPECT_EQ(logic->GetStateName(), "InitialState");
        ASSERT_NE(logic->GetRootActor(), nullptr);
        EXPECT_EQ(logic->GetRootActor()->GetParent(), screen);
        EXPECT_NE(menu->GetStateName(), "Normal") << "the menu rests while a game is on";

        // Quit, cancel: the game goes on, unpaused.
        Press(screen, "quitButton");
        ASSERT_NE(FrontDialog(), nullptr);
        EXPECT_EQ(FrontDialog()->GetName(), "QuitDialog");
        EXPECT_TRUE(app->IsGamePaused());
        Press(FrontDialog(), "CancelButton", 40);
        EXPECT_FALSE(screen->HasDialogs());
        EXPECT_FALSE(app->IsGamePaused());
        EXPECT_EQ(manager->GetCurrentScreen(), screen);
        EXPECT_EQ(Game(), logic);

        // Quit, okay: back to the menu, the game and its layout gone.
        Press(screen, "quitButton");
        ASSERT_NE(FrontDialog(), nullptr);
        Press(FrontDialog(), "OkayButton", 40);
        EXPECT_EQ(manager->GetCurrentScreen(), menu);
        EXPECT_EQ(screen->GetGameLogic(), nullptr);
        EXPECT_EQ(s_LiveLogics, 0);
        EXPECT_EQ(screen->FindChild("RootActor", false), nullptr);
        EXPECT_FALSE(app->IsGamePaused());
        EXPECT_EQ(menu->GetStateName(), "Normal");
    }
    EXPECT_EQ(started, (std::vector<int>{0, 0}));
}

TEST_F(WoppleGameScreenTest, ArrivingWithNoGameWarnsAndGoesBackToTheMenu)
{
    manager->SwitchToScreen("GameScreen");
    EXPECT_EQ(LogLinesWith("WARNING: The game screen was entered with no game"), 1);
    Pass();
    EXPECT_EQ(manager->GetCurrentScreen(), menu);
    EXPECT_EQ(menu->GetStateName(), "Normal");
    Passes(3);
    EXPECT_EQ(manager->GetCurrentScreen(), menu);
}

TEST_F(WoppleGameScreenTest, AModeWithoutItsLogicWarnsAndStaysOnTheMenu)
{
    FactoryGuard classic("Classic", [](int) { return nullptr; });
    FactoryGuard quest("Vevev", [](int) { return nullptr; });
    Press(menu, "playClassicButton");
    EXPECT_EQ(manager->GetCurrentScreen(), menu);
    EXPECT_EQ(LogLinesWith("WARNING: No game logic for the mode \"Classic\""), 1);
    EXPECT_FALSE(StartQuestGameAtLevel(3));
    EXPECT_EQ(manager->GetCurrentScreen(), menu);
    EXPECT_EQ(screen->GetGameLogic(), nullptr);
}

TEST_F(WoppleGameScreenTest, TheOptionsAndQuitDialogsShowOnceEach)
{
    FactoryGuard classic("Classic", StandIn());
    ASSERT_TRUE(StartClassicGame());
    Pass();
    screen->ShowOptionsDialog();
    screen->ShowOptionsDialog();
    Pass();
    EXPECT_EQ(screen->GetDialogs().size(), 1u);
    EXPECT_EQ(FrontDialog()->GetName(), "OptionsDialog");
    // The quit dialog may stand above the options, once.
    screen->ShowAreYouSureQuitDialog();
    screen->ShowAreYouSureQuitDialog();
    Pass();
    EXPECT_EQ(screen->GetDialogs().size(), 2u);
    EXPECT_EQ(FrontDialog()->GetName(), "QuitDialog");
}

TEST_F(WoppleGameScreenTest, AnotherGameCannotStartWhileOneIsOn)
{
    FactoryGuard classic("Classic", StandIn());
    ASSERT_TRUE(StartClassicGame());
    WoppleGameLogic* first = screen->GetGameLogic();
    EXPECT_FALSE(StartClassicGame());
    EXPECT_EQ(screen->GetGameLogic(), first);
    EXPECT_EQ(s_LiveLogics, 1);
}

TEST_F(WoppleGameScreenTest, EmittersAreCentredOnTheirPointAndFeedTheScreensParticles)
{
    ParticleEmitter* emitter = screen->StartParticleEmitter("GreenBurstEffect", 400, 300);
    ASSERT_NE(emitter, nullptr);
    EXPECT_EQ(emitter->GetX(), 400 - emitter->GetWidth() / 2);
    EXPECT_EQ(emitter->GetY(), 300 - emitter->GetHeight() / 2);
    EXPECT_EQ(emitter->GetParent(), screen);
    EXPECT_EQ(screen->GetBubbleLayer()->GetLayer(), 999);
}

TEST_F(WoppleGameScreenTest, QuestLookupsCountTheTreasureBoxes)
{
    Eval("true; WoppleQuestLevels[9001] = { treasureBoxManagerDetails = { boxSpecifics = {"
         " [1] = { columns = { 1, 3 } }, [2] = { rows = { 2 }, upwardDiagonal = {} }, other = { rows = { 1 } } } } };"
         " WoppleQuestLevels[9002] = { }");
    struct Case
    {
        int level, columns, rows, up, down;
    };
    for (const Case& c : {Case{9001, 2, 1, 1, 0}, Case{9002, 0, 0, 0, 0}, Case{9003, 0, 0, 0, 0}}) {
        EXPECT_EQ(CountTreasureBoxColumns(c.level), c.columns) << c.level;
        EXPECT_EQ(CountTreasureBoxRows(c.level), c.rows) << c.level;
        EXPECT_EQ(CountTreasureBoxUpwardDiagonals(c.level), c.up) << c.level;
        EXPECT_EQ(CountTreasureBoxDownwardDiagonals(c.level), c.down) << c.level;
    }
    EXPECT_TRUE(GetQuestLevel(9003).IsNil());
}

TEST_F(WoppleGameScreenTest, TheDeveloperQuestStartTakesOnlyAnIntegerLevel)
{
    FactoryGuard quest("Vevev", StandIn());
    // No "currentLevel" yet: level 1.
    EXPECT_EQ(GetCurrentQuestLevel(), 1);
    Eval("true; Debug_StartQuestGame('5')");
    ASSERT_EQ(started, (std::vector<int>{1}));
    WoppleGameLogic::GoToScreen("MenuScreen");
    Pass();
    Eval("true; Debug_StartQuestGame(5)");
    EXPECT_EQ(started, (std::vector<int>{1, 5}));
    WoppleGameLogic::GoToScreen("MenuScreen");
    Pass();

    Player* player = PlayerManager::GetInstance()->GetCurrentPlayer(1);
    player->GetOptionsTable().SetString("game.mode", "Vevev");
    player->GetGameModeTable("").SetInteger("currentLevel", 3);
    EXPECT_EQ(GetCurrentQuestLevel(), 3);
    Eval("true; Debug_StartQuestGame()");
    EXPECT_EQ(started, (std::vector<int>{1, 5, 3}));
}

TEST_F(WoppleGameScreenTest, TheClassicLayoutHasEveryNamedChildOnTheScreen)
{
    FactoryGuard classic("Classic", StandIn("WoppleClassicScreenLayout"));
    ASSERT_TRUE(StartClassicGame());
    Pass();
    Actor* root = Game()->GetRootActor();
    ASSERT_NE(root, nullptr);
    struct Child
    {
        const char* name;
        const char* className;
    };
    const Child children[] = {
        {"theBoard", "WoppleBoardView"},       {"woppleWheels", "WoppleWheelSetView"},
        {"cocoDropButton", "CocoDropButton"},  {"spinButton", "Button"},
        {"timerLabel", "Label"},               {"scoreLabelContainer_0", "Actor"},
        {"wopplePowerupView_0", "WopplePowerupView"},
        {"cherubGirl", "WoppleCharacter"},     {"cherubBucketGuy", "WoppleCharacter"},
        {"optionsButton", "Button"},           {"helpButton", "Button"},
        {"quitButton", "Button"},              {"ambientLoop", "AmbientLoop"},
    };
    const Rect bounds(0, 0, 800, 600);
    for (const Child& c : children) {
        Actor* actor = root->FindChild(c.name, true);
        ASSERT_NE(actor, nullptr) << c.name;
        EXPECT_TRUE(actor->GetClass()->IsA(c.className)) << c.name << " is a " << actor->GetClass()->GetName();
        if (std::string(c.name) == "ambientLoop")
            continue;
        // The reels have no size of their own: each is a window of 82 by 77 about its place.
        std::vector<Rect> shown;
        if (auto* wheels = dynamic_cast<WoppleWheelSetView*>(actor)) {
            for (int i = 1; i <= wheels->GetNumWheels(); ++i) {
                const Rect at = wheels->GetWheelView(i)->GetGlobalRect();
                shown.emplace_back(at.x - 41, at.y - 38, 82, 77);
            }
        } else {
            shown.push_back(actor->GetGlobalRect());
        }
        for (const Rect& r : shown) {
            EXPECT_GT(r.w, 0) << c.name;
            EXPECT_GT(r.h, 0) << c.name;
            EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= bounds.w && r.y + r.h <= bounds.h)
                << c.name << " at " << r.x << "," << r.y << " " << r.w << "x" << r.h;
        }
    }
    Actor* score = root->FindChild("scoreLabelContainer_0", true);
    ASSERT_NE(score->FindChild("scoreCounter", true), nullptr);
    EXPECT_TRUE(score->FindChild("scoreCounter", true)->GetClass()->IsA("ScoreCounter"));
    // A Classic round is not against the clock: the logic shows the timer's sign when it is.
    EXPECT_FALSE(root->FindChild("timerLabel", true)->GetParent()->IsVisible());
    // The bubbles go above the layout.
    EXPECT_EQ(screen->FindChild("BubbleLayer", false), screen->GetBubbleLayer());
    EXPECT_EQ(LogLinesWith("The quit button has no image"), 0);

    // The board, the reels and the lever keep clear of each other.
    const Rect board = root->FindChild("theBoard", true)->GetGlobalRect();
    const Rect lever = root->FindChild("cocoDropButton", true)->GetGlobalRect();
    const Rect spin = root->FindChild("spinButton", true)->GetGlobalRect();
    EXPECT_LE(board.x + board.w, lever.x);
    EXPECT_LE(spin.y + spin.h, lever.y - 66) << "the lever's picture stands 66 above its button";
}

TEST_F(WoppleGameScreenTest, TheLevelScriptsAndTheClassicIntroAreThere)
{
    for (const char* script : {"DisplayLevelActors", "GirlIdle", "Babble", "GuyCherubPopOut", "GuyCherubPopIn"})
        EXPECT_TRUE(Eval(std::string("Scripts.") + script).IsFunction()) << script;
    EXPECT_EQ(Eval("WoppleClassicLevel.levelIntroTitle").GetString(), "Welcome To Classic");
    EXPECT_FALSE(Eval("WoppleClassicLevel.levelIntroDialog").GetString().empty());

    // The opening's script drops every number in and ends by itself.
    FactoryGuard classic("Classic", StandIn("WoppleClassicScreenLayout"));
    ASSERT_TRUE(StartClassicGame());
    Pass();
    Actor* root = Game()->GetRootActor();
    auto* board = dynamic_cast<WoppleBoardView*>(root->FindChild("theBoard", true));
    ASSERT_NE(board, nullptr);
    ASSERT_NE(root->RunScript("DisplayLevelActors", "DisplayLevelActors"), nullptr);
    Pass();
    EXPECT_FALSE(board->GetCellView(5, 1)->IsVisible()) << "the last column is still to come";
    int passes = 0;
    while (root->FindScriptsWithTag("DisplayLevelActors", nullptr) > 0 && passes < 400) {
        Pass();
        ++passes;
    }
    EXPECT_LT(passes, 400) << "the script never ended";
    EXPECT_GT(passes, 10) << "the numbers drop in one after another";
    for (int column = 1; column <= 5; ++column)
        for (int row = 1; row <= 5; ++row)
            EXPECT_TRUE(board->GetCellView(column, row)->IsVisible()) << column << "," << row;

    // The girl's idle runs on through a foot tap (at most 7.24 s in) without a fault.
    Actor* girl = root->FindChild("cherubGirl", true);
    ASSERT_NE(girl->RunScript("GirlIdle", "Girl"), nullptr);
    Passes(240);
    EXPECT_EQ(girl->FindScriptsWithTag("Girl", nullptr), 1);
}

namespace {

TEST_F(WoppleGameScreenTest, AReplayStartsAFreshGameAndOtherWordsLeaveTheGameBe)
{
    FactoryGuard classic("Classic", StandIn());
    ASSERT_TRUE(StartClassicGame());
    Pass();
    auto* gameManager = dynamic_cast<WoppleGameLogicManager*>(screen->GetGameLogic());
    ASSERT_NE(gameManager, nullptr);
    EXPECT_EQ(gameManager->GetCurrentLevel(), 0);
    WoppleGameLogic* first = Game();
    const auto post = [&](const std::string& word) {
        auto payload = std::make_shared<LuaObject>();
        payload->AssignString(app->GetLuaState(), word);
        PostNewEvent(WOPPLE_LEVELCOMPLETED, gameManager, first, payload);
        Passes(2);
    };
    post("SomethingElse");
    EXPECT_EQ(Game(), first);
    post("RestartCurrentLevel");
    ASSERT_NE(Game(), nullptr);
    EXPECT_NE(Game(), first);
    EXPECT_EQ(Game()->GetStateName(), "InitialState") << "the new game is started";
    EXPECT_EQ(Game()->GetRootActor()->GetParent(), screen);
    EXPECT_EQ(s_LiveLogics, 1) << "the old game is gone";
    int roots = 0;
    for (Actor* child : screen->GetChildren())
        roots += child->GetName() == "RootActor" && !child->IsBeingDestroyed() ? 1 : 0;
    EXPECT_EQ(roots, 1) << "the old game's layout is gone with it";
    EXPECT_EQ(started, (std::vector<int>{0, 0}));

    // Leaving the screen lets the manager go; the next start makes another.
    WoppleGameLogic::GoToScreen("MenuScreen");
    Pass();
    EXPECT_EQ(app->GetGameLogicManager(), nullptr);
    EXPECT_EQ(s_LiveLogics, 0);
    ASSERT_TRUE(StartClassicGame());
    EXPECT_NE(app->GetGameLogicManager(), nullptr);
}

} // namespace

namespace {

TEST_F(WoppleGameScreenTest, AfterALevelTheManagerStartsTheNextOrShowsTheMapAndAReplayRebuildsTheLevel)
{
    FactoryGuard quest("Vevev", StandIn());
    // The game's own map and islands.
    Screen* map = manager->GetScreen("MapScreen");
    ASSERT_NE(map, nullptr);
    PlayerManager::GetInstance()->GetCurrentPlayer(1)->GetOptionsTable().SetString("game.mode", "Vevev");
    const auto finish = [&](int level, const std::string& word) {
        SCOPED_TRACE(level);
        if (manager->GetCurrentScreen() != screen || !Game()) {
            manager->SwitchToScreen("MenuScreen");
            Pass();
            map->SetState("Normal");
            ASSERT_TRUE(StartQuestGameAtLevel(level));
            Pass();
        }
        auto* gameManager = dynamic_cast<WoppleGameLogicManager*>(screen->GetGameLogic());
        ASSERT_NE(gameManager, nullptr);
        ASSERT_EQ(gameManager->GetCurrentLevel(), level);
        auto payload = std::make_shared<LuaObject>();
        payload->AssignString(app->GetLuaState(), word);
        PostNewEvent(WOPPLE_LEVELCOMPLETED, gameManager, Game(), payload);
        Passes(2);
    };
    const auto currentLevel = [&] {
        return PlayerManager::GetInstance()->GetCurrentPlayer(1)->GetGameModeTable("")["currentLevel"].GetInteger();
    };

    // Inside an island the next level starts at once and is the player's current one.
    finish(4, "AdvanceToNextLevel");
    EXPECT_EQ(manager->GetCurrentScreen(), screen);
    ASSERT_NE(Game(), nullptr);
    EXPECT_EQ(Game()->GetStateName(), "InitialState") << "started";
    EXPECT_EQ(started.back(), 5);
    EXPECT_EQ(currentLevel(), 5);
    // The last level of an island opens the next island on the map.
    finish(5, "AdvanceToNextLevel");
    EXPECT_EQ(manager->GetCurrentScreen(), map);
    EXPECT_EQ(map->GetStateName(), "AdvanceToNewIsland");
    // The last standard level ends the quest.
    finish(50, "AdvanceToNextLevel");
    EXPECT_EQ(map->GetStateName(), "FinishedQuest");
    // A bonus level whose next one is still locked names that island.
    finish(51, "AdvanceToNextLevel");
    EXPECT_EQ(manager->GetCurrentScreen(), map);
    auto* notice = dynamic_cast<Dialog*>(map->GetTopDialog(""));
    ASSERT_NE(notice, nullptr);
    auto text = [&](const char* name) {
        auto* label = dynamic_cast<Label*>(notice->FindChild(name, true));
        return label ? label->GetText() : std::string();
    };
    EXPECT_EQ(text("Header"), "Bonus Level Not Unlocked");
    EXPECT_NE(text("Text").find("The bonus level on Treasure Island"), std::string::npos) << text("Text");
    map->StopDialog(notice);
    Pass();
    // After the last level the map shows as it is.
    finish(60, "AdvanceToNextLevel");
    EXPECT_EQ(manager->GetCurrentScreen(), map);
    EXPECT_EQ(map->GetStateName(), "Normal");

    // A replay rebuilds the same level, started.
    started.clear();
    finish(7, "RestartCurrentLevel");
    EXPECT_EQ(started, (std::vector<int>{7, 7}));
    ASSERT_NE(Game(), nullptr);
    EXPECT_EQ(Game()->GetStateName(), "InitialState");
    EXPECT_EQ(dynamic_cast<WoppleGameLogicManager*>(screen->GetGameLogic())->GetCurrentLevel(), 7);
    EXPECT_EQ(s_LiveLogics, 1);
}

} // namespace
