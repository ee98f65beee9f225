// The main window's procedure.
// FIXME: the panes, the bars and the command table arrive with the reader's main window; this
// procedure creates the window, paints its client white and shuts down on destruction.
#include "shell/main_window.h"

#include "platform/gdi.h"
#include "shell/app_state.h"
#include "shell/reader_main.h"
#include "shell/settings.h"

int HandleCommand(HWND hwnd, int command) {
    switch (command) {
        case kCommandExit: DestroyWindow(hwnd); return 0;
    }
    return 1;
}

LRESULT MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE: App.MainWindow = hwnd; return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_COMMAND:
            if (HandleCommand(hwnd, LOWORD(wp)) == 0) return 0;
            break;
        case WM_DESTROY:
            ShutdownSave();
            App.MainWindow = nullptr;
            return 0;
    }
    return DefWindowProc(hwnd, msg, wp, lp);
}
