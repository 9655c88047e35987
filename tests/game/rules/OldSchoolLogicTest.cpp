#include "RulesTestSupport.h"

#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"
#include "engine/core/Script.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/Actor.h"
#include "engine/ui/Dialog.h"
#include "game/rules/OldSchoolEndStates.h"
#include "game/rules/OldSchoolStates.h"
#include "game/rules/WoppleClassicGameLogic.h"
#include "game/shell/WoppleScreen.h"
#include "game/views/CocoDropButton.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "engine/ui/SpeechBubble.h"
#include "game/views/WoppleCharacter.h"
#include "game/views/WopplePowerupView.h"
#include "game/views/WoppleWheelSetView.h"
#include "game/views/WoppleWheelView.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <fstream>
#include <set>
#include <sstream>

using namespace rulestest;

namespace {

// The named children of a game layout, each as its Lua template; a test
// leaves one out by name. The level scripts of the real layout are stand-ins:
// "DisplayLevelActors" runs until the test lets it finish.
const char* const kLayoutChildren[][2] = {
    {"BubbleLayer", "{ class = 'Actor', layer = 999 }"},
    {"theBoard", "{ class = 'WoppleBoardView', resource = 'WoppleSingleBoardResourceSet', position = { 230, 120 } }"},
    {"woppleWheels", "{ class = 'WoppleWheelSetView', resource = 'WoppleWheels', position = { 230, 10 } }"},
    {"cocoDropButton", "{ class = 'CocoDropButton', resource = 'CocoDropButtonDefaults', position = { 640, 300 } }"},
    {"cherubGirl", "{ class = 'WoppleCharacter', resource = 'CherubGirlCharacter', position = { 20, 300 } }"},
    {"cherubBucketGuy", "{ class = 'WoppleCharacter', resource = 'GuyCherubCharacter', position = { 620, 40 }, visible = false }"},
    {"wopplePowerupView_0", "{ class = 'WopplePowerupView', resource = 'WopplePowerupView', position = { 20, 60 } }"},
    {"timerBox", "{ class = 'Actor', children = { timerLabel = { class = 'Label' } } }"},
    {"quitButton", "{ class = 'Actor' }"},
};

class OldSchoolTest : public gametest::GameFixture
{
protected:
    void SetUp() override
    {
        Start({"--log3"});
        GameDataIO::GetInstance()->LoadAllPlayerData(false);
        Lua("local function wait() while true do ScriptBreak() end end\n"
            "Scripts.GirlIdle = wait\n"
            "Scripts.Babble = wait\n"
            "Scripts.GuyCherubPopOut = function(cherub) cherub:SetVisible(true) end\n"
            "Scripts.GuyCherubPopIn = function(cherub) cherub:SetVisible(false) end\n"
            "Scripts.DisplayLevelActors = function(root, logic, numbers, screen)\n"
            "  levelActorsArgs = { logic, numbers, screen }\n"
            "  while not levelActorsDone do ScriptBreak() end\n"
            "end");
        screen = AddScreen<StandInGameScreen>();
        manager->SwitchToScreen("GameScreen");
        Pass();
    }

    void TearDown() override
    {
        DropLogic();
        gametest::GameFixture::TearDown();
    }

    void Lua(const std::string& code)
    {
        LuaState lua = app->GetLuaState();
        ASSERT_EQ(lua.DoString(code), 0) << lua.PopErrorMessage();
    }

    // The Classic layout without the named child, plus extra children.
    void DefineLayout(const std::string& without = "", const std::string& extra = "")
    {
        std::string code = "Resources.WoppleClassicScreenLayout = Resources.Object:new{ children = {\n";
        for (const auto& child : kLayoutChildren)
            if (without != child[0])
                code += std::string("  ") + child[0] + " = " + child[1] + ",\n";
        code += extra + "} }";
        Lua(code);
    }

    // The game screen lets go of its logic as it deletes it.
    void DropLogic()
    {
        if (screen)
            screen->logic = nullptr;
        logic.reset();
    }

    void MakeLogic()
    {
        logic = std::make_unique<WoppleClassicGameLogic>();
        logic->SetTargetScreen(screen);
        screen->logic = logic.get();
    }

    // A Classic round on the screen, started; the intro dialog seen already when asked.
    void StartRound(bool introSeen = true)
    {
        DefineLayout();
        if (introSeen)
            screen->MarkTipShown("ClassicGame", "levelIntroDialog");
        MakeLogic();
        try {
            logic->CreateRootActor();
            logic->Start();
        } catch (const Exception& e) {
            FAIL() << e.GetMessage();
        }
    }

    void RunUntil(const std::string& state, int limit = 200)
    {
        for (int i = 0; i < limit && logic->GetStateName() != state; ++i)
            Pass();
        ASSERT_EQ(logic->GetStateName(), state);
    }

    void ReachWaitingForGameStart()
    {
        StartRound();
        Lua("levelActorsDone = true");
        RunUntil("WaitingForGameStart");
    }

    void Click(Actor* button)
    {
        ASSERT_NE(button, nullptr);
        RequireCoreHost().PostEvent(logic.get(), MakeEventRecord(VELK_BUTTONCLICK, 0, button));
        Pass();
    }

    // A click the way a player's reaches the logic: through the button's receivers.
    void Press(Button* button)
    {
        ASSERT_NE(button, nullptr);
        Pass();  // one click per pass
        button->ManuallyPressButton();
        button->ManuallyReleaseButton();
        Pass();
    }

    bool SendKey(int sym, int modifiers)
    {
        EventRecord e{};
        e.key.type = SDL_KEYDOWN;
        e.key.keysym.sym = static_cast<SDLKey>(sym);
        e.key.keysym.mod = static_cast<SDLMod>(modifiers);
        return logic->OnEvent(e);
    }



    // The states the log names, in order, from the given line on.
    static std::vector<std::string> StateLines(std::size_t from = 0)
    {
        std::vector<std::string> states;
        std::stringstream log(LogText().substr(from));
        for (std::string line; std::getline(log, line);)
            if (line.rfind("SetState: ", 0) == 0)
                states.push_back(line.substr(10));
        return states;
    }

    Actor* Child(const std::string& name) { return logic->GetRootActor()->FindChild(name, true); }

    StandInGameScreen* screen = nullptr;
    std::unique_ptr<WoppleClassicGameLogic> logic;
};

TEST_F(OldSchoolTest, MissingRequiredControlsFailTheirAssertions)
{
    const struct
    {
        const char* without;
        const char* extra;
        const char* assertion;
    } cases[] = {
        {"cocoDropButton", "", "m_CocoDropButton != 0"},
        {"", "treasureBoxManager = { class = 'Actor' },", "m_ButterflyBox != 0"},
    };
    for (const auto& c : cases) {
        DefineLayout(c.without, c.extra);
        MakeLogic();
        try {
            logic->CreateRootActor();
            ADD_FAILURE() << "no assertion for " << c.assertion;
        } catch (const Exception& e) {
            EXPECT_NE(e.GetMessage().find(c.assertion), std::string::npos) << e.GetMessage();
        }
        DropLogic();
        Pass();
    }

    // The power-up bar is needed once the participants are made, when the round starts.
    DefineLayout("wopplePowerupView_0");
    MakeLogic();
    logic->CreateRootActor();
    try {
        logic->Start();
        ADD_FAILURE() << "no assertion for the power-up bar";
    } catch (const Exception& e) {
        EXPECT_NE(e.GetMessage().find("powerupView != 0"), std::string::npos) << e.GetMessage();
    }

    // A layout with a treasure box manager and its butterfly box is whole.
    DropLogic();
    Pass();
    DefineLayout("", "treasureBoxManager = { class = 'Actor' }, butterflyBox = { class = 'Actor' },");
    MakeLogic();
    logic->CreateRootActor();
    EXPECT_NE(logic->GetTreasureBoxManager(), nullptr);
}

TEST_F(OldSchoolTest, TheOpeningStatesRunInOrderAndTheLeverWaits)
{
    const std::size_t logStart = LogText().size();
    StartRound(false);
    EXPECT_EQ(CountLines(">>> SetLevelName Classic Mode"), 1);
    EXPECT_EQ(logic->GetStateName(), "LevelIntroDialog");
    Actor* intro = screen->GetTopDialog("WoppleHelpDialog");
    ASSERT_NE(intro, nullptr);
    EXPECT_TRUE(screen->IsTipShown("ClassicGame", "levelIntroDialog"));
    Passes(5);
    EXPECT_EQ(logic->GetStateName(), "LevelIntroDialog");  // until the player closes it
    screen->StopDialog(intro);
    RunUntil("AssignNumbers", 60);

    // The level's actors show the numbers; the lever stays away meanwhile.
    Passes(20);
    EXPECT_EQ(logic->GetStateName(), "AssignNumbers");
    EXPECT_FALSE(logic->GetCocoDropButton()->IsVisible());
    EXPECT_EQ(Object::FromLuaObject(Eval("levelActorsArgs[1]")), logic.get());
    EXPECT_TRUE(Eval("levelActorsArgs[2][1][3][5]").IsInteger());
    EXPECT_EQ(Object::FromLuaObject(Eval("levelActorsArgs[3]")), screen);
    Lua("levelActorsDone = true");
    RunUntil("ExplainGame", 5);

    // A timed Classic game: the cherub explains the time limit, and closing him waits
    // half a second more.
    auto* cherub = dynamic_cast<WoppleCharacter*>(logic->GetCherubBucketGuy());
    ASSERT_NE(cherub, nullptr);
    Pass();
    EXPECT_TRUE(cherub->IsVisible());
    EXPECT_TRUE(cherub->IsBubbleVisible());
    Passes(10);
    Press(cherub);
    EXPECT_FALSE(cherub->IsBubbleVisible());
    Passes(10);
    EXPECT_EQ(logic->GetStateName(), "ExplainGame");  // 500 ms from the close, not from the start
    RunUntil("WaitingForGameStart", 10);

    // The lever is presented and waits for its pull.
    CocoDropButton* lever = logic->GetCocoDropButton();
    EXPECT_TRUE(lever->IsFlashingEnabled());
    Passes(100);
    EXPECT_EQ(logic->GetStateName(), "WaitingForGameStart");
    Press(lever);
    // The pull is the first spin's: the reels turn at once.
    EXPECT_EQ(logic->GetStateName(), "SpinWheel");
    EXPECT_FALSE(lever->IsFlashingEnabled());
    EXPECT_TRUE(logic->GetRoundStopwatch().IsRunning());

    const std::vector<std::string> expected = {"InitialState", "LevelIntroDialog", "AssignNumbers", "ExplainGame",
                                               "WaitingForGameStart", "StartGame", "NextSpin",
                                               "RouteSpin",   "WaitForSpin",      "SpinWheel"};
    EXPECT_EQ(StateLines(logStart), expected);

    // A second Classic game does not show the introduction again.
    DropLogic();
    Pass();
    MakeLogic();
    Lua("levelActorsDone = false");
    logic->CreateRootActor();
    logic->Start();
    EXPECT_EQ(logic->GetStateName(), "AssignNumbers");
    EXPECT_TRUE(screen->GetDialogs().empty());
}

TEST_F(OldSchoolTest, EveryColumnHoldsDistinctNumbersOfItsOwnFifteen)
{
    for (unsigned seed : {1u, 7u, 2026u}) {
        std::srand(seed);
        StartRound();
        WoppleBoardView* board = logic->GetBoardView(1);
        ASSERT_NE(board, nullptr);
        ASSERT_EQ(board->GetNumColumns(), 5);
        const LuaObject numbers = logic->GetAssignedNumbers();
        for (int c = 1; c <= 5; ++c) {
            std::set<int> seen;
            for (int r = 1; r <= board->GetNumRows(); ++r) {
                const int n = numbers[1][c][r].GetInteger();
                EXPECT_GE(n, 15 * c - 14) << "column " << c;
                EXPECT_LE(n, 15 * c) << "column " << c;
                EXPECT_EQ(board->GetCellView(c, r)->number, n);
                seen.insert(n);
            }
            EXPECT_EQ(int(seen.size()), board->GetNumRows());
        }
        DropLogic();
        Pass();
    }
}

TEST_F(OldSchoolTest, ARightClickPullsTheLever)
{
    ReachWaitingForGameStart();
    Passes(30);  // the lever slides in
    for (int button : {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT}) {
        SDL_Event e{};
        e.button.type = SDL_MOUSEBUTTONDOWN;
        e.button.state = SDL_PRESSED;
        e.button.button = static_cast<Uint8>(button);
        e.button.x = 20;
        e.button.y = 580;
        ASSERT_EQ(SDL_PushEvent(&e), 0);
        Passes(2);
        if (button == SDL_BUTTON_LEFT) {
            EXPECT_EQ(logic->GetStateName(), "WaitingForGameStart");
        }
    }
    EXPECT_EQ(logic->GetStateName(), "SpinWheel");
}

TEST_F(OldSchoolTest, DeveloperKeysActOnlyBetweenSpinsAndMatches)
{
    ReachWaitingForGameStart();
    const int ctrlAlt = KMOD_LCTRL | KMOD_LALT;
    // Before the game starts each would strand the opening.
    for (int key : {'e', 'j', 's'})
        EXPECT_FALSE(SendKey(key, ctrlAlt));
    EXPECT_EQ(logic->GetStateName(), "WaitingForGameStart");
    EXPECT_FALSE(logic->IsJokerTestOn());
    EXPECT_EQ(logic->GetWoppleVisionTurns(), 0);

    logic->SetState("WaitForSpin");
    SendKey('j', ctrlAlt | KMOD_NUM | KMOD_CAPS);  // the lock keys do not count
    EXPECT_TRUE(logic->IsJokerTestOn());
    SendKey('s', ctrlAlt | KMOD_LSHIFT);  // a third key does
    EXPECT_EQ(logic->GetWoppleVisionTurns(), 0);
    SendKey('s', ctrlAlt);
    EXPECT_EQ(logic->GetWoppleVisionTurns(), 30);
    EXPECT_TRUE(logic->GetPowerupView(-1)->HasPowerup("woppleVision"));
    SendKey('s', ctrlAlt);
    EXPECT_EQ(logic->GetWoppleVisionTurns(), 0);
    SendKey('e', ctrlAlt);
    EXPECT_EQ(logic->GetStateName(), "ProcessFullBoards");
}

TEST_F(OldSchoolTest, QuittingMidOpeningFreesTheExplanationTimer)
{
    StartRound();
    Lua("levelActorsDone = true");
    RunUntil("ExplainGame");
    auto* explain = dynamic_cast<OldSchoolStates::ExplainGame*>(logic->GetState());
    ASSERT_NE(explain, nullptr);
    const uint32_t timer = explain->GetTimerID();
    ASSERT_NE(timer, 0u);
    logic->Stop();
    DropLogic();
    Passes(30);
    TimerManager* timers = TimerManager::GetInstance();
    EXPECT_NE(timers->GetTimer(timer).m_Flags & TIMER_FREED, 0u);
    EXPECT_EQ(screen->FindChild("RootActor"), nullptr);
}

TEST_F(OldSchoolTest, ScriptsSeeTheLogicsPropertiesAndMethods)
{
    StartRound();
    app->GetLuaState().GetGlobals().SetObject("logic", logic->GetLuaObject());
    // A level table configures the round through the properties.
    EXPECT_TRUE(Eval("logic.timeLimitted").GetBoolean());
    EXPECT_TRUE(Eval("logic.wheelDevils").GetBoolean());
    EXPECT_EQ(Eval("logic.levelMusic").GetString(), "Wopple Theme");
    EXPECT_EQ(Eval("logic.fullBoardScore").GetInteger(), 10000);
    EXPECT_EQ(Eval("logic.timePerTurn").GetInteger(), 30);
    logic->ApplyProperties(Eval("{ allSpinsFree = true, levelNumber = 4, levelMusic = 'Island Song' }"));
    EXPECT_TRUE(logic->allSpinsFree);
    EXPECT_EQ(logic->levelNumber, 4);
    EXPECT_EQ(logic->levelMusic, "Island Song");

    EXPECT_EQ(Eval("logic:GetNumBoards()").GetInteger(), 1);
    EXPECT_EQ(Object::FromLuaObject(Eval("logic:GetBoardView(1)")), logic->GetBoardView(1));
    EXPECT_EQ(Object::FromLuaObject(Eval("logic:GetBoardView(-1)")), logic->GetBoardView(1));
    EXPECT_TRUE(Eval("logic:GetTreasureBoxManager()").IsNil());
    EXPECT_FALSE(Eval("logic:IsCellAvailableForMatching(1, 0, 1)").GetBoolean());
    Lua("logic:StartScoreFlash('100', { 400, 300 }, 12)");

    LuaState lua = app->GetLuaState();
    const struct
    {
        const char* call;
        const char* error;
    } failures[] = {
        {"logic:GetBoardView(0)", "There is no board at index=0"},
        {"logic:GetBoardView(2)", "There is no board at index=2"},
        {"logic:SayMessage(12)", "env->Stack(2).IsString()"},
        {"logic:SayMessage('NO_SUCH_MESSAGE')", "messageID != 0"},
    };
    for (const auto& f : failures) {
        ASSERT_NE(lua.DoString(f.call), 0) << f.call;
        const std::string message = lua.PopErrorMessage();
        EXPECT_NE(message.find(f.error), std::string::npos) << f.call << ": " << message;
    }
    // The girl says a message and is what the script gets back.
    EXPECT_EQ(Object::FromLuaObject(Eval("logic:SayMessage('CLICK_GIRL_CHERUB')")), logic->GetCherubGirl());
}

TEST_F(OldSchoolTest, ACellIsAvailableWhenItsReelShowsItsNumberOrAJoker)
{
    ReachWaitingForGameStart();
    WoppleBoardView* board = logic->GetBoardView(1);
    WoppleWheelSetView* reels = logic->GetWheelsView();
    ASSERT_NE(reels, nullptr);
    WoppleCellView* corner = board->GetCellView(5, 5);
    corner->isNumberShown = true;
    WoppleWheelView* fifth = reels->GetWheelView(5);
    fifth->SetResult(0, corner->number);
    fifth->Spin();
    Passes(200);
    ASSERT_EQ(fifth->GetWheelNumber(), corner->number);
    EXPECT_TRUE(logic->IsCellAvailableForMatching(1, -1, -1));
    EXPECT_TRUE(logic->IsCellAvailableForMatching(1, 5, 5));
    EXPECT_FALSE(logic->IsCellAvailableForMatching(1, 6, 5));
    EXPECT_FALSE(logic->IsCellAvailableForMatching(2, 5, 5));

    // A column used this spin, or a cell whose number is hidden, is not.
    logic->GetBoardRecords()[1].usedColumns[5] = true;
    EXPECT_FALSE(logic->IsCellAvailableForMatching(1, 5, 5));
    logic->GetBoardRecords()[1].usedColumns[5] = false;
    corner->isNumberShown = false;
    EXPECT_FALSE(logic->IsCellAvailableForMatching(1, 5, 5));
}

TEST_F(OldSchoolTest, ClicksOnTheCharactersAndTheQuitButton)
{
    ReachWaitingForGameStart();
    Actor* girl = logic->GetCherubGirl();
    auto* talking = dynamic_cast<WoppleCharacter*>(girl);
    ASSERT_NE(talking, nullptr);
    talking->CloseBubble();
    Press(talking);
    EXPECT_TRUE(talking->IsBubbleVisible());

    // Nothing more is said while the results are shown: she keeps asking
    // whether to play again.
    talking->CloseBubble();
    logic->SetState("ProcessEndGame");
    Passes(2);
    ASSERT_TRUE(talking->IsBubbleVisible());
    const std::string question = talking->GetBubble()->GetText();
    EXPECT_NE(question.find("play again"), std::string::npos) << question;
    Press(talking);
    EXPECT_EQ(talking->GetBubble()->GetText(), question);

    Click(Child("quitButton"));
    EXPECT_EQ(screen->asked, (std::vector<std::string>{"quit"}));
}

} // namespace

namespace {

class OldSchoolLevelTest : public OldSchoolTest
{
protected:
    // A round whose level table the test gives, started and let through its numbers.
    void StartLevel(const std::string& level)
    {
        DefineLayout();
        screen->MarkTipShown("ClassicGame", "levelIntroDialog");
        MakeLogic();
        logic->ApplyProperties(Eval(level));
        logic->CreateRootActor();
        logic->Start();
    }

    LuaObject LevelRecord(int level)
    {
        LuaObject mode = PlayerManager::GetInstance()->GetCurrentPlayer(1)->GetGameModeTable("Classic");
        return mode["LevelRecords"][level];
    }
};

TEST_F(OldSchoolLevelTest, AQuestLevelShowsItsIntroductionOncePerPlayer)
{
    StartLevel("{ levelNumber = 3, levelIntroTitle = 'Frog Pond', levelIntroDialog = 'Mind the frogs.' }");
    EXPECT_EQ(logic->GetStateName(), "LevelIntroDialog");
    ASSERT_FALSE(screen->GetDialogs().empty());
    EXPECT_TRUE(LevelRecord(3)["seenIntro"].GetBoolean());
    screen->StopDialog(screen->GetTopDialog("WoppleHelpDialog"));
    RunUntil("AssignNumbers", 60);

    // Seen once: the next round of that level goes straight on.
    DropLogic();
    Pass();
    StartLevel("{ levelNumber = 3, levelIntroDialog = 'Mind the frogs.' }");
    EXPECT_EQ(logic->GetStateName(), "AssignNumbers");
    EXPECT_TRUE(screen->GetDialogs().empty());

    // A level without an introduction shows none and remembers nothing.
    DropLogic();
    Pass();
    StartLevel("{ levelNumber = 4 }");
    EXPECT_EQ(logic->GetStateName(), "AssignNumbers");
    EXPECT_TRUE(LevelRecord(4)["seenIntro"].IsNil());
}

TEST_F(OldSchoolLevelTest, TheCherubNamesTheLevelsFeaturesAndTheirPowerupsJoinTheBar)
{
    StartLevel("{ timeLimitted = false, allSpinsFree = true, bonusSquares = { class = 'Actor' } }");
    Lua("levelActorsDone = true");
    RunUntil("ExplainGame");
    auto* explain = dynamic_cast<OldSchoolStates::ExplainGame*>(logic->GetState());
    ASSERT_NE(explain, nullptr);
    EXPECT_EQ(explain->GetExplanation(), "This game has: \n* Free spins \n* Bonus squares\n\nHave fun!");
    std::vector<std::string> items;
    for (const auto& record : logic->GetPowerupView(0)->GetRecords())
        items.push_back(record.type);
    EXPECT_EQ(items, (std::vector<std::string>{"AllSpinsFree", "BonusFrog"}));
    DropLogic();
    Pass();

    // Nothing to explain: the lever comes at once and the cherub stays in his bucket.
    Lua("levelActorsDone = false");
    StartLevel("{ timeLimitted = false }");
    EXPECT_FALSE(logic->timeLimitted);
    Lua("levelActorsDone = true");
    RunUntil("WaitingForGameStart", 3);
    EXPECT_FALSE(logic->GetCherubBucketGuy()->IsVisible());
}

} // namespace

namespace {

TEST_F(OldSchoolTest, APowerupOrAReelClickedPointsOutWhatItMeansOnce)
{
    ReachWaitingForGameStart();
    WopplePowerupView* bar = logic->GetPowerupView(0);
    bar->AddPowerup("", "FreeSpin", 1);
    Pass();
    auto* item = dynamic_cast<Button*>(bar->FindChild("FreeSpin", true));
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(screen->IsTipShown("powerupHelp", "FreeSpin"));
    Press(item);
    EXPECT_TRUE(screen->IsTipShown("powerupHelp", "FreeSpin"));

    // A reel's button names what the reel shows now.
    WoppleWheelView* reel = logic->GetWheelsView()->GetWheelView(2);
    auto* button = dynamic_cast<Button*>(reel->FindChild("wheelButton2", true));
    ASSERT_NE(button, nullptr);
    const std::string type = reel->GetWheelTypeName(false);
    Press(button);
    EXPECT_TRUE(screen->IsTipShown("wheelHelp", type)) << type;
}

} // namespace

namespace {

TEST_F(OldSchoolTest, TheGameStartMakesAClassicLogicByItsModeName)
{
    std::unique_ptr<WoppleGameLogic> made(CreateWoppleGameLogic("Classic"));
    auto* classic = dynamic_cast<WoppleClassicGameLogic*>(made.get());
    ASSERT_NE(classic, nullptr);
    EXPECT_EQ(classic->GetScreenLayoutName(), "WoppleClassicScreenLayout");
    EXPECT_EQ(classic->GetNameOfGameMode(), "Classic");
    EXPECT_EQ(classic->GetNumBoards(), 1);
    EXPECT_TRUE(classic->timeLimitted);  // every turn counts down
    EXPECT_EQ(classic->GetCurrentParticipant(), WoppleOldSchoolBaseLogic::kNoParticipant);
    EXPECT_EQ(CreateWoppleGameLogic("Two Board"), nullptr);
    made.reset();

    // Free spins of "the current participant" are those of participant 0 once the round has one.
    StartRound();
    logic->SetFreeSpins(2, WoppleOldSchoolBaseLogic::kNoParticipant);
    EXPECT_EQ(logic->GetFreeSpins(0), 2);
    EXPECT_EQ(logic->GetFreeSpins(WoppleOldSchoolBaseLogic::kNoParticipant), 2);
    EXPECT_EQ(CountLines("*** GetFreeSpins = 2, participantIndex = 0"), 2);
    EXPECT_THROW(logic->GetPowerupView(1), Exception);
}

} // namespace

TEST_F(OldSchoolTest, PointsAreMultipliedByTheReelsAndTheSelectedCellsAddingUp)
{
    ReachWaitingForGameStart();
    logic->SetCurrentParticipant(0);
    EXPECT_EQ(logic->GetTotalMultiplier(), 1);
    logic->AddScore(200);
    EXPECT_EQ(logic->GetScore(0), 200);

    // Two selected multiplier cells of 2 and 3 add up to 5, not 6.
    WoppleBoardView* board = logic->GetBoardView(1);
    for (auto [column, value] : {std::pair{1, 2}, std::pair{2, 3}}) {
        WoppleCellView* cell = board->GetCellView(column, 1);
        cell->multiplier = value;
        cell->isSelected = true;
    }
    EXPECT_EQ(logic->GetTotalMultiplier(), 5);
    // 64-bit all the way: a score beyond 32 bits keeps growing.
    logic->SetScore(std::int64_t{1} << 40);
    logic->AddScore(1000);
    EXPECT_EQ(logic->GetScore(0), (std::int64_t{1} << 40) + 5000);
}

namespace {

TEST_F(OldSchoolTest, AFullCardPaysItsBonusShowsItsEffectAndTheResultsFollowThreeSecondsOn)
{
    using OldSchoolStates::ProcessFullBoards;
    // fullBoardScore plus a quarter of it for each spin left before the last.
    const struct
    {
        int score, spin;
        std::int64_t bonus;
    } bonuses[] = {{10000, 12, 30000}, {10000, 20, 10000}, {10000, 23, 10000}, {1000, 1, 5750}, {0, 5, 0}};
    for (const auto& b : bonuses)
        EXPECT_EQ(ProcessFullBoards::FullBoardBonus(b.score, b.spin), b.bonus) << b.score << " at " << b.spin;

    ReachWaitingForGameStart();
    logic->SetCurrentParticipant(0);
    logic->SetSpinCount(12);
    WoppleBoardView* board = logic->GetBoardView(1);
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 5; ++r)
            board->GetCellView(c, r)->isSelected = true;
    const std::size_t from = LogText().size();
    logic->SetState("ProcessFullBoards");
    EXPECT_EQ(logic->GetScore(0), 30000);
    // Once the effect is over, a first full card eight spins early earns its
    // stamp; the game waits, paused, until the stamp's dialog closes.
    Actor* award = nullptr;
    for (int i = 0; i < 60 && !award; ++i) {
        Pass();
        if (!screen->GetDialogs().empty() && screen->GetTopDialog("")->GetName() == "WoppleAwardDialog")
            award = screen->GetTopDialog("");
    }
    ASSERT_NE(award, nullptr);
    // The ripple ran to its end: its script reached the boards through the logic.
    EXPECT_EQ(LogText().find("Exception thrown in Script", from), std::string::npos) << LogText().substr(from);
    EXPECT_TRUE(app->IsGamePaused());
    EXPECT_EQ(logic->GetStateName(), "ProcessFullBoards");
    SendEvent(logic.get(), VELK_DIALOGSTOPPED, 0, award, nullptr);
    EXPECT_FALSE(app->IsGamePaused());
    EXPECT_EQ(logic->GetStateName(), "EndGameTransition");
    // Three seconds of the verdict, frame by frame: 3000 / 32 passes and no fewer.
    Passes(3000 / 32 - 2);
    EXPECT_EQ(logic->GetStateName(), "EndGameTransition");
    RunUntil("ProcessEndGame", 10);
    EXPECT_EQ(StateLines(from), (std::vector<std::string>{"ProcessFullBoards", "EndGameTransition", "ProcessEndGame"}));
}

TEST_F(OldSchoolTest, ABonusTimerStillRunningAtTheEndEarnsTheSpeedAwardAndHoldsTheEndingMusicBack)
{
    const struct
    {
        bool appeared, expired, award;
    } cases[] = {{false, false, false}, {true, true, false}, {true, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.appeared) + std::to_string(c.expired));
        DropLogic();
        DefineLayout("", "  WoppleBonusTimer = { class = 'Actor' },\n");
        screen->MarkTipShown("ClassicGame", "levelIntroDialog");
        MakeLogic();
        LuaObject on;
        on.AssignBoolean(app->GetLuaState(), true);
        logic->StoreProperty("enableBonusTimer", on);
        logic->CreateRootActor();
        logic->Start();
        Actor* timer = logic->GetBonusTimer();
        ASSERT_NE(timer, nullptr);
        LuaObject flag;
        flag.AssignBoolean(app->GetLuaState(), c.appeared);
        timer->StoreProperty("hasAppeared", flag);
        flag.AssignBoolean(app->GetLuaState(), c.expired);
        timer->StoreProperty("hasExpired", flag);
        logic->SetCurrentParticipant(0);
        const std::size_t from = LogText().size();
        logic->SetState("EndGameTransition");
        const bool ending = LogText().find("Level music once: Wopple Theme Ending", from) != std::string::npos;
        Actor* dialog = screen->GetDialogs().empty() ? nullptr : screen->GetTopDialog("");
        EXPECT_EQ(dialog && dialog->GetName() == "WoppleAwardDialog", c.award);
        EXPECT_EQ(ending, !c.award);
        if (dialog) {
            // The music waits for the stamp's dialog.
            EXPECT_EQ(LogText().find("Level music once: Wopple Theme Ending", from), std::string::npos);
            SendEvent(logic.get(), VELK_DIALOGSTOPPED, 0, dialog, nullptr);
            EXPECT_NE(LogText().find("Level music once: Wopple Theme Ending", from), std::string::npos);
            screen->StopDialog(dialog);
        }
    }
}

} // namespace
