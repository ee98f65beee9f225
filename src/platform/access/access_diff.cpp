// What changed between two accessible trees: the events a screen reader listens for.
#include <algorithm>
#include <unordered_map>

#include "platform/access/access_tree.h"

namespace {

using IdIndex = std::unordered_map<AccessId, int, AccessIdHash>;

IdIndex IndexOf(const AccessSnapshot& s) {
    IdIndex index;
    for (size_t i = 0; i < s.nodes.size(); ++i) index.emplace(s.nodes[i].id, int(i));
    return index;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

std::vector<AccessChange> AccessDiff(const AccessSnapshot& before, const AccessSnapshot& after) {
    std::vector<AccessChange> out;
    IdIndex oldIndex = IndexOf(before), newIndex = IndexOf(after);
    // Children go before their parents, so that a parent is still there when a child leaves it.
    for (int i = int(before.nodes.size()) - 1; i > 0; --i)
        if (!newIndex.count(before.nodes[size_t(i)].id))
            out.push_back({AccessChangeKind::Removed, i});
    std::vector<AccessChange> focusOff;
    for (size_t i = 1; i < after.nodes.size(); ++i) {
        const AccessNode& now = after.nodes[i];
        auto it = oldIndex.find(now.id);
        if (it == oldIndex.end()) {
            out.push_back({AccessChangeKind::Added, int(i)});
            continue;
        }
        const AccessNode& was = before.nodes[size_t(it->second)];
        if (was.name != now.name) out.push_back({AccessChangeKind::NameChanged, int(i)});
        if (was.description != now.description)
            out.push_back({AccessChangeKind::DescriptionChanged, int(i)});
        uint32_t flipped = was.states ^ now.states;
        for (uint32_t bit = 1; bit && bit <= flipped; bit <<= 1) {
            if (!(flipped & bit)) continue;
            AccessChange c{AccessChangeKind::StateChanged, int(i), bit, (now.states & bit) != 0};
            // A focus that leaves is told before the one that arrives; the arrival is the Focus
            // change at the end.
            if (bit == kAccessFocused && c.on) continue;
            (bit == kAccessFocused ? focusOff : out).push_back(c);
        }
        if (was.hasText && now.hasText && was.textStamp != now.textStamp)
            out.push_back({AccessChangeKind::TextChanged, int(i)});
        if (now.hasText && (was.caret != now.caret || was.textStamp != now.textStamp))
            out.push_back({AccessChangeKind::CaretMoved, int(i)});
        if (now.hasText &&
            (was.selectionStart != now.selectionStart || was.selectionEnd != now.selectionEnd))
            out.push_back({AccessChangeKind::SelectionChanged, int(i)});
        if (!SameRect(was.screen, now.screen))
            out.push_back({AccessChangeKind::BoundsChanged, int(i)});
    }
    out.insert(out.begin(), focusOff.begin(), focusOff.end());
    bool focusMoved =
        after.focus >= 0 && (before.focus < 0 || !(before.nodes[size_t(before.focus)].id ==
                                                   after.nodes[size_t(after.focus)].id));
    // The focus is told last, but before the caret, the text and the selection of the node
    // that takes it: a screen reader then reads the node with its caret's line, and only after
    // that what is selected.
    if (focusMoved) {
        auto own = std::find_if(out.begin(), out.end(), [&](const AccessChange& c) {
            return c.node == after.focus && (c.kind == AccessChangeKind::CaretMoved ||
                                             c.kind == AccessChangeKind::TextChanged ||
                                             c.kind == AccessChangeKind::SelectionChanged);
        });
        out.insert(own, {AccessChangeKind::Focus, after.focus});
    }
    return out;
}
