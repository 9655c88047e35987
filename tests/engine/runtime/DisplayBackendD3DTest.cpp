#include "engine/runtime/CDXScreen.h"
#include "engine/runtime/D3DImageRenderer.h"
#include "engine/runtime/DisplayBackendD3D.h"
#include "engine/runtime/FileVersion.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/Resource.h"
#include "engine/runtime/SDLVideo.h"
#include "engine/runtime/SurfaceManager.h"
#include "platform/d3d/D3DLayer.h"
#include "engine/runtime/ImageTestSupport.h"

#include <SDL.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <dlfcn.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using ::testing::HasSubstr;

namespace {

// A virtual X display of our own for the process's OpenGL tests: the test
// main runs without one.
class VirtualDisplay
{
public:
    VirtualDisplay()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        m_Pid = fork();
        if (m_Pid == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The server writes the number and its newline apart, and dies if the
        // pipe is gone before the newline: read to the end of the line.
        std::string number;
        char c = 0;
        while (m_Pid > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (c == '\n' && !number.empty())
            m_Name = ":" + number;
    }
    ~VirtualDisplay()
    {
        if (m_Pid > 0) {
            kill(m_Pid, SIGTERM);
            waitpid(m_Pid, nullptr, 0);
        }
    }
    const std::string& Name() const { return m_Name; }

private:
    pid_t m_Pid = -1;
    std::string m_Name;
};

VirtualDisplay* g_Display = nullptr;

void NoSleep(std::uint32_t)
{
}

class DisplayBackendD3DTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!g_Display)
            g_Display = new VirtualDisplay();
    }
    static void TearDownTestSuite()
    {
        delete g_Display;
        g_Display = nullptr;
    }

    void SetUp() override
    {
        if (g_Display->Name().empty())
            GTEST_SKIP() << "Xvfb could not be started";
        setenv("DISPLAY", g_Display->Name().c_str(), 1);
        // Mesa's plain software renderer: the compiling one registers unwind
        // tables while the sanitizer's slow unwinding holds their lock.
        setenv("GALLIUM_DRIVER", "softpipe", 1);
        // Kept loaded to the end, so that what the driver keeps for good is
        // still known by name to the leak check's suppressions.
        for (const char* library : {"libGLX_mesa.so.0", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"})
            dlopen(library, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
        GetD3DLayerTestHook() = D3DLayerTestHook();
        GetD3DLayerTestHook().allowSoftwareOpenGL = true;
        if (!CanBringUpD3DLayer())
            GTEST_SKIP() << "OpenGL cannot be brought up on " << g_Display->Name();
        DisplayBackendD3D::SetSleepFunction(&NoSleep);
        backend = std::make_unique<DisplayBackendD3D>();
        Apply();
    }
    void TearDown() override
    {
        images.clear();
        backend.reset();
        DisplayBackendD3D::SetSleepFunction(nullptr);
        GetD3DLayerTestHook() = D3DLayerTestHook();
        unsetenv("DISPLAY");
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    }

    void Apply()
    {
        DisplayParams params;
        params.width = 320;
        params.height = 240;
        params.use3DAcceleration = true;
        backend->ApplyDisplayParams(params);
    }

    Image* MakeImage(int w, int h)
    {
        images.push_back(imagetest::MakeImage(w, h, imagetest::Numbered(w, h)));
        return images.back().get();
    }

    D3DImageRenderer& Renderer() { return *backend->GetRenderer(); }
    D3DDevice& Device() { return *backend->GetDevice(); }
    std::uint32_t RenderState(std::uint32_t type)
    {
        std::uint32_t value = 0;
        Device().GetRenderState(type, &value);
        return value;
    }

    std::unique_ptr<DisplayBackendD3D> backend;
    std::vector<std::unique_ptr<Image>> images;
};

struct PieceLayout
{
    int x, y, w, h, size;
    bool operator==(const PieceLayout&) const = default;
};

std::vector<PieceLayout> Pieces(const D3DDividedTexture& texture)
{
    std::vector<PieceLayout> pieces;
    for (const auto& piece : texture.GetPieces()) {
        EXPECT_EQ(piece.textureWidth, piece.textureHeight);
        pieces.push_back({piece.rect.x, piece.rect.y, piece.rect.w, piece.rect.h, piece.textureWidth});
    }
    return pieces;
}

} // namespace

TEST_F(DisplayBackendD3DTest, PicturesAreCutIntoUniformOrFittedPieces)
{
    const std::int32_t vidmem = GetMemUsage(MEMUSAGE_IMAGES_IN_VIDMEM);
    SDL_Surface* small = imagetest::MakeSurface(100, 30, {});
    {
        auto uniform = backend->MakeDividedTexture(small);
        EXPECT_EQ(Pieces(static_cast<D3DDividedTexture&>(*uniform)),
                  (std::vector<PieceLayout>{{0, 0, 64, 30, 64}, {64, 0, 36, 30, 64}}));
        EXPECT_EQ(GetMemUsage(MEMUSAGE_IMAGES_IN_VIDMEM) - vidmem, 2 * 64 * 64 * 4);
    }
    EXPECT_EQ(GetMemUsage(MEMUSAGE_IMAGES_IN_VIDMEM), vidmem);

    backend->SetTexturePieceSettings(false, 64, 64);
    SDL_Surface* wide = imagetest::MakeSurface(300, 100, {});
    auto fitted = backend->MakeDividedTexture(wide);
    // 128 for the top-left, the strip to its right in pieces of its own, nothing below.
    EXPECT_EQ(Pieces(static_cast<D3DDividedTexture&>(*fitted)),
              (std::vector<PieceLayout>{{0, 0, 128, 100, 128}, {128, 0, 128, 100, 128}, {256, 0, 44, 64, 64},
                                      {256, 64, 44, 36, 64}}));
    SDL_Surface* empty = SDL_CreateRGBSurface(SDL_SWSURFACE, 0, 5, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    EXPECT_EQ(backend->MakeDividedTexture(empty), nullptr);
    SDL_FreeSurface(empty);
    SDL_FreeSurface(small);
    SDL_FreeSurface(wide);
}

TEST_F(DisplayBackendD3DTest, AStateIsSentOnlyWhenItChanges)
{
    Image* image = MakeImage(32, 32);
    const Rect dest(10, 10, 32, 32);
    Renderer().DrawImage(image, SHADERTYPE_BLENDPIXELALPHA, &dest, nullptr, 255, 0, false, true);
    const std::uint64_t sent = Device().GetStateChangeCount();
    Renderer().DrawImage(image, SHADERTYPE_BLENDPIXELALPHA, &dest, nullptr, 255, 0, false, true);
    EXPECT_EQ(Device().GetStateChangeCount(), sent);
    // Another shader type sends what differs: the alpha argument.
    Renderer().DrawImage(image, SHADERTYPE_BLENDCONSTANTALPHA, &dest, nullptr, 128, 0, false, true);
    EXPECT_EQ(Device().GetStateChangeCount(), sent + 1);
    EXPECT_THROW(Renderer().DrawImage(image, SHADERTYPE_COMPOSITE, &dest, nullptr, 255, 0, false, true), Exception);
}

TEST_F(DisplayBackendD3DTest, OneQuadPerPieceTheSourceReaches)
{
    Image* image = MakeImage(128, 128);
    struct Case
    {
        Rect source;
        std::uint64_t quads;
    };
    for (const Case& c : {Case{Rect(10, 10, 20, 20), 1}, Case{Rect(32, 32, 64, 64), 4}, Case{Rect(64, 0, 64, 64), 1},
                          Case{Rect(0, 0, 128, 128), 4}, Case{Rect(5, 5, 0, 10), 0}}) {
        const std::uint64_t before = Device().GetPrimitiveCount();
        const Rect dest(0, 0, c.source.w, c.source.h);
        Renderer().DrawImage(image, SHADERTYPE_COPY, &dest, &c.source, 255, 0, false, true);
        EXPECT_EQ(Device().GetPrimitiveCount() - before, c.quads) << c.source.x << "," << c.source.y;
    }
}

TEST_F(DisplayBackendD3DTest, FillsBlendOnlyBelowFullAlphaAndDrawNothingAtZero)
{
    Renderer().EndScene();
    const std::uint64_t before = Device().GetPrimitiveCount();
    Renderer().FillRect(Rect(0, 0, 10, 10), Color(255, 0, 0, 0), true);
    EXPECT_FALSE(Renderer().IsInScene());
    EXPECT_EQ(Device().GetPrimitiveCount(), before);

    Renderer().FillRect(Rect(0, 0, 10, 10), Color(255, 0, 0, 254), true);
    EXPECT_EQ(RenderState(D3DRENDERSTATE_ALPHABLENDENABLE), 1u);
    Renderer().FillRect(Rect(0, 0, 10, 10), Color(255, 0, 0, 255), true);
    EXPECT_EQ(RenderState(D3DRENDERSTATE_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(Device().GetPrimitiveCount(), before + 2);
    // The outline is the software renderer's four edges.
    Renderer().FillRect(Rect(0, 0, 10, 10), Color(255, 0, 0, 255), false);
    EXPECT_EQ(Device().GetPrimitiveCount(), before + 6);
}

TEST_F(DisplayBackendD3DTest, TexturesAreMadeAgainAfterAFlushOrAChangeOfPixels)
{
    Image* image = MakeImage(16, 16);
    SurfaceRecord* record = image->GetSurfaceRecord();
    Renderer().DrawImage(image, SHADERTYPE_COPY, nullptr, nullptr, 255, 0, false, true);
    D3DSurface* first = record->GetD3DSurface();
    ASSERT_NE(first, nullptr);
    Renderer().DrawImage(image, SHADERTYPE_COPY, nullptr, nullptr, 255, 0, false, true);
    EXPECT_EQ(record->GetD3DSurface(), first);

    SurfaceManager::GetInstance()->All_DeleteSurfacesOfType(SURFACETYPE_D3D);
    EXPECT_EQ(record->GetD3DSurface(), nullptr);
    Renderer().DrawImage(image, SHADERTYPE_COPY, nullptr, nullptr, 255, 0, false, true);
    EXPECT_NE(record->GetD3DSurface(), nullptr);

    const DividedTexture* before = record->GetD3DSurface()->GetTexture();
    image->MarkPixelsChanged();
    Renderer().DrawImage(image, SHADERTYPE_COPY, nullptr, nullptr, 255, 0, false, true);
    EXPECT_NE(record->GetD3DSurface()->GetTexture(), before);
}

TEST_F(DisplayBackendD3DTest, ALostDisplayIsRecoveredOnceBeforeTheSceneBegins)
{
    Image* image = MakeImage(16, 16);
    Renderer().DrawImage(image, SHADERTYPE_COPY, nullptr, nullptr, 255, 0, false, true);
    backend->UpdateScreen();
    ASSERT_NE(image->GetSurfaceRecord()->GetD3DSurface(), nullptr);

    LoseAllD3DLayerSurfaces();
    EXPECT_TRUE(Renderer().BeginScene());
    // Every texture went before the scene began; the next draw makes it again.
    EXPECT_EQ(image->GetSurfaceRecord()->GetD3DSurface(), nullptr);
    EXPECT_EQ(backend->GetCDXScreen()->GetBack()->GetDDS()->IsLost(), DD_OK);
    Renderer().DrawImage(image, SHADERTYPE_COPY, nullptr, nullptr, 255, 0, false, true);
    EXPECT_NE(image->GetSurfaceRecord()->GetD3DSurface(), nullptr);
}

TEST_F(DisplayBackendD3DTest, ABusyDisplayIsWaitedForABoundedNumberOfTimes)
{
    // Held elsewhere for a while: the scene begins once it is free.
    GetD3DLayerTestHook().exclusiveModeHeldElsewhere = 3;
    LoseAllD3DLayerSurfaces();
    EXPECT_TRUE(Renderer().BeginScene());
    EXPECT_FALSE(backend->HasGivenUp());
    Renderer().EndScene();

    // Held for good: the back end gives up instead of hanging the game.
    GetD3DLayerTestHook().exclusiveModeHeldElsewhere = -1;
    LoseAllD3DLayerSurfaces();
    EXPECT_FALSE(Renderer().BeginScene());
    EXPECT_TRUE(backend->HasGivenUp());
    // Nothing more is drawn, and nothing throws, until the window is made again.
    Image* image = MakeImage(8, 8);
    Renderer().DrawImage(image, SHADERTYPE_COPY, nullptr, nullptr, 255, 0, false, true);
    Renderer().FillRect(Rect(0, 0, 4, 4), Color(1, 2, 3, 255), true);
    backend->UpdateScreen();
    EXPECT_EQ(image->GetSurfaceRecord()->GetD3DSurface(), nullptr);
}

TEST_F(DisplayBackendD3DTest, AnOpenGLThatDrawsInSoftwareIsNoHardwareDevice)
{
    // Mesa's softpipe here: unless allowed, the back end refuses to start, and
    // the display manager goes on with the software display.
    backend.reset();
    GetD3DLayerTestHook().allowSoftwareOpenGL = false;
    backend = std::make_unique<DisplayBackendD3D>();
    std::string message;
    try {
        Apply();
    } catch (const DisplayBackendInitError& error) {
        message = error.GetMessage();
    }
    EXPECT_THAT(message, HasSubstr("clsid=IID_IDirect3DHALDevice: DDERR_NO3D"));
}

TEST_F(DisplayBackendD3DTest, TheHardwareDeviceIsRefusedOnARendererThatDrawsInSoftware)
{
    // A display with direct rendering can still end on a software renderer:
    // the device's own renderer decides.
    D3D* d3d = nullptr;
    ASSERT_EQ(backend->GetCDXScreen()->GetDD()->QueryDirect3D(&d3d), DD_OK);
    DDSurface* back = backend->GetCDXScreen()->GetBack()->GetDDS();
    GetD3DLayerTestHook().allowSoftwareOpenGL = false;
    D3DDevice* device = nullptr;
    EXPECT_EQ(d3d->CreateDevice("IID_IDirect3DHALDevice", back, &device), DDERR_NO3D);
    EXPECT_EQ(device, nullptr);
    ASSERT_EQ(d3d->CreateDevice("IID_IDirect3DMMXDevice", back, &device), DD_OK);
    device->Release();
    d3d->Release();
}

TEST_F(DisplayBackendD3DTest, AChangeOfModeMakesTheDisplayAgain)
{
    D3DDevice* before = backend->GetDevice();
    (void)before;
    GetD3DLayerTestHook().wrongMode = 1;
    LoseAllD3DLayerSurfaces();
    EXPECT_TRUE(Renderer().BeginScene());
    EXPECT_TRUE(Renderer().IsInScene());
    EXPECT_EQ(backend->GetCDXScreen()->GetBack()->GetDDS()->IsLost(), DD_OK);
}

TEST_F(DisplayBackendD3DTest, TheScreenIsCreatedOnceAndShotFromTheFrontBuffer)
{
    // The system report gives the layer's own version where it comes up.
    std::uint32_t packed = 0;
    char text[16] = {};
    EXPECT_EQ(GetDXVersion(&packed, text, sizeof(text)), 0u);
    EXPECT_EQ(packed, 0x00070000u);
    EXPECT_STREQ(text, "7.0");

    CDXScreen* screen = backend->GetCDXScreen();
    EXPECT_EQ(screen->CreateWindowed(nullptr, 320, 240), -1);
    EXPECT_EQ(screen->CreateFullScreen(nullptr, 320, 240, 32), -1);
    EXPECT_THAT(screen->GetVideoModes(), ::testing::Not(::testing::IsEmpty()));

    // What was drawn and presented is what the screenshot holds.
    Renderer().FillRect(Rect(0, 0, 320, 240), Color(0, 0, 0, 255), true);
    Renderer().FillRect(Rect(10, 20, 5, 5), Color(255, 128, 0, 255), true);
    backend->UpdateScreen();
    const auto path = std::filesystem::temp_directory_path() / "d3d-screenshot-test.bmp";
    backend->MakeScreenshot(path.string());
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(bytes.size(), 54u + 320u * 3u * 240u);
    auto pixel = [&](int x, int y) {
        const std::size_t at = 54 + static_cast<std::size_t>(239 - y) * 960 + static_cast<std::size_t>(x) * 3;
        return std::vector<int>{bytes[at + 2], bytes[at + 1], bytes[at]};
    };
    // One pixel in and one out at each edge.
    EXPECT_EQ(pixel(10, 20), (std::vector<int>{255, 128, 0}));
    EXPECT_EQ(pixel(14, 24), (std::vector<int>{255, 128, 0}));
    EXPECT_EQ(pixel(9, 20), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(pixel(15, 24), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(pixel(14, 25), (std::vector<int>{0, 0, 0}));
    std::filesystem::remove(path);
}

TEST_F(DisplayBackendD3DTest, ImagesAreCopiedPixelForPixel)
{
    Image* image = MakeImage(100, 70);
    Renderer().FillRect(Rect(0, 0, 320, 240), Color(0, 0, 0, 255), true);
    const Rect dest(3, 7, 100, 70);
    Renderer().DrawImage(image, SHADERTYPE_COPY, &dest, nullptr, 255, 0, false, false);
    backend->UpdateScreen();
    CDXSurface* front = backend->GetCDXScreen()->GetFront();
    ASSERT_EQ(front->Lock(), 1);
    // Across the pieces' seams, with linear filtering asked for.
    for (auto [x, y] : {std::pair{0, 0}, {63, 63}, {64, 64}, {99, 69}, {65, 10}}) {
        std::uint32_t p;
        std::memcpy(&p, front->GetPixels() + (7 + y) * front->GetPitch() + (3 + x) * 4, 4);
        EXPECT_EQ(p & 0xFFFFFF, static_cast<std::uint32_t>((y << 8) | x)) << x << "," << y;
    }
    front->Unlock();
}
