#pragma once

#include <SDL.h>

#include <cstdint>
#include <optional>
#include <vector>

struct SDL_SysWMmsg;

// The main window as the window system sees it. SDL 1.2 knows little of the
// window it opens; what the application needs beyond that (where the window
// is, raising it, the maximise state, the desktop's colour depth) is asked of
// X11 here. On the dummy driver there is no window system: those operations
// do nothing and report so.

// The main window: SDL's own window object, which exists for every video
// driver once a video mode is set and lives until SDL's video shuts down.
using WindowHandle = void*;

// SDL's window, or null before a video mode is set.
WindowHandle GetSDLWindowHandle();

// ---- Window messages ----
//
// What the window system tells the main window, numbered as the engine's
// window procedure knows them. They come from SDL's active events (focus,
// iconification), from X11 (the maximise state), and from the application
// itself (PostWindowMessage).

enum WindowMessageNumber : std::uint32_t
{
    WM_SIZE = 5,
    WM_ACTIVATE = 6,
    WM_ACTIVATEAPP = 28,
    WM_NCLBUTTONDBLCLK = 163,
    WM_SYSCOMMAND = 274,
    WM_USER = 1024,
};

enum WindowMessageParameter : std::uintptr_t
{
    SIZE_RESTORED = 0,
    SIZE_MINIMIZED = 1,
    WA_INACTIVE = 0,
    WA_ACTIVE = 1,
    SC_MAXIMIZE = 0xF030,
};

struct WindowMessage
{
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;

    bool operator==(const WindowMessage&) const = default;
};

// The messages an SDL active event stands for: iconified or restored (WM_SIZE)
// for the application's visibility, WM_ACTIVATEAPP then WM_ACTIVATE for its
// input focus. Mouse focus alone stands for nothing.
std::vector<WindowMessage> TranslateActiveEvent(const SDL_ActiveEvent& event);

// Turns the X11 events that SDL passes on into window messages. Only a change
// of the window manager's state to maximised is one (a maximise command);
// X11 does not tell a client about clicks on the frame the manager draws.
class X11MessageTranslator
{
public:
    std::optional<WindowMessage> Translate(const SDL_SysWMmsg* msg);
    // A maximise command when the state has just become maximised.
    std::optional<WindowMessage> OnMaximizedState(bool maximized);

private:
    bool m_Maximized = false;
};

// Queues a message for the main window; it is delivered through SDL's event
// queue as an SDL_USEREVENT (data1 = wParam, data2 = lParam, the message in a
// marked code) that the application hands to its window procedure. False when
// SDL's queue refused it.
bool PostWindowMessage(const WindowMessage& message);
// The posted message a user event carries; none for any other user event.
std::optional<WindowMessage> WindowMessageFromUserEvent(const SDL_UserEvent& event);

// ---- X11 operations: each does nothing and answers false (or 0) without an
// X11 window ----

// Asks SDL to pass X11's events on as SDL_SYSWMEVENT; true when it will.
bool EnableWindowSystemEvents();
// The window's rectangle on the screen, and the screen's size.
bool GetWindowPlacement(int& x, int& y, int& width, int& height, int& screenWidth, int& screenHeight);
bool MoveWindowTo(int x, int y);
// De-iconifies the window when it is iconified, raises it and asks the window
// manager to give it the focus.
bool RestoreAndRaiseWindow();
// Lets the window manager offer to maximise the window, which SDL opens with a
// fixed size.
bool EnableMaximizeBox();
// The colour depth of the desktop the window is on; 0 without X11.
int GetDesktopColorDepth();
