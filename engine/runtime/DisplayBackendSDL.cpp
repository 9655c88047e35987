#include "engine/runtime/DisplayBackendSDL.h"

#include "engine/core/Color.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/Rect.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/SDLImageRenderer.h"
#include "engine/runtime/SDLVideo.h"

#include <algorithm>

DisplayBackendSDL::DisplayBackendSDL() = default;

DisplayBackendSDL::~DisplayBackendSDL()
{
    if (m_ImageRenderer) {
        // The renderer wraps SDL's screen: it goes while SDL still owns that
        // screen, or its image would free it.
        m_DisplayList.reset();
        m_ImageRenderer.reset();
        ShutdownSDLVideo();
    }
}

void DisplayBackendSDL::ApplyDisplayParams(const DisplayParams& params)
{
    LogWrite("DisplayBackendSDL::ApplyDisplayParams: START.\n");
    if (m_CurrentDisplayParams) {
        LogWrite("DisplayBackendSDL::ApplyDisplayParams: Deleting old display params.\n");
        m_CurrentDisplayParams.reset();
    }
    // Before SDL's video is touched: the old renderer wraps the old screen.
    m_DisplayList.reset();
    m_ImageRenderer.reset();

    bool videoStarted = false;
    if (!IsCurrentSDLVideoDriver("x11")) {
        LogWrite("DisplayBackendSDL::ApplyDisplayParams: Shutting down SDL video subsystem.\n");
        ShutdownSDLVideo();
        m_hWnd = nullptr;
        m_DisplaySurface = nullptr;
        LogWrite("DisplayBackendSDL::ApplyDisplayParams: Trying to initialize SDL's x11 driver.\n");
        const char* driver = "x11";
        bool result = InitSDLVideo(driver);
        if (!result) {
            LogWrite("DisplayBackendSDL::ApplyDisplayParams: Could not initialize SDL's x11 driver: %s\n",
                     GetSDLVideoInitError().c_str());
            LogWrite("DisplayBackendSDL::ApplyDisplayParams: Trying to initialize SDL's dummy driver.\n");
            driver = "dummy";
            result = InitSDLVideo(driver);
        }
        VELK_ASSERT_THROW(DisplayBackendInitError, result == true, GetSDLVideoInitError());
        LogWrite("DisplayBackendSDL::ApplyDisplayParams: SDL's %s driver was successfully loaded.\n", driver);
        videoStarted = true;
    }

    m_SavedFullScreenDisplaySettings.reset();

    const Uint32 flags = params.fullScreen ? (SDL_FULLSCREEN | SDL_DOUBLEBUF) : 0;
    LogWrite("DisplayBackendSDL::ApplyDisplayParams: Calling SDL_SetVideoMode(%d, %d, 32, %d)\n",
             static_cast<int>(params.width), static_cast<int>(params.height), static_cast<int>(flags));
    m_DisplaySurface = SDL_SetVideoMode(static_cast<int>(params.width), static_cast<int>(params.height), 32, flags);
    VELK_ASSERT_THROW(DisplayBackendInitError, m_DisplaySurface != NULL,
                      (boost::format("SDL_SetVideoMode(%1%, %2%, 32, %3%) failed: %4%") % params.width %
                       params.height % static_cast<int>(flags) % SDL_GetError())
                          .str());

    // SDL makes its window with the first video mode, not when its video starts.
    WindowHandle window = GetSDLWindowHandle();
    if (!window)
        VELK_THROW(DisplayBackendInitError,
                   (boost::format("Could not retrieve window handle: %1%") % SDL_GetError()).str());
    if (videoStarted || window != m_hWnd) {
        m_hWnd = window;
        if (Application* app = APP)
            app->SetWindowHandle(m_hWnd);
    }

    LogWrite("DisplayBackendSDL::ApplyDisplayParams: Creating m_ImageRenderer.\n");
    m_ImageRenderer = std::make_unique<SDLImageRenderer>(m_DisplaySurface);
    m_DisplayList = std::make_unique<DisplayList>(*m_ImageRenderer);
    m_Changes.Invalidate();
    m_CurrentDisplayParams = std::make_unique<DisplayParams>(params);

    if (!params.fullScreen) {
        m_DesktopColorDepth = CurrentDesktopColorDepth();
        LogWrite("DisplayBackendSDL::ApplyDisplayParams: Enabling maximize box.\n");
        EnableMaximizeBox();
    } else {
        m_DesktopColorDepth = 0;
    }

    m_ModalSystemDialogEnabled = false;
    LogWrite("DisplayBackendSDL::ApplyDisplayParams: SUCCESS.\n");
}

ImageRenderer* DisplayBackendSDL::GetScreenImageRenderer()
{
    return m_DisplayList.get();
}

void DisplayBackendSDL::UpdateScreen()
{
    if (!m_DisplaySurface || !m_DisplayList)
        return;
    // Wraps SDL's screen, which may be a copy in the standard format.
    SDL_Surface* frame = m_ImageRenderer->GetTargetSDLSurface();
    if (frame != m_DisplaySurface) {
        // A flipped screen keeps no frame of ours to draw over.
        m_DisplayList->Invalidate();
        m_LastRedrawn = m_DisplayList->Render();
        SDL_Flip(m_DisplaySurface);
        ++m_PresentCount;
        return;
    }
    m_LastRedrawn = m_DisplayList->Render();
    // Nothing outside what was drawn again can have changed.
    SDL_Rect area{0, 0, 0, 0};
    for (const SDL_Rect& r : m_LastRedrawn)
        area = Union(area, r);
    const std::vector<SDL_Rect>& changes = m_Changes.Find(frame, area);
    if (changes.empty())
        return;
    m_LastPresented = changes;
    SDL_UpdateRects(m_DisplaySurface, static_cast<int>(m_LastPresented.size()), m_LastPresented.data());
    ++m_PresentCount;
}

void DisplayBackendSDL::ClearScreen()
{
    if (m_DisplayList)
        m_DisplayList->Clear();
}

std::intptr_t DisplayBackendSDL::HandleWindowsMessage(WindowHandle, std::uint32_t message, std::uintptr_t wParam,
                                                      std::intptr_t)
{
    // SDL itself gives the desktop its own mode back while a full-screen window
    // is iconified, and sets ours again when it is restored; the record tells
    // that the full-screen mode is being held.
    // Shown again or given the focus: what the window shows may be gone.
    if ((message == WM_SIZE && wParam == SIZE_RESTORED) || message == WM_ACTIVATEAPP)
        m_Changes.Invalidate();
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED && IsFullScreen()) {
        LogWrite("DisplayBackendSDL::HandleWindowsMessage: Attempting to restore desktop's resolution.\n");
        VELK_ASSERT(m_SavedFullScreenDisplaySettings == 0);
        m_SavedFullScreenDisplaySettings = std::make_unique<DisplayMode>(DisplayMode{
            m_DisplaySurface ? m_DisplaySurface->w : 0, m_DisplaySurface ? m_DisplaySurface->h : 0,
            m_DisplaySurface ? m_DisplaySurface->format->BitsPerPixel : 0});
    } else if (message == WM_SIZE && wParam == SIZE_RESTORED && IsFullScreen() && m_SavedFullScreenDisplaySettings) {
        LogWrite("DisplayBackendSDL::HandleWindowsMessage: Attempting to switch back to fullscreen app (from "
                 "desktop.)\n");
        m_SavedFullScreenDisplaySettings.reset();
    } else if (message == WM_ACTIVATE && wParam == WA_INACTIVE && IsFullScreen() && !m_ModalSystemDialogEnabled) {
        LogWrite("DisplayBackendSDL::HandleWindowsMessage: Attempting to minimize fullscreen window.\n");
        SDL_WM_IconifyWindow();
    }
    return 0;
}

int DisplayBackendSDL::CurrentDesktopColorDepth()
{
    if (int depth = GetDesktopColorDepth())
        return depth;
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    return info && info->vfmt ? info->vfmt->BitsPerPixel : 0;
}

bool DisplayBackendSDL::IsCurrentDisplayValid()
{
    if (IsFullScreen())
        return true;
    return CurrentDesktopColorDepth() == m_DesktopColorDepth;
}

void DisplayBackendSDL::MakeScreenshot(const std::string& path)
{
    if (!m_DisplaySurface) {
        LogWrite("WARNING: Could not save screenshot: DisplayBackendSDL::m_DisplaySurface == NULL\n");
        return;
    }
    // What was drawn since the last update is still only in the display list.
    UpdateScreen();
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "wb");
    if (!file || SDL_SaveBMP_RW(m_DisplaySurface, file, 1) != 0) {
        LogWrite("WARNING: Could not save screenshot: %s\n", SDL_GetError());
        return;
    }
    LogWrite("Screenshot successfully saved to \"%s\".\n", path.c_str());
}

void DisplayBackendSDL::PrepareForModalSystemDialog()
{
    VELK_ASSERT(m_CurrentDisplayParams != 0);
    // Nothing to flip on X11: the dialog is a window of its own.
    m_ModalSystemDialogEnabled = true;
}

void DisplayBackendSDL::CleanupFromModalSystemDialog()
{
    VELK_ASSERT(m_ModalSystemDialogEnabled == true);
    m_ModalSystemDialogEnabled = false;
    m_Changes.Invalidate();
}
