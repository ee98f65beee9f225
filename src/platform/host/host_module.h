#pragma once
// The desktop host lives in a module of its own, loaded only when the program opens a window:
// a headless run never pays for resolving GTK and the libraries under it.
#include <memory>
#include <string>

#include "platform/host/host.h"

struct DesktopHostOptions {
    int width = 240;  // screen size in the program's pixels
    int height = 320;
    int scale = 0;  // program pixels per logical pixel; 0 or 1: the desktop's own scale
};

enum class DesktopHostResult { Ready, NoDisplay, NoModule };

// Called on the program's thread when the desktop window cannot be opened after all, with the
// reason and what went wrong; it ends the program.
using DesktopHostFailure = void (*)(DesktopHostResult result, const std::string& detail);

// Starts loading the desktop host module on another thread and returns, installed, a host that
// stands in for it: it has the requested screen size and keeps title and full-screen requests.
// When the program first waits for input (its windows made and painted by then), it opens the
// desktop window on the program's thread and hands over to it, so that the loading overlaps the
// reader's own start. Returns nullptr (and the reason) at once when there is no display or no
// module to load.
std::unique_ptr<Host> StartDesktopHost(const DesktopHostOptions& options, DesktopHostFailure failed,
                                       DesktopHostResult* result, std::string* detail);

// The module's one entry point: the host, installed, or nullptr when no display can be opened.
extern "C" Host* OrvanelCreateDesktopHost(const DesktopHostOptions* options);
constexpr char kDesktopHostEntry[] = "OrvanelCreateDesktopHost";
