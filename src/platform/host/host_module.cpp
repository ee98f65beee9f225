#include "platform/host/host_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace {

// The folder of the running program, from /proc (empty when it cannot be read).
std::string ProgramFolder() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    std::string p(path, size_t(n));
    size_t slash = p.rfind('/');
    return slash == std::string::npos ? std::string() : p.substr(0, slash);
}

bool HasDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wl && *wl);
}

}  // namespace

std::unique_ptr<Host> LoadDesktopHost(const DesktopHostOptions& options, DesktopHostResult* result,
                                      std::string* detail) {
    // Checked before loading anything: GTK would print its own warnings.
    if (!HasDisplay()) {
        *result = DesktopHostResult::NoDisplay;
        return nullptr;
    }
    // Installed, the module sits in the library folder that is ORVANEL_MODULE_DIR from the
    // program's folder; in the build tree, next to the program.
    std::string folder = ProgramFolder();
    const std::string candidates[] = {
        folder + "/" ORVANEL_MODULE_DIR "/" ORVANEL_HOST_MODULE,
        folder + "/" ORVANEL_HOST_MODULE,
    };
    void* module = nullptr;
    std::string errors;
    for (const std::string& path : candidates) {
        if (access(path.c_str(), F_OK) != 0) continue;
        // Kept loaded for the life of the process: GTK registers types that cannot go away.
        module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module) break;
        if (const char* e = dlerror()) errors += std::string(errors.empty() ? "" : "; ") + e;
    }
    if (!module) {
        *result = DesktopHostResult::NoModule;
        *detail = errors.empty() ? candidates[0] + " does not exist" : errors;
        return nullptr;
    }
    auto create =
        reinterpret_cast<Host* (*)(const DesktopHostOptions*)>(dlsym(module, kDesktopHostEntry));
    if (!create) {
        *result = DesktopHostResult::NoModule;
        *detail = std::string(ORVANEL_HOST_MODULE " has no ") + kDesktopHostEntry;
        return nullptr;
    }
    std::unique_ptr<Host> host(create(&options));
    *result = host ? DesktopHostResult::Ready : DesktopHostResult::NoDisplay;
    return host;
}
