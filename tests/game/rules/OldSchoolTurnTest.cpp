// The turn of an old-school round on a real (headless) game screen: the spin
// cycle with its price and prompts, the reels' squares, the walkthrough, the
// countdown and the match states. The participant is a stand-in that sits in
// the state it is asked for; the tests answer for it the way a participant
// does, with WOPPLE_PARTICIPANTACTION.

#include "RulesTestSupport.h"
#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/runtime/Utility.h"
#include "engine/ui/Actor.h"
#include "game/rules/OldSchoolJokerStates.h"
#include "game/rules/OldSchoolSpinStates.h"
#include "game/rules/WoppleClassicGameLogic.h"
#include "game/rules/WoppleLevelSetup.h"
#include "game/rules/WoppleParticipantLogic.h"
#include "game/shell/GameTestSupport.h"
#include "game/shell/WoppleScreen.h"
#include "game/views/CocoDropButton.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WoppleWheelSetView.h"
#include "game/views/WoppleWheelView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>

using namespace rulestest;

namespace {

class TurnLogic : public WoppleClassicGameLogic
{
public:
    WoppleParticipantLogic* CreateParticipantLogic(int) override { return new StandInParticipant; }
    bool IsLevelGoalMet() override { return goalMet; }
    bool IsScoringIdle() const override
    {
        return scoringIdle ? *scoringIdle : WoppleClassicGameLogic::IsScoringIdle();
    }
    void SetJokerTest(bool on) { m_JokerTest = on; }
    StandInParticipant* Participant() const { return static_cast<StandInParticipant*>(GetParticipantLogic()); }
    void CreateStates() override
    {
        WoppleClassicGameLogic::CreateStates();
        if (!plainReels)
            return;
        AddState(new OldSchoolStates::PassOn(*this, "ProcessBonusWheels", "ProcessDevils"), true);
        AddState(new OldSchoolStates::PassOn(*this, "ProcessDevils", "ProcessJokerBonus"), true);
    }

    bool goalMet = false;
    // Without a value, the spin waits for the round's own scoring, as in the game.
    std::optional<bool> scoringIdle = true;
    // The reels' coins, free spins, devils and the like do nothing.
    bool plainReels = false;
};

const char* const kLayout =
    "Resources.WoppleClassicScreenLayout = Resources.Object:new{ children = {\n"
    "  BubbleLayer = { class = 'Actor', layer = 999 },\n"
    "  theBoard = { class = 'WoppleBoardView', resource = 'WoppleSingleBoardResourceSet', position = { 230, 120 } },\n"
    "  woppleWheels = { class = 'WoppleWheelSetView', resource = 'WoppleWheels', position = { 230, 10 } },\n"
    "  cocoDropButton = { class = 'CocoDropButton', resource = 'CocoDropButtonDefaults', position = { 640, 300 } },\n"
    "  cherubGirl = { class = 'WoppleCharacter', resource = 'CherubGirlCharacter', position = { 20, 300 } },\n"
    "  cherubBucketGuy = { class = 'WoppleCharacter', resource = 'GuyCherubCharacter', visible = false },\n"
    "  wopplePowerupView_0 = { class = 'WopplePowerupView', resource = 'WopplePowerupView', position = { 20, 60 } },\n"
    "  timerBox = { class = 'Actor', children = { timerLabel = { class = 'Label' } } },\n"
    "} }";

class OldSchoolTurnTest : public RoundFixture<TurnLogic>
{
protected:
    void SetUp() override
    {
        StartGame();
        Lua(std::string(kStillCharacters) +
            "Scripts.GuyCherubPopOut = function(cherub) cherub:SetVisible(true) end\n"
            "Scripts.GuyCherubPopIn = function(cherub) cherub:SetVisible(false) end\n"
            "Scripts.DisplayLevelActors = function(root)\n"
            "  local b = root:FindChild('theBoard', true)\n"
            "  for c = 1, b:GetNumColumns() do\n"
            "    for r = 1, b:GetNumRows() do b:GetCellView(c, r):SetCellType('UnclickableNumber') end\n"
            "  end\n"
            "end");
        Lua(kLayout);
        ShowGameScreen();
    }

    // A round let through its opening to the lever, which is not pulled yet.
    void StartRound(const std::string& level = "{}")
    {
        screen->MarkTipShown("ClassicGame", "levelIntroDialog");
        logic = std::make_unique<TurnLogic>();
        logic->plainReels = plainReels;
        logic->SetTargetScreen(screen);
        screen->logic = logic.get();
        logic->ApplyProperties(Eval(level));
        logic->CreateRootActor();
        logic->Start();
        RunUntil("WaitingForGameStart");
    }

    void RunUntil(const std::string& state, int limit = 300)
    {
        for (int i = 0; i < limit && logic->GetStateName() != state; ++i)
            Pass();
        ASSERT_EQ(logic->GetStateName(), state);
    }

    std::string PartState() const { return logic->Participant()->GetStateName(); }

    // Out of the turn, in a state that waits for nothing, the participant idle.
    void Park()
    {
        logic->ReturnParticipantToIdle();
        logic->SetState("EndGameTransition");
    }

    // What a participant's SignalGameLogic sends.
    void Signal(const std::string& motive, const std::string& action, const LuaObject& cellData = LuaObject())
    {
        auto payload = std::make_shared<LuaObject>();
        payload->AssignNewTable(app->GetLuaState());
        payload->SetString("motive", motive);
        payload->SetString("action", action);
        if (cellData.IsTable())
            payload->SetObject("cellSelectionData", cellData);
        SendNewEvent(WOPPLE_PARTICIPANTACTION, logic.get(), logic->Participant(), payload);
    }

    void ClickCell(int board, int column, int row, bool selectable = true, const std::string& motive = "WaitForMatch")
    {
        Signal(motive, "cell clicked",
               WoppleCellView::BuildCellClickEventData(app->GetLuaState(), board, column, row, selectable));
    }

    // The first cell the participant may match, column by column; false when none.
    bool FindOpenCell(int& column, int& row)
    {
        WoppleBoardView* board = logic->GetBoardView(1);
        for (column = 1; column <= board->GetNumColumns(); ++column)
            for (row = 1; row <= board->GetNumRows(); ++row)
                if (logic->IsCellAvailableForMatching(1, column, row))
                    return true;
        return false;
    }

    // The reels land as asked (a number, or -type for a symbol) and the logic
    // waits for the participant's matches on spin 2.
    void LandReelsAndWaitForMatch(const std::vector<int>& results)
    {
        logic->SetSpinCount(2);
        WoppleWheelSetView* reels = logic->GetWheelsView();
        for (int i = 1; i <= 5; ++i) {
            WoppleWheelView* wheel = reels->GetWheelView(i);
            wheel->SetNumberOfTypedSquares(WheelTypeJoker, 3);
            wheel->SetNumberOfTypedSquares(WheelTypeCoin, 1);
            wheel->BuildStrip();
            const int r = results[i - 1];
            wheel->SetResult(r < 0 ? -r : WheelTypeNumber, r < 0 ? 0 : r);
            wheel->Spin();
        }
        Passes(200);
        logic->matchesThisSpin = 0;
        try {
            logic->SetState("WaitForMatch");
        } catch (const Exception& e) {
            FAIL() << e.GetMessage();
        }
    }

    static void ExpectAssertion(const std::function<void()>& call, const std::string& text)
    {
        try {
            call();
            ADD_FAILURE() << "no assertion for " << text;
        } catch (const Exception& e) {
            EXPECT_NE(e.GetMessage().find(text), std::string::npos) << e.GetMessage();
        }
    }

    bool plainReels = false;
};

// ---------------------------------------------------------------- the price and the rule

TEST_F(OldSchoolTurnTest, TheSpinPriceIsAShareOfTheScoreAndDecidesWhetherAnotherSpinFollows)
{
    StartRound();
    const struct
    {
        int spin;
        std::int64_t score;
        std::int64_t price;
    } prices[] = {
        {17, 12345, 1234}, {18, 12345, 2469}, {19, 1000, 300}, {20, -50, -20}, {17, std::int64_t{1} << 40, 109951162777},
    };
    for (const auto& p : prices) {
        logic->SetSpinCount(p.spin);
        logic->SetScore(p.score);
        EXPECT_EQ(logic->GetMinimumAllowableScoreForSpin(), p.price) << "spin " << p.spin;
    }
    logic->SetSpinCount(16);
    ExpectAssertion([&] { logic->GetMinimumAllowableScoreForSpin(); }, "percent > 0");

    const struct
    {
        int spin;
        std::int64_t score;
        int freeSpins;
        bool allFree;
        bool freeFlag;
        bool more;
    } rules[] = {
        {1, -500, 0, false, false, true},   {16, -500, 0, false, false, true}, {17, 0, 0, false, false, true},
        {17, -1, 0, false, false, false},   {19, -1, 1, false, false, true},   {19, -1, 0, true, false, true},
        {19, -1, 0, false, true, true},     {20, 5000, 3, true, true, false},
    };
    for (const auto& r : rules) {
        logic->SetSpinCount(r.spin);
        logic->SetScore(r.score);
        logic->SetFreeSpins(r.freeSpins, 0);
        logic->allSpinsFree = r.allFree;
        logic->SetFreeSpin(r.freeFlag);
        EXPECT_EQ(logic->HasSpinsLeft(), r.more) << "spin " << r.spin << ", score " << r.score;
    }
}

TEST_F(OldSchoolTurnTest, FromSpinSeventeenASpinIsPaidWithAFreeSpinPointsOrACashOut)
{
    StartRound();
    const struct
    {
        int spin;
        int freeSpins;
        bool allFree;
        bool goal;
        const char* state;
        const char* request;
        std::int64_t scoreAfter;
        int freeSpinsAfter;
    } cases[] = {
        {16, 0, false, false, "WaitForSpin", "WaitForSpin", 10000, 0},
        {17, 0, false, false, "WaitForSpin", "WaitForSpin", 9000, 0},
        {17, 0, true, false, "WaitForSpin", "WaitForSpin", 10000, 0},
        {17, 0, false, true, "PromptForBuy", "PromptForBuyWithCashOut", 10000, 0},
        // Free spins that cover every spin left, this one included, are used without asking.
        {18, 3, false, false, "WaitForSpin", "WaitForSpin", 10000, 2},
        {18, 2, false, false, "PromptForFreeSpin", "PromptForFreeSpin", 10000, 2},
        {18, 2, false, true, "PromptForFreeSpin", "PromptForFreeSpinWithCashOut", 10000, 2},
        {19, 1, true, false, "WaitForSpin", "WaitForSpin", 10000, 1},
    };
    for (const auto& c : cases) {
        Park();
        logic->SetSpinCount(c.spin);
        logic->SetScore(10000);
        logic->SetFreeSpins(c.freeSpins, 0);
        logic->allSpinsFree = c.allFree;
        logic->goalMet = c.goal;
        logic->SetState("RouteSpin");
        EXPECT_EQ(logic->GetStateName(), c.state) << "spin " << c.spin;
        EXPECT_EQ(PartState(), c.request) << "spin " << c.spin;
        EXPECT_EQ(logic->GetScore(0), c.scoreAfter) << "spin " << c.spin;
        EXPECT_EQ(logic->GetFreeSpins(0), c.freeSpinsAfter) << "spin " << c.spin;
    }

    // The answers: a wrong motive or an unknown action fails; using a free
    // spin spends one; cashing out ends the round.
    Park();
    logic->SetSpinCount(18);
    logic->SetFreeSpins(2, 0);
    logic->allSpinsFree = false;
    logic->goalMet = false;
    logic->SetState("RouteSpin");
    ExpectAssertion([&] { Signal("PromptForBuy", "buy spin"); },
                    "motive == \"PromptForFreeSpin\" || motive == \"PromptForFreeSpinWithCashOut\"");
    ExpectAssertion([&] { Signal("PromptForFreeSpin", "dance"); },
                    "Unknown action=\"dance\", motive=\"PromptForFreeSpin\"");
    EXPECT_EQ(logic->GetStateName(), "PromptForFreeSpin");
    Signal("PromptForFreeSpin", "use free spin");
    EXPECT_EQ(logic->GetStateName(), "WaitForSpin");
    EXPECT_EQ(logic->GetFreeSpins(0), 1);

    Park();
    logic->goalMet = true;
    logic->SetState("PromptForBuy");
    ExpectAssertion([&] { Signal("PromptForFreeSpin", "buy spin"); }, "motive == \"PromptForBuy\"");
    Signal("PromptForBuy", "cash out");
    EXPECT_EQ(logic->GetStateName(), "EndGameTransition");
    EXPECT_EQ(PartState(), "Idle");
}

// ---------------------------------------------------------------- the reels' squares

TEST_F(OldSchoolTurnTest, TheReelsCarryTheSquaresOfTheirSpinAndTheParticipantsSituation)
{
    std::srand(5);
    StartRound("{ levelNumber = 9 }");
    auto* spin = dynamic_cast<OldSchoolStates::SpinWheel*>(
        OldSchoolStates::CreateSpinState(*logic, "SpinWheel"));
    ASSERT_NE(spin, nullptr);
    std::unique_ptr<State> owned(spin);
    WoppleWheelSetView* reels = logic->GetWheelsView();
    auto count = [&](int reel, int type) { return reels->GetWheelView(reel)->GetNumberOfTypedSquares(type); };
    auto devils = [&](int reel) { return count(reel, WheelTypeDevil) + count(reel, WheelTypeDevilCherub); };

    // Twenty spins of a five-reel level, the participant holding 2 free spins
    // from spin 15 on: what each reel offers beyond its 15 numbers, 3 jokers and a coin.
    const struct
    {
        int spin;
        int freeSpinSquares;  // on reels 1 and 5
        int devilsOn2;        // devil or devil cherub, reel 2
        int devilsOn4;
    } table[] = {
        {1, 1, 0, 0},   {2, 1, 1, 1},   {3, 1, 1, 1},   {4, 1, 1, 1},   {5, 1, 1, 1},
        {6, 1, 1, 1},   {7, 1, 1, 1},   {8, 1, 1, 1},   {9, 1, 1, 1},   {10, 1, 1, 1},
        {11, 1, 1, 1},  {12, 1, 1, 1},  {13, 1, 1, 1},  {14, 1, 1, 1},  {15, 1, 1, 1},
        {16, 1, 0, 0},  {17, 1, 1, 0},  {18, 0, 1, 0},  {19, 0, 1, 0},  {20, 0, 0, 0},
    };
    for (const auto& row : table) {
        logic->SetSpinCount(row.spin);
        logic->SetFreeSpins(row.spin >= 15 ? 2 : 0, 0);
        spin->GenerateWheels();
        for (int reel = 1; reel <= 5; ++reel) {
            SCOPED_TRACE("spin " + std::to_string(row.spin) + ", reel " + std::to_string(reel));
            EXPECT_EQ(count(reel, WheelTypeNumber), 15);
            EXPECT_EQ(count(reel, WheelTypeJoker), 3);
            EXPECT_EQ(count(reel, WheelTypeCoin), 1);
            EXPECT_EQ(count(reel, WheelTypeSuperJoker), reel == 3 ? 1 : 0);
            EXPECT_EQ(count(reel, WheelTypeMultiplier), 0);
        }
        EXPECT_EQ(count(1, WheelTypeFreeSpin), row.freeSpinSquares) << "spin " << row.spin;
        EXPECT_EQ(count(5, WheelTypeFreeSpin), row.freeSpinSquares) << "spin " << row.spin;
        EXPECT_EQ(devils(2), row.devilsOn2) << "spin " << row.spin;
        EXPECT_EQ(devils(4), row.devilsOn4) << "spin " << row.spin;
        EXPECT_EQ(devils(1) + devils(3) + devils(5), 0) << "spin " << row.spin;
        EXPECT_EQ(reels->GetWheelView(2)->GetTotalSquares(), 19 + devils(2));
    }

    // Four free spins held: none more on offer, whatever the spin.
    logic->SetSpinCount(5);
    logic->SetFreeSpins(4, 0);
    spin->GenerateWheels();
    EXPECT_EQ(count(1, WheelTypeFreeSpin), 0);
    logic->SetFreeSpins(0, 0);

    // Devil protection held: the cherub always comes with the devil, and no
    // protection is offered; the level's options add their squares.
    logic->wheelDevilProtection = logic->wheelWoppleVision = logic->wheelMultipliers = true;
    logic->SetDevilProtection(true);
    for (int i = 0; i < 20; ++i) {
        spin->GenerateWheels();
        ASSERT_EQ(count(2, WheelTypeDevil), 0);
        ASSERT_EQ(count(2, WheelTypeDevilCherub), 1);
    }
    EXPECT_EQ(count(1, WheelTypeCherub), 0);
    EXPECT_EQ(count(2, WheelTypeWoppleVision), 1);
    EXPECT_EQ(count(3, WheelTypeWoppleVision), 0);
    for (int reel = 1; reel <= 5; ++reel)
        EXPECT_EQ(count(reel, WheelTypeMultiplier), 1);
    logic->SetDevilProtection(false);
    spin->GenerateWheels();
    EXPECT_EQ(count(1, WheelTypeCherub), 1);
    EXPECT_EQ(count(5, WheelTypeCherub), 1);
    logic->SetSpinCount(20);
    spin->GenerateWheels();
    EXPECT_EQ(count(1, WheelTypeCherub) + count(2, WheelTypeWoppleVision) + count(1, WheelTypeFreeSpin), 0);

    // Once the devils' limit is reached reels 2 and 4 carry two coins and no
    // devil; the devil cherub keeps what it had, since nothing sets it.
    logic->SetSpinCount(5);
    logic->SetDevilProtection(true);
    spin->GenerateWheels();
    logic->SetDevilTally(true, 0);
    spin->GenerateWheels();
    EXPECT_EQ(count(2, WheelTypeCoin), 2);
    EXPECT_EQ(count(2, WheelTypeDevil), 0);
    EXPECT_EQ(count(2, WheelTypeDevilCherub), 1);

    // The developer's joker test: a joker and nothing else.
    logic->SetJokerTest(true);
    spin->GenerateWheels();
    for (int reel = 1; reel <= 5; ++reel)
        EXPECT_EQ(reels->GetWheelView(reel)->GetTotalSquares(), 1) << "reel " << reel;
    logic->SetJokerTest(false);

    // The setting for testing super jokers makes the middle reel of ten of them.
    app->ApplyBoolProperty("alwaysGetSuperJoker", true);
    spin->GenerateWheels();
    EXPECT_EQ(count(3, WheelTypeSuperJoker), 10);
    EXPECT_EQ(count(3, WheelTypeNumber) + count(3, WheelTypeJoker) + count(3, WheelTypeCoin), 0);
    app->ApplyBoolProperty("alwaysGetSuperJoker", false);
}

TEST_F(OldSchoolTurnTest, DevilsComeTwiceInFiveWhileTheyMayStillTakePoints)
{
    std::srand(11);
    StartRound("{ levelNumber = 9 }");
    std::unique_ptr<State> owned(OldSchoolStates::CreateSpinState(*logic, "SpinWheel"));
    auto* spin = static_cast<OldSchoolStates::SpinWheel*>(owned.get());
    WoppleWheelView* second = logic->GetWheelsView()->GetWheelView(2);
    logic->SetSpinCount(5);
    int devils = 0;
    for (int i = 0; i < 1000; ++i) {
        spin->GenerateWheels();
        devils += second->GetNumberOfTypedSquares(WheelTypeDevil);
    }
    EXPECT_NEAR(devils, 400, 60);

    // Two devils that took points: only the cherub comes now.
    logic->SetDevilTally(false, 2);
    for (int i = 0; i < 50; ++i) {
        spin->GenerateWheels();
        ASSERT_EQ(second->GetNumberOfTypedSquares(WheelTypeDevil), 0);
    }
}

TEST_F(OldSchoolTurnTest, TheWalkthroughForcesTheFirstSpinsOncePerPlayer)
{
    StartRound("{ levelNumber = 1 }");
    std::unique_ptr<State> owned(OldSchoolStates::CreateSpinState(*logic, "SpinWheel"));
    auto* spin = static_cast<OldSchoolStates::SpinWheel*>(owned.get());
    WoppleWheelSetView* reels = logic->GetWheelsView();
    WoppleBoardView* board = logic->GetBoardView(1);
    logic->SetSpinCount(1);
    spin->GenerateWheels();
    EXPECT_TRUE(screen->IsTipShown("GameState", "Spin_1_1"));
    EXPECT_EQ(reels->GetWheelView(1)->GetResultNumber(), board->GetCellView(1, 3)->number);
    EXPECT_EQ(reels->GetWheelView(3)->GetResultNumber(), board->GetCellView(3, 3)->number);
    EXPECT_EQ(reels->GetWheelView(4)->GetResultNumber(), board->GetCellView(4, 2)->number);
    for (int reel : {2, 5}) {
        const int miss = reels->GetWheelView(reel)->GetResultNumber();
        EXPECT_GE(miss, 15 * reel - 14);
        EXPECT_LE(miss, 15 * reel);
        for (int r = 1; r <= 5; ++r)
            EXPECT_NE(board->GetCellView(reel, r)->number, miss) << "reel " << reel;
    }
    // Spin 3 lands a joker in the middle.
    logic->SetSpinCount(3);
    spin->GenerateWheels();
    EXPECT_EQ(reels->GetWheelView(3)->GetResultType(), WheelTypeJoker);

    // Under the developer's joker test the reels carry no numbers to force.
    for (int reel = 1; reel <= 5; ++reel)
        reels->GetWheelView(reel)->SetResult(WheelTypeBlank, 0);
    logic->SetJokerTest(true);
    logic->SetSpinCount(4);
    spin->GenerateWheels();
    EXPECT_TRUE(screen->IsTipShown("GameState", "Spin_1_4"));
    EXPECT_EQ(reels->GetWheelView(1)->GetResultType(), WheelTypeBlank);
    logic->SetJokerTest(false);

    // Seen once: the same spin lands anywhere.
    for (int reel = 1; reel <= 5; ++reel)
        reels->GetWheelView(reel)->SetResult(WheelTypeBlank, 0);
    logic->SetSpinCount(1);
    spin->GenerateWheels();
    for (int reel = 1; reel <= 5; ++reel)
        EXPECT_EQ(reels->GetWheelView(reel)->GetResultType(), WheelTypeBlank) << "reel " << reel;

    // A miss skips every number the column holds, rescanning from the top.
    for (int r = 1; r <= 5; ++r)
        board->GetCellView(2, r)->number = 16 + (5 - r);  // 20, 19, 18, 17, 16 down the column
    logic->SetMissNumberResult(2);
    EXPECT_EQ(reels->GetWheelView(2)->GetResultNumber(), 21);
}

// ---------------------------------------------------------------- the countdown

TEST_F(OldSchoolTurnTest, TheCountdownBeepsItsLastSixSecondsAndTellsTheParticipantAtZero)
{
    const char* const beeps[] = {"", "Beep02.ogg", "Beep01.ogg", "beep24.ogg", "Beep01.ogg",
                                 "beep24.ogg", "Beep01.ogg", "", "", ""};
    for (int s = 0; s < 10; ++s)
        EXPECT_STREQ(WoppleOldSchoolBaseLogic::CountdownBeep(s), beeps[s]) << s;

    StartRound();
    Park();
    logic->RequestOfParticipant("WaitForMatch");
    const std::size_t from = LogText().size();
    logic->SetCountdown(3);
    logic->StartCountdown();
    const std::uint32_t timer = logic->GetCountdownTimerID();
    ASSERT_NE(timer, 0u);
    // Another timer's signal is not the countdown's.
    EXPECT_FALSE(logic->OnTimer(MakeEventRecord(VELK_TIMER, 0, reinterpret_cast<void*>(std::uintptr_t{timer + 1000}))));
    EXPECT_EQ(logic->GetCountdown(), 3);

    // A second is 32 passes of the main loop.
    Passes(40);
    EXPECT_EQ(logic->GetCountdown(), 2);
    Passes(40);
    EXPECT_EQ(logic->GetCountdown(), 1);
    EXPECT_TRUE(logic->IsCountdownRunning());
    auto& seen = logic->Participant()->seen;
    seen.clear();
    Passes(40);
    EXPECT_EQ(logic->GetCountdown(), 0);
    EXPECT_FALSE(logic->IsCountdownRunning());
    EXPECT_EQ(std::count(seen.begin(), seen.end(), int(WOPPLE_COUNTDOWNFINISHED)), 1);
    EXPECT_EQ(CountLines("Game sound: Beep01.ogg", from), 1);
    EXPECT_EQ(CountLines("Game sound: Beep02.ogg", from), 1);
    EXPECT_EQ(CountLines("Game sound: beep24.ogg", from), 0);
    Passes(40);
    EXPECT_EQ(logic->GetCountdown(), 0);  // not re-armed
}

// ---------------------------------------------------------------- the matches

TEST_F(OldSchoolTurnTest, AClickedCellIsMatchedOnlyWhenItsReelServesIt)
{
    StartRound();
    WoppleBoardView* board = logic->GetBoardView(1);
    const int n1 = board->GetCellView(1, 2)->number;
    // Reel 2 shows a number not on the board, reel 3 a joker.
    logic->SetMissNumberResult(2);
    const int miss = logic->GetWheelsView()->GetWheelView(2)->GetResultNumber();
    LandReelsAndWaitForMatch({n1, miss, -WheelTypeJoker, -WheelTypeCoin, -WheelTypeCoin});
    ASSERT_EQ(logic->GetStateName(), "WaitForMatch");
    EXPECT_EQ(PartState(), "WaitForMatch");
    EXPECT_TRUE(logic->IsCountdownRunning());
    EXPECT_EQ(board->GetCellView(1, 2)->GetCellType(), "SelectableAndClickableNumber");
    EXPECT_EQ(board->GetCellView(1, 1)->GetCellType(), "ClickableNumber");
    for (int r = 1; r <= 5; ++r) {
        EXPECT_EQ(board->GetCellView(2, r)->GetCellType(), "ClickableNumber");
        EXPECT_EQ(board->GetCellView(3, r)->GetCellType(), "SelectableAndClickableNumber");
    }

    // A cell that says it is selectable but is not, and one that says it is not: a bonk.
    const std::size_t from = LogText().size();
    ClickCell(1, 1, 1, true);
    ClickCell(1, 3, 1, false);
    EXPECT_EQ(CountLines("Game sound: C_bonk.ogg", from), 2);
    EXPECT_EQ(logic->GetStateName(), "WaitForMatch");
    EXPECT_EQ(logic->GetScore(0), 0);

    // The numbered cell: matched, its reel spent on the board, 200 points; a
    // pass later the loop is back waiting, the countdown going on.
    ClickCell(1, 1, 2);
    EXPECT_EQ(logic->GetStateName(), "ProcessMatch");
    EXPECT_EQ(PartState(), "Idle");
    WoppleCellView* cell = board->GetCellView(1, 2);
    EXPECT_EQ(cell->GetCellType(), "Selected");
    EXPECT_TRUE(logic->GetBoardRecords()[1].usedColumns[1]);
    EXPECT_EQ(logic->GetScore(0), 200);
    Pass();
    EXPECT_EQ(logic->GetStateName(), "WaitForMatch");
    EXPECT_EQ(PartState(), "WaitForMatch");

    // The joker serves one cell of its column; then nothing is left to match.
    ClickCell(1, 3, -1);
    Pass();
    EXPECT_EQ(board->GetCellView(3, 5)->GetCellType(), "Selected");
    EXPECT_EQ(logic->GetScore(0), 400);
    EXPECT_EQ(board->GetCellView(3, 1)->GetCellType(), "ClickableNumber");
    EXPECT_FALSE(logic->IsCountdownRunning());
    // Without a scoring logic there is nothing to wait for: on to the next spin.
    EXPECT_EQ(logic->GetSpinCount(), 3);
    EXPECT_EQ(logic->GetStateName(), "WaitForSpin");
}

TEST_F(OldSchoolTurnTest, ACellsCoinSecretOrMultiplierShowsOnItAndCountsIntoTheMatch)
{
    StartRound();
    WoppleBoardView* board = logic->GetBoardView(1);
    board->GetCellView(1, 1)->ruleCode = HIDDEN_COIN;
    board->GetCellView(2, 1)->ruleCode = HIDDEN_SECRET_SQUARE;
    board->GetCellView(3, 1)->ruleCode = HIDDEN_MULTIPLIER;
    board->GetCellView(3, 1)->multiplier = 3;
    LandReelsAndWaitForMatch({-WheelTypeJoker, -WheelTypeJoker, -WheelTypeJoker, -WheelTypeCoin, -WheelTypeCoin});
    const struct
    {
        int column;
        std::int64_t score;
        const char* contents;
    } cases[] = {
        {1, 1200, ""},            // 200 + the coin's 1000
        {2, 1200 + 2100, "Key"},  // 200 + 100 for each spin left at spin 2, this one included
        {3, 1200 + 2100 + 600, ""},  // the cell's own x3 counts at once
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.column);
        ClickCell(1, c.column, 1);
        Pass();
        EXPECT_EQ(logic->GetScore(0), c.score);
        Actor* contents = board->GetCellView(c.column, 1)->contents;
        ASSERT_NE(contents, nullptr);
        if (*c.contents) {
            EXPECT_EQ(contents->GetName(), c.contents);
        }
    }
    EXPECT_TRUE(logic->GetParticipants()[0].secretFound);
    EXPECT_NE(board->GetCellView(3, 1)->contents->FindChild("multiplierFlash", true), nullptr);
    // A plain cell shows nothing new.
    EXPECT_EQ(board->GetCellView(4, 1)->contents, nullptr);
}

TEST_F(OldSchoolTurnTest, TheParticipantsAnswersInTheMatchLoop)
{
    StartRound();
    const std::size_t from = LogText().size();
    LandReelsAndWaitForMatch({-WheelTypeJoker, -WheelTypeCoin, -WheelTypeCoin, -WheelTypeCoin, -WheelTypeCoin});
    ASSERT_EQ(logic->GetStateName(), "WaitForMatch");
    ExpectAssertion([&] { Signal("WaitForSpin", "start spin"); }, "motive == \"WaitForMatch\"");
    ExpectAssertion([&] { Signal("WaitForMatch", "cell clicked"); }, "cellSelectionData.IsTable()");
    ExpectAssertion([&] { Signal("WaitForMatch", "wave"); }, "Unknown action=\"wave\", motive=\"WaitForMatch\"");

    // The cell events go to the participant, which must be waiting for a match.
    auto& seen = logic->Participant()->seen;
    seen.clear();
    auto payload = std::make_shared<LuaObject>(
        WoppleCellView::BuildCellClickEventData(app->GetLuaState(), 1, 1, 1, true));
    SendNewEvent(WOPPLE_CELLENTER, logic.get(), logic->GetBoardView(1), payload);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), int(WOPPLE_CELLENTER)), 2);  // its own turn, then the state's
    Signal("WaitForMatch", "cell entered", *payload);
    EXPECT_TRUE(logic->GetWheelsView()->GetWheelView(1)->GetWheelHilite()->IsVisible());
    Signal("WaitForMatch", "cell left", *payload);
    EXPECT_FALSE(logic->GetWheelsView()->GetWheelView(1)->GetWheelHilite()->IsVisible());

    // Time runs out before any match: no matches this spin.
    Signal("WaitForMatch", "timer expired");
    EXPECT_EQ(logic->GetSpinCount(), 3);
    EXPECT_EQ(CountLines("SetState: NoMatches", from), 1);
    EXPECT_FALSE(logic->GetBoardView(1)->GetCellView(1, 1)->isCellButtonEnabled);

    Park();
    LandReelsAndWaitForMatch({-WheelTypeJoker, -WheelTypeJoker, -WheelTypeCoin, -WheelTypeCoin, -WheelTypeCoin});
    ClickCell(1, 1, 1);
    Pass();
    ASSERT_EQ(logic->GetStateName(), "WaitForMatch");
    logic->Participant()->SetState("Idle");
    ExpectAssertion([&] { SendNewEvent(WOPPLE_CELLCLICK, logic.get(), logic->GetBoardView(1), payload); },
                    "partLogic->GetStateName() == \"WaitForMatch\"");
    logic->Participant()->SetState("WaitForMatch");
    Signal("WaitForMatch", "timer expired");
    EXPECT_EQ(CountLines("SetState: NoMatches", from), 1);  // one match made: straight to the scoring's end
}

TEST_F(OldSchoolTurnTest, FiveMatchesInOneSpinOnTheOnlyBoardAreAGreatTurn)
{
    StartRound();
    const std::size_t from = LogText().size();
    LandReelsAndWaitForMatch({-WheelTypeJoker, -WheelTypeJoker, -WheelTypeJoker, -WheelTypeJoker, -WheelTypeJoker});
    for (int c = 1; c <= 5; ++c) {
        ASSERT_EQ(logic->GetStateName(), "WaitForMatch") << c;
        EXPECT_EQ(CountLines("Game sound: claps.ogg", from), 0);
        ClickCell(1, c, c);
        Pass();
    }
    EXPECT_EQ(CountLines("Game sound: claps.ogg", from), 1);
    EXPECT_EQ(logic->GetScore(0), 1000);
}

TEST_F(OldSchoolTurnTest, TheSpinWaitsForTheScoringToEmptyItsQueue)
{
    StartRound();
    Park();
    logic->SetSpinCount(4);
    logic->scoringIdle = false;
    logic->SetState("WaitForOutputCompletion");
    Passes(5);
    EXPECT_EQ(logic->GetStateName(), "WaitForOutputCompletion");
    EXPECT_TRUE(logic->GetWheelsView()->GetWheelView(1)->GetGrayTint()->IsVisible());
    SendNewEvent(WOPPLE_MATCHQUEUEEMPTY, logic.get(), logic.get(), nullptr);
    EXPECT_EQ(logic->GetSpinCount(), 5);
    EXPECT_EQ(logic->GetStateName(), "WaitForSpin");
}

TEST_F(OldSchoolTurnTest, TheMusicQuickensWithTheSpinsAndUnderVision)
{
    StartRound();
    const struct
    {
        int spin;
        int vision;
        double tempo;
    } cases[] = {{1, 0, 1.0}, {2, 0, 1.005}, {20, 0, 1.095}, {20, 3, 1.145}};
    for (const auto& c : cases) {
        logic->SetSpinCount(c.spin);
        logic->SetWoppleVision(c.vision, false);
        EXPECT_NEAR(logic->GetMusicTempo(), c.tempo, 1e-9) << "spin " << c.spin;
    }
}

// ---------------------------------------------------------------- a whole round

TEST_F(OldSchoolTurnTest, TwentySpinsOfAClassicRound)
{
    // The spin cycle and the matches alone: what the reels' bonus symbols
    // bring is for the bonus reels' own tests.
    plainReels = true;
    std::srand(2026);
    StartRound();
    logic->scoringIdle.reset();
    const std::size_t from = LogText().size();
    Button* lever = logic->GetCocoDropButton();
    Pass();
    lever->ManuallyPressButton();
    lever->ManuallyReleaseButton();
    Pass();

    std::vector<int> matches(21, 0);
    // What each spin's jokers paid, noted once its reels have stopped.
    std::vector<std::int64_t> jokerBonus(21, -1);
    std::vector<std::string> prompts;
    struct Click
    {
        int spin, column, row;
    };
    std::vector<Click> clicks;
    // Spin 18 is paid with a free spin, spin 19 is bought after the goal is
    // met, spin 20 bought too.
    const auto answer = [&] {
        const std::string part = PartState();
        prompts.push_back(std::to_string(logic->GetSpinCount()) + ":" + part);
        if (part == "PromptForFreeSpin")
            Signal("PromptForFreeSpin", "use free spin");
        else
            Signal("PromptForBuy", "buy spin");
    };
    int lastSpin = 0;
    // One match a spin, then the participant lets the time run out, so that
    // the board is not full before the last spin.
    for (int i = 0; i < 6000 && logic->GetStateName() != "EndGameTransition"; ++i) {
        const int spinNow = logic->GetSpinCount();
        if (spinNow != lastSpin) {
            // The previous spin is over; the next one's reels have not turned yet.
            matches[lastSpin] = logic->matchesThisSpin;
            lastSpin = spinNow;
            if (spinNow == 17)
                logic->SetFreeSpins(1, 0);
            if (spinNow == 18)
                logic->goalMet = true;
        }
        const std::string state = logic->GetStateName();
        const std::string part = PartState();
        const bool waitsForCell =
            (state == "WaitForMatch" || state == "WaitForSuperJokerMatch" || state == "WaitForCellJokerMatch") &&
            part == state;
        if (waitsForCell && jokerBonus[spinNow] < 0)
            jokerBonus[spinNow] = OldSchoolStates::JokerBonusFor(logic->GetWheelsView()->CountAllJokers());
        int column = 0, row = 0;
        if (state == "WaitForSpin" && part == "WaitForSpin")
            Signal("WaitForSpin", "start spin");
        else if (part.rfind("PromptFor", 0) == 0)
            answer();
        else if (waitsForCell && logic->matchesThisSpin > 0)
            Signal(state, "timer expired");
        else if (waitsForCell && FindOpenCell(column, row)) {
            clicks.push_back({logic->GetSpinCount(), column, row});
            ClickCell(1, column, row, true, state);
        }
        else
            Pass();
    }
    ASSERT_EQ(logic->GetStateName(), "EndGameTransition");
    ASSERT_EQ(logic->GetSpinCount(), 20);
    matches[20] = logic->matchesThisSpin;
    // The round ends only once the last spin's lines are scored.
    EXPECT_TRUE(logic->IsScoringIdle());

    // Spin 17 was bought without a question (the goal not yet met), spin 18
    // took the free spin it was offered, 19 and 20 were offered a cash-out.
    EXPECT_EQ(prompts, (std::vector<std::string>{"18:PromptForFreeSpin", "19:PromptForBuyWithCashOut",
                                                 "20:PromptForBuyWithCashOut"}));
    EXPECT_EQ(logic->GetFreeSpins(0), 0);
    // 200 a match, and the k lines a match completes 1000 x (2^k - 1); spins
    // 17, 19 and 20 cost 10, 30 and 40 % of the score before them.
    bool matched[6][6] = {};
    std::vector<std::int64_t> linePoints(21, 0);
    for (const Click& c : clicks) {
        matched[c.column][c.row] = true;
        const auto full = [&](auto at) {
            for (int i = 1; i <= 5; ++i)
                if (!at(i))
                    return false;
            return true;
        };
        int k = full([&](int i) { return matched[i][c.row]; }) + full([&](int i) { return matched[c.column][i]; });
        if (c.column == c.row)
            k += full([&](int i) { return matched[i][i]; });
        if (c.column + c.row == 6)
            k += full([&](int i) { return matched[6 - i][i]; });
        linePoints[c.spin] += 1000 * ((std::int64_t{1} << k) - 1);
    }
    std::int64_t expected = 0;
    for (int s = 1; s <= 20; ++s) {
        if (s == 17 || s == 19 || s == 20)
            expected -= expected * (s - 16) * 10 / 100;
        expected += 200 * matches[s] + linePoints[s] + std::max<std::int64_t>(jokerBonus[s], 0);
    }
    EXPECT_GT(std::count_if(linePoints.begin(), linePoints.end(), [](std::int64_t p) { return p > 0; }), 0)
        << "the round completes lines";
    EXPECT_EQ(logic->GetScore(0), expected);
    EXPECT_EQ(CountLines("SetState: SpinWheel", from), 20);
    EXPECT_EQ(CountLines("SetState: DeductSpinPoints", from), 3);
    EXPECT_EQ(CountLines("Level music loop: Wopple Theme Part 1", from), 1);
    EXPECT_EQ(CountLines("Level music loop: Wopple Theme Break", from), 4);  // spin 17, and three prompts
    // The walkthrough of the classic game lands its first spin on the board.
    EXPECT_EQ(matches[1], 1);
    EXPECT_GT(std::count(matches.begin(), matches.end(), 1), 5);
}

} // namespace
