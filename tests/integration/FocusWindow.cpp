// A second X client that plays the user and the window manager around another
// window, one command per line on standard input:
//   take   - maps a small window of its own and gives it the keyboard focus
//   give   - gives the keyboard focus back to the window
//   hide   - unmaps the window, as iconifying it does
//   show   - maps it again, as restoring it does
//   key K  - sends a press and a release of the key named K (an X keysym name)
// Each command is answered "done <command>" on standard output once the
// X server has it. Usage: FocusWindow WINDOW-ID

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

void WaitForMap(Display* display, Window window)
{
    XEvent event;
    do
        XWindowEvent(display, window, StructureNotifyMask, &event);
    while (event.type != MapNotify);
}

void SendKey(Display* display, Window window, const std::string& name)
{
    XKeyEvent key{};
    key.display = display;
    key.window = window;
    key.root = DefaultRootWindow(display);
    key.subwindow = None;
    key.time = CurrentTime;
    key.x = key.y = key.x_root = key.y_root = 1;
    key.same_screen = True;
    key.keycode = XKeysymToKeycode(display, XStringToKeysym(name.c_str()));
    for (int type : {KeyPress, KeyRelease}) {
        key.type = type;
        XSendEvent(display, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask,
                   reinterpret_cast<XEvent*>(&key));
    }
}

} // namespace

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
    const Window target = std::strtoul(argv[1], nullptr, 0);
    Window own = None;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line == "take") {
            if (own == None) {
                // Beside the window, so that the pointer over it does not matter.
                own = XCreateSimpleWindow(display, DefaultRootWindow(display), 900, 650, 50, 50, 0, 0, 0);
                XSelectInput(display, own, StructureNotifyMask);
                XMapWindow(display, own);
                WaitForMap(display, own);
            }
            XSetInputFocus(display, own, RevertToParent, CurrentTime);
        } else if (line == "give") {
            XSetInputFocus(display, target, RevertToParent, CurrentTime);
        } else if (line == "hide") {
            XUnmapWindow(display, target);
        } else if (line == "show") {
            XMapWindow(display, target);
        } else if (line.rfind("key ", 0) == 0) {
            SendKey(display, target, line.substr(4));
        } else {
            std::fprintf(stderr, "unknown command: %s\n", line.c_str());
            return 2;
        }
        XSync(display, False);
        std::cout << "done " << line << std::endl;
    }
    XCloseDisplay(display);
    return 0;
}
