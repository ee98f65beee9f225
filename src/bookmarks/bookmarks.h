#pragma once
// Bookmarks: the list of bookmarked ArticleNumbers (AppState's BookmarkList, ended by an entry 0,
// each number at most once, in the order they were added), its registry value "Bookmarks", the
// Bookmark command and its check mark.
#include <cstdint>

constexpr int kCommandBookmark = 123;
constexpr char16_t kBookmarksValue[] = u"Bookmarks";
// BookmarkCount is 16-bit and the list holds one entry more than it counts.
constexpr uint16_t kMaxBookmarks = 0xFFFE;

// Reads "Bookmarks" into a new list (none when the value is missing or unreadable).
void LoadBookmarks();
// Writes the list with its terminating 0, or two zero bytes when there is none.
void SaveBookmarks();
void FreeBookmarks();

// Whether the current article (Lesson) is in the list.
bool IsBookmarked();
// Adds Lesson at the end; nothing changes when it is there already or memory runs out.
void AddBookmark();
// Drops Lesson from the list; the array is not shrunk.
void RemoveBookmark();
// The Bookmark command: adds Lesson when it is not bookmarked, else removes it after asking
// "Remove Bookmark?" (unless Cancel there has switched the question off for this run).
void ToggleBookmark(bool bookmarked);

// Sets (mode 1) or toggles (mode 0) the check mark of the Bookmark item in the "Go" menu from
// IsBookmarked. Called at window creation, after the Bookmark command, whenever a new pair is
// loaded and after a search hit. Returns the item's new state, 1 or 0.
int UpdateBookmarkCheck(int mode);
