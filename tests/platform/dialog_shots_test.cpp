// The program's dialog templates, run on a 240 x 320 headless screen with the real fonts: each
// fits on the screen with every control inside its client area, and a snapshot of each is left
// in the test's working folder (dialog_<id>.png) for a person to look at.
#include <gtest/gtest.h>

#include <string>

#include "platform/gdi/gdi.h"
#include "platform/resources.h"
#include "platform/unicode.h"
#include "platform/user/controls.h"
#include "platform/user/dialog_template.h"
#include "platform/user/user.h"
#include "resources/program_resources.h"
#include "support/headless.h"

namespace {

// Fills the controls as the reader would, so the snapshots show the dialogs in use.
LRESULT ShowcaseProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        if (HWND faces = GetDlgItem(dlg, 1001)) {
            for (const char16_t* f :
                 {u"David CLM", u"DejaVu Sans", u"Miriam Mono CLM", u"Aharoni CLM",
                  u"Frank Ruehl CLM", u"Simple CLM", u"Hadasim CLM", u"Ellinia CLM"})
                SendMessage(faces, LB_ADDSTRING, 0, LPARAM(f));
            SendMessage(faces, LB_SELECTSTRING, WPARAM(-1), LPARAM(u"David"));
            HWND sizes = GetDlgItem(dlg, 1006);
            for (const char16_t* s : {u"10", u"11", u"12", u"14", u"16", u"18", u"20", u"22"})
                SendMessage(sizes, LB_ADDSTRING, 0, LPARAM(s));
            SendMessage(sizes, LB_SELECTSTRING, WPARAM(-1), LPARAM(u"12"));
            std::u16string sample;
            for (int c = 0x5EA; c >= 0x5D0; --c) sample += char16_t(c);
            SetDlgItemText(dlg, 1002, sample.c_str());
            SendMessage(GetDlgItem(dlg, 1005), BM_SETCHECK, BST_CHECKED, 0);
        }
        if (HWND field = GetDlgItem(dlg, 1013)) {
            SendMessage(field, EM_LIMITTEXT, 33, 0);
            SetWindowText(field, u"\u05E9\u05DE\u05E9");
        }
        return TRUE;
    }
    if (msg == WM_DRAWITEM) {  // the About link: blue on white
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        char16_t text[100];
        GetWindowText(dis->hwndItem, text, 100);
        SetTextColor(dis->hDC, RGB(0, 0, 255));
        SetBkMode(dis->hDC, TRANSPARENT);
        ExtTextOut(dis->hDC, 1, 0, ETO_CLIPPED, &dis->rcItem, text, UINT(WideLength(text)),
                   nullptr);
        return TRUE;
    }
    if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        EndDialog(dlg, LOWORD(wp));
        return TRUE;
    }
    return FALSE;
}

class DialogShotsTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { RegisterProgramResources(); }
    HeadlessScreen screen{240, 320, Fonts::Real};
};

TEST_P(DialogShotsTest, FitsTheScreenAndLeavesASnapshot) {
    int id = GetParam();
    bool looked = false;
    screen.onIdle = [&] {
        if (looked) return false;
        looked = true;
        HWND dlg = GetActiveWindow();
        RECT wr;
        GetWindowRect(dlg, &wr);
        EXPECT_GE(wr.left, 0);
        EXPECT_GE(wr.top, 0);
        EXPECT_LE(wr.right, 240);
        EXPECT_LE(wr.bottom, 320);
        RECT client;
        GetClientRect(dlg, &client);
        for (int cid : {1001, 1002, 1004, 1005, 1006, 1013, 1014, 1025}) {
            HWND c = GetDlgItem(dlg, cid);
            if (!c) continue;
            RECT r;
            GetWindowRect(c, &r);
            POINT a{r.left, r.top}, z{r.right, r.bottom};
            ScreenToClient(dlg, &a);
            ScreenToClient(dlg, &z);
            EXPECT_TRUE(a.x >= 0 && a.y >= 0 && z.x <= client.right && z.y <= client.bottom)
                << "control " << cid << " of dialog " << id << " reaches " << z.x << "," << z.y
                << " in a client of " << client.right << "x" << client.bottom;
        }
        UpdateWindow(dlg);
        std::string file = "dialog_" + std::to_string(id) + ".png";
        EXPECT_TRUE(screen.host().SavePng(file)) << file;
        PostMessage(dlg, WM_COMMAND, IDCANCEL, 0);
        return true;
    };
    EXPECT_EQ(DialogBoxParam(ProgramInstance(), WORD(id), nullptr, ShowcaseProc, 0), IDCANCEL);
    EXPECT_TRUE(looked);
}

INSTANTIATE_TEST_SUITE_P(ProgramDialogs, DialogShotsTest, ::testing::Values(103, 105, 115, 118));

TEST(DialogTemplates, SearchKeyboardBitmapIsItsNaturalSize) {
    HeadlessScreen screen;
    RegisterProgramResources();
    HBITMAP keyboard = LoadBitmap(ProgramInstance(), 119);
    ASSERT_NE(keyboard, nullptr);
    BITMAP bm{};
    GetObject(keyboard, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 154);
    EXPECT_EQ(bm.bmHeight, 95);
    DeleteObject(keyboard);
    for (WORD id : {113, 114, 201, 202, 203}) {
        HBITMAP b = LoadBitmap(ProgramInstance(), id);
        EXPECT_NE(b, nullptr) << id;
        DeleteObject(b);
    }
    EXPECT_NE(LoadIcon(ProgramInstance(), 101), nullptr);
}

}  // namespace
