#pragma once
// The whole reader on the headless host with the built-in book, driven step by step. Each step
// runs at the next idle moment of whatever loop runs then (the main loop or a dialog's), so a
// step that posts a command, taps or presses a key sees the effect in the step after it, and a
// step that opens a dialog has the next step run inside that dialog.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/bars/menu.h"
#include "platform/resources.h"
#include "platform/services/shell_services.h"
#include "platform/user/clipboard.h"
#include "platform/user/screen_query.h"
#include "reader/app_state.h"
#include "resources/program_resources.h"
#include "shell/reader_main.h"
#include "store/book_resources.h"
#include "support/shell_fixture.h"

// Whether the item with this command id in the menu carries its check mark.
inline bool MenuChecked(HMENU menu, UINT id) {
    MENUITEMINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    EXPECT_TRUE(GetMenuItemInfo(menu, id, FALSE, &info)) << id;
    return (info.fState & MFS_CHECKED) != 0;
}

class ReaderRunTest : public ShellTest {
protected:
    explicit ReaderRunTest(Fonts fonts = Fonts::Synthetic) : ShellTest(fonts) {}
    void SetUp() override {
        ShellTest::SetUp();
        ResetClipboard();  // what an earlier test copied is not this program's
        RegisterProgramResources();
        RegisterBookResources();
        CreateShellWindows();
    }
    // Runs ReaderMain with the steps. A first run (no "FontName" stored) opens the Choose Font
    // dialog before the main window: it is cancelled as a user would, unless the test sets
    // `driveFirstRunDialog` to run its first steps inside it. When the steps are done, an open
    // dialog is cancelled and the reader is sent Exit once; it must end then. With `everyStep`
    // false a run may end before its steps do (the heap ran out).
    // A modal loop that a step itself runs idles through `nestedIdle` while that is set:
    // replacing screen.onIdle from inside a step would free the function that is running.
    void Run(std::vector<std::function<void()>> steps, bool everyStep = true) {
        size_t next = 0;
        bool exitSent = false;
        screen.onIdle = [&] {
            if (nestedIdle) return nestedIdle();
            if (next == 0 && !driveFirstRunDialog && CancelFirstRunFontDialog()) return true;
            if (next < steps.size()) {
                steps[next++]();
                return true;
            }
            ModalInfo modal;
            if (DescribeActiveModal(&modal)) {
                PostMessage(modal.window, WM_COMMAND, IDCANCEL, 0);
                return true;
            }
            if (!exitSent && IsWindow(App.MainWindow)) {
                exitSent = true;
                PostMessage(App.MainWindow, WM_COMMAND, kCommandExit, 0);
                return true;
            }
            return false;
        };
        ASSERT_EQ(ReaderMain(ProgramInstance(), nullptr, commandLine.c_str(), SW_SHOW), 0);
        if (everyStep) {
            EXPECT_EQ(next, steps.size()) << "steps left over";
        }
    }
    // A stored face, so that no first-run dialog comes up.
    void StoreFont(const std::string& more = "") { Store(std::string(kFont) + more); }
    static constexpr const char* kFont =
        "\"FontName\"=\"Synthetic\"\n\"FontSize\"=dword:00000010\n";
    // A menu command, posted as the menu posts it: done by the next step.
    void Command(int id) { PostMessage(App.MainWindow, WM_COMMAND, WPARAM(id), 0); }
    // A menu command carried out at once, with all it leads to.
    void CommandNow(int id) {
        SendMessage(App.MainWindow, WM_COMMAND, WPARAM(id), 0);
        screen.Settle();
    }
    // Input through the host, carried out at once.
    void Key(unsigned vk, bool ctrl = false) {
        screen.host().Key(vk, ctrl);
        screen.Settle();
    }
    void Tap(int x, int y) {
        screen.host().Tap(x, y);
        screen.Settle();
    }
    // The open dialog (not a message box), or nullptr.
    HWND Dialog() {
        ModalInfo modal;
        return DescribeActiveModal(&modal) && !modal.messageBox ? modal.window : nullptr;
    }
    std::u16string DialogCaption() {
        ModalInfo modal;
        return DescribeActiveModal(&modal) ? modal.caption : u"";
    }

    std::u16string commandLine;  // what Run passes to ReaderMain
    bool driveFirstRunDialog = false;
    std::function<bool()> nestedIdle;
};
