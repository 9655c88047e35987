#include "engine/runtime/CDXLog.h"
#include "engine/runtime/CDXScreen.h"
#include "engine/runtime/CDXSurface.h"
#include "engine/runtime/FileVersion.h"
#include "platform/d3d/D3DLayer.h"

#include <SDL.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

// Plain surfaces of the display layer need SDL's video (here its dummy driver), no OpenGL.
class CDXSurfaceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        ASSERT_EQ(DDraw::Create(&dd), DD_OK);
        ASSERT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    }
    void TearDown() override
    {
        surfaces.clear();
        if (dd)
            dd->Release();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    CDXSurface& Make(int width, int height, std::uint32_t bits = 32, std::uint32_t r = 0xFF0000,
                     std::uint32_t g = 0xFF00, std::uint32_t b = 0xFF)
    {
        DDSurfaceDesc desc;
        desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        desc.caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        desc.width = static_cast<std::uint32_t>(width);
        desc.height = static_cast<std::uint32_t>(height);
        desc.pixelFormat.flags = bits == 8 ? DDPF_PALETTEINDEXED8 : DDPF_RGB;
        desc.pixelFormat.rgbBitCount = bits;
        desc.pixelFormat.rMask = r;
        desc.pixelFormat.gMask = g;
        desc.pixelFormat.bMask = b;
        DDSurface* surface = nullptr;
        EXPECT_EQ(dd->CreateSurface(desc, &surface), DD_OK);
        surfaces.push_back(std::make_unique<CDXSurface>());
        surfaces.back()->Attach(surface, width, height, nullptr);
        surfaces.back()->ReadPixelFormat();
        return *surfaces.back();
    }

    DDraw* dd = nullptr;
    std::vector<std::unique_ptr<CDXSurface>> surfaces;
};

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t LE32(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

} // namespace

TEST_F(CDXSurfaceTest, PixelFormatsGetTheirDepthCodes)
{
    struct Case
    {
        std::uint32_t bits, r, g, b;
        int depth;
    };
    for (const Case& c : {Case{16, 0x7C00, 0x3E0, 0x1F, 15}, Case{16, 0xF800, 0x7E0, 0x1F, 16},
                          Case{24, 0xFF0000, 0xFF00, 0xFF, 24}, Case{32, 0xFF0000, 0xFF00, 0xFF, 32},
                          Case{8, 0, 0, 0, 8}}) {
        CDXSurface& surface = Make(4, 4, c.bits, c.r, c.g, c.b);
        EXPECT_EQ(surface.GetPixelFormat().depth, c.depth) << c.bits << " bits, green " << c.g;
    }
    const CDXSurface::PixelFormat& f565 = surfaces[1]->GetPixelFormat();
    EXPECT_EQ(f565.redMask, 31);
    EXPECT_EQ(f565.redShift, 11);
    EXPECT_EQ(f565.greenMask, 63);
    EXPECT_EQ(f565.greenShift, 5);
}

TEST_F(CDXSurfaceTest, LocksAndDeviceContextsAreCounted)
{
    CDXSurface& surface = Make(8, 8);
    EXPECT_EQ(surface.Lock(), 1);
    EXPECT_EQ(surface.Lock(), 2);
    EXPECT_EQ(surface.Unlock(), 1);
    // Still locked: the pixels are there.
    EXPECT_NE(surface.GetPixels(), nullptr);
    EXPECT_EQ(surface.GetLockCount(), 1);
    EXPECT_EQ(surface.Unlock(), 0);
    EXPECT_EQ(surface.GetPixels(), nullptr);
    EXPECT_EQ(surface.Unlock(), DDERR_NOTLOCKED);

    void* dc = surface.GetDC();
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(surface.GetDC(), dc);
    EXPECT_EQ(surface.ReleaseDC(), 0);
    EXPECT_EQ(surface.GetDCCount(), 1);
    EXPECT_EQ(surface.ReleaseDC(), 0);
    EXPECT_EQ(surface.GetDCCount(), 0);
    EXPECT_EQ(surface.ReleaseDC(), -1);
}

TEST_F(CDXSurfaceTest, ALostSurfaceIsRestoredOnceByTheLock)
{
    CDXSurface& surface = Make(8, 8);
    LoseAllD3DLayerSurfaces();
    EXPECT_EQ(surface.GetDDS()->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(surface.Lock(), 1);
    EXPECT_EQ(surface.GetDDS()->IsLost(), DD_OK);
    // Lost while locked: the unlock restores it as well.
    LoseAllD3DLayerSurfaces();
    EXPECT_EQ(surface.Unlock(), 0);
    EXPECT_EQ(surface.GetDDS()->IsLost(), DD_OK);
    // Nothing to reload from.
    EXPECT_EQ(surface.ReloadFromFile(), -2);
}

TEST_F(CDXSurfaceTest, LinesStopAtTheClipRectangle)
{
    CDXSurface& surface = Make(20, 600);
    surface.SetClipRect(DDRect{0, 0, 20, 100});
    ASSERT_EQ(surface.Lock(), 1);
    surface.VLine(500, 5, 3, 0x123456);
    for (int y : {4, 5, 99, 100})
        EXPECT_EQ(surface.GetPixel(3, y), (y >= 5 && y <= 99) ? 0x123456u : 0u) << "row " << y;
    // Read through the pixels themselves: GetPixel itself stops at the clip.
    std::uint32_t below;
    std::memcpy(&below, surface.GetPixels() + 100 * surface.GetPitch() + 3 * 4, 4);
    EXPECT_EQ(below, 0u);

    // A line whose fixed row is outside, or whose span is wholly outside, draws nothing.
    surface.HLine(0, 19, 100, 0xFF);
    surface.HLine(-10, -1, 50, 0xFF);
    surface.HLine(25, 18, 60, 0xABCDEF);
    std::memcpy(&below, surface.GetPixels() + 100 * surface.GetPitch(), 4);
    EXPECT_EQ(below, 0u);
    EXPECT_EQ(surface.GetPixel(0, 50), 0u);
    EXPECT_EQ(surface.GetPixel(17, 60), 0u);
    EXPECT_EQ(surface.GetPixel(18, 60), 0xABCDEFu);
    EXPECT_EQ(surface.GetPixel(19, 60), 0xABCDEFu);
    surface.Unlock();
}

TEST_F(CDXSurfaceTest, BlendedPixelsMoveByAlphaOver256)
{
    CDXSurface& wide = Make(2, 1);
    CDXSurface& narrow = Make(2, 1, 16, 0xF800, 0x7E0, 0x1F);
    ASSERT_EQ(wide.Lock(), 1);
    wide.PutPixel(0, 0, 0xFF000000 | 0x204060);
    wide.PutAAPixel(0, 0, 0x60A0E0, 128);
    // Half way on each channel; the top byte is written 0.
    EXPECT_EQ(wide.GetPixel(0, 0), 0x4070A0u);
    wide.Unlock();
    ASSERT_EQ(narrow.Lock(), 1);
    narrow.PutPixel(0, 0, 0);
    narrow.PutAAPixel(0, 0, 0xFFFF, 256);
    EXPECT_EQ(narrow.GetPixel(0, 0), 0xFFFFu);
    narrow.Unlock();
}

TEST_F(CDXSurfaceTest, FillsStayInsideTheClipRectangle)
{
    CDXSurface& surface = Make(10, 10);
    surface.SetClipRect(DDRect{2, 2, 8, 8});
    EXPECT_EQ(surface.Fill(DDRect{0, 0, 5, 5}, 0xFF00FF), DD_OK);
    EXPECT_EQ(surface.Fill(DDRect{8, 8, 10, 10}, 0xFFFFFF), DD_OK);
    ASSERT_EQ(surface.Lock(), 1);
    surface.SetClipRect(DDRect{0, 0, 10, 10});
    EXPECT_EQ(surface.GetPixel(1, 1), 0u);
    EXPECT_EQ(surface.GetPixel(2, 2), 0xFF00FFu);
    EXPECT_EQ(surface.GetPixel(4, 4), 0xFF00FFu);
    EXPECT_EQ(surface.GetPixel(5, 5), 0u);
    EXPECT_EQ(surface.GetPixel(9, 9), 0u);
    surface.Unlock();
}

TEST_F(CDXSurfaceTest, BitmapsArePaddedBottomUpRows)
{
    const auto path = std::filesystem::temp_directory_path() / "cdxsurface-test.bmp";
    CDXSurface& surface = Make(260, 3);
    ASSERT_EQ(surface.Lock(), 1);
    surface.PutPixel(0, 0, 0x112233);    // top row
    surface.PutPixel(249, 2, 0xAABBCC);  // bottom row, last column of the area
    surface.Unlock();

    const DDRect area{0, 0, 250, 3};
    ASSERT_EQ(surface.SaveAsBMP(path.c_str(), &area), 1);
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 54u + 752u * 3u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(LE32(bytes, 2), 54u + 752u * 3u);
    EXPECT_EQ(LE32(bytes, 10), 54u);
    EXPECT_EQ(LE32(bytes, 18), 250u);
    EXPECT_EQ(LE32(bytes, 22), 3u);
    EXPECT_EQ(bytes[28], 24);
    // The file's first row is the area's bottom one.
    const std::size_t last = 54 + 249 * 3;
    EXPECT_EQ((std::vector<std::uint8_t>{bytes[last], bytes[last + 1], bytes[last + 2], bytes[750 + 54], bytes[751 + 54]}),
              (std::vector<std::uint8_t>{0xCC, 0xBB, 0xAA, 0, 0}));
    const std::size_t top = 54 + 2 * 752;
    EXPECT_EQ((std::vector<std::uint8_t>{bytes[top], bytes[top + 1], bytes[top + 2]}),
              (std::vector<std::uint8_t>{0x33, 0x22, 0x11}));

    // 5-6-5 pixels widen to 8 bits a channel.
    CDXSurface& narrow = Make(1, 1, 16, 0xF800, 0x7E0, 0x1F);
    ASSERT_EQ(narrow.Lock(), 1);
    narrow.PutPixel(0, 0, 0xF81F);
    narrow.Unlock();
    ASSERT_EQ(narrow.SaveAsBMP(path.c_str()), 1);
    const std::vector<std::uint8_t> one = ReadBytes(path);
    ASSERT_EQ(one.size(), 58u);
    EXPECT_EQ((std::vector<std::uint8_t>{one[54], one[55], one[56]}), (std::vector<std::uint8_t>{0xF8, 0, 0xF8}));

    // An area reaching past the surface is cut to it, never read beyond.
    const DDRect beyond{250, 1, 300, 9};
    ASSERT_EQ(surface.SaveAsBMP(path.c_str(), &beyond), 1);
    const std::vector<std::uint8_t> cut = ReadBytes(path);
    EXPECT_EQ(LE32(cut, 18), 10u);
    EXPECT_EQ(LE32(cut, 22), 2u);
    EXPECT_EQ(cut.size(), 54u + 32u * 2u);

    // No name; no front buffer to take an 8-bit surface's palette from.
    EXPECT_EQ(surface.SaveAsBMP(""), -1);
    EXPECT_EQ(Make(2, 2, 8).SaveAsBMP(path.c_str()), -4);
    std::filesystem::remove(path);
}

TEST(CDXScreenTest, WithoutADisplayObjectBothCreatesAreRefused)
{
    // SDL's video not started: the display object cannot be made.
    CDXScreen screen;
    EXPECT_EQ(screen.GetDD(), nullptr);
    EXPECT_EQ(screen.CreateWindowed(nullptr, 64, 48), -1);
    EXPECT_EQ(screen.CreateFullScreen(nullptr, 64, 48, 32), -1);
}

namespace {
std::uint64_t g_Now = 0;
std::uint64_t FakeNow()
{
    return g_Now;
}
} // namespace

TEST(CDXScreenTest, TheFrameRateIsKeptUntilMoreThanASecondHasPassed)
{
    g_Now = 0;
    CDXScreen::SetTimeSource(&FakeNow);
    {
        CDXScreen screen;
        for (std::uint64_t t : {250, 500, 750, 1000}) {
            g_Now = t;
            screen.Flip(0, 1, 0);
        }
        EXPECT_EQ(screen.GetFPS(), 0);
        g_Now = 1001;
        screen.Flip(0, 1, 0);
        // Four frames counted over 1001 ms.
        EXPECT_EQ(screen.GetFPS(), 3);
        g_Now = 1500;
        screen.Flip(0, 1, 0);
        EXPECT_EQ(screen.GetFPS(), 3);
    }
    CDXScreen::SetTimeSource(nullptr);
}

namespace {
std::vector<std::string> g_Lines;
void CollectLine(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    char text[512];
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    g_Lines.push_back(text);
}
} // namespace

TEST(CDXLogTest, LinesGoToTheTextFunctionAsDataAndAreCut)
{
    CDXLog log;
    EXPECT_THAT(log.GetFileName(), ::testing::MatchesRegex("cdx[0-9]{14}\\.log"));
    g_Lines.clear();
    log.SetTextFunction(&CollectLine);
    log.SetFlags(CDXLog::CDXLOG_TEXTFUNCTION);
    log.Write("START: %s", "100% sure");
    log.WriteDetail("only at level 2");
    log.Write("%s", std::string(400, 'x').c_str());
    log.SetLevel(2);
    log.WriteDetail("now %d", 2);
    ASSERT_EQ(g_Lines.size(), 3u);
    EXPECT_THAT(g_Lines[0], ::testing::MatchesRegex("CDX: [0-9]+: START: 100% sure\n"));
    EXPECT_EQ(g_Lines[1].size(), 256u);
    EXPECT_THAT(g_Lines[2], ::testing::MatchesRegex("CDX: [0-9]+: now 2\n"));
}

TEST(D3DLayerTest, WithoutOpenGLTheProbesAndTheVersionReportSaySo)
{
    EXPECT_FALSE(IsD3DLayerLibraryPresent("libno-such-gl.so.1"));
    // The test main runs without an X display.
    EXPECT_FALSE(CanBringUpD3DLayer());
    std::uint32_t packed = 1;
    char text[16] = "x";
    EXPECT_EQ(GetDXVersion(&packed, text, sizeof(text)), 0u);
    EXPECT_EQ(packed, 0u);
    EXPECT_STREQ(text, "");
    EXPECT_THAT(DDErrorText(DDERR_SURFACELOST), ::testing::StartsWith("DDERR_SURFACELOST"));
}

TEST(D3DLayerTest, RenderersOnTheProcessorAreToldFromGraphicsCards)
{
    const struct
    {
        const char* renderer;
        bool software;
    } cases[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", true},
        {"softpipe", true},
        {"Software Rasterizer", true},
        {"Mesa X11 swrast", true},
        {"GDI Generic", true},
        {"AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)", false},
        {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
        {"NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2", false},
        {"", false},
        {nullptr, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsSoftwareOpenGLRenderer(c.renderer), c.software) << (c.renderer ? c.renderer : "(null)");
}
