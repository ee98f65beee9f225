#include "text/text_pane.h"

#include "platform/heap.h"
#include "text/style_font.h"

void DestroyTextPane(TextPane* pane, bool freePane) {
    if (!pane) return;
    HeapFreeBlock(pane->text);
    pane->text = nullptr;
    HeapFreeBlock(pane->lines);
    pane->lines = nullptr;
    pane->capacity = 0;
    pane->lineCount = 0;
    pane->rowCount = 0;
    pane->maxFirstRow = 0;
    // Releasing deletes the nodes' fonts (and takes them out of the surface first); the nodes
    // themselves go with the pane.
    SetPaneFont(pane, nullptr);
    for (StyleFont* node = pane->styleFonts; node;) {
        StyleFont* next = node->next;
        HeapFreeBlock(node);
        node = next;
    }
    pane->styleFonts = nullptr;
    pane->widths = nullptr;
    if (freePane) HeapFreeBlock(pane);
}
