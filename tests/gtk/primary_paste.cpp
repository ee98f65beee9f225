// Another program's window that pastes the primary selection where the middle button is pressed
// in it, as a terminal does: prints its window id, then, at the first middle press, the primary
// selection's UTF-8 text to the file named on the command line, and ends.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: primary_paste OUT\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "primary_paste: no display\n");
        return 1;
    }
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, 0,
                                        WhitePixel(display, DefaultScreen(display)));
    XStoreName(display, window, "Paste here");
    XSelectInput(display, window, ButtonPressMask | ExposureMask);
    XMapWindow(display, window);
    XSync(display, False);
    std::printf("%lu\n", static_cast<unsigned long>(window));
    std::fflush(stdout);
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom into = XInternAtom(display, "PASTED", False);
    for (;;) {
        XEvent e;
        XNextEvent(display, &e);
        if (e.type == ButtonPress && e.xbutton.button == Button2) {
            XConvertSelection(display, XA_PRIMARY, utf8, into, window, e.xbutton.time);
        } else if (e.type == SelectionNotify) {
            if (e.xselection.property == None) return 3;
            Atom type;
            int format;
            unsigned long count, after;
            unsigned char* data = nullptr;
            XGetWindowProperty(display, window, into, 0, 1 << 20, True, AnyPropertyType, &type,
                               &format, &count, &after, &data);
            FILE* out = std::fopen(argv[1], "wb");
            if (!out) return 4;
            if (data) std::fwrite(data, 1, count, out);
            std::fclose(out);
            if (data) XFree(data);
            XCloseDisplay(display);
            return 0;
        }
    }
}
