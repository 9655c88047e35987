// The scoring logic on a real Classic round, headless: cells are matched by
// hand and queued, passes are stepped until the scoring logic is idle again.

#include "RulesTestSupport.h"

#include "engine/core/Class.h"
#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ImageTestSupport.h"
#include "engine/ui/Actor.h"
#include "game/views/WoppleAnimation.h"
#include "engine/runtime/Utility.h"
#include "game/rules/OutputStates.h"
#include "game/rules/WoppleClassicGameLogic.h"
#include "game/rules/WoppleLevelSetup.h"
#include "game/rules/WoppleOutputBaseLogic.h"
#include "game/shell/WoppleScreen.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WopplePowerupView.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>
#include <vector>

using namespace rulestest;

namespace {

// A Classic logic whose row lines end at a butterfly box; the box opens at once.
class ButterflyLogic : public WoppleClassicGameLogic
{
public:
    bool IsButterflyBoxVisible(const WoppleLineInfo& line) override { return line.kind == boxKind; }
    void ShowScoreGainEffect(const WoppleLineInfo& line) override
    {
        WoppleClassicGameLogic::ShowScoreGainEffect(line);
        ++opened;
        PostNewEvent(WOPPLE_TREASUREBOXANIMATIONFINISHED, this, this, nullptr);
    }
    // A stand-in for the boards of a multi-board mode: the count only.
    int GetNumBoards() const override { return boards; }
    int boards = 1;
    // A second board below the first, its top row linked to the first's bottom row.
    WoppleBoardView* AddLinkedBoardBelow()
    {
        auto* second = dynamic_cast<WoppleBoardView*>(
            ClassManager::GetInstance()->InstantiateObjectFromResource("WoppleSingleBoardResourceSet"));
        second->boardIndex = 2;
        GetRootActor()->AddChild(second);
        m_BoardViews.push_back(second);
        WoppleBoardView* first = m_BoardViews[1];
        for (int c = 1; c <= 5; ++c) {
            first->GetCellView(c, 5)->neighbours[CELL_SOUTH] = second->GetCellView(c, 1);
            second->GetCellView(c, 1)->neighbours[CELL_NORTH] = first->GetCellView(c, 5);
        }
        boards = 2;
        return second;
    }
    // The kind of line that ends at a box; 0 for none.
    int boxKind = 0;
    int opened = 0;
};

class OutputLogicTest : public RoundFixture<ButterflyLogic>
{
protected:
    void SetUp() override
    {
        StartGame();
        Lua(std::string(kStillCharacters) +
            "Scripts.DisplayLevelActors = wait\n"
            "Resources.WoppleClassicScreenLayout = Resources.Object:new{ children = {\n"
            "  BubbleLayer = { class = 'Actor', layer = 999 },\n"
            "  theBoard = { class = 'WoppleBoardView', resource = 'WoppleSingleBoardResourceSet', position = { 230, 120 } },\n"
            "  woppleWheels = { class = 'WoppleWheelSetView', resource = 'WoppleWheels', position = { 230, 10 } },\n"
            "  cocoDropButton = { class = 'CocoDropButton', resource = 'CocoDropButtonDefaults', position = { 640, 300 } },\n"
            "  cherubGirl = { class = 'WoppleCharacter', resource = 'CherubGirlCharacter', position = { 20, 300 } },\n"
            "  cherubBucketGuy = { class = 'WoppleCharacter', resource = 'GuyCherubCharacter', visible = false },\n"
            "  wopplePowerupView_0 = { class = 'WopplePowerupView', resource = 'WopplePowerupView', position = { 20, 60 } },\n"
            "  timerBox = { class = 'Actor', children = { timerLabel = { class = 'Label' } } },\n"
            "  quitButton = { class = 'Actor' },\n"
            "} }");
        ShowGameScreen();
        screen->MarkTipShown("ClassicGame", "levelIntroDialog");
        logic = std::make_unique<ButterflyLogic>();
        logic->SetTargetScreen(screen);
        screen->logic = logic.get();
        try {
            logic->CreateRootActor();
            logic->Start();
        } catch (const Exception& e) {
            FAIL() << e.GetMessage();
        }
        logic->SetCurrentParticipant(0);
        board = logic->GetBoardView(1);
        ASSERT_NE(board, nullptr);
        output = logic->GetScoringLogic();
        ASSERT_NE(output, nullptr);
        Pass();
    }

    // Rows as text, 'X' matched; every other cell open.
    void Mark(const std::vector<std::string>& rows)
    {
        for (int r = 1; r <= 5; ++r)
            for (int c = 1; c <= 5; ++c) {
                WoppleCellView* cell = board->GetCellView(c, r);
                cell->SetCellType(rows[r - 1][c - 1] == 'X' ? "Selected" : "ClickableNumber");
                cell->ruleFlag = false;
            }
    }

    // As the match states do: matched, pending, queued.
    void Match(int column, int row)
    {
        WoppleCellView* cell = board->GetCellView(column, row);
        cell->SetCellType("Selected");
        cell->ruleFlag = true;
        logic->SetChosenCell(cell);
        output->QueueMatch(cell);
    }

    void RunUntilIdle(int limit = 400)
    {
        Pass();
        for (int i = 0; i < limit && !output->IsIdle(); ++i)
            Pass();
        ASSERT_TRUE(output->IsIdle()) << output->GetStateName();
    }

    void RunUntil(const std::string& state, int limit = 100)
    {
        for (int i = 0; i < limit && output->GetStateName() != state; ++i)
            Pass();
        ASSERT_EQ(output->GetStateName(), state);
    }

    // An open board with one bonus cell at (3,3), matched and queued.
    WoppleCellView* MatchBonusCell(int kind)
    {
        Mark({".....", ".....", ".....", ".....", "....."});
        WoppleCellView* cell = board->GetCellView(3, 3);
        cell->SetContents(nullptr);
        cell->ruleCode = kind;
        Match(3, 3);
        return cell;
    }

    std::vector<int> KindsInProcessingOrder()
    {
        std::vector<int> kinds;
        if (auto* state = dynamic_cast<OutputStates::ProcessWopples*>(output->GetState()))
            for (const WoppleLineInfo& line : state->GetWopples())
                kinds.push_back(line.kind);
        return kinds;
    }

    std::int64_t Score() const { return logic->GetScore(0); }

    WoppleBoardView* board = nullptr;
    WoppleOutputBaseLogic* output = nullptr;
};

TEST_F(OutputLogicTest, LinesOfOneMatchDoubleInValueAndTheQueueEmptiesOnce)
{
    EXPECT_EQ(output->GetStateName(), "WaitForMatch");
    Mark({".XXXX", "X....", "X....", "X....", "X...."});
    Match(1, 1);
    // A second cell matched in the same frame waits its turn.
    Match(5, 5);
    EXPECT_EQ(output->GetQueueLength(), 2u);
    RunUntilIdle();
    // Row and column through (1,1): 1000 then 2000; nothing through (5,5).
    EXPECT_EQ(Score(), 3000);
    EXPECT_FALSE(board->GetCellView(1, 1)->ruleFlag);
    EXPECT_FALSE(board->GetCellView(5, 5)->ruleFlag);
    EXPECT_EQ(logic->m_WopplesThisRound, 2);

    // A multiplier of 3 on the board: the third line of one match is worth 4000 x 3.
    logic->SetAllScores(0, false);
    Mark({"XXXX.", "...XX", "..X.X", ".X..X", "X...X"});
    board->GetCellView(5, 5)->multiplier = 3;
    Match(5, 1);
    // Each line's flash shows its multiplied points and the multiplier.
    for (const char* text : {"3000 (3x)", "6000 (3x)", "12000 (3x)"}) {
        for (int i = 0; i < 200 && !logic->m_WoppleAnimation; ++i)
            Pass();
        ASSERT_TRUE(logic->m_WoppleAnimation);
        EXPECT_EQ(logic->m_WoppleAnimation->scoreText, text);
        for (int i = 0; i < 200 && logic->m_WoppleAnimation && logic->m_WoppleAnimation->scoreText == text; ++i)
            Pass();
    }
    RunUntilIdle();
    EXPECT_EQ(Score(), 3 * (1000 + 2000 + 4000));
    board->GetCellView(5, 5)->multiplier = 0;
}

TEST_F(OutputLogicTest, AButterflyBoxPaysItsLinesPointsTimesTheMultiplierOnce)
{
    logic->boxKind = 1;
    Mark({".XXXX", ".....", ".....", ".....", "....X"});
    board->GetCellView(5, 5)->multiplier = 3;
    Match(1, 1);
    RunUntilIdle();
    EXPECT_EQ(logic->opened, 1);
    // The row: 1000 x 3; its box shows "1000 (3x)" and pays that.
    EXPECT_EQ(Score(), 3000 + 3000);
    EXPECT_EQ(logic->GetParticipants()[0].butterfliesFound, 1);
    board->GetCellView(5, 5)->multiplier = 0;
}

TEST_F(OutputLogicTest, LineValuesStayExactFarPastThirtyTwoBits)
{
    logic->m_WoppleCounter = 40;
    logic->AwardWoppleScore();
    EXPECT_EQ(Score(), std::int64_t{1000} << 39);
    EXPECT_EQ(logic->m_WoppleCounter, 41);
}

TEST_F(OutputLogicTest, ABonusIsGrantedOnlyWhenItMayBe)
{
    const struct
    {
        int kind;
        int spin, freeSpins, visionTurns;
        bool protectedBefore;
        bool granted;
    } cases[] = {
        // A free spin: never a fifth, never as many as the spins left.
        {HIDDEN_FREE_SPIN, 17, 2, 0, false, true},
        {HIDDEN_FREE_SPIN, 17, 3, 0, false, false},
        {HIDDEN_FREE_SPIN, 1, 4, 0, false, false},
        {HIDDEN_FREE_SPIN, 1, 3, 0, false, true},
        {HIDDEN_DEVIL_PROTECTION, 1, 0, 0, false, true},
        {HIDDEN_DEVIL_PROTECTION, 1, 0, 0, true, false},
        {HIDDEN_WOPPLE_VISION, 1, 0, 0, false, true},
        {HIDDEN_WOPPLE_VISION, 1, 0, 3, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << ", spin " << c.spin << ", free spins "
                                        << c.freeSpins << ", vision " << c.visionTurns);
        logic->SetSpinCount(c.spin);
        logic->SetFreeSpins(c.freeSpins, 0);
        logic->SetDevilProtection(c.protectedBefore);
        logic->GetPowerupView(0)->RemoveDevilProtection();
        logic->SetWoppleVision(c.visionTurns);
        logic->freeSpinsWonThisSpin = 0;
        WoppleCellView* cell = MatchBonusCell(c.kind);
        RunUntilIdle();
        EXPECT_EQ(cell->contents != nullptr, c.granted);
        // One that cannot be granted leaves a plain cell; a held protection leaves the cell alone.
        EXPECT_EQ(cell->ruleCode, c.granted || c.kind == HIDDEN_DEVIL_PROTECTION ? c.kind : HIDDEN_NONE);
        if (c.kind == HIDDEN_FREE_SPIN) {
            EXPECT_EQ(logic->GetFreeSpins(0), c.freeSpins + (c.granted ? 1 : 0));
            EXPECT_EQ(logic->freeSpinsWonThisSpin, c.granted ? 1 : 0);
        }
        if (c.kind == HIDDEN_DEVIL_PROTECTION) {
            EXPECT_TRUE(logic->HasDevilProtection());
            EXPECT_EQ(logic->GetPowerupView(0)->HasPowerup("DevilProtection"), c.granted);
        }
        if (c.kind == HIDDEN_WOPPLE_VISION) {
            EXPECT_EQ(logic->GetWoppleVisionTurns(), c.granted ? 5 : c.visionTurns);
        }
    }
}

TEST_F(OutputLogicTest, TheDevilTakesItsShareUnlessACherubComes)
{
    std::srand(7);
    int devils = 0;
    for (int i = 0; i < 12; ++i) {
        logic->SetDevilProtection(false);
        logic->SetAllScores(1005, false);
        MatchBonusCell(HIDDEN_DEVIL);
        RunUntil("ProcessCellBonuses");
        auto* bonus = dynamic_cast<OutputStates::ProcessCellBonuses*>(output->GetState());
        ASSERT_NE(bonus, nullptr);
        const int kind = bonus->GetBonusKind();
        const int q = bonus->GetDevilPercentage();
        const bool doubles = bonus->GetCherubDoubles();
        RunUntilIdle();
        if (kind == HIDDEN_DEVIL) {
            ++devils;
            // Rounded toward zero: 1005 less 30% keeps 703.
            EXPECT_EQ(Score(), 1005 * (100 - q) / 100) << q;
        } else {
            EXPECT_EQ(kind, HIDDEN_DEVIL_CHERUB);
            EXPECT_EQ(Score(), doubles ? 2010 : 1005);
        }
    }
    EXPECT_GT(devils, 0);
    EXPECT_LT(devils, 12);

    // Under protection the cherub always comes and nothing is lost.
    for (int i = 0; i < 6; ++i) {
        logic->SetDevilProtection(true);
        logic->SetAllScores(1005, false);
        MatchBonusCell(HIDDEN_DEVIL);
        RunUntil("ProcessCellBonuses");
        auto* bonus = dynamic_cast<OutputStates::ProcessCellBonuses*>(output->GetState());
        ASSERT_NE(bonus, nullptr);
        EXPECT_EQ(bonus->GetBonusKind(), HIDDEN_DEVIL_CHERUB);
        RunUntilIdle();
        EXPECT_GE(Score(), 1005);
        EXPECT_TRUE(logic->HasDevilProtection());
    }
}

TEST_F(OutputLogicTest, AnAnnouncedCellWaitsASecondBeforeItsLines)
{
    // A gold coin: 1000 ms (about 32 passes of 32 ms) in ProcessMatch; a plain cell leaves on the next pass.
    MatchBonusCell(HIDDEN_COIN);
    Pass();
    EXPECT_EQ(output->GetStateName(), "ProcessMatch");
    Passes(28);
    EXPECT_EQ(output->GetStateName(), "ProcessMatch");
    RunUntilIdle();

    MatchBonusCell(HIDDEN_NONE);
    Passes(2);
    EXPECT_NE(output->GetStateName(), "ProcessMatch");
    RunUntilIdle();
}

TEST_F(OutputLogicTest, PlainLinesComeFirstInReverseAndLinesWithABoxLast)
{
    const struct
    {
        int boxKind;
        std::vector<int> order;
    } cases[] = {
        {0, {2, 1}},
        {2, {1, 2}},
        {1, {2, 1}},
    };
    for (const auto& c : cases) {
        logic->boxKind = c.boxKind;
        Mark({".XXXX", "X....", "X....", "X....", "X...."});
        Match(1, 1);
        RunUntil("ProcessWopples");
        EXPECT_EQ(KindsInProcessingOrder(), c.order) << "box on kind " << c.boxKind;
        RunUntilIdle();
    }
}

TEST_F(OutputLogicTest, TheSixthLineOfOneMatchIsWorth32000AndPlaysTheFifthFanfare)
{
    logic->bounceWopples = true;
    logic->SetAllScores(0, false);
    Mark({"XXXXX", "XXXXX", "X.XXX", "XXXXX", "XXXXX"});
    const std::size_t from = LogText().size();
    Match(2, 3);
    RunUntilIdle(1200);
    // Row, column and four bouncing diagonals.
    EXPECT_EQ(Score(), 1000 + 2000 + 4000 + 8000 + 16000 + 32000);
    const std::string log = LogText().substr(from);
    std::vector<std::string> fanfares;
    for (std::size_t at = log.find("C_wopple_"); at != std::string::npos; at = log.find("C_wopple_", at + 1))
        if (log.compare(at + 10, 13, ".ogg:CHECKING") == 0)
            fanfares.push_back(log.substr(at, 10));
    EXPECT_EQ(fanfares, (std::vector<std::string>{"C_wopple_1", "C_wopple_2", "C_wopple_3", "C_wopple_4",
                                                   "C_wopple_5", "C_wopple_5"}));
}

TEST_F(OutputLogicTest, NewContentsAreFittedToTheChosenCellWhenItAsks)
{
    auto picture = [](int w, int h, int frames) {
        const std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w * frames * h), 0xFF3366CCu);
        return std::make_unique<Image>(imagetest::MakeSurface(w * frames, h, pixels), 0, w, h, frames, nullptr);
    };
    WoppleCellView* cell = board->GetCellView(2, 2);
    logic->SetChosenCell(cell);
    const int w = cell->GetWidth();
    const int h = cell->GetHeight();
    ASSERT_GT(w, 10);

    Actor contents;
    contents.SetImage(picture(2 * w, 3 * h, 1), "");
    auto* child = new Actor();
    child->SetImage(picture(40, 40, 1), "");
    contents.AddChild(child);
    // A cell that does not ask keeps the picture as it is.
    logic->ApplyScaling(&contents);
    EXPECT_EQ(contents.GetImage()->GetSize().w, static_cast<std::uint32_t>(2 * w));

    // The tighter side sets the factor (here a third), and the children follow it.

    cell->GetLuaObject().SetBoolean("applyScale", true);
    logic->ApplyScaling(&contents);
    EXPECT_NEAR(static_cast<int>(contents.GetImage()->GetSize().w), 2 * w / 3, 1);
    EXPECT_NEAR(static_cast<int>(contents.GetImage()->GetSize().h), h, 1);
    EXPECT_NEAR(static_cast<int>(child->GetImage()->GetSize().w), 13, 1);

    Actor strip;
    strip.SetImage(picture(2 * w, 2 * h, 2), "");
    try {
        logic->ApplyScaling(&strip);
        ADD_FAILURE() << "a strip of frames was fitted";
    } catch (const Exception& e) {
        EXPECT_NE(e.GetMessage().find("newCellContents->GetImage()->GetNumFrames() < 2"), std::string::npos)
            << e.GetMessage();
    }
    cell->GetLuaObject().SetNil("applyScale");
}

TEST_F(OutputLogicTest, AFullBoardAmongSeveralPaysTenThousandTimesTheMultiplier)
{
    const std::vector<std::string> full = {"XXXXX", "XXXXX", "XXXXX", "XX.XX", "XXXXX"};
    for (int boards : {1, 2}) {
        SCOPED_TRACE(testing::Message() << boards << " boards");
        logic->boards = boards;
        logic->SetAllScores(0, false);
        Mark(full);
        board->GetCellView(1, 1)->multiplier = 2;
        Match(3, 4);
        RunUntilIdle(600);
        // The lines through (3,4): its row and its column, 1000 and 2000.
        const std::int64_t lines = 2 * (1000 + 2000);
        // A single full board is the game logic's to pay for.
        EXPECT_EQ(Score(), boards == 1 ? lines : lines + 2 * 10000);
        board->GetCellView(1, 1)->multiplier = 0;
    }
}

TEST_F(OutputLogicTest, ASuperLineScoresAfterTheLinesOfItsCell)
{
    WoppleBoardView* second = logic->AddLinkedBoardBelow();
    Mark({"..X..", "..X..", "..X..", "..X..", "....."});
    for (int r = 1; r <= 5; ++r)
        second->GetCellView(3, r)->SetCellType("Selected");
    const int before = logic->wopplesThisSpin;
    Match(3, 5);
    RunUntilIdle(600);
    // Its column on the first board, then the ten cells across both: 1000 and 2000.
    EXPECT_EQ(Score(), 1000 + 2000);
    EXPECT_EQ(logic->wopplesThisSpin, before + 2);
    EXPECT_EQ(logic->m_SuperWoppleAnimation, nullptr);
}

} // namespace
