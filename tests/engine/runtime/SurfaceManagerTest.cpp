#include "engine/runtime/SurfaceManager.h"

#include "ImageTestSupport.h"

#include <gtest/gtest.h>

using namespace imagetest;

namespace {

class SurfaceManagerTest : public ImageFixture
{
protected:
    SurfaceManager& manager = *SurfaceManager::GetInstance();
};

std::vector<SurfaceRecord*> Records()
{
    std::vector<SurfaceRecord*> records;
    for (SurfaceRecord* r = SurfaceManager::GetInstance()->GetHead(); r; r = r->GetNext())
        records.push_back(r);
    return records;
}

} // namespace

TEST_F(SurfaceManagerTest, DividedSurfaceCutsColumnByColumnIntoFullSizeBuffers)
{
    SDL_Surface* wide = MakeSurface(300, 100, Numbered(300, 100));
    DividedSurface strip(wide);
    ASSERT_EQ(strip.GetPieces().size(), 3u);
    const int widths[] = {128, 128, 44};
    for (int i = 0; i < 3; ++i) {
        const DividedSurface::Piece& piece = strip.GetPieces()[static_cast<std::size_t>(i)];
        EXPECT_EQ(piece.rect, Rect(static_cast<std::int16_t>(128 * i), 0, static_cast<std::uint16_t>(widths[i]), 100));
        EXPECT_EQ(piece.pixels.size(), 128u * 128u);
        EXPECT_EQ(piece.bufferWidth, 128);
        EXPECT_EQ(piece.bufferHeight, 128);
    }
    // The last piece's bottom-right pixel is the picture's, at the buffer's pitch.
    EXPECT_EQ(strip.GetPieces()[2].pixels[99 * 128 + 43], PixelRow(wide, 99)[299]);
    EXPECT_EQ(strip.GetPieces()[2].pixels[99 * 128 + 44], 0u);
    SDL_FreeSurface(wide);

    SDL_Surface* square = MakeSurface(130, 130, {});
    DividedSurface four(square);
    ASSERT_EQ(four.GetPieces().size(), 4u);
    EXPECT_EQ(four.GetPieces()[1].rect, Rect(0, 128, 128, 2));
    EXPECT_EQ(four.GetPieces()[2].rect, Rect(128, 0, 2, 128));
    SDL_FreeSurface(square);

    SDL_Surface* empty = MakeSurface(0, 0, {});
    EXPECT_TRUE(DividedSurface(empty).GetPieces().empty());
    SDL_FreeSurface(empty);
}

TEST_F(SurfaceManagerTest, StandardSurfacesAreAdoptedAndOthersConvertedWithKeyAndAlpha)
{
    const std::int32_t before = GetMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM);
    SDL_Surface* standard = MakeSurface(3, 2, {});
    SurfaceRecord* adopted = manager.AddSDLSurface(standard);
    EXPECT_EQ(adopted->GetSDLSurface(), standard);
    EXPECT_EQ(adopted->GetShareCount(), 1);
    EXPECT_EQ(GetMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM), before + standard->pitch * 2);

    // 24 bits with a colour key and a constant alpha.
    SDL_Surface* rgb = SDL_CreateRGBSurface(SDL_SWSURFACE, 2, 1, 24, 0xFF, 0xFF00, 0xFF0000, 0);
    auto* bytes = static_cast<std::uint8_t*>(rgb->pixels);
    const std::uint8_t colours[] = {0x11, 0x22, 0x33, 0xFF, 0x00, 0xFF};  // red-lowest
    std::copy(std::begin(colours), std::end(colours), bytes);
    SDL_SetColorKey(rgb, SDL_SRCCOLORKEY, 0xFF00FF);
    SDL_SetAlpha(rgb, SDL_SRCALPHA, 77);
    SurfaceRecord* converted = manager.AddSDLSurface(rgb);
    SDL_Surface* result = converted->GetSDLSurface();
    EXPECT_TRUE(SurfaceManager::IsStandardPixelFormat(result->format));
    EXPECT_EQ(PixelRow(result, 0)[0], 0xFF112233u);  // red 0x11, green 0x22, blue 0x33
    EXPECT_TRUE(result->flags & SDL_SRCCOLORKEY);
    EXPECT_EQ(result->format->colorkey & 0xFFFFFF, 0xFF00FFu);
    EXPECT_TRUE(result->flags & SDL_SRCALPHA);
    EXPECT_EQ(GetMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM), before + standard->pitch * 2 + result->pitch);

    EXPECT_EQ(Records().front(), converted);  // newest first
    manager.DeleteRecord(adopted);
    manager.DeleteRecord(converted);
    EXPECT_EQ(GetMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM), before);
}

TEST_F(SurfaceManagerTest, DeletingRecordsKeepsTheListLinked)
{
    const std::vector<SurfaceRecord*> old = Records();
    SurfaceRecord* a = manager.AddSDLSurface(MakeSurface(1, 1, {}));
    SurfaceRecord* b = manager.AddSDLSurface(MakeSurface(1, 1, {}));
    SurfaceRecord* c = manager.AddSDLSurface(MakeSurface(1, 1, {}));
    manager.DeleteRecord(b);  // middle
    std::vector<SurfaceRecord*> expected = {c, a};
    expected.insert(expected.end(), old.begin(), old.end());
    EXPECT_EQ(Records(), expected);
    manager.DeleteRecord(c);  // head
    expected.erase(expected.begin());
    EXPECT_EQ(Records(), expected);
    manager.DeleteRecord(a);
    EXPECT_EQ(Records(), old);
}

TEST_F(SurfaceManagerTest, TextureFormIsMadeOnlyWithTheAcceleratedBackEndAndFlushedEverywhere)
{
    SurfaceRecord* a = manager.AddSDLSurface(MakeSurface(2, 2, {}));
    SurfaceRecord* b = manager.AddSDLSurface(MakeSurface(2, 2, {}));

    EXPECT_EQ(manager.Node_RefreshSurfaceType(a, SURFACETYPE_D3D, SURFACETYPE_SDL), nullptr);
    EXPECT_EQ(a->GetD3DSurface(), nullptr);

    FakeTextureMaker maker;
    for (SurfaceRecord* record : {a, b}) {
        EXPECT_NE(manager.Node_RefreshSurfaceType(record, SURFACETYPE_D3D, SURFACETYPE_SDL), nullptr);
        EXPECT_NE(manager.Node_RefreshSurfaceType(record, SURFACETYPE_DIVIDED, SURFACETYPE_SDL), nullptr);
    }
    // Rebuilding replaces the old texture set rather than leaking it.
    manager.Node_RefreshSurfaceType(a, SURFACETYPE_D3D, SURFACETYPE_SDL);
    EXPECT_EQ(maker.alive, 2);

    manager.All_DeleteSurfacesOfType(SURFACETYPE_D3D);
    EXPECT_EQ(maker.alive, 0);
    for (SurfaceRecord* record : {a, b}) {
        EXPECT_EQ(record->GetD3DSurface(), nullptr);
        EXPECT_NE(record->GetDividedSurface(), nullptr);
        EXPECT_NE(record->GetSDLSurface(), nullptr);
    }
    EXPECT_EQ(GetCachedLogLines(), std::vector<std::string>{"SurfaceManager::All_DeleteSurfacesOfType: Flushing vidmem.\n"});

    EXPECT_EQ(FailureWithFunctionOf([&] { manager.Node_RefreshSurfaceType(a, SURFACETYPE_SDL, SURFACETYPE_DIVIDED); }),
              "SurfaceManager::Node_RefreshSurfaceType: Assertion failed: (false)\n"
              "Message: An unsupported image conversion was attempted.");
    manager.DeleteRecord(a);
    manager.DeleteRecord(b);
}

TEST(ClipBlitTest, ClipsBothSidesAsSDLDoes)
{
    struct Case
    {
        int sx, sy, dx, dy, w, h;  // in
        bool drawn;
        int osx, osy, odx, ody, ow, oh;  // out
    };
    // Source 10 x 10 onto target 8 x 6.
    const Case cases[] = {
        {0, 0, 0, 0, 10, 10, true, 0, 0, 0, 0, 8, 6},
        {-3, 0, 1, 1, 5, 5, true, 0, 0, 4, 1, 2, 5},   // negative source start moves the target along
        {2, 2, -2, -1, 4, 4, true, 4, 3, 0, 0, 2, 3},  // negative target start moves the source
        {8, 8, 0, 0, 5, 5, true, 8, 8, 0, 0, 2, 2},    // source rectangle beyond the source
        {0, 0, 8, 0, 3, 3, false, 0, 0, 0, 0, 0, 0},
        {0, 0, -3, 0, 3, 3, false, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        int sx = c.sx, sy = c.sy, dx = c.dx, dy = c.dy, w = c.w, h = c.h;
        const bool drawn = ClipBlit(10, 10, 8, 6, sx, sy, dx, dy, w, h);
        EXPECT_EQ(drawn, c.drawn) << c.sx << "," << c.sy << " -> " << c.dx << "," << c.dy;
        if (drawn && c.drawn) {
            EXPECT_EQ((std::vector<int>{sx, sy, dx, dy, w, h}), (std::vector<int>{c.osx, c.osy, c.odx, c.ody, c.ow, c.oh}));
        }
    }
}
