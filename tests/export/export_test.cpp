// Copy and Append to ClipBoard: the plain text and RTF rules worked by hand on crafted articles,
// and the commands end to end through the main window and the clipboard.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "export/clipboard_put.h"
#include "export/plain_text.h"
#include "export/rtf_encode.h"
#include "platform/heap.h"
#include "platform/hosting.h"
#include "platform/unicode.h"
#include "platform/user/clipboard.h"
#include "support/reader_run.h"
#include "text/convert.h"
#include "text/layout.h"
#include "text/text_fixture.h"
#include "text/text_pane.h"

namespace {

std::string Rtf(const std::u16string& text) {
    std::string out(RtfEncode(text.c_str(), nullptr), '\0');
    out.resize(RtfEncode(text.c_str(), out.data()));
    return out;
}

// The crafted article: a right-to-left paragraph with a space after a comma, a rule of 3, a
// paragraph with a presentation form, a brace (turned round in reading order, as the display
// turns it), a backslash and a digit, two spaces of indent and
// a gap, rules of 170 and 0, a letter before a digit, and two spaces between letters.
std::vector<Rec> CraftedArticle() {
    return {{0x30, 0, "ab ,c"}, {0x07, 3, ""},   {0xB0, 2, "C}\\5"}, {0x07, 170, ""},
            {0x07, 0, ""},      {0x30, 0, "5a"}, {0x30, 0, "b  a"}};
}

// The body worked by hand: one mark per run of line ends and one more at the end; spaces get one
// more only after an escape, and a digit after an escape a delimiter space.
const std::string kCraftedBody =
    "\\u1490, \\u1489\\u1488\\par\\par\r\n"
    "---\\par\\par\r\n"
    "5\\\\\\{\\u1513\\u1468\\u1473   \\par\\par\r\n"
    "--------------------\\par\\par\r\n"
    "\\u1488 5\\par\\par\r\n"
    "\\u1488   \\u1489\\par\\par\r\n"
    "\\par\\par\r\n";

const std::string kHeader =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset177\\cpg1255 David;}}{\\colortbl\\red0\\green0"
    "\\blue0;\\red255\\green255\\blue255;\\red255\\green0\\blue0;}\\rtldoc\\pard\\rtlpar\\qr"
    "\\lang1033\\f0\\fs20\\uc0\r\n";
const std::string kSeparator =
    "\\pard\\plain\\uc0\\rtlpar\\qc\\lang1033\\f0\\cf2\\fs72\\b*  *  *  *  *\\b0\\par\\par"
    "\\pard\\rtlpar\\qr\\fs20\\cf0\r\n";

TEST(RtfEncode, WritesEscapesMarksAndSpacesAsAReaderShowsThem) {
    EXPECT_EQ(Rtf(u"a, b.  c"), "a, b.  c\\par\\par\r\n");  // no extra space after plain text
    EXPECT_EQ(Rtf(u"\u05D0 \u05D1"), "\\u1488  \\u1489\\par\\par\r\n");
    EXPECT_EQ(Rtf(u"\u05D0\u05D1"), "\\u1488\\u1489\\par\\par\r\n");
    EXPECT_EQ(Rtf(u"\u05D012"), "\\u1488 12\\par\\par\r\n");  // not \u148812
    EXPECT_EQ(Rtf(u"x\r\r\n\n\ry"), "x\\par\\par\r\ny\\par\\par\r\n");
    EXPECT_EQ(Rtf(u"{\\}"), "\\{\\\\\\}\\par\\par\r\n");
    EXPECT_EQ(Rtf(u"\t\x7F\u00E9\uFFFD"), "\\u9\\u127\\u233\\u65533\\par\\par\r\n");
    EXPECT_EQ(Rtf(u"\uFB2C\u05D0"), "\\u1513\\u1468\\u1473\\u1488\\par\\par\r\n");
    EXPECT_EQ(Rtf(u"\uFB4B"), "\\u1493\\u1465\\par\\par\r\n");
    EXPECT_EQ(Rtf(u"\uFB2E\uFB1D"), "\\u64302\\u64285\\par\\par\r\n");  // not in the table
    EXPECT_EQ(Rtf(u""), "\\par\\par\r\n");
    // Lines marked left to right are left-to-right paragraphs; the next unmarked one turns back.
    EXPECT_EQ(Rtf(u"\u200E21/3\r\n\u200E 5\r\n\u05D0\u200E"),
              "\\ltrpar 21/3\\par\\par\r\n 5\\par\\par\r\n\\rtlpar \\u1488\\u8206\\par\\par\r\n");
}

TEST(RtfEncode, TheMeasuredSizeHoldsTheBodyAndItsZero) {
    const char16_t* texts[] = {u"",
                               u"  ",
                               u"\u05D0 1 2 3",
                               u"\uFB2C\uFB2C 9",
                               u"{{{}}}\\\\",
                               u"\r\n\r\n",
                               u"\u0001\u0100\u1000\uFFFF 7",
                               u"\u200E1\r\n\u200E2\r\n3\r\n\u200E"};
    for (const char16_t* t : texts) {
        std::string out(RtfEncode(t, nullptr), '\x7F');
        size_t n = RtfEncode(t, out.data());
        EXPECT_LE(n + 1, out.size()) << Utf16ToUtf8(t);
        EXPECT_EQ(out[n], '\0');
    }
    // 13, then 1 + 1 for "a b" as a run of one space counts 2, 12 for the line end, 6 + 6 + 6
    // for the three components and 5 for an escape below 1000.
    EXPECT_EQ(RtfEncode(u"a b\r\n\uFB2C\u00E9", nullptr), 13u + 1 + 2 + 1 + 12 + 18 + 5);
}

TEST(RtfEncode, TheDecompositionTableHoldsTheTwentySevenHebrewForms) {
    int forms = 0;
    for (char16_t c = 0xFB1D; c <= 0xFB4F; ++c)
        if (HebrewDecomposition(c)) ++forms;
    EXPECT_EQ(forms, 27);
    EXPECT_EQ(HebrewDecomposition(0xFB2E), nullptr);
    EXPECT_EQ(HebrewDecomposition(0xFB2F), nullptr);
    EXPECT_EQ(HebrewDecomposition(0x05D0), nullptr);
    const char16_t* shin = HebrewDecomposition(0xFB2C);
    ASSERT_NE(shin, nullptr);
    EXPECT_EQ(std::u16string(shin, 3), u"\u05E9\u05BC\u05C1");
    EXPECT_EQ(std::u16string(HebrewDecomposition(0xFB3A)), u"\u05DA\u05BC");
}

class PlainTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetAppState();
        App.Font.FontAsciiBase = 1488;
    }
    void TearDown() override { ReleaseConvertCache(SharedConvertCache()); }
};

TEST_F(PlainTextTest, TheBufferSizeFollowsTheFormula) {
    uint8_t* list = MakeList({{0x30, 0, "ab"}, {0x07, 3, ""}, {0xB0, 2, "cd"}, {0x07, 170, ""}});
    // L = 5 + 3 + 5 + 3 = 16, N = 1 + 1 + 2 + 1 = 5, D = 3 + 20, I = 0 + 2.
    EXPECT_EQ(PlainTextBufferSize(list), size_t(2 * (16 + 8 + 10 + 23 + 2 + 1)));
    HeapFreeBlock(list);
    EXPECT_EQ(RuleDashCount(0), 0);
    EXPECT_EQ(RuleDashCount(160), 160);
    EXPECT_EQ(RuleDashCount(161), 2);
    EXPECT_EQ(RuleDashCount(255), 190);
}

TEST_F(PlainTextTest, TheWorkedExampleOfThreeParagraphs) {
    App.Font.FontAsciiBase = 224;  // single-byte: alef is 0xE0
    uint8_t* list = MakeList({{0x30, 0, "ab"}, {0x07, 3, ""}, {0xB0, 2, "cd"}});
    size_t size = PlainTextBufferSize(list);
    std::vector<char16_t> out(size / 2, 0xAAAA);
    ASSERT_EQ(BuildPlainText(list, out.data(), size), kPlainTextDone);
    // Right-to-left records, stored in display order: read, they turn round.
    EXPECT_EQ(std::u16string(out.data()), u"\u00E1\u00E0\r\n---\r\n\u00E3\u00E2  \r\n\r\n");
    HeapFreeBlock(list);
}

// The book stores a right-to-left record in display order with its numbers as they read, and a
// left-to-right record in reading order; either way a letter's points come before it.
TEST_F(PlainTextTest, RecordsComeOutInReadingOrderWithNumbersAndPointsInPlace) {
    uint8_t* list = MakeList({{0x30, 0, "(b) 58 - 21/3 a"},  // "א 21/3 - 58 (ב)"
                              {0x30, 0,
                               "\x15\x10\x16\x15"
                               "E"},  // hiriq on two letters
                              {0x21, 0,
                               "12:08 ab\x16"
                               "c"}});  // left to right
    const std::u16string unicode =
        u"\u05D0 21/3 - 58 (\u05D1)\r\n"
        u"\uFB31\u05B8\u05B4\u05DA\u05B8\u05B4\r\n"
        u"12:08 \u05D0\u05D1\u05D2\u05B8\r\n";
    const std::u16string singleByte =
        u"\u00E0 21/3 - 58 (\u00E1)\r\n"
        u"\u00E1\u00EA\r\n"
        u"12:08 \u00E0\u00E1\u00E2\r\n";
    for (int32_t base : {1488, 224, 97}) {
        for (uint32_t flags : {0u, 0x800u}) {  // the Reverse option changes nothing here
            App.Font.FontAsciiBase = base;
            App.Flags = flags;
            size_t size = PlainTextBufferSize(list);
            std::vector<char16_t> out(size / 2);
            ASSERT_EQ(BuildPlainText(list, out.data(), size), kPlainTextDone);
            EXPECT_EQ(std::u16string(out.data()), base == 1488 ? unicode : singleByte)
                << base << " " << flags;
        }
    }
    HeapFreeBlock(list);
}

// Nine pair bytes (two units each) fill the buffer to its last unit; ten do not fit.
TEST_F(PlainTextTest, PairBytesCanOverrunTheFormulaAndAreRefusedWithoutWritingPastIt) {
    for (int t : {9, 10}) {
        uint8_t* list = MakeList({{0x30, 0, std::string(size_t(t), '\x10')}});
        size_t size = PlainTextBufferSize(list);
        EXPECT_EQ(size, size_t(2 * ((t + 3) + (t + 3) / 2 + 2 + 1)));
        std::vector<char16_t> out(size / 2 + 8, 0xAAAA);
        int result = BuildPlainText(list, out.data(), size);
        EXPECT_EQ(result, t == 9 ? kPlainTextDone : kPlainTextTooLong) << t;
        for (size_t i = size / 2; i < out.size(); ++i) EXPECT_EQ(out[i], 0xAAAA) << i;
        if (t == 9) {
            EXPECT_EQ(out[size / 2 - 1], 0);
        }
        HeapFreeBlock(list);
    }
}

class ExportTest : public ReaderRunTest {
protected:
    void SetUp() override { ReaderRunTest::SetUp(); }
    // What another program put on the desktop's clipboard: text, or RTF.
    void Foreign(const std::string& data, bool rtf = false) {
        SystemClipboard foreign;
        (rtf ? foreign.hasRtf : foreign.hasText) = true;
        (rtf ? foreign.rtf : foreign.text) = data;
        screen.host().SetForeignClipboard(foreign);
    }
    // Shows the crafted article in the top pane.
    void ShowCrafted() { LayoutText(App.TopPane, MakeList(CraftedArticle()), true); }
    std::string ClipboardRtf() {
        OpenClipboard(nullptr);
        auto* p =
            static_cast<const char*>(GetClipboardData(RegisterClipboardFormat(kRtfFormatName)));
        std::string s = p ? p : "(none)";
        CloseClipboard();
        return s;
    }
    std::u16string ClipboardText() {
        OpenClipboard(nullptr);
        auto* p = static_cast<const char16_t*>(GetClipboardData(CF_UNICODETEXT));
        std::u16string s = p ? p : u"(none)";
        CloseClipboard();
        return s;
    }
};

TEST_F(ExportTest, CopyPutsTheActiveArticleAsOneRtfDocumentInReadingOrder) {
    std::string rtf;
    SystemClipboard desktop;
    uint32_t flags = 0;
    Run({[&] {
             ShowCrafted();
             flags = App.Flags;
             Command(40007);
         },
         [&] {
             rtf = ClipboardRtf();
             desktop = screen.host().systemClipboard();
             EXPECT_EQ(App.Flags, flags);  // the Reverse flip lasted only while building
         }});
    EXPECT_EQ(rtf, kHeader + kCraftedBody + "}\r\n");
    EXPECT_TRUE(desktop.hasRtf);
    EXPECT_EQ(desktop.rtf, rtf);
    // The desktop's text flavour is the document's text: each mark is two paragraphs.
    EXPECT_TRUE(desktop.hasText);
    EXPECT_EQ(desktop.text,
              Utf16ToUtf8(u"\u05D2, \u05D1\u05D0\n\n---\n\n5\\{\u05E9\u05BC\u05C1  \n\n"
                          u"--------------------\n\n\u05D05\n\n\u05D0  \u05D1\n\n"
                          u"\n\n"));
}

TEST_F(ExportTest, AppendAfterAppendIsStillOneDocumentWithOneClosingBrace) {
    std::string rtf;
    Run({[&] {
             ShowCrafted();
             Command(40009);  // an empty clipboard: a new document
         },
         [&] {
             // A second article, in the bottom pane made active by its scroll bar.
             LayoutText(App.BottomPane, MakeList({{0x30, 0, "x"}}), true);
             App.ActivePane = App.BottomPane;
             Command(40009);
         },
         [&] {
             App.ActivePane = nullptr;      // the top pane again
             screen.host().Key('E', true);  // Ctrl+E
         },
         [&] { rtf = ClipboardRtf(); }});
    std::string x = "\\u1511\\par\\par\r\n\\par\\par\r\n";  // "x" is qof, U+05E7
    EXPECT_EQ(rtf, kHeader + kCraftedBody + kSeparator + x + kSeparator + kCraftedBody + "}\r\n");
}

// A key that waits in the queue while the program is busy (Append waiting for another program)
// is read with the modifiers it was pressed with, though Ctrl was let go before it was handled.
TEST_F(ExportTest, CtrlCStillCopiesWhenCtrlWasReleasedBeforeTheKeyWasHandled) {
    std::string rtf;
    Run({[&] {
             LayoutText(App.TopPane, MakeList({{0x30, 0, "x"}}), true);
             InjectKey('C', true, true);
             InjectKey('C', false, false);
         },
         [&] { rtf = ClipboardRtf(); }});
    EXPECT_EQ(rtf, kHeader + "\\u1511\\par\\par\r\n\\par\\par\r\n}\r\n");
}

TEST_F(ExportTest, AppendInRtfModeOverPlainTextStartsANewDocument) {
    std::string rtf;
    std::u16string text;
    Run({[&] {
             LayoutText(App.TopPane, MakeList({{0x30, 0, "x"}}), true);
             Foreign("from another program");
             Command(40009);
         },
         [&] {
             rtf = ClipboardRtf();
             text = ClipboardText();
         }});
    EXPECT_EQ(rtf, kHeader + "\\u1511\\par\\par\r\n\\par\\par\r\n}\r\n");
    EXPECT_EQ(text, u"(none)");  // the clipboard was emptied
}

TEST_F(ExportTest, AppendContinuesAnotherProgramsRtfAfterItsLastBrace) {
    std::string rtf;
    Run({[&] {
             LayoutText(App.TopPane, MakeList({{0x30, 0, "x"}}), true);
             Foreign("{\\rtf1 old}} \r\n\t", true);
             Command(40009);
         },
         [&] { rtf = ClipboardRtf(); }});
    EXPECT_EQ(rtf, "{\\rtf1 old}" + kSeparator + "\\u1511\\par\\par\r\n\\par\\par\r\n}\r\n");
}

TEST_F(ExportTest, TextModeCopiesAndAppendsUnicodeTextInReadingOrder) {
    StoreFont("\"FontAsciiBase\"=dword:000000e0\n");
    std::u16string copied, appended;
    bool rtfAfter = true;
    Run({[&] {
             ShowCrafted();
             Command(40007);
         },
         [&] {
             copied = ClipboardText();
             Foreign("old\nline");
             Command(40009);
         },
         [&] {
             appended = ClipboardText();
             rtfAfter = ClipboardRtf() != "(none)";
         }});
    // Single-byte letters (alef 0xE0), the presentation form as shin 0xF9, in reading order as
    // in RTF mode.
    const std::u16string article =
        u"\u00E2, \u00E1\u00E0\r\n---\r\n5\\{\u00F9  \r\n\r\n--------------------\r\n\r\n"
        u"\u00E05\r\n\u00E0  \u00E1\r\n";
    EXPECT_EQ(copied, article);
    EXPECT_EQ(appended, u"old\r\nline" + article);
    EXPECT_FALSE(rtfAfter);
}

TEST_F(ExportTest, AnArticleTooLongForItsBufferIsRefusedAndTheClipboardKept) {
    std::u16string text;
    Run({[&] {
             Foreign("kept");
             LayoutText(App.TopPane, MakeList({{0x30, 0, std::string(10, '\x10')}}), true);
             Command(40007);
         },
         [&] { text = ClipboardText(); }});
    ASSERT_EQ(screen.messageBoxes.size(), 1u);
    EXPECT_EQ(screen.messageBoxes[0].text, u"(obuf > (start + size))");
    EXPECT_EQ(screen.messageBoxes[0].style, 0u);
    EXPECT_EQ(text, u"kept");
}

TEST_F(ExportTest, RunningOutOfClipboardMemoryKeepsWhatTheClipboardHeld) {
    std::u16string text;
    Run({[&] {
             LayoutText(App.TopPane, MakeList({{0x30, 0, "x"}}), true);
             SendMessage(App.MainWindow, WM_COMMAND, 40007, 0);  // sizes the conversion cache
             unsigned before = HeapAllocationCount();
             SendMessage(App.MainWindow, WM_COMMAND, 40007, 0);
             unsigned lastOfCopy = HeapAllocationCount() - before;  // the clipboard block
             Foreign("kept");
             SetHeapFailure(lastOfCopy);
             SendMessage(App.MainWindow, WM_COMMAND, 40007, 0);
             SetHeapFailure(0);
         },
         [&] { text = ClipboardText(); }});
    EXPECT_TRUE(screen.messageBoxes.empty());
    EXPECT_EQ(text, u"kept");
}

}  // namespace
