#include "shell/reader_main.h"

#include "bookmarks/bookmarks.h"
#include "index/font_dialog.h"
#include "platform/heap.h"
#include "platform/services/shell_services.h"
#include "platform/user/single_instance.h"
#include "reader/app_state.h"
#include "reader/navigation.h"
#include "reader/reader_hooks.h"
#include "reader/settings.h"
#include "shell/display_mode.h"
#include "shell/main_window.h"
#include "text/style_font.h"

namespace {

// A second start can ask a running reader for this one command and no other.
static_assert(kCommandChooseArticle == kOtherStartCommand);

bool IsTodayCommand(const char16_t* commandLine) {
    // The whole command line must be the switch, in this letter case.
    const char16_t* today = u"/today";
    if (!commandLine) return false;
    int i = 0;
    for (; today[i]; ++i)
        if (commandLine[i] != today[i]) return false;
    return commandLine[i] == 0;
}

// The bookmark list is loaded, saved and freed with the settings, and the Bookmark check mark
// follows the article shown.
void InstallFeatureHooks() {
    Hooks.loadSettings = LoadBookmarks;
    Hooks.saveSettings = SaveBookmarks;
    Hooks.releaseSettings = FreeBookmarks;
    Hooks.articleShown = [] { UpdateBookmarkCheck(1); };
}

}  // namespace

int ReaderMain(HINSTANCE instance, HINSTANCE, const char16_t* commandLine, int show) {
    static_cast<ReaderRecord&>(App) = ReaderRecord{};
    InstallFeatureHooks();
    App.Instance = instance;

    App.IgnoreActivate = ReadNumber(kSwitchesKey, u"IgnoreActivate", 0);
    App.FullScreen = ReadNumber(kSwitchesKey, u"FullScreen", 0);
    App.AllowSipInHebrewSearch = ReadNumber(kSwitchesKey, u"AllowSipInHebrewSearch", 1);
    if (App.FullScreen) App.TaskbarWindow = FindWindow(u"HHTaskBar", u"");
    bool taskbarWasVisible = App.TaskbarWindow && IsWindowVisible(App.TaskbarWindow);
    App.MenuBarOnBottom = ReadNumber(kSwitchesKey, u"MenuBarOnBottom", 0);
    App.SurroundingGutter = ReadNumber(kSwitchesKey, u"SurroundingGutter", 0);
    if (commandLine && commandLine[0] && IsTodayCommand(commandLine)) App.TodayRequested = 1;

    if (!StartInstance(show)) return 0;

    HACCEL accelerators = LoadAccelerators(App.Instance, kAcceleratorTableId);
    MSG msg{};
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
        if (!TranslateAccelerator(msg.hwnd, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
    }
    if (App.TaskbarWindow && taskbarWasVisible) ShowWindow(App.TaskbarWindow, SW_SHOW);
    return int(msg.wParam);
}

HWND StartInstance(int show) {
    if (HWND running = FindWindow(kMainClassName, kMainTitle)) {
        HWND foreground = GetForegroundWindow();
        HWND topmost = foreground;
        while (topmost && GetParent(topmost)) topmost = GetParent(topmost);
        if (running == foreground) SendMessage(running, WM_COMMAND, kCommandChooseArticle, 0);
        if (running != topmost) SetForegroundWindow(running);
        return nullptr;
    }
    InitCommonControls();
    if (App.TaskbarWindow) ShowWindow(App.TaskbarWindow, SW_HIDE);
    LoadSettings();
    // Reverse hands whole runs to a platform that would reorder them; this desktop draws runs as
    // they come, so reversing them only writes the table of contents backwards while the panes
    // (drawn a character at a time) stay as they were. The option is not offered, and a stored
    // one is dropped (and so not written back at exit).
    App.Flags &= ~kReverseFlag;
    ApplyDisplayMode();
    // "/today" is recorded but changes nothing about the start article.
    SelectLesson(0);
    RegisterMainClass(App.Instance, kMainClassName);
    HWND window = CreateWindowEx(WS_EX_WINDOWEDGE, kMainClassName, kMainTitle, WS_VISIBLE,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 nullptr, nullptr, App.Instance, nullptr);
    if (!window) return nullptr;
    if (App.FullScreen) {
        RECT r;
        GetWindowRect(window, &r);
        SHFullScreen(window, SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON | SHFS_HIDESTARTICON);
        MoveWindow(window, r.left, 0, r.right, r.bottom, FALSE);
    }
    ShowWindow(window, show);
    UpdateWindow(window);
    // The first run (no "FontName" stored) asks for a font, and the panes take the record
    // whatever the dialog returned.
    if (!App.Font.FaceName[0]) {
        RunFontDialog(window, &App.Font);
        App.StartFontSize = App.Font.FontSize;
        SetPaneFont(App.TopPane, &App.Font);
        SetPaneFont(App.BottomPane, &App.Font);
    }
    return window;
}

WORD RegisterMainClass(HINSTANCE instance, const char16_t* className) {
    WNDCLASS wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIcon(instance, kMainIconId);
    wc.hbrBackground = GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = className;
    return RegisterClass(&wc);
}
