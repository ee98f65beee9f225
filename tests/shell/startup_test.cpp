// Start-up: the switches, the start article, the main window, the single-instance rule, full
// screen, and the order of shutdown, on the headless host.
#include "platform/resources.h"
#include "platform/services/shell_services.h"
#include "platform/user/dialog_template.h"
#include "reader/app_state.h"
#include "resources/program_resources.h"
#include "shell/reader_main.h"
#include "support/reader_run.h"

namespace {

class StartupTest : public ReaderRunTest {
protected:
    // Runs the reader with this command line; `act` drives it once its window is up.
    void Start(const char16_t* line = u"", std::function<void()> act = nullptr) {
        commandLine = line;
        Run(act ? std::vector<std::function<void()>>{act} : std::vector<std::function<void()>>{});
    }
};

TEST_F(StartupTest, FirstRunCreatesTheWindowAndWritesTheDefaultsAtExit) {
    HWND seen = nullptr;
    Start(u"", [&] { seen = FindWindow(u"Orvanel", u"Orvanel"); });
    ASSERT_NE(seen, nullptr);
    EXPECT_FALSE(IsWindow(seen));
    EXPECT_EQ(App.Lesson, 1);
    EXPECT_TRUE(HasValue("Program Path"));
    EXPECT_TRUE(Has("\"Flags\"=dword:d1140040"));
    EXPECT_TRUE(Has("\"BottomSection\"=dword:0000000c"));
    EXPECT_TRUE(Has("\"Lesson\"=dword:00000001"));
    EXPECT_TRUE(Has("\"FontAsciiBase\"=dword:000005d0"));
    EXPECT_FALSE(HasValue("FontName"));
    EXPECT_FALSE(HasValue("FontSize"));
    EXPECT_FALSE(HasValue("SearchString"));
}

TEST_F(StartupTest, TheMainWindowFillsTheScreenWithAWhiteClientAndItsClass) {
    Start(u"", [&] {
        HWND w = FindWindow(u"Orvanel", u"Orvanel");
        RECT r;
        GetWindowRect(w, &r);
        EXPECT_EQ(r.right - r.left, 240);
        EXPECT_EQ(r.bottom - r.top, 320);
        EXPECT_EQ(GetWindowStyle(w) & WS_VISIBLE, WS_VISIBLE);
        EXPECT_EQ(screen.host().Pixel(120, 160), 0xFFFFFFu);
        EXPECT_EQ(GetForegroundWindow(), w);
    });
}

TEST_F(StartupTest, TheTodaySwitchIsRecordedOnlyForTheWholeCommandLine) {
    Store("\"Lesson\"=dword:00000005\n");
    Start(u"/today");
    EXPECT_EQ(App.TodayRequested, 1);
    EXPECT_EQ(App.Lesson, 5);  // the start article does not change
    Start(u"/today tomorrow");
    EXPECT_EQ(App.TodayRequested, 0);
    Start(u"/TODAY");
    EXPECT_EQ(App.TodayRequested, 0);
    Start(u"");
    EXPECT_EQ(App.TodayRequested, 0);
}

TEST_F(StartupTest, SwitchesAreReadAsNumbersAndFullScreenHidesTheTaskbarWhileRunning) {
    Store("",
          "\"FullScreen\"=\"1\"\n\"IgnoreActivate\"=dword:00000001\n"
          "\"AllowSipInHebrewSearch\"=dword:00000000\n\"SurroundingGutter\"=\"4\"\n");
    HWND taskbar = FindWindow(u"HHTaskBar", u"");
    ASSERT_NE(taskbar, nullptr);
    ASSERT_TRUE(IsWindowVisible(taskbar));
    bool hiddenWhileRunning = false;
    Start(u"", [&] {
        hiddenWhileRunning = !IsWindowVisible(taskbar);
        RECT r;
        GetWindowRect(App.MainWindow, &r);
        EXPECT_EQ(r.top, 0);
        EXPECT_TRUE(screen.host().fullScreen());
    });
    EXPECT_TRUE(hiddenWhileRunning);
    EXPECT_TRUE(IsWindowVisible(taskbar));  // shown again: it was visible at start
    EXPECT_EQ(App.FullScreen, 1);
    EXPECT_EQ(App.IgnoreActivate, 1);
    EXPECT_EQ(App.AllowSipInHebrewSearch, 0);
    EXPECT_EQ(App.SurroundingGutter, 4);
    bool fullScreenCall = false;
    for (const ShellCall& c : ShellCallLog())
        if (c.name == "SHFullScreen" && c.value == 42) fullScreenCall = true;
    EXPECT_TRUE(fullScreenCall);

    // A taskbar hidden at start stays hidden.
    ShowWindow(taskbar, SW_HIDE);
    Start();
    EXPECT_FALSE(IsWindowVisible(taskbar));
}

// The single-instance rule, applied by StartInstance to a main window that already exists.
class RunningReaderTest : public StartupTest {
protected:
    static LRESULT RunningProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_COMMAND) commands.push_back(LOWORD(wp));
        return DefWindowProc(w, msg, wp, lp);
    }
    void SetUp() override {
        StartupTest::SetUp();
        commands.clear();
        WNDCLASS wc{};
        wc.lpfnWndProc = RunningProc;
        wc.lpszClassName = u"Orvanel";
        RegisterClass(&wc);
        running =
            CreateWindowEx(0, u"Orvanel", u"Orvanel", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
        screen.Settle();
    }
    static inline std::vector<WORD> commands;
    HWND running = nullptr;
};

TEST_F(RunningReaderTest, InFrontItOpensChooseArticleAndTheNewStartEnds) {
    EXPECT_EQ(StartInstance(SW_SHOW), nullptr);
    EXPECT_EQ(commands, std::vector<WORD>{119});
    EXPECT_FALSE(HasValue("Program Path"));  // ended before the settings
}

TEST_F(RunningReaderTest, BehindAnotherProgramItIsBroughtToTheFront) {
    screen.host().SetDesktopFocus(false);
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_EQ(StartInstance(SW_SHOW), nullptr);
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(GetForegroundWindow(), running);
}

TEST_F(RunningReaderTest, WithOneOfItsDialogsInFrontNothingHappens) {
    static const DialogTemplate dialog{WS_POPUP | WS_CAPTION, 0,       0, 0,       100, 60,
                                       u"Choose Section",     nullptr, 0, nullptr, 0};
    bool checked = false;
    screen.onIdle = [&] {
        if (checked) return false;
        checked = true;
        HWND front = GetForegroundWindow();
        EXPECT_NE(front, running);
        EXPECT_EQ(StartInstance(SW_SHOW), nullptr);
        EXPECT_EQ(GetForegroundWindow(), front);
        EndDialog(front, 0);
        return true;
    };
    DialogBoxIndirectParam(
        nullptr, &dialog, running, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return FALSE; }, 0);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(commands.empty());
}

}  // namespace
