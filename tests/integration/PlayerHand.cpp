// Plays the player's hand on another window through the X server's test
// extension, so the events come in as a real mouse and keyboard's do (focus,
// pointer position and all). One command per line on standard input:
//   click X Y   - moves the pointer to X,Y of the window, then presses and
//                 releases the left button there
//   move X Y    - only moves the pointer there
//   type TEXT   - types the text (letters, digits and spaces)
//   key NAME    - presses and releases a key by its X keysym name; "alt+o"
//                 holds Alt around it, "ctrl+7" Control
// Each command is answered "done <command>" once the X server has it.
// Usage: PlayerHand WINDOW-ID

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

// A pause that lets the program see each step in a pass of its own, as a hand would.
void Settle(Display* display)
{
    XSync(display, False);
    usleep(60 * 1000);
}

void MoveTo(Display* display, Window window, int x, int y)
{
    int rootX = 0, rootY = 0;
    Window child = None;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, CurrentTime);
    Settle(display);
}

void Stroke(Display* display, KeySym sym, bool shift, bool alt, bool ctrl = false)
{
    const KeyCode code = XKeysymToKeycode(display, sym);
    if (code == 0) {
        std::fprintf(stderr, "no key for keysym %lu\n", static_cast<unsigned long>(sym));
        return;
    }
    const KeyCode shiftCode = XKeysymToKeycode(display, XK_Shift_L);
    const KeyCode altCode = XKeysymToKeycode(display, XK_Alt_L);
    const KeyCode ctrlCode = XKeysymToKeycode(display, XK_Control_L);
    if (ctrl)
        XTestFakeKeyEvent(display, ctrlCode, True, CurrentTime);
    if (shift)
        XTestFakeKeyEvent(display, shiftCode, True, CurrentTime);
    if (alt)
        XTestFakeKeyEvent(display, altCode, True, CurrentTime);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    Settle(display);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    if (alt)
        XTestFakeKeyEvent(display, altCode, False, CurrentTime);
    if (shift)
        XTestFakeKeyEvent(display, shiftCode, False, CurrentTime);
    if (ctrl)
        XTestFakeKeyEvent(display, ctrlCode, False, CurrentTime);
    Settle(display);
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
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        std::fprintf(stderr, "the X server has no test extension\n");
        return 1;
    }
    const Window window = std::strtoul(argv[1], nullptr, 0);
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream in(line);
        std::string command;
        in >> command;
        if (command == "click" || command == "move") {
            int x = 0, y = 0;
            in >> x >> y;
            MoveTo(display, window, x, y);
            if (command == "click") {
                XTestFakeButtonEvent(display, 1, True, CurrentTime);
                Settle(display);
                XTestFakeButtonEvent(display, 1, False, CurrentTime);
                Settle(display);
            }
        } else if (command == "type") {
            std::string text = line.size() > 5 ? line.substr(5) : std::string();
            for (char c : text) {
                const unsigned char u = static_cast<unsigned char>(c);
                if (c == ' ')
                    Stroke(display, XK_space, false, false);
                else if (std::isalnum(u))
                    Stroke(display, XStringToKeysym(std::string(1, static_cast<char>(std::tolower(u))).c_str()),
                           std::isupper(u) != 0, false);
            }
        } else if (command == "key") {
            std::string name;
            in >> name;
            const bool alt = name.rfind("alt+", 0) == 0;
            if (alt)
                name = name.substr(4);
            const bool ctrl = name.rfind("ctrl+", 0) == 0;
            if (ctrl)
                name = name.substr(5);
            const KeySym sym = XStringToKeysym(name.c_str());
            if (sym == NoSymbol)
                std::fprintf(stderr, "unknown key %s\n", name.c_str());
            else
                Stroke(display, sym, false, alt, ctrl);
        } else {
            std::fprintf(stderr, "unknown command: %s\n", line.c_str());
        }
        std::cout << "done " << line << std::endl;
    }
    XCloseDisplay(display);
    return 0;
}
