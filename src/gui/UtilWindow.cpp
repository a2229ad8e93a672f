#include "gui/UtilWindow.h"

#include "gui/Application.h"
#include "base/Assert.h"
#include "base/Exception.h"
#include "base/SystemError.h"

namespace {
const char* const UtilWindowClass = "TPUtilWindow";
// The window's object, in the window's extra bytes.
constexpr int ObjectSlot = 0;
} // namespace

TUtilWindow::TUtilWindow(THandler Handler, bool TopLevel)
    : FHandler(std::move(Handler)), FTopLevel(TopLevel) {}

TUtilWindow::~TUtilWindow() {
    if (FHandle) {
        SetWindowLongPtrA(FHandle, ObjectSlot, 0);
        DestroyWindow(FHandle);
    }
}

HWND TUtilWindow::Handle() const {
    if (!FHandle)
        const_cast<TUtilWindow*>(this)->CreateHandle();
    return FHandle;
}

void TUtilWindow::CreateHandle() {
    ASSERT(InMainThread()); // its messages must come to the thread of the program's loop
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExA(instance, UtilWindowClass, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &TUtilWindow::WndProc;
        wc.cbWndExtra = sizeof(TUtilWindow*);
        wc.hInstance = instance;
        wc.lpszClassName = UtilWindowClass;
        if (!RegisterClassExA(&wc))
            throw Exception(Format("Cannot register the window class %s. %s", UtilWindowClass,
                                   SysErrorMessage(GetLastError()).c_str()));
    }
    if (!CreateWindowExA(WS_EX_TOOLWINDOW, UtilWindowClass, "", WS_POPUP, 0, 0, 0, 0,
                         FTopLevel ? nullptr : HWND_MESSAGE, nullptr, instance, this)) {
        FHandle = nullptr;
        throw Exception(Format("Error creating window of class %s (error %lu)", UtilWindowClass,
                               GetLastError()));
    }
}

LRESULT CALLBACK TUtilWindow::WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg == WM_NCCREATE) {
        auto* self =
            static_cast<TUtilWindow*>(reinterpret_cast<CREATESTRUCTA*>(LParam)->lpCreateParams);
        self->FHandle = Wnd;
        SetWindowLongPtrA(Wnd, ObjectSlot, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TUtilWindow*>(GetWindowLongPtrA(Wnd, ObjectSlot));
    if (self && self->FHandler) {
        LRESULT result = 0;
        try {
            if (self->FHandler(Msg, WParam, LParam, result))
                return result;
        } catch (...) {
            Application().HandleException(nullptr);
            return 0;
        }
    }
    return DefWindowProcA(Wnd, Msg, WParam, LParam);
}
