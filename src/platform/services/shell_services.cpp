#include "platform/services/shell_services.h"

#include "platform/hosting.h"
#include "platform/unicode.h"
#include "platform/user/user.h"
#include "platform/user/window_internal.h"

namespace {

std::vector<ShellCall>& Log() {
    static std::vector<ShellCall> log;
    return log;
}

void Record(const char* name, DWORD value, std::string text = {}) {
    Log().push_back(ShellCall{name, value, std::move(text)});
}

LRESULT TaskbarProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProc(w, msg, wp, lp);
}

}  // namespace

const std::vector<ShellCall>& ShellCallLog() { return Log(); }
void ClearShellCallLog() { Log().clear(); }

BOOL SHFullScreen(HWND hwnd, DWORD flags) {
    Record("SHFullScreen", flags);
    if (!IsWindow(hwnd)) return FALSE;
    Host* host = CurrentHost();
    if (host && (flags & SHFS_HIDETASKBAR)) host->SetFullScreen(true);
    if (host && (flags & SHFS_SHOWTASKBAR)) host->SetFullScreen(false);
    return TRUE;
}

BOOL SetDesktopFullScreen(BOOL on) {
    Record("SetDesktopFullScreen", DWORD(on != FALSE));
    Host* host = CurrentHost();
    if (!host) return FALSE;
    host->SetFullScreen(on != FALSE);
    return TRUE;
}

BOOL IsDesktopFullScreen() {
    Host* host = CurrentHost();
    return host && host->IsFullScreen() ? TRUE : FALSE;
}

BOOL SHInitDialog(SHINITDLGINFO* info) {
    if (!info || !IsWindow(info->hDlg)) return FALSE;
    Record("SHInitDialog", info->dwFlags);
    if (!(info->dwMask & SHIDIM_FLAGS)) return TRUE;
    HWND dlg = info->hDlg;
    if (info->dwFlags & SHIDIF_DONEBUTTON) {
        dlg->captionOk = true;
        InvalidateRect(dlg, nullptr, FALSE);
    }
    if (info->dwFlags & (SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR)) {
        // A full-screen dialog stays so when the screen (the desktop window) changes size.
        dlg->followsScreen = true;
        MoveWindow(dlg, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                   TRUE);
    }
    return TRUE;
}

BOOL SipShowIM(DWORD flags) {
    Record("SipShowIM", flags);
    return TRUE;
}

BOOL SHSipPreference(HWND, int preference) {
    Record("SHSipPreference", DWORD(preference));
    return TRUE;
}

BOOL SHHandleWMSettingChange(HWND, WPARAM wp, LPARAM, SHACTIVATEINFO*) {
    Record("SHHandleWMSettingChange", DWORD(wp));
    return TRUE;
}

BOOL SHHandleWMActivate(HWND, WPARAM wp, LPARAM, SHACTIVATEINFO*, DWORD) {
    Record("SHHandleWMActivate", DWORD(wp));
    return TRUE;
}

BOOL ShellExecuteEx(SHELLEXECUTEINFO* info) {
    if (!info || !info->lpFile) return FALSE;
    std::string address = Utf16ToUtf8(info->lpFile);
    Record("ShellExecuteEx", info->fMask, address);
    if (!info->lpVerb || !EqualsIgnoringCase(info->lpVerb, u"Open")) return FALSE;
    Host* host = CurrentHost();
    return host && host->OpenAddress(address) ? TRUE : FALSE;
}

void InitCommonControls() { Record("InitCommonControls", 0); }

void CreateShellWindows() {
    for (Window* w : wm::TopLevels())
        if (w->cls && EqualsIgnoringCase(w->cls->name, u"HHTaskBar")) return;
    WNDCLASS wc{};
    wc.lpfnWndProc = TaskbarProc;
    wc.lpszClassName = u"HHTaskBar";
    RegisterClass(&wc);
    // The desktop has no taskbar strip of ours: the window is empty, but it can be found,
    // hidden and shown again as the reader expects.
    HWND bar = CreateWindowEx(0, u"HHTaskBar", u"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              nullptr, nullptr);
    if (bar) {
        bar->noActivate = true;
        bar->style |= WS_VISIBLE;
    }
}
