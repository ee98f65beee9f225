#pragma once
// The handheld shell's services: full screen, dialog set-up, the input panel, opening a web
// address, the setting-change handler, and common-controls initialisation. Each call is
// recorded so that tests and the driver can see what the reader asked of the shell.
#include <string>
#include <vector>

#include "platform/win32_types.h"

constexpr DWORD SHFS_SHOWTASKBAR = 0x0001;
constexpr DWORD SHFS_HIDETASKBAR = 0x0002;
constexpr DWORD SHFS_SHOWSIPBUTTON = 0x0004;
constexpr DWORD SHFS_HIDESIPBUTTON = 0x0008;
constexpr DWORD SHFS_SHOWSTARTICON = 0x0010;
constexpr DWORD SHFS_HIDESTARTICON = 0x0020;
// Makes the window full screen on the desktop when the taskbar is hidden.
BOOL SHFullScreen(HWND hwnd, DWORD flags);

// The desktop window's own full screen (F11), apart from the handheld's taskbar calls above.
// Returns FALSE when there is no host.
BOOL SetDesktopFullScreen(BOOL on);
BOOL IsDesktopFullScreen();

constexpr DWORD SHIDIM_FLAGS = 0x0001;
constexpr DWORD SHIDIF_DONEBUTTON = 0x0001;
constexpr DWORD SHIDIF_SIZEDLG = 0x0002;
constexpr DWORD SHIDIF_SIZEDLGFULLSCREEN = 0x0004;
constexpr DWORD SHIDIF_SIPDOWN = 0x0008;
constexpr DWORD SHIDIF_FULLSCREENNOMENUBAR = 0x0010;
struct SHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
};
// The Done flag puts the ok button in the dialog's caption; the full-screen flags size the
// dialog to the screen.
BOOL SHInitDialog(SHINITDLGINFO* info);

constexpr DWORD SIPF_OFF = 0;
BOOL SipShowIM(DWORD flags);
constexpr int SIP_FORCEDOWN = 2;
BOOL SHSipPreference(HWND hwnd, int preference);

struct SHACTIVATEINFO {
    DWORD cbSize;
    HWND hwndLastFocus;
    UINT flags;
};
BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wp, LPARAM lp, SHACTIVATEINFO* info);
BOOL SHHandleWMActivate(HWND hwnd, WPARAM wp, LPARAM lp, SHACTIVATEINFO* info, DWORD flags);

constexpr DWORD SEE_MASK_FLAG_NO_UI = 0x00000400;
struct SHELLEXECUTEINFO {
    DWORD cbSize;
    DWORD fMask;
    HWND hwnd;
    LPCWSTR lpVerb;
    LPCWSTR lpFile;
    LPCWSTR lpParameters;
    LPCWSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
};
// Opens lpFile with the verb "Open" through the host. FALSE when the verb is another or the
// host could not open the address.
BOOL ShellExecuteEx(SHELLEXECUTEINFO* info);

void InitCommonControls();

struct ShellCall {
    std::string name;
    DWORD value = 0;
    std::string text;
};
const std::vector<ShellCall>& ShellCallLog();
void ClearShellCallLog();

// Creates the shell's own windows (the taskbar "HHTaskBar") for a newly installed host.
void CreateShellWindows();
