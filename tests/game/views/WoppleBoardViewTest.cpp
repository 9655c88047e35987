// The board and its cells as the rules drive them: the grid and its indexing,
// the cell types, a player's pointer and clicks through the main loop, and the
// vision and super-joker looks.

#include "BoardTestSupport.h"
#include "engine/core/Exception.h"
#include "engine/ui/Button.h"
#include "engine/ui/Label.h"
#include "game/views/WoppleVisionLabel.h"

#include <SDL.h>

#include <string>
#include <vector>

using namespace boardtest;

namespace {

class WoppleBoardViewTest : public BoardFixture
{
protected:
    static Point<int> Centre(const Actor& actor)
    {
        const Rect rect = actor.GetGlobalRect();
        return Point<int>(rect.x + rect.w / 2, rect.y + rect.h / 2);
    }

    // The main loop's roll-over walk with the pointer at (x, y), and the pass
    // that delivers the buttons' changes of look.
    void PointAt(int x, int y)
    {
        app->ResetRolloverAt(x, y, true);
        Pass();
    }

    static void MouseButton(std::uint8_t type, int x, int y)
    {
        SDL_Event e{};
        e.button.type = type;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.button.x = static_cast<Uint16>(x);
        e.button.y = static_cast<Uint16>(y);
        ASSERT_EQ(SDL_PushEvent(&e), 0);
    }

    // A player's click at (x, y): pointer there, down and up through SDL's
    // queue. The pass first settles any roll-over reset a change asked for
    // (headless, it reads the pointer at the corner).
    void ClickAt(int x, int y)
    {
        Pass();
        app->ResetRolloverAt(x, y, true);
        MouseButton(SDL_MOUSEBUTTONDOWN, x, y);
        MouseButton(SDL_MOUSEBUTTONUP, x, y);
    }

    static bool Hilited(WoppleBoardView* board, int column)
    {
        Actor* hilite = board->FindChild("ColumnHilite_" + std::to_string(column), true);
        return hilite && hilite->IsVisible();
    }

    static Actor* NumberLabel(WoppleCellView* cell) { return cell->GetCellButton()->FindLabel(); }
};

} // namespace

TEST_F(WoppleBoardViewTest, TheClassicBoardHasTwentyFiveCellsInItsColumnsAndRows)
{
    WoppleBoardView* board = MakeBoard("WoppleSingleBoardResourceSet");
    ASSERT_EQ(board->GetNumColumns(), 5);
    ASSERT_EQ(board->GetNumRows(), 5);
    Number(board);
    const int widths[] = {81, 82, 81, 82, 81};
    const int heights[] = {79, 80, 80, 80, 80};
    int x = 0;
    for (int c = 1; c <= 5; ++c) {
        int y = 0;
        for (int r = 1; r <= 5; ++r) {
            WoppleCellView* cell = board->GetCellView(c, r);
            ASSERT_NE(cell, nullptr);
            EXPECT_EQ(cell->column, c);
            EXPECT_EQ(cell->row, r);
            EXPECT_EQ(cell->boardView, board);
            EXPECT_EQ(cell->GetZOrder(), (c - 1) * 5 + r) << "column by column";
            EXPECT_EQ(cell->GetPosition(), Point<int>(x, y)) << c << "," << r;
            EXPECT_EQ(cell->GetWidth(), 81);
            const int number = cell->number;
            EXPECT_GE(number, 15 * c - 14);
            EXPECT_LE(number, 15 * c);
            EXPECT_EQ(cell->GetCellButton()->GetLabel()->GetText(), std::to_string(number));
            EXPECT_EQ(cell->GetWoppleVisionLabel()->GetText(), std::to_string(number));
            EXPECT_EQ(cell->GetSuperJokerLabel()->GetText(), std::to_string(number));
            y += heights[r - 1];
        }
        x += widths[c - 1];
    }
}

TEST_F(WoppleBoardViewTest, LookUpsCountFromOneAndFromTheEndAndRefuseTheRest)
{
    WoppleBoardView* board = MakeBoard("WoppleSingleBoardResourceSet");
    EXPECT_EQ(board->GetCellView(-1, -1), board->GetCellView(5, 5));
    EXPECT_EQ(board->GetCellView(-5, 2), board->GetCellView(1, 2));
    EXPECT_EQ(board->GetCellView(1, 1)->GetPosition(), Point<int>(0, 0));

    struct Case
    {
        int column, row;
    };
    for (const Case& c : {Case{0, 1}, Case{1, 0}, Case{6, 1}, Case{1, 6}, Case{-6, 1}, Case{1, -6}, Case{99, -99}}) {
        const int warnings = CountInLog("WARNING: WoppleBoardView::GetCellView");
        EXPECT_EQ(board->GetCellView(c.column, c.row), nullptr) << c.column << "," << c.row;
        EXPECT_EQ(CountInLog("WARNING: WoppleBoardView::GetCellView"), warnings + 1) << c.column << "," << c.row;
    }

    // The script method: a cell, or nil outside the board.
    LuaState lua = app->GetLuaState();
    board->GetLuaObject().Push(lua);
    lua_setglobal(lua.GetCState(), "board");
    EXPECT_TRUE(Eval("board:GetCellView(-1, 1) == board:GetCellView(5, 1)").GetBoolean());
    EXPECT_TRUE(Eval("board:GetCellView(6, 1) == nil").GetBoolean());
    EXPECT_TRUE(Eval("board:GetCellView(3, 0) == nil").GetBoolean());
    EXPECT_EQ(Eval("board:GetNumColumns() * 10 + board:GetNumRows()").GetInteger(), 55);
}

TEST_F(WoppleBoardViewTest, NeighboursStayInsideTheBoard)
{
    WoppleBoardView* board = MakeBoard("WoppleSingleBoardResourceSet");
    WoppleCellView* corner = board->GetCellView(1, 1);
    for (int o = 0; o < CELL_NUM_ORIENTATIONS; ++o) {
        const bool inside = o == CELL_SOUTH || o == CELL_EAST || o == CELL_SOUTHEAST;
        EXPECT_EQ(corner->neighbours[o] != nullptr, inside) << CellOrientationTypeToString(o);
    }
    EXPECT_EQ(corner->neighbours[CELL_SOUTHEAST], board->GetCellView(2, 2));

    WoppleCellView* middle = board->GetCellView(3, 3);
    const struct
    {
        CellOrientationType o;
        int column, row;
    } around[] = {{CELL_SOUTH, 3, 4}, {CELL_NORTH, 3, 2},     {CELL_WEST, 2, 3},      {CELL_EAST, 4, 3},
                  {CELL_SOUTHWEST, 2, 4}, {CELL_NORTHEAST, 4, 2}, {CELL_SOUTHEAST, 4, 4}, {CELL_NORTHWEST, 2, 2}};
    for (const auto& a : around)
        EXPECT_EQ(middle->neighbours[a.o], board->GetCellView(a.column, a.row)) << CellOrientationTypeToString(a.o);
    EXPECT_EQ(board->GetCellView(-1, -1)->neighbours[CELL_EAST], nullptr) << "never wrapped";
}

TEST_F(WoppleBoardViewTest, TheGridSizeComesFromTheTemplate)
{
    WoppleBoardView* seven = MakeBoard("WoppleSevenBySevenBoardResourceSet");
    ASSERT_EQ(seven->GetNumColumns(), 7);
    ASSERT_EQ(seven->GetNumRows(), 7);
    EXPECT_EQ(seven->GetCellView(7, 7)->GetZOrder(), 49);
    EXPECT_EQ(seven->GetCellView(2, 1)->GetZOrder(), 8);
    EXPECT_NE(seven->FindChild("ColumnHilite_7", true), nullptr);

    // Without "gridSize", or with one that is not an integer: five by five.
    for (const char* size : {"nil", "'seven'", "5.5"}) {
        Eval(std::string("(function() Resources.TestBoard = WoppleBoardViewTemplate{ background = 'bkgBoardMulti.png', "
                         "cell = 'WoppleCellViewSmallDefaults', hilite = 'columnHiliteSmall.png', margins = { 8, 10 }, "
                         "columnWidths = { 39, 39, 39, 39, 40 }, rowHeights = { 38, 38, 38, 38, 38 }, gridSize = ") +
             size + " } end)()");
        WoppleBoardView* board = MakeBoard("TestBoard");
        EXPECT_EQ(board->GetNumColumns(), 5) << size;
        EXPECT_EQ(board->GetNumRows(), 5) << size;
    }
}

TEST_F(WoppleBoardViewTest, ACellsTypeSetsItsFlagsFrameAndButton)
{
    WoppleBoardView* board = MakeBoard("WoppleSingleBoardResourceSet");
    WoppleCellView* cell = board->GetCellView(2, 3);
    EXPECT_EQ(cell->GetCellType(), "Blank") << "after spawning";
    struct Case
    {
        const char* type;
        bool selectable, clickable, shown, selected, blank;
        int frame;
        bool button;
    };
    const Case cases[] = {
        {"Selected", false, false, false, true, false, 1, false},
        {"UnclickableNumber", false, false, true, false, false, 0, true},
        {"SelectableAndClickableNumber", true, true, true, false, false, 0, true},
        {"ClickableNumber", false, true, true, false, false, 0, true},
        {"Blank", false, false, false, false, true, 4, false},
    };
    for (const Case& c : cases) {
        cell->SetCellType(c.type);
        EXPECT_EQ(cell->isSelectable, c.selectable) << c.type;
        EXPECT_EQ(cell->isClickable, c.clickable) << c.type;
        EXPECT_EQ(cell->isNumberShown, c.shown) << c.type;
        EXPECT_EQ(cell->isSelected, c.selected) << c.type;
        EXPECT_EQ(cell->isBlank, c.blank) << c.type;
        EXPECT_EQ(cell->GetFrame(), c.frame) << c.type;
        EXPECT_EQ(cell->GetCellButton()->IsVisible(), c.button) << c.type;
        EXPECT_EQ(cell->GetName(), "Cell") << c.type;
    }
    // An unknown name keeps the flags.
    cell->SetCellType("SelectableAndClickableNumber");
    cell->SetCellType("Sideways");
    EXPECT_TRUE(cell->isSelectable);

    // The pattern look: its own picture and name, and the pale number.
    cell->isPatternCell = true;
    cell->SetShowPattern(true);
    EXPECT_EQ(cell->GetName(), "PatternCell");
    EXPECT_EQ(cell->GetImageName(), "cellPatternFace.png");
    EXPECT_EQ(cell->GetCellButton()->GetLabel()->GetFgColor(), Color(234, 218, 159));
    cell->SetShowPattern(false);
    EXPECT_EQ(cell->GetImageName(), "cellFace.png");
    EXPECT_EQ(cell->GetCellButton()->GetLabel()->GetFgColor(), Colors::ByName("Black"));
}

TEST_F(WoppleBoardViewTest, HoveringACellLightsItsColumnAndTellsTheRules)
{
    WoppleBoardView* board = MakeBoard("WoppleSingleBoardResourceSet", 20, 30);
    Number(board);
    board->GetCellView(4, 2)->SetCellType("ClickableNumber");
    Pass();
    log->Take();

    // One pixel inside cell [2][3]'s top-left corner, then one pixel outside the board's cells.
    WoppleCellView* cell = board->GetCellView(2, 3);
    const Rect rect = cell->GetGlobalRect();
    PointAt(rect.x, rect.y);
    EXPECT_TRUE(Hilited(board, 2));
    EXPECT_FALSE(Hilited(board, 1));
    std::vector<Received> got = log->Take();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].type, WOPPLE_CELLENTER);
    EXPECT_EQ(got[0].boardIndex, 1);
    EXPECT_EQ(got[0].column, 2);
    EXPECT_EQ(got[0].row, 3);
    EXPECT_FALSE(got[0].hasSelectable);

    PointAt(rect.x - 1, rect.y);
    EXPECT_FALSE(Hilited(board, 2));
    EXPECT_TRUE(Hilited(board, 1)) << "the pixel left of it is the next column's cell";
    got = log->Take();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].type, WOPPLE_CELLLEAVE);
    EXPECT_EQ(got[0].column, 2);
    EXPECT_EQ(got[1].type, WOPPLE_CELLENTER);
    EXPECT_EQ(got[1].column, 1);

    // A cell that cannot be chosen lights its column but tells only of leaving.
    WoppleCellView* other = board->GetCellView(4, 2);
    PointAt(Centre(*other).x, Centre(*other).y);
    EXPECT_TRUE(Hilited(board, 4));
    got = log->Take();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].type, WOPPLE_CELLLEAVE) << "the column-1 cell left";
    PointAt(5, 5);
    EXPECT_FALSE(Hilited(board, 4));
    got = log->Take();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].type, WOPPLE_CELLLEAVE);
    EXPECT_EQ(got[0].column, 4);
    EXPECT_EQ(got[0].row, 2);
}

TEST_F(WoppleBoardViewTest, AClickPostsTheCellClickWithItsTable)
{
    WoppleBoardView* board = MakeBoard("WoppleSingleBoardResourceSet", 20, 30, 2);
    Number(board);
    board->GetCellView(5, 5)->SetCellType("ClickableNumber");
    Pass();
    log->Take();

    struct Case
    {
        int column, row;
        bool selectable;
    };
    for (const Case& c : {Case{3, 4, true}, Case{5, 5, false}}) {
        const Rect rect = board->GetCellView(c.column, c.row)->GetGlobalRect();
        // The bottom-right pixel is still the cell's.
        ClickAt(rect.x + rect.w - 1, rect.y + rect.h - 1);
        Passes(3);
        std::vector<Received> clicks;
        for (const Received& r : log->Take())
            if (r.type == WOPPLE_CELLCLICK)
                clicks.push_back(r);
        ASSERT_EQ(clicks.size(), 1u) << c.column << "," << c.row;
        EXPECT_EQ(clicks[0].boardIndex, 2);
        EXPECT_EQ(clicks[0].column, c.column);
        EXPECT_EQ(clicks[0].row, c.row);
        EXPECT_TRUE(clicks[0].hasSelectable);
        EXPECT_EQ(clicks[0].selectable, c.selectable);
    }

    // Disabled buttons take no clicks; enabled again, they do.
    board->DisableCellButtons();
    EXPECT_FALSE(board->GetCellView(1, 1)->isCellButtonEnabled);
    const Point<int> at = Centre(*board->GetCellView(1, 1));
    ClickAt(at.x, at.y);
    Passes(3);
    for (const Received& r : log->Take())
        EXPECT_NE(r.type, WOPPLE_CELLCLICK);
    EXPECT_EQ(board->GetCellView(1, 1)->GetFrame(), 0) << "the type's frame stays";
    board->EnableCellButtons();
    ClickAt(at.x + 1, at.y);
    Passes(3);
    int clicks = 0;
    for (const Received& r : log->Take())
        clicks += r.type == WOPPLE_CELLCLICK;
    EXPECT_EQ(clicks, 1);
}

TEST_F(WoppleBoardViewTest, TheComputersClickTableIsAPlayersClickTable)
{
    LuaObject table = Eval("WoppleCellView_BuildCellClickEventData(3, 4, 5, true)");
    ASSERT_TRUE(table.IsTable());
    EXPECT_EQ(table["cellPosition"]["boardIndex"].GetInteger(), 3);
    EXPECT_EQ(table["cellPosition"]["column"].GetInteger(), 4);
    EXPECT_EQ(table["cellPosition"]["row"].GetInteger(), 5);
    EXPECT_TRUE(table["isCellSelectable"].GetBoolean());
}

TEST_F(WoppleBoardViewTest, VisionShowsTheOutlinedNumberOnChoosableCellsOnly)
{
    WoppleBoardView* board = MakeBoard("WoppleSingleBoardResourceSet");
    Number(board);
    WoppleCellView* open = board->GetCellView(1, 1);
    WoppleCellView* matched = board->GetCellView(2, 1);
    matched->SetCellType("Selected");

    board->SetWoppleVision(true, false);
    EXPECT_TRUE(open->isWoppleVisionOn);
    EXPECT_TRUE(open->GetSelectableIndicator()->IsVisible());
    EXPECT_EQ(open->GetSelectableIndicator()->GetAlpha(), 255);
    EXPECT_EQ(open->GetSelectableIndicator()->GetImageName(), "cellVisionAura.png") << "the halo, not a fill";
    EXPECT_EQ(open->GetSelectableIndicator()->GetShaderType(), 4) << "by its pixels' alpha too";
    EXPECT_TRUE(open->GetWoppleVisionLabel()->IsVisible());
    EXPECT_FALSE(NumberLabel(open)->IsVisible());
    EXPECT_EQ(matched->GetSelectableIndicator()->GetAlpha(), 0) << "the unselectable aura";

    // Matched while vision is on: the unselectable aura at once, no fading.
    open->SetCellType("Selected");
    EXPECT_EQ(open->GetSelectableIndicator()->GetAlpha(), 0);
    EXPECT_FALSE(open->GetWoppleVisionLabel()->IsVisible());
    EXPECT_EQ(open->GetWoppleVisionLabel()->GetFadeTimerID(), 0u);
    open->SetCellType("SelectableAndClickableNumber");

    // A second switch to the same state changes nothing.
    open->GetWoppleVisionLabel()->SetVisible(false);
    board->SetWoppleVision(true, false);
    EXPECT_FALSE(open->GetWoppleVisionLabel()->IsVisible());
    open->ShowWoppleVisionAura(true, false);

    // Off, animated: the outlined number fades out, the plain one in, over 250 ms.
    board->SetWoppleVision(false, true);
    EXPECT_NE(open->GetWoppleVisionLabel()->GetFadeTimerID(), 0u);
    EXPECT_FALSE(open->GetSelectableIndicator()->IsVisible());
    const std::uint32_t start = clock.now;
    while (clock.now - start < 300)
        Pass();
    EXPECT_FALSE(open->GetWoppleVisionLabel()->IsVisible());
    EXPECT_TRUE(NumberLabel(open)->IsVisible());
    EXPECT_EQ(NumberLabel(open)->GetAlpha(), 255);
}

TEST_F(WoppleBoardViewTest, TheSuperJokerLookFadesTheOrangeNumberIn)
{
    WoppleBoardView* board = MakeBoard("WoppleSingleBoardResourceSet");
    Number(board);
    board->SetWoppleVision(true, false);
    WoppleCellView* cell = board->GetCellView(3, 3);
    cell->SetSelectionSuppressed(true);
    EXPECT_EQ(cell->GetSelectableIndicator()->GetAlpha(), 0) << "the unselectable aura";
    EXPECT_NE(cell->GetSuperJokerLabel()->GetFadeTimerID(), 0u);
    EXPECT_NE(NumberLabel(cell)->GetFadeTimerID(), 0u);
    const std::uint32_t start = clock.now;
    while (clock.now - start < 300)
        Pass();
    EXPECT_TRUE(cell->GetSuperJokerLabel()->IsVisible());
    EXPECT_FALSE(cell->GetWoppleVisionLabel()->IsVisible());

    cell->SetSelectionSuppressed(false);
    EXPECT_EQ(cell->GetSelectableIndicator()->GetAlpha(), 255);
    EXPECT_FALSE(cell->GetSuperJokerLabel()->IsVisible());
    EXPECT_TRUE(cell->GetWoppleVisionLabel()->IsVisible());
}

TEST_F(WoppleBoardViewTest, MultipliersCountAndFlashOnMatchedCellsOnly)
{
    WoppleBoardView* board = MakeBoard("WoppleSingleBoardResourceSet");
    Number(board);
    EXPECT_EQ(board->GetTotalMultiplier(), 0);
    struct Case
    {
        int column, multiplier;
        bool selected;
    };
    for (const Case& c : {Case{1, 3, true}, Case{2, 2, true}, Case{3, 1, true}, Case{4, 5, false}}) {
        WoppleCellView* cell = board->GetCellView(c.column, 1);
        cell->multiplier = c.multiplier;
        if (c.selected)
            cell->SetCellType("Selected");
        auto* badge = new Actor();
        badge->SetVisible(false);
        cell->AddChild(badge, "multiplierFlash");
    }
    EXPECT_EQ(board->GetTotalMultiplier(), 5);

    board->FlashMultipliers();
    std::vector<bool> seen(5, false);
    const std::uint32_t start = clock.now;
    while (clock.now - start < 400) {
        Pass();
        for (int c = 1; c <= 4; ++c)
            seen[c] = seen[c] || board->GetCellView(c, 1)->FindChild("multiplierFlash")->IsVisible();
    }
    EXPECT_TRUE(seen[1]);
    EXPECT_TRUE(seen[2]);
    EXPECT_FALSE(seen[3]) << "a multiplier of 1";
    EXPECT_FALSE(seen[4]) << "not matched";
    EXPECT_FALSE(board->GetCellView(1, 1)->FindChild("multiplierFlash")->IsVisible()) << "hidden at the end";
}

TEST_F(WoppleBoardViewTest, OrientationNamesAreExact)
{
    const char* names[] = {"South", "North", "West", "East", "Southwest", "Northeast", "Southeast", "Northwest"};
    for (int value = 0; value < CELL_NUM_ORIENTATIONS; ++value) {
        EXPECT_EQ(CellOrientationTypeToString(value), names[value]);
        EXPECT_EQ(CellOrientationTypeFromString(names[value]), value);
    }
    try {
        CellOrientationTypeFromString("north");
        ADD_FAILURE() << "case matters";
    } catch (const Exception& e) {
        EXPECT_NE(e.GetMessage().find("An unknown value was passed into CellOrientationTypeFromString: \"north\""),
                  std::string::npos)
            << e.GetMessage();
    }
    try {
        CellOrientationTypeToString(8);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_NE(e.GetMessage().find("CellOrientationTypeToString: 8"), std::string::npos) << e.GetMessage();
    }
}

TEST_F(WoppleBoardViewTest, ContentsReplaceEachOtherAndMustShowAFrameTheyHave)
{
    WoppleBoardView* board = MakeBoard("WoppleSingleBoardResourceSet");
    WoppleCellView* cell = board->GetCellView(1, 1);
    AddStrip("joker.test.png", 10, 10, {0xFFFF0000u, 0xFF00FF00u});
    auto* joker = new Actor();
    joker->SetImageFromName("joker.test.png");
    cell->SetContents(joker);
    EXPECT_EQ(cell->contents, joker);
    EXPECT_EQ(joker->GetParent(), cell->cellContents);
    cell->SetContents(nullptr);
    EXPECT_EQ(cell->contents, nullptr);
    EXPECT_TRUE(joker->IsBeingDestroyed());
}
