// The pattern and seven-by-seven rounds on a real game screen, headless: the
// pattern is marked after the intro, cells are matched by hand and queued,
// passes are stepped until the scoring logic is idle again.

#include "RulesTestSupport.h"

#include "engine/core/Exception.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/ui/Label.h"
#include "game/rules/WopplePattern.h"
#include "game/rules/WopplePatternsGameLogic.h"
#include "game/rules/WoppleSevenBySevenLogic.h"
#include "game/rules/WoppleInfo.h"
#include "game/rules/WoppleOutputBaseLogic.h"
#include "game/views/WoppleAnimation.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace rulestest;

namespace {

class PatternsLogicTest : public RoundFixture<WopplePatternsGameLogic>
{
protected:
    void SetUp() override
    {
        StartGame();
        Lua(std::string(kStillCharacters) +
            "Scripts.DisplayLevelActors = wait\n"
            "local function Layout(board, wheels) return Resources.Object:new{ children = {\n"
            "  BubbleLayer = { class = 'Actor', layer = 999 },\n"
            "  theBoard = { class = 'WoppleBoardView', resource = board, position = { 230, 120 } },\n"
            "  woppleWheels = { class = 'WoppleWheelSetView', resource = wheels, position = { 230, 10 } },\n"
            "  cocoDropButton = { class = 'CocoDropButton', resource = 'CocoDropButtonDefaults', position = { 640, 300 } },\n"
            "  cherubGirl = { class = 'WoppleCharacter', resource = 'CherubGirlCharacter', position = { 20, 300 } },\n"
            "  cherubBucketGuy = { class = 'WoppleCharacter', resource = 'GuyCherubCharacter', visible = false },\n"
            "  wopplePowerupView_0 = { class = 'WopplePowerupView', resource = 'WopplePowerupView', position = { 20, 60 } },\n"
            "  patternIndexLabel = { class = 'Label', text = '?' },\n"
            "  quitButton = { class = 'Actor' },\n"
            "} } end\n"
            "Resources.WopplePatternsScreenLayout = Layout('WoppleSingleBoardResourceSet', 'WoppleWheels')\n"
            "Resources.WoppleSevenBySevenScreenLayout = Layout('WoppleSevenBySevenBoardResourceSet', "
            "'WoppleSevenWheelSetView')\n");
        ShowGameScreen();
    }

    // The level without its intro: the pattern is marked as the round opens.
    void Begin(WopplePatternsGameLogic* made, int patternIndex)
    {
        logic.reset(made);
        logic->patternIndex = patternIndex;
        logic->levelNumber = -1;
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

    // Rows as text, 'X' matched and scored; every other cell open.
    void Mark(const std::vector<std::string>& rows)
    {
        for (int r = 1; r <= board->GetNumRows(); ++r)
            for (int c = 1; c <= board->GetNumColumns(); ++c) {
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

    void RunUntilIdle(int limit = 600)
    {
        Pass();
        for (int i = 0; i < limit && !output->IsIdle(); ++i)
            Pass();
        ASSERT_TRUE(output->IsIdle()) << output->GetStateName();
    }

    // The board's pattern as rows of text.
    std::vector<std::string> PatternRows() const
    {
        std::vector<std::string> rows;
        for (int r = 1; r <= board->GetNumRows(); ++r) {
            std::string row;
            for (int c = 1; c <= board->GetNumColumns(); ++c)
                row += board->GetCellView(c, r)->IsPatternCell() ? 'X' : '.';
            rows.push_back(row);
        }
        return rows;
    }

    std::int64_t Score() const { return logic->GetScore(0); }

    WoppleBoardView* board = nullptr;
    WoppleOutputBaseLogic* output = nullptr;
};

// How often the log since `from` holds the text.
int Occurrences(const std::string& text, std::size_t from)
{
    const std::string log = LogText();
    int count = 0;
    for (std::size_t at = log.find(text, from); at != std::string::npos; at = log.find(text, at + 1))
        ++count;
    return count;
}

const char* const kCelebration = "output Logic SetState: ProcessCompletedPattern\n";

} // namespace

TEST_F(PatternsLogicTest, ThePatternIsMarkedAfterTheIntroAndItsNumberShown)
{
    Lua("WopplePatterns[59] = { name = 'Short Row', filledCells = { 'X X' } }");
    const struct
    {
        int index;
        std::vector<std::string> rows;
    } cases[] = {
        {1, {"X...X", ".....", "..X..", ".....", "X...X"}},
        // A short row leaves the cells to its right, and the rows below, plain.
        {59, {"X.X..", ".....", ".....", ".....", "....."}},
    };
    for (const auto& c : cases) {
        Begin(new WopplePatternsGameLogic(), c.index);
        EXPECT_EQ(logic->GetStateName(), "AssignNumbers");
        EXPECT_EQ(PatternRows(), c.rows) << c.index;
        auto* label = dynamic_cast<Label*>(logic->GetRootActor()->FindChild("patternIndexLabel", true));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->GetText(), std::to_string(c.index));
        // The pattern shows: its cells take the pattern's face.
        EXPECT_EQ(board->GetCellView(1, 1)->GetName(), "PatternCell");
        EXPECT_EQ(board->GetCellView(2, 1)->GetName(), "Cell");
    }
}

TEST_F(PatternsLogicTest, TheMatchThatCompletesThePatternIsCelebratedOnceWithItsCellsTimes200)
{
    Begin(new WopplePatternsGameLogic(), 1);
    logic->SetAllScores(0, false);
    // Three of the five pattern cells matched; (1,1) and (3,3) open.
    Mark({"....X", ".....", ".....", ".....", "X...X"});
    const std::size_t from = LogText().size();
    // Both last cells matched in one frame: the first to be scored finds the
    // other still pending, so the pattern counts as complete for the goal only.
    Match(1, 1);
    Match(3, 3);
    EXPECT_TRUE(logic->IsLevelGoalMet());
    EXPECT_FALSE(logic->IsPatternComplete(false));
    RunUntilIdle();
    EXPECT_EQ(Occurrences(kCelebration, from), 1);
    // After the second match: the fanfare, then 5 cells x 200, no line.
    const std::string log = LogText().substr(from);
    const std::size_t celebration = log.find(kCelebration);
    ASSERT_NE(celebration, std::string::npos);
    for (const char* sound : {"Game sound: C_wopple.ogg\n", "Game sound: combo.ogg\n", "Game sound: claps.ogg\n"})
        EXPECT_NE(log.find(sound, celebration), std::string::npos) << sound;
    EXPECT_EQ(Score(), 5 * 200);
    ASSERT_NE(logic->GetPatternCompletionAnimation(), nullptr);
    EXPECT_EQ(logic->GetPatternCompletionAnimation()->GetPatternCells().size(), 5u);

    // A plain cell after the pattern is complete: no second celebration, no sparkle.
    const std::size_t after = LogText().size();
    logic->OnCellMatched(board->GetCellView(2, 2));
    Match(2, 2);
    RunUntilIdle();
    EXPECT_EQ(Occurrences(kCelebration, after), 0);
    EXPECT_EQ(Occurrences("Game sound: sparkle_little.ogg\n", after), 0);
    EXPECT_EQ(Score(), 5 * 200);
    logic->OnCellMatched(board->GetCellView(5, 5));
    EXPECT_EQ(Occurrences("Game sound: sparkle_little.ogg\n", after), 1);
}

TEST_F(PatternsLogicTest, SevenBySevenLinesPayTwiceTheOldSchoolLines)
{
    Begin(new WoppleSevenBySevenLogic(), 51);
    ASSERT_EQ(board->GetNumColumns(), 7);
    logic->SetAllScores(0, false);
    // Row 1 and column 1 through (1,1): the first line 2000, the second 4000.
    Mark({".XXXXXX", "X......", "X......", "X......", "X......", "X......", "X......"});
    Match(1, 1);
    for (int i = 0; i < 400 && !logic->m_WoppleAnimation; ++i)
        Pass();
    ASSERT_TRUE(logic->m_WoppleAnimation);
    EXPECT_EQ(logic->m_WoppleAnimation->scoreText, "2000");
    RunUntilIdle();
    EXPECT_EQ(Score(), 2000 + 4000);
    // The frame's other cells are open: no celebration.
    EXPECT_FALSE(logic->IsLevelGoalMet());

    // A butterfly box pays its line's points: the counter has moved past the first line.
    logic->m_WoppleCounter = 2;
    logic->ShowScoreGainEffect(WoppleLineInfo{board, 1, 1, 1});
    EXPECT_EQ(logic->TakeTreasureBoxReward(), 2000);
    EXPECT_EQ(logic->m_WoppleCounter, 2);
    // A multiplier shows in the line's flash.
    board->GetCellView(2, 1)->multiplier = 3;
    logic->m_WoppleCounter = 2;
    std::unique_ptr<WoppleAnimation> flash(logic->ShowWoppleScore(WoppleLineInfo{board, 1, 1, 1}));
    EXPECT_EQ(flash->scoreText, "12000 (3x)");
    board->GetCellView(2, 1)->multiplier = 0;
}

TEST_F(PatternsLogicTest, EveryShippedPatternLoadsAndFitsItsBoard)
{
    LuaState lua = app->GetLuaState();
    const LuaObject all = lua.GetGlobal("WopplePatterns");
    ASSERT_TRUE(all.IsTable());
    ASSERT_EQ(all.GetN(), 58);
    std::set<std::string> names;
    for (int index = 1; index <= 58; ++index) {
        const LuaObject size = all[index]["boardSize"];
        const bool seven = size.IsInteger() && size.GetInteger() == 7;
        if (!logic || (board->GetNumColumns() == 7) != seven)
            Begin(seven ? new WoppleSevenBySevenLogic() : new WopplePatternsGameLogic(), index);
        try {
            WopplePattern pattern(index);
            names.insert(pattern.GetName());
            WopplePattern::Clear(board);
            pattern.ApplyImmediately(board);
            int marked = 0;
            for (const std::string& row : PatternRows())
                for (char c : row)
                    marked += c == 'X';
            EXPECT_EQ(marked, pattern.GetNumCells()) << pattern.GetName();
            EXPECT_GT(marked, 0) << pattern.GetName();
            if (index == 1) {
                EXPECT_EQ(pattern.GetName(), "BONUS2");
                EXPECT_EQ(pattern.GetNumCells(), 5);
            }
        } catch (const Exception& e) {
            ADD_FAILURE() << index << ": " << e.GetMessage();
        }
    }
    EXPECT_EQ(names.size(), 58u);
}

TEST_F(PatternsLogicTest, APatternOutsideItsBoardOrWithAStrayCharacterFailsNamingThePatternAndTheCell)
{
    // As the table is loaded: a row too long, a row too many.
    const struct
    {
        const char* table;
        const char* message;
    } loaded[] = {
        {"{ { name = 'Too Wide', filledCells = { 'X    X' } } }",
         "Pattern 1 (\"Too Wide\"): the cell at {col=6, row=1} lies outside its 5 by 5 board."},
        {"{ { name = 'Too Tall', filledCells = { 'X', '', '', '', '', ' ' } } }",
         "Pattern 1 (\"Too Tall\"): the cell at {col=1, row=6} lies outside its 5 by 5 board."},
        {"{ { name = 'Big Enough', filledCells = { 'X' } }, { name = 'Wider', boardSize = 7, "
         "filledCells = { '        ' } } }",
         "Pattern 2 (\"Wider\"): the cell at {col=8, row=1} lies outside its 7 by 7 board."},
        {"{ { name = 'Dotted', filledCells = { 'X.X' } } }",
         "Invalid character '.' found in pattern \"Dotted\" at {col=2, row=1}."},
    };
    LuaState lua = app->GetLuaState();
    for (const auto& c : loaded) {
        ASSERT_NE(lua.DoString(std::string("CheckWopplePatterns(") + c.table + ")"), 0) << c.table;
        const std::string error = lua.PopErrorMessage();
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }

    // As a level marks it: a 7x7 pattern on the 5x5 board, a stray character.
    Begin(new WopplePatternsGameLogic(), 1);
    Lua("WopplePatterns[59] = { name = 'Stray', filledCells = { 'X', ' o' } }");
    const struct
    {
        int index;
        const char* message;
    } applied[] = {
        {51, "Pattern \"Grand Frame\" reaches outside the 5 by 5 board at {col=6, row=1}."},
        {59, "Invalid character 'o' found in pattern \"Stray\" at {col=2, row=2}."},
    };
    for (const auto& c : applied) {
        try {
            WopplePattern(c.index).ApplyImmediately(board);
            ADD_FAILURE() << c.index;
        } catch (const Exception& e) {
            EXPECT_NE(e.GetMessage().find(c.message), std::string::npos) << e.GetMessage();
        }
    }
}
