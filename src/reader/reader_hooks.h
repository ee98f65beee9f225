#pragma once
// What the program on top lets the features do at the reading core's fixed points. The core calls
// no feature itself; the program fills these in before it starts the reader (the bookmarks load
// with the settings, are saved with them and freed at shutdown, and the Bookmark check mark
// follows the article shown). A hook left empty is skipped.
struct ReaderHooks {
    void (*loadSettings)() = nullptr;     // when the settings have been read at start-up
    void (*saveSettings)() = nullptr;     // at shutdown, when the settings are written
    void (*releaseSettings)() = nullptr;  // at shutdown, always, after saving
    void (*articleShown)() = nullptr;     // a new pair of articles is in the panes
};

extern ReaderHooks Hooks;
