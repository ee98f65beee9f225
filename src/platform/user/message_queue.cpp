// The thread's message queue: sending, posting, getting, translation, dispatch and painting.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/hosting.h"
#include "platform/resources.h"
#include "platform/user/single_instance.h"
#include "platform/user/window_internal.h"

namespace {

// A posted message, and for a key from the host the keyboard's state when it was pressed or
// released: GetKeyState answers with that state once the message is taken from the queue, so a
// key that waited in the queue (the program was busy) is read with the modifiers it came with.
struct Posted {
    MSG m;
    bool hasKeys = false;
    bool ctrl = false, alt = false, shift = false, down = false;
};

struct Queue {
    std::deque<Posted> posted;
    // The windows running a modal loop, the innermost last, and what waits for them all to end.
    std::vector<HWND> modal;
    std::vector<MSG> held;
    bool quitPosted = false;
    int quitCode = 0;
    bool keyDown[256] = {};
};

Queue& queue() {
    static Queue q;
    return q;
}

bool Matches(const MSG& m, HWND filter) {
    if (!filter) return true;
    for (HWND w = m.hwnd; w; w = w->parent)
        if (w == filter) return true;
    return false;
}

}  // namespace

void ResetMessageQueue() { queue() = Queue{}; }

void EnterModalLoop(HWND w) { queue().modal.push_back(w); }

void LeaveModalLoop(HWND w) {
    Queue& q = queue();
    auto it = std::find(q.modal.rbegin(), q.modal.rend(), w);
    if (it != q.modal.rend()) q.modal.erase(std::next(it).base());
    if (!q.modal.empty()) return;
    std::vector<MSG> held;
    held.swap(q.held);
    for (const MSG& m : held) PostMessage(m.hwnd, m.message, m.wParam, m.lParam);
}

int ModalLoopDepth() { return int(queue().modal.size()); }

BOOL PostWhenModalLoopsEnd(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (w && !IsWindow(w)) return FALSE;
    Queue& q = queue();
    if (q.modal.empty()) return PostMessage(w, msg, wp, lp);
    q.held.push_back(MSG{w, msg, wp, lp, 0, {}});
    return TRUE;
}

void CancelModalLoops() {
    Queue& q = queue();
    for (auto it = q.modal.rbegin(); it != q.modal.rend(); ++it) {
        if (!IsWindow(*it)) continue;
        // A box that asks a question ends with no answer (0, as when it goes with its owner):
        // its Cancel means something of its own ("don't ask again").
        if ((*it)->messageBox && (UINT(GetWindowLong(*it, DWL_USER)) & MB_TYPEMASK) != MB_OK) {
            EndDialog(*it, 0);
            continue;
        }
        PostMessage(*it, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
}

void RecordKeyState(unsigned vk, bool down) {
    if (vk < 256) queue().keyDown[vk] = down;
}

bool HasPendingMessages() { return !queue().posted.empty() || queue().quitPosted; }

LRESULT SendMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (IsRemoteWindow(w)) return RemoteSendMessage(w, msg, wp, lp);
    if (!IsWindow(w) || !w->proc) return 0;
    return w->proc(w, msg, wp, lp);
}

BOOL PostMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (w && !IsWindow(w)) return FALSE;
    queue().posted.push_back({MSG{w, msg, wp, lp, 0, {}}});
    return TRUE;
}

void PostKeyMessage(HWND w, UINT msg, WPARAM vk, LPARAM lp, bool ctrl, bool alt, bool shift,
                    bool down) {
    if (w && !IsWindow(w)) return;
    queue().posted.push_back({MSG{w, msg, vk, lp, 0, {}}, true, ctrl, alt, shift, down});
}

void PostQuitMessage(int code) {
    queue().quitPosted = true;
    queue().quitCode = code;
}

BOOL PeekMessage(MSG* m, HWND filter, UINT, UINT, UINT remove) {
    Queue& q = queue();
    for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
        if (it->m.hwnd && !IsWindow(it->m.hwnd)) {
            it = q.posted.erase(it);
            if (it == q.posted.end()) break;
            --it;
            continue;
        }
        if (!Matches(it->m, filter)) continue;
        *m = it->m;
        if (remove) {
            if (it->hasKeys) {
                RecordKeyState(VK_CONTROL, it->ctrl);
                RecordKeyState(VK_MENU, it->alt);
                RecordKeyState(VK_SHIFT, it->shift);
                RecordKeyState(unsigned(it->m.wParam), it->down);
            }
            q.posted.erase(it);
        }
        return TRUE;
    }
    if (q.quitPosted) {
        *m = MSG{nullptr, WM_QUIT, WPARAM(q.quitCode), 0, 0, {}};
        if (remove) q.quitPosted = false;
        return TRUE;
    }
    if (Window* w = wm::NextWindowToPaint()) {
        if (!filter || Matches(MSG{w, 0, 0, 0, 0, {}}, filter)) {
            *m = MSG{w, WM_PAINT, 0, 0, 0, {}};
            return TRUE;
        }
    }
    return FALSE;
}

BOOL GetMessage(MSG* m, HWND filter, UINT first, UINT last) {
    for (;;) {
        if (SingleInstanceFd() >= 0) ServeOtherStarts();
        if (PeekMessage(m, filter, first, last, PM_REMOVE)) return m->message == WM_QUIT ? 0 : 1;
        Host* host = CurrentHost();
        if (!host || !host->WaitForInput()) {
            std::fprintf(stderr,
                         "orvanel: the message loop waits for input and the host can bring none "
                         "(headless host without an idle hook?)\n");
            std::abort();
        }
    }
}

BOOL TranslateMessage(const MSG* m) {
    if (!m || m->message != WM_KEYDOWN) return FALSE;
    // F1 asks for help: the default procedure turns it into WM_HELP.
    if (m->wParam == VK_F1) {
        PostMessage(m->hwnd, WM_KEYF1, 0, 0);
        return TRUE;
    }
    // Printable characters arrive from the hosts as text; only the control keys that Win32
    // turns into characters are produced here.
    char16_t c = 0;
    switch (m->wParam) {
        case VK_RETURN: c = u'\r'; break;
        case VK_ESCAPE: c = 0x1B; break;
        case VK_BACK: c = 0x08; break;
        case VK_TAB: c = u'\t'; break;
    }
    if (!c || (GetKeyState(VK_CONTROL) & 0x8000) || (GetKeyState(VK_MENU) & 0x8000)) return FALSE;
    PostMessage(m->hwnd, WM_CHAR, c, m->lParam);
    return TRUE;
}

LRESULT DispatchMessage(const MSG* m) {
    if (!m || !m->hwnd || !IsWindow(m->hwnd)) return 0;
    Window* w = m->hwnd;
    if (m->message == WM_PAINT) {
        wm::PaintNonClient(w);
        LRESULT r = SendMessage(w, WM_PAINT, 0, 0);
        if (IsWindow(w)) ValidateRect(w, nullptr);  // a procedure that drew nothing is done too
        if (CurrentHost()) CurrentHost()->ScreenDamaged();
        return r;
    }
    return SendMessage(w, m->message, m->wParam, m->lParam);
}

short GetKeyState(int vk) {
    if (vk < 0 || vk >= 256) return 0;
    return queue().keyDown[vk] ? short(0x8000) : 0;
}

HACCEL LoadAccelerators(HINSTANCE instance, WORD id) {
    HRSRC res = FindResource(instance, id, RT_ACCELERATOR);
    return static_cast<HACCEL>(LoadResource(instance, res));
}

int TranslateAccelerator(HWND w, HACCEL table, MSG* m) {
    if (!table || !m || !IsWindow(w)) return 0;
    if (m->message != WM_KEYDOWN && m->message != WM_SYSKEYDOWN) return 0;
    bool ctrl = GetKeyState(VK_CONTROL) & 0x8000, alt = GetKeyState(VK_MENU) & 0x8000,
         shift = GetKeyState(VK_SHIFT) & 0x8000;
    for (int i = 0; i < table->count; ++i) {
        const ACCEL& a = table->entries[i];
        if (!(a.fVirt & FVIRTKEY) || a.key != m->wParam) continue;
        if (bool(a.fVirt & FCONTROL) != ctrl || bool(a.fVirt & FALT) != alt ||
            bool(a.fVirt & FSHIFT) != shift)
            continue;
        SendMessage(w, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
        return 1;
    }
    return 0;
}

LRESULT CallWindowProc(WNDPROC proc, HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    return proc ? proc(w, msg, wp, lp) : 0;
}

// Paints the window (and its children) now if it has an invalid area.
BOOL UpdateWindow(HWND w) {
    if (!IsWindow(w)) return FALSE;
    MSG m;
    while (Window* p = wm::NextWindowToPaint()) {
        if (wm::TopLevelOf(p) != wm::TopLevelOf(w)) break;
        m = MSG{p, WM_PAINT, 0, 0, 0, {}};
        DispatchMessage(&m);
    }
    return TRUE;
}
