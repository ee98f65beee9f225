#include "export/export_article.h"

#include "export/plain_text.h"
#include "platform/heap.h"
#include "platform/user/user.h"
#include "reader/app_state.h"
#include "reader/checked_alloc.h"
#include "text/text_pane.h"

namespace {

// Above this FontAsciiBase the display font takes Unicode Hebrew, and the export is RTF.
constexpr int32_t kRtfAsciiBase = 256;

}  // namespace

void ExportArticle(TextPane* pane, ClipboardMode mode, const ReadingRange* range) {
    if (!pane || !pane->text) return;
    bool rtf = App.Font.FontAsciiBase > kRtfAsciiBase;
    // The RTF document makes left-to-right paragraphs of the left-to-right records (table rows
    // of numbers), as the pane shows them; plain text has no paragraph direction to give.
    DirectionMarks marks = rtf ? DirectionMarks::LeftToRightLines : DirectionMarks::None;
    size_t size = PlainTextBufferSize(pane->text, marks);
    auto* text = static_cast<char16_t*>(CheckedAlloc(size));
    if (!text) return;
    // The text goes out in reading order in every mapping, whatever the Reverse option does to
    // the panes (BuildPlainText).
    int built = BuildPlainText(pane->text, text, size, marks, range);
    if (built == kPlainTextTooLong)
        MessageBox(App.MainWindow, u"(obuf > (start + size))", nullptr, MB_OK);
    else if (built == kPlainTextDone && rtf)
        PutRtfOnClipboard(text, mode);
    else if (built == kPlainTextDone)
        PutTextOnClipboard(text, mode);
    HeapFreeBlock(text);
}

std::u16string ExportedText(TextPane* pane, const ReadingRange* range) {
    if (!pane || !pane->text) return {};
    size_t size = PlainTextBufferSize(pane->text);
    auto* text = static_cast<char16_t*>(HeapAllocBlock(size));
    if (!text) return {};
    std::u16string out;
    if (BuildPlainText(pane->text, text, size, DirectionMarks::None, range) == kPlainTextDone)
        out = text;
    HeapFreeBlock(text);
    return out;
}
