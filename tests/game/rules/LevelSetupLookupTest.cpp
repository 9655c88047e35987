// Boards and cells looked up by numbers from event tables and scripts, on
// real boards: every index is checked, and a click is taken only for a cell
// that is still open when it arrives.

#include "../views/BoardTestSupport.h"
#include "game/rules/WoppleCellLookup.h"

#include <string>
#include <vector>

using namespace boardtest;

namespace {

class LevelSetupLookupTest : public BoardFixture
{
protected:
    WoppleBoardViews MakeBoards()
    {
        return {nullptr, MakeBoard("WoppleMultiBoardResourceSet", 0, 0, 1),
                MakeBoard("WoppleSevenBySevenBoardResourceSet", 220, 0, 2)};
    }
};

TEST_F(LevelSetupLookupTest, IndexesResolveOrAreRefused)
{
    struct Case
    {
        int index, count, expected;
    };
    const Case cases[] = {{1, 5, 1},  {5, 5, 5},  {6, 5, 0},  {0, 5, 0},    {-1, 5, 5},
                          {-5, 5, 1}, {-6, 5, 0}, {1, 0, 0},  {-1, 0, 0},   {7, 7, 7}};
    for (const Case& c : cases)
        EXPECT_EQ(ResolveCellIndex(c.index, c.count), c.expected) << c.index << " of " << c.count;
}

TEST_F(LevelSetupLookupTest, CellsByBoardColumnAndRow)
{
    WoppleBoardViews boards = MakeBoards();
    struct Case
    {
        int board, column, row;
        int expectBoard, expectColumn, expectRow; // 0: none
    };
    const Case cases[] = {
        {1, 1, 1, 1, 1, 1},    {1, 5, 5, 1, 5, 5},     {1, -1, -1, 1, 5, 5}, {2, -1, -1, 2, 7, 7},
        {2, 7, 1, 2, 7, 1},    {2, -7, 2, 2, 1, 2},    {1, 6, 1, 0, 0, 0},   {1, 1, 0, 0, 0, 0},
        {1, 0, 1, 0, 0, 0},    {1, -6, 1, 0, 0, 0},    {0, 1, 1, 0, 0, 0},   {3, 1, 1, 0, 0, 0},
        {-1, 1, 1, 0, 0, 0},   {2, 8, 8, 0, 0, 0},
    };
    for (const Case& c : cases) {
        WoppleCellView* cell = LookUpCellView(boards, c.board, c.column, c.row, "test");
        if (c.expectBoard == 0) {
            EXPECT_EQ(cell, nullptr) << c.board << " " << c.column << " " << c.row;
        } else {
            ASSERT_NE(cell, nullptr) << c.board << " " << c.column << " " << c.row;
            EXPECT_EQ(cell, boards[c.expectBoard]->GetCellView(c.expectColumn, c.expectRow));
        }
    }
    EXPECT_EQ(LookUpBoardView(boards, 2, "test"), boards[2]);
    EXPECT_EQ(LookUpBoardView(boards, 0, "test"), nullptr);
    EXPECT_EQ(LookUpBoardView({nullptr}, 1, "test"), nullptr);
    EXPECT_GE(CountInLog("WARNING: test: there is no board 3 of 2"), 1);
}

TEST_F(LevelSetupLookupTest, CellEventTablesMustNameAWholeCell)
{
    WoppleBoardViews boards = MakeBoards();
    struct Case
    {
        const char* data;
        int expectBoard, expectColumn, expectRow; // 0: none
    };
    const Case cases[] = {
        {"WoppleCellView_BuildCellClickEventData(1, 2, 3, true)", 1, 2, 3},
        {"WoppleCellView_BuildCellClickEventData(2, -1, 1, true)", 2, 7, 1},
        {"WoppleCellView_BuildCellClickEventData(1, 0, 3, true)", 0, 0, 0},
        {"WoppleCellView_BuildCellClickEventData(4, 1, 1, true)", 0, 0, 0},
        {"{ cellPosition = { boardIndex = 1, column = 2.5, row = 1 } }", 0, 0, 0},
        {"{ cellPosition = { boardIndex = '1', column = 2, row = 1 } }", 0, 0, 0},
        {"{ cellPosition = { 1, 2, 3 } }", 0, 0, 0},
        {"{ isCellSelectable = true }", 0, 0, 0},
        {"7", 0, 0, 0},
    };
    for (const Case& c : cases) {
        WoppleCellView* cell = LookUpCellFromEventData(boards, Eval(c.data), "test");
        if (c.expectBoard == 0)
            EXPECT_EQ(cell, nullptr) << c.data;
        else
            EXPECT_EQ(cell, boards[c.expectBoard]->GetCellView(c.expectColumn, c.expectRow)) << c.data;
    }
}

TEST_F(LevelSetupLookupTest, AClickIsTakenOnlyForACellStillOpen)
{
    WoppleBoardViews boards = MakeBoards();
    std::vector<std::string> asked;
    bool open = true;
    auto isAvailable = [&](int b, int c, int r) {
        asked.push_back(std::to_string(b) + "," + std::to_string(c) + "," + std::to_string(r));
        return open;
    };
    // Resolved indexes reach the availability test.
    EXPECT_EQ(AcceptClickedCell(boards, Eval("WoppleCellView_BuildCellClickEventData(1, -1, -2, true)"), isAvailable),
              boards[1]->GetCellView(5, 4));
    EXPECT_EQ(asked, std::vector<std::string>{"1,5,4"});
    // The cell closed after the click was posted: the click is not taken.
    open = false;
    EXPECT_EQ(AcceptClickedCell(boards, Eval("WoppleCellView_BuildCellClickEventData(1, 2, 2, true)"), isAvailable),
              nullptr);
    // Not selectable, or not saying so: no cell, and nothing asked.
    open = true;
    asked.clear();
    EXPECT_EQ(AcceptClickedCell(boards, Eval("WoppleCellView_BuildCellClickEventData(1, 2, 2, false)"), isAvailable),
              nullptr);
    EXPECT_EQ(AcceptClickedCell(boards, Eval("{ cellPosition = { boardIndex = 1, column = 2, row = 2 } }"),
                                isAvailable),
              nullptr);
    EXPECT_EQ(AcceptClickedCell(boards, Eval("WoppleCellView_BuildCellClickEventData(1, 9, 2, true)"), isAvailable),
              nullptr);
    EXPECT_TRUE(asked.empty());
}

} // namespace
