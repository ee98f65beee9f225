// EDIT, LISTBOX, auto radio BUTTON and SCROLLBAR: for each message the reader sends, its result
// and the notifications the parent hears, as a window system's conformance suite checks them.
#include "platform/user/controls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/user/dialog_template.h"
#include "platform/user/user.h"
#include "support/headless.h"

namespace {

struct Heard {
    UINT msg;
    WORD id;    // WM_COMMAND: control id; WM_VSCROLL: request code
    WORD code;  // WM_COMMAND: notification; WM_VSCROLL: position
    LPARAM lp;
    bool operator==(const Heard&) const = default;
};
std::vector<Heard> gHeard;

LRESULT ParentProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND || msg == WM_VSCROLL) gHeard.push_back({msg, LOWORD(wp), HIWORD(wp), lp});
    return DefWindowProc(w, msg, wp, lp);
}

std::vector<WORD> Notifications(WORD id) {
    std::vector<WORD> out;
    for (const Heard& h : gHeard)
        if (h.msg == WM_COMMAND && h.id == id) out.push_back(h.code);
    return out;
}

std::u16string TextOf(HWND w) {
    char16_t buf[256];
    GetWindowText(w, buf, 256);
    return buf;
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        gHeard.clear();
        parent = CreateWhiteWindow(u"Parent", ParentProc);
    }
    HWND Child(const char16_t* cls, DWORD style, int id, int x, int y, int w, int h,
               const char16_t* text = u"") {
        return CreateWindowEx(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                              reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
    }
    HeadlessScreen screen;
    HWND parent = nullptr;
};

// --- EDIT ---

TEST_F(ControlsTest, EditReplaceSelectionInsertsAndUndoFlagDecidesUndo) {
    HWND e = Child(u"EDIT", WS_BORDER | ES_AUTOHSCROLL, 10, 10, 10, 150, 20, u"abc");
    SendMessage(e, EM_SETSEL, 1, 2);
    gHeard.clear();
    SendMessage(e, EM_REPLACESEL, TRUE, LPARAM(u"XY"));
    EXPECT_EQ(TextOf(e), u"aXYc");
    EXPECT_EQ(Notifications(10), (std::vector<WORD>{EN_UPDATE, EN_CHANGE}));
    DWORD a = 99, b = 99;
    LRESULT packed = SendMessage(e, EM_GETSEL, WPARAM(&a), LPARAM(&b));
    EXPECT_EQ(a, 3u);  // the caret stands after the inserted text
    EXPECT_EQ(b, 3u);
    EXPECT_EQ(packed, MAKELPARAM(3, 3));
    EXPECT_TRUE(SendMessage(e, EM_CANUNDO, 0, 0));
    EXPECT_TRUE(SendMessage(e, EM_UNDO, 0, 0));
    EXPECT_EQ(TextOf(e), u"abc");
    // Without the undo flag the change cannot be undone.
    SendMessage(e, EM_REPLACESEL, FALSE, LPARAM(u"Z"));
    EXPECT_FALSE(SendMessage(e, EM_CANUNDO, 0, 0));
    EXPECT_FALSE(SendMessage(e, EM_UNDO, 0, 0));
}

TEST_F(ControlsTest, EditKeyboardLettersGoInFrontOfThePreviousOnes) {
    // What the search keyboard does: insert one letter, then put the caret before it.
    HWND e = Child(u"EDIT", WS_BORDER | ES_RIGHT | ES_AUTOHSCROLL, 13, 10, 10, 150, 40);
    for (char16_t c : std::u16string(u"abc")) {
        char16_t one[2] = {c, 0};
        SendMessage(e, EM_REPLACESEL, 1, LPARAM(one));
        DWORD s = 0;
        SendMessage(e, EM_GETSEL, WPARAM(&s), 0);
        SendMessage(e, EM_SETSEL, s - 1, s - 1);
    }
    EXPECT_EQ(TextOf(e), u"cba");
}

TEST_F(ControlsTest, EditSetSelectionEdgeValues) {
    HWND e = Child(u"EDIT", ES_AUTOHSCROLL, 1, 0, 0, 100, 20, u"hello");
    DWORD a, b;
    SendMessage(e, EM_SETSEL, 0, -1);  // everything
    SendMessage(e, EM_GETSEL, WPARAM(&a), LPARAM(&b));
    EXPECT_EQ(a, 0u);
    EXPECT_EQ(b, 5u);
    SendMessage(e, EM_SETSEL, 4, 1);  // reversed: reported in order, the caret at 1
    SendMessage(e, EM_GETSEL, WPARAM(&a), LPARAM(&b));
    EXPECT_EQ(a, 1u);
    EXPECT_EQ(b, 4u);
    SendMessage(e, EM_SETSEL, -1, 0);  // start -1: no selection, the caret stays
    SendMessage(e, EM_GETSEL, WPARAM(&a), LPARAM(&b));
    EXPECT_EQ(a, 1u);
    EXPECT_EQ(b, 1u);
    SendMessage(e, EM_SETSEL, 2, 50);  // clipped to the text
    SendMessage(e, EM_GETSEL, WPARAM(&a), LPARAM(&b));
    EXPECT_EQ(b, 5u);
}

TEST_F(ControlsTest, EditLimitRefusesWhatDoesNotFitAndSaysSo) {
    HWND e = Child(u"EDIT", ES_AUTOHSCROLL, 7, 0, 0, 200, 20);
    SendMessage(e, EM_LIMITTEXT, 5, 0);
    EXPECT_EQ(SendMessage(e, EM_GETLIMITTEXT, 0, 0), 5);
    SendMessage(e, EM_REPLACESEL, 1, LPARAM(u"abc"));
    gHeard.clear();
    SendMessage(e, EM_REPLACESEL, 1, LPARAM(u"defg"));
    EXPECT_EQ(TextOf(e), u"abcde");
    EXPECT_EQ(Notifications(7), (std::vector<WORD>{EN_MAXTEXT, EN_UPDATE, EN_CHANGE}));
    // Typing at the limit changes nothing.
    gHeard.clear();
    SendMessage(e, WM_CHAR, u'x', 0);
    EXPECT_EQ(TextOf(e), u"abcde");
    EXPECT_EQ(Notifications(7), (std::vector<WORD>{EN_MAXTEXT}));
    // WM_SETTEXT is not limited; a replacement then only gets the room the limit leaves.
    SetWindowText(e, u"1234567");
    EXPECT_EQ(TextOf(e), u"1234567");
    SendMessage(e, EM_SETSEL, 0, 3);
    SendMessage(e, EM_REPLACESEL, 1, LPARAM(u"ab"));
    EXPECT_EQ(TextOf(e), u"a4567");
}

TEST_F(ControlsTest, EditTypingBackspaceDeleteAndArrows) {
    HWND e = Child(u"EDIT", ES_AUTOHSCROLL, 1, 0, 0, 200, 20);
    SetFocus(e);
    screen.host().Type(u"hallo");
    screen.host().Key(VK_LEFT);
    screen.host().Key(VK_LEFT);
    screen.host().Key(VK_BACK);
    screen.host().Type(u"e");
    screen.host().Key(VK_HOME);
    screen.host().Key(VK_DELETE);
    screen.Settle();
    // hallo -> hal|lo -> ha|lo -> hae|lo -> |haelo -> aelo
    EXPECT_EQ(TextOf(e), u"aelo");
}

TEST_F(ControlsTest, EditMultiLineWrapsRightAlignedAndSetFontRedraws) {
    // The sample field of the font dialog: 27 units with no space wrap where they must.
    HWND e =
        Child(u"EDIT", WS_BORDER | ES_MULTILINE | ES_RIGHT | ES_AUTOVSCROLL, 1002, 10, 10, 102, 60);
    std::u16string sample;
    for (int c = 0x5EA; c >= 0x5D0; --c) sample += char16_t(c);
    SetWindowText(e, sample.c_str());
    LOGFONT lf{};
    lf.lfHeight = 16;  // synthetic: 8 pixels a unit; 100 - 4 margin pixels hold 12 units
    HFONT font = CreateFontIndirect(&lf);
    SendMessage(e, WM_SETFONT, WPARAM(font), 1);
    EXPECT_EQ(SendMessage(e, EM_GETLINECOUNT, 0, 0), 3);  // 12 + 12 + 3
    screen.Settle();
    // Right aligned: the last line's three units end at the field's right margin. The client is
    // 100 wide inside the border, the margin 2: units at 74, 82, 90, each painting 7 columns.
    RECT r;
    GetWindowRect(e, &r);
    int x = r.left + 1, y = r.top + 1 + 1 + 2 * 16 + 10;  // inside the third line's ink
    EXPECT_EQ(screen.host().Pixel(x + 96, y), 0x000000u) << "last unit's ink";
    EXPECT_EQ(screen.host().Pixel(x + 97, y), 0xFFFFFFu) << "gap before the right margin";
    EXPECT_EQ(screen.host().Pixel(x + 73, y), 0xFFFFFFu) << "left of the short line";
    DeleteObject(font);
}

// A field lays out again only from the lines an edit can change: after any edit its lines are
// those of a field given the whole text at once. Random edits of every kind (typing, Backspace,
// Delete, pasting words and line breaks, replacing a selection) in fields of several widths.
TEST_F(ControlsTest, EditLinesAfterAnyEditAreThoseOfTheWholeTextLaidOutAgain) {
    const std::u16string pieces[] = {u"a",    u" ",       u"\u05D0",
                                     u"\r\n", u"ab cd ",  u"word",
                                     u"  ",   u"x y z w", u"\u05D1\u05D2\u05D3 \u05D4"};
    uint32_t seed = 31;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    for (int width : {24, 40, 61, 100}) {
        HWND e = Child(u"EDIT", ES_MULTILINE, 1003, 0, 0, width, 200);
        HWND fresh = Child(u"EDIT", ES_MULTILINE, 1004, 0, 0, width, 200);
        for (int step = 0; step < 400; ++step) {
            int n = int(SendMessage(e, WM_GETTEXTLENGTH, 0, 0));
            int at = int(next(uint32_t(n) + 1)), len = int(next(4));
            switch (next(4)) {
                case 0:
                    SendMessage(e, EM_SETSEL, at, at);
                    SendMessage(e, WM_CHAR, next(3) ? u'a' + next(3) : u' ', 1);
                    break;
                case 1:
                    SendMessage(e, EM_SETSEL, at, at);
                    SendMessage(e, WM_CHAR, 0x08, 1);
                    break;
                case 2:
                    SendMessage(e, EM_SETSEL, at, std::min(n, at + len));
                    SendMessage(e, WM_KEYDOWN, VK_DELETE, 1);
                    break;
                default:
                    SendMessage(e, EM_SETSEL, at, std::min(n, at + len));
                    SendMessage(e, EM_REPLACESEL, TRUE,
                                LPARAM(pieces[next(std::size(pieces))].c_str()));
            }
            std::u16string now(size_t(SendMessage(e, WM_GETTEXTLENGTH, 0, 0)) + 1, u'\0');
            GetWindowText(e, now.data(), int(now.size()));
            now.pop_back();
            SetWindowText(fresh, now.c_str());
            int lines = int(SendMessage(fresh, EM_GETLINECOUNT, 0, 0));
            ASSERT_EQ(SendMessage(e, EM_GETLINECOUNT, 0, 0), lines)
                << "width " << width << ", step " << step;
            for (int i = 0; i < lines; ++i)
                ASSERT_EQ(SendMessage(e, EM_LINEINDEX, i, 0),
                          SendMessage(fresh, EM_LINEINDEX, i, 0))
                    << "width " << width << ", step " << step << ", line " << i;
        }
        DestroyWindow(e);
        DestroyWindow(fresh);
    }
}

TEST_F(ControlsTest, EditCopyPasteThroughTheClipboard) {
    HWND e = Child(u"EDIT", ES_AUTOHSCROLL, 1, 0, 0, 200, 20, u"copy me");
    SendMessage(e, EM_SETSEL, 0, 4);
    SendMessage(e, WM_COPY, 0, 0);
    SendMessage(e, EM_SETSEL, 7, 7);
    SendMessage(e, WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(e), u"copy mecopy");
    EXPECT_EQ(screen.host().systemClipboard().text, "copy");
}

// --- LISTBOX ---

TEST_F(ControlsTest, ListBoxSortedAddAndSelectByPrefix) {
    HWND lb =
        Child(u"LISTBOX", WS_BORDER | WS_VSCROLL | LBS_SORT | LBS_NOTIFY, 1001, 0, 0, 120, 90);
    EXPECT_EQ(SendMessage(lb, LB_ADDSTRING, 0, LPARAM(u"Tahoma")), 0);
    EXPECT_EQ(SendMessage(lb, LB_ADDSTRING, 0, LPARAM(u"Arial")), 0);
    EXPECT_EQ(SendMessage(lb, LB_ADDSTRING, 0, LPARAM(u"david CLM")), 1);
    EXPECT_EQ(SendMessage(lb, LB_ADDSTRING, 0, LPARAM(u"David")), 1);
    EXPECT_EQ(SendMessage(lb, LB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), LB_ERR);
    gHeard.clear();
    // From the top (-1): the first item that begins with the text, case ignored.
    EXPECT_EQ(SendMessage(lb, LB_SELECTSTRING, WPARAM(-1), LPARAM(u"DAV")), 1);
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 1);
    char16_t buf[32];
    EXPECT_EQ(SendMessage(lb, LB_GETTEXT, 1, LPARAM(buf)), 5);
    EXPECT_EQ(std::u16string(buf), u"David");
    EXPECT_EQ(SendMessage(lb, LB_GETTEXTLEN, 2, 0), 9);
    // The search starts after the given item and wraps round.
    EXPECT_EQ(SendMessage(lb, LB_SELECTSTRING, 1, LPARAM(u"dav")), 2);
    EXPECT_EQ(SendMessage(lb, LB_SELECTSTRING, 2, LPARAM(u"dav")), 1);
    // No match: LB_ERR and the selection stays.
    EXPECT_EQ(SendMessage(lb, LB_SELECTSTRING, WPARAM(-1), LPARAM(u"Zz")), LB_ERR);
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(Notifications(1001).empty()) << "programmatic selection does not notify";
    EXPECT_EQ(SendMessage(lb, LB_GETTEXT, 9, LPARAM(buf)), LB_ERR);
    SendMessage(lb, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessage(lb, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(ControlsTest, ListBoxUnsortedKeepsOrderAndSizesSelectByNumber) {
    HWND lb = Child(u"LISTBOX", LBS_NOTIFY, 1006, 0, 0, 40, 60);
    for (const char16_t* s : {u"8", u"10", u"11", u"12", u"14"})
        SendMessage(lb, LB_ADDSTRING, 0, LPARAM(s));
    EXPECT_EQ(SendMessage(lb, LB_SELECTSTRING, WPARAM(-1), LPARAM(u"12")), 3);
    EXPECT_EQ(SendMessage(lb, LB_SELECTSTRING, WPARAM(-1), LPARAM(u"1")), 1) << "prefix match";
    EXPECT_EQ(SendMessage(lb, LB_SELECTSTRING, WPARAM(-1), LPARAM(u"13")), LB_ERR);
}

TEST_F(ControlsTest, ListBoxTapAndKeysSelectAndNotify) {
    // Synthetic font: 16-pixel items.
    HWND lb = Child(u"LISTBOX", LBS_NOTIFY, 5, 0, 0, 100, 64);
    for (const char16_t* s : {u"a", u"b", u"c", u"d", u"e", u"f"})
        SendMessage(lb, LB_ADDSTRING, 0, LPARAM(s));
    gHeard.clear();
    screen.host().Tap(20, 16 * 2 + 5);
    screen.Settle();
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(Notifications(5), (std::vector<WORD>{LBN_SETFOCUS, LBN_SELCHANGE}));
    gHeard.clear();
    screen.host().Key(VK_DOWN);
    screen.host().Key(VK_END);
    screen.Settle();
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 5);
    EXPECT_EQ(SendMessage(lb, LB_GETTOPINDEX, 0, 0), 2) << "the selection is scrolled into view";
    EXPECT_EQ(Notifications(5), (std::vector<WORD>{LBN_SELCHANGE, LBN_SELCHANGE}));
}

// --- auto radio BUTTON ---

TEST_F(ControlsTest, AutoRadioButtonsCheckOnlyWithinTheirGroup) {
    HWND other = Child(u"BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 1, 0, 0, 50, 12, u"x");
    HWND a = Child(u"BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 1004, 0, 20, 50, 12, u"224");
    HWND b = Child(u"BUTTON", BS_AUTORADIOBUTTON, 1005, 0, 40, 50, 12, u"5D0");
    SendMessage(other, BM_SETCHECK, BST_CHECKED, 0);
    SendMessage(a, BM_SETCHECK, BST_CHECKED, 0);
    // BM_SETCHECK checks only the button it is sent to.
    EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), LRESULT(BST_UNCHECKED));
    gHeard.clear();
    screen.host().Tap(5, 45);
    screen.Settle();
    EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), LRESULT(BST_CHECKED));
    EXPECT_EQ(SendMessage(a, BM_GETCHECK, 0, 0), LRESULT(BST_UNCHECKED));
    EXPECT_EQ(SendMessage(other, BM_GETCHECK, 0, 0), LRESULT(BST_CHECKED)) << "another group";
    EXPECT_EQ(Notifications(1005), (std::vector<WORD>{BN_CLICKED}));
}

// Radio buttons are round, 11 pixels across, with a round dot of 5 when checked.
TEST_F(ControlsTest, AutoRadioButtonsAreRoundWithADotWhenChecked) {
    HWND on = Child(u"BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 1004, 10, 20, 50, 11, u"224");
    HWND off = Child(u"BUTTON", BS_AUTORADIOBUTTON, 1005, 10, 40, 50, 11, u"5D0");
    SendMessage(on, BM_SETCHECK, BST_CHECKED, 0);
    screen.Settle();
    auto px = [&](int x, int y) { return screen.host().Pixel(x, y); };
    for (int top : {20, 40}) {
        // The circle: its box's corners stay white; its outline touches the box's sides in
        // their middles, and rounds off one pixel in from the corners.
        EXPECT_EQ(px(10, top), 0xFFFFFFu) << top;
        EXPECT_EQ(px(20, top + 10), 0xFFFFFFu) << top;
        EXPECT_EQ(px(11, top + 1), 0xFFFFFFu) << top;
        EXPECT_EQ(px(15, top), 0u) << top;
        EXPECT_EQ(px(10, top + 5), 0u) << top;
        EXPECT_EQ(px(20, top + 5), 0u) << top;
        EXPECT_EQ(px(15, top + 10), 0u) << top;
        EXPECT_EQ(px(12, top + 1), 0u) << top;
    }
    // The dot: rows 3 to 7 of the box, without its own corners.
    EXPECT_EQ(px(15, 25), 0u);
    EXPECT_EQ(px(13, 24), 0u);
    EXPECT_EQ(px(17, 26), 0u);
    EXPECT_EQ(px(13, 23), 0xFFFFFFu);
    EXPECT_EQ(px(15, 22), 0xFFFFFFu);
    ASSERT_EQ(SendMessage(off, BM_GETCHECK, 0, 0), LRESULT(BST_UNCHECKED));
    EXPECT_EQ(px(15, 45), 0xFFFFFFu) << "no dot when not checked";
    EXPECT_EQ(px(13, 44), 0xFFFFFFu);
}

// --- SCROLLBAR and window scroll bars ---

class ScrollBarTest : public ControlsTest {
protected:
    // A 13 x 113 bar: 13-pixel arrows, a 87-pixel trough.
    void SetUp() override {
        ControlsTest::SetUp();
        bar = Child(u"SCROLLBAR", SBS_VERT, 77, 100, 50, 13, 113);
        SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 10, 0, 0};
        EXPECT_EQ(SendMessage(bar, SBM_SETSCROLLINFO, TRUE, LPARAM(&si)), 0);
        gHeard.clear();
    }
    std::vector<Heard> Scrolls() {
        std::vector<Heard> out;
        for (const Heard& h : gHeard)
            if (h.msg == WM_VSCROLL) out.push_back(h);
        return out;
    }
    HWND bar = nullptr;
};

TEST_F(ScrollBarTest, SetScrollInfoClampsThePosition) {
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 500, 0};
    EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &si, TRUE), 91);  // max - page + 1
    si.nPos = -4;
    EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &si, TRUE), 0);
    SCROLLINFO out{sizeof out, SIF_ALL, -1, -1, 99, -1, -1};
    EXPECT_TRUE(GetScrollInfo(bar, SB_CTL, &out));
    EXPECT_EQ(out.nMin, 0);
    EXPECT_EQ(out.nMax, 100);
    EXPECT_EQ(out.nPage, 10u);
}

TEST_F(ScrollBarTest, ArrowsAndTroughSendLineAndPageRequests) {
    screen.host().Tap(106, 55);   // top arrow
    screen.host().Tap(106, 157);  // bottom arrow
    screen.host().Tap(106, 140);  // trough below the thumb
    screen.Settle();
    std::vector<Heard> want = {
        {WM_VSCROLL, SB_LINEUP, 0, LPARAM(bar)},   {WM_VSCROLL, SB_ENDSCROLL, 0, LPARAM(bar)},
        {WM_VSCROLL, SB_LINEDOWN, 0, LPARAM(bar)}, {WM_VSCROLL, SB_ENDSCROLL, 0, LPARAM(bar)},
        {WM_VSCROLL, SB_PAGEDOWN, 0, LPARAM(bar)}, {WM_VSCROLL, SB_ENDSCROLL, 0, LPARAM(bar)},
    };
    EXPECT_EQ(Scrolls(), want);
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksThenSetsThePosition) {
    // Thumb: 87 * 10 / 101 = 8 pixels at the trough's top (y 63 .. 70 on the screen); the
    // trough leaves 79 pixels of travel for positions 0 .. 91.
    screen.host().Press(106, 65);
    screen.host().Drag(106, 65 + 40);  // 40 * 91 / 79 = 46.07 -> 46
    screen.host().Drag(106, 65 + 79);  // the end of the travel: 91
    screen.host().Release(106, 65 + 200);
    screen.Settle();
    std::vector<Heard> want = {
        {WM_VSCROLL, SB_THUMBTRACK, 46, LPARAM(bar)},
        {WM_VSCROLL, SB_THUMBTRACK, 91, LPARAM(bar)},
        {WM_VSCROLL, SB_THUMBPOSITION, 91, LPARAM(bar)},
        {WM_VSCROLL, SB_ENDSCROLL, 0, LPARAM(bar)},
    };
    EXPECT_EQ(Scrolls(), want);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 0) << "the bar does not move itself";
}

LRESULT ScrollingProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_VSCROLL || msg == WM_SIZE) gHeard.push_back({msg, LOWORD(wp), HIWORD(wp), lp});
    return DefWindowProc(w, msg, wp, lp);
}

TEST_F(ControlsTest, WindowBarAppearsWithARangeAndTapsReachTheWindow) {
    HWND w = CreateWhiteWindow(u"Scrolling", ScrollingProc);
    gHeard.clear();
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_POS, 0, 20, 0, 3, 0};
    EXPECT_EQ(SetScrollInfo(w, SB_VERT, &si, TRUE), 3);
    EXPECT_TRUE(GetWindowStyle(w) & WS_VSCROLL);
    RECT c;
    GetClientRect(w, &c);
    EXPECT_EQ(c.right, 240 - GetSystemMetrics(SM_CXVSCROLL));
    ASSERT_FALSE(gHeard.empty());
    EXPECT_EQ(gHeard[0], (Heard{WM_SIZE, 0, 0, MAKELPARAM(c.right, 320)}));
    gHeard.clear();
    screen.host().Tap(233, 316);  // the bottom arrow
    screen.Settle();
    EXPECT_EQ(gHeard, (std::vector<Heard>{{WM_VSCROLL, SB_LINEDOWN, 0, 0},
                                          {WM_VSCROLL, SB_ENDSCROLL, 0, 0}}));
    // Nothing left to scroll: the bar goes and the client grows back.
    si.nMax = 0;
    SetScrollInfo(w, SB_VERT, &si, TRUE);
    EXPECT_FALSE(GetWindowStyle(w) & WS_VSCROLL);
    GetClientRect(w, &c);
    EXPECT_EQ(c.right, 240);
}

}  // namespace
