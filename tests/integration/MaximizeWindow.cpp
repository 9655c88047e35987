// Does what a window manager does when it maximises a window: marks the
// window's _NET_WM_STATE maximised both ways. Usage: MaximizeWindow WINDOW-ID

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s WINDOW-ID\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    const Window window = std::strtoul(argv[1], nullptr, 0);
    const Atom states[] = {XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False),
                           XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_HORZ", False)};
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(states), 2);
    XCloseDisplay(display);
    return 0;
}
