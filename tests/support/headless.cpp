#include "support/headless.h"

#include <gtest/gtest.h>

#include "platform/gdi/font_engine.h"
#include "platform/gdi/font_synthetic.h"
#include "platform/services/shell_services.h"
#include "platform/user/screen_query.h"

void ResetMessageQueue();
void ResetStockFontFaces();
namespace wm {
void ResetWindowSystem();
}

HeadlessScreen::HeadlessScreen(int width, int height, Fonts fonts) : host_(width, height) {
    wm::ResetWindowSystem();
    ResetMessageQueue();
    ClearShellCallLog();
    InstallFontEngine(fonts == Fonts::Synthetic ? MakeSyntheticEngine() : MakeFreeTypeEngine());
    ResetStockFontFaces();
    CreateShellWindows();
    host_.SetIdleHook([this] { return Idle(); });
}

HeadlessScreen::~HeadlessScreen() {
    host_.SetIdleHook(nullptr);
    wm::ResetWindowSystem();
    ResetMessageQueue();
}

bool HeadlessScreen::Idle() {
    ModalInfo info;
    if (answerMessageBoxes && DescribeActiveModal(&info) && info.messageBox) {
        messageBoxes.push_back(ShownMessageBox{info.caption, info.text, info.style});
        int id = messageBoxAnswer;
        if (id == 0) id = (info.style & MB_TYPEMASK) == MB_YESNOCANCEL ? IDYES : IDOK;
        PostMessage(info.window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        return true;
    }
    if (onIdle && onIdle()) return true;
    ADD_FAILURE() << "a modal loop waits for input and the test gives none";
    if (DescribeActiveModal(&info)) {
        EndDialog(info.window, IDCANCEL);
        return true;
    }
    PostQuitMessage(0);
    return true;
}

void HeadlessScreen::Settle() {
    MSG m;
    for (;;) {
        if (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                PostQuitMessage(int(m.wParam));
                return;
            }
            TranslateMessage(&m);
            DispatchMessage(&m);
        } else if (!host_.InjectNext()) {
            return;
        }
    }
}

HWND CreateWhiteWindow(const char16_t* className, WNDPROC proc, int w, int h) {
    WNDCLASS wc{};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = className;
    wc.hbrBackground = GetStockObject(WHITE_BRUSH);
    RegisterClass(&wc);
    return CreateWindowEx(0, className, u"", WS_VISIBLE, 0, 0, w, h, nullptr, nullptr, nullptr,
                          nullptr);
}
