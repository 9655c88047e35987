// A reel strip's window (wrapping, straddling two squares, centring smaller
// and larger pictures) and the progress overlay's chart.

#include "WheelTestSupport.h"
#include "game/views/WoppleWheelAnimation.h"
#include "game/views/WoppleWheelProgressOverlay.h"

using namespace wheeltest;

namespace {

class WheelStripTest : public WheelFixture
{
protected:
    // Squares 4 x 4, one colour each, a 4 x 4 window.
    static std::unique_ptr<WoppleWheelAnimation> ThreeSquares()
    {
        auto strip = std::make_unique<WoppleWheelAnimation>();
        strip->SetSquareSize(4, 4);
        for (std::uint32_t color : {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u})
            strip->AddSquareImage(Picture(4, 4, color));
        strip->SetWindowSize(4, 4);
        return strip;
    }

    static std::unique_ptr<Image> Picture(int w, int h, std::uint32_t color)
    {
        SDL_Surface* surface = SurfaceManager::GetInstance()->CreateSurface(w, h, true);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                PixelRow(surface, y)[x] = color;
        return std::make_unique<Image>(surface, 0, nullptr);
    }

    // The colour of column x of every row of the window.
    static std::vector<std::uint32_t> Column(WoppleWheelAnimation& strip, int x)
    {
        Canvas canvas(strip.GetWindowSize().x, strip.GetWindowSize().y, CANVAS_DESTROY_TARGET);
        strip.DrawImage(canvas);
        std::vector<std::uint32_t> rows;
        for (int y = 0; y < strip.GetWindowSize().y; ++y)
            rows.push_back(Rgb(canvas.GetTargetSurface()->GetSurface(), x, y));
        return rows;
    }
};

constexpr std::uint32_t B = 0x0000FF, G = 0x00FF00, R = 0xFF0000, N = 0;

TEST_F(WheelStripTest, TheWindowWrapsAndStraddlesSquares)
{
    struct Case
    {
        int yPos;
        std::vector<std::uint32_t> rows;
    } cases[] = {
        {0, {B, B, B, B}},
        {-1, {R, B, B, B}},  // the last square's last row on top
        {6, {G, G, R, R}},   // the lower half of one, the upper half of the next
        {10, {R, R, B, B}},  // the last square wraps to the first
        {12, {B, B, B, B}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<WoppleWheelAnimation> strip = ThreeSquares();
        strip->SetYPos(c.yPos);
        EXPECT_EQ(Column(*strip, 0), c.rows) << "yPos " << c.yPos;
    }
}

TEST_F(WheelStripTest, PicturesAreCentredInTheirSquaresAndCroppedToTheWindow)
{
    WoppleWheelAnimation strip;
    strip.SetSquareSize(6, 6);
    strip.AddSquareImage(Picture(2, 3, 0xFF0000FFu));  // narrow and short: top ceil(3 / 2) = 2
    strip.AddSquareImage(nullptr);                      // an empty square draws nothing
    strip.AddSquareImage(Picture(10, 8, 0xFFFF0000u));  // wide and tall: cropped on both sides
    strip.SetWindowSize(6, 6);

    EXPECT_EQ(Column(strip, 2), (std::vector<std::uint32_t>{N, N, B, B, B, N}));
    EXPECT_EQ(Column(strip, 1), (std::vector<std::uint32_t>(6, N)));  // beside the picture
    strip.SetYPos(6);
    EXPECT_EQ(Column(strip, 0), (std::vector<std::uint32_t>(6, N)));
    strip.SetYPos(12);
    EXPECT_EQ(Column(strip, 0), (std::vector<std::uint32_t>(6, R)));
    EXPECT_EQ(Column(strip, 5), (std::vector<std::uint32_t>(6, R)));
}

TEST_F(WheelStripTest, ACloneCopiesTheWindowAndThePictures)
{
    std::unique_ptr<WoppleWheelAnimation> strip = ThreeSquares();
    strip->AddSquareImage(nullptr);
    strip->SetYPos(6);
    std::unique_ptr<WoppleWheelAnimation> copy = strip->Clone();
    EXPECT_EQ(copy->GetYPos(), 6);
    EXPECT_EQ(copy->GetNumSquares(), 4);
    EXPECT_EQ(copy->GetSquareImage(3), nullptr);
    EXPECT_NE(copy->GetSquareImage(0), strip->GetSquareImage(0));
    EXPECT_EQ(copy->GetWidth(), 4);
    EXPECT_EQ(copy->GetWheelSize().y, 16);
    EXPECT_EQ(Column(*copy, 0), Column(*strip, 0));
}

// ---------------------------------------------------------------- progress overlay

class WheelProgressOverlayTest : public WheelFixture
{
protected:
    void SetUp() override
    {
        WheelFixture::SetUp();
        overlay = Make<WoppleWheelProgressOverlay>(R"({ class = "WoppleWheelProgressOverlay",
                                                       resource = "WheelPieceChart", size = { 86, 76 } })");
        screen->AddChild(overlay);
    }

    Actor* Shape() const
    {
        return overlay->GetNumChildren() == 1 ? overlay->GetChildren().front() : nullptr;
    }

    // The dark rectangles of the shape: x, y, w, h each.
    std::vector<std::vector<int>> DarkAreas() const
    {
        std::vector<std::vector<int>> areas;
        if (Actor* shape = Shape())
            for (Actor* part : shape->GetChildren())
                areas.push_back({part->GetX(), part->GetY(), part->GetWidth(), part->GetHeight()});
        return areas;
    }

    WoppleWheelProgressOverlay* overlay = nullptr;
};

TEST_F(WheelProgressOverlayTest, FilledPiecesDarkenTheirAreas)
{
    overlay->SetNumPieces(2);
    EXPECT_TRUE(DarkAreas().empty());
    overlay->FillPiece(1);
    EXPECT_EQ(DarkAreas(), (std::vector<std::vector<int>>{{0, 0, 87, 38}}));
    overlay->IgnorePiece(2);
    EXPECT_EQ(DarkAreas(), (std::vector<std::vector<int>>{{0, 0, 87, 38}}));
    overlay->SetNumPieces(4);
    overlay->FillPiece(4);
    EXPECT_EQ(DarkAreas(), (std::vector<std::vector<int>>{{44, 38, 43, 38}}));
    for (int i = 1; i <= 4; ++i)
        overlay->FillPiece(i);
    EXPECT_EQ(DarkAreas(), (std::vector<std::vector<int>>{{0, 0, 87, 76}}));
    overlay->Reset();
    EXPECT_EQ(overlay->GetNumPieces(), 1);
    EXPECT_TRUE(DarkAreas().empty());
}

TEST_F(WheelProgressOverlayTest, FillingAFilledPieceDoesNotRedraw)
{
    overlay->SetNumPieces(3);
    overlay->FillPiece(2);
    Actor* shape = Shape();
    ASSERT_NE(shape, nullptr);
    overlay->FillPiece(2);
    EXPECT_EQ(Shape(), shape);
    overlay->FillPiece(3);
    EXPECT_NE(Shape(), shape);
}

TEST_F(WheelProgressOverlayTest, ScriptsFillingAPieceThatIsNotThereAreIgnored)
{
    overlay->SetNumPieces(2);
    LuaState lua = app->GetLuaState();
    overlay->GetLuaObject().Push(lua);
    lua.SetGlobal("overlay");
    for (const char* call : {"overlay:FillPiece(0)", "overlay:FillPiece(3)", "overlay:IgnorePiece(-1)"})
        EXPECT_EQ(lua.DoString(call), 0) << call;
    EXPECT_EQ(overlay->GetPieceStates(), (std::vector<std::int32_t>{1, 1}));
    EXPECT_EQ(lua.DoString("overlay:FillPiece(2)"), 0);
    EXPECT_EQ(overlay->GetPieceStates(), (std::vector<std::int32_t>{1, 0}));
}

} // namespace
