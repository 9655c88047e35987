// The participants of a round on a real Classic game screen made headless:
// the requests and their answers, and the person's clicks turned into them.
// The game logic's own spin and match states are stand-ins here that make the
// request and write down the answers.

#include "RulesTestSupport.h"

#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/ui/Actor.h"
#include "engine/ui/SpeechBubble.h"
#include "game/rules/WoppleAutoPlayer.h"
#include "game/rules/WoppleClassicGameLogic.h"
#include "game/rules/WoppleGameMessages.h"
#include "game/rules/WoppleHumanParticipantLogic.h"
#include "game/shell/WoppleScreen.h"
#include "game/views/CocoDropButton.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WoppleCharacter.h"
#include "game/views/WoppleWheelSetView.h"
#include "game/views/WoppleWheelView.h"

#include <memory>

using namespace rulestest;

namespace {

// One answer as the game logic received it.
struct Answer
{
    std::string motive;
    std::string action;
    LuaObject table;
    Object* sender = nullptr;
};

// A game-logic state that makes a request on entry and takes every answer,
// putting the participant back in "Idle" as the real states do.
class RequestingState : public WoppleState
{
public:
    using Request = void (WoppleParticipantLogic::*)();
    RequestingState(std::string name, WoppleParticipantLogic* participant, Request request,
                    std::vector<Answer>& answers)
        : m_Name(std::move(name)), m_Participant(participant), m_Request(request), m_Answers(answers)
    {
    }
    std::string GetName() const override { return m_Name; }
    void OnEnterState() override { (m_Participant->*m_Request)(); }
    bool OnParticipantAction(Event* event) override
    {
        const LuaObject& table = *event->payload;
        const std::string action = table["action"].GetString();
        m_Answers.push_back({table["motive"].GetString(), action, table, event->sender});
        // Hovering over a cell does not end the wait.
        if (action == "cell entered" || action == "cell left")
            return true;
        if (auto* participant = dynamic_cast<WoppleParticipantLogic*>(event->sender))
            participant->Start();
        return true;
    }
    bool OnCountdownFinished(Event*) override
    {
        ++countdownsSeen;
        return true;
    }
    int countdownsSeen = 0;

private:
    std::string m_Name;
    WoppleParticipantLogic* m_Participant;
    Request m_Request;
    std::vector<Answer>& m_Answers;
};

class ParticipantTest : public RoundFixture<WoppleClassicGameLogic>
{
protected:
    void SetUp() override
    {
        StartGame();
        Lua(std::string(kStillCharacters) +
            "Scripts.GuyCherubPopOut = function(cherub) cherub:SetVisible(true) end\n"
            "Scripts.GuyCherubPopIn = function(cherub) cherub:SetVisible(false) end\n"
            "Scripts.DisplayLevelActors = function() end\n"
            // The girl's joker prompts belong to the game messages' scripts.
            "Scripts.SaySuperJoker = wait\n"
            "Scripts.SayCellJoker = wait\n"
            "Resources.WoppleClassicScreenLayout = Resources.Object:new{ children = {\n"
            "  BubbleLayer = { class = 'Actor', layer = 999 },\n"
            "  theBoard = { class = 'WoppleBoardView', resource = 'WoppleSingleBoardResourceSet', position = { 230, 120 } },\n"
            "  woppleWheels = { class = 'WoppleWheelSetView', resource = 'WoppleWheels', position = { 230, 10 } },\n"
            "  cocoDropButton = { class = 'CocoDropButton', resource = 'CocoDropButtonDefaults', position = { 640, 300 } },\n"
            "  cherubGirl = { class = 'WoppleCharacter', resource = 'CherubGirlCharacter', position = { 20, 300 } },\n"
            "  cherubBucketGuy = { class = 'WoppleCharacter', resource = 'GuyCherubCharacter', position = { 620, 40 }, visible = false },\n"
            "  wopplePowerupView_0 = { class = 'WopplePowerupView', resource = 'WopplePowerupView', position = { 20, 60 } },\n"
            "  spinBox = { class = 'Actor', children = { spinCountLabel = { class = 'Label' } } },\n"
            "} }");
        ShowGameScreen();
        screen->MarkTipShown("ClassicGame", "levelIntroDialog");
        logic = std::make_unique<WoppleClassicGameLogic>();
        logic->SetTargetScreen(screen);
        screen->logic = logic.get();
        logic->CreateRootActor();
        logic->Start();
        // The opening's end: from here the stand-in states take over.
        logic->SetState("WaitingForGameStart");
        participant = logic->GetParticipantLogic();
        ASSERT_NE(participant, nullptr);
    }

    // The game logic enters a stand-in of the state that makes the request.
    RequestingState* Ask(const std::string& state, void (WoppleParticipantLogic::*request)())
    {
        auto* s = new RequestingState(state, participant, request, answers);
        logic->AddState(s, true);
        logic->SetState(state);
        return s;
    }

    // A click the way a person's reaches its receivers.
    void Press(Button* button)
    {
        ASSERT_NE(button, nullptr);
        Pass();  // one click per pass
        button->ManuallyPressButton();
        button->ManuallyReleaseButton();
        Passes(2);
    }

    Button* Find(const std::string& name)
    {
        return dynamic_cast<Button*>(logic->GetRootActor()->FindChild(name, true));
    }

    std::string Last() const
    {
        return answers.empty() ? std::string() : answers.back().motive + "/" + answers.back().action;
    }

    WoppleParticipantLogic* participant = nullptr;
    std::vector<Answer> answers;
};

} // namespace

TEST_F(ParticipantTest, TheClassicLogicMakesAHumanParticipantWaitingIdle)
{
    EXPECT_NE(dynamic_cast<WoppleHumanParticipantLogic*>(participant), nullptr);
    EXPECT_EQ(participant->GetGameLogic(), logic.get());
    EXPECT_EQ(participant->GetStateName(), "Idle");
}

TEST_F(ParticipantTest, ARequestNeedsABoundLogicAndIdle)
{
    participant->WaitForMatch();
    try {
        participant->WaitForSpin();
        ADD_FAILURE() << "a second request was taken";
    } catch (const Exception& e) {
        EXPECT_NE(e.GetMessage().find("GetStateName() == \"Idle\""), std::string::npos) << e.GetMessage();
        EXPECT_NE(e.GetFunction().find("WoppleParticipantLogic::WaitForSpin"), std::string::npos)
            << e.GetFunction();
    }
    EXPECT_EQ(participant->GetStateName(), "WaitForMatch");

    WoppleHumanParticipantLogic unbound;
    try {
        unbound.PromptForFreeSpin();
        ADD_FAILURE() << "an unbound participant was asked";
    } catch (const Exception& e) {
        EXPECT_NE(e.GetMessage().find("m_GameLogic != 0"), std::string::npos) << e.GetMessage();
    }
    // Nor may it answer anybody.
    EXPECT_THROW(unbound.SignalGameLogic("WaitForSpin", "start spin"), Exception);
}

TEST_F(ParticipantTest, AnAnswerCarriesTheStringKeysOfItsExtraData)
{
    Ask("WaitForMatch", &WoppleParticipantLogic::WaitForMatch);
    Lua("extra = { cellSelectionData = { isCellSelectable = true }, motive = 'Overridden', [1] = 'dropped' }");
    LuaObject extra = app->GetLuaState().GetGlobal("extra");
    participant->SignalGameLogic("WaitForMatch", "cell clicked", extra);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].sender, participant);
    EXPECT_EQ(answers[0].motive, "Overridden");
    EXPECT_EQ(answers[0].action, "cell clicked");
    EXPECT_TRUE(answers[0].table["cellSelectionData"] == extra["cellSelectionData"]);
    EXPECT_TRUE(answers[0].table[1].IsNil());

    // A non-table extra is ignored; the answer is there before the call returns.
    LuaObject number;
    number.AssignInteger(app->GetLuaState(), 7);
    participant->SignalGameLogic("WaitForMatch", "cell left", number);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(Last(), "WaitForMatch/cell left");
}

TEST_F(ParticipantTest, TheScriptMethodChecksItsArgumentsInOrder)
{
    LuaState lua = app->GetLuaState();
    participant->GetLuaObject().Push();
    lua.SetGlobal("part");
    const struct
    {
        const char* call;
        const char* failure;
    } cases[] = {
        {"part.SignalGameLogic(5, 'a', 'b')", "env->Stack(1).IsUserData()"},
        {"part:SignalGameLogic('WaitForSpin')", "env->GetTop() >= 3"},
        {"part:SignalGameLogic(1, 'start spin')", "env->Stack(2).IsString()"},
        {"part:SignalGameLogic('WaitForSpin', {})", "env->Stack(3).IsString()"},
    };
    for (const auto& c : cases) {
        ASSERT_NE(lua.DoString(c.call), 0) << c.call;
        EXPECT_NE(lua.PopErrorMessage().find(c.failure), std::string::npos) << c.call;
    }
    EXPECT_TRUE(answers.empty());

    Ask("WaitForSpin", &WoppleParticipantLogic::WaitForMatch);
    Lua("part:SignalGameLogic('WaitForMatch', 'cell clicked', { cellSelectionData = "
        "WoppleCellView_BuildCellClickEventData(1, 2, 3, true) })");
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(Last(), "WaitForMatch/cell clicked");
    EXPECT_EQ(answers[0].table["cellSelectionData"]["cellPosition"]["row"].GetInteger(), 3);
}

TEST_F(ParticipantTest, TheLeverAndTheRightButtonStartTheSpin)
{
    CocoDropButton* lever = logic->GetCocoDropButton();
    lever->Disable();
    Ask("WaitForSpin", &WoppleParticipantLogic::WaitForSpin);
    EXPECT_EQ(participant->GetStateName(), "WaitForSpin");
    EXPECT_TRUE(lever->IsEnabled());
    EXPECT_TRUE(lever->IsFlashingEnabled());
    Passes(30);  // the lever slides in

    // Another button's press is left to others.
    EventRecord press = MakeEventRecord(VELK_BUTTONPRESS, 0, logic->GetCherubGirl());
    EXPECT_FALSE(participant->OnEvent(press));
    EXPECT_TRUE(answers.empty());

    Press(lever);
    EXPECT_EQ(Last(), "WaitForSpin/start spin");
    EXPECT_EQ(participant->GetStateName(), "Idle");
    EXPECT_FALSE(lever->IsFlashingEnabled());

    // The right button anywhere pulls the lever as well; the left does not.
    answers.clear();
    logic->SetState("WaitingForGameStart");
    Ask("WaitForSpin", &WoppleParticipantLogic::WaitForSpin);
    Passes(30);
    for (int button : {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT}) {
        SDL_Event e{};
        e.button.type = SDL_MOUSEBUTTONDOWN;
        e.button.state = SDL_PRESSED;
        e.button.button = static_cast<Uint8>(button);
        e.button.x = 20;
        e.button.y = 580;
        ASSERT_EQ(SDL_PushEvent(&e), 0);
        Passes(3);
        if (button == SDL_BUTTON_LEFT) {
            EXPECT_TRUE(answers.empty());
        }
    }
    EXPECT_EQ(Last(), "WaitForSpin/start spin");
}

TEST_F(ParticipantTest, CellsAnswerWithTheirTableInEachMatchRequest)
{
    WoppleBoardView* board = logic->GetBoardView(1);
    ASSERT_NE(board, nullptr);
    WoppleCellView* cell = board->GetCellView(4, 2);
    cell->SetCellType("ClickableNumber");
    const struct
    {
        const char* state;
        void (WoppleParticipantLogic::*request)();
    } requests[] = {
        {"WaitForMatch", &WoppleParticipantLogic::WaitForMatch},
        {"WaitForSuperJokerMatch", &WoppleParticipantLogic::WaitForSuperJokerMatch},
        {"WaitForCellJokerMatch", &WoppleParticipantLogic::WaitForCellJokerMatch},
    };
    for (const auto& r : requests) {
        answers.clear();
        Ask(r.state, r.request);
        Press(cell->GetCellButton());
        ASSERT_FALSE(answers.empty()) << r.state;
        const Answer& click = answers.back();
        EXPECT_EQ(click.motive, r.state);
        EXPECT_EQ(click.action, "cell clicked");
        const LuaObject position = click.table["cellSelectionData"]["cellPosition"];
        EXPECT_EQ(position["boardIndex"].GetInteger(), 1);
        EXPECT_EQ(position["column"].GetInteger(), 4);
        EXPECT_EQ(position["row"].GetInteger(), 2);
        EXPECT_EQ(participant->GetStateName(), "Idle");
        logic->SetState("WaitingForGameStart");
    }

    // The end of the turn's countdown answers and still reaches the game logic's state.
    answers.clear();
    RequestingState* waiting = Ask("WaitForMatch", &WoppleParticipantLogic::WaitForMatch);
    PostNewEvent(WOPPLE_COUNTDOWNFINISHED, logic.get(), logic.get(), nullptr);
    Pass();
    EXPECT_EQ(Last(), "WaitForMatch/timer expired");
    EXPECT_TRUE(answers.back().table["cellSelectionData"].IsNil());
    EXPECT_EQ(waiting->countdownsSeen, 1);
}

TEST_F(ParticipantTest, EachQuestionAnswersByItsButtons)
{
    logic->SetSpinCount(18);
    logic->SetScore(12345);
    const struct
    {
        const char* state;
        void (WoppleParticipantLogic::*request)();
        const char* button;
        const char* answer;
    } cases[] = {
        {"PromptForFreeSpin", &WoppleParticipantLogic::PromptForFreeSpin, "buyButton", "PromptForFreeSpin/buy spin"},
        {"PromptForFreeSpin", &WoppleParticipantLogic::PromptForFreeSpin, "useFreeSpinButton",
         "PromptForFreeSpin/use free spin"},
        // The cash-out variant answers under the plain free-spin motive.
        {"PromptForFreeSpin", &WoppleParticipantLogic::PromptForFreeSpinWithCashOut, "buyButton",
         "PromptForFreeSpin/buy spin"},
        {"PromptForFreeSpin", &WoppleParticipantLogic::PromptForFreeSpinWithCashOut, "useFreeSpinButton",
         "PromptForFreeSpin/use free spin"},
        {"PromptForFreeSpin", &WoppleParticipantLogic::PromptForFreeSpinWithCashOut, "cashOutButton",
         "PromptForFreeSpin/cash out"},
        {"PromptForBuy", &WoppleParticipantLogic::PromptForBuyWithCashOut, "buyButton", "PromptForBuy/buy spin"},
        {"PromptForBuy", &WoppleParticipantLogic::PromptForBuyWithCashOut, "cashOutButton", "PromptForBuy/cash out"},
        {"PromptForImmediateFreeSpinUsage", &WoppleParticipantLogic::PromptForImmediateFreeSpinUsage, "YesButton",
         "PromptForImmediateFreeSpinUsage/use free spin"},
        {"PromptForImmediateFreeSpinUsage", &WoppleParticipantLogic::PromptForImmediateFreeSpinUsage, "NoButton",
         "PromptForImmediateFreeSpinUsage/don't use free spin"},
        {"ProcessPirateOrTreasure", &WoppleParticipantLogic::PassOrKeepPirateOrTreasure, "passButton",
         "PassOrKeepPirateOrTreasure/pass"},
        {"ProcessPirateOrTreasure", &WoppleParticipantLogic::PassOrKeepPirateOrTreasure, "openButton",
         "PassOrKeepPirateOrTreasure/keep"},
    };
    auto* cherub = dynamic_cast<WoppleCharacter*>(logic->GetCherubBucketGuy());
    ASSERT_NE(cherub, nullptr);
    for (const auto& c : cases) {
        answers.clear();
        Ask(c.state, c.request);
        Passes(2);
        ASSERT_TRUE(cherub->IsBubbleVisible()) << c.button;
        // A button of another question is not an answer.
        EventRecord other = MakeEventRecord(VELK_BUTTONCLICK, 0, logic->GetCherubGirl());
        EXPECT_FALSE(participant->OnEvent(other));
        Press(Find(c.button));
        EXPECT_EQ(Last(), c.answer) << c.button;
        EXPECT_EQ(participant->GetStateName(), "Idle");
        logic->SetState("WaitingForGameStart");
        // The pirate's question stays for the treasure's scripts; send the cherub off.
        logic->KillMessage(WoppleGameMessages::GetMessageId("KEEP_OR_PASS_PIRATE_OR_TREASURE"), nullptr);
        Passes(2);
    }
}

TEST_F(ParticipantTest, ThePriceQuestionShowsTheSpinsPriceAndShare)
{
    logic->SetSpinCount(19);
    logic->SetScore(1234567);
    Ask("PromptForBuy", &WoppleParticipantLogic::PromptForBuyWithCashOut);
    Passes(2);
    auto* cherub = dynamic_cast<WoppleCharacter*>(logic->GetCherubBucketGuy());
    ASSERT_NE(cherub->GetBubble(), nullptr);
    // 30 % of 1,234,567, the division truncating.
    EXPECT_NE(cherub->GetBubble()->GetText().find("370,370 points (30%)"), std::string::npos)
        << cherub->GetBubble()->GetText();

    // Answered, the question is withdrawn.
    Press(Find("cashOutButton"));
    Passes(30);
    EXPECT_FALSE(cherub->IsBubbleVisible());
}

// ---------------------------------------------------------------- the automated player

namespace {

class AutoPlayerTest : public ParticipantTest
{
protected:
    WoppleAutoPlayer& MakePlayer(std::uint32_t seed, WoppleAutoPlayer::Options options = {})
    {
        options.seed = seed;
        options.restPasses = 2;
        WoppleClassicGameLogic* l = logic.get();
        players.push_back(std::make_unique<WoppleAutoPlayer>([l] { return l; }, options));
        return *players.back();
    }

    // Every reel lands on a joker: any cell whose number shows may be matched.
    void LandJokers()
    {
        WoppleWheelSetView* reels = logic->GetWheelsView();
        for (int i = 1; i <= reels->GetNumWheels(); ++i) {
            reels->GetWheelView(i)->SetNumberOfTypedSquares(2, 1);
            reels->GetWheelView(i)->BuildStrip();
            reels->GetWheelView(i)->SetResult(2, 0);
            reels->GetWheelView(i)->Spin();
        }
        Passes(60);
    }

    // Steps the player until it clicks; what it clicked.
    std::string StepUntilClick(WoppleAutoPlayer& player, int limit = 20)
    {
        for (int i = 0; i < limit; ++i) {
            const std::string click = player.Step();
            if (!click.empty())
                return click;
            Pass();
        }
        return std::string();
    }

    std::vector<std::unique_ptr<WoppleAutoPlayer>> players;
};

} // namespace

TEST_F(AutoPlayerTest, ItPullsTheLeverAndClicksOnlyCellsThatMayBeMatched)
{
    WoppleAutoPlayer& player = MakePlayer(5);
    Ask("WaitForSpin", &WoppleParticipantLogic::WaitForSpin);
    Passes(30);
    EXPECT_EQ(StepUntilClick(player), "lever");
    Passes(3);
    EXPECT_EQ(Last(), "WaitForSpin/start spin");

    // Row 3 is already matched and the middle column is used: the player
    // keeps to the cells that are left.
    LandJokers();
    WoppleBoardView* board = logic->GetBoardView(1);
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 5; ++r)
            board->GetCellView(c, r)->SetCellType(r == 3 ? "Selected" : "SelectableAndClickableNumber");
    logic->GetBoardRecords()[1].usedColumns[3] = true;
    for (int i = 0; i < 12; ++i) {
        answers.clear();
        Ask("WaitForMatch", &WoppleParticipantLogic::WaitForMatch);
        const std::string click = StepUntilClick(player);
        Passes(3);
        ASSERT_EQ(Last(), "WaitForMatch/cell clicked") << click;
        const LuaObject position = answers.back().table["cellSelectionData"]["cellPosition"];
        const int column = position["column"].GetInteger(), row = position["row"].GetInteger();
        EXPECT_EQ(click, "cell 1 " + std::to_string(column) + " " + std::to_string(row));
        EXPECT_NE(row, 3);
        EXPECT_NE(column, 3);
        logic->SetState("WaitingForGameStart");
    }

    // No cell left: it waits for the rules to move on.
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 5; ++r)
            board->GetCellView(c, r)->SetCellType("Selected");
    answers.clear();
    Ask("WaitForMatch", &WoppleParticipantLogic::WaitForMatch);
    EXPECT_EQ(StepUntilClick(player), "");
    EXPECT_TRUE(answers.empty());
}

TEST_F(AutoPlayerTest, ItsCellChoicesFollowItsSeed)
{
    LandJokers();
    WoppleBoardView* board = logic->GetBoardView(1);
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 5; ++r)
            board->GetCellView(c, r)->SetCellType("SelectableAndClickableNumber");
    auto play = [this](std::uint32_t seed) {
        WoppleAutoPlayer& player = MakePlayer(seed);
        std::vector<std::string> clicks;
        for (int i = 0; i < 6; ++i) {
            Ask("WaitForMatch", &WoppleParticipantLogic::WaitForMatch);
            clicks.push_back(StepUntilClick(player));
            Passes(3);
            logic->SetState("WaitingForGameStart");
        }
        return clicks;
    };
    const std::vector<std::string> first = play(11);
    EXPECT_EQ(play(11), first);
    EXPECT_NE(play(12), first);
}

TEST_F(AutoPlayerTest, ItAnswersEachQuestionAsItsOptionsSay)
{
    logic->SetSpinCount(18);
    logic->SetScore(5000);
    WoppleAutoPlayer::Options cashing;
    cashing.cashOut = true;
    WoppleAutoPlayer::Options buying;
    buying.useFreeSpins = false;
    const struct
    {
        const char* state;
        void (WoppleParticipantLogic::*request)();
        WoppleAutoPlayer::Options options;
        const char* answer;
    } cases[] = {
        {"PromptForFreeSpin", &WoppleParticipantLogic::PromptForFreeSpin, {}, "PromptForFreeSpin/use free spin"},
        {"PromptForFreeSpin", &WoppleParticipantLogic::PromptForFreeSpin, buying, "PromptForFreeSpin/buy spin"},
        // Cashing out is only ever taken where it is offered.
        {"PromptForFreeSpin", &WoppleParticipantLogic::PromptForFreeSpin, cashing, "PromptForFreeSpin/use free spin"},
        {"PromptForFreeSpin", &WoppleParticipantLogic::PromptForFreeSpinWithCashOut, {},
         "PromptForFreeSpin/use free spin"},
        {"PromptForFreeSpin", &WoppleParticipantLogic::PromptForFreeSpinWithCashOut, cashing,
         "PromptForFreeSpin/cash out"},
        {"PromptForBuy", &WoppleParticipantLogic::PromptForBuyWithCashOut, {}, "PromptForBuy/buy spin"},
        {"PromptForBuy", &WoppleParticipantLogic::PromptForBuyWithCashOut, cashing, "PromptForBuy/cash out"},
        {"PromptForImmediateFreeSpinUsage", &WoppleParticipantLogic::PromptForImmediateFreeSpinUsage, {},
         "PromptForImmediateFreeSpinUsage/use free spin"},
        {"PromptForImmediateFreeSpinUsage", &WoppleParticipantLogic::PromptForImmediateFreeSpinUsage, buying,
         "PromptForImmediateFreeSpinUsage/don't use free spin"},
    };
    auto* cherub = dynamic_cast<WoppleCharacter*>(logic->GetCherubBucketGuy());
    int index = 0;
    for (const auto& c : cases) {
        answers.clear();
        WoppleAutoPlayer& player = MakePlayer(1, c.options);
        Ask(c.state, c.request);
        EXPECT_NE(StepUntilClick(player), "") << index;
        Passes(3);
        EXPECT_EQ(Last(), c.answer) << index;
        logic->SetState("WaitingForGameStart");
        cherub->CloseBubble();
        Passes(3);
        ++index;
    }
}
