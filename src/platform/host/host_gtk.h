#pragma once
// The desktop host: a plain GDK toplevel window showing the composed screen (the program draws
// everything it shows, so no GTK widget and no theme stand between it and the display). Mouse,
// wheel, keys and input-method text become window messages; closing the window ends the program
// as Exit does. GTK serves the clipboard, the input method, the icon theme and opening addresses.
#include <memory>
#include <string>

#include "platform/hosting.h"

struct GtkHostOptions {
    int width = 240;   // screen size in the program's pixels
    int height = 320;
    int scale = 0;           // program pixels per logical pixel; 0: chosen for the screen
    bool sizeGiven = false;  // width and height were asked for; else a first start fits the screen
};

class GtkHost : public Host {
public:
    struct Impl;

    // Starts GTK and its input method; nullptr when no display opens. It reads and changes
    // nothing of the program's own state and leaves the locale alone, so it may run on another
    // thread while the program starts. From then on GTK belongs to the thread that passes the
    // result to Open or Discard, after it has joined that thread.
    static Impl* Prepare();
    // Opens the window at the stored or requested size and installs the host; takes what Prepare
    // made, and returns nullptr when that was nothing.
    static std::unique_ptr<GtkHost> Open(Impl* prepared, const GtkHostOptions& options);
    // Frees what Prepare made when no window is to be opened.
    static void Discard(Impl* prepared);
    // Prepare and Open on this thread, with the locale set from the environment first.
    static std::unique_ptr<GtkHost> Create(const GtkHostOptions& options);
    ~GtkHost() override;

    int ScreenWidth() const override;
    int ScreenHeight() const override;
    bool WaitForInput() override;
    void ScreenDamaged() override;
    bool HasDesktopFocus() const override;
    void RaiseWindow() override;
    void SetFullScreen(bool on) override;
    bool IsFullScreen() const override;
    void SetTitle(const std::string& title) override;
    bool OpenAddress(const std::string& address) override;
    void PublishClipboard(const SystemClipboard& contents) override;
    void PublishPrimary(const std::string& text) override;
    bool FetchClipboard(unsigned forms, SystemClipboard* contents) override;

private:
    explicit GtkHost(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};
