#pragma once
// The scripted driver: runs the real program on the headless host, one command a line.
//   tap X Y | press X Y | drag X Y | release X Y   stylus input in screen pixels
//   click X Y [COUNT] [shift]   COUNT presses and releases at one point, the n-th counted as
//                     the n-th click of a multiple click (2 selects a word, 3 a paragraph);
//                     shift holds Shift (extends the selection)
//   key NAME          Enter, Escape, Tab, Space, PageUp, PageDown, Home, End, Left, Up, Right,
//                     Down, F1-F12, letters and digits, with Ctrl+, Alt+ and Shift+ prefixes
//                     (Plus, Minus and Equals name the "=" and "-" keys: Ctrl+Plus zooms)
//   wheel X Y NOTCHES [Ctrl]   the wheel at screen pixels, positive away from the user
//   type TEXT         text as an input method would give it
//   command ID        WM_COMMAND to the main window, as a menu choice
//   button TEXT       taps the button with that text in the active dialog or message box
//   menu TEXT         taps the bar button with that text (opening its pop-up menu), or the
//                     tool button with that tooltip
//   clipboard text|rtf FILE   writes what the program put on the system clipboard, as UTF-8
//                     text or RTF, into FILE; clipboard primary FILE writes what the
//                     program offers as the primary selection (its selection's text)
//   foreign text|rtf FILE   another program puts FILE on the system clipboard, as UTF-8 text
//                     or as RTF
//   shot FILE.png     the screen as a PNG
//   state             one JSON line on standard output: lesson, activePane, topFirstRow,
//                     bottomFirstRow, bottomSection, flags, bookmarks, searchString (hex),
//                     topMark, bottomMark ([markStart, markEnd] of each pane), topSelection,
//                     bottomSelection ([anchor, active] in reading offsets, null for none), dialog,
//                     messageBox, inFront, lastOpened, checked (the command ids of the
//                     checked menu items), fontSize, displayMode, windowFullScreen
//   outline           one JSON line: the open Choose Article view's firstRow, rowCount,
//                     maxFirstRow, rowsPainted, current (the place among the lines of the
//                     first line of the entry the keys are on, or null) and shown lines (key,
//                     open, text in reading order, x, y, width, height in screen pixels; y
//                     null when not painted), or null when the dialog is not open
//   dialog            one JSON line on standard output: the open dialog's caption, its rect
//                     on the screen and its controls (id, class, text, rect; checked; list
//                     items and selection; the edit field's selection)
//   focus on|off      the desktop gives or takes the program's focus
//   resize W H        the screen changes size
//   failalloc N       the N-th heap allocation from now fails
//   quit              ends the program as Exit does (so does the end of the script)
// Lines after the program has ended are not run; one warning on standard error names them.
// Blank lines and lines starting with # are skipped.
#include <set>
#include <string>

#include "platform/win32_types.h"

class HeadlessHost;

class ScriptDriver {
public:
    // `fd` is read for commands; `name` labels error messages.
    ScriptDriver(HeadlessHost& host, int fd, std::string name);
    // The host's idle hook: runs commands until one gives the program something to do.
    bool Step();
    int errors() const { return errors_; }
    // After the program has ended: warns on standard error of the script lines it never ran
    // (after quit, or after a command that ended the reader), naming the first of them.
    void ReportUnrun();

private:
    // A script line; work that another start of the program gave it while the script was
    // awaited; or the script's end.
    enum class Read { Line, Work, End };
    Read ReadLine(std::string& line);
    static std::string CommandText(const std::string& raw);
    // True when the command gave the program input or messages to work on.
    bool Run(const std::string& line);
    bool Finish();
    void Fail(const std::string& message);
    void PrintState();
    void PrintDialog();

    HeadlessHost& host_;
    int fd_;
    std::string name_;
    std::string buffer_;
    bool eof_ = false;
    bool finished_ = false;
    bool exitSent_ = false;
    std::set<HWND> cancelled_;  // dialogs and message boxes the script's end cancelled
    int lineNumber_ = 0;
    int errors_ = 0;
};
