#include "platform/host/gdk_user_time.h"

#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

guint32 LatestUserTime(GdkWindow* window) {
#ifdef GDK_WINDOWING_X11
    if (GDK_IS_X11_WINDOW(window))
        return gdk_x11_display_get_user_time(gdk_window_get_display(window));
#endif
    (void)window;
    return GDK_CURRENT_TIME;
}
