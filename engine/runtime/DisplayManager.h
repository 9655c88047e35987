#pragma once

#include "engine/runtime/Utility.h"
#include "platform/window/NativeWindow.h"

#include <cstdint>
#include <memory>
#include <string>

class Image;
class ImageRenderer;
class SDLImageRenderer;

// The display mode asked for, and on return from an apply the one obtained.
struct DisplayParams
{
    bool fullScreen = false;
    bool use3DAcceleration = false;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // Handed to the accelerated back end's page flip; software drawing ignores it.
    bool waitForVSync = false;
};

// "ON" or "OFF", as the display's log lines print its flags.
const char* OnOffText(bool flag);

// What a display back end does for the display manager. An apply that cannot
// set the display up throws DisplayBackendInitError.
class DisplayBackend
{
public:
    virtual ~DisplayBackend() = default;
    virtual void ApplyDisplayParams(const DisplayParams& params) = 0;
    // Draws onto the screen; the back end owns it. Null before the first apply.
    virtual ImageRenderer* GetScreenImageRenderer() = 0;
    // Presents what was drawn since the last update.
    virtual void UpdateScreen() = 0;
    // The window lost what it showed (exposed, restored, made again): the next
    // update presents the whole frame.
    virtual void InvalidateScreen() = 0;
    // Makes the frame black for the screens to draw on.
    virtual void ClearScreen() = 0;
    virtual std::intptr_t HandleWindowsMessage(WindowHandle hwnd, std::uint32_t message, std::uintptr_t wParam,
                                               std::intptr_t lParam) = 0;
    virtual bool IsCurrentDisplayValid() = 0;
    virtual void MakeScreenshot(const std::string& path) = 0;
    virtual void PrepareForModalSystemDialog() = 0;
    virtual void CleanupFromModalSystemDialog() = 0;
    // Drawing through the accelerated path rather than SDL's software one.
    virtual bool IsAccelerated() const = 0;
};

// Makes the accelerated back end; installed by that back end's layer. Until
// one is installed, asking for acceleration fails and the display falls back
// to software drawing.
using AcceleratedBackendFactory = std::unique_ptr<DisplayBackend> (*)();

// Owns the one display back end and is the engine's only way to it: picks and
// (re)initialises it for the parameters asked for, falls back from the
// accelerated back end to SDL's software one, and passes screen updates,
// window messages, screenshots and system-dialog preparation on to it.
class DisplayManager : public ModalSystemDialogHost
{
public:
    DisplayManager();
    DisplayManager(const DisplayManager&) = delete;
    DisplayManager& operator=(const DisplayManager&) = delete;
    ~DisplayManager() override;

    // Makes the display match params; on return params holds what was applied
    // (acceleration may have been turned off).
    void ApplyDisplayParams(DisplayParams& params);
    void CreateAndInitBackend(const DisplayParams& params);

    // Null without a back end.
    ImageRenderer* GetScreenImageRenderer() const;
    DisplayBackend* GetBackend() const { return m_DisplayBackend.get(); }
    void UpdateScreen();
    // Nothing to do without a back end.
    void InvalidateScreen();
    void ClearScreen();
    // Without a back end a message gets the default answer, 0.
    std::intptr_t HandleWindowsMessage(WindowHandle hwnd, std::uint32_t message, std::uintptr_t wParam,
                                       std::intptr_t lParam);
    bool IsCurrentDisplayValid();
    void MakeScreenshot(const std::string& path);
    void PrepareForModalSystemDialog() override;
    void CleanupFromModalSystemDialog() override;

    // A renderer drawing into an image that stays the caller's.
    static std::unique_ptr<SDLImageRenderer> MakeImageRenderer(Image* image);
    // A renderer drawing into a new off-screen surface with alpha. Off-screen
    // drawing is software whichever back end shows the screen.
    static std::unique_ptr<SDLImageRenderer> MakeOffscreenImageRenderer(int width, int height);

    // Null uninstalls.
    static void SetAcceleratedBackendFactory(AcceleratedBackendFactory factory);

private:
    std::unique_ptr<DisplayBackend> m_DisplayBackend;
};
