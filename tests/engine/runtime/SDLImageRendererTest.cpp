#include "engine/runtime/SDLImageRenderer.h"

#include "engine/runtime/Image.h"
#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace imagetest;

namespace {

class SDLImageRendererTest : public ImageFixture
{
protected:
    // Draws a 1 x 1 source pixel onto a 1 x 1 target pixel; the target's result.
    std::uint32_t Draw(int shaderType, std::uint32_t source, std::uint32_t target, std::uint8_t alpha)
    {
        auto from = MakeImage(1, 1, {source});
        auto onto = MakeImage(1, 1, {target});
        SDLImageRenderer renderer(onto.get());
        renderer.DrawImage(from.get(), shaderType, nullptr, nullptr, alpha, 0.0f, false, false);
        return PixelAt(*onto, 0, 0);
    }

    std::uint32_t Fill(std::uint32_t target, const Color& color)
    {
        auto onto = MakeImage(1, 1, {target});
        SDLImageRenderer(onto.get()).FillRect(Rect(0, 0, 1, 1), color, true);
        return PixelAt(*onto, 0, 0);
    }
};

struct BlendCase
{
    int shaderType;
    std::uint32_t source;
    std::uint32_t target;
    std::uint8_t alpha;
    std::uint32_t expected;
    const char* why;
};

} // namespace

TEST_F(SDLImageRendererTest, HandWrittenBlendsAreExact)
{
    const BlendCase cases[] = {
        {4, 0xFFC8C8C8, 0xFF000000, 255, 0xFFC6C6C6, "opaque at 255 moves 254/256 of the way"},
        {4, 0xFF000000, 0x80FFFFFF, 255, 0x80010101, "downward steps round toward minus infinity; target alpha kept"},
        {4, 0x80FF0000, 0xFF0000FF, 128, 0xFF3F00BF, "pixel alpha times constant, over 256"},
        {4, 0x00FFFFFF, 0xFF102030, 255, 0xFF102030, "transparent source changes nothing"},
        {5, 0x80FF4020, 0x00123456, 255, 0x80FF4020, "transparent target takes the source exactly"},
        {5, 0x80C86432, 0xFF646464, 255, 0xFF95634A, "colours over 256, alpha by the over rule"},
        {5, 0x80C86432, 0x64646464, 255, 0xB295634A, "alpha sa + da - sa*da/255"},
        {5, 0xFFC8C8C8, 0xFF000000, 0, 0xFFC7C7C7, "opaque source lands a step short; constant ignored"},
        {0, 0xFFFFFFFF, 0xFF102030, 255, 0xFF102030, "reserved draws nothing"},
        {9, 0xFFFFFFFF, 0xFF102030, 255, 0xFF102030, "unknown draws nothing"},
    };
    for (const BlendCase& c : cases)
        EXPECT_EQ(Draw(c.shaderType, c.source, c.target, c.alpha), c.expected) << c.why;
}

TEST_F(SDLImageRendererTest, SDLBlitTypesFollowTheirAlphaSourceAndRestoreTheImage)
{
    // Colour bytes only: the target's alpha is SDL's business.
    const BlendCase cases[] = {
        {1, 0x80112233, 0xFF445566, 255, 0x80112233, "copy takes all four bytes"},
        {2, 0xFF112233, 0xFF445566, 0, 0x00112233, "opaque pixel covers whatever the constant"},
        {2, 0x00112233, 0xFF445566, 255, 0x00445566, "transparent pixel leaves the target"},
        {3, 0x00FF0000, 0xFF0000FF, 255, 0x00FF0000, "constant 255 covers even a transparent pixel"},
        {3, 0xFFFF0000, 0xFF0000FF, 0, 0x000000FF, "constant 0 leaves the target"},
    };
    for (const BlendCase& c : cases) {
        const std::uint32_t result = Draw(c.shaderType, c.source, c.target, c.alpha);
        const std::uint32_t mask = c.shaderType == 1 ? 0xFFFFFFFF : 0x00FFFFFF;
        EXPECT_EQ(result & mask, c.expected) << c.why;
    }

    for (std::uint32_t flags : {0u, std::uint32_t{IMAGEFLAG_NO_ALPHA}}) {
        auto from = MakeImage(1, 1, {0x80FFFFFF}, flags);
        SDL_Surface* surface = from->GetSurface();
        const Uint32 sourceAlphaFlag = surface->flags & SDL_SRCALPHA;
        const Uint8 constant = surface->format->alpha;
        auto onto = MakeImage(1, 1, {0xFF000000});
        SDLImageRenderer renderer(onto.get());
        for (int type : {1, 2, 3})
            renderer.DrawImage(from.get(), type, nullptr, nullptr, 100, 0.0f, false, false);
        EXPECT_EQ(surface->flags & SDL_SRCALPHA, sourceAlphaFlag);
        EXPECT_EQ(surface->format->alpha, constant);
        EXPECT_EQ(surface->format->Amask, 0xFF000000u);
    }
}

TEST_F(SDLImageRendererTest, DrawImagePlacesTheSourceWithoutScaling)
{
    auto from = MakeImage(3, 2, Numbered(3, 2));
    auto onto = MakeImage(4, 4, std::vector<std::uint32_t>(16, 0xFF000000));
    SDLImageRenderer renderer(onto.get());
    const Rect src(1, 0, 2, 2);
    const Rect dest(2, 1, 40, 40);  // size ignored
    renderer.DrawImage(from.get(), SHADERTYPE_COPY, &dest, &src, 255, 0.0f, false, false);
    EXPECT_EQ(PixelAt(*onto, 2, 1), PixelAt(*from, 1, 0));
    EXPECT_EQ(PixelAt(*onto, 3, 2), PixelAt(*from, 2, 1));
    EXPECT_EQ(PixelAt(*onto, 1, 1), 0xFF000000u);
    EXPECT_EQ(PixelAt(*onto, 2, 3), 0xFF000000u);

    renderer.DrawImage(from.get(), SHADERTYPE_COPY, nullptr, nullptr, 255, 0.0f, false, false);
    EXPECT_EQ(PixelAt(*onto, 0, 0), PixelAt(*from, 0, 0));
    EXPECT_EQ(PixelAt(*onto, 2, 1), PixelAt(*from, 2, 1));

    // Combined alpha clips like a blit.
    const Rect offLeft(-2, -1, 0, 0);
    renderer.DrawImage(from.get(), SHADERTYPE_BLENDCOMBINEDALPHA, &offLeft, nullptr, 255, 0.0f, false, false);
}

TEST_F(SDLImageRendererTest, FillsByAlpha)
{
    EXPECT_EQ(Fill(0x00000000, Color(1, 2, 3, 255)), 0xFF010203u);
    EXPECT_EQ(Fill(0xFF6496C8, Color(255, 0, 50, 128)), 0xFFB14A7Cu);
    EXPECT_EQ(Fill(0x406496C8, Color(255, 0, 50, 128)), 0x40B14A7Cu);  // alpha byte kept
    EXPECT_EQ(Fill(0xFF6496C8, Color(255, 0, 50, 0)), 0xFF6496C8u);

    auto onto = MakeImage(3, 3, std::vector<std::uint32_t>(9, 0xFF000000));
    SDLImageRenderer renderer(onto.get());
    renderer.FillRect(Rect(-5, 0, 3, 3), Color(255, 255, 255, 128), true);  // wholly left
    renderer.FillRect(Rect(0, -5, 3, 3), Color(255, 255, 255, 128), true);  // wholly above
    renderer.FillRect(Rect(-1, -1, 2, 2), Color(255, 255, 255, 128), true);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(PixelAt(*onto, x, y), x == 0 && y == 0 ? 0xFF7F7F7Fu : 0xFF000000u) << x << "," << y;
}

TEST_F(SDLImageRendererTest, OutlineCoversOneMorePixelEachWayAndDrawsEachOnce)
{
    auto onto = MakeImage(6, 5, std::vector<std::uint32_t>(30, 0xFF000000));
    SDLImageRenderer(onto.get()).FillRect(Rect(1, 1, 3, 2), Color(255, 255, 255, 128), false);
    const std::uint32_t drawn = PixelAt(*onto, 1, 1);
    EXPECT_NE(drawn, 0xFF000000u);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool inBox = x >= 1 && x <= 4 && y >= 1 && y <= 3;
            const bool onEdge = inBox && (x == 1 || x == 4 || y == 1 || y == 3);
            EXPECT_EQ(PixelAt(*onto, x, y), onEdge ? drawn : 0xFF000000u) << x << "," << y;
        }
    }
}

TEST_F(SDLImageRendererTest, PrimitivesDrawThroughSDLGfx)
{
    auto onto = MakeImage(9, 9, std::vector<std::uint32_t>(81, 0xFF000000));
    SDLImageRenderer renderer(onto.get());
    const Color white(255, 255, 255, 255);
    renderer.DrawLine(0, 0, 3, 0, white);
    EXPECT_EQ(PixelAt(*onto, 3, 0), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(*onto, 4, 0), 0xFF000000u);
    renderer.DrawCircle(4, 4, 3, white);
    EXPECT_EQ(PixelAt(*onto, 7, 4), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(*onto, 4, 4), 0xFF000000u);

    auto pie = MakeImage(9, 9, std::vector<std::uint32_t>(81, 0xFF000000));
    SDLImageRenderer(pie.get()).DrawPie(4, 4, 3, 0, 90, white);
    EXPECT_EQ(PixelAt(*pie, 7, 4), 0xFFFFFFFFu);  // on the arc at 0 degrees
    EXPECT_EQ(PixelAt(*pie, 1, 4), 0xFF000000u);  // the other half stays empty

    Poly square;
    square.SetPoly(Rect(1, 2, 4, 4));
    auto outlined = MakeImage(9, 9, std::vector<std::uint32_t>(81, 0xFF000000));
    SDLImageRenderer(outlined.get()).FillPolygon(square, white, false);
    EXPECT_EQ(PixelAt(*outlined, 1, 2), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(*outlined, 3, 4), 0xFF000000u);
    auto filled = MakeImage(9, 9, std::vector<std::uint32_t>(81, 0xFF000000));
    SDLImageRenderer(filled.get()).FillPolygon(square, white, true);
    EXPECT_EQ(PixelAt(*filled, 3, 4), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(*filled, 7, 4), 0xFF000000u);
}

TEST_F(SDLImageRendererTest, DrawsIntoTheScreenItselfAndLeavesItToSDL)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_Surface* screen = SDL_SetVideoMode(4, 4, 32, 0);
    ASSERT_NE(screen, nullptr) << SDL_GetError();
    {
        SDLImageRenderer renderer(screen);
        EXPECT_EQ(renderer.GetTargetSDLSurface(), screen);
        EXPECT_EQ(renderer.GetTargetSurface()->GetFlags() & IMAGEFLAG_SHARED_PIXELS, IMAGEFLAG_SHARED_PIXELS);
        renderer.FillRect(Rect(0, 0, 2, 2), Color(10, 20, 30, 255), true);
        EXPECT_EQ(PixelRow(screen, 1)[1] & 0xFFFFFF, 0x0A141Eu);
    }
    EXPECT_EQ(SDL_GetVideoSurface(), screen);
    EXPECT_EQ(screen->w, 4);
    SDL_Quit();
}

TEST(ShaderTypeTest, NamesMapToTheirNumbers)
{
    EXPECT_EQ(ShaderTypeFromString("SHADERTYPE_RESERVED"), 0);
    EXPECT_EQ(ShaderTypeFromString("SHADERTYPE_COPY"), 1);
    EXPECT_EQ(ShaderTypeFromString("SHADERTYPE_BLENDPIXELALPHA"), 2);
    EXPECT_EQ(ShaderTypeFromString("SHADERTYPE_BLENDCONSTANTALPHA"), 3);
    EXPECT_EQ(ShaderTypeFromString("SHADERTYPE_BLENDCOMBINEDALPHA"), 4);
    EXPECT_EQ(FailureWithFunctionOf([] { ShaderTypeFromString("shadertype_copy"); }),
              "ShaderTypeFromString: Unknown shaderTypeString: shadertype_copy");
}

TEST_F(SDLImageRendererTest, OurPixelAlphaBlendGivesWhatSDLsBlitGives)
{
    // Every alpha against colours that step both ways, then seeded random
    // pixels; an odd width, so SDL's leftover pixels are compared too. Colour
    // and alpha bytes alike.
    std::vector<std::uint32_t> sources, targets;
    for (std::uint32_t a = 0; a < 256; ++a)
        for (std::uint32_t target : {0xFF0080FFu, 0x80FF7F01u}) {
            sources.push_back(a << 24 | (a * 7 & 0xFF) << 16 | (255 - a) << 8 | (a * 13 & 0xFF));
            targets.push_back(target);
        }
    std::mt19937 random(7);
    while (sources.size() < 2047) {
        sources.push_back(static_cast<std::uint32_t>(random()));
        targets.push_back(static_cast<std::uint32_t>(random()));
    }
    const int w = static_cast<int>(sources.size());
    auto from = MakeImage(w, 1, sources);
    auto ours = MakeImage(w, 1, targets);
    SDLImageRenderer(ours.get()).DrawImage(from.get(), SHADERTYPE_BLENDPIXELALPHA, nullptr, nullptr, 255, 0.0f,
                                           false, false);
    auto sdls = MakeImage(w, 1, targets);
    SDL_SetAlpha(from->GetSurface(), SDL_SRCALPHA, 255);
    ASSERT_EQ(SDL_BlitSurface(from->GetSurface(), nullptr, sdls->GetSurface(), nullptr), 0);
    for (int x = 0; x < w; ++x)
        ASSERT_EQ(PixelAt(*ours, x, 0), PixelAt(*sdls, x, 0)) << std::hex << sources[x] << " over " << targets[x];
}

TEST_F(SDLImageRendererTest, EveryWayOfDrawingStopsAtTheClipRectangle)
{
    // A 6 x 6 target clipped to its middle 2 x 2: the pixels just inside the
    // clip change, those one pixel outside stay black.
    struct Case
    {
        const char* what;
        std::function<void(SDLImageRenderer&, Image&)> draw;
    };
    auto sprite = MakeImage(6, 6, std::vector<std::uint32_t>(36, 0x80FFFFFFu));
    const Case cases[] = {
        {"pixel alpha", [](SDLImageRenderer& r, Image& i) {
             r.DrawImage(&i, SHADERTYPE_BLENDPIXELALPHA, nullptr, nullptr, 255, 0.0f, false, false);
         }},
        {"combined alpha", [](SDLImageRenderer& r, Image& i) {
             r.DrawImage(&i, SHADERTYPE_BLENDCOMBINEDALPHA, nullptr, nullptr, 255, 0.0f, false, false);
         }},
        {"constant alpha", [](SDLImageRenderer& r, Image& i) {
             r.DrawImage(&i, SHADERTYPE_BLENDCONSTANTALPHA, nullptr, nullptr, 128, 0.0f, false, false);
         }},
        {"copy", [](SDLImageRenderer& r, Image& i) {
             r.DrawImage(&i, SHADERTYPE_COPY, nullptr, nullptr, 255, 0.0f, false, false);
         }},
        {"opaque fill", [](SDLImageRenderer& r, Image&) { r.FillRect(Rect(0, 0, 6, 6), Colors::White, true); }},
        {"faded fill", [](SDLImageRenderer& r, Image&) {
             r.FillRect(Rect(0, 0, 6, 6), Color(255, 255, 255, 128), true);
         }},
        {"line", [](SDLImageRenderer& r, Image&) {
             for (int y = 0; y < 6; ++y)
                 r.DrawLine(0, y, 5, y, Colors::White);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto onto = MakeImage(6, 6, std::vector<std::uint32_t>(36, 0xFF000000u));
        SDLImageRenderer renderer(onto.get());
        const SDL_Rect clip{2, 2, 2, 2};
        renderer.SetClip(&clip);
        c.draw(renderer, *sprite);
        for (int y = 1; y <= 4; ++y)
            for (int x = 1; x <= 4; ++x) {
                const bool inside = x >= 2 && x <= 3 && y >= 2 && y <= 3;
                EXPECT_EQ((PixelAt(*onto, x, y) & 0xFFFFFFu) != 0, inside) << x << "," << y;
            }
        renderer.SetClip(nullptr);
        c.draw(renderer, *sprite);
        EXPECT_NE(PixelAt(*onto, 0, 0) & 0xFFFFFFu, 0u) << "the whole target again";
    }
}

// Wrapping a surface to draw on must not change how SDL copies it out: the
// window's surface, without an alpha channel, stays a plain copy (a blend
// setting made every present blend each pixel); one with an alpha channel
// keeps blending by it.
TEST_F(SDLImageRendererTest, WrappingASurfaceKeepsItsOwnAlphaChannelRule)
{
    for (const bool withAlpha : {false, true}) {
        SCOPED_TRACE(withAlpha ? "with an alpha channel" : "without an alpha channel");
        SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 4, 32, 0xFF0000, 0xFF00, 0xFF,
                                                    withAlpha ? 0xFF000000u : 0u);
        ASSERT_NE(surface, nullptr);
        // The renderer's image takes the surface over.
        SDLImageRenderer renderer(surface);
        EXPECT_EQ((renderer.GetTargetSDLSurface()->flags & SDL_SRCALPHA) != 0, withAlpha);
    }
}
