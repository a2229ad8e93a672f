#include "gui/UtilWindow.h"

#include "gui/Application.h"

namespace {
const char* const UtilWindowClass = "TPUtilWindow";
}

TUtilWindow::TUtilWindow(THandler handler, bool topLevel) : FHandler(std::move(handler)) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExA(instance, UtilWindowClass, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &TUtilWindow::WndProc;
        wc.hInstance = instance;
        wc.lpszClassName = UtilWindowClass;
        RegisterClassExA(&wc);
    }
    FHandle = CreateWindowExA(WS_EX_TOOLWINDOW, UtilWindowClass, "", WS_POPUP, 0, 0, 0, 0,
                              topLevel ? nullptr : HWND_MESSAGE, nullptr, instance, this);
}

TUtilWindow::~TUtilWindow() {
    if (FHandle) {
        SetWindowLongPtrA(FHandle, GWLP_USERDATA, 0);
        DestroyWindow(FHandle);
    }
}

LRESULT CALLBACK TUtilWindow::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<TUtilWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && self->FHandler) {
        LRESULT result = 0;
        try {
            if (self->FHandler(msg, wParam, lParam, result))
                return result;
        } catch (...) {
            Application().HandleException(nullptr);
            return 0;
        }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
