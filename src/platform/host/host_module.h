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

// The installed desktop host, or nullptr with the reason: there is no display to open (nothing
// was loaded), or the module cannot be found or loaded (`detail` says why).
std::unique_ptr<Host> LoadDesktopHost(const DesktopHostOptions& options, DesktopHostResult* result,
                                      std::string* detail);

// The module's one entry point: the host, installed, or nullptr when no display can be opened.
extern "C" Host* OrvanelCreateDesktopHost(const DesktopHostOptions* options);
constexpr char kDesktopHostEntry[] = "OrvanelCreateDesktopHost";
