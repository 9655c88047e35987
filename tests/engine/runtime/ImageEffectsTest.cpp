#include "engine/runtime/ImageEffects.h"

#include "engine/runtime/Image.h"
#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include <SDL_rotozoom.h>

#include <cmath>

using namespace imagetest;

namespace {

class ImageEffectsTest : public ImageFixture
{
};

void ExpectSamePixels(const Image& a, const Image& b)
{
    ASSERT_EQ(a.GetFullSize().w, b.GetFullSize().w);
    ASSERT_EQ(a.GetFullSize().h, b.GetFullSize().h);
    for (std::uint32_t y = 0; y < a.GetFullSize().h; ++y)
        for (std::uint32_t x = 0; x < a.GetFullSize().w; ++x)
            ASSERT_EQ(PixelAt(a, static_cast<int>(x), static_cast<int>(y)), PixelAt(b, static_cast<int>(x), static_cast<int>(y)))
                << x << "," << y;
}

} // namespace

TEST_F(ImageEffectsTest, ZoomScalesTheStripItsFramesAndItsGap)
{
    LuaObject metadata = Eval("{numFrames = 4, width = 32, height = 32, gap_y = 3}");
    Image strip(MakeSurface(128, 32, {}), IMAGEFLAG_COMBINED_ALPHA, &metadata);
    strip.SetAlpha(100);
    std::unique_ptr<Image> zoomed = ZoomImage(strip, 1.5, false);
    EXPECT_EQ(zoomed->GetFullSize().w, 192u);
    EXPECT_EQ(zoomed->GetFullSize().h, 48u);
    ASSERT_EQ(zoomed->GetNumFrames(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(zoomed->GetFrameRect(i), Rect(static_cast<std::int16_t>(48 * i), 0, 48, 48));
    EXPECT_EQ(zoomed->GetFrameGap(), 0);
    EXPECT_EQ(zoomed->GetMetadata()["gap_y"].GetInteger(), 4);
    EXPECT_EQ(metadata["gap_y"].GetInteger(), 3);  // the source's table is not touched
    EXPECT_EQ(zoomed->GetFlags(), IMAGEFLAG_OWNS_METADATA | IMAGEFLAG_COMBINED_ALPHA);
    EXPECT_EQ(zoomed->GetAlpha(), 255);

    std::unique_ptr<Image> same = ZoomImage(strip, 1.0, true);
    EXPECT_NE(same->GetSurfaceRecord(), strip.GetSurfaceRecord());
    EXPECT_EQ(same->GetAlpha(), 100);  // a deep copy keeps the alpha

    std::unique_ptr<Image> stretched = ZoomImageXY(strip, 0.5, 2.0, false);
    EXPECT_EQ(stretched->GetFullSize().w, 64u);
    EXPECT_EQ(stretched->GetFullSize().h, 64u);
    EXPECT_EQ(stretched->GetFrameRect(1), Rect(16, 0, 16, 64));
    EXPECT_EQ(stretched->GetMetadata()["gap_y"].GetInteger(), 6);
}

TEST_F(ImageEffectsTest, ZoomWithoutSmoothingRepeatsPixels)
{
    auto image = MakeImage(2, 1, {0xFF0000FF, 0x80FF0000});
    std::unique_ptr<Image> zoomed = ZoomImage(*image, 2.0, false);
    EXPECT_EQ(PixelAt(*zoomed, 1, 1), 0xFF0000FFu);
    EXPECT_EQ(PixelAt(*zoomed, 2, 0), 0x80FF0000u);
    EXPECT_EQ(zoomed->GetFrameRect(0), Rect(0, 0, 4, 2));
}

TEST_F(ImageEffectsTest, RightAngleRotationMovesEveryPixelExactly)
{
    auto tall = MakeImage(10, 20, Numbered(10, 20), IMAGEFLAG_NO_ALPHA);
    tall->SetAlpha(33);
    struct Case
    {
        int degrees;
        std::uint32_t w, h;
        int fromX, fromY;  // the source pixel that lands at (0, 0)
    };
    for (const Case& c : {Case{90, 20, 10, 9, 0}, Case{180, 10, 20, 9, 19}, Case{270, 20, 10, 0, 19}}) {
        std::unique_ptr<Image> turned = ImageEffects::RotateImageRightAngle(*tall, c.degrees);
        EXPECT_EQ(turned->GetFullSize().w, c.w) << c.degrees;
        EXPECT_EQ(turned->GetFullSize().h, c.h) << c.degrees;
        EXPECT_EQ(PixelAt(*turned, 0, 0), PixelAt(*tall, c.fromX, c.fromY)) << c.degrees;
        // Flags and alpha are carried without the construction's alpha rule.
        EXPECT_EQ(turned->GetFlags(), std::uint32_t{IMAGEFLAG_NO_ALPHA});
        EXPECT_TRUE(turned->GetSurface()->flags & SDL_SRCALPHA);
        EXPECT_EQ(turned->GetAlpha(), 33);
    }
    // Every pixel of a small picture, a quarter turn each way.
    auto small = MakeImage(3, 2, Numbered(3, 2));
    std::unique_ptr<Image> left = ImageEffects::RotateImageRightAngle(*small, 90);
    std::unique_ptr<Image> right = ImageEffects::RotateImageRightAngle(*small, 270);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(PixelAt(*left, y, 2 - x), PixelAt(*small, x, y));
            EXPECT_EQ(PixelAt(*right, 1 - y, x), PixelAt(*small, x, y));
        }
    }

    EXPECT_EQ(FailureWithFunctionOf([&] { ImageEffects::RotateImageRightAngle(*small, 45); }),
              "ImageEffects::RotateImageRightAngle: Assertion failed: (angle % 90 == 0)");
    for (int degrees : {0, 360, 450}) {
        EXPECT_EQ(FailureWithFunctionOf([&] { ImageEffects::RotateImageRightAngle(*small, degrees); }),
                  "ImageEffects::RotateImageRightAngle: Assertion failed: (false)\n"
                  "Message: RotateImageRightAngle was not passed a right angle image.")
            << degrees;
    }
}

TEST_F(ImageEffectsTest, RotozoomNormalisesTheAngle)
{
    auto image = MakeImage(3, 2, Numbered(3, 2));
    ExpectSamePixels(*RotozoomImageFrames(*image, -90.0, -1, false), *ImageEffects::RotateImageRightAngle(*image, 270));
    ExpectSamePixels(*RotozoomImageFrames(*image, 450.0, -1, false), *ImageEffects::RotateImageRightAngle(*image, 90));

    std::unique_ptr<Image> unturned = RotozoomImageFrames(*image, 720.0, -1, false);
    EXPECT_NE(unturned->GetSurfaceRecord(), image->GetSurfaceRecord());
    ExpectSamePixels(*unturned, *image);

    // An angle too large for repeated subtraction still ends.
    EXPECT_NE(RotozoomImageFrames(*image, 3.6e300, -1, false), nullptr);
    EXPECT_THROW(RotozoomImageFrames(*image, std::nan(""), -1, false), Exception);
}

TEST_F(ImageEffectsTest, RotozoomTurnsOneFrameAndRewritesTheMetadataCopy)
{
    LuaObject metadata = Eval("{numFrames = 5, width = 4, height = 2, gap_y = 1, colorKey = false}");
    Image strip(MakeSurface(20, 2, Numbered(20, 2)), IMAGEFLAG_COMBINED_ALPHA, &metadata);
    std::unique_ptr<Image> turned = RotozoomImageFrames(strip, 90.0, 2, false);
    EXPECT_EQ(turned->GetFullSize().w, 2u);
    EXPECT_EQ(turned->GetFullSize().h, 4u);
    EXPECT_EQ(PixelAt(*turned, 0, 0), PixelAt(strip, 11, 0));  // the third frame's top-right corner
    const LuaObject copy = turned->GetMetadata();
    EXPECT_NE(copy, metadata);
    EXPECT_EQ(copy["numFrames"].GetInteger(), 1);
    EXPECT_TRUE(copy["gap_y"].IsNil());
    EXPECT_EQ(copy["width"].GetInteger(), 2);
    EXPECT_EQ(copy["height"].GetInteger(), 4);
    EXPECT_EQ(metadata["numFrames"].GetInteger(), 5);
    EXPECT_EQ(turned->GetFlags() & IMAGEFLAG_OWNS_METADATA, std::uint32_t{IMAGEFLAG_OWNS_METADATA});

    // Free angles go through SDL_gfx, which enlarges the picture to hold it;
    // frame -1 turns the whole strip, whose flags the result keeps.
    std::unique_ptr<Image> tilted = RotozoomImageFrames(strip, 45.0, -1, true);
    int w = 0, h = 0;
    rotozoomSurfaceSize(20, 2, 45.0, 1.0, &w, &h);
    EXPECT_EQ(tilted->GetFullSize().w, static_cast<std::uint32_t>(w));
    EXPECT_EQ(tilted->GetFullSize().h, static_cast<std::uint32_t>(h));
    EXPECT_GT(h, 2);
    EXPECT_EQ(tilted->GetNumFrames(), 1);
    EXPECT_EQ(tilted->GetFlags() & IMAGEFLAG_COMBINED_ALPHA, std::uint32_t{IMAGEFLAG_COMBINED_ALPHA});
    EXPECT_EQ(tilted->GetMetadata()["width"].GetInteger(), static_cast<int>(tilted->GetFullSize().w));
}
