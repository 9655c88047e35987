// Board analysis on real boards drawn as text: each row a string, one
// character per column from the west edge: 'X' matched, '.' open, 'P'
// matched but not yet taken up by the scoring logic.

#include "../views/BoardTestSupport.h"
#include "game/rules/WoppleInfo.h"

#include <string>
#include <vector>

using namespace boardtest;

namespace {

using Rows = std::vector<std::string>;

class WoppleInfoTest : public BoardFixture
{
protected:
    WoppleBoardView* Board(int index = 1)
    {
        while (static_cast<int>(boards.size()) <= index)
            boards.push_back(MakeBoard("WoppleMultiBoardResourceSet", 0, 220 * static_cast<int>(boards.size() - 1),
                                       static_cast<int>(boards.size())));
        return boards[index];
    }

    static void Mark(WoppleBoardView* board, const Rows& rows)
    {
        for (int r = 1; r <= board->GetNumRows(); ++r)
            for (int c = 1; c <= board->GetNumColumns(); ++c) {
                const char ch = rows[r - 1][c - 1];
                WoppleCellView* cell = board->GetCellView(c, r);
                cell->isSelected = ch != '.';
                cell->ruleFlag = ch == 'P';
            }
    }

    // The bottom row of `top` joined to the top row of `bottom`, as the level set-up links boards.
    static void StackBelow(WoppleBoardView* top, WoppleBoardView* bottom)
    {
        const int n = top->GetNumColumns();
        for (int c = 1; c <= n; ++c) {
            WoppleCellView* up = top->GetCellView(c, top->GetNumRows());
            WoppleCellView* down = bottom->GetCellView(c, 1);
            up->neighbours[CELL_SOUTH] = down;
            down->neighbours[CELL_NORTH] = up;
            if (c < n) {
                up->neighbours[CELL_SOUTHEAST] = bottom->GetCellView(c + 1, 1);
                bottom->GetCellView(c + 1, 1)->neighbours[CELL_NORTHWEST] = up;
            }
            if (c > 1) {
                up->neighbours[CELL_SOUTHWEST] = bottom->GetCellView(c - 1, 1);
                bottom->GetCellView(c - 1, 1)->neighbours[CELL_NORTHEAST] = up;
            }
        }
    }

    static std::vector<int> Kinds(const WoppleLineList& lines)
    {
        std::vector<int> kinds;
        for (const WoppleLineInfo& line : lines)
            kinds.push_back(line.kind);
        return kinds;
    }

    // "board:column,row" of each cell.
    template <class Cells>
    static std::vector<std::string> Names(const Cells& cells)
    {
        std::vector<std::string> names;
        for (const WoppleCellView* cell : cells)
            names.push_back(std::to_string(cell->boardView->boardIndex) + ":" + std::to_string(cell->column) + "," +
                            std::to_string(cell->row));
        return names;
    }

    std::vector<WoppleBoardView*> boards{nullptr};
};

const Rows kFull = {"XXXXX", "XXXXX", "XXXXX", "XXXXX", "XXXXX"};
// (3,1), (2,2), (1,3), (2,4), (3,5): one V bouncing off the west edge.
const Rows kVee = {"..X..", ".X...", "X....", ".X...", "..X.."};

TEST_F(WoppleInfoTest, LinesThroughACellComeInTheirOrder)
{
    const struct
    {
        Rows rows;
        int column, row;
        bool bouncing;
        std::vector<int> kinds;
    } cases[] = {
        // The row test looks past the asked cell, matched or not; a corner is on a diagonal too.
        {{"XXXXX", ".....", ".....", ".....", "....."}, 1, 1, false, {1}},
        {{"XX.XX", ".....", ".....", ".....", "....."}, 3, 1, false, {1}},
        {{"XXXXX", ".....", ".....", ".....", "....."}, 1, 2, false, {}},
        // A cell whose match is not taken up yet blocks the lines through the others.
        {{"XXPXX", "..X..", "..X..", "..X..", "..X.."}, 1, 1, false, {}},
        {{"XXPXX", "..X..", "..X..", "..X..", "..X.."}, 3, 5, false, {}},
        {{"XXXXX", "..X..", "..X..", "..X..", "..X.."}, 3, 5, false, {2}},
        // The diagonals include the asked cell.
        {{"X....", ".X...", "..X..", "...X.", "....."}, 5, 5, false, {}},
        {{"X...X", ".X.X.", "XXXXX", ".X.X.", "X.X.X"}, 3, 3, false, {1, 3, 4}},
        {kFull, 3, 3, false, {1, 2, 3, 4}},
        // From the middle every bounce runs through a corner.
        {kFull, 3, 3, true, {1, 2, 3, 4}},
        {kFull, 2, 3, true, {1, 2, 5, 6, 7, 8}},
        {kVee, 3, 1, true, {7}},
        {kVee, 2, 2, true, {7}},
        {kVee, 1, 3, true, {7}},
        {kVee, 3, 5, true, {5}},
        {kVee, 3, 1, false, {}},
    };
    WoppleBoardView* board = Board();
    for (const auto& c : cases) {
        Mark(board, c.rows);
        WoppleLineList lines;
        WoppleInfo::GetCompletedLinesThroughCell(*board->GetCellView(c.column, c.row), lines, c.bouncing);
        EXPECT_EQ(Kinds(lines), c.kinds) << c.rows[0] << "/" << c.rows[1] << "/" << c.rows[2] << "/" << c.rows[3]
                                         << "/" << c.rows[4] << " at " << c.column << "," << c.row;
        for (const WoppleLineInfo& line : lines)
            EXPECT_TRUE(line.boardView == board && line.column == c.column && line.row == c.row);
    }
}

TEST_F(WoppleInfoTest, ACellRunHoldsEveryCellOfItsLineOnce)
{
    const struct
    {
        int kind, column, row;
        std::vector<std::string> forward, backward;
    } cases[] = {
        {1, 3, 2, {"1:3,2", "1:4,2", "1:5,2"}, {"1:2,2", "1:1,2"}},
        {2, 4, 1, {"1:4,1", "1:4,2", "1:4,3", "1:4,4", "1:4,5"}, {}},
        {4, 3, 3, {"1:3,3", "1:4,2", "1:5,1"}, {"1:2,4", "1:1,5"}},
        {7, 3, 1, {"1:3,1", "1:2,2", "1:1,3", "1:2,4", "1:3,5"}, {}},
        {5, 2, 3, {"1:2,3", "1:1,2", "1:2,1"}, {"1:3,4", "1:4,5"}},
        {8, 5, 5, {"1:5,5"}, {"1:4,4", "1:3,3", "1:2,2", "1:1,1"}},
    };
    WoppleBoardView* board = Board();
    for (const auto& c : cases) {
        std::vector<WoppleCellView*> forward, backward;
        WoppleInfo::BuildCellRun({board, c.kind, c.column, c.row}, forward, backward);
        EXPECT_EQ(Names(forward), c.forward) << "kind " << c.kind;
        EXPECT_EQ(Names(backward), c.backward) << "kind " << c.kind;
    }
}

TEST_F(WoppleInfoTest, ASuperLineIsExactlyTenLinkedCells)
{
    WoppleBoardView* top = Board(1);
    WoppleBoardView* middle = Board(2);
    WoppleBoardView* bottom = Board(3);
    StackBelow(top, middle);
    const Rows column3 = {"..X..", "..X..", "..X..", "..X..", "..X.."};
    const Rows none = {".....", ".....", ".....", ".....", "....."};
    Mark(top, column3);
    Mark(middle, column3);
    Mark(bottom, none);

    SuperWoppleList lines;
    WoppleInfo::FindSuperWopples(*top->GetCellView(3, 5), lines, true);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Names(lines.front().cells),
              (std::vector<std::string>{"1:3,5", "2:3,1", "2:3,2", "2:3,3", "2:3,4", "2:3,5"}));
    EXPECT_EQ(Names(lines.front().reverseCells), (std::vector<std::string>{"1:3,4", "1:3,3", "1:3,2", "1:3,1"}));

    // One cell short, or a pending one, is no line.
    for (const Rows& rows : {Rows{"..X..", "..X..", "..X..", "..X..", "....."},
                             Rows{"..X..", "..X..", "..P..", "..X..", "..X.."}}) {
        Mark(middle, rows);
        lines.clear();
        WoppleInfo::FindSuperWopples(*top->GetCellView(3, 1), lines, true);
        EXPECT_TRUE(lines.empty());
    }

    // Nor is a run longer than ten.
    StackBelow(middle, bottom);
    Mark(middle, column3);
    Mark(bottom, {"..X..", ".....", ".....", ".....", "....."});
    lines.clear();
    WoppleInfo::FindSuperWopples(*middle->GetCellView(3, 3), lines, true);
    EXPECT_TRUE(lines.empty());

    // A single board's own lines are never super lines.
    Mark(top, kFull);
    Mark(middle, none);
    lines.clear();
    WoppleInfo::FindSuperWopples(*top->GetCellView(3, 3), lines, true);
    EXPECT_TRUE(lines.empty());
}

} // namespace
