#include "text/text_pane.h"

#include "platform/heap.h"

// FIXME: the rest of the text engine (layout, style font selection, painting) lands with the
// text engine; destroying a pane needs only its records.
void DestroyTextPane(TextPane* pane, bool freePane) {
    if (!pane) return;
    HeapFreeBlock(pane->text);
    pane->text = nullptr;
    HeapFreeBlock(pane->lines);
    pane->lines = nullptr;
    pane->capacity = 0;
    pane->lineCount = 0;
    // Releasing the style fonts deletes each node's font; the nodes go with the pane.
    for (StyleFont* node = pane->styleFonts; node;) {
        StyleFont* next = node->next;
        if (node->font) DeleteObject(node->font);
        HeapFreeBlock(node);
        node = next;
    }
    pane->styleFonts = nullptr;
    pane->widths = nullptr;
    if (freePane) HeapFreeBlock(pane);
}
