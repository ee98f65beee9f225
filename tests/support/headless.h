#pragma once
// A headless screen for tests: installs a HeadlessHost with the synthetic font engine, answers
// message boxes (recording them) and resets the window system when the test ends.
#include <functional>
#include <string>
#include <vector>

#include "platform/host/host_headless.h"
#include "platform/user/user.h"

struct ShownMessageBox {
    std::u16string caption;
    std::u16string text;
    UINT style = 0;
};

enum class Fonts { Synthetic, Real };

class HeadlessScreen {
public:
    explicit HeadlessScreen(int width = 240, int height = 320, Fonts fonts = Fonts::Synthetic);
    ~HeadlessScreen();
    HeadlessScreen(const HeadlessScreen&) = delete;
    HeadlessScreen& operator=(const HeadlessScreen&) = delete;

    HeadlessHost& host() { return host_; }

    // Every message box shown, in order.
    std::vector<ShownMessageBox> messageBoxes;
    // The button pressed on message boxes; 0 presses the first (OK or Yes).
    bool answerMessageBoxes = true;
    int messageBoxAnswer = 0;
    // Called when a modal loop other than a message box runs dry; returns false when it has
    // nothing to give (the test then fails and the dialog is cancelled).
    std::function<bool()> onIdle;

    // Runs the queue until it is empty and nothing needs painting.
    void Settle();

private:
    bool Idle();
    HeadlessHost host_;
};

// Registers a class with the given procedure and a white background, and creates a visible
// top-level window of it at the top left of the screen, w × h.
HWND CreateWhiteWindow(const char16_t* className, WNDPROC proc, int w = 240, int h = 320);
