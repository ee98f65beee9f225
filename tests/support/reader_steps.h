#pragma once
// The real reader on the headless host, driven step by step: each step runs when the program
// next waits for input, so a step that taps, presses a key or posts a message sees the effect
// in the step after it. Modal dialogs run their own loops; the steps go on inside them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../shell/shell_fixture.h"
#include "platform/resources.h"
#include "platform/screen_query.h"
#include "platform/shell_services.h"
#include "resources/program_resources.h"
#include "shell/reader_main.h"
#include "store/book_resources.h"

class ReaderSteps : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        RegisterProgramResources();
        RegisterBookResources();
        CreateShellWindows();
        // A font is chosen, so no first-run font dialog comes in between.
        Store(kFont);
    }
    // Runs ReaderMain with the steps, then closes what is open and exits as Exit does. With
    // `everyStep` false a run may end before its steps do (the heap ran out).
    void Run(std::vector<std::function<void()>> steps, bool everyStep = true) {
        size_t next = 0;
        bool exitSent = false;
        screen.onIdle = [&] {
            if (next < steps.size()) {
                steps[next++]();
                return true;
            }
            ModalInfo modal;
            if (DescribeActiveModal(&modal)) {
                EndDialog(modal.window, IDCANCEL);
                return true;
            }
            if (!exitSent && IsWindow(App.MainWindow)) {
                exitSent = true;
                PostMessage(App.MainWindow, WM_COMMAND, kCommandExit, 0);
                return true;
            }
            return false;
        };
        ASSERT_EQ(ReaderMain(ProgramInstance(), nullptr, u"", SW_SHOW), 0);
        if (everyStep) {
            EXPECT_EQ(next, steps.size()) << "steps left over";
        }
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
    void Command(int id) { PostMessage(App.MainWindow, WM_COMMAND, WPARAM(id), 0); }

    static constexpr const char* kFont =
        "\"FontName\"=\"Synthetic\"\n\"FontSize\"=dword:00000010\n";
};
