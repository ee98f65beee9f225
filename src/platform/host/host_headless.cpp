#include "platform/host/host_headless.h"

#include <cairo.h>

#include "platform/user/single_instance.h"

bool HasPendingMessages();

HeadlessHost::HeadlessHost(int width, int height) : width_(width), height_(height) {
    InstallHost(this);
}

HeadlessHost::~HeadlessHost() {
    if (CurrentHost() == this) InstallHost(nullptr);
}

bool HeadlessHost::WaitForInput() {
    if (InjectNext()) return true;
    if (!idle_) return false;
    return idle_();
}

bool HeadlessHost::InjectNext() {
    if (pending_.empty()) return false;
    auto event = std::move(pending_.front());
    pending_.pop_front();
    event();
    return true;
}

void HeadlessHost::RaiseWindow() { SetDesktopFocus(true); }

void HeadlessHost::Tap(int x, int y) {
    Press(x, y);
    Release(x, y);
}

// A press while another program has the desktop's focus is what a window manager takes to
// bring the reader forward: it gives the focus, and the press is only a focusing one.
void HeadlessHost::Press(int x, int y) {
    pending_.push_back([this, x, y] {
        if (desktopFocus_) {
            InjectMouse(MouseAction::Down, x, y);
            return;
        }
        SetDesktopFocus(true);
        InjectFocusingPress(x, y);
    });
}
void HeadlessHost::Drag(int x, int y) {
    pending_.push_back([x, y] { InjectMouse(MouseAction::Move, x, y); });
}
void HeadlessHost::Release(int x, int y) {
    pending_.push_back([x, y] { InjectMouse(MouseAction::Up, x, y); });
}

void HeadlessHost::Click(int x, int y, int clicks, WORD keys) {
    for (int n = 1; n <= clicks; ++n) {
        pending_.push_back([=] { InjectMouse(MouseAction::Down, x, y, n, keys); });
        pending_.push_back([=] { InjectMouse(MouseAction::Up, x, y, n, keys); });
    }
    // The keys are let go with the last release.
    if (keys) pending_.push_back([=] { InjectMouse(MouseAction::Move, -1, -1, 1, 0); });
}

void HeadlessHost::Key(unsigned vk, bool ctrl, bool alt, bool shift) {
    pending_.push_back([=] { InjectKey(vk, true, ctrl, alt, shift); });
    pending_.push_back([=] { InjectKey(vk, false, ctrl, alt, shift); });
}

void HeadlessHost::Wheel(int x, int y, int notches, WORD keys) {
    pending_.push_back([=] { InjectWheel(x, y, notches * 120, keys); });
}

void HeadlessHost::Type(const std::u16string& text) {
    pending_.push_back([text] { InjectText(text); });
}

void HeadlessHost::SetDesktopFocus(bool focused) {
    desktopFocus_ = focused;
    InjectDesktopFocus(focused);
}

void HeadlessHost::Resize(int width, int height) {
    width_ = width;
    height_ = height;
    ScreenResized(width, height);
}

uint32_t HeadlessHost::Pixel(int x, int y) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0xFFFFFFFF;
    cairo_surface_t* s = ComposeScreen();
    cairo_surface_flush(s);
    auto* row = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s) +
                                            y * cairo_image_surface_get_stride(s));
    uint32_t v = row[x] & 0xFFFFFF;
    cairo_surface_destroy(s);
    return v;
}

std::vector<uint32_t> HeadlessHost::Pixels() {
    std::vector<uint32_t> out(size_t(width_) * size_t(height_));
    cairo_surface_t* s = ComposeScreen();
    cairo_surface_flush(s);
    for (int y = 0; y < height_; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s) +
                                                y * cairo_image_surface_get_stride(s));
        for (int x = 0; x < width_; ++x)
            out[size_t(y) * size_t(width_) + size_t(x)] = row[x] & 0xFFFFFF;
    }
    cairo_surface_destroy(s);
    return out;
}

bool HeadlessHost::SavePng(const std::string& path) {
    cairo_surface_t* s = ComposeScreen();
    bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

void HeadlessHost::PublishClipboard(const SystemClipboard& contents) {
    clipboard_ = contents;
    foreignOwner_ = false;
}

bool HeadlessHost::FetchClipboard(unsigned forms, SystemClipboard* contents) {
    if (!foreignOwner_) return false;
    ++clipboardReads_;
    *contents = SystemClipboard{};
    if (forms & kClipboardText) {
        contents->hasText = clipboard_.hasText;
        contents->text = clipboard_.text;
    }
    if (forms & kClipboardRtf) {
        contents->hasRtf = clipboard_.hasRtf;
        contents->rtf = clipboard_.rtf;
    }
    return true;
}

void HeadlessHost::SetForeignClipboard(const SystemClipboard& contents) {
    clipboard_ = contents;
    foreignOwner_ = true;
}
