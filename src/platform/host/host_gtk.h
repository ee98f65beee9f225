#pragma once
// The desktop host: a GTK 3 window showing the composed screen. Mouse, wheel, keys and
// input-method text become window messages; closing the window ends the program as Exit does.
#include <memory>
#include <string>

#include "platform/host/host.h"

struct GtkHostOptions {
    int width = 240;   // screen size in the program's pixels
    int height = 320;
    int scale = 0;     // program pixels per logical pixel; 0 or 1: the desktop's own scale
};

class GtkHost : public Host {
public:
    // Returns nullptr (with a message on stderr) when there is no display to open.
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
    void OpenAddress(const std::string& address) override;
    void PublishClipboard(const SystemClipboard& contents) override;
    bool FetchClipboard(SystemClipboard* contents) override;

    struct Impl;

private:
    explicit GtkHost(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};
