#pragma once
// The accessible tree: a snapshot of every visible window, control and provider part of the
// program, below one application node. Hosts that talk to the accessibility bus take one when
// the program is idle and compare it with the one before to learn what changed; the scripted
// driver prints one as JSON. Nothing here knows a toolkit.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/access/access.h"

// What a node is within its window: the window itself, an item the window system draws for it
// (a list or menu item, a bar button, the caption's OK button) or a part its provider describes.
// Items and parts are numbered apart, so the two never share an identity.
enum class AccessIdKind : uint8_t { Window, Item, Part };

// A node's identity, the same in every snapshot while the node exists: its window, what it is
// there and its number among those (-1 for the window itself; the application has no window).
struct AccessId {
    const void* window = nullptr;
    int part = -1;
    AccessIdKind kind = AccessIdKind::Window;
    bool operator==(const AccessId&) const = default;
};

struct AccessIdHash {
    size_t operator()(const AccessId& id) const {
        return (std::hash<const void*>()(id.window) * 31 + std::hash<int>()(id.part)) * 3 +
               size_t(id.kind);
    }
};

struct AccessNode {
    AccessId id;
    int parent = -1;  // index in the snapshot; -1 for the application (node 0)
    std::vector<int> children;
    AccessRole role = AccessRole::Panel;
    std::u16string name;
    std::u16string description;
    std::u16string shortcut;  // a menu item's key ("Ctrl+F")
    uint32_t states = 0;
    RECT screen{};  // in the program's screen pixels
    int level = 0;
    bool hasText = false;
    uint64_t textStamp = 0;
    int caret = -1;
    int selectionStart = 0, selectionEnd = 0;
};

struct AccessSnapshot {
    std::vector<AccessNode> nodes;  // node 0 is the application, parents before children
    int focus = -1;                 // the node with kAccessFocused, if any

    int Find(const AccessId& id) const;
};

// The tree as it is now.
AccessSnapshot AccessTakeSnapshot();
// The text of a node with hasText (UTF-16): an edit field's text or a provider's part.
std::u16string AccessNodeText(const AccessNode& node);

// Where the lines of a text node start (ascending, the first 0): as the window shows them
// when its provider knows, else one a paragraph (after each newline).
std::vector<int> AccessNodeLineStarts(const AccessNode& node);
// The box of the character at `offset` in the program's screen pixels, outside the node's
// rectangle when it is scrolled out of view; false when it has no place.
bool AccessNodeCharacterBox(const AccessNode& node, int offset, RECT* box);
// The offset of the character at a point in the program's screen pixels, or -1.
int AccessNodeOffsetAt(const AccessNode& node, int x, int y);
// Moves a text node's caret (an edit field's or a provider part's); false when it cannot.
bool AccessNodeSetCaret(const AccessNode& node, int offset);

// What changed between two snapshots, in the order a screen reader wants to hear it.
enum class AccessChangeKind : uint8_t {
    Added,         // node (new): it appeared, below its parent
    Removed,       // node (old): it went away
    NameChanged,   // node (new)
    StateChanged,  // node (new): `state` became `on`
    TextChanged,   // node (new): its text was replaced
    CaretMoved,    // node (new): to its caret
    SelectionChanged,
    BoundsChanged,
    Focus,               // node (new) took the focus: its focused state came on
    DescriptionChanged,  // node (new)
};
struct AccessChange {
    AccessChangeKind kind;
    int node;  // index in the new snapshot, or in the old one for Removed
    uint32_t state = 0;
    bool on = false;
};
std::vector<AccessChange> AccessDiff(const AccessSnapshot& before, const AccessSnapshot& after);

// The snapshot as one JSON line: {"role","name","states":[...],"rect":[l,t,r,b],"children":[...]}
// with "text", "caret" and "selection" on text nodes.
std::string AccessSnapshotJson(const AccessSnapshot& snapshot);
// Role and state names as the JSON gives them ("push button", "focused").
const char* AccessRoleName(AccessRole role);
std::vector<const char*> AccessStateNames(uint32_t states);

// Acts on a node as a tap in its middle does (buttons, list items, outline lines); false when
// the node has no place on the screen.
bool AccessTap(const AccessNode& node);
