// The frogs on a board: where they sit, how they hop, how a match takes one,
// and the count of squares kept in step with the squares themselves.

#include "BoardTestSupport.h"
#include "engine/core/Exception.h"
#include "game/views/WoppleBonusSquares.h"

#include <algorithm>
#include <cstdlib>
#include <set>

using namespace boardtest;

namespace {

class BonusSquaresTest : public BoardFixture
{
protected:
    void SetUp() override
    {
        BoardFixture::SetUp();
        std::srand(11);
        board = MakeBoard("WoppleSingleBoardResourceSet", 187, 18);
        Number(board);
        squares = dynamic_cast<WoppleBonusSquares*>(
            ClassManager::GetInstance()->InstantiateObjectFromResource("BonusSquaresDefaults"));
        ASSERT_NE(squares, nullptr);
        squares->boardView = board;
        screen->AddChild(squares);
    }

    void Select(int column, int row) { board->GetCellView(column, row)->SetCellType("Selected"); }

    // Every square on a free cell, one a cell, centred on it.
    void ExpectWellPlaced()
    {
        std::set<std::pair<int, int>> seen;
        const auto& cells = squares->GetSelectedSquares();
        ASSERT_EQ(cells.size(), squares->GetSquareCount());
        for (const auto& cell : cells) {
            EXPECT_TRUE(seen.insert({cell.x, cell.y}).second) << "two squares on " << cell.x << "," << cell.y;
            EXPECT_FALSE(board->GetCellView(cell.x, cell.y)->isSelected);
            Actor* square = squares->GetSquareActor(cell.x, cell.y);
            ASSERT_NE(square, nullptr);
            const Rect s = square->GetGlobalRect();
            const Rect c = board->GetCellView(cell.x, cell.y)->GetGlobalRect();
            EXPECT_EQ(s.x + s.w / 2, c.x + c.w / 2);
            EXPECT_EQ(s.y + s.h / 2, c.y + c.h / 2);
            EXPECT_EQ(square->GetParent(), squares);
        }
    }

    WoppleBoardView* board = nullptr;
    WoppleBonusSquares* squares = nullptr;
};

TEST_F(BonusSquaresTest, TheTemplateMakesFrogsOfItsOwnSizeAndKeepsItsOwnPace)
{
    EXPECT_EQ(squares->GetRearrangeDelayTime(), 250);
    squares->AddSquare(2, 3);
    Actor* frog = squares->GetSquareActor(2, 3);
    ASSERT_NE(frog, nullptr);
    EXPECT_EQ(frog->GetWidth(), 93);
    EXPECT_EQ(frog->GetHeight(), 91);
    EXPECT_EQ(frog->GetImageName(), "bonus_square_overlays_frog.png");
}

TEST_F(BonusSquaresTest, RearrangingPutsEverySquareOnAFreeCellAndPrefersCellsThatHeldNone)
{
    for (int c = 1; c <= 5; ++c)
        Select(c, 1);
    Select(3, 3);
    squares->SetNumSquares(3);
    squares->RearrangeAllSquares();
    ExpectWellPlaced();
    EXPECT_EQ(squares->GetSquareCount(), 3u);
    for (int round = 0; round < 20; ++round) {
        const auto before = squares->GetSelectedSquares();
        squares->RearrangeAllSquares();
        ExpectWellPlaced();
        EXPECT_EQ(squares->GetSquareCount(), 3u);
        // Plenty of other free cells: no square stays where one stood.
        for (const auto& cell : squares->GetSelectedSquares())
            EXPECT_EQ(std::count(before.begin(), before.end(), cell), 0);
    }
}

TEST_F(BonusSquaresTest, ABoardTooFullDropsSquaresWhereAddingAtRandomThrows)
{
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 5; ++r)
            if (!(c == 4 && r == 2) && !(c == 1 && r == 5))
                Select(c, r);
    squares->SetNumSquares(4);
    squares->RearrangeAllSquares();
    ExpectWellPlaced();
    EXPECT_EQ(squares->GetNumSquares(), 2);
    EXPECT_EQ(squares->GetSquareCount(), 2u);
    // Only the two old cells are free: they are used again rather than lost.
    squares->RearrangeAllSquares();
    EXPECT_EQ(squares->GetSquareCount(), 2u);
    EXPECT_THROW(squares->AddRandomSquare(), Exception);
    const WoppleBonusSquares::Cells excluded{{4, 2}};
    squares->ClearAllSquares();
    squares->AddRandomSquare(&excluded);
    EXPECT_TRUE(squares->IsSquareAtPosition(1, 5));
}

TEST_F(BonusSquaresTest, RemovingASquareGivesItsCentreAndTheNextArrangementOneFewer)
{
    squares->SetNumSquares(2);
    squares->AddSquare(2, 3);
    squares->AddSquare(5, 1);
    const Rect r = squares->GetSquareActor(5, 1)->GetGlobalRect();
    const Point<int> centre = squares->RemoveSquare(5, 1);
    EXPECT_EQ(centre, Point<int>(r.x + r.w / 2, r.y + r.h / 2));
    EXPECT_FALSE(squares->IsSquareAtPosition(5, 1));
    EXPECT_EQ(squares->GetNumSquares(), 1);
    squares->RearrangeAllSquares();
    EXPECT_EQ(squares->GetSquareCount(), 1u);

    try {
        squares->RemoveSquare(4, 4);
        ADD_FAILURE() << "no square stands on {4, 4}";
    } catch (const Exception& e) {
        EXPECT_NE(e.GetMessage().find("Could not find a square to remove at cellPosition, {4, 4}."), std::string::npos)
            << e.GetMessage();
    }
    EXPECT_THROW(squares->AddSquare(squares->GetSelectedSquares()[0].x, squares->GetSelectedSquares()[0].y),
                 Exception);
}

// Squares added one by one (the count left at 0) are found, removed and
// cleared like any others: the count follows the squares.
TEST_F(BonusSquaresTest, SquaresAddedBeyondTheCountAreRemovedAndClearedLikeAnyOthers)
{
    ASSERT_EQ(squares->GetNumSquares(), 0);
    squares->AddSquare(1, 1);
    squares->AddSquare(2, 2);
    squares->AddSquare(3, 3);
    EXPECT_EQ(squares->GetNumSquares(), 3);
    EXPECT_NE(squares->GetSquareActor(3, 3), nullptr);
    squares->RemoveSquare(3, 3);
    squares->RemoveSquare(std::size_t{0});
    EXPECT_EQ(squares->GetNumSquares(), 1);
    EXPECT_TRUE(squares->IsSquareAtPosition(2, 2));
    EXPECT_THROW(squares->RemoveSquare(std::size_t{1}), Exception);
    squares->ClearAllSquares();
    Pass();
    EXPECT_EQ(squares->GetNumChildren(), 0u);
    EXPECT_EQ(squares->GetSquareCount(), 0u);
    EXPECT_EQ(squares->GetNumSquares(), 1);
}

TEST_F(BonusSquaresTest, TheFrogsHopWhileTheReelsSpinAndSitStillAfter)
{
    squares->Rearrange();
    EXPECT_EQ(squares->FindScriptsWithTag("rearrange", nullptr), 0);

    squares->SetNumSquares(2);
    squares->Rearrange();
    Pass();
    EXPECT_EQ(squares->GetSquareCount(), 2u);
    auto at = squares->GetSelectedSquares();
    int hops = 0;
    for (int i = 0; i < 40; ++i) {
        Pass();
        if (squares->GetSelectedSquares() != at) {
            ++hops;
            at = squares->GetSelectedSquares();
        }
    }
    // Every 250 ms over 1280 ms.
    EXPECT_GE(hops, 4);
    EXPECT_LE(hops, 6);
    squares->StopRearranging();
    at = squares->GetSelectedSquares();
    Passes(20);
    EXPECT_EQ(squares->GetSelectedSquares(), at);
    EXPECT_EQ(squares->GetSquareCount(), 2u);
}

TEST_F(BonusSquaresTest, AHitFrogBlinksAndSitsBackDown)
{
    squares->AddSquare(2, 2);
    Actor* frog = squares->GetSquareActor(2, 2);
    frog->RunScript("BonusSquareSelected", "");
    std::set<std::string> looks;
    for (int i = 0; i < 30; ++i) {
        Pass();
        looks.insert(frog->GetImageName());
    }
    EXPECT_EQ(looks.count("bonus_square_overlays_frog_flash.png"), 1u);
    EXPECT_EQ(frog->GetImageName(), "bonus_square_overlays_frog.png");
}

} // namespace
