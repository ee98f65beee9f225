#include "platform/host/host_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <clocale>
#include <cstdlib>
#include <thread>
#include <utility>

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

// Installed, the module sits in the library folder that is ORVANEL_MODULE_DIR from the
// program's folder; in the build tree, next to the program. Empty when neither exists.
std::string FindModule(std::string* looked) {
    std::string folder = ProgramFolder();
    const std::string candidates[] = {
        folder + "/" ORVANEL_MODULE_DIR "/" ORVANEL_HOST_MODULE,
        folder + "/" ORVANEL_HOST_MODULE,
    };
    for (const std::string& path : candidates)
        if (access(path.c_str(), R_OK) == 0) return path;
    *looked = candidates[0] + " does not exist";
    return {};
}

class PendingDesktopHost : public Host {
public:
    PendingDesktopHost(const DesktopHostOptions& options, const std::string& module,
                       DesktopHostFailure failed, bool bridgeDeferred)
        : options_(options), failed_(failed), bridgeDeferred_(bridgeDeferred) {
        // The module stays loaded for the life of the process: GTK registers types that
        // cannot go away.
        loader_ = std::thread([this, module] {
            handle_ = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!handle_) {
                const char* e = dlerror();
                error_ = e ? e : module + " cannot be loaded";
                return;
            }
            auto prepare = reinterpret_cast<void* (*)()>(dlsym(handle_, kPrepareDesktopHostEntry));
            open_ = reinterpret_cast<Host* (*)(void*, const DesktopHostOptions*)>(
                dlsym(handle_, kOpenDesktopHostEntry));
            discard_ = reinterpret_cast<void (*)(void*)>(dlsym(handle_, kDiscardDesktopHostEntry));
            if (!prepare || !open_ || !discard_) {
                error_ = ORVANEL_HOST_MODULE " lacks its entry points";
                return;
            }
            prepared_ = prepare();
        });
    }
    ~PendingDesktopHost() override {
        if (loader_.joinable()) loader_.join();
        if (prepared_) discard_(prepared_);
        real_.reset();
        if (CurrentHost() == this) InstallHost(nullptr);
    }

    int ScreenWidth() const override { return real_ ? real_->ScreenWidth() : options_.width; }
    int ScreenHeight() const override { return real_ ? real_->ScreenHeight() : options_.height; }
    bool WaitForInput() override {
        if (!real_) Open();
        return real_->WaitForInput();
    }
    void ScreenDamaged() override {
        if (real_) real_->ScreenDamaged();
    }
    bool HasDesktopFocus() const override { return real_ ? real_->HasDesktopFocus() : true; }
    void RaiseWindow() override {
        if (real_) real_->RaiseWindow();
    }
    void SetFullScreen(bool on) override {
        fullScreen_ = on;
        if (real_) real_->SetFullScreen(on);
    }
    void SetTitle(const std::string& title) override {
        title_ = title;
        if (real_) real_->SetTitle(title);
    }
    bool OpenAddress(const std::string& address) override {
        if (!real_) Open();
        return real_->OpenAddress(address);
    }
    void PublishClipboard(const SystemClipboard& contents) override {
        if (!real_) Open();
        real_->PublishClipboard(contents);
    }
    bool FetchClipboard(unsigned forms, SystemClipboard* contents) override {
        if (!real_) Open();
        return real_->FetchClipboard(forms, contents);
    }

private:
    // Opens the desktop window and hands over to it; the failure callback does not return.
    void Open() {
        loader_.join();
        if (bridgeDeferred_) unsetenv("NO_AT_BRIDGE");
        if (!error_.empty()) failed_(DesktopHostResult::NoModule, error_);
        void* prepared = std::exchange(prepared_, nullptr);
        real_.reset(open_(prepared, &options_));  // installs itself as the current host
        if (!real_) failed_(DesktopHostResult::NoDisplay, {});
        // The windows were laid out for the size this host answered while the window was not
        // open yet; the window opens at its stored size (or one chosen for the screen), and its
        // first configure event reports that same size, so no change would ever be seen.
        if (real_->ScreenWidth() != options_.width || real_->ScreenHeight() != options_.height)
            ScreenResized(real_->ScreenWidth(), real_->ScreenHeight());
        if (!title_.empty()) real_->SetTitle(title_);
        if (fullScreen_) real_->SetFullScreen(true);
    }

    DesktopHostOptions options_;
    DesktopHostFailure failed_;
    std::thread loader_;
    // Written by the loading thread, read after it is joined.
    void* handle_ = nullptr;
    std::string error_;
    Host* (*open_)(void*, const DesktopHostOptions*) = nullptr;
    void (*discard_)(void*) = nullptr;
    void* prepared_ = nullptr;  // GTK started, no window open yet
    std::unique_ptr<Host> real_;
    std::string title_;
    bool fullScreen_ = false;
    bool bridgeDeferred_ = false;
};

}  // namespace

std::unique_ptr<Host> StartDesktopHost(const DesktopHostOptions& options, DesktopHostFailure failed,
                                       DesktopHostResult* result, std::string* detail) {
    // Checked before loading anything: GTK would print its own warnings.
    if (!HasDisplay()) {
        *result = DesktopHostResult::NoDisplay;
        return nullptr;
    }
    std::string module = FindModule(detail);
    if (module.empty()) {
        *result = DesktopHostResult::NoModule;
        return nullptr;
    }
    *result = DesktopHostResult::Ready;
    // Set here, before the loading thread starts GTK, as gtk_init would have set it.
    setlocale(LC_ALL, "");
    // gtk_init would start the accessibility bridge, which looks for the accessibility bus
    // before the first frame; the desktop host starts it itself once the frame is shown. The
    // variable is set only for the loading thread and taken back once it has finished, so the
    // programs the reader starts see the environment as it was (and a NO_AT_BRIDGE the desktop
    // set stays).
    bool deferBridge = !std::getenv("NO_AT_BRIDGE");
    if (deferBridge) setenv("NO_AT_BRIDGE", "1", 1);
    auto host = std::make_unique<PendingDesktopHost>(options, module, failed, deferBridge);
    InstallHost(host.get());
    return host;
}
