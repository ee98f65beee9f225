#pragma once
// The program's accessible tree on the accessibility bus (AT-SPI), for the desktop host.
#include <gdk/gdk.h>

// Starts the ATK bridge with the program as the application "Orvanel": its windows, controls
// and the parts their providers describe, placed on the screen through `window` at `scale`.
// False when the desktop turned the bridge off (NO_AT_BRIDGE=1) or it could not start.
bool StartAccessBridge(GdkWindow* window, int scale);
// Takes the tree as it is now and tells the bus what changed since the last time: called when
// the program is idle, before it waits.
void SyncAccessBridge();
void StopAccessBridge();
// Hands a key press or release to the assistive tools listening for keys (the screen reader)
// before the program sees it; true when one of them took it, and the program must not see it.
bool OfferKeyToAccessBridge(const GdkEventKey* key);
