// Append to ClipBoard after another program's RTF: the document Writer put on the clipboard
// (which leaves a fallback character after every \u escape, \uc1, and sets its paragraphs left to
// right) stays as it was, and the appended article reads as a fresh Copy does, right to left.
// Both are read back with the tests' own RTF reader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/clipboard_put.h"
#include "export/rtf_reader.h"
#include "platform/user/clipboard.h"
#include "store/record_list.h"
#include "support/reader_run.h"
#include "text/layout.h"

namespace {

// What LibreOffice Writer 7.4 put on the clipboard for two lines, "שלום עולם abc" and "שורה 12",
// cut down to what matters here: its tables, its paragraph state, the default \uc1 with a "?"
// after each escape, and the end "\par }".
const std::string kWriterRtf =
    "{\\rtf1\\ansi\\deff3\\adeflang1025\r\n"
    "{\\fonttbl{\\f0\\froman\\fprq2\\fcharset0 Times New Roman;}{\\f3\\froman\\fprq2\\fcharset0 "
    "DejaVu Serif;}}\r\n"
    "{\\colortbl;\\red0\\green0\\blue0;}\r\n"
    "{\\stylesheet{\\s0\\snext0\\rtlch\\af6\\afs24\\alang1081 \\ltrch\\lang1033\\langfe2052\\hich"
    "\\af3\\loch\\nowidctlpar\\hyphpar0\\ltrpar\\cf0\\f3\\fs24\\lang1033\\dbch\\af6\\langfe2052 "
    "Normal;}}{\\*\\generator LibreOffice/7.4.7.2$Linux_X86_64}\\deftab709\r\n"
    "\\pard\\plain \\s20\\rtlch\\af5\\afs20 \\ltrch\\hich\\af5\\loch\\sb0\\sa0\\f5\\fs20\\dbch\\af5"
    "\\ql\\sb0\\sa0\\ltrpar{\r\n"
    "\\u1513\\'3f\\u1500\\'3f\\u1493\\'3f\\u1501\\'3f \\u1506\\'3f\\u1493\\'3f\\u1500\\'3f\\u1501"
    "\\'3f}{\r\n }{\\loch\r\nabc}\r\n"
    "\\par \\pard\\plain \\s20\\ql\\ltrpar{\r\n"
    "\\u1513\\'3f\\u1493\\'3f\\u1512\\'3f\\u1492\\'3f }{\\loch\r\n12}\r\n"
    "\\par }";

class AppendForeignTest : public ReaderRunTest {
protected:
    std::string ClipboardRtf() {
        OpenClipboard(nullptr);
        auto* p =
            static_cast<const char*>(GetClipboardData(RegisterClipboardFormat(kRtfFormatName)));
        std::string s = p ? p : "";
        CloseClipboard();
        return s;
    }
};

TEST_F(AppendForeignTest, WritersDocumentStaysAndTheArticleReadsAsAFreshCopy) {
    StoreFont();
    std::string copied, appended;
    Run({[&] {
        // Article 3: numbers, a table of left-to-right rows, pointed words.
        LayoutText(App.TopPane, LoadRecordList(3), true);
        SendMessage(App.MainWindow, WM_COMMAND, 40007, 0);
        copied = ClipboardRtf();
        SystemClipboard writer;
        writer.hasRtf = writer.hasText = true;
        writer.rtf = kWriterRtf;
        writer.text =
            "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD7\xA2\xD7\x95\xD7\x9C\xD7\x9D abc\n"
            "\xD7\xA9\xD7\x95\xD7\xA8\xD7\x94 12\n";
        screen.host().SetForeignClipboard(writer);
        SendMessage(App.MainWindow, WM_COMMAND, 40009, 0);
        appended = ClipboardRtf();
    }});
    std::vector<RtfParagraph> fresh = ReadRtfParagraphs(copied);
    std::vector<RtfParagraph> doc = ReadRtfParagraphs(appended);
    ASSERT_GT(fresh.size(), 10u);
    ASSERT_EQ(doc.size(), 2 + 2 + fresh.size());
    // Writer's two paragraphs, as Writer wrote them.
    EXPECT_EQ(doc[0],
              (RtfParagraph{u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD abc", false, 'l'}));
    EXPECT_EQ(doc[1], (RtfParagraph{u"\u05E9\u05D5\u05E8\u05D4 12", false, 'l'}));
    // The separator: a centred row of stars and an empty paragraph, right to left.
    EXPECT_EQ(doc[2], (RtfParagraph{u"*  *  *  *  *", true, 'c'}));
    EXPECT_EQ(doc[3], (RtfParagraph{u"", true, 'c'}));
    // The article, paragraph for paragraph as the fresh copy has it: every letter there, right
    // aligned, right to left except the table's four rows of numbers (left-to-right records, as
    // the pane shows them) with the empty paragraph after each. "השמש והצל" keeps its vav.
    auto isRow = [](const RtfParagraph& p) {
        return !p.text.empty() && p.text[0] >= u'0' && p.text[0] <= u'9';
    };
    bool sawShadow = false;
    int rows = 0;
    for (size_t i = 0; i < fresh.size(); ++i) {
        EXPECT_EQ(doc[4 + i], fresh[i]) << "paragraph " << i;
        bool leftToRight =
            isRow(fresh[i]) || (i > 0 && fresh[i].text.empty() && isRow(fresh[i - 1]));
        rows += isRow(fresh[i]);
        EXPECT_EQ(fresh[i].rightToLeft, !leftToRight) << i;
        EXPECT_EQ(fresh[i].align, 'r') << i;
        if (fresh[i].text.find(u"\u05D4\u05E9\u05DE\u05E9 \u05D5\u05D4\u05E6\u05DC") !=
            std::u16string::npos)
            sawShadow = true;
    }
    EXPECT_TRUE(sawShadow);
    EXPECT_EQ(rows, 4);
}

}  // namespace
