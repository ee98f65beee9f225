// Modal dialogs from templates, their controls and the dialog manager's keys, and message boxes.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/user/dialog_template.h"
#include "platform/user/screen_query.h"
#include "platform/user/user.h"
#include "support/headless.h"

namespace {

struct DialogLog {
    LPARAM initParam = 0;
    bool ownerEnabledInside = true;
    std::vector<std::pair<WORD, WORD>> commands;  // id, notification
    std::vector<RECT> drawn;
    HWND owner = nullptr;
} gDlg;

LRESULT TestDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG:
            gDlg.initParam = lp;
            gDlg.ownerEnabledInside = IsWindowEnabled(gDlg.owner);
            return TRUE;
        case WM_COMMAND:
            gDlg.commands.push_back({LOWORD(wp), HIWORD(wp)});
            if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(dlg, LOWORD(wp) + 100);
            return TRUE;
        case WM_DRAWITEM: {
            auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            gDlg.drawn.push_back(dis->rcItem);
            FillRect(dis->hDC, &dis->rcItem, GetStockObject(BLACK_BRUSH));
            return TRUE;
        }
    }
    return FALSE;
}

const DialogItemTemplate kItems[] = {
    {u"STATIC", u"Label", 100, WS_VISIBLE | SS_LEFT, 0, 4, 4, 60, 10},
    {u"BUTTON", u"&Go", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 10, 20, 40, 14},
    {u"BUTTON", u"Other", 200, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 60, 20, 40, 14},
    {u"BUTTON", u"", 300, WS_VISIBLE | BS_OWNERDRAW, 0, 10, 40, 20, 16},
};
const DialogTemplate kTemplate{WS_POPUP | WS_CAPTION | DS_SETFONT, WS_EX_CAPTIONOKBTN, 0, 0, 120, 70,
                               u"Test Dialog", u"Tahoma", 8, kItems, 4};

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        gDlg = DialogLog{};
        WNDCLASS wc{};
        wc.lpfnWndProc = DefWindowProc;
        wc.lpszClassName = u"Owner";
        RegisterClass(&wc);
        owner = CreateWindowEx(0, u"Owner", u"", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                               nullptr, nullptr);
        gDlg.owner = owner;
        screen.onIdle = [this] {
            if (steps.empty()) return false;
            auto step = steps.front();
            steps.pop_front();
            step();
            return true;
        };
    }
    // Screen centre of a dialog item.
    POINT Centre(int id) {
        ModalInfo info;
        EXPECT_TRUE(DescribeActiveModal(&info));
        RECT r;
        GetWindowRect(GetDlgItem(info.window, id), &r);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    HeadlessScreen screen;
    HWND owner = nullptr;
    std::deque<std::function<void()>> steps;
};

TEST_F(DialogsTest, ItemsArePlacedInDialogUnitsOfTheDialogFont) {
    // Synthetic 8-point font: 11 pixels high, average width 5: x * 5 / 4 and y * 11 / 8.
    steps.push_back([&] {
        ModalInfo info;
        ASSERT_TRUE(DescribeActiveModal(&info));
        EXPECT_EQ(info.caption, u"Test Dialog");
        EXPECT_FALSE(info.messageBox);
        RECT client;
        GetClientRect(info.window, &client);
        EXPECT_EQ(client.right, 150);   // 120 * 5 / 4
        EXPECT_EQ(client.bottom, 96);   // 70 * 11 / 8, rounded
        RECT r;
        GetWindowRect(GetDlgItem(info.window, IDOK), &r);
        POINT origin{0, 0};
        ClientToScreen(info.window, &origin);
        EXPECT_EQ(r.left - origin.x, 13);  // 10 du
        EXPECT_EQ(r.top - origin.y, 28);   // 20 du
        EXPECT_EQ(r.right - r.left, 50);   // 40 du
        EXPECT_EQ(r.bottom - r.top, 19);   // 14 du
        EndDialog(info.window, 5);
    });
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, &kTemplate, owner, TestDialogProc, 1234), 5);
    EXPECT_EQ(gDlg.initParam, 1234);
    EXPECT_FALSE(gDlg.ownerEnabledInside);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetActiveWindow(), owner);
}

TEST_F(DialogsTest, EnterPressesTheDefaultButtonAndEscapeCancels) {
    steps.push_back([&] { screen.host().Key(VK_RETURN); });
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, &kTemplate, owner, TestDialogProc, 0), 101);
    steps.push_back([&] { screen.host().Key(VK_ESCAPE); });
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, &kTemplate, owner, TestDialogProc, 0), 102);
    EXPECT_EQ(gDlg.commands,
              (std::vector<std::pair<WORD, WORD>>{{IDOK, BN_CLICKED}, {IDCANCEL, BN_CLICKED}}));
}

TEST_F(DialogsTest, TapsOnButtonsAndTheCaptionOkNotifyTheDialog) {
    steps.push_back([&] {
        POINT p = Centre(200);
        screen.host().Tap(p.x, p.y);
    });
    steps.push_back([&] {
        // A tap that leaves the button before it is lifted is no click.
        POINT p = Centre(200);
        screen.host().Press(p.x, p.y);
        screen.host().Drag(p.x + 100, p.y + 100);
        screen.host().Release(p.x + 100, p.y + 100);
    });
    steps.push_back([&] {
        ModalInfo info;
        DescribeActiveModal(&info);
        RECT r;
        GetWindowRect(info.window, &r);
        screen.host().Tap(r.right - 15, r.top + 10);  // the caption's ok
    });
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, &kTemplate, owner, TestDialogProc, 0), 101);
    EXPECT_EQ(gDlg.commands,
              (std::vector<std::pair<WORD, WORD>>{{200, BN_CLICKED}, {IDOK, BN_CLICKED}}));
}

TEST_F(DialogsTest, OwnerDrawnButtonsAreDrawnByTheDialog) {
    steps.push_back([&] {
        POINT p = Centre(300);
        EXPECT_EQ(screen.host().Pixel(p.x, p.y), 0x000000u);
        EndDialog(GetActiveWindow(), 0);
    });
    DialogBoxIndirectParam(nullptr, &kTemplate, owner, TestDialogProc, 0);
    ASSERT_FALSE(gDlg.drawn.empty());
    EXPECT_EQ(gDlg.drawn[0].right, 25);   // 20 du
    EXPECT_EQ(gDlg.drawn[0].bottom, 22);  // 16 du
}

TEST_F(DialogsTest, DestroyingTheOwnerEndsTheDialog) {
    steps.push_back([&] { DestroyWindow(owner); });
    // No caller may take the answer of a dialog nobody answered for a choice.
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, &kTemplate, owner, TestDialogProc, 0), 0);
    EXPECT_FALSE(IsWindow(owner));
}

TEST_F(DialogsTest, AQuitRequestEndsTheDialogAndReachesTheOuterLoop) {
    steps.push_back([&] { PostQuitMessage(3); });
    DialogBoxIndirectParam(nullptr, &kTemplate, owner, TestDialogProc, 0);
    MSG m{};
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE) && m.message == WM_NULL) {
    }
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 3u);
}

TEST_F(DialogsTest, MessageBoxStylesAndResults) {
    screen.messageBoxAnswer = IDNO;
    EXPECT_EQ(MessageBox(owner, u"Remove Bookmark?\n\nCancel - Don't ask again", u"Bookmark", 3),
              IDNO);
    screen.messageBoxAnswer = IDCANCEL;
    EXPECT_EQ(MessageBox(owner, u"Question", u"Q", MB_YESNOCANCEL), IDCANCEL);
    screen.messageBoxAnswer = 0;
    EXPECT_EQ(MessageBox(owner, u"Question", u"Q", MB_YESNOCANCEL), IDYES);
    EXPECT_EQ(MessageBox(nullptr, u"Resource not found", u"Error", 48), IDOK);
    EXPECT_EQ(MessageBox(nullptr, u"UnCompress() buffer error!", nullptr, 0), IDOK);
    ASSERT_EQ(screen.messageBoxes.size(), 5u);
    EXPECT_EQ(screen.messageBoxes[0].caption, u"Bookmark");
    EXPECT_EQ(screen.messageBoxes[0].text, u"Remove Bookmark?\n\nCancel - Don't ask again");
    EXPECT_EQ(screen.messageBoxes[0].style, 3u);
    EXPECT_EQ(screen.messageBoxes[3].style, 48u);
    EXPECT_EQ(screen.messageBoxes[4].caption, u"Error");
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(DialogsTest, MessageBoxButtonsAnswerTapsAndKeys) {
    screen.answerMessageBoxes = false;
    auto tapButton = [this](const char16_t* text) {
        ModalInfo info;
        ASSERT_TRUE(DescribeActiveModal(&info));
        HWND b = FindButtonByText(info.window, text);
        ASSERT_NE(b, nullptr);
        RECT r;
        GetWindowRect(b, &r);
        screen.host().Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    };
    steps.push_back([&] { tapButton(u"No"); });
    EXPECT_EQ(MessageBox(owner, u"Text", u"Caption", MB_YESNOCANCEL), IDNO);
    steps.push_back([&] { tapButton(u"Cancel"); });
    EXPECT_EQ(MessageBox(owner, u"Text", u"Caption", MB_YESNOCANCEL), IDCANCEL);
    steps.push_back([&] { screen.host().Key(VK_ESCAPE); });
    EXPECT_EQ(MessageBox(owner, u"Text", u"Caption", MB_YESNOCANCEL), IDCANCEL);
    // A box with only OK answers OK to Escape and to its caption button.
    steps.push_back([&] { screen.host().Key(VK_ESCAPE); });
    EXPECT_EQ(MessageBox(owner, u"Text", u"Caption", MB_OK), IDOK);
    steps.push_back([&] {
        RECT r;
        GetWindowRect(GetActiveWindow(), &r);
        screen.host().Tap(r.right - 15, r.top + 10);
    });
    EXPECT_EQ(MessageBox(owner, u"Text", u"Caption", MB_OK), IDOK);
    steps.push_back([&] { screen.host().Key(VK_RETURN); });
    EXPECT_EQ(MessageBox(owner, u"Text", u"Caption", MB_YESNOCANCEL), IDYES);
}

TEST_F(DialogsTest, MessageBoxShowsItsTextAndIconOverItsOwner) {
    screen.answerMessageBoxes = false;
    steps.push_back([&] {
        HWND box = GetActiveWindow();
        RECT r;
        GetWindowRect(box, &r);
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.right, 240);
        POINT icon{9, 9};
        ClientToScreen(box, &icon);
        EXPECT_EQ(screen.host().Pixel(icon.x, icon.y), 0xC80000u);  // the stop icon
        int dark = 0;  // the text, right of the icon
        POINT text{40, 8};
        ClientToScreen(box, &text);
        for (int y = text.y; y < text.y + 30; ++y)
            for (int x = text.x; x < r.right - 8; ++x)
                if (screen.host().Pixel(x, y) == 0) ++dark;
        EXPECT_GT(dark, 50);
        screen.host().Key(VK_RETURN);
    });
    EXPECT_EQ(MessageBox(owner, u"There is not enough memory, aborting", u"Error", MB_ICONSTOP),
              IDOK);
}

}  // namespace
