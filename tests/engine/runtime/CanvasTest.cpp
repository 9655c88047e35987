#include "engine/runtime/Canvas.h"

#include "engine/runtime/Image.h"
#include "engine/runtime/ImageRenderer.h"
#include "ImageTestSupport.h"

#include <gtest/gtest.h>

using namespace imagetest;

namespace {

// Records what the canvas asks of its renderer.
class RecordingRenderer : public ImageRenderer
{
public:
    struct Draw
    {
        int shaderType;
        Rect dest;
        Rect src;
        std::uint8_t alpha;
        float angle;
        bool reserved;
        bool pointFiltering;
    };
    struct Fill
    {
        Rect rect;
        Color color;
        bool filled;
    };

    Image* GetTargetSurface() override { return target; }
    void DrawCircle(int, int, int, const Color&) override {}
    void DrawImage(Image*, int shaderType, const Rect* destRect, const Rect* srcRect, std::uint8_t alpha, float angle,
                   bool reserved, bool pointFiltering) override
    {
        draws.push_back({shaderType, *destRect, *srcRect, alpha, angle, reserved, pointFiltering});
    }
    void DrawLine(int, int, int, int, const Color&) override {}
    void DrawPie(int, int, int, int, int, const Color&) override {}
    void FillPolygon(const Poly&, const Color&, bool) override {}
    void FillRect(const Rect& rect, const Color& color, bool filled) override { fills.push_back({rect, color, filled}); }

    Image* target = nullptr;
    std::vector<Draw> draws;
    std::vector<Fill> fills;
};

class CanvasTest : public ImageFixture
{
protected:
    RecordingRenderer renderer;
    Canvas canvas{&renderer, false};
};

class OffscreenCanvasTest : public ImageFixture
{
};

} // namespace

TEST_F(CanvasTest, ShaderFollowsTheTopState)
{
    struct Case
    {
        float factor;
        std::uint32_t flags;
        int shaderType;
        int alpha;
    };
    const Case cases[] = {
        {1.0f, 0, SHADERTYPE_BLENDPIXELALPHA, 255},
        {0.999f, 0, SHADERTYPE_BLENDCOMBINEDALPHA, 254},
        {0.5f, 0, SHADERTYPE_BLENDCOMBINEDALPHA, 127},
        {0.5f, CANVAS_COMPOSE_ALPHA, SHADERTYPE_COMPOSITE, 255},
        {1.0f, CANVAS_COMPOSE_ALPHA, SHADERTYPE_COMPOSITE, 255},
    };
    auto strip = MakeImage(6, 2, {});
    strip->BuildFrameRects(3, 2, 2, 0);
    canvas.Translate(10, 20);
    for (const Case& c : cases) {
        canvas.GetState().alpha = c.factor;
        canvas.GetState().flags = c.flags;
        canvas.DrawImageFrame(strip.get(), 1);
        const RecordingRenderer::Draw& draw = renderer.draws.back();
        EXPECT_EQ(draw.shaderType, c.shaderType) << c.factor;
        EXPECT_EQ(draw.alpha, c.alpha) << c.factor;
        EXPECT_EQ(draw.dest, Rect(10, 20, 3, 2));
        EXPECT_EQ(draw.src, Rect(3, 0, 3, 2));
        EXPECT_EQ(draw.angle, 0.0f);
        EXPECT_FALSE(draw.reserved);
        EXPECT_TRUE(draw.pointFiltering);
    }
}

TEST_F(CanvasTest, PushedStatesCopyTheOneBelowAndPoppedRecordsAreReused)
{
    canvas.Translate(1, 2);
    canvas.PushState();
    canvas.Translate(10, 10);
    canvas.GetState().alpha = 0.5f;
    canvas.PushState();
    canvas.Translate(100, 100);
    canvas.GetState().flags = 8;
    canvas.PopState();
    canvas.PushState();
    EXPECT_EQ(canvas.GetStateRecordCount(), 3u);
    EXPECT_EQ(canvas.GetStateIndex(), 2u);
    EXPECT_EQ(canvas.GetState().x, 11);
    EXPECT_EQ(canvas.GetState().y, 12);
    EXPECT_EQ(canvas.GetState().alpha, 0.5f);
    EXPECT_EQ(canvas.GetState().flags, 0u);
    canvas.PopState();
    canvas.PopState();
    EXPECT_EQ(canvas.GetState().x, 1);
    EXPECT_EQ(FailureWithFunctionOf([&] { canvas.PopState(); }),
              "Canvas::PopState: Assertion failed: (m_Top > 0)\nMessage: PopState without a matching PushState");
    EXPECT_EQ(FailureWithFunctionOf([&] { canvas.InitStack(0); }), "Canvas::InitStack: Assertion failed: (m_StateStack.empty())");
}

TEST_F(CanvasTest, FillsFadeTheColourOnceAndPlaceItAsEachOperationSays)
{
    auto target = MakeImage(30, 40, {});
    renderer.target = target.get();
    canvas.Translate(5, 6);
    canvas.GetState().alpha = 0.5f;
    const Color colour(1, 2, 3, 200);
    canvas.DrawRect(Rect(1, 1, 4, 4), colour);
    canvas.FillRect(7, 8, colour);
    canvas.FillRectAt(Rect(1, 1, 4, 4), colour);
    canvas.FillImageRect(colour);
    ASSERT_EQ(renderer.fills.size(), 4u);
    EXPECT_EQ(renderer.fills[0].rect, Rect(1, 1, 4, 4));  // origin ignored
    EXPECT_FALSE(renderer.fills[0].filled);
    EXPECT_EQ(renderer.fills[1].rect, Rect(5, 6, 7, 8));
    EXPECT_EQ(renderer.fills[2].rect, Rect(6, 7, 4, 4));
    EXPECT_EQ(renderer.fills[3].rect, Rect(5, 6, 30, 40));
    for (const RecordingRenderer::Fill& fill : renderer.fills)
        EXPECT_EQ(fill.color, Color(1, 2, 3, 100));
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_TRUE(renderer.fills[i].filled);
}

TEST_F(OffscreenCanvasTest, OwnsItsTargetOnlyWhenAsked)
{
    const std::int32_t before = GetMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM);
    { Canvas owning(4, 3, CANVAS_DESTROY_TARGET); }
    EXPECT_EQ(GetMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM), before);

    Image* kept = nullptr;
    {
        Canvas canvas(4, 3, 0);
        kept = canvas.GetTargetSurface();
        EXPECT_EQ(kept->GetFullSize().w, 4u);
        EXPECT_EQ(kept->GetFullSize().h, 3u);
        canvas.FillImageRect(Color(9, 8, 7, 255));
    }
    EXPECT_EQ(PixelAt(*kept, 3, 2), 0xFF090807u);
    delete kept;
    EXPECT_EQ(GetMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM), before);
}

TEST_F(OffscreenCanvasTest, ComposingCopiesOntoTransparencyAndBlendsElsewhere)
{
    auto sprite = MakeImage(2, 1, {0x80C86432, 0x80C86432});
    Canvas canvas(3, 1, CANVAS_DESTROY_TARGET | CANVAS_COMPOSE_ALPHA);
    Image* target = canvas.GetTargetSurface();
    SetPixel(*target, 1, 0, 0xFF646464);
    canvas.DrawImageFrame(sprite.get(), 0);
    EXPECT_EQ(PixelAt(*target, 0, 0), 0x80C86432u);
    EXPECT_EQ(PixelAt(*target, 1, 0), 0xFF95634Au);
    EXPECT_EQ(PixelAt(*target, 2, 0), 0x00000000u);
}
