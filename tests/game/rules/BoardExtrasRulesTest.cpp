// The board extras in a round: the frogs hop while the reels spin and pay
// when a match lands on one, the bonus timer adds its bonus to quick matches,
// and a completed line opens its treasure box for the line's own points.

#include "RulesTestSupport.h"
#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"
#include "engine/runtime/GameDataIO.h"
#include "game/rules/WoppleClassicGameLogic.h"
#include "game/rules/WoppleInfo.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleBonusSquares.h"
#include "game/views/WoppleBonusTimer.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WopplePowerupView.h"
#include "game/views/WoppleTreasureBox.h"
#include "game/views/WoppleWheelSetView.h"
#include "game/views/WoppleWheelView.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using namespace rulestest;

namespace {

class ExtrasLogic : public WoppleClassicGameLogic
{
public:
    WoppleParticipantLogic* CreateParticipantLogic(int) override { return new StandInParticipant; }
    bool IsScoringIdle() const override { return true; }
    StandInParticipant* Participant() const { return static_cast<StandInParticipant*>(GetParticipantLogic()); }
    void SetWoppleCounter(int k) { m_WoppleCounter = k; }
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
    "  WoppleBonusTimer = { resource = 'WoppleBonusTimerDefaults', position = { 660, 380 } },\n"
    "  treasureBoxManager = { resource = 'TreasureBoxManagerDefaults' },\n"
    "  butterflyBox = { class = 'Actor', position = { 700, 90 } },\n"
    "} }";

class BoardExtrasRulesTest : public RoundFixture<ExtrasLogic>
{
protected:
    void SetUp() override
    {
        StartGame();
        std::srand(3);
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

    void StartRound(const std::string& level)
    {
        screen->MarkTipShown("ClassicGame", "levelIntroDialog");
        logic = std::make_unique<ExtrasLogic>();
        logic->SetTargetScreen(screen);
        screen->logic = logic.get();
        logic->ApplyProperties(Eval(level));
        logic->CreateRootActor();
        logic->Start();
        for (int i = 0; i < 300 && logic->GetStateName() != "WaitingForGameStart"; ++i)
            Pass();
        ASSERT_EQ(logic->GetStateName(), "WaitingForGameStart");
    }

    // Jokers on every reel, and the logic waiting for matches on spin 2.
    void JokersAndWaitForMatch()
    {
        logic->SetSpinCount(2);
        WoppleWheelSetView* reels = logic->GetWheelsView();
        for (int i = 1; i <= 5; ++i) {
            WoppleWheelView* wheel = reels->GetWheelView(i);
            wheel->SetNumberOfTypedSquares(WheelTypeJoker, 3);
            wheel->BuildStrip();
            wheel->SetResult(WheelTypeJoker, 0);
            wheel->Spin();
        }
        Passes(200);
        logic->matchesThisSpin = 0;
        logic->SetState("WaitForMatch");
    }

    void ClickCell(int column, int row)
    {
        auto payload = std::make_shared<LuaObject>();
        payload->AssignNewTable(app->GetLuaState());
        payload->SetString("motive", "WaitForMatch");
        payload->SetString("action", "cell clicked");
        payload->SetObject("cellSelectionData",
                           WoppleCellView::BuildCellClickEventData(app->GetLuaState(), 1, column, row, true));
        SendNewEvent(WOPPLE_PARTICIPANTACTION, logic.get(), logic->Participant(), payload);
    }

};

TEST_F(BoardExtrasRulesTest, FrogsHopWhileTheReelsSpinAndAMatchOnOnePaysAndTakesItAway)
{
    StartRound("{ bonusSquares = { resource = 'BonusSquaresDefaults', numSquares = 2 }, allSpinsFree = true }");
    WoppleBonusSquares* frogs = logic->GetBonusSquares(1);
    ASSERT_NE(frogs, nullptr);
    EXPECT_EQ(frogs->boardView, logic->GetBoardView(1));
    EXPECT_EQ(frogs->GetLayer(), 7);

    logic->RearrangeBonusSquares(true);
    Passes(3);
    ASSERT_EQ(frogs->GetSquareCount(), 2u);
    logic->RearrangeBonusSquares(false);
    const auto cells = frogs->GetSelectedSquares();
    Passes(20);
    EXPECT_EQ(frogs->GetSelectedSquares(), cells);

    JokersAndWaitForMatch();
    ClickCell(cells[0].x, cells[0].y);
    EXPECT_EQ(logic->GetScore(0), 200 + 5000);
    EXPECT_FALSE(frogs->IsSquareAtPosition(cells[0].x, cells[0].y));
    EXPECT_EQ(frogs->GetNumSquares(), 1);
    // A match beside the last frog, in another reel's column, pays only the match.
    Passes(3);
    const int column = cells[0].x == 1 ? 2 : 1;
    const int row = cells[1] == WoppleBonusSquares::Cell(column, 1) ? 2 : 1;
    ClickCell(column, row);
    EXPECT_EQ(logic->GetScore(0), 200 + 5000 + 200);
    EXPECT_TRUE(frogs->IsSquareAtPosition(cells[1].x, cells[1].y));
}

TEST_F(BoardExtrasRulesTest, TheSecondQuickMatchEarnsTheTimersBonusAndScoringPausesItsClock)
{
    StartRound("{ enableBonusTimer = true }");
    WoppleBonusTimer* timer = logic->GetBonusTimerView();
    ASSERT_NE(timer, nullptr);
    JokersAndWaitForMatch();
    ClickCell(1, 1);
    EXPECT_EQ(timer->GetStateName(), "WaitingToActivate");
    EXPECT_EQ(logic->GetScore(0), 200);
    Passes(3);
    ClickCell(2, 1);
    EXPECT_EQ(timer->GetStateName(), "Active");
    EXPECT_TRUE(timer->IsPaused()) << "paused while the match is scored";
    EXPECT_EQ(logic->GetScore(0), 200 + 200 + 100);
    EXPECT_EQ(logic->GetBonusTimerLevel(), 1);
    Passes(3);
    EXPECT_FALSE(timer->IsPaused()) << "running again while the player looks for the next";
}

TEST_F(BoardExtrasRulesTest, ALevelWithoutTheTimerFindsNoneOnItsScreen)
{
    StartRound("{}");
    EXPECT_EQ(logic->GetBonusTimerView(), nullptr);
    EXPECT_EQ(logic->GetBonusTimerLevel(), 0);
    EXPECT_EQ(logic->GetBonusSquares(1), nullptr);
}

TEST_F(BoardExtrasRulesTest, ACompletedLineOpensItsBoxForTheLinesOwnPoints)
{
    StartRound("{ treasureBoxManagerDetails = { boxSpecifics = IncludeBoxes{ 'row 3' } } }");
    auto* boxes = dynamic_cast<WoppleTreasureBoxManager*>(logic->GetTreasureBoxManager());
    ASSERT_NE(boxes, nullptr);
    EXPECT_EQ(boxes->GetNumBoards(), 1);
    WoppleLineInfo row3;
    row3.boardView = logic->GetBoardView(1);
    row3.kind = 1;
    row3.column = 2;
    row3.row = 3;
    WoppleLineInfo row2 = row3;
    row2.row = 2;
    EXPECT_FALSE(logic->IsButterflyBoxVisible(row3)) << "hidden until the level shows it";
    ASSERT_TRUE(boxes->SetBoxVisible(1, 5, true));
    EXPECT_TRUE(logic->IsButterflyBoxVisible(row3));
    EXPECT_FALSE(logic->IsButterflyBoxVisible(row2));

    logic->SetWoppleCounter(3);
    logic->ShowScoreGainEffect(row3);
    EXPECT_FALSE(boxes->GetTreasureBox(1, 5)->IsVisible());
    EXPECT_FALSE(logic->IsButterflyBoxVisible(row3));
    Passes(6);
    EXPECT_EQ(logic->TakeTreasureBoxReward(), 2000);
    EXPECT_EQ(logic->TakeTreasureBoxReward(), 0);

    // A new level closes every box and empties the jar.
    logic->GetRootActor()->FindChild("butterflyBox", true)->AddChild(new Actor());
    boxes->SetBoxVisible(1, 5, true);
    logic->CloseTreasureBoxes();
    EXPECT_FALSE(boxes->GetTreasureBox(1, 5)->IsVisible());
    Pass();
    EXPECT_EQ(logic->GetRootActor()->FindChild("butterflyBox", true)->GetNumChildren(), 0u);
}

} // namespace
