#pragma once
// Windows, messages, focus and activation, dialogs and message boxes: the window-system calls
// the reader makes, with Win32 meanings, numbers and results.
#include "platform/win32_constants.h"
#include "platform/win32_types.h"

struct WNDCLASS {
    UINT style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HINSTANCE hInstance = nullptr;
    HICON hIcon = nullptr;
    void* hCursor = nullptr;
    HBRUSH hbrBackground = nullptr;
    LPCWSTR lpszMenuName = nullptr;
    LPCWSTR lpszClassName = nullptr;
};

// Returns a non-zero atom, or 0 when the name is missing or already registered.
WORD RegisterClass(const WNDCLASS* wc);
BOOL UnregisterClass(LPCWSTR className, HINSTANCE instance);

// Creates a window; WM_CREATE runs inside, and a result of -1 from it destroys the window and
// gives nullptr. CW_USEDEFAULT for a top-level window gives the whole screen, and such a window
// follows the screen's size. A top-level window with a parent treats it as its owner.
HWND CreateWindowEx(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance,
                    void* param);
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);

struct CREATESTRUCT {
    void* lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy, cx, y, x;
    LONG style;
    LPCWSTR lpszName;
    LPCWSTR lpszClass;
    DWORD dwExStyle;
};

// Top-level window of that class and title (nullptr matches any title); class names compare
// without regard to case. Windows of the running reader in another process are found too.
HWND FindWindow(LPCWSTR className, LPCWSTR title);
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND hwnd);
HWND GetActiveWindow();
HWND GetParent(HWND hwnd);
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND hwnd);
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);
BOOL IsWindowVisible(HWND hwnd);

// The record WM_WINDOWPOSCHANGED points to.
struct WINDOWPOS {
    HWND hwnd;
    HWND hwndInsertAfter;
    int x, y, cx, cy;
    UINT flags;
};

BOOL ShowWindow(HWND hwnd, int cmd);
BOOL UpdateWindow(HWND hwnd);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL ClientToScreen(HWND hwnd, POINT* pt);
BOOL ScreenToClient(HWND hwnd, POINT* pt);
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);

int GetWindowText(HWND hwnd, char16_t* buffer, int capacity);
int GetWindowTextLength(HWND hwnd);
BOOL SetWindowText(HWND hwnd, LPCWSTR text);
UINT GetDlgItemText(HWND dialog, int id, char16_t* buffer, int capacity);
BOOL SetDlgItemText(HWND dialog, int id, LPCWSTR text);
DWORD GetWindowStyle(HWND hwnd);
// GWL_USERDATA-style slot for a window procedure's own record.
constexpr int GWL_USERDATA = -21;
// The window's procedure: setting it subclasses the window, and the new procedure hands what it
// does not handle to the old one with CallWindowProc.
constexpr int GWL_WNDPROC = -4;
constexpr int DWL_MSGRESULT = 0;
constexpr int DWL_USER = 8;
intptr_t GetWindowLong(HWND hwnd, int index);
intptr_t SetWindowLong(HWND hwnd, int index, intptr_t value);

int GetSystemMetrics(int index);

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
void PostQuitMessage(int exitCode);
// 1 for a message, 0 for WM_QUIT, -1 on error. Waits for input through the host when the queue
// is empty and nothing needs painting.
BOOL GetMessage(MSG* msg, HWND hwnd, UINT first, UINT last);
// Non-blocking: takes a message when one is there (PM_REMOVE).
constexpr UINT PM_NOREMOVE = 0;
constexpr UINT PM_REMOVE = 1;
BOOL PeekMessage(MSG* msg, HWND hwnd, UINT first, UINT last, UINT remove);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);

// Accelerator tables: ACCEL records with FVIRTKEY/FCONTROL/FALT/FSHIFT flags.
struct ACCEL {
    BYTE fVirt;
    WORD key;
    WORD cmd;
};
struct AcceleratorTable {
    const ACCEL* entries;
    int count;
};
HACCEL LoadAccelerators(HINSTANCE instance, WORD id);
// A key message matching an entry becomes WM_COMMAND (HIWORD 1) to the window; returns 1 then.
int TranslateAccelerator(HWND hwnd, HACCEL table, MSG* msg);
// Whether a virtual key is down, as reported by the last key event (bit 15).
short GetKeyState(int vk);

// Dialogs. A template is a record (see dialog_template.h); the result is the value given to
// EndDialog, or -1 when the dialog could not be created.
struct DialogTemplate;
intptr_t DialogBoxIndirectParam(HINSTANCE instance, const DialogTemplate* tmpl, HWND owner,
                                DLGPROC proc, LPARAM param);
// Finds resource (id, RT_DIALOG) and runs it.
intptr_t DialogBoxParam(HINSTANCE instance, WORD id, HWND owner, DLGPROC proc, LPARAM param);
BOOL EndDialog(HWND dialog, intptr_t result);
// Dialog base units of the system font: LOWORD horizontal, HIWORD vertical.
LONG GetDialogBaseUnits();
BOOL MapDialogRect(HWND dialog, RECT* rect);

// Message boxes: styles MB_OK (0) or MB_YESNOCANCEL (3), with MB_ICONSTOP (16) or
// MB_ICONEXCLAMATION (48). A missing caption means "Error". Returns IDOK, IDCANCEL, IDYES, IDNO.
int MessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style);

// Modal loops. A dialog or message box runs its own loop, which dispatches every message that
// comes meanwhile, while the code that opened it still waits below on the stack and holds what it
// was working on. A message that would free such things (going to another article, closing the
// program) is held back until every modal loop has ended, then posted in the order it came.
int ModalLoopDepth();
// Posts at once when no modal loop runs; otherwise holds the message. Returns FALSE for a window
// that is gone.
BOOL PostWhenModalLoopsEnd(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Asks every open dialog and message box to end as Cancel (or OK for a box with only OK) does, the
// front one first, so that the loops unwind and a held close can run. A box asking a question
// (Yes, No, Cancel) ends with no answer (0).
void CancelModalLoops();

// Operating-system version: this platform reports 3.0.
struct OSVERSIONINFO {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
};
BOOL GetVersionEx(OSVERSIONINFO* info);

// The program's own file name; returns its length in units.
DWORD GetModuleFileName(HINSTANCE module, char16_t* buffer, DWORD capacity);
