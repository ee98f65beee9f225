#pragma once
// A screen in memory for tests and the scripted driver. Input is injected; when a message loop
// runs dry the idle hook is called to bring more, and with no hook (or a hook that brings
// nothing) the host reports that the loop would hang.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/hosting.h"

class HeadlessHost : public Host {
public:
    HeadlessHost(int width, int height);
    ~HeadlessHost() override;

    int ScreenWidth() const override { return width_; }
    int ScreenHeight() const override { return height_; }
    bool WaitForInput() override;
    bool HasDesktopFocus() const override { return desktopFocus_; }
    void RaiseWindow() override;
    void SetFullScreen(bool on) override { fullScreen_ = on; }
    bool IsFullScreen() const override { return fullScreen_; }
    bool OpenAddress(const std::string& address) override {
        lastOpened_ = address;
        return !openFails_;
    }
    // Makes later addresses fail to open (as on a desktop with no browser), or open again.
    void SetOpenAddressFails(bool fails) { openFails_ = fails; }
    // An in-memory system clipboard: what the program published, or what "another program"
    // put there with SetForeignClipboard, which the program then reads back.
    void PublishClipboard(const SystemClipboard& contents) override;
    bool FetchClipboard(unsigned forms, SystemClipboard* contents) override;
    void SetForeignClipboard(const SystemClipboard& contents);
    const SystemClipboard& systemClipboard() const { return clipboard_; }
    // The program's selection, as the desktop's primary selection would offer it.
    void PublishPrimary(const std::string& text) override { primary_ = text; }
    const std::string& primary() const { return primary_; }
    // How often the program read another program's clipboard.
    int clipboardReads() const { return clipboardReads_; }

    // The hook returns false when it has nothing more to give.
    using IdleHook = std::function<bool()>;
    void SetIdleHook(IdleHook hook) { idle_ = std::move(hook); }

    // Input, as a person would give it. Each event is queued and reaches the program only when
    // it has finished with the one before, as on a real screen.
    void Tap(int x, int y);
    void Press(int x, int y);
    void Drag(int x, int y);
    void Release(int x, int y);
    // Presses and releases `clicks` times at the point, the n-th press counted as the n-th click
    // of a multiple click; keys as MK_SHIFT held throughout.
    void Click(int x, int y, int clicks, WORD keys = 0);
    void Key(unsigned vk, bool ctrl = false, bool alt = false, bool shift = false);
    // Notches of the wheel at a screen point, positive away from the user; keys as MK_CONTROL.
    void Wheel(int x, int y, int notches, WORD keys = 0);
    void Type(const std::u16string& text);
    void SetDesktopFocus(bool focused);
    void Resize(int width, int height);

    // Delivers the next queued input event; false when there is none.
    bool InjectNext();

    // The composed screen: a pixel as 0x00RRGGBB, all of them row by row (composed once), and a
    // PNG file.
    uint32_t Pixel(int x, int y);
    std::vector<uint32_t> Pixels();
    bool SavePng(const std::string& path);

    bool fullScreen() const { return fullScreen_; }
    const std::string& lastOpened() const { return lastOpened_; }

private:
    int width_;
    int height_;
    bool desktopFocus_ = true;
    bool fullScreen_ = false;
    std::string lastOpened_;
    bool openFails_ = false;
    std::string primary_;
    SystemClipboard clipboard_;
    bool foreignOwner_ = false;
    int clipboardReads_ = 0;
    IdleHook idle_;
    std::deque<std::function<void()>> pending_;
};
