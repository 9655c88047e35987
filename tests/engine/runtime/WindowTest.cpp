#include "engine/runtime/Application.h"

#include "engine/core/Config.h"
#include "engine/core/EmbeddedFiles.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/DisplayBackendSDL.h"
#include "engine/runtime/DisplayManager.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/runtime/SurfaceManager.h"
#include "support/SteppedLoopClock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <SDL.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const char kDefaults[] = "LoadConfig { full_screen = true }";
// The frame-rate overlay that Ctrl+1 shows needs its font.
const char kConst[] = "LoadConstConfig { ShortcutKeyTimeout = 1000, FPSFont = \"DejaVuSans.ttf\", FPSFontSize = 12 }";
EmbeddedFileRegistration s_Defaults("WindowApp_Defaults.cfg", reinterpret_cast<const unsigned char*>(kDefaults),
                                    sizeof(kDefaults) - 1);
EmbeddedFileRegistration s_Const("WindowApp_Const.cfg", reinterpret_cast<const unsigned char*>(kConst),
                                 sizeof(kConst) - 1);

class WindowApp : public Application
{
public:
    WindowApp() : Application("WindowApp", "Window Test", AppCodeFromString("WNDW"), 800, 600) {}
    bool CurrentScreenShowsDialog() override { return dialogShown; }
    void DrawScreens() override
    {
        if (draw)
            draw(*GetMainCanvas()->GetImageRenderer());
    }

    bool dialogShown = false;
    std::function<void(ImageRenderer&)> draw;

    using Application::m_CheckVideo;
    using Application::m_FirstDraw;
    using Application::m_ForceDisplayReset;
    using Application::m_FullScreen;
    using Application::m_HWAccelChanged;
    using Application::m_LogTickInfo;
    using Application::m_Minimized;
    using Application::m_Running;
    using Application::m_ScreenshotRequested;
    using Application::m_ShortcutKeyTimer;
    using Application::m_ToggleFullScreenOnNextDraw;
    using Application::TakeScreenshot;

    std::size_t QueuedEvents() const { return m_EventQueue.Size(); }
};

EventRecord KeyDown(int key, int modifiers)
{
    EventRecord event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = static_cast<SDLKey>(key);
    event.key.keysym.mod = static_cast<SDLMod>(modifiers);
    return event;
}

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() / ("velk-window-" + std::to_string(::getpid()));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "cwd" / "data" / "fonts");
        for (const char* font : {"DejaVuSans.ttf", "DejaVuSansCondensed.ttf"})
            std::filesystem::copy_file(std::filesystem::path(VELK_GAME_DATA_DIR) / "fonts" / font,
                                       root / "cwd" / "data" / "fonts" / font);
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(root / "cwd");
        app = std::make_unique<WindowApp>();
        std::string program = (root / "WindowApp").string();
        const char* args[] = {program.c_str(), "--multiapp", "--keepcwd", "--nopkg", "-w"};
        app->InitEngine(5, args);
        app->SetLoopClock(&clock);
    }
    void TearDown() override
    {
        app.reset();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(root);
    }
    std::string Log()
    {
        std::ifstream in(root / "data" / "Window Test Documents" / "Technical Support Files" / "VelkEngine.log");
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    // What the log gained since the last call.
    std::string NewLog()
    {
        std::string all = Log();
        std::string added = all.substr(std::min(logSeen, all.size()));
        logSeen = all.size();
        return added;
    }
    static int PendingWindowMessages()
    {
        SDL_Event events[8];
        return SDL_PeepEvents(events, 8, SDL_PEEKEVENT, SDL_EVENTMASK(SDL_USEREVENT));
    }

    std::filesystem::path root;
    std::filesystem::path previous;
    SteppedLoopClock clock;
    std::unique_ptr<WindowApp> app;
    std::size_t logSeen = 0;
};

// What the shortcut keys may change, read before and after a key.
std::string Changes(const std::function<std::vector<std::pair<const char*, long>>()>& read,
                    const std::function<void()>& act)
{
    auto before = read();
    act();
    auto after = read();
    std::string changed;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i].second != after[i].second)
            changed += std::string(changed.empty() ? "" : " ") + before[i].first;
    return changed;
}

} // namespace

TEST_F(WindowTest, ShortcutKeysDoWhatTheirTableSays)
{
    app->CreateWindow();
    auto read = [this]() -> std::vector<std::pair<const char*, long>> {
        return {{"toggle", app->m_ToggleFullScreenOnNextDraw},
                {"quit", !app->m_Running},
                {"posted", PendingWindowMessages()},
                {"fps", app->IsFPSCounterShown()},
                {"uncapped", (app->GetFlags() & APPFLAG_FRAMERATE_UNCAPPED) != 0},
                {"logLevel", app->GetLogLevel()},
                {"hwChanged", app->m_HWAccelChanged},
                {"tickLog", app->m_LogTickInfo},
                {"queued", static_cast<long>(app->QueuedEvents())},
                {"screenshot", app->m_ScreenshotRequested},
                {"memMode", app->GetResourceMemoryUsageCounterMode()},
                {"slow", app->IsSlowMode()},
                {"reset", app->m_ForceDisplayReset},
                {"keyTimer", app->m_ShortcutKeyTimer != 0}};
    };
    enum Mode { WINDOW, FULL, FULL_DIALOG };
    struct Case
    {
        int key;
        int modifiers;
        Mode mode;
        bool handled;
        const char* changes;
        const char* logLine;
    };
    const Case cases[] = {
        {SDLK_RETURN, KMOD_LALT, WINDOW, true, "toggle", nullptr},
        {SDLK_RETURN, KMOD_RALT | KMOD_NUM | KMOD_CAPS, WINDOW, true, "toggle", nullptr},
        {SDLK_RETURN, KMOD_LALT | KMOD_LSHIFT, WINDOW, false, "", nullptr},
        {SDLK_RETURN, KMOD_LALT, FULL, false, "", nullptr},
        {SDLK_RETURN, KMOD_LALT, FULL_DIALOG, true, "toggle", nullptr},
        {SDLK_F4, KMOD_LALT, WINDOW, true, "quit", nullptr},
        {SDLK_F4, KMOD_LALT, FULL, false, "", nullptr},
        {SDLK_F4, KMOD_RALT, FULL_DIALOG, true, "quit", nullptr},
        {SDLK_0, KMOD_LCTRL, WINDOW, true, "posted", nullptr},
        {SDLK_1, KMOD_RCTRL, WINDOW, true, "fps", "FPS counter enabled\n"},
        {SDLK_F1, KMOD_LCTRL, FULL, true, "fps", "FPS counter disabled\n"},
        {SDLK_2, KMOD_LCTRL, WINDOW, true, "uncapped", "Frame rate cap disabled\n"},
        {SDLK_F2, KMOD_LCTRL, WINDOW, true, "uncapped", "Framerate cap is ON\n"},
        {SDLK_3, KMOD_LCTRL, WINDOW, false, "", nullptr},
        {SDLK_5, KMOD_LCTRL, WINDOW, true, "logLevel", "Decrementing Log Level from 2 to 1\n"},
        {SDLK_6, KMOD_LCTRL, WINDOW, true, "logLevel", "Incrementing Log Level from 1 to 2\n"},
        {SDLK_7, KMOD_LCTRL, WINDOW, false, "hwChanged", "Manually setting HW acceleration to: ON\n"},
        {SDLK_8, KMOD_LCTRL, WINDOW, false, "tickLog", "Tick logging set to: TRUE\n"},
        {SDLK_BACKQUOTE, KMOD_LCTRL, WINDOW, true, "queued", nullptr},
        {SDLK_p, KMOD_LCTRL, WINDOW, true, "screenshot", nullptr},
        {SDLK_F3, KMOD_LCTRL, WINDOW, true, "memMode",
         "Resource memory usage counter enabled, displaying MEMUSAGE_IMAGES_IN_SYSMEM\n"},
        {SDLK_F4, KMOD_LCTRL, WINDOW, true, "memMode",
         "Resource memory usage counter changed, now displaying MEMUSAGE_IMAGES_IN_VIDMEM\n"},
        {SDLK_F4, KMOD_LCTRL, FULL, true, "memMode", "Resource memory usage counter hidden.\n"},
        {SDLK_F5, KMOD_LCTRL, WINDOW, true, "", "Flushing all vidmem.\n"},
        {SDLK_F6, KMOD_LCTRL, WINDOW, true, "slow", nullptr},
        {SDLK_r, KMOD_LCTRL | KMOD_LALT, WINDOW, false, "reset", nullptr},
        {SDLK_r, KMOD_RCTRL | KMOD_RALT | KMOD_NUM, FULL, false, "reset", nullptr},
        {SDLK_r, KMOD_LCTRL | KMOD_RALT, WINDOW, false, "", nullptr},
        {SDLK_F10, KMOD_LSHIFT, FULL, true, "quit", nullptr},
        {SDLK_F10, KMOD_LCTRL, WINDOW, true, "quit", nullptr},
        {SDLK_F10, KMOD_LCTRL | KMOD_LALT, WINDOW, true, "quit", nullptr},
        {SDLK_a, KMOD_LCTRL, WINDOW, false, "", nullptr},
        {SDLK_1, KMOD_LCTRL | KMOD_LSHIFT, WINDOW, false, "", nullptr},
        {SDLK_LALT, KMOD_LALT, WINDOW, false, "keyTimer", nullptr},
        {SDLK_RALT, KMOD_LALT | KMOD_RALT, WINDOW, false, "", nullptr},
    };
    NewLog();
    for (const Case& c : cases) {
        app->m_FullScreen = c.mode != WINDOW;
        app->dialogShown = c.mode == FULL_DIALOG;
        app->m_ToggleFullScreenOnNextDraw = false;
        app->m_Running = true;
        app->m_ScreenshotRequested = false;
        app->m_ForceDisplayReset = false;
        bool handled = false;
        const std::string where = "key " + std::to_string(c.key) + " modifiers " + std::to_string(c.modifiers);
        EXPECT_EQ(Changes(read, [&] { handled = app->OnKeyDown(KeyDown(c.key, c.modifiers)); }), c.changes) << where;
        EXPECT_EQ(handled, c.handled) << where;
        if (c.logLine) {
            EXPECT_THAT(NewLog(), HasSubstr(c.logLine)) << where;
        }
    }
}

TEST_F(WindowTest, HoldingAltShowsKeyTipsAfterTheTimeoutAndReleasingHidesThem)
{
    app->StartLoop();
    app->RunPass();
    app->OnKeyDown(KeyDown(SDLK_LALT, KMOD_LALT));
    clock.now += 900;
    app->RunPass();
    EXPECT_EQ(app->GetFlags() & APPFLAG_SHOW_KEY_TIPS, 0u);
    clock.now += 200;
    app->RunPass();
    EXPECT_EQ(app->GetFlags() & APPFLAG_SHOW_KEY_TIPS, APPFLAG_SHOW_KEY_TIPS);
    EventRecord up = KeyDown(SDLK_LALT, 0);
    up.type = SDL_KEYUP;
    app->OnEvent(up);
    EXPECT_EQ(app->GetFlags() & APPFLAG_SHOW_KEY_TIPS, 0u);
}

TEST_F(WindowTest, WindowMessagesSetTheirFlagsAndGoOnToTheDisplay)
{
    app->CreateWindow();
    struct Case
    {
        std::uint32_t message;
        std::uintptr_t wParam;
        bool fullScreen;
        const char* changes;
        const char* logLine;
    };
    const Case cases[] = {
        {WM_NCLBUTTONDBLCLK, 0, false, "toggle",
         "Application::WindowProc, WM_NCLBUTTONDBLCLK received, will toggle fullscreen.\n"},
        {WM_SIZE, SIZE_MINIMIZED, false, "minimized",
         "Application::WindowProc, WM_SIZE received, (wParam == SIZE_MINIMIZED) == true\n"},
        {WM_SIZE, SIZE_RESTORED, false, "minimized",
         "Application::WindowProc, WM_SIZE received, (wParam == SIZE_MINIMIZED) == false\n"},
        {WM_ACTIVATEAPP, 1, false, "checkVideo", nullptr},
        {WM_SYSCOMMAND, SC_MAXIMIZE, false, "toggle",
         "Application::WindowProc, WM_SYSCOMMAND+SC_MAXIMIZE received, APP->IsFullScreen() == false\n"},
        {WM_SYSCOMMAND, SC_MAXIMIZE, true, "",
         "Application::WindowProc, WM_SYSCOMMAND+SC_MAXIMIZE received, APP->IsFullScreen() == true\n"},
        {WM_SYSCOMMAND, 0xF020, false, "", nullptr},
        {WM_USER, 0x12, false, "", "WM_USER: wParam=0x00000012, lParam=0x00000034\n"},
    };
    auto read = [this]() -> std::vector<std::pair<const char*, long>> {
        return {{"toggle", app->m_ToggleFullScreenOnNextDraw},
                {"minimized", app->m_Minimized},
                {"checkVideo", app->m_CheckVideo}};
    };
    NewLog();
    for (const Case& c : cases) {
        app->m_FullScreen = c.fullScreen;
        app->m_ToggleFullScreenOnNextDraw = false;
        app->m_CheckVideo = false;
        std::intptr_t result = -1;
        EXPECT_EQ(Changes(read, [&] { result = app->WindowProc(app->GetWindowHandle(), c.message, c.wParam, 0x34); }),
                  c.changes)
            << c.message;
        EXPECT_EQ(result, 0);
        if (c.logLine) {
            EXPECT_THAT(NewLog(), HasSubstr(c.logLine)) << c.message;
        }
    }
    // Losing the focus in full screen reaches the back end, which iconifies.
    app->m_FullScreen = true;
    app->UseFullScreen(800, 600, 32);
    NewLog();
    app->WindowProc(app->GetWindowHandle(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_THAT(NewLog(), HasSubstr("Attempting to minimize fullscreen window."));
}

TEST_F(WindowTest, PostedWindowMessagesArriveInTheEventsPhase)
{
    app->CreateWindow();
    app->StartLoop();
    NewLog();
    app->OnKeyDown(KeyDown(SDLK_0, KMOD_LCTRL));
    EXPECT_THAT(NewLog(), Not(HasSubstr("WM_USER")));
    // Other user events are not window messages.
    SDL_Event other{};
    other.type = SDL_USEREVENT;
    other.user.code = 1024;
    SDL_PushEvent(&other);
    app->RunPass();
    const std::string log = NewLog();
    EXPECT_THAT(log, HasSubstr("WM_USER: wParam=0x00000000, lParam=0x00000000\n"));
    EXPECT_EQ(log.find("WM_USER"), log.rfind("WM_USER"));
}

TEST_F(WindowTest, AHeadlessRunOpensTheWindowDrawsAndTakesAScreenshot)
{
    app->CreateWindow();
    SDL_Surface* screen = SDL_GetVideoSurface();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->w, 800);
    EXPECT_EQ(screen->h, 600);
    EXPECT_EQ(screen->flags & SDL_FULLSCREEN, 0u);  // "-w" wins over the configuration
    char* caption = nullptr;
    SDL_WM_GetCaption(&caption, nullptr);
    EXPECT_STREQ(caption, "Window Test");
    EXPECT_NE(app->GetWindowHandle(), nullptr);
    EXPECT_FALSE(app->GetConfig()->Retrieve("full_screen").ToBool());

    int frames = 0;
    app->draw = [&frames](ImageRenderer& renderer) {
        ++frames;
        renderer.FillRect(Rect(0, 0, 800, 600), Color(0, 0, 96, 255), true);
        renderer.FillRect(Rect(100, 50, 20, 10), Color(255, 200, 0, 255), true);
        renderer.FillRect(Rect(100, 50, 20, 10), Color(255, 255, 255, 128), true);
    };
    app->StartLoop();
    app->RunPass();
    EventRecord press = KeyDown(SDLK_p, KMOD_RCTRL);
    ASSERT_EQ(SDL_PushEvent(&press), 0);
    app->RunPass();
    EXPECT_EQ(frames, 2);
    EXPECT_THAT(Log(), HasSubstr("Saving screenshot to \"WindowApp_Screenshot-0000.bmp\"\n"));

    SDL_Surface* shot = SDL_LoadBMP("WindowApp_Screenshot-0000.bmp");
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->w, 800);
    EXPECT_EQ(shot->h, 600);
    SDL_Surface* pixels = SDL_ConvertSurface(shot, const_cast<SDL_PixelFormat*>(SurfaceManager::GetStandardPixelFormat()), SDL_SWSURFACE);
    SDL_FreeSurface(shot);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(PixelRow(pixels, 0)[0] & 0xFFFFFF, 0x000060u);
    EXPECT_EQ(PixelRow(pixels, 599)[799] & 0xFFFFFF, 0x000060u);
    // (c x 128 + d x 127) / 256 over the yellow.
    EXPECT_EQ(PixelRow(pixels, 55)[110] & 0xFFFFFF, 0xFEE27Fu);
    EXPECT_EQ(PixelRow(pixels, 60)[110] & 0xFFFFFF, 0x000060u);
    SDL_FreeSurface(pixels);

    // Alt+Return switches to full screen in the next pass on the same back end.
    DisplayBackend* backend = app->GetDisplayManager()->GetBackend();
    EventRecord toggle = KeyDown(SDLK_RETURN, KMOD_LALT);
    ASSERT_EQ(SDL_PushEvent(&toggle), 0);
    NewLog();
    app->RunPass();
    EXPECT_TRUE(app->IsFullScreen());
    EXPECT_EQ(SDL_GetVideoSurface()->flags & SDL_FULLSCREEN, static_cast<Uint32>(SDL_FULLSCREEN));
    EXPECT_EQ(app->GetDisplayManager()->GetBackend(), backend);
    EXPECT_TRUE(app->GetConfig()->Retrieve("full_screen").ToBool());
    EXPECT_EQ(frames, 3);
    const std::string log = NewLog();
    for (const char* line : {"Application::Run, m_ToggleFullScreenOnNextDraw == true, will recreate window.\n",
                             "Application::UseFullScreen called: 800x600x32\n",
                             "Application::UseFullScreen FINISHED.\n", "Application::Run, Performing first draw...\n",
                             "Application::Run, First screen draw complete.\n"})
        EXPECT_THAT(log, HasSubstr(line));
    EXPECT_THAT(log, Not(HasSubstr("Pausing app")));
}

TEST_F(WindowTest, ScreenshotsTakeTheFirstFreeNameAndAFullSetIsOnlyReported)
{
    app->CreateWindow();
    EXPECT_EQ(app->FindScreenshotFileName(), "WindowApp_Screenshot-0000.bmp");
    std::ofstream("WindowApp_Screenshot-0000.bmp");
    std::ofstream("WindowApp_Screenshot-0002.bmp");
    EXPECT_EQ(app->FindScreenshotFileName(), "WindowApp_Screenshot-0001.bmp");
    for (int n = 0; n < 9999; ++n) {
        char name[64];
        std::snprintf(name, sizeof(name), "WindowApp_Screenshot-%04d.bmp", n);
        std::ofstream{name};
    }
    EXPECT_EQ(app->FindScreenshotFileName(), "");
    NewLog();
    app->TakeScreenshot();
    EXPECT_THAT(NewLog(), HasSubstr("WARNING: Could not save screenshot: all 9999 names from "
                                    "\"WindowApp_Screenshot-0000.bmp\" on are taken.\n"));
    EXPECT_FALSE(std::filesystem::exists("WindowApp_Screenshot-9999.bmp"));
}

TEST_F(WindowTest, CursorAndGrabAreChangedOnlyWhenAllowed)
{
    app->CreateWindow();
    SDL_ShowCursor(SDL_ENABLE);
    EXPECT_TRUE(app->ShowCursor(false));
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    app->ApplyBoolProperty("allowShowCursorStateChange", false);
    EXPECT_FALSE(app->ShowCursor(true));
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);

    app->ApplyBoolProperty("allowGrabInputStateChange", false);
    const bool grabbed = SDL_WM_GrabInput(SDL_GRAB_QUERY) == SDL_GRAB_ON;
    EXPECT_EQ(app->GrabInput(!grabbed), grabbed);
    EXPECT_EQ(SDL_WM_GrabInput(SDL_GRAB_QUERY) == SDL_GRAB_ON, grabbed);
}

TEST_F(WindowTest, TheWindowNeedsAHandleAndOneCanvas)
{
    auto failure = [](const std::function<void()>& f) -> std::string {
        try {
            f();
        } catch (const Exception& e) {
            return e.GetMessage();
        }
        return "no failure";
    };
    EXPECT_THAT(failure([&] { app->InitWindowProc(); }),
                HasSubstr("Assertion failed: (m_hWnd != 0)\nMessage: A window handle hasn't been set yet."));
    app->CreateWindow();
    EXPECT_THAT(failure([&] { app->InitMainCanvas(); }), HasSubstr("Assertion failed: (m_MainCanvas == 0)"));
    EXPECT_THAT(failure([&] { app->SetWindowIcon(nullptr); }), HasSubstr("Assertion failed: (hIcon != 0)"));
    NewLog();
    app->TrySetWindowIcon(7);
    EXPECT_THAT(NewLog(), HasSubstr("WARNING: Coult not load application's icon; iconResourceNumber = 7; reason = "));
}
