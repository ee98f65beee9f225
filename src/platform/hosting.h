#pragma once
// The host shows the composed screen and brings input. One host is installed at a time; the
// reader's code never knows which.
#include <cairo.h>

#include <string>

#include "platform/win32_types.h"

// What the system clipboard holds, in the forms other programs exchange: UTF-8 text (lines end
// in LF), the same text in Latin-1 when every character has a Latin-1 byte (for programs that
// ask for STRING), and RTF bytes. An empty optional form is absent.
struct SystemClipboard {
    bool hasText = false;
    std::string text;
    bool hasLatin1 = false;
    std::string latin1;
    bool hasRtf = false;
    std::string rtf;
};

// The forms a read of another program's clipboard asks for.
enum ClipboardForms : unsigned { kClipboardText = 1, kClipboardRtf = 2 };

class Host {
public:
    virtual ~Host() = default;
    virtual int ScreenWidth() const = 0;
    virtual int ScreenHeight() const = 0;
    // Called when the queue is empty and nothing needs painting: show the screen and wait until
    // input or a message arrives. Returns false when no input can ever come (the loop would
    // hang); the caller then fails loudly.
    virtual bool WaitForInput() = 0;
    // The composed screen changed; the host shows it when it next can.
    virtual void ScreenDamaged() {}
    // Whether the program's window has the desktop's focus (its windows can be in front).
    virtual bool HasDesktopFocus() const { return true; }
    virtual void RaiseWindow() {}
    virtual void SetFullScreen(bool) {}
    // Whether the desktop window is full screen (as last asked, or as the desktop changed it).
    virtual bool IsFullScreen() const { return false; }
    virtual void SetTitle(const std::string&) {}
    // Opens a web address with the desktop's handler (headless: recorded only). False when no
    // handler took it.
    virtual bool OpenAddress(const std::string&) { return false; }
    // The program's clipboard changed: the host offers these contents to other programs.
    virtual void PublishClipboard(const SystemClipboard&) {}
    // The program's selection as UTF-8 text for the desktop's primary selection; empty: the
    // program has none (and gives the primary selection up).
    virtual void PublishPrimary(const std::string&) {}
    // When another program owns the system clipboard, what it holds of the forms asked for
    // (kClipboardText, kClipboardRtf); false while the contents are the program's own (or the
    // host has no system clipboard). A form the owner does not offer, or does not hand over
    // within a short time, is absent: the read never blocks for long.
    virtual bool FetchClipboard(unsigned, SystemClipboard*) { return false; }
};

void InstallHost(Host* host);
Host* CurrentHost();

// Composes the visible top-level windows, back to front, onto a screen surface of the host's
// size. The caller owns a reference to the result and must not draw into it: while nothing on
// the screen changes, the same surface is handed out again.
cairo_surface_t* ComposeScreen();
// Lets go of the last composed screen (tests, the end of the program).
void ForgetComposedScreen();
void ComposeInto(cairo_t* cr);

// Input from hosts, in screen pixels. Each becomes queued window messages.
enum class MouseAction { Down, Move, Up };
// A press carries its click count (2 for the second press of a double click, 3 for a third),
// and the mouse messages carry it in the high word of their wParam; keys holds MK_SHIFT and
// MK_CONTROL as they were held (kKeysUnknown: as the keys said).
constexpr int kKeysUnknown = -1;
void InjectMouse(MouseAction action, int x, int y, int clicks = 1, int keys = kKeysUnknown);
// The press that brings the program to the front from behind another one: the window under it
// is activated, but the press, and the moves and the lift that follow it, reach no window (a
// click that only fetches the reader must not turn its page).
void InjectFocusingPress(int x, int y);
// A wheel turn of delta (120 a notch, positive away from the user); keys holds MK_CONTROL and
// MK_SHIFT as they were held.
void InjectWheel(int x, int y, int delta, WORD keys = 0);
// A key press or release with its virtual key; Ctrl/Alt/Shift state as given.
void InjectKey(unsigned vk, bool down, bool ctrl = false, bool alt = false, bool shift = false);
// Text from an input method or a typed string: WM_CHAR per UTF-16 unit to the focus window.
void InjectText(const std::u16string& text);
// The desktop gave or took the program's focus.
void InjectDesktopFocus(bool focused);
// The host's close button: WM_CLOSE to the front-most top-level window of the program's main
// window (the window that followed the screen). False when there is no such window.
bool InjectClose();
// The screen changed size: windows created with the default size follow it.
void ScreenResized(int width, int height);
