#include "platform/window/NativeWindow.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace {

// Marks the code of a user event that carries a posted window message.
constexpr int kPostedMessageMark = 0x40000000;

// SDL's X11 window and display, held under SDL's lock for the scope.
class X11Window
{
public:
    X11Window()
    {
        if (!SDL_WasInit(SDL_INIT_VIDEO) || !GetSDLWindowHandle())
            return;
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11 || !info.info.x11.display ||
            !info.info.x11.window)
            return;
        m_Display = info.info.x11.display;
        m_Window = info.info.x11.window;
        m_Unlock = info.info.x11.unlock_func;
        if (info.info.x11.lock_func)
            info.info.x11.lock_func();
    }
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;
    ~X11Window()
    {
        if (m_Display) {
            XFlush(m_Display);
            if (m_Unlock)
                m_Unlock();
        }
    }

    explicit operator bool() const { return m_Display != nullptr; }
    Display* display() const { return m_Display; }
    Window window() const { return m_Window; }

private:
    Display* m_Display = nullptr;
    Window m_Window = 0;
    void (*m_Unlock)(void) = nullptr;
};

// Both maximised states in the window's _NET_WM_STATE.
bool IsMaximized(Display* display, Window window)
{
    Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    Atom vertical = XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False);
    Atom horizontal = XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, state, 0, 1024, False, XA_ATOM, &type, &format, &count, &after, &data) !=
            Success ||
        !data)
        return false;
    bool hasVertical = false, hasHorizontal = false;
    if (type == XA_ATOM && format == 32) {
        const Atom* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            hasVertical = hasVertical || atoms[i] == vertical;
            hasHorizontal = hasHorizontal || atoms[i] == horizontal;
        }
    }
    XFree(data);
    return hasVertical && hasHorizontal;
}

} // namespace

WindowHandle GetSDLWindowHandle()
{
    return SDL_WasInit(SDL_INIT_VIDEO) ? static_cast<WindowHandle>(SDL12COMPAT_GetWindow()) : nullptr;
}

std::vector<WindowMessage> TranslateActiveEvent(const SDL_ActiveEvent& event)
{
    std::vector<WindowMessage> messages;
    if (event.state & SDL_APPACTIVE)
        messages.push_back({WM_SIZE, event.gain ? SIZE_RESTORED : SIZE_MINIMIZED, 0});
    if (event.state & SDL_APPINPUTFOCUS) {
        messages.push_back({WM_ACTIVATEAPP, event.gain ? 1u : 0u, 0});
        messages.push_back({WM_ACTIVATE, event.gain ? WA_ACTIVE : WA_INACTIVE, 0});
    }
    return messages;
}

std::optional<WindowMessage> X11MessageTranslator::Translate(const SDL_SysWMmsg* msg)
{
    if (!msg || msg->subsystem != SDL_SYSWM_X11)
        return std::nullopt;
    const XEvent& event = msg->event.xevent;
    if (event.type != PropertyNotify)
        return std::nullopt;
    Display* display = event.xproperty.display;
    if (event.xproperty.atom != XInternAtom(display, "_NET_WM_STATE", False))
        return std::nullopt;
    return OnMaximizedState(IsMaximized(display, event.xproperty.window));
}

std::optional<WindowMessage> X11MessageTranslator::OnMaximizedState(bool maximized)
{
    const bool becameMaximized = maximized && !m_Maximized;
    m_Maximized = maximized;
    if (!becameMaximized)
        return std::nullopt;
    return WindowMessage{WM_SYSCOMMAND, SC_MAXIMIZE, 0};
}

bool PostWindowMessage(const WindowMessage& message)
{
    SDL_Event event;
    event.type = SDL_USEREVENT;
    event.user.code = kPostedMessageMark | static_cast<int>(message.message & 0xFFFF);
    event.user.data1 = reinterpret_cast<void*>(message.wParam);
    event.user.data2 = reinterpret_cast<void*>(message.lParam);
    return SDL_PushEvent(&event) == 0;
}

std::optional<WindowMessage> WindowMessageFromUserEvent(const SDL_UserEvent& event)
{
    if ((event.code & ~0xFFFF) != kPostedMessageMark)
        return std::nullopt;
    return WindowMessage{static_cast<std::uint32_t>(event.code & 0xFFFF), reinterpret_cast<std::uintptr_t>(event.data1),
                         reinterpret_cast<std::intptr_t>(event.data2)};
}

bool EnableWindowSystemEvents()
{
    X11Window x11;
    if (!x11)
        return false;
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    return true;
}

bool GetWindowPlacement(int& x, int& y, int& width, int& height, int& screenWidth, int& screenHeight)
{
    X11Window x11;
    if (!x11)
        return false;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(x11.display(), x11.window(), &attributes))
        return false;
    Window child = 0;
    if (!XTranslateCoordinates(x11.display(), x11.window(), attributes.root, 0, 0, &x, &y, &child))
        return false;
    width = attributes.width;
    height = attributes.height;
    screenWidth = WidthOfScreen(attributes.screen);
    screenHeight = HeightOfScreen(attributes.screen);
    return true;
}

bool MoveWindowTo(int x, int y)
{
    X11Window x11;
    if (!x11)
        return false;
    XMoveWindow(x11.display(), x11.window(), x, y);
    return true;
}

bool RestoreAndRaiseWindow()
{
    X11Window x11;
    if (!x11)
        return false;
    Display* display = x11.display();
    // Mapping an iconified window restores it; the message asks the window
    // manager for the focus, which a client may not simply take.
    XMapRaised(display, x11.window());
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = x11.window();
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1;  // from an application
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    return true;
}

bool EnableMaximizeBox()
{
    X11Window x11;
    if (!x11)
        return false;
    XSizeHints* hints = XAllocSizeHints();
    if (!hints)
        return false;
    long supplied = 0;
    if (XGetWMNormalHints(x11.display(), x11.window(), hints, &supplied)) {
        // A window whose largest size equals its smallest is offered no maximise.
        hints->flags &= ~PMaxSize;
        XSetWMNormalHints(x11.display(), x11.window(), hints);
    }
    XFree(hints);
    return true;
}

int GetDesktopColorDepth()
{
    X11Window x11;
    if (!x11)
        return 0;
    return DefaultDepth(x11.display(), DefaultScreen(x11.display()));
}
