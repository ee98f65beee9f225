// The About dialog with its hyperlink and the update-check address, through the main window's
// commands on the headless host.
#include <gtest/gtest.h>

#include <string>

#include "about/about_dialog.h"
#include "about/maker_site.h"
#include "about/update_check.h"
#include "platform/unicode.h"
#include "platform/user/screen_query.h"
#include "support/reader_run.h"

namespace {

const std::string kSite = "https://www.velmora.example";

class AboutTest : public ReaderRunTest {
protected:
    HWND Dialog() {
        ModalInfo modal;
        return DescribeActiveModal(&modal) && !modal.messageBox ? modal.window : nullptr;
    }
    int OpenCalls() {
        int n = 0;
        for (const ShellCall& c : ShellCallLog())
            if (c.name == "ShellExecuteEx" && c.value == 1024) ++n;
        return n;
    }
};

TEST_F(AboutTest, TheDialogShowsTheVersionAndABlueUnderlinedLinkSizedToItsText) {
    StoreFont();
    Run({[&] { Command(40004); },
         [&] {
             ASSERT_NE(Dialog(), nullptr);
             std::u16string statics;
             for (const ControlInfo& c : DescribeControls(Dialog())) statics += c.text + u"|";
             EXPECT_NE(statics.find(u"|Version 1.84a|"), std::u16string::npos);
             EXPECT_NE(statics.find(u"|www.velmora.example|"), std::u16string::npos);

             HWND link = GetDlgItem(Dialog(), kAboutLinkId);
             LOGFONT lf{};
             ASSERT_GT(GetObject(HGDIOBJ(SendMessage(link, WM_GETFONT, 0, 0)), sizeof lf, &lf), 0);
             EXPECT_EQ(lf.lfWeight, 800);
             EXPECT_EQ(lf.lfUnderline, 1);
             // Synthetic bold letters are H / 2 + 1 wide; the cell is H high; two edges each way.
             int H = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
             RECT r;
             GetWindowRect(link, &r);
             EXPECT_EQ(r.right - r.left, 19 * (H / 2 + 1) + 2 * GetSystemMetrics(SM_CXEDGE));
             EXPECT_EQ(r.bottom - r.top, H + 2 * GetSystemMetrics(SM_CYEDGE));

             // The first letter's block, blue, from x = edge / 2 in the control; white before it.
             int x0 = r.left + GetSystemMetrics(SM_CXEDGE) / 2;
             int baseline = r.top + H * 3 / 4;
             EXPECT_EQ(screen.host().Pixel(x0, baseline - 1), 0x0000FFu);
             EXPECT_EQ(screen.host().Pixel(x0 + H / 2 - 1, baseline - 1), 0x0000FFu);
             EXPECT_EQ(screen.host().Pixel(x0 - 1, baseline - 1), 0xFFFFFFu);
             // The underline: one row under the baseline, through the gaps between letters.
             EXPECT_EQ(screen.host().Pixel(x0 + H / 2, baseline + 1), 0x0000FFu);
             EXPECT_EQ(screen.host().Pixel(x0 + H / 2, baseline), 0xFFFFFFu);
         }});
}

TEST_F(AboutTest, TappingTheLinkOpensTheSiteAndTheDialogStaysOpen) {
    StoreFont();
    auto tapLink = [&] {
        RECT r;
        GetWindowRect(GetDlgItem(Dialog(), kAboutLinkId), &r);
        screen.host().Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    };
    Run({[&] { Command(40004); }, tapLink,
         [&] {
             EXPECT_EQ(screen.host().lastOpened(), kSite);
             EXPECT_NE(Dialog(), nullptr);
             tapLink();
         },
         [&] {
             EXPECT_EQ(OpenCalls(), 2);
             PostMessage(Dialog(), WM_COMMAND, IDOK, 0);
         },
         [&] {
             EXPECT_EQ(Dialog(), nullptr);
             // F1's help message opens the About dialog too.
             PostMessage(App.MainWindow, 83 /* WM_HELP */, 0, 0);
         },
         [&] { EXPECT_NE(Dialog(), nullptr); }});
}

TEST_F(AboutTest, CheckForUpdatesOpensTheExactUpdateAddress) {
    StoreFont();
    Run({[&] { Command(129); }});
    EXPECT_EQ(screen.host().lastOpened(), kSite + "/cgi-bin/upgrade?p=arm/Velmora/Orvanel&v=1.84a");
    EXPECT_EQ(OpenCalls(), 1);
}

TEST(UpdateAddress, EncodesTheProductIdAndRefusesAnAddressTooLong) {
    char16_t out[kUpdateAddressCapacity];
    ASSERT_TRUE(BuildUpdateAddress(u"a b(\u00E9\u0001\u0100.Z/9-", out));
    EXPECT_EQ(Utf16ToUtf8(out), kSite + "/cgi-bin/upgrade?p=arm/a+b%28%E9%01%100.Z/9%2D&v=1.84a");
    // The base (50 units) and the version (8) leave 141 units for the product id.
    std::u16string fits(141, u'x'), tooLong(142, u'x');
    EXPECT_TRUE(BuildUpdateAddress(fits.c_str(), out));
    EXPECT_EQ(std::u16string(out).size(), 199u);
    EXPECT_FALSE(BuildUpdateAddress(tooLong.c_str(), out));
    EXPECT_EQ(out[0], 0);
}

}  // namespace
