// Windows and messages: creation and destruction order, the queue, painting, focus and
// activation, and input routing, checked as a window system's own conformance suite would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/user/user.h"
#include "support/headless.h"

namespace {

struct Logged {
    std::string window;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};
std::vector<Logged> gLog;
LRESULT gCreateResult = 0;

std::string NameOf(HWND w) {
    char16_t buf[64];
    GetWindowText(w, buf, 64);
    std::string s;
    for (char16_t* p = buf; *p; ++p) s.push_back(char(*p));
    return s;
}

LRESULT LoggingProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_GETTEXT && msg != WM_GETTEXTLENGTH) gLog.push_back({NameOf(w), msg, wp, lp});
    if (msg == WM_CREATE) return gCreateResult;
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(w, &ps);
        EndPaint(w, &ps);
        return 0;
    }
    return DefWindowProc(w, msg, wp, lp);
}

class WindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        gLog.clear();
        gCreateResult = 0;
        WNDCLASS wc{};
        wc.lpfnWndProc = LoggingProc;
        wc.lpszClassName = u"Logger";
        wc.hbrBackground = GetStockObject(WHITE_BRUSH);
        ASSERT_NE(RegisterClass(&wc), 0);
    }
    std::vector<UINT> Messages(const std::string& window, UINT only = 0) {
        std::vector<UINT> out;
        for (auto& l : gLog)
            if (l.window == window && (!only || l.msg == only)) out.push_back(l.msg);
        return out;
    }
    HeadlessScreen screen;
};

TEST_F(WindowsTest, RegisteringAClassTwiceFailsAndNamesIgnoreCase) {
    WNDCLASS wc{};
    wc.lpfnWndProc = LoggingProc;
    wc.lpszClassName = u"LOGGER";
    EXPECT_EQ(RegisterClass(&wc), 0);
    HWND w = CreateWindowEx(0, u"logger", u"a", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(w, nullptr);
    EXPECT_EQ(CreateWindowEx(0, u"NoSuchClass", u"a", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                             nullptr),
              nullptr);
}

TEST_F(WindowsTest, CreateFailsWhenCreateHandlerRefuses) {
    gCreateResult = -1;
    HWND w = CreateWindowEx(0, u"Logger", u"refused", WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                            nullptr, nullptr);
    EXPECT_EQ(w, nullptr);
    EXPECT_EQ(Messages("refused"), (std::vector<UINT>{WM_CREATE, WM_DESTROY}));
}

TEST_F(WindowsTest, DestroyReachesParentBeforeChildrenAndOwnedWindowsFirst) {
    HWND main = CreateWindowEx(0, u"Logger", u"main", WS_VISIBLE, 0, 0, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
    HWND child = CreateWindowEx(0, u"Logger", u"child", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, main,
                                nullptr, nullptr, nullptr);
    HWND owned = CreateWindowEx(0, u"Logger", u"owned", WS_POPUP, 0, 0, 10, 10, main, nullptr,
                                nullptr, nullptr);
    EXPECT_EQ(GetParent(child), main);
    EXPECT_EQ(GetParent(owned), main);
    gLog.clear();
    EXPECT_TRUE(DestroyWindow(main));
    std::vector<std::string> order;
    for (auto& l : gLog)
        if (l.msg == WM_DESTROY) order.push_back(l.window);
    EXPECT_EQ(order, (std::vector<std::string>{"owned", "main", "child"}));
    EXPECT_FALSE(IsWindow(main));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(IsWindow(owned));
    EXPECT_EQ(SendMessage(main, WM_USER, 0, 0), 0);
}

TEST_F(WindowsTest, FindWindowMatchesClassWithoutCaseAndTitleExactly) {
    HWND w = CreateWindowEx(0, u"Logger", u"Orvanel", WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                            nullptr, nullptr);
    EXPECT_EQ(FindWindow(u"LOGGER", u"Orvanel"), w);
    EXPECT_EQ(FindWindow(u"Logger", nullptr), w);
    EXPECT_EQ(FindWindow(u"Logger", u"orvanel"), nullptr);
    EXPECT_EQ(FindWindow(u"Other", u"Orvanel"), nullptr);
}

TEST_F(WindowsTest, PostedMessagesComeInOrderThenQuitThenPaint) {
    HWND w = CreateWindowEx(0, u"Logger", u"w", WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                            nullptr, nullptr);
    screen.Settle();
    InvalidateRect(w, nullptr, TRUE);
    PostMessage(w, WM_USER + 1, 1, 0);
    PostMessage(w, WM_USER + 2, 2, 0);
    PostQuitMessage(7);
    MSG m;
    ASSERT_EQ(GetMessage(&m, nullptr, 0, 0), 1);
    EXPECT_EQ(m.message, WM_USER + 1);
    ASSERT_EQ(GetMessage(&m, nullptr, 0, 0), 1);
    EXPECT_EQ(m.message, WM_USER + 2);
    EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), 0);
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 7u);
    ASSERT_EQ(GetMessage(&m, nullptr, 0, 0), 1);
    EXPECT_EQ(m.message, WM_PAINT);
    EXPECT_EQ(m.hwnd, w);
    DispatchMessage(&m);
    EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowsTest, PaintCoversTheInvalidAreaAndErasesWithTheClassBrush) {
    HWND w = CreateWindowEx(0, u"Logger", u"w", WS_VISIBLE, 0, 0, 60, 40, nullptr, nullptr,
                            nullptr, nullptr);
    screen.Settle();
    HDC dc = GetDC(w);
    RECT all{0, 0, 60, 40};
    FillRect(dc, &all, GetStockObject(BLACK_BRUSH));
    ReleaseDC(w, dc);
    RECT part{10, 10, 20, 15};
    InvalidateRect(w, &part, TRUE);
    screen.Settle();
    // Only the invalid area is erased to white; the rest keeps what was drawn.
    EXPECT_EQ(screen.host().Pixel(10, 10), 0xFFFFFFu);
    EXPECT_EQ(screen.host().Pixel(19, 14), 0xFFFFFFu);
    EXPECT_EQ(screen.host().Pixel(20, 14), 0x000000u);
    EXPECT_EQ(screen.host().Pixel(9, 10), 0x000000u);
}

TEST_F(WindowsTest, ActivationSendsInactiveThenActiveAndKeysGoToTheFocus) {
    HWND a = CreateWindowEx(0, u"Logger", u"a", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                            nullptr, nullptr);
    EXPECT_EQ(GetActiveWindow(), a);
    gLog.clear();
    HWND b = CreateWindowEx(0, u"Logger", u"b", WS_VISIBLE, 20, 20, 100, 100, nullptr, nullptr,
                            nullptr, nullptr);
    ASSERT_EQ(GetActiveWindow(), b);
    ASSERT_GE(gLog.size(), 2u);
    std::vector<std::pair<std::string, WORD>> acts;
    for (auto& l : gLog)
        if (l.msg == WM_ACTIVATE) acts.push_back({l.window, LOWORD(l.wp)});
    EXPECT_EQ(acts, (std::vector<std::pair<std::string, WORD>>{{"a", WA_INACTIVE}, {"b", WA_ACTIVE}}));
    EXPECT_EQ(GetFocus(), b);
    gLog.clear();
    screen.host().Key(VK_NEXT);
    screen.Settle();
    EXPECT_EQ(Messages("b", WM_KEYDOWN).size(), 1u);
    EXPECT_TRUE(Messages("a", WM_KEYDOWN).empty());
    // A tap on the window behind activates it, with WA_CLICKACTIVE.
    gLog.clear();
    screen.host().Tap(200, 300);
    screen.Settle();
    EXPECT_EQ(GetActiveWindow(), a);
    bool clickActivated = false;
    for (auto& l : gLog)
        if (l.window == "a" && l.msg == WM_ACTIVATE && LOWORD(l.wp) == WA_CLICKACTIVE)
            clickActivated = true;
    EXPECT_TRUE(clickActivated);
}

TEST_F(WindowsTest, F1AsksTheFocusForHelpAndAChildHandsTheRequestToItsParent) {
    HWND top = CreateWindowEx(0, u"Logger", u"top", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                              nullptr, nullptr);
    HWND kid = CreateWindowEx(0, u"Logger", u"kid", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, top,
                              nullptr, nullptr, nullptr);
    SetFocus(kid);
    gLog.clear();
    screen.host().Key(VK_F1);
    screen.Settle();
    EXPECT_EQ(Messages("kid", WM_KEYF1).size(), 1u);
    EXPECT_EQ(Messages("kid", WM_HELP).size(), 1u);
    EXPECT_EQ(Messages("top", WM_HELP).size(), 1u);
    EXPECT_TRUE(Messages("kid", WM_CHAR).empty());
    // Other keys ask for nothing.
    gLog.clear();
    screen.host().Key(VK_F1 + 1);
    screen.Settle();
    EXPECT_TRUE(Messages("top", WM_HELP).empty());
    EXPECT_TRUE(Messages("kid", WM_HELP).empty());
}

TEST_F(WindowsTest, TapsReachTheDeepestChildInItsClientCoordinates) {
    HWND main = CreateWindowEx(0, u"Logger", u"main", WS_VISIBLE, 0, 0, 240, 320, nullptr,
                               nullptr, nullptr, nullptr);
    HWND child = CreateWindowEx(0, u"Logger", u"child", WS_CHILD | WS_VISIBLE | WS_BORDER, 30, 40,
                                100, 100, main, nullptr, nullptr, nullptr);
    (void)child;
    screen.Settle();
    gLog.clear();
    screen.host().Tap(50, 70);
    screen.Settle();
    ASSERT_EQ(gLog.size(), 2u);
    EXPECT_EQ(gLog[0].window, "child");
    EXPECT_EQ(gLog[0].msg, WM_LBUTTONDOWN);
    // 50 - 30 - 1 (border), 70 - 40 - 1
    EXPECT_EQ(GET_X_LPARAM(gLog[0].lp), 19);
    EXPECT_EQ(GET_Y_LPARAM(gLog[0].lp), 29);
    EXPECT_EQ(gLog[1].msg, WM_LBUTTONUP);
}

// A static that asks for no notifications lets the tap through to the window under it, as
// Win32's HTTRANSPARENT does; one with SS_NOTIFY takes it.
TEST_F(WindowsTest, TapsPassThroughStaticsThatAskForNoNotifications) {
    HWND main = CreateWindowEx(0, u"Logger", u"main", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                               nullptr, nullptr);
    CreateWindowEx(0, u"STATIC", u"picture", WS_CHILD | WS_VISIBLE, 30, 40, 100, 50, main, nullptr,
                   nullptr, nullptr);
    HWND notify = CreateWindowEx(0, u"STATIC", u"link", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 30, 100,
                                 100, 50, main, nullptr, nullptr, nullptr);
    screen.Settle();
    gLog.clear();
    screen.host().Tap(50, 70);
    screen.Settle();
    ASSERT_EQ(Messages("main", WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(gLog[0].lp), 50);
    EXPECT_EQ(GET_Y_LPARAM(gLog[0].lp), 70);
    gLog.clear();
    screen.host().Tap(50, 120);
    screen.Settle();
    EXPECT_TRUE(Messages("main", WM_LBUTTONDOWN).empty());
    (void)notify;
}

WNDPROC gSubclassed = nullptr;
int gSubclassHeard = 0;
LRESULT SubclassProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CHAR) {
        ++gSubclassHeard;
        return CallWindowProc(gSubclassed, w, WM_CHAR, wp == 'a' ? 'b' : wp, lp);
    }
    return CallWindowProc(gSubclassed, w, msg, wp, lp);
}

// Setting GWL_WNDPROC puts a procedure in front of the window's own, which it can still call.
TEST_F(WindowsTest, AWindowCanBeSubclassedThroughItsProcedureSlot) {
    HWND main = CreateWindowEx(0, u"Logger", u"main", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                               nullptr, nullptr);
    HWND edit = CreateWindowEx(0, u"EDIT", u"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, main, nullptr,
                               nullptr, nullptr);
    WNDPROC own = reinterpret_cast<WNDPROC>(GetWindowLong(edit, GWL_WNDPROC));
    ASSERT_NE(own, nullptr);
    gSubclassed = reinterpret_cast<WNDPROC>(
        SetWindowLong(edit, GWL_WNDPROC, reinterpret_cast<intptr_t>(SubclassProc)));
    EXPECT_EQ(gSubclassed, own);
    EXPECT_EQ(GetWindowLong(edit, GWL_WNDPROC), reinterpret_cast<intptr_t>(SubclassProc));
    SendMessage(edit, WM_CHAR, 'a', 1);
    SendMessage(edit, WM_CHAR, 'c', 1);
    char16_t text[8] = {};
    GetWindowText(edit, text, 8);
    EXPECT_EQ(std::u16string(text), u"bc");
    EXPECT_EQ(gSubclassHeard, 2);
    EXPECT_EQ(SetWindowLong(edit, GWL_WNDPROC, 0), 0);  // no procedure is refused
}

TEST_F(WindowsTest, DisabledWindowsGetNoInputAndDefaultSizeFollowsTheScreen) {
    HWND main = CreateWindowEx(0, u"Logger", u"main", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    RECT r;
    GetClientRect(main, &r);
    EXPECT_EQ(r.right, 240);
    EXPECT_EQ(r.bottom, 320);
    EnableWindow(main, FALSE);
    screen.Settle();
    gLog.clear();
    screen.host().Tap(10, 10);
    screen.Settle();
    EXPECT_TRUE(Messages("main", WM_LBUTTONDOWN).empty());
    screen.host().Resize(300, 200);
    screen.Settle();
    GetClientRect(main, &r);
    EXPECT_EQ(r.right, 300);
    EXPECT_EQ(r.bottom, 200);
    ASSERT_FALSE(Messages("main", WM_SIZE).empty());
}

TEST_F(WindowsTest, AcceleratorsTurnKeysIntoCommands) {
    HWND w = CreateWindowEx(0, u"Logger", u"w", WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                            nullptr, nullptr);
    static const ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'F', 40006}, {FVIRTKEY | FALT, VK_F3, 116},
                                 {FVIRTKEY, VK_F3, 117}};
    static const AcceleratorTable table{keys, 3};
    screen.Settle();
    gLog.clear();
    auto run = [&](unsigned vk, bool ctrl, bool alt) {
        screen.host().Key(vk, ctrl, alt);
        MSG m;
        for (;;) {
            if (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (!TranslateAccelerator(w, &table, &m)) DispatchMessage(&m);
            } else if (!screen.host().InjectNext()) {
                break;
            }
        }
    };
    run('F', true, false);
    run(VK_F3, false, true);
    run(VK_F3, false, false);
    run('F', false, false);  // no Ctrl: no command
    std::vector<WORD> commands;
    for (auto& l : gLog)
        if (l.msg == WM_COMMAND) commands.push_back(LOWORD(l.wp));
    EXPECT_EQ(commands, (std::vector<WORD>{40006, 116, 117}));
}

}  // namespace
