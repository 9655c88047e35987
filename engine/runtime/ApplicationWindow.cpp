// The application's window: creating it, switching between full screen and a
// window, the window's messages, the developer overlays, screenshots and the
// shortcut keys the application answers itself.

#include "engine/core/Config.h"
#include "engine/core/EmbeddedFiles.h"
#include "engine/core/Log.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/DisplayManager.h"
#include "engine/runtime/ResourceManager.h"
#include "engine/runtime/ScreenHost.h"
#include "engine/runtime/SurfaceManager.h"
#include "engine/runtime/Utility.h"
#include "platform/lua/LuaFunction.h"

#include <SDL_image.h>

namespace {

const char* TrueFalse(bool value)
{
    return value ? "true" : "false";
}

X11MessageTranslator g_X11Messages;

// SDL's events as they arrive, before they are queued: what the window system
// says reaches the window procedure here, and the events go on to the queue.
// X11's own events stop here.
int WindowEventFilter(const SDL_Event* event)
{
    Application* app = APP;
    if (!app)
        return 1;
    // Nothing may unwind through SDL.
    try {
        if (event->type == SDL_ACTIVEEVENT) {
            for (const WindowMessage& m : TranslateActiveEvent(event->active))
                app->WindowProc(app->GetWindowHandle(), m.message, m.wParam, m.lParam);
        } else if (event->type == SDL_SYSWMEVENT) {
            if (std::optional<WindowMessage> m = g_X11Messages.Translate(event->syswm.msg))
                app->WindowProc(app->GetWindowHandle(), m->message, m->wParam, m->lParam);
            return 0;
        }
    } catch (const Exception& e) {
        LogWrite("WARNING: Application::WindowProc failed:\n%s\n", e.GetReport().c_str());
    } catch (const std::exception& e) {
        LogWrite("WARNING: Application::WindowProc failed: %s\n", e.what());
    }
    return 1;
}

} // namespace

// ---------------------------------------------------------------- screens

void Application::UpdateScreens()
{
    if (m_ScreenManager)
        m_ScreenManager->UpdateScreens();
}

void Application::DrawScreens()
{
    if (!m_MainCanvas)
        return;
    // Black where no screen draws, rather than whatever was drawn there last.
    if (m_DisplayManager)
        m_DisplayManager->ClearScreen();
    if (m_ScreenManager)
        m_ScreenManager->DrawScreens(*m_MainCanvas);
}

void Application::SwitchToNoScreen()
{
    // Sent at once: the loop is ending and will not dispatch the queue again.
    if (m_ScreenManager)
        m_ScreenManager->SwitchToNoScreen();
}

bool Application::CurrentScreenShowsDialog()
{
    return m_ScreenManager && m_ScreenManager->IsDialogShown();
}

// ---------------------------------------------------------------- roll-over

void Application::ResetRollover()
{
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    ResetRolloverAt(x, y, (SDL_GetAppState() & SDL_APPMOUSEFOCUS) != 0);
}

void Application::ResetRolloverAt(int x, int y, bool hasMouseFocus)
{
    if (m_ScreenManager)
        m_ScreenManager->ResetRolloverAt(x, y, hasMouseFocus);
}

void Application::UpdateScreen()
{
    if (m_DisplayManager && m_DisplayManager->GetBackend())
        m_DisplayManager->UpdateScreen();
}

// ---------------------------------------------------------------- creating and switching

void Application::CreateWindow()
{
    LogWrite("Application::CreateWindow called.\n");
    bool fullScreen = m_Config ? m_Config->Retrieve("full_screen").IsBool() && m_Config->Retrieve("full_screen").ToBool()
                               : false;
    LuaObject commandLine = RetrieveProperty("fullScreen");
    if (commandLine.IsBoolean())
        fullScreen = commandLine.GetBoolean();
    if (fullScreen && !RetrieveBoolProperty("enableEditor", false))
        UseFullScreen(m_ScreenWidth, m_ScreenHeight, 32);
    else
        UseWindowedScreen(m_ScreenWidth, m_ScreenHeight, 32);
    LogWrite("Application::CreateWindow finished.\n");
}

void Application::UseFullScreen(int width, int height, int depth)
{
    LogWrite("Application::UseFullScreen called: %dx%dx%d\n", width, height, depth);
    UseScreen(true, width, height, depth);
    LogWrite("Application::UseFullScreen FINISHED.\n");
}

void Application::UseWindowedScreen(int width, int height, int depth)
{
    LogWrite("Application::UseWindowedScreen called: %dx%dx%d\n", width, height, depth);
    UseScreen(false, width, height, depth);
    LogWrite("Application::UseWindowedScreen FINISHED.\n");
}

void Application::UseScreen(bool fullScreen, int width, int height, int)
{
    VELK_ASSERT(m_DisplayManager != 0);
    m_MainCanvas.reset();

    DisplayParams params;
    params.width = static_cast<std::uint32_t>(width);
    params.height = static_cast<std::uint32_t>(height);
    params.fullScreen = fullScreen;
    params.use3DAcceleration = m_HWAccelEnabled;
    params.waitForVSync = RetrieveBoolProperty("enableVSync", true);
    m_DisplayManager->ApplyDisplayParams(params);
    m_HWAccelEnabled = params.use3DAcceleration;

    InitWindowProc();
    InitMainCanvas();
    SDL_SetModState(KMOD_NONE);
    PostEvent(nullptr, MakeEventRecord(VELK_DISPLAYCHANGE, 0));

    m_FullScreen = fullScreen;
    if (m_Config)
        m_Config->SetBool("full_screen", fullScreen);

    if (!fullScreen) {
        // A window left wholly off the screen comes back where it can be seen.
        int x = 0, y = 0, w = 0, h = 0, screenWidth = 0, screenHeight = 0;
        if (GetWindowPlacement(x, y, w, h, screenWidth, screenHeight) &&
            (x + w <= 0 || y + h <= 0 || x >= screenWidth || y >= screenHeight))
            MoveWindowTo(20, 20);
    }

    m_HWAccelChanged = false;
    m_FirstDraw = true;
}

void Application::SetWindowHandle(WindowHandle hWnd)
{
    m_hWnd = hWnd;
    InitWindow();
}

void Application::InitWindow()
{
    // Queued: the screens hear of it once the new mode is wholly in place.
    PostEvent(nullptr, MakeEventRecord(VELK_RESETWINDOW, 0));
    InitWindowProc();
    SDL_EnableUNICODE(1);
    SDL_WM_SetCaption(GetWindowCaption().c_str(), nullptr);
    if (m_WindowIcon)
        SDL_WM_SetIcon(m_WindowIcon.get(), nullptr);
}

void Application::InitWindowProc()
{
    VELK_ASSERT_MSG(m_hWnd != 0, "A window handle hasn't been set yet.");
    SDL_SetEventFilter(WindowEventFilter);
    EnableWindowSystemEvents();
}

void Application::InitMainCanvas()
{
    VELK_ASSERT(m_MainCanvas == 0);
    m_MainCanvas = std::make_unique<Canvas>(m_DisplayManager->GetScreenImageRenderer(), false);
}

void Application::SetWindowIcon(SDL_Surface* hIcon)
{
    VELK_ASSERT(hIcon != 0);
    m_WindowIcon.reset(hIcon);
}

void Application::TrySetWindowIcon(int iconResourceNumber)
{
    const std::string name = (boost::format("Icon%1%.png") % iconResourceNumber).str();
    std::string reason;
    if (const EmbeddedFile* file = FindEmbeddedFile(name)) {
        SDL_RWops* bytes = SDL_RWFromConstMem(file->data, static_cast<int>(file->size));
        if (SDL_Surface* icon = bytes ? IMG_Load_RW(bytes, 1) : nullptr) {
            SetWindowIcon(icon);
            return;
        }
        reason = IMG_GetError();
    } else {
        reason = "the program has no file \"" + name + "\"";
    }
    LogWrite("WARNING: Coult not load application's icon; iconResourceNumber = %d; reason = %s\n", iconResourceNumber,
             reason.c_str());
}

void Application::MinimizeWindow()
{
    SDL_WM_IconifyWindow();
}

bool Application::GrabInput(bool grab)
{
    const bool grabbed = SDL_WM_GrabInput(SDL_GRAB_QUERY) == SDL_GRAB_ON;
    const bool allowed = RetrieveBoolProperty("allowGrabInputStateChange", true);
    Log(3, "Application::GrabInput(%s), %s, %s\n", TrueFalse(grab), TrueFalse(grabbed), TrueFalse(allowed));
    if (allowed)
        SDL_WM_GrabInput(grab ? SDL_GRAB_ON : SDL_GRAB_OFF);
    return grabbed;
}

bool Application::ShowCursor(bool show)
{
    auto cursorId = [] { return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(SDL_GetCursor())); };
    const bool shown = SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
    Log(3, "Application::ShowCursor(%s) called, GetCursor returned=%08x, m_W.C.S.=%s\n", TrueFalse(show), cursorId(),
        TrueFalse(m_WasCursorShown));
    if (RetrieveBoolProperty("allowShowCursorStateChange", true))
        SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
    Log(3, "Application::ShowCursor(%s) finished, GetCursor returned=%08x\n", TrueFalse(show), cursorId());
    return shown;
}

void Application::SignalDisplayChange()
{
    SendEvent(nullptr, MakeEventRecord(VELK_DISPLAYCHANGE));
}

// ---------------------------------------------------------------- window messages

std::intptr_t Application::WindowProc(WindowHandle hwnd, std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam)
{
    switch (message) {
    case WM_NCLBUTTONDBLCLK:
        LogWrite("Application::WindowProc, WM_NCLBUTTONDBLCLK received, will toggle fullscreen.\n");
        m_ToggleFullScreenOnNextDraw = true;
        return 0;
    case WM_SIZE:
        LogWrite("Application::WindowProc, WM_SIZE received, (wParam == SIZE_MINIMIZED) == %s\n",
                 TrueFalse(wParam == SIZE_MINIMIZED));
        m_Minimized = wParam == SIZE_MINIMIZED;
        break;
    case WM_ACTIVATEAPP:
        Log(3, "Application::WindowProc, WM_ACTIVATEAPP received, will check video next draw.\n");
        m_CheckVideo = true;
        break;
    case WM_SYSCOMMAND:
        if (wParam == SC_MAXIMIZE) {
            LogWrite("Application::WindowProc, WM_SYSCOMMAND+SC_MAXIMIZE received, APP->IsFullScreen() == %s\n",
                     TrueFalse(m_FullScreen));
            // A full-screen window already covers the screen.
            if (!m_FullScreen)
                m_ToggleFullScreenOnNextDraw = true;
        }
        break;
    case WM_USER:
        LogWrite("WM_USER: wParam=0x%08x, lParam=0x%08x\n", static_cast<unsigned>(wParam),
                 static_cast<unsigned>(lParam));
        break;
    default:
        break;
    }
    return m_DisplayManager ? m_DisplayManager->HandleWindowsMessage(hwnd, message, wParam, lParam) : 0;
}

bool Application::OnVideoExpose(const EventRecord&)
{
    // The window system lost what the window showed: all of it is presented again.
    if (m_DisplayManager)
        m_DisplayManager->InvalidateScreen();
    return false;
}

bool Application::OnResetWindow(const EventRecord&)
{
    if (m_ScreenManager)
        m_ScreenManager->ResetWindow();
    return true;
}

bool Application::OnUserEvent(const EventRecord& event)
{
    const std::optional<WindowMessage> message = WindowMessageFromUserEvent(event.user);
    if (!message)
        return false;
    WindowProc(m_hWnd, message->message, message->wParam, message->lParam);
    return true;
}

void Application::OnRelaunched()
{
    LogWrite("Application: another instance was started; restoring the window.\n");
    RestoreAndRaiseWindow();
}

// ---------------------------------------------------------------- overlays

void Application::ShowFPSCounter(bool show)
{
    if (show == m_FPSCounterShown)
        return;
    // The screens first: an overlay that cannot be made leaves the state as it was.
    if (m_ScreenManager)
        m_ScreenManager->ShowOverlays(show, m_ResourceMemoryUsageCounterMode);
    m_FPSCounterShown = show;
    LogWrite(show ? "FPS counter enabled\n" : "FPS counter disabled\n");
}

void Application::ShowResourceMemoryUsageCounter(int mode)
{
    const int before = m_ResourceMemoryUsageCounterMode;
    if (mode == before)
        return;
    if (m_ScreenManager)
        m_ScreenManager->ShowOverlays(m_FPSCounterShown, mode);
    m_ResourceMemoryUsageCounterMode = mode;
    if (before < 0)
        LogWrite("Resource memory usage counter enabled, displaying %s\n", MemUsageCategoryToString(mode));
    else
        LogWrite("Resource memory usage counter changed, now displaying %s\n", MemUsageCategoryToString(mode));
}

void Application::ToggleResourceMemoryUsageCounter(int mode)
{
    if (m_ResourceMemoryUsageCounterMode != mode) {
        ShowResourceMemoryUsageCounter(mode);
        return;
    }
    if (m_ScreenManager)
        m_ScreenManager->ShowOverlays(m_FPSCounterShown, -1);
    m_ResourceMemoryUsageCounterMode = -1;
    LogWrite("Resource memory usage counter hidden.\n");
}

// ---------------------------------------------------------------- screenshots

std::string Application::FindScreenshotFileName() const
{
    for (int n = 0; n < 9999; ++n) {
        std::string name = (boost::format("%s_Screenshot-%04d.bmp") % m_AppName % n).str();
        if (!FileExists(name))
            return name;
    }
    return std::string();
}

void Application::RequestScreenshot(const std::string& path)
{
    m_ScreenshotPath = path;
    m_ScreenshotRequested = true;
}

void Application::TakeScreenshot()
{
    std::string name;
    name.swap(m_ScreenshotPath);
    if (name.empty())
        name = FindScreenshotFileName();
    if (name.empty()) {
        // A full folder must not end the game.
        LogWrite("WARNING: Could not save screenshot: all 9999 names from \"%s_Screenshot-0000.bmp\" on are taken.\n",
                 m_AppName.c_str());
        return;
    }
    LogWrite("Saving screenshot to \"%s\"\n", name.c_str());
    m_DisplayManager->MakeScreenshot(name);
}

// ---------------------------------------------------------------- shortcut keys

bool Application::OnKeyDown(const EventRecord& event)
{
    const int key = event.key.keysym.sym;
    const int modifiers = event.key.keysym.mod;

    if ((key == SDLK_LALT || key == SDLK_RALT) && m_ShortcutKeyTimer == 0 && m_TimerManager) {
        const Variant timeout = m_Config ? m_Config->Retrieve("ShortcutKeyTimeout") : Variant();
        const uint32_t period = timeout.IsDouble() && timeout.ToDouble() > 0 ? static_cast<uint32_t>(timeout.ToDouble()) : 0;
        m_ShortcutKeyTimer = m_TimerManager->CreateTimer(this, period, 1, TIMER_REAL_TIME, "shortcutKey");
    }

    if (IsOnlyAltPressed(modifiers)) {
        // In full screen only while a dialog shows, so a stray key press cannot
        // throw the player out of the game.
        const bool allowed = !m_FullScreen || CurrentScreenShowsDialog();
        if (key == SDLK_RETURN && allowed) {
            m_ToggleFullScreenOnNextDraw = true;
            return true;
        }
        if (key == SDLK_F4 && allowed) {
            Quit();
            return true;
        }
    } else if (IsOnlyCtrlPressed(modifiers)) {
        auto runLua = [this](const char* text) {
            if (m_LuaState.DoString(text) != 0)
                VELK_THROW(ScriptError, m_LuaState.PopErrorMessage());
        };
        switch (key) {
        case SDLK_0:
            PostWindowMessage({WM_USER, 0, 0});
            return true;
        case SDLK_1:
        case SDLK_F1:
            runLua("ShowFPS()");
            return true;
        case SDLK_2:
            runLua("CapFramerate()");
            return true;
        case SDLK_F2:
            runLua("CapFramerate()");
            LogWrite("Framerate cap is %s\n", (m_Flags & APPFLAG_FRAMERATE_UNCAPPED) ? "OFF" : "ON");
            return true;
        case SDLK_3: {
            LuaObject report = m_LuaState.GetGlobal("LogResourceUsage");
            if (report.IsFunction())
                LuaFunction<void>{report}();
            return false;
        }
        case SDLK_5:
            if (m_LogLevel > 0) {
                LogWrite("Decrementing Log Level from %d to %d\n", m_LogLevel, m_LogLevel - 1);
                --m_LogLevel;
            }
            return true;
        case SDLK_6:
            if (m_LogLevel < 4) {
                LogWrite("Incrementing Log Level from %d to %d\n", m_LogLevel, m_LogLevel + 1);
                ++m_LogLevel;
            }
            return true;
        case SDLK_7:
            LogWrite("Manually setting HW acceleration to: %s\n", OnOffText(!m_HWAccelEnabled));
            EnableHWAccel(!m_HWAccelEnabled);
            return false;
        case SDLK_8:
            m_LogTickInfo = !m_LogTickInfo;
            LogWrite("Tick logging set to: %s\n", m_LogTickInfo ? "TRUE" : "FALSE");
            return false;
        case SDLK_BACKQUOTE:
            LoadScripts();
            PostEvent(nullptr, MakeEventRecord(VELK_RELOAD, 1));
            return true;
        case SDLK_p:
            m_ScreenshotRequested = true;
            return true;
        case SDLK_F3:
            ToggleResourceMemoryUsageCounter(MEMUSAGE_IMAGES_IN_SYSMEM);
            return true;
        case SDLK_F4:
            ToggleResourceMemoryUsageCounter(MEMUSAGE_IMAGES_IN_VIDMEM);
            return true;
        case SDLK_F5:
            LogWrite("Flushing all vidmem.\n");
            SurfaceManager::GetInstance()->All_DeleteSurfacesOfType(SURFACETYPE_D3D);
            return true;
        case SDLK_F6:
            m_SlowMode = !m_SlowMode;
            return true;
        default:
            break;
        }
    } else if (IsOnlyCtrlAltPressed(modifiers) && key == SDLK_r) {
        m_ForceDisplayReset = true;
    }

    if (key == SDLK_F10) {
        Quit();
        return true;
    }
    return false;
}
