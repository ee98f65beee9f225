#pragma once
// Kept apart from the host: the X11 headers' Window and the program's own cannot meet in one file.
#include <gdk/gdk.h>

// The time of the user's latest action in the window's display, for a request to focus it; on
// displays that do not keep one, GDK_CURRENT_TIME.
guint32 LatestUserTime(GdkWindow* window);
