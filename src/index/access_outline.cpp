#include "index/access_outline.h"

#include <algorithm>
#include <string>
#include <vector>

#include "book_encoding.h"
#include "index/choose_article.h"
#include "index/index_keys.h"
#include "index/index_view.h"
#include "platform/access/access.h"
#include "platform/unicode.h"
#include "store/records.h"

namespace {

constexpr int kTreeKey = 0x10000;  // above every line number

// One entry per record: a record wrapped onto several lines is one entry, read in the order
// of its lines.
void Parts(HWND, std::vector<AccessPart>* out) {
    const IndexView* view = OpenIndexView();
    if (!view || !view->lines || !view->list) return;
    AccessPart tree;
    tree.role = AccessRole::Tree;
    tree.name = u"Contents";
    tree.key = kTreeKey;
    tree.rect = RECT{view->left, view->top, view->left + view->width, view->top + view->height};
    out->push_back(tree);
    // The entry the keys are on has the focus; without one, the top line.
    int top = IndexCurrentLine(view);
    if (top < 0) top = FindIndexTopLine(view);
    for (int i = 0; view->lines[i].flags != 0; ++i) {
        const IndexLine& line = view->lines[i];
        if (!(line.flags & kIndexShown)) continue;
        std::u32string text =
            DecodeBookText(view->list + line.offset, line.count, StoredOrder::Display);
        int32_t y = PaintedIndexLineTop(view, i);
        RECT r = y < 0 ? RECT{} : RECT{line.x, y, line.x + line.width, y + line.height};
        if (ContinuesIndexRecord(view, i) && out->size() > 1) {
            AccessPart& entry = out->back();
            entry.name += u" " + Utf8ToUtf16(EncodeUtf8(text));
            if (y >= 0) {
                if (entry.rect.right <= entry.rect.left) entry.rect = r;
                entry.rect = RECT{
                    std::min(entry.rect.left, r.left), std::min(entry.rect.top, r.top),
                    std::max(entry.rect.right, r.right), std::max(entry.rect.bottom, r.bottom)};
            }
            if (i == top) entry.states |= kAccessFocused | kAccessSelected;
            continue;
        }
        AccessPart entry;
        entry.role = AccessRole::TreeItem;
        entry.name = Utf8ToUtf16(EncodeUtf8(text));
        entry.rect = r;
        entry.parent = 0;
        entry.key = i;  // the record's first line: its place in the table never changes
        entry.level = 1 + IndexLineMargin(view, line) / kIndentStep;
        entry.states = kAccessFocusable | kAccessSelectable;
        if (line.key & kGroupHeadingKey) {
            entry.states |= kAccessExpandable;
            if (line.flags & kIndexOpen) entry.states |= kAccessExpanded;
        }
        if (i == top) entry.states |= kAccessFocused | kAccessSelected;
        out->push_back(std::move(entry));
    }
}

const AccessProvider kOutline{Parts, nullptr};

}  // namespace

void ExposeOutline(HWND dialog) {
    SetAccessProvider(dialog, &kOutline);
}
