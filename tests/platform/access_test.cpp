// The accessible tree of the platform's own controls: roles, names, states and screen places
// from the window records, and the changes a screen reader is told.
#include <gtest/gtest.h>

#include "platform/access/access_tree.h"
#include "platform/user/controls.h"
#include "platform/user/dialog_template.h"
#include "platform/user/user.h"
#include "support/headless.h"

namespace {

LRESULT PlainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProc(w, msg, wp, lp);
}

class AccessTreeTest : public ::testing::Test {
protected:
    void SetUp() override { parent = CreateWhiteWindow(u"AccessParent", PlainProc, 200, 200); }
    HWND Child(const char16_t* cls, DWORD style, int id, RECT r, const char16_t* text = u"") {
        return CreateWindowEx(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, parent,
                              reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
    }
    const AccessNode* Named(const AccessSnapshot& s, const std::u16string& name, AccessRole role) {
        for (const AccessNode& n : s.nodes)
            if (n.name == name && n.role == role) return &n;
        ADD_FAILURE() << "no node named as asked";
        return nullptr;
    }
    HeadlessScreen screen;
    HWND parent = nullptr;
};

TEST_F(AccessTreeTest, ControlsTakeRoleFromClassAndStyleAndNameFromTextOrLabel) {
    Child(u"STATIC", SS_LEFT, -1, {10, 10, 60, 20}, u"&Families");
    HWND list = Child(u"LISTBOX", LBS_NOTIFY, 5, {10, 20, 110, 80});
    HWND radio = Child(u"BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 6, {120, 20, 190, 34}, u"&Big");
    Child(u"BUTTON", BS_DEFPUSHBUTTON, IDOK, {120, 40, 190, 60}, u"OK");
    for (const char16_t* item : {u"Alef", u"Bet", u"Gimel"})
        SendMessage(list, LB_ADDSTRING, 0, LPARAM(item));
    SendMessage(list, LB_SETCURSEL, 1, 0);
    SendMessage(radio, BM_SETCHECK, BST_CHECKED, 0);
    SetFocus(list);

    AccessSnapshot s = AccessTakeSnapshot();
    ASSERT_GE(s.nodes.size(), 2u);
    EXPECT_EQ(s.nodes[0].role, AccessRole::Application);
    EXPECT_EQ(s.nodes[0].name, u"Orvanel");
    const AccessNode* listNode =
        Named(s, u"Families", AccessRole::List);  // named by the label in front of it
    ASSERT_TRUE(listNode);
    ASSERT_EQ(listNode->children.size(), 3u);
    const AccessNode& bet = s.nodes[size_t(listNode->children[1])];
    EXPECT_EQ(bet.name, u"Bet");
    EXPECT_TRUE(bet.states & kAccessSelected);
    // The selected item of the focused list has the focus, and nothing else.
    EXPECT_EQ(s.focus, listNode->children[1]);
    EXPECT_FALSE(listNode->states & kAccessFocused);
    RECT r{};
    GetWindowRect(list, &r);
    int h = int(SendMessage(list, LB_GETITEMHEIGHT, 0, 0));
    EXPECT_EQ(bet.screen.top, r.top + h);
    EXPECT_EQ(bet.screen.bottom, r.top + 2 * h);
    const AccessNode* big = Named(s, u"Big", AccessRole::RadioButton);
    ASSERT_TRUE(big);
    EXPECT_TRUE(big->states & kAccessChecked);
    const AccessNode* ok = Named(s, u"OK", AccessRole::PushButton);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(ok->states & kAccessDefault);
}

TEST_F(AccessTreeTest, MovingInAListTellsTheFocusAndTheSelection) {
    HWND list = Child(u"LISTBOX", LBS_NOTIFY, 5, {10, 20, 110, 80});
    for (const char16_t* item : {u"Alef", u"Bet"}) SendMessage(list, LB_ADDSTRING, 0, LPARAM(item));
    SendMessage(list, LB_SETCURSEL, 0, 0);
    SetFocus(list);
    AccessSnapshot before = AccessTakeSnapshot();
    SendMessage(list, WM_KEYDOWN, VK_DOWN, 0);
    AccessSnapshot after = AccessTakeSnapshot();
    std::vector<AccessChange> changes = AccessDiff(before, after);
    ASSERT_FALSE(changes.empty());
    // The old item loses the focus first; the new one's focus is the last word.
    EXPECT_EQ(changes.front().kind, AccessChangeKind::StateChanged);
    EXPECT_EQ(changes.front().state, kAccessFocused);
    EXPECT_FALSE(changes.front().on);
    EXPECT_EQ(changes.back().kind, AccessChangeKind::Focus);
    EXPECT_EQ(after.nodes[size_t(changes.back().node)].name, u"Bet");
    bool selected = false;
    for (const AccessChange& c : changes)
        selected |= c.kind == AccessChangeKind::StateChanged && c.state == kAccessSelected && c.on;
    EXPECT_TRUE(selected);
    EXPECT_TRUE(AccessDiff(after, AccessTakeSnapshot()).empty()) << "nothing changed since";
}

TEST_F(AccessTreeTest, AMessageBoxIsAnAlertWithItsButtons) {
    AccessSnapshot seen;
    screen.answerMessageBoxes = false;
    screen.onIdle = [&] {
        seen = AccessTakeSnapshot();
        HWND box = GetActiveWindow();
        PostMessage(box, WM_COMMAND, IDCANCEL, 0);
        return true;
    };
    MessageBox(parent, u"Remove?", u"Bookmark", MB_YESNOCANCEL);
    const AccessNode* alert = nullptr;
    for (const AccessNode& n : seen.nodes)
        if (n.role == AccessRole::Alert) alert = &n;
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->name, u"Bookmark");
    EXPECT_TRUE(alert->states & kAccessActive);
    EXPECT_TRUE(alert->states & kAccessModal);
    std::vector<std::u16string> buttons;
    for (int c : alert->children)
        if (seen.nodes[size_t(c)].role == AccessRole::PushButton)
            buttons.push_back(seen.nodes[size_t(c)].name);
    EXPECT_EQ(buttons, (std::vector<std::u16string>{u"Yes", u"No", u"Cancel"}));
}

}  // namespace
