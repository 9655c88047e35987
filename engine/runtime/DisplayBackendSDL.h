#pragma once

#include "engine/runtime/ChangedRegions.h"
#include "engine/runtime/DisplayList.h"
#include "engine/runtime/DisplayManager.h"

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

// Software drawing through SDL: opens the window and screen on SDL's "x11"
// driver, or on "dummy" when there is no display, and draws onto the screen
// with an SDLImageRenderer. The screens draw into a display list; an update
// draws only where the frame differs from the last one and presents only the
// rectangles that changed, and nothing for an unchanged frame.
class DisplayBackendSDL : public DisplayBackend
{
public:
    DisplayBackendSDL();
    ~DisplayBackendSDL() override;

    void ApplyDisplayParams(const DisplayParams& params) override;
    ImageRenderer* GetScreenImageRenderer() override;
    void UpdateScreen() override;
    void InvalidateScreen() override { m_Changes.Invalidate(); }
    // A new frame in the display list; the pixels wait for the update.
    void ClearScreen() override;
    std::intptr_t HandleWindowsMessage(WindowHandle hwnd, std::uint32_t message, std::uintptr_t wParam,
                                       std::intptr_t lParam) override;
    bool IsCurrentDisplayValid() override;
    void MakeScreenshot(const std::string& path) override;
    void PrepareForModalSystemDialog() override;
    void CleanupFromModalSystemDialog() override;
    bool IsAccelerated() const override { return false; }

    SDL_Surface* GetDisplaySurface() const { return m_DisplaySurface; }
    WindowHandle GetWindowHandle() const { return m_hWnd; }
    // The full-screen mode held while the full-screen window is iconified.
    bool HasSavedFullScreenDisplaySettings() const { return m_SavedFullScreenDisplaySettings != nullptr; }
    bool IsModalSystemDialogEnabled() const { return m_ModalSystemDialogEnabled; }
    // Updates that reached SDL, and the rectangles of the last one.
    std::uint32_t GetPresentCount() const { return m_PresentCount; }
    const std::vector<SDL_Rect>& GetLastPresented() const { return m_LastPresented; }
    // The rectangles the last update drew again.
    const std::vector<SDL_Rect>& GetLastRedrawn() const { return m_LastRedrawn; }

private:
    struct DisplayMode
    {
        int width;
        int height;
        int bitsPerPixel;
    };

    // X11's depth where there is X11; otherwise the depth SDL reports.
    static int CurrentDesktopColorDepth();
    bool IsFullScreen() const { return m_CurrentDisplayParams && m_CurrentDisplayParams->fullScreen; }

    SDL_Surface* m_DisplaySurface = nullptr;
    std::unique_ptr<SDLImageRenderer> m_ImageRenderer;
    std::unique_ptr<DisplayList> m_DisplayList;
    WindowHandle m_hWnd = nullptr;
    std::unique_ptr<DisplayParams> m_CurrentDisplayParams;
    std::unique_ptr<DisplayMode> m_SavedFullScreenDisplaySettings;
    int m_DesktopColorDepth = 0;
    bool m_ModalSystemDialogEnabled = false;
    ChangedRegions m_Changes;
    std::uint32_t m_PresentCount = 0;
    std::vector<SDL_Rect> m_LastPresented;
    std::vector<SDL_Rect> m_LastRedrawn;
};
