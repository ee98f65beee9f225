#include "platform/host/session_end.h"

#include <gdk/gdk.h>
#include <glib-unix.h>

#include <csignal>
#include <cstdlib>

// Xlib's Window is not the window system's: this file includes nothing of the platform's.
#ifdef GDK_WINDOWING_X11
#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#endif

namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};

struct Watch {
    std::function<bool(int)> end;
    guint sources[3] = {0, 0, 0};
    bool ended = false;
    bool displayLost = false;
};
Watch* gWatch = nullptr;

void EndOnce(int signal) {
    if (!gWatch || gWatch->ended) return;
    gWatch->ended = true;
    if (gWatch->end && gWatch->end(signal)) return;
    // Nothing to close: end as the signal (or Xlib) would have.
    if (signal == 0) std::_Exit(1);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

gboolean OnEndSignal(gpointer data) {
    EndOnce(GPOINTER_TO_INT(data));
    return G_SOURCE_CONTINUE;  // a second signal is taken and dropped, not left to kill us
}

#ifdef GDK_WINDOWING_X11
// Xlib calls the I/O error handler, then the exit handler, whose default ends the process at
// once. Returning from both lets the program leave through its own exit path, which touches the
// display no more.
int OnDisplayIoError(Display*) {
    if (gWatch) gWatch->displayLost = true;
    return 0;
}

void OnDisplayExit(Display*, void*) {
    if (gWatch) gWatch->displayLost = true;
    EndOnce(0);
}
#endif

}  // namespace

void WatchSessionEnd(std::function<bool(int)> end) {
    StopWatchingSessionEnd();
    gWatch = new Watch;
    gWatch->end = std::move(end);
    for (int i = 0; i < 3; ++i)
        gWatch->sources[i] =
            g_unix_signal_add(kEndSignals[i], OnEndSignal, GINT_TO_POINTER(kEndSignals[i]));
#ifdef GDK_WINDOWING_X11
    GdkDisplay* display = gdk_display_get_default();
    if (display && GDK_IS_X11_DISPLAY(display)) {
        XSetIOErrorHandler(OnDisplayIoError);
        XSetIOErrorExitHandler(gdk_x11_display_get_xdisplay(display), OnDisplayExit, nullptr);
    }
#endif
}

void StopWatchingSessionEnd() {
    if (!gWatch) return;
    for (guint source : gWatch->sources)
        if (source) g_source_remove(source);
    // Removing GLib's last watch puts the default action back; a program already ending ignores
    // these signals instead until it has.
    if (gWatch->ended)
        for (int s : kEndSignals) std::signal(s, SIG_IGN);
    delete gWatch;
    gWatch = nullptr;
}

bool DisplayLost() {
    return gWatch && gWatch->displayLost;
}
