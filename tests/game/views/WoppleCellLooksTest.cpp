// What a player sees of the cells, pixel by pixel on a board of 12-pixel
// cells: matched, open, hovered, the column highlight and the vision aura,
// each at its edge (one pixel in, one out).

#include "BoardTestSupport.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/SurfaceManager.h"

#include <memory>

using namespace boardtest;

namespace {

constexpr int kCell = 12;
constexpr std::uint32_t kOpen = 0xFFFFFF;
constexpr std::uint32_t kMatched = 0x00C000;
constexpr std::uint32_t kHover = 0xFFFF00;
constexpr std::uint32_t kPressed = 0x0000FF;
constexpr std::uint32_t kBlank = 0x404040;
constexpr std::uint32_t kAura = 0xFF00FF;
constexpr std::uint32_t kHilite = 0x00FFFF;
constexpr std::uint32_t kBack = 0x102030;

class WoppleCellLooksTest : public BoardFixture
{
protected:
    void SetUp() override
    {
        BoardFixture::SetUp();
        AddStrip("tinyFace.png", kCell, kCell,
                 {0xFF000000u | kOpen, 0xFF000000u | kMatched, 0xFF000000u | kHover, 0xFF000000u | kPressed,
                  0xFF000000u | kBlank});
        AddStrip("tinyAura.png", kCell, kCell, {0xFF000000u | kAura});
        AddStrip("tinyOverlay.png", kCell, kCell, {0xFF000000u | 0x800080});
        AddStrip("tinyHilite.png", 4, 5 * kCell, {0xFF000000u | kHilite});
        AddStrip("tinyBack.png", 5 * kCell, 5 * kCell, {0xFF000000u | kBack});
        Eval(R"((function()
            Resources.TinyCell = WoppleCellViewTemplate{
                face = "tinyFace.png", patternFace = "tinyFace.png", aura = "tinyAura.png",
                patternOverlay = "tinyOverlay.png", boardOverlay = "tinyOverlay.png",
                font = "CellFontSmall", visionLabel = "SmallWoppleVisionLabelDefaults", size = { 12, 12 },
            }
            Resources.TinyBoard = WoppleBoardViewTemplate{
                background = "tinyBack.png", cell = "TinyCell", hilite = "tinyHilite.png", margins = { 0, 0 },
                columnWidths = { 12, 12, 12, 12, 12 }, rowHeights = { 12, 12, 12, 12, 12 },
            }
        end)())");
        board = MakeBoard("TinyBoard");
        ASSERT_NE(board, nullptr);
        // Open cells without numbers: nothing is written over the faces.
        for (int c = 1; c <= 5; ++c)
            for (int r = 1; r <= 5; ++r)
                board->GetCellView(c, r)->SetCellType("SelectableAndClickableNumber");
    }

    // The board drawn alone.
    std::unique_ptr<Canvas> Draw()
    {
        auto canvas = std::make_unique<Canvas>(5 * kCell, 5 * kCell, CANVAS_DESTROY_TARGET);
        board->Draw(*canvas);
        return canvas;
    }

    static std::uint32_t Rgb(const Canvas& canvas, int x, int y)
    {
        return PixelRow(canvas.GetTargetSurface()->GetSurface(), y)[x] & 0xFFFFFFu;
    }

    // The colour to within the rounding of an alpha blend.
    static bool Near(std::uint32_t rgb, std::uint32_t expected)
    {
        for (int shift : {0, 8, 16}) {
            const int a = static_cast<int>((rgb >> shift) & 0xFF);
            const int b = static_cast<int>((expected >> shift) & 0xFF);
            if (a - b > 2 || b - a > 2)
                return false;
        }
        return true;
    }

    // The pointer at (x, y), and the pass that delivers the change of look.
    void PointAt(int x, int y)
    {
        app->ResetRolloverAt(x, y, true);
        Pass();
    }

    WoppleBoardView* board = nullptr;
};

} // namespace

TEST_F(WoppleCellLooksTest, AMatchedCellShowsItsMatchedFaceToItsEdge)
{
    board->GetCellView(2, 2)->SetCellType("Selected");
    board->GetCellView(4, 5)->SetCellType("Blank");
    auto canvas = Draw();
    // Cell [2][2] spans 12..23 both ways.
    EXPECT_EQ(Rgb(*canvas, 12, 12), kMatched);
    EXPECT_EQ(Rgb(*canvas, 23, 23), kMatched);
    EXPECT_EQ(Rgb(*canvas, 11, 12), kOpen);
    EXPECT_EQ(Rgb(*canvas, 24, 23), kOpen);
    EXPECT_EQ(Rgb(*canvas, 23, 24), kOpen) << "the next row";
    EXPECT_EQ(Rgb(*canvas, 36, 48), kBlank);
    EXPECT_EQ(Rgb(*canvas, 35, 48), kOpen);
}

TEST_F(WoppleCellLooksTest, HoveringShowsTheHoverFaceAndTheColumnHighlight)
{
    Pass();
    WoppleCellView* cell = board->GetCellView(3, 2);
    const Rect rect = cell->GetGlobalRect();
    PointAt(rect.x, rect.y + kCell - 1);
    auto canvas = Draw();
    EXPECT_EQ(Rgb(*canvas, 24, 12), kHover);
    EXPECT_EQ(Rgb(*canvas, 24, 11), kOpen) << "the cell above stays open";
    EXPECT_EQ(Rgb(*canvas, 23, 12), kOpen);
    // The highlight, 4 pixels wide, stands in the middle of column 3, every row.
    for (int y : {0, 30, 59}) {
        EXPECT_EQ(Rgb(*canvas, 28, y), kHilite) << y;
        EXPECT_EQ(Rgb(*canvas, 31, y), kHilite) << y;
        EXPECT_NE(Rgb(*canvas, 27, y), kHilite) << y;
        EXPECT_NE(Rgb(*canvas, 32, y), kHilite) << y;
    }

    // One pixel below the cell is the next one's.
    PointAt(rect.x, rect.y + kCell);
    canvas = Draw();
    EXPECT_EQ(Rgb(*canvas, 24, 12), kOpen);
    EXPECT_EQ(Rgb(*canvas, 24, 24), kHover);
    PointAt(200, 200);
    canvas = Draw();
    EXPECT_EQ(Rgb(*canvas, 24, 24), kOpen);
    EXPECT_NE(Rgb(*canvas, 28, 30), kHilite);
}

TEST_F(WoppleCellLooksTest, VisionLightsTheChoosableCellsOnly)
{
    board->GetCellView(1, 1)->SetCellType("Selected");
    board->GetCellView(1, 2)->SetCellType("UnclickableNumber");
    board->SetWoppleVision(true, false);
    auto canvas = Draw();
    EXPECT_EQ(Rgb(*canvas, 0, 0), kMatched) << "matched: the unselectable aura shows nothing";
    EXPECT_EQ(Rgb(*canvas, 0, 12), kOpen) << "not choosable";
    EXPECT_PRED2(Near, Rgb(*canvas, 0, 24), kAura);
    EXPECT_PRED2(Near, Rgb(*canvas, 12, 0), kAura);
    EXPECT_PRED2(Near, Rgb(*canvas, 59, 59), kAura);

    board->SetWoppleVision(false, false);
    canvas = Draw();
    EXPECT_EQ(Rgb(*canvas, 12, 0), kOpen);
}
