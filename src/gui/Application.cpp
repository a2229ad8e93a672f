#include "gui/Application.h"

#include <windows.h>

#include "base/ApplicationHooks.h"
#include "gui/Classes.h"
#include "base/Exception.h"
#include "gui/Form.h"
#include "gui/PageControl.h"

TApplication::TApplication() : FTitle(ApplicationTitle()), FExeName(ExecutableName()) {
    // The settings store and the system information reach the program through these.
    SetApplicationHooks({[this] { return FTitle; }, [this] { ProcessMessages(); },
                         [this] { return FMainForm ? FMainForm->Handle() : nullptr; },
                         [this](const std::string& Text, const std::string& Caption, UINT Flags) {
                             return MessageBox(Text, Caption, Flags);
                         }});
}

TApplication::~TApplication() {
    DestroyForms();
    SetApplicationHooks({});
}

TApplication& Application() {
    static TApplication application;
    return application;
}

void TApplication::AddForm(std::unique_ptr<TForm> Form) {
    if (!FMainForm)
        FMainForm = Form.get();
    FForms.push_back(std::move(Form));
}

void TApplication::FinishCreate(TForm* Form) {
    if (Form == FMainForm)
        Form->Handle();
    Form->DoCreate();
}

void TApplication::FormDestroyed(TForm* Form) {
    if (FMainForm == Form)
        FMainForm = nullptr;
}

void TApplication::DestroyForms() {
    FDestroyingForms = true;
    while (!FForms.empty()) {
        std::unique_ptr<TForm> form = std::move(FForms.back());
        FForms.pop_back();
        form->DoDestroy();
        form->DestroyHandle();
    }
    FMainForm = nullptr;
    FTerminated = false;
    FTerminateRequested = false;
    FDestroyingForms = false;
}

void TApplication::Run() {
    FTerminated = false;
    if (FMainForm)
        FMainForm->Show();
    while (!FTerminated)
        HandleMessage();
}

bool TApplication::ProcessMessage(MSG& Msg) {
    if (!PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) {
        // A window's move loop ends at the quit message and keeps it: the request stands.
        if (FTerminateRequested)
            FTerminated = true;
        return false;
    }
    if (Msg.message == WM_QUIT) {
        FTerminated = true;
        return true;
    }
    // Keys of a form go through the dialog manager (Tab, Enter, Esc); Ctrl+Tab turns its pages.
    if (Msg.message >= WM_KEYFIRST && Msg.message <= WM_KEYLAST && Msg.hwnd) {
        HWND root = GetAncestor(Msg.hwnd, GA_ROOT);
        if (dynamic_cast<TForm*>(TControl::FromHandle(root)) &&
            (TPageControl::HandlePageKey(Msg) || IsDialogMessageA(root, &Msg)))
            return true;
    }
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
    return true;
}

void TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg) && !FTerminated)
        WaitMessage();
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::Terminate() {
    FTerminateRequested = true;
    EndMenu();
    PostQuitMessage(0);
}

bool TApplication::InSystemLoop() {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetCurrentThreadId(), &info))
        return false;
    return (info.flags &
            (GUI_INMENUMODE | GUI_INMOVESIZE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) != 0;
}

void TApplication::EndSystemLoop() {
    EndMenu();
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetCurrentThreadId(), &info) || !(info.flags & GUI_INMOVESIZE))
        return;
    // Windows' loop ends when it loses the mouse; Wine's then still waits for a key, and a key
    // posted to no window reaches no window when the loop has gone already.
    if (info.hwndMoveSize)
        SendMessageA(info.hwndMoveSize, WM_CANCELMODE, 0, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0);
}

void TApplication::HandleException(TObject* Sender) {
    if (!std::current_exception())
        return; // not called from a catch block: nothing to report
    try {
        try {
            throw;
        } catch (const std::exception& e) {
            if (OnException)
                OnException(Sender, e);
            else
                ShowException(e);
        } catch (...) {
            const Exception e("Unknown exception");
            if (OnException)
                OnException(Sender, e);
            else
                ShowException(e);
        }
    } catch (...) {
        // The error handler itself failed: nothing more can be reported.
    }
}

void TApplication::ShowException(const std::exception& E) {
    MessageBox(E.what(), FTitle, MB_OK | MB_ICONERROR);
}

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
    if (FMessageBoxFunction)
        return FMessageBoxFunction(Text, Caption, Flags);
    return ::MessageBoxA(nullptr, Text.c_str(), Caption.c_str(),
                         Flags | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST);
}
