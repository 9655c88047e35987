#include "engine/runtime/DisplayManager.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/DisplayBackendSDL.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/SDLImageRenderer.h"
#include "engine/runtime/SDLVideo.h"
#include "OsTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>

using ::testing::HasSubstr;

namespace {

std::string FailureOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.GetMessage();
    }
    return "no failure";
}

// An accelerated back end that starts, or refuses to, as the test says.
class FakeAcceleratedBackend : public DisplayBackend
{
public:
    static inline bool s_Fails = false;

    void ApplyDisplayParams(const DisplayParams&) override
    {
        if (s_Fails)
            VELK_THROW(DisplayBackendInitError, "no accelerated device");
        ++applies;
    }
    ImageRenderer* GetScreenImageRenderer() override { return nullptr; }
    void UpdateScreen() override {}
    void InvalidateScreen() override {}
    void ClearScreen() override {}
    std::intptr_t HandleWindowsMessage(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override
    {
        return 7;
    }
    bool IsCurrentDisplayValid() override { return true; }
    void MakeScreenshot(const std::string&) override {}
    void PrepareForModalSystemDialog() override {}
    void CleanupFromModalSystemDialog() override {}
    bool IsAccelerated() const override { return true; }

    int applies = 0;
};

std::unique_ptr<DisplayBackend> MakeFakeAccelerated()
{
    return std::make_unique<FakeAcceleratedBackend>();
}

class DisplayManagerTest : public ::testing::Test
{
protected:
    void SetUp() override { SetLogFilePath(folder / "display.log"); }
    void TearDown() override
    {
        manager.reset();
        DisplayManager::SetAcceleratedBackendFactory(nullptr);
        FakeAcceleratedBackend::s_Fails = false;
        SetLogFilePath("");
        SDL_Quit();
    }
    std::string LogText()
    {
        std::ifstream in(folder / "display.log");
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    DisplayParams Params(bool fullScreen, bool accelerated)
    {
        DisplayParams params;
        params.width = 64;
        params.height = 48;
        params.fullScreen = fullScreen;
        params.use3DAcceleration = accelerated;
        return params;
    }
    DisplayBackendSDL* SoftwareBackend() { return dynamic_cast<DisplayBackendSDL*>(manager->GetBackend()); }

    TempFolder folder;
    std::unique_ptr<DisplayManager> manager = std::make_unique<DisplayManager>();
};

} // namespace

TEST_F(DisplayManagerTest, AcceleratedRequestFallsBackToSoftwareWithTheErrorBlock)
{
    const std::string rule = "-------------------------------------------------------------------------\n";
    for (bool installed : {false, true}) {
        // Either no accelerated back end exists, or it fails to start.
        DisplayManager::SetAcceleratedBackendFactory(installed ? MakeFakeAccelerated : nullptr);
        FakeAcceleratedBackend::s_Fails = true;
        manager = std::make_unique<DisplayManager>();
        DisplayParams params = Params(false, true);
        manager->ApplyDisplayParams(params);

        EXPECT_FALSE(params.use3DAcceleration);
        ASSERT_NE(SoftwareBackend(), nullptr);
        const std::string log = LogText();
        const std::size_t block = log.rfind(rule + "DisplayManager::ApplyDisplayParams: Error initializing display:\n"
                                                  "PARAMS: 3daccel=ON, fullscreen=OFF\nEXCEPTION INFO:\n"
                                                  "Exception Thrown: DisplayBackendInitError\n");
        ASSERT_NE(block, std::string::npos) << log;
        const std::string rest = log.substr(block);
        EXPECT_THAT(rest, HasSubstr(installed ? "no accelerated device" : "The accelerated display back end is not available."));
        EXPECT_THAT(rest, HasSubstr("\n" + rule + "DisplayManager::ApplyDisplayParams: Deleting uninitialized backend.\n"
                                    "DisplayManager::ApplyDisplayParams: Trying to reinitialize display without 3D "
                                    "acceleration.\n"));
        EXPECT_THAT(rest, HasSubstr("DisplayManager::ApplyDisplayParams: Success, backend=\"DisplayBackendSDL\", "
                                    "3daccel=OFF, fullscreen=OFF\n"));
    }
}

TEST_F(DisplayManagerTest, OnlyAChangeOfAccelerationReplacesTheBackEnd)
{
    DisplayManager::SetAcceleratedBackendFactory(MakeFakeAccelerated);
    DisplayParams windowed = Params(false, false);
    manager->ApplyDisplayParams(windowed);
    DisplayBackend* software = manager->GetBackend();
    DisplayParams full = Params(true, false);
    manager->ApplyDisplayParams(full);
    EXPECT_EQ(manager->GetBackend(), software);
    EXPECT_EQ(SDL_GetVideoSurface()->flags & SDL_FULLSCREEN, static_cast<Uint32>(SDL_FULLSCREEN));

    DisplayParams accelerated = Params(true, true);
    manager->ApplyDisplayParams(accelerated);
    EXPECT_TRUE(accelerated.use3DAcceleration);
    auto* fake = dynamic_cast<FakeAcceleratedBackend*>(manager->GetBackend());
    ASSERT_NE(fake, nullptr);
    DisplayParams acceleratedWindow = Params(false, true);
    manager->ApplyDisplayParams(acceleratedWindow);
    EXPECT_EQ(manager->GetBackend(), fake);
    EXPECT_EQ(fake->applies, 2);
    EXPECT_EQ(manager->HandleWindowsMessage(nullptr, WM_USER, 0, 0), 7);

    manager->ApplyDisplayParams(windowed);
    EXPECT_NE(SoftwareBackend(), nullptr);
}

TEST_F(DisplayManagerTest, TheScreenIsBlackAfterEveryApply)
{
    DisplayParams params = Params(false, false);
    manager->ApplyDisplayParams(params);
    for (bool fullScreen : {true, false}) {
        SDL_Surface* screen = SDL_GetVideoSurface();
        SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 200, 100, 50));
        params = Params(fullScreen, false);
        manager->ApplyDisplayParams(params);
        screen = SDL_GetVideoSurface();
        ASSERT_EQ(screen->w, 64);
        EXPECT_EQ(PixelRow(screen, 47)[63] & 0xFFFFFF, 0u);
        EXPECT_EQ(PixelRow(screen, 0)[0] & 0xFFFFFF, 0u);
        EXPECT_EQ(manager->GetScreenImageRenderer()->GetTargetSurface()->GetSurface(), screen);
    }
}

TEST_F(DisplayManagerTest, WithoutABackEndForwardingIsACallerError)
{
    EXPECT_EQ(manager->GetScreenImageRenderer(), nullptr);
    EXPECT_EQ(manager->HandleWindowsMessage(nullptr, WM_SIZE, SIZE_MINIMIZED, 0), 0);
    EXPECT_THAT(FailureOf([&] { manager->MakeScreenshot("x.bmp"); }),
                HasSubstr("Assertion failed: (m_DisplayBackend != 0)"));
    EXPECT_THAT(FailureOf([&] { manager->IsCurrentDisplayValid(); }), HasSubstr("m_DisplayBackend != 0"));
    EXPECT_THAT(FailureOf([&] { manager->PrepareForModalSystemDialog(); }), HasSubstr("m_DisplayBackend != 0"));
}

TEST_F(DisplayManagerTest, OffscreenRenderersDrawIntoSurfacesWithAlpha)
{
    std::unique_ptr<SDLImageRenderer> offscreen = DisplayManager::MakeOffscreenImageRenderer(5, 3);
    SDL_Surface* surface = offscreen->GetTargetSDLSurface();
    EXPECT_EQ(surface->w, 5);
    EXPECT_EQ(surface->h, 3);
    EXPECT_EQ(surface->flags & SDL_SRCALPHA, static_cast<Uint32>(SDL_SRCALPHA));
    offscreen->FillRect(Rect(1, 1, 2, 1), Color(1, 2, 3, 255), true);
    EXPECT_EQ(PixelRow(surface, 1)[2], 0xFF010203u);

    std::unique_ptr<SDLImageRenderer> onto = DisplayManager::MakeImageRenderer(offscreen->GetTargetSurface());
    EXPECT_EQ(onto->GetTargetSurface(), offscreen->GetTargetSurface());
}

TEST_F(DisplayManagerTest, SoftwareBackEndHoldsTheFullScreenModeWhileIconified)
{
    DisplayParams params = Params(true, false);
    manager->ApplyDisplayParams(params);
    DisplayBackendSDL* backend = SoftwareBackend();
    ASSERT_NE(backend, nullptr);
    EXPECT_TRUE(backend->IsCurrentDisplayValid());

    manager->HandleWindowsMessage(nullptr, WM_SIZE, SIZE_MINIMIZED, 0);
    EXPECT_TRUE(backend->HasSavedFullScreenDisplaySettings());
    EXPECT_THAT(FailureOf([&] { manager->HandleWindowsMessage(nullptr, WM_SIZE, SIZE_MINIMIZED, 0); }),
                HasSubstr("m_SavedFullScreenDisplaySettings == 0"));
    manager->HandleWindowsMessage(nullptr, WM_SIZE, SIZE_RESTORED, 0);
    EXPECT_FALSE(backend->HasSavedFullScreenDisplaySettings());

    // Losing the focus iconifies a full-screen window, unless a system dialog took it.
    manager->PrepareForModalSystemDialog();
    manager->HandleWindowsMessage(nullptr, WM_ACTIVATE, WA_INACTIVE, 0);
    manager->CleanupFromModalSystemDialog();
    EXPECT_THAT(FailureOf([&] { manager->CleanupFromModalSystemDialog(); }),
                HasSubstr("m_ModalSystemDialogEnabled == true"));
    EXPECT_EQ(LogText().find("Attempting to minimize fullscreen window."), std::string::npos);
    manager->HandleWindowsMessage(nullptr, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_THAT(LogText(), HasSubstr("DisplayBackendSDL::HandleWindowsMessage: Attempting to minimize fullscreen "
                                     "window.\n"));

    // A window only minds the desktop's depth.
    params = Params(false, false);
    manager->ApplyDisplayParams(params);
    manager->HandleWindowsMessage(nullptr, WM_SIZE, SIZE_MINIMIZED, 0);
    EXPECT_FALSE(backend->HasSavedFullScreenDisplaySettings());
    EXPECT_TRUE(manager->IsCurrentDisplayValid());
}

TEST_F(DisplayManagerTest, ScreenshotsAreBitmapsOfTheScreenAndFailuresAreOnlyLogged)
{
    DisplayBackendSDL unapplied;
    unapplied.MakeScreenshot(folder / "none.bmp");
    EXPECT_THAT(LogText(), HasSubstr("WARNING: Could not save screenshot: DisplayBackendSDL::m_DisplaySurface == NULL\n"));

    DisplayParams params = Params(false, false);
    manager->ApplyDisplayParams(params);
    manager->GetScreenImageRenderer()->FillRect(Rect(2, 3, 1, 1), Color(10, 20, 30, 255), true);
    const std::string path = folder / "shot.bmp";
    manager->MakeScreenshot(path);
    EXPECT_THAT(LogText(), HasSubstr("Screenshot successfully saved to \"" + path + "\".\n"));
    SDL_Surface* shot = SDL_LoadBMP(path.c_str());
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->w, 64);
    Uint8 r, g, b;
    SDL_LockSurface(shot);
    const Uint8* pixel = static_cast<Uint8*>(shot->pixels) + 3 * shot->pitch + 2 * shot->format->BytesPerPixel;
    Uint32 value = 0;
    std::memcpy(&value, pixel, shot->format->BytesPerPixel);
    SDL_UnlockSurface(shot);
    SDL_GetRGB(value, shot->format, &r, &g, &b);
    EXPECT_EQ(r, 10);
    EXPECT_EQ(g, 20);
    EXPECT_EQ(b, 30);
    SDL_FreeSurface(shot);

    manager->MakeScreenshot(folder / "missing/shot.bmp");
    EXPECT_THAT(LogText(), HasSubstr("WARNING: Could not save screenshot: "));
}

TEST(SDLVideoTest, OnlyTheKnownDriversAreAccepted)
{
    // Whether or not SDL can start it, a driver we cannot handle never passes.
    bool started = false;
    std::string failure;
    try {
        started = InitSDLVideo("offscreen");
    } catch (const Exception& e) {
        failure = e.GetMessage();
    }
    EXPECT_FALSE(started);
    if (!failure.empty()) {
        EXPECT_THAT(failure, HasSubstr("Could not retrieve the window procedure using the SDL video driver, "
                                       "\"offscreen\"."));
        EXPECT_TRUE(IsCurrentSDLVideoDriver("offscreen"));
    } else {
        EXPECT_THAT(GetSDLVideoInitError(), HasSubstr("SDL_InitSubSystem(SDL_INIT_VIDEO) failed: "));
    }
    ShutdownSDLVideo();
    EXPECT_FALSE(IsCurrentSDLVideoDriver("offscreen"));

    EXPECT_TRUE(InitSDLVideo("dummy"));
    EXPECT_TRUE(IsCurrentSDLVideoDriver("dummy"));
    EXPECT_FALSE(IsCurrentSDLVideoDriver("x11"));
    SDL_Quit();
}
