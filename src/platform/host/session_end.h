#pragma once
// The end of a desktop session, seen by the GTK host: a request to terminate (SIGTERM, SIGHUP
// from a closing terminal or a logout, SIGINT) and the loss of the display (the X server going
// away under the reader). Each ends the program through its normal exit path, once.
#include <functional>

// Starts watching the default display. `end` runs on the main loop's thread, at most once, at
// the first of these, and answers whether the program is on its way out; when it is not (it has
// no window to close) the process ends at once as it would have without the watch. For a signal
// `end` runs from the main loop (GLib's own signal pipe) with the signal's number; for the loss
// of the display it runs where the loss was found, with 0, and `DisplayLost` answers true from
// then on. Later signals of these kinds are swallowed, so that the save the program makes on its
// way out is never cut short.
void WatchSessionEnd(std::function<bool(int)> end);
// Stops watching. A session end already under way keeps the three signals ignored for the
// rest of the process: it is on its way out.
void StopWatchingSessionEnd();
bool DisplayLost();
