#pragma once
// The whole reader on the headless host, for tests of its commands: Run starts it with the
// built-in book, lets the test act once it is up, and ends it with Exit.
#include <functional>
#include <vector>

#include "platform/clipboard.h"
#include "platform/resources.h"
#include "platform/shell_services.h"
#include "resources/program_resources.h"
#include "shell/app_state.h"
#include "shell/reader_main.h"
#include "shell_fixture.h"
#include "store/book_resources.h"

class ReaderRunTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ResetClipboard();  // what an earlier test copied is not this program's
        RegisterProgramResources();
        RegisterBookResources();
        CreateShellWindows();
    }
    // Each step runs at the next idle moment of whatever loop runs then: with a fresh registry
    // the first is inside the first run's Choose Font dialog, otherwise the main window is up.
    // A step that posts a command opening a dialog has the next step run inside that dialog.
    // When the steps are done, open dialogs are cancelled and the reader exits.
    void Run(std::vector<std::function<void()>> steps) {
        size_t next = 0;
        screen.onIdle = [&] {
            if (next < steps.size()) {
                steps[next++]();
                return true;
            }
            ModalInfo modal;
            if (DescribeActiveModal(&modal) && !modal.messageBox) {
                PostMessage(modal.window, WM_COMMAND, IDCANCEL, 0);
                return true;
            }
            if (IsWindow(App.MainWindow)) {
                PostMessage(App.MainWindow, WM_COMMAND, kCommandExit, 0);
                return true;
            }
            return false;
        };
        ASSERT_EQ(ReaderMain(ProgramInstance(), nullptr, u"", SW_SHOW), 0);
    }
    // A stored face, so that no first-run dialog comes up.
    void StoreFont(const std::string& more = "") {
        Store("\"FontName\"=\"Synthetic\"\n\"FontSize\"=dword:00000010\n" + more);
    }
    // A menu command, as the menu posts it.
    void Post(int id) { PostMessage(App.MainWindow, WM_COMMAND, WPARAM(id), 0); }
};
