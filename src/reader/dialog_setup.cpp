#include "reader/dialog_setup.h"

#include "platform/services/shell_services.h"
#include "reader/app_state.h"

void SetUpDialog(HWND dialog, DWORD flags) {
    SHINITDLGINFO info{SHIDIM_FLAGS, dialog, flags | (App.FullScreen ? 0 : SHIDIF_DONEBUTTON)};
    SHInitDialog(&info);
    if (App.FullScreen) {
        RECT r;
        GetWindowRect(dialog, &r);
        MoveWindow(dialog, r.left, 0, r.right, r.bottom, FALSE);
    }
}
