#include "shell/driver.h"

#include <poll.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "book_encoding.h"
#include "index/choose_article.h"
#include "index/index_keys.h"
#include "platform/access/access_tree.h"
#include "platform/bars/menu.h"
#include "platform/heap.h"
#include "platform/host/host_headless.h"
#include "platform/unicode.h"
#include "platform/user/screen_query.h"
#include "platform/user/single_instance.h"
#include "platform/user/user.h"
#include "reader/app_state.h"
#include "search/places_dialog.h"
#include "reader/selection.h"
#include "shell/display_mode.h"
#include "shell/menu_bar.h"
#include "shell/reader_main.h"
#include "text/text_pane.h"

namespace {

struct KeyName {
    const char* name;
    unsigned vk;
};

constexpr KeyName kKeys[] = {
    {"Enter", VK_RETURN}, {"Return", VK_RETURN},  {"Escape", VK_ESCAPE}, {"Esc", VK_ESCAPE},
    {"Tab", VK_TAB},      {"Space", VK_SPACE},    {"Backspace", VK_BACK}, {"Delete", VK_DELETE},
    {"PageUp", VK_PRIOR}, {"PageDown", VK_NEXT},  {"Home", VK_HOME},     {"End", VK_END},
    {"Left", VK_LEFT},    {"Up", VK_UP},          {"Right", VK_RIGHT},   {"Down", VK_DOWN},
    {"Plus", VK_OEM_PLUS}, {"Equals", VK_OEM_PLUS}, {"Minus", VK_OEM_MINUS},
    {"+", VK_OEM_PLUS},    {"=", VK_OEM_PLUS},      {"-", VK_OEM_MINUS},
};

bool ParseKey(std::string name, unsigned& vk, bool& ctrl, bool& alt, bool& shift) {
    ctrl = alt = shift = false;
    for (;;) {
        if (name.rfind("Ctrl+", 0) == 0) {
            ctrl = true;
            name.erase(0, 5);
        } else if (name.rfind("Alt+", 0) == 0) {
            alt = true;
            name.erase(0, 4);
        } else if (name.rfind("Shift+", 0) == 0) {
            shift = true;
            name.erase(0, 6);
        } else {
            break;
        }
    }
    for (const KeyName& k : kKeys)
        if (name == k.name) return vk = k.vk, true;
    if (name.size() >= 2 && name[0] == 'F') {
        int n = std::atoi(name.c_str() + 1);
        if (n >= 1 && n <= 12) return vk = VK_F1 + unsigned(n - 1), true;
    }
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
        vk = unsigned(std::toupper(static_cast<unsigned char>(name[0])));
        return true;
    }
    return false;
}

std::string Json(const std::u16string& s) {
    return JsonString(s);
}

std::string FirstRow(const TextPane* pane) {
    return pane ? std::to_string(pane->firstRow) : "null";
}

// The command ids of the checked items of a menu and its pop-ups.
void CollectChecked(HMENU menu, std::set<UINT>& ids) {
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFO info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
        if (!GetMenuItemInfo(menu, UINT(i), TRUE, &info)) continue;
        if (info.hSubMenu)
            CollectChecked(info.hSubMenu, ids);
        else if (info.fState & MFS_CHECKED)
            ids.insert(info.wID);
    }
}

// The open Choose Article view as one JSON line: its scroll numbers and its shown lines, each
// with its text in reading order and where it is on the screen (y only when it is painted).
std::string DescribeOutline() {
    const IndexView* view = OpenIndexView();
    if (!view) return "null";
    POINT origin{0, 0};
    ClientToScreen(ChooseArticleDialog.window, &origin);
    std::string s = "{\"firstRow\":" + std::to_string(view->firstRow);
    s += ",\"rowCount\":" + std::to_string(view->rowCount);
    s += ",\"maxFirstRow\":" + std::to_string(view->maxFirstRow);
    s += ",\"rowsPainted\":" + std::to_string(view->rowsPainted);
    // Where the current entry's first line is among the shown lines listed below.
    const int current = IndexCurrentLine(view);
    int currentAt = current < 0 ? -1 : 0;
    for (int i = 0; i < current; ++i)
        if (view->lines[i].flags & kIndexShown) ++currentAt;
    s += ",\"current\":" + (currentAt < 0 ? std::string("null") : std::to_string(currentAt));
    s += ",\"lines\":[";
    bool first = true;
    for (int i = 0; view->lines && view->list && view->lines[i].flags != 0; ++i) {
        const IndexLine& line = view->lines[i];
        if (!(line.flags & kIndexShown)) continue;
        std::u32string text =
            DecodeBookText(view->list + line.offset, line.count, StoredOrder::Display);
        int32_t y = PaintedIndexLineTop(view, i);
        s += first ? "{" : ",{";
        first = false;
        s += "\"key\":" + std::to_string(line.key);
        s += ",\"open\":" + std::string((line.flags & kIndexOpen) ? "true" : "false");
        s += ",\"text\":" + Json(Utf8ToUtf16(EncodeUtf8(text)));
        s += ",\"x\":" + std::to_string(origin.x + line.x);
        s += ",\"y\":" + (y < 0 ? std::string("null") : std::to_string(origin.y + y));
        s += ",\"width\":" + std::to_string(line.width);
        s += ",\"height\":" + std::to_string(line.height) + "}";
    }
    return s + "]}";
}

// The open Find All list as one JSON line: the count, the scroll numbers, the selected place and
// every place with its article, highlight range, line (reading order) and, when drawn, where it
// is on the screen.
std::string DescribePlaces() {
    const PlacesDialogState* list = OpenPlaces();
    if (!list) return "null";
    POINT origin{0, 0};
    ClientToScreen(list->window, &origin);
    std::string s = "{\"count\":" + Json(list->count);
    s += ",\"firstRow\":" + std::to_string(list->firstRow);
    s += ",\"maxFirstRow\":" + std::to_string(list->maxFirstRow);
    s += ",\"rowsShown\":" + std::to_string(list->rowsShown);
    const int selected =
        list->selected < int(list->rows.size()) ? list->rows[size_t(list->selected)].place : -1;
    s += ",\"selected\":" + std::to_string(selected + 1);
    s += ",\"places\":[";
    std::vector<int> rowOf(list->found.places.size(), -1);
    for (size_t r = 0; r < list->rows.size(); ++r)
        if (list->rows[r].place >= 0) rowOf[size_t(list->rows[r].place)] = int(r);
    for (size_t i = 0; i < list->found.places.size(); ++i) {
        const FoundPlace& p = list->found.places[i];
        const int top = PlaceRowTop(rowOf[i]);
        s += i ? ",{" : "{";
        s += "\"article\":" + std::to_string(p.article);
        s += ",\"markStart\":" + std::to_string(p.offset - p.length + 1);
        s += ",\"markEnd\":" + std::to_string(p.offset + 1);
        s += ",\"line\":" + Json(list->names[i]);
        s += ",\"y\":" + (top < 0 ? std::string("null") : std::to_string(origin.y + top)) + "}";
    }
    return s + "]}";
}

// [left, top, right, bottom].
std::string RectJson(const RECT& r) {
    return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + "]";
}

// The accessible tree the last `access` command saw, for `access events`.
AccessSnapshot& LastAccessSnapshot() {
    static auto* snapshot = new AccessSnapshot;
    return *snapshot;
}

const char* AccessChangeName(AccessChangeKind kind) {
    switch (kind) {
        case AccessChangeKind::Added: return "added";
        case AccessChangeKind::Removed: return "removed";
        case AccessChangeKind::NameChanged: return "name";
        case AccessChangeKind::DescriptionChanged: return "description";
        case AccessChangeKind::StateChanged: return "state";
        case AccessChangeKind::TextChanged: return "text";
        case AccessChangeKind::CaretMoved: return "caret";
        case AccessChangeKind::SelectionChanged: return "selection";
        case AccessChangeKind::BoundsChanged: return "bounds";
        case AccessChangeKind::Focus: return "focus";
    }
    return "";
}

// `access`: the accessible tree as one JSON line. `access events`: what changed since the last
// `access` line, as a JSON list of {"event","role","name"} (with "state" and "on" for states).
std::string DescribeAccess(const std::string& what) {
    AccessSnapshot now = AccessTakeSnapshot();
    std::string s;
    if (what == "events") {
        const AccessSnapshot& before = LastAccessSnapshot();
        s = "[";
        for (const AccessChange& c : AccessDiff(before, now)) {
            const AccessSnapshot& in = c.kind == AccessChangeKind::Removed ? before : now;
            const AccessNode& n = in.nodes[size_t(c.node)];
            s += s.size() > 1 ? ",{" : "{";
            s += "\"event\":\"" + std::string(AccessChangeName(c.kind)) + "\"";
            s += ",\"role\":\"" + std::string(AccessRoleName(n.role)) + "\",\"name\":" + Json(n.name);
            if (c.kind == AccessChangeKind::StateChanged)
                s += ",\"state\":\"" + std::string(AccessStateNames(c.state).front()) +
                     "\",\"on\":" + (c.on ? "true" : "false");
            if (c.kind == AccessChangeKind::CaretMoved) s += ",\"caret\":" + std::to_string(n.caret);
            s += "}";
        }
        s += "]";
    } else {
        s = AccessSnapshotJson(now);
    }
    LastAccessSnapshot() = std::move(now);
    return s + "\n";
}

// `access text`: the focused text's lines and the box of each of its characters, as a screen
// reader places them: {"name","caret","lines":[starts],"boxes":[[l,t,r,b] or null]}.
// `access at X Y`: {"offset"} of the character there. `access caret N`: puts the caret there as
// a screen reader does, and answers {"caret"} as it is then. False for a bad request.
bool DescribeFocusedText(const std::string& what, std::string* out) {
    AccessSnapshot now = AccessTakeSnapshot();
    const AccessNode* node = now.focus >= 0 ? &now.nodes[size_t(now.focus)] : nullptr;
    if (node && !node->hasText) node = nullptr;
    int x = 0, y = 0, n = 0;
    char extra = 0;
    if (what == "text") {
        if (!node) {
            *out = "null\n";
            return true;
        }
        std::u16string text = AccessNodeText(*node);
        *out = "{\"name\":" + Json(node->name) + ",\"caret\":" + std::to_string(node->caret) +
               ",\"lines\":[";
        std::vector<int> starts = AccessNodeLineStarts(*node);
        for (size_t i = 0; i < starts.size(); ++i)
            *out += (i ? "," : "") + std::to_string(starts[i]);
        *out += "],\"boxes\":[";
        for (size_t i = 0; i < text.size(); ++i) {
            RECT box{};
            *out += i ? "," : "";
            // A character scrolled out of view is placed outside the text; shown as null.
            bool shown = AccessNodeCharacterBox(*node, int(i), &box) &&
                         box.top >= node->screen.top && box.bottom <= node->screen.bottom;
            *out += shown ? RectJson(box) : "null";
        }
        *out += "]}\n";
        return true;
    }
    if (std::sscanf(what.c_str(), "at %d %d %c", &x, &y, &extra) == 2) {
        *out = "{\"offset\":" + std::to_string(node ? AccessNodeOffsetAt(*node, x, y) : -1) + "}\n";
        return true;
    }
    if (std::sscanf(what.c_str(), "caret %d %c", &n, &extra) == 1) {
        bool done = node && AccessNodeSetCaret(*node, n);
        AccessSnapshot after = AccessTakeSnapshot();
        int caret = after.focus >= 0 ? after.nodes[size_t(after.focus)].caret : -1;
        *out = "{\"set\":" + std::string(done ? "true" : "false") +
               ",\"caret\":" + std::to_string(caret) + "}\n";
        return true;
    }
    return false;
}

// The pane's highlight as [markStart, markEnd]; [0,0] when nothing is highlighted.
std::string Mark(const TextPane* pane) {
    if (!pane) return "null";
    return "[" + std::to_string(pane->markStart) + "," + std::to_string(pane->markEnd) + "]";
}

std::string SelectionJson(const TextPane* pane) {
    const Selection* s = SelectionOf(pane);
    if (!s || s->anchor == s->active) return "null";
    return "[" + std::to_string(s->anchor) + "," + std::to_string(s->active) + "]";
}

}  // namespace

ScriptDriver::ScriptDriver(HeadlessHost& host, int fd, std::string name)
    : host_(host), fd_(fd), name_(std::move(name)) {}

// Reads one line, serving other starts of the program while it waits for the script.
ScriptDriver::Read ScriptDriver::ReadLine(std::string& line) {
    for (;;) {
        size_t nl = buffer_.find('\n');
        if (nl != std::string::npos) {
            line = buffer_.substr(0, nl);
            buffer_.erase(0, nl + 1);
            return Read::Line;
        }
        if (eof_) {
            if (buffer_.empty()) return Read::End;
            line.swap(buffer_);
            buffer_.clear();
            return Read::Line;
        }
        pollfd fds[2] = {{fd_, POLLIN, 0}, {SingleInstanceFd(), POLLIN, 0}};
        int n = poll(fds, fds[1].fd >= 0 ? 2 : 1, -1);
        if (n < 0) continue;
        if (fds[1].fd >= 0 && (fds[1].revents & POLLIN)) {
            ServeOtherStarts();
            MSG m;
            if (PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE)) return Read::Work;
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            char chunk[4096];
            ssize_t got = read(fd_, chunk, sizeof chunk);
            if (got <= 0)
                eof_ = true;
            else
                buffer_.append(chunk, size_t(got));
        }
    }
}

bool ScriptDriver::Step() {
    std::string line;
    while (!finished_) {
        Read read = ReadLine(line);
        if (read == Read::End) {
            finished_ = true;
            break;
        }
        if (read == Read::Work) return true;  // another start gave the program work
        ++lineNumber_;
        if (line.empty()) {
            MSG m;
            if (PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE)) return true;
            continue;
        }
        if (Run(line)) return true;
    }
    return Finish();
}

// The script is over: close what is open and end the program as Exit does. Each call is made
// when the program has nothing left to do, so every call takes a further step: a dialog or
// message box is cancelled once (one that stays open is closed with the program), then Exit,
// then the quit request, which ends every loop.
bool ScriptDriver::Finish() {
    ModalInfo modal;
    if (!exitSent_ && DescribeActiveModal(&modal) && cancelled_.insert(modal.window).second) {
        PostMessage(modal.window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    }
    if (!exitSent_ && IsWindow(App.MainWindow)) {
        exitSent_ = true;
        PostMessage(App.MainWindow, WM_COMMAND, kCommandExit, 0);
        return true;
    }
    PostQuitMessage(0);
    return true;
}

void ScriptDriver::Fail(const std::string& message) {
    ++errors_;
    std::fprintf(stderr, "%s:%d: %s\n", name_.c_str(), lineNumber_, message.c_str());
}

// A script line without its surrounding blanks; empty for a blank line or a comment.
std::string ScriptDriver::CommandText(const std::string& raw) {
    std::string line = raw;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') return "";
    return line.substr(start);
}

void ScriptDriver::ReportUnrun() {
    // A file is read to its end; from a pipe only what has already come, so that a writer
    // keeping it open cannot hold up the program's end.
    while (!eof_) {
        pollfd fds{fd_, POLLIN, 0};
        if (poll(&fds, 1, 0) <= 0 || !(fds.revents & (POLLIN | POLLHUP | POLLERR))) break;
        char chunk[4096];
        ssize_t got = read(fd_, chunk, sizeof chunk);
        if (got <= 0)
            eof_ = true;
        else
            buffer_.append(chunk, size_t(got));
    }
    int number = lineNumber_, firstNumber = 0, count = 0;
    std::string first;
    for (size_t pos = 0; pos < buffer_.size();) {
        size_t nl = buffer_.find('\n', pos);
        if (nl == std::string::npos) nl = buffer_.size();
        std::string line = CommandText(buffer_.substr(pos, nl - pos));
        pos = nl + 1;
        ++number;
        if (line.empty()) continue;
        if (count++ == 0) {
            firstNumber = number;
            first = line;
        }
    }
    buffer_.clear();
    if (count == 0) return;
    std::fprintf(stderr,
                 "orvanel: %s:%d: the reader had ended; %d script line%s not run, from \"%s\"\n",
                 name_.c_str(), firstNumber, count, count == 1 ? "" : "s", first.c_str());
}

bool ScriptDriver::Run(const std::string& raw) {
    std::string line = CommandText(raw);
    if (line.empty()) return false;
    std::istringstream in(line);
    std::string cmd;
    in >> cmd;
    std::string rest;
    std::getline(in, rest);
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);

    if (cmd == "tap" || cmd == "press" || cmd == "drag" || cmd == "release") {
        int x, y;
        if (std::sscanf(rest.c_str(), "%d %d", &x, &y) != 2) {
            Fail("usage: " + cmd + " X Y");
            return false;
        }
        if (cmd == "tap") host_.Tap(x, y);
        if (cmd == "press") host_.Press(x, y);
        if (cmd == "drag") host_.Drag(x, y);
        if (cmd == "release") host_.Release(x, y);
        return true;
    }
    if (cmd == "click") {
        std::istringstream args(rest);
        int x = 0, y = 0, clicks = 1;
        std::string extra, modifier;
        if (!(args >> x >> y)) {
            Fail("usage: click X Y [COUNT] [shift]");
            return false;
        }
        if (args >> extra) {
            if (extra == "shift") {
                modifier = extra;
            } else {
                clicks = std::atoi(extra.c_str());
                args >> modifier;
            }
        }
        if (clicks < 1 || clicks > 3 || (!modifier.empty() && modifier != "shift")) {
            Fail("usage: click X Y [COUNT] [shift]");
            return false;
        }
        host_.Click(x, y, clicks, modifier == "shift" ? MK_SHIFT : 0);
        return true;
    }
    if (cmd == "key") {
        unsigned vk;
        bool ctrl, alt, shift;
        if (!ParseKey(rest, vk, ctrl, alt, shift)) {
            Fail("unknown key \"" + rest + "\"");
            return false;
        }
        host_.Key(vk, ctrl, alt, shift);
        return true;
    }
    if (cmd == "wheel") {
        std::istringstream args(rest);
        int x, y, notches;
        std::string modifier, extra;
        args >> x >> y >> notches;
        bool ok = !args.fail();
        if (ok && args >> modifier) {
            for (char& c : modifier) c = char(std::tolower(static_cast<unsigned char>(c)));
            ok = modifier == "ctrl" && !(args >> extra);
        }
        if (!ok) {
            Fail("usage: wheel X Y NOTCHES [Ctrl]");
            return false;
        }
        host_.Wheel(x, y, notches, modifier.empty() ? 0 : MK_CONTROL);
        return true;
    }
    if (cmd == "type") {
        host_.Type(Utf8ToUtf16(rest));
        return true;
    }
    if (cmd == "command") {
        char* end = nullptr;
        long id = std::strtol(rest.c_str(), &end, 0);
        if (rest.empty() || *end || !IsWindow(App.MainWindow)) {
            Fail(rest.empty() || *end ? "usage: command ID" : "there is no main window");
            return false;
        }
        PostMessage(App.MainWindow, WM_COMMAND, WPARAM(id), 0);
        return true;
    }
    if (cmd == "button") {
        ModalInfo modal;
        bool open = DescribeActiveModal(&modal);
        HWND button = open ? FindButtonByText(modal.window, Utf8ToUtf16(rest)) : nullptr;
        RECT r;
        // Dialogs without an OK control of their own take OK on their caption's "ok" button.
        bool captionOk = !button && open && LowerAscii(Utf8ToUtf16(rest)) == u"ok" &&
                         FindCaptionOkButton(modal.window, &r);
        if (!button && !captionOk) {
            Fail("no button \"" + rest + "\" in an open dialog or message box");
            return false;
        }
        if (button) GetWindowRect(button, &r);
        host_.Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        return true;
    }
    if (cmd == "menu") {
        RECT r;
        if (!FindBarButton(App.MenuBar, Utf8ToUtf16(rest).c_str(), &r)) {
            Fail("no bar button \"" + rest + "\"");
            return false;
        }
        host_.Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        return true;
    }
    if (cmd == "clipboard") {
        std::istringstream args(rest);
        std::string form, file;
        args >> form >> file;
        const SystemClipboard& clip = host_.systemClipboard();
        bool rtf = form == "rtf";
        if (form == "primary" && !file.empty()) {
            // The selection as the desktop's primary selection offers it (empty: none).
            FILE* f = std::fopen(file.c_str(), "wb");
            const std::string& bytes = host_.primary();
            if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
                Fail("could not write \"" + file + "\"");
            if (f) std::fclose(f);
            return false;
        }
        if ((form != "text" && !rtf) || file.empty()) {
            Fail("usage: clipboard text|rtf|primary FILE");
            return false;
        }
        if (!(rtf ? clip.hasRtf : clip.hasText)) {
            Fail("the clipboard holds no " + form);
            return false;
        }
        FILE* f = std::fopen(file.c_str(), "wb");
        const std::string& bytes = rtf ? clip.rtf : clip.text;
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
            Fail("could not write \"" + file + "\"");
        if (f) std::fclose(f);
        return false;
    }
    if (cmd == "foreign") {
        std::istringstream args(rest);
        std::string form, file;
        args >> form >> file;
        bool rtf = form == "rtf";
        if ((form != "text" && !rtf) || file.empty()) {
            Fail("usage: foreign text|rtf FILE");
            return false;
        }
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            Fail("could not read \"" + file + "\"");
            return false;
        }
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SystemClipboard other;
        (rtf ? other.hasRtf : other.hasText) = true;
        (rtf ? other.rtf : other.text) = bytes;
        host_.SetForeignClipboard(other);
        return false;
    }
    if (cmd == "shot") {
        if (rest.empty() || !host_.SavePng(rest)) Fail("could not write \"" + rest + "\"");
        return false;
    }
    if (cmd == "state") {
        PrintState();
        return false;
    }
    if (cmd == "outline") {
        std::string line = DescribeOutline() + "\n";
        std::fputs(line.c_str(), stdout);
        std::fflush(stdout);
        return false;
    }
    if (cmd == "places") {
        std::string line = DescribePlaces() + "\n";
        std::fputs(line.c_str(), stdout);
        std::fflush(stdout);
        return false;
    }
    if (cmd == "place") {
        char* end = nullptr;
        long k = std::strtol(rest.c_str(), &end, 10);
        if (rest.empty() || *end || k < 1) {
            Fail("usage: place K (1 the first place)");
            return false;
        }
        if (!ChooseOpenPlace(int(k - 1))) {
            Fail(OpenPlaces() ? "the list has no place " + rest : "no Find All list is open");
            return false;
        }
        return true;
    }
    if (cmd == "access") {
        std::string out;
        if (rest.empty() || rest == "events") {
            out = DescribeAccess(rest);
        } else if (!DescribeFocusedText(rest, &out)) {
            Fail("usage: access [events | text | at X Y | caret N]");
            return false;
        }
        std::fputs(out.c_str(), stdout);
        std::fflush(stdout);
        return false;
    }
    if (cmd == "dialog") {
        PrintDialog();
        return false;
    }
    if (cmd == "memory") {
        // The resident size, for long runs that watch the program's memory.
        std::ifstream status("/proc/self/status");
        std::string field;
        long kb = -1;
        while (status >> field)
            if (field == "VmRSS:" && status >> kb) break;
        std::printf("{\"rss_kb\":%ld}\n", kb);
        std::fflush(stdout);
        return false;
    }
    if (cmd == "focus") {
        host_.SetDesktopFocus(rest != "off");
        return true;
    }
    if (cmd == "resize") {
        int w, h;
        if (std::sscanf(rest.c_str(), "%d %d", &w, &h) != 2 || w <= 0 || h <= 0) {
            Fail("usage: resize W H");
            return false;
        }
        host_.Resize(w, h);
        return true;
    }
    if (cmd == "failalloc") {
        SetHeapFailure(unsigned(std::strtoul(rest.c_str(), nullptr, 10)));
        return false;
    }
    if (cmd == "quit") {
        finished_ = true;
        return Finish();
    }
    Fail("unknown command \"" + cmd + "\"");
    return false;
}

void ScriptDriver::PrintState() {
    std::string s = "{";
    s += "\"lesson\":" + std::to_string(App.Lesson);
    s += ",\"activePane\":\"";
    s += App.ActivePane && App.ActivePane == App.BottomPane ? "bottom" : "top";
    s += "\",\"topFirstRow\":" + FirstRow(App.TopPane);
    s += ",\"bottomFirstRow\":" + FirstRow(App.BottomPane);
    s += ",\"bottomSection\":" + std::to_string(App.BottomSection);
    s += ",\"flags\":" + std::to_string(App.Flags);
    s += ",\"bookmarks\":[";
    for (int i = 0; App.BookmarkList && App.BookmarkList[i]; ++i)
        s += (i ? "," : "") + std::to_string(App.BookmarkList[i]);
    s += "],\"searchString\":\"";
    for (int i = 0; i < int(sizeof App.SearchString) && App.SearchString[i]; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x", App.SearchString[i]);
        s += hex;
    }
    s += "\"";
    s += ",\"topMark\":" + Mark(App.TopPane);
    s += ",\"bottomMark\":" + Mark(App.BottomPane);
    // The selection of each pane: [anchor, active] in reading offsets, null without one.
    s += ",\"topSelection\":" + SelectionJson(App.TopPane);
    s += ",\"bottomSelection\":" + SelectionJson(App.BottomPane);
    ModalInfo modal;
    bool open = DescribeActiveModal(&modal);
    s += ",\"dialog\":" + (open && !modal.messageBox ? Json(modal.caption) : std::string("null"));
    s += ",\"messageBox\":";
    s += open && modal.messageBox
             ? "{\"caption\":" + Json(modal.caption) + ",\"text\":" + Json(modal.text) + "}"
             : std::string("null");
    // Whether the desktop has the reader's main window in front (for the single-instance rule).
    s += ",\"inFront\":";
    s += GetForegroundWindow() && GetForegroundWindow() == App.MainWindow ? "true" : "false";
    // The last web address the program asked the shell to open.
    s += ",\"lastOpened\":" +
         (host_.lastOpened().empty() ? std::string("null") : Json(Utf8ToUtf16(host_.lastOpened())));
    // The checked items of the real menus: Bookmark, Reverse and the bottom size.
    std::set<UINT> checked;
    CollectChecked(GoMenu(), checked);
    CollectChecked(BottomMenu(), checked);
    s += ",\"checked\":[";
    for (UINT id : checked) s += (id == *checked.begin() ? "" : ",") + std::to_string(id);
    s += "]";
    // The display font's size (zoom), the display mode and the desktop window's full screen.
    s += ",\"fontSize\":" + std::to_string(App.Font.FontSize);
    s += ",\"displayMode\":\"" + std::string(DisplayModeName(App.DisplayMode)) + "\"";
    s += ",\"windowFullScreen\":";
    s += host_.fullScreen() ? "true" : "false";
    s += "}\n";
    std::fputs(s.c_str(), stdout);
    std::fflush(stdout);
}

// {"dialog":caption or null,"controls":[{"id","class","text", and "checked" for radio buttons
// and check boxes, "items" and "selection" for list boxes, "selection":[start,end] for edit
// fields}]}, for the active dialog or message box.
void ScriptDriver::PrintDialog() {
    ModalInfo modal;
    bool open = DescribeActiveModal(&modal);
    std::string s = "{\"dialog\":" + (open ? Json(modal.caption) : std::string("null"));
    if (open) {
        RECT r;
        GetWindowRect(modal.window, &r);
        s += ",\"rect\":" + RectJson(r);
    }
    s += ",\"controls\":[";
    bool first = true;
    for (const ControlInfo& c : open ? DescribeControls(modal.window) : std::vector<ControlInfo>{}) {
        s += first ? "{" : ",{";
        first = false;
        s += "\"id\":" + std::to_string(c.id) + ",\"class\":" + Json(c.className) +
             ",\"text\":" + Json(c.text) + ",\"rect\":" + RectJson(c.rect);
        if (c.checked >= 0) s += std::string(",\"checked\":") + (c.checked ? "true" : "false");
        if (c.isList) {
            s += ",\"items\":[";
            for (size_t i = 0; i < c.items.size(); ++i) s += (i ? "," : "") + Json(c.items[i]);
            s += "],\"selection\":" + std::to_string(c.selection);
        }
        if (c.isEdit)
            s += ",\"selection\":[" + std::to_string(c.selStart) + "," + std::to_string(c.selEnd) +
                 "]";
        s += "}";
    }
    s += "]}\n";
    std::fputs(s.c_str(), stdout);
    std::fflush(stdout);
}
