#pragma once
// The desktop host lives in a module of its own, loaded only when the program opens a window:
// a headless run never pays for resolving GTK and the libraries under it.
#include <memory>
#include <string>

#include "platform/hosting.h"

struct DesktopHostOptions {
    int width = 240;  // screen size in the program's pixels
    int height = 320;
    int scale = 0;           // program pixels per logical pixel; 0: chosen for the screen
    bool sizeGiven = false;  // width and height were asked for; else a first start fits the screen
};

enum class DesktopHostResult { Ready, NoDisplay, NoModule };

// Called on the program's thread when the desktop window cannot be opened after all, with the
// reason and what went wrong; it ends the program.
using DesktopHostFailure = void (*)(DesktopHostResult result, const std::string& detail);

// Sets the locale from the environment, then starts loading the desktop host module on another
// thread, which goes on to start GTK. Returns, installed, a host that stands in for the real one:
// it has the requested screen size and keeps title and full-screen requests. When the program first waits for input (its windows made and
// painted by then), it joins that thread and opens the window on the program's thread, which owns
// GTK from then on: GTK's start overlaps the reader's own. Returns nullptr (and the reason) at once
// when there is no display or no module to load.
std::unique_ptr<Host> StartDesktopHost(const DesktopHostOptions& options, DesktopHostFailure failed,
                                       DesktopHostResult* result, std::string* detail);

// The module's entry points. Prepare starts GTK, touching nothing of the program's (nullptr when
// no display opens); it runs on the loading thread. Open opens the window and returns the host,
// installed (nullptr when nothing was prepared); Discard frees what Prepare made when no window is
// opened. Both run on the program's thread.
extern "C" void* OrvanelPrepareDesktopHost();
extern "C" Host* OrvanelOpenDesktopHost(void* prepared, const DesktopHostOptions* options);
extern "C" void OrvanelDiscardDesktopHost(void* prepared);
constexpr char kPrepareDesktopHostEntry[] = "OrvanelPrepareDesktopHost";
constexpr char kOpenDesktopHostEntry[] = "OrvanelOpenDesktopHost";
constexpr char kDiscardDesktopHostEntry[] = "OrvanelDiscardDesktopHost";
