#include "engine/runtime/Image.h"

#include "ImageTestSupport.h"

#include <gtest/gtest.h>

using namespace imagetest;

namespace {

class ImageTest : public ImageFixture
{
protected:
    std::vector<Rect> Frames(const Image& image)
    {
        std::vector<Rect> frames;
        for (int i = 0; i < image.GetNumFrames(); ++i)
            frames.push_back(image.GetFrameRect(i));
        return frames;
    }
};

class NotAnImage : public Resource
{
public:
    std::size_t CalcMemoryUsage(bool) override { return 0; }
};

} // namespace

TEST_F(ImageTest, MetadataFramesAreLaidOutInReadingOrderWithTheRowGap)
{
    struct Case
    {
        const char* metadata;
        std::vector<Rect> frames;
    };
    const Case cases[] = {
        {"{numFrames = 6, width = 30, height = 20, gap_y = 0}",
         {{0, 0, 30, 20}, {30, 0, 30, 20}, {60, 0, 30, 20}, {0, 20, 30, 20}, {30, 20, 30, 20}, {60, 20, 30, 20}}},
        {"{numFrames = 4, width = 30, height = 20, gap_y = 4}",
         {{0, 0, 30, 20}, {30, 0, 30, 20}, {60, 0, 30, 20}, {0, 24, 30, 20}}},
        {"{numFrames = 2, width = 50, height = 40, gap_y = 'wide'}", {{0, 0, 50, 40}, {50, 0, 50, 40}}},
    };
    for (const Case& c : cases) {
        LuaObject metadata = Eval(c.metadata);
        Image strip(MakeSurface(100, 40, {}), 0, &metadata);
        EXPECT_EQ(Frames(strip), c.frames) << c.metadata;
        EXPECT_EQ(strip.GetSize().w, c.frames[0].w);
        EXPECT_EQ(strip.GetSize().h, c.frames[0].h);
    }
}

TEST_F(ImageTest, FramesNeedWidthAndHeightAndAValidIndex)
{
    const std::int32_t before = GetMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM);
    LuaObject noWidth = Eval("{numFrames = 2, height = 4}");
    EXPECT_EQ(FailureWithFunctionOf([&] { Image(MakeSurface(8, 4, {}), 0, &noWidth); }),
              "Image::ExtractRelevantMetadata: Assertion failed: (metadata[\"width\"].IsInteger())\n"
              "Message: image metadata has numFrames, but not width");
    LuaObject noHeight = Eval("{numFrames = 2, width = 4}");
    EXPECT_EQ(FailureWithFunctionOf([&] { Image(MakeSurface(8, 4, {}), 0, &noHeight); }),
              "Image::ExtractRelevantMetadata: Assertion failed: (metadata[\"height\"].IsInteger())\n"
              "Message: image metadata has numFrames, but not height");
    EXPECT_EQ(GetMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM), before);  // the failed images let their surfaces go

    Image strip(4, 2, 3, 0);
    EXPECT_EQ(strip.GetFrameRect(2), Rect(8, 0, 4, 2));
    EXPECT_EQ(FailureWithFunctionOf([&] { strip.GetFrameRect(3); }),
              "Image::GetFrameRect: Assertion failed: (frame < (int)m_FrameRects->size())");
    EXPECT_EQ(FailureWithFunctionOf([&] { strip.GetFrameRect(-1); }), "Image::GetFrameRect: Assertion failed: (frame >= 0)");
    EXPECT_EQ(FailureWithFunctionOf([&] { strip.BuildFrameRects(4, 2, 0, 0); }),
              "Image::BuildFrameRects: Assertion failed: (numFrames > 0)");
}

TEST_F(ImageTest, ColorKeyAloneKeysTheTopLeftColourAndMendsTheSize)
{
    LuaObject metadata = Eval("{colorKey = true}");
    Image keyed(MakeSurface(3, 2, {0xFFFF00FF, 1, 2, 3, 4, 5}), 0, &metadata);
    SDL_Surface* surface = keyed.GetSurface();
    EXPECT_EQ(Frames(keyed), std::vector<Rect>{Rect(0, 0, 3, 2)});
    EXPECT_EQ(keyed.GetFlags() & IMAGEFLAG_NO_ALPHA, IMAGEFLAG_NO_ALPHA);
    EXPECT_FALSE(surface->flags & SDL_SRCALPHA);
    EXPECT_TRUE(surface->flags & SDL_SRCCOLORKEY);
    EXPECT_EQ(surface->format->colorkey, 0xFFFF00FFu);
    EXPECT_EQ(metadata["width"].GetInteger(), 3);
    EXPECT_EQ(metadata["height"].GetInteger(), 2);
    EXPECT_EQ(GetCachedLogLines(),
              (std::vector<std::string>{
                  "metadata for image contains no width information. \n\tSetting width to 3.\n",
                  "metadata for image contains no height information. \n\tSetting height to 2.\n"}));

    // Drawn, the keyed colour is left out.
    auto target = MakeImage(3, 1, {0xFF000000, 0xFF000000, 0xFF000000});
    keyed.DrawOnto(nullptr, target.get(), nullptr);
    EXPECT_EQ(PixelAt(*target, 0, 0), 0xFF000000u);
    EXPECT_EQ(PixelAt(*target, 1, 0), 1u);
}

TEST_F(ImageTest, WrongSizesAreCorrectedAndOtherTypesLeftAlone)
{
    LuaObject wrong = Eval("{width = 5, height = 2}");
    Image a(MakeSurface(3, 2, {}), 0, &wrong);
    EXPECT_EQ(wrong["width"].GetInteger(), 3);
    EXPECT_EQ(GetCachedLogLines(),
              std::vector<std::string>{"metadata for image contains incorrect width information. \n\t"
                                       "Width should be 3 but is 5. Correcting.\n"});
    ClearLogCache();
    LuaObject odd = Eval("{width = 'wide', height = 7}");
    Image b(MakeSurface(3, 2, {}), 0, &odd);
    EXPECT_EQ(odd["width"].GetString(), "wide");
    EXPECT_EQ(odd["height"].GetInteger(), 2);
    EXPECT_EQ(GetCachedLogLines(),
              std::vector<std::string>{"metadata for image contains incorrect height information. \n\t"
                                       "Height should be 2 but is 7. Correcting.\n"});
}

TEST_F(ImageTest, AlphaSettingsFromMetadata)
{
    struct Case
    {
        const char* metadata;
        std::uint32_t flags;  // of 8 and 32
        bool sourceAlpha;
        bool colorKey;
    };
    const Case cases[] = {
        {"{}", 0, true, false},
        {"{colorKey = false}", 0, true, true},  // any value keys, but only true drops the alpha
        {"{colorKey = true, combinedAlpha = true}", IMAGEFLAG_COMBINED_ALPHA, true, true},
        {"{noAlpha = true}", IMAGEFLAG_NO_ALPHA, false, false},
        {"{noAlpha = true, combinedAlpha = true}", IMAGEFLAG_COMBINED_ALPHA, true, false},
        {"'not a table'", 0, true, true},  // nothing read: the key set below stays
    };
    for (const Case& c : cases) {
        SDL_Surface* surface = MakeSurface(2, 1, {0xFF00FF00, 0xFF123456});
        SDL_SetColorKey(surface, SDL_SRCCOLORKEY, 0xFF123456);
        LuaObject metadata = Eval(c.metadata);
        Image image(surface, 0, &metadata);
        EXPECT_EQ(image.GetFlags() & (IMAGEFLAG_COMBINED_ALPHA | IMAGEFLAG_NO_ALPHA), c.flags) << c.metadata;
        EXPECT_EQ((surface->flags & SDL_SRCALPHA) != 0, c.sourceAlpha) << c.metadata;
        if (c.sourceAlpha) {
            EXPECT_EQ(surface->format->alpha, 255) << c.metadata;
        }
        EXPECT_EQ((surface->flags & SDL_SRCCOLORKEY) != 0, c.colorKey) << c.metadata;
        if (c.colorKey && metadata.IsTable()) {
            EXPECT_EQ(surface->format->colorkey, 0xFF00FF00u) << c.metadata;
        }
    }
}

TEST_F(ImageTest, VideoMemoryFlagFailsEveryConstructorWithoutLeaking)
{
    const std::int32_t before = GetMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM);
    const std::string failure =
        "Image::GetHWSurface: Assertion failed: (false)\nMessage: Image::GetHWSurface() is no longer supported.";
    EXPECT_EQ(FailureWithFunctionOf([] { Image(2, 2, 1, IMAGEFLAG_VIDMEM); }), failure);
    EXPECT_EQ(FailureWithFunctionOf([] { Image(MakeSurface(2, 2, {}), IMAGEFLAG_VIDMEM, nullptr); }), failure);
    EXPECT_EQ(FailureWithFunctionOf([&] {
                  Image(MakeSurface(2, 2, {}), IMAGEFLAG_VIDMEM | IMAGEFLAG_OWNS_METADATA, 1, 1, 2,
                        new LuaObject(Eval("{}")));
              }),
              failure);
    EXPECT_EQ(GetMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM), before);
}

TEST_F(ImageTest, CopiesShareThePixelsUntilTheLastOneGoes)
{
    const std::int32_t before = GetMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM);
    LuaObject metadata = Eval("{numFrames = 2, width = 1, height = 2, gap_y = 3}");
    auto original = std::make_unique<Image>(MakeSurface(2, 2, Numbered(2, 2)),
                                            IMAGEFLAG_COMBINED_ALPHA | IMAGEFLAG_ALPHA_SURFACE, &metadata);
    original->SetAlpha(40);
    EXPECT_EQ(original->CalcMemoryUsage(false), 16u);
    auto copy = std::make_unique<Image>(*original);
    EXPECT_EQ(copy->GetSurfaceRecord(), original->GetSurfaceRecord());
    EXPECT_EQ(copy->GetSurfaceRecord()->GetShareCount(), 2);
    EXPECT_EQ(copy->GetFlags(),
              IMAGEFLAG_OWNS_METADATA | IMAGEFLAG_SHARED_PIXELS | IMAGEFLAG_COMBINED_ALPHA | IMAGEFLAG_ALPHA_SURFACE);
    EXPECT_EQ(copy->CalcMemoryUsage(false), 0u);
    EXPECT_EQ(copy->CalcMemoryUsage(true), 16u);
    EXPECT_EQ(Frames(*copy), Frames(*original));
    EXPECT_EQ(copy->GetFrameGap(), 3);
    EXPECT_EQ(copy->GetMetadata(), metadata);
    EXPECT_EQ(copy->GetAlpha(), 255);  // the alpha value is the image's own

    original.reset();
    EXPECT_EQ(PixelAt(*copy, 1, 1), 0xFF000101u);
    EXPECT_EQ(copy->GetSurfaceRecord()->GetShareCount(), 1);
    copy.reset();
    EXPECT_EQ(GetMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM), before);

    NotAnImage notAnImage;
    EXPECT_EQ(FailureWithFunctionOf([&] { Image image(&notAnImage); }),
              "Image::Image: Assertion failed: (dynamic_cast<Image *>(resource) != 0)");
}

TEST_F(ImageTest, ImagesByNameShareTheCatalogueImage)
{
    FakeCatalog catalog;
    auto entry = std::make_unique<ResourceInfo>();
    entry->SetLocation("/data/ball.png");
    entry->SetReader(new FakeCoreHost::MemoryReader(EncodePng(2, 2, true, Numbered(2, 2))));
    entry->SetMetadata(Eval("{numFrames = 2, width = 1, height = 2}"));
    catalog.AddInfo("ball.png", std::move(entry));
    auto notes = std::make_unique<ResourceInfo>();
    notes->SetLocation("/data/notes.txt");
    catalog.AddInfo("notes.txt", std::move(notes));

    Image a("ball.png");
    Image b("ball.png");
    ResourceInfo& info = *catalog.entries["ball.png"];
    EXPECT_EQ(info.GetAcquireCount(), 2);
    EXPECT_EQ(info.GetType(), RESOURCE_IMAGE);
    auto* loaded = static_cast<Image*>(info.GetResource());
    EXPECT_EQ(a.GetSurfaceRecord(), loaded->GetSurfaceRecord());
    EXPECT_EQ(loaded->GetSurfaceRecord()->GetShareCount(), 3);
    EXPECT_EQ(a.GetNumFrames(), 2);
    EXPECT_EQ(a.GetFlags() & IMAGEFLAG_SHARED_PIXELS, IMAGEFLAG_SHARED_PIXELS);

    EXPECT_THROW(Image("missing.png"), ResourceNotFoundException);
    EXPECT_EQ(FailureWithFunctionOf([] { Image("notes.txt"); }),
              "Image::Image: Assertion failed: (dynamic_cast<Image *>(resource) != 0)");

    a.RegisterAsResource("copy.png");
    ResourceInfo& made = *catalog.entries["copy.png"];
    EXPECT_EQ(made.GetType(), RESOURCE_IMAGE);
    EXPECT_EQ(made.GetReader(), nullptr);
    EXPECT_EQ(static_cast<Image*>(made.GetResource())->GetSurfaceRecord(), a.GetSurfaceRecord());
}

TEST_F(ImageTest, AlphaBlitIsExactAndDividesBy256)
{
    struct Case
    {
        std::uint32_t source, target, expected;
        const char* why;
    };
    const Case cases[] = {
        {0x80FF4020, 0x00123456, 0x80FF4020, "transparent target takes the source, alpha included"},
        {0xFFC8C8C8, 0xFF000000, 0xFFC7C7C7, "opaque source lands a step short"},
        {0x80C86432, 0x64646464, 0xB295634A, "colours over 256, alpha da + sa - da*sa/255"},
        {0x00FFFFFF, 0xFF102030, 0xFF0F1F2F, "even a transparent source darkens by 1/256"},
    };
    for (const Case& c : cases) {
        auto source = MakeImage(1, 1, {c.source});
        auto target = MakeImage(1, 1, {c.target});
        source->AlphaBlitOnto(nullptr, target.get(), nullptr);
        EXPECT_EQ(PixelAt(*target, 0, 0), c.expected) << c.why;
    }
}

TEST_F(ImageTest, AlphaBlitClipsToBothImages)
{
    auto source = MakeImage(3, 3, Numbered(3, 3));
    auto target = MakeImage(4, 4, {});
    source->DrawFrameOnto(target.get(), 2, 2, -1);
    EXPECT_EQ(PixelAt(*target, 2, 2), PixelAt(*source, 0, 0));
    EXPECT_EQ(PixelAt(*target, 3, 3), PixelAt(*source, 1, 1));
    EXPECT_EQ(PixelAt(*target, 1, 1), 0u);

    const Rect leftOfSource(-1, 0, 3, 1);
    const Point<int> at(0, 0);
    source->AlphaBlitOnto(&leftOfSource, target.get(), &at);
    EXPECT_EQ(PixelAt(*target, 1, 0), PixelAt(*source, 0, 0));
    EXPECT_EQ(PixelAt(*target, 0, 0), 0u);

    auto fresh = MakeImage(4, 4, {});
    const Point<int> aboveTarget(1, -2);
    source->AlphaBlitOnto(nullptr, fresh.get(), &aboveTarget);
    EXPECT_EQ(PixelAt(*fresh, 1, 0), PixelAt(*source, 0, 2));
    EXPECT_EQ(PixelAt(*fresh, 1, 1), 0u);

    source->BuildFrameRects(1, 3, 3, 0);
    auto frameTarget = MakeImage(2, 3, {});
    source->DrawFrameOnto(frameTarget.get(), 1, 0, 2);
    EXPECT_EQ(PixelAt(*frameTarget, 1, 2), PixelAt(*source, 2, 2));
    EXPECT_EQ(PixelAt(*frameTarget, 0, 2), 0u);
}

TEST_F(ImageTest, AlphaMaskLimitsAlphaAndDiscardsTheTextureForm)
{
    FakeTextureMaker maker;
    auto image = MakeImage(3, 2, {0xFFAABBCC, 0x80AABBCC, 0x80AABBCC, 0x80AABBCC, 0x80AABBCC, 0x80AABBCC});
    auto mask = MakeImage(2, 2, {0x40000000, 0x00FFFFFF, 0xFF000000, 0x80000000});
    image->RefreshVideoSurface(false);
    ASSERT_NE(image->GetSurfaceRecord()->GetD3DSurface(), nullptr);
    image->ApplyAlphaMask(mask.get());
    EXPECT_EQ(PixelAt(*image, 0, 0), 0x40AABBCCu);  // lowered to the mask's
    EXPECT_EQ(PixelAt(*image, 1, 0), 0u);           // under a transparent mask pixel
    EXPECT_EQ(PixelAt(*image, 0, 1), 0x80AABBCCu);  // the mask never raises alpha
    EXPECT_EQ(PixelAt(*image, 1, 1), 0x80AABBCCu);
    EXPECT_EQ(PixelAt(*image, 2, 0), 0u);  // outside the mask
    EXPECT_EQ(PixelAt(*image, 2, 1), 0u);
    EXPECT_EQ(image->GetSurfaceRecord()->GetD3DSurface(), nullptr);
}

TEST_F(ImageTest, DrawOntoPicksTheShaderFromTheFlags)
{
    struct Case
    {
        std::uint32_t flags;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {IMAGEFLAG_NO_ALPHA, 0x80C86432},        // copy
        {IMAGEFLAG_COMBINED_ALPHA, 0xFF95644B},  // combined alpha at 255
    };
    for (const Case& c : cases) {
        auto source = MakeImage(1, 1, {0x80C86432}, c.flags);
        auto target = MakeImage(1, 1, {0xFF646464});
        source->DrawOnto(nullptr, target.get(), nullptr);
        EXPECT_EQ(PixelAt(*target, 0, 0), c.expected) << c.flags;
    }
    // Pixel alpha: SDL's blend, somewhere between the two reds.
    auto source = MakeImage(1, 1, {0x80C86432});
    auto target = MakeImage(1, 1, {0xFF646464});
    source->DrawOnto(nullptr, target.get(), nullptr);
    const std::uint32_t red = (PixelAt(*target, 0, 0) >> 16) & 0xFF;
    EXPECT_GT(red, 0x64u);
    EXPECT_LT(red, 0xC8u);
}

TEST_F(ImageTest, ExtractedFramesAndDeepCopiesHaveTheirOwnPixels)
{
    auto strip = MakeImage(6, 5, Numbered(6, 5), IMAGEFLAG_COMBINED_ALPHA);
    SetPixel(*strip, 1, 4, 0x10ABCDEF);
    strip->BuildFrameRects(2, 2, 4, 1);
    EXPECT_EQ(strip->GetFrameRect(3), Rect(0, 3, 2, 2));

    auto frame = strip->ExtractFrame(3);
    EXPECT_EQ(frame->GetFullSize().w, 2u);
    EXPECT_EQ(frame->GetFullSize().h, 2u);
    EXPECT_NE(frame->GetSurfaceRecord(), strip->GetSurfaceRecord());
    EXPECT_EQ(frame->GetFlags(), 0u);
    EXPECT_EQ(PixelAt(*frame, 0, 0), PixelAt(*strip, 0, 3));
    EXPECT_EQ(PixelAt(*frame, 1, 1), 0x10ABCDEFu);  // copied, not blended

    LuaObject metadata = Eval("{note = 'kept'}");
    strip->SetMetadata(&metadata);
    strip->SetAlpha(77);
    auto copy = strip->CreateDeepCopy();
    EXPECT_NE(copy->GetSurfaceRecord(), strip->GetSurfaceRecord());
    EXPECT_EQ(copy->GetFlags(), IMAGEFLAG_OWNS_METADATA | IMAGEFLAG_COMBINED_ALPHA);
    EXPECT_EQ(copy->GetAlpha(), 77);
    EXPECT_EQ(Frames(*copy), Frames(*strip));
    EXPECT_EQ(copy->GetFrameGap(), 1);
    EXPECT_EQ(copy->GetMetadata()["note"].GetString(), "kept");
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(PixelAt(*copy, x, y), PixelAt(*strip, x, y));
    SetPixel(*copy, 0, 0, 0);
    EXPECT_NE(PixelAt(*strip, 0, 0), 0u);
    strip->SetMetadata(nullptr);
}
