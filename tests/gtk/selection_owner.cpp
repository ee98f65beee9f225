// Prints the X window that owns the CLIPBOARD selection (0 for none), so a test can see the
// moment a program takes the clipboard without asking the current owner anything.
#include <X11/Xlib.h>

#include <cstdio>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "selection_owner: no display\n");
        return 1;
    }
    Window owner = XGetSelectionOwner(display, XInternAtom(display, "CLIPBOARD", False));
    std::printf("%lu\n", static_cast<unsigned long>(owner));
    XCloseDisplay(display);
    return 0;
}
