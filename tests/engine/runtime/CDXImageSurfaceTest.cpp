#include "engine/runtime/CDXImage.h"
#include "engine/runtime/CDXScreen.h"
#include "engine/runtime/CDXSurface.h"
#include "platform/d3d/D3DLayer.h"
#include "CDXImageFixtures.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

using namespace cdxfixture;

namespace {

// Plain surfaces of the display layer need SDL's video (its dummy driver here), no OpenGL.
class CDXImageSurfaceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        ASSERT_EQ(DDraw::Create(&dd), DD_OK);
        ASSERT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
        path = std::filesystem::temp_directory_path() / "cdx-image-surface-test.bmp";
        const Bytes bmp = Bmp24();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bmp.data()),
                                                    static_cast<std::streamsize>(bmp.size()));
    }
    void TearDown() override
    {
        std::filesystem::remove(path);
        SetCDXImageLoader(nullptr);
        if (dd)
            dd->Release();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    static std::vector<std::uint32_t> Pixels(CDXSurface& surface)
    {
        std::vector<std::uint32_t> pixels;
        EXPECT_EQ(surface.Lock(), 1);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                std::uint32_t p;
                std::memcpy(&p, surface.GetPixels() + y * surface.GetPitch() + x * 4, 4);
                pixels.push_back(p | 0xFF000000u);
            }
        surface.Unlock();
        return pixels;
    }

    DDraw* dd = nullptr;
    std::filesystem::path path;
};

} // namespace

TEST_F(CDXImageSurfaceTest, AFileBecomesASurfaceAndALostSurfaceReloadsItsPicture)
{
    // The screen's own display object, as a surface of the screen reloads through it.
    CDXScreen screen;
    DDraw* screenDD = screen.GetDD();
    ASSERT_NE(screenDD, nullptr);
    ASSERT_EQ(screenDD->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    DDSurface* loaded = CDXImage::GetImage(screenDD, path.string().c_str(), 1, CDXImage::CDXIMAGE_DETECT);
    ASSERT_NE(loaded, nullptr);
    {
        CDXSurface surface;
        surface.Attach(loaded, kW, kH, &screen);
        ASSERT_EQ(surface.ReadPixelFormat(), 1);
        EXPECT_EQ(Pixels(surface), PictureArgb());

        // Lost and restored blank, the surface reads its file again.
        surface.SetSourceFile(path.string());
        SetCDXImageLoader(&CDXImage::GetImage);
        ASSERT_EQ(surface.Lock(), 1);
        std::memset(surface.GetPixels(), 0, static_cast<std::size_t>(surface.GetPitch()) * kH);
        surface.Unlock();
        LoseAllD3DLayerSurfaces();
        EXPECT_GE(surface.Restore(), 0);
        EXPECT_EQ(Pixels(surface), PictureArgb());
    }
}

TEST_F(CDXImageSurfaceTest, NothingDecodedMakesNoSurface)
{
    const Bytes junk = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    EXPECT_EQ(CDXImage::GetImage(dd, junk.data(), junk.size(), 1, CDXImage::CDXIMAGE_DETECT), nullptr);
    EXPECT_EQ(CDXImage::GetImage(dd, "", 1, CDXImage::CDXIMAGE_DETECT), nullptr);
    EXPECT_EQ(CDXImage::GetImage(nullptr, path.string().c_str(), 1, CDXImage::CDXIMAGE_DETECT), nullptr);
    const Bytes bmp = Bmp24();
    DDSurface* fromBytes = CDXImage::GetImage(dd, bmp.data(), bmp.size(), 2, CDXImage::CDXIMAGE_BMP);
    ASSERT_NE(fromBytes, nullptr);
    fromBytes->Release();
}
