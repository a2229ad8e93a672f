#include "gui/Application.h"

#include <windows.h>

#include <algorithm>

#include "base/ApplicationHooks.h"
#include "base/Assert.h"
#include "gui/Classes.h"
#include "base/Exception.h"
#include "gui/Form.h"

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
    ASSERT(InMainThread());
    if (!FMainForm)
        FMainForm = Form.get();
    FForms.push_back(std::move(Form));
}

// The main form's window comes with it, once OnCreate has run: made where OnCreate put it, not
// moved there afterwards.
void TApplication::FinishCreate(TForm* Form) {
    Form->DoCreate();
    if (Form == FMainForm)
        Form->Handle();
}

void TApplication::DestroyForms() {
    ASSERT(InMainThread());
    FDestroyingForms = true;
    while (!FForms.empty()) {
        std::unique_ptr<TForm> form = std::move(FForms.back());
        FForms.pop_back();
        form->DoDestroy();
        // The windows go while the whole object still stands, owned windows with them.
        form->DestroyHandle();
        if (form.get() == FMainForm)
            FMainForm = nullptr;
    }
    FMainForm = nullptr;
    FTerminated = false;
    FTerminateRequested = false;
    FDestroyingForms = false;
}

bool TApplication::Ending() const {
    ASSERT(InMainThread());
    return FTerminateRequested || FTerminated || FDestroyingForms;
}

void TApplication::Run() {
    ASSERT(InMainThread());
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
    if (!PreTranslate(Msg)) {
        TranslateMessage(&Msg);
        DispatchMessageA(&Msg);
    }
    return true;
}

// Keys of a form go to the filters, then through the dialog manager (Tab, Enter, Esc).
bool TApplication::PreTranslate(MSG& Msg) {
    if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST || !Msg.hwnd)
        return false;
    HWND root = GetAncestor(Msg.hwnd, GA_ROOT);
    if (!dynamic_cast<TForm*>(TControl::FromHandle(root)))
        return false;
    // A filter may add or remove filters.
    const std::vector<TMessageFilter*> filters = FMessageFilters;
    for (TMessageFilter* filter : filters)
        if (std::find(FMessageFilters.begin(), FMessageFilters.end(), filter) !=
                FMessageFilters.end() &&
            filter->PreTranslateMessage(Msg))
            return true;
    return IsDialogMessageA(root, &Msg) != FALSE;
}

void TApplication::AddMessageFilter(TMessageFilter* Filter) {
    ASSERT(InMainThread());
    if (Filter &&
        std::find(FMessageFilters.begin(), FMessageFilters.end(), Filter) == FMessageFilters.end())
        FMessageFilters.push_back(Filter);
}

void TApplication::RemoveMessageFilter(TMessageFilter* Filter) {
    ASSERT(InMainThread());
    std::erase(FMessageFilters, Filter);
}

TApplication::TDisabledWindow TApplication::TDisabledWindow::Of(HWND Wnd) {
    return {Wnd, TControl::FromHandle(Wnd)};
}

void TApplication::TDisabledWindow::Enable() const {
    if (IsWindow(Wnd) && TControl::FromHandle(Wnd) == Control)
        EnableWindow(Wnd, TRUE);
}

// One modal run's hold on the thread: the form on the stack, the thread's other shown windows
// disabled; when it goes, those enabled again, and, after the last run, the windows shown
// meanwhile.
class TApplication::TModalRun {
public:
    TModalRun(TApplication& App, TForm& Form) : FApp(App), FForm(Form) {
        EnableWindow(Form.Handle(), TRUE);
        EnumThreadWindows(GetCurrentThreadId(), &TModalRun::Disable,
                          reinterpret_cast<LPARAM>(this));
        App.FModalForms.push_back(&Form);
    }
    ~TModalRun() {
        std::erase(FApp.FModalForms, &FForm);
        for (const TDisabledWindow& w : FDisabled)
            w.Enable();
        if (!FApp.FModalForms.empty())
            return;
        for (const TDisabledWindow& w : FApp.FShownDuringModal)
            w.Enable();
        FApp.FShownDuringModal.clear();
    }
    TModalRun(const TModalRun&) = delete;
    TModalRun& operator=(const TModalRun&) = delete;

private:
    static BOOL CALLBACK Disable(HWND Wnd, LPARAM Data) {
        auto* self = reinterpret_cast<TModalRun*>(Data);
        if (Wnd != self->FForm.Handle() && IsWindowVisible(Wnd) && IsWindowEnabled(Wnd)) {
            EnableWindow(Wnd, FALSE);
            self->FDisabled.push_back(TDisabledWindow::Of(Wnd));
        }
        return TRUE;
    }
    TApplication& FApp;
    TForm& FForm;
    std::vector<TDisabledWindow> FDisabled;
};

bool TApplication::InModalRun(const TForm* Form) const {
    return std::find(FModalForms.begin(), FModalForms.end(), Form) != FModalForms.end();
}

void TApplication::ShownDuringModalRun(TForm& Form) {
    ASSERT(InMainThread());
    if (FModalForms.empty() || InModalRun(&Form) || !IsWindowEnabled(Form.Handle()))
        return;
    EnableWindow(Form.Handle(), FALSE);
    FShownDuringModal.push_back(TDisabledWindow::Of(Form.Handle()));
}

// The run ends with the application (mrCancel) or once a result is set and the form agrees to
// close; a refusal clears the result and the run goes on.
bool TApplication::ModalRunEnds(TForm& Form) {
    if (Ending()) {
        Form.SetModalResult(mrCancel);
        return true;
    }
    if (Form.ModalResult() == mrNone)
        return false;
    TCloseAction action = caNone;
    if (Form.CloseQuery()) {
        action = caHide;
        if (Form.OnClose)
            Form.OnClose(&Form, action);
    }
    if (action != caNone)
        return true;
    Form.SetModalResult(mrNone);
    return false;
}

int TApplication::RunModal(TForm& Form) {
    ASSERT(InMainThread());
    if (InModalRun(&Form) || Form.Visible())
        throw Exception("Cannot make a visible window modal");
    const TDisabledWindow activeBefore = TDisabledWindow::Of(GetActiveWindow());
    // No window can be made any more (the program is ending): nothing to wait for.
    if (!Form.Handle()) {
        Form.SetModalResult(mrCancel);
        return mrCancel;
    }
    Form.SetModalResult(mrNone);
    {
        TModalRun run(*this, Form);
        Form.Show();
        SetForegroundWindow(Form.Handle());
        while (!Ending()) {
            HandleMessage();
            if (Form.ModalResult() == mrNone && !Ending() && Form.OnModalMessage)
                Form.OnModalMessage(&Form);
            if (ModalRunEnds(Form))
                break;
        }
        if (Ending())
            Form.SetModalResult(mrCancel);
    }
    // The activation goes back before this form hides, while the program still holds it: hidden
    // first, the system would hand it to the next window, perhaps another program's. A modal form
    // below takes it, as input belongs to it, whatever window was active when this run began.
    if (TForm* below = ModalForm())
        below->Activate();
    else if (activeBefore.Wnd && activeBefore.Wnd != Form.Handle() &&
             IsWindowVisible(activeBefore.Wnd) &&
             TControl::FromHandle(activeBefore.Wnd) == activeBefore.Control)
        SetActiveWindow(activeBefore.Wnd);
    Form.Hide();
    return Form.ModalResult();
}

void TApplication::HandleMessage() {
    ASSERT(InMainThread());
    MSG msg;
    if (!ProcessMessage(msg) && !FTerminated)
        WaitMessage();
}

void TApplication::ProcessMessages() {
    ASSERT(InMainThread());
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::Terminate() {
    ASSERT(InMainThread());
    FTerminateRequested = true;
    EndMenu();
    PostQuitMessage(0);
}

bool TApplication::InSystemLoop() {
    ASSERT(InMainThread());
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetCurrentThreadId(), &info))
        return false;
    return (info.flags &
            (GUI_INMENUMODE | GUI_INMOVESIZE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) != 0;
}

void TApplication::EndSystemLoop() {
    ASSERT(InMainThread());
    if (!InSystemLoop()) {
        EndMouseHold();
        return;
    }
    // A menu's loop ends by itself; a button-up posted for a hold could choose one of its items.
    EndMenu();
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    // Windows' loop ends when it loses the mouse; Wine's then still waits for a key, and a key
    // posted to no window reaches no window when the loop has gone already.
    if (GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & GUI_INMOVESIZE)) {
        if (info.hwndMoveSize)
            SendMessageA(info.hwndMoveSize, WM_CANCELMODE, 0, 0);
        PostThreadMessageA(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0);
    }
}

bool TApplication::EndMouseHold() {
    ASSERT(InMainThread());
    HWND capture = GetCapture();
    if (!capture)
        return false;
    SendMessageA(capture, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    // The tracking of a caption button takes only mouse messages and ends at a button-up, whoever
    // holds the capture; the loop takes one posted to no window, which no window gets otherwise.
    PostThreadMessageA(GetCurrentThreadId(), WM_LBUTTONUP, 0, MAKELPARAM(-1, -1));
    return true;
}

int TApplication::RunGuarded(const std::function<void()>& Body) {
    ASSERT(InMainThread());
    try {
        Body();
        return 0;
    } catch (...) {
        HandleException(nullptr);
    }
    try {
        DestroyForms();
    } catch (...) {
        // Ending anyway: a form that cannot go is left to the system.
    }
    return 1;
}

void TApplication::HandleException(TObject* Sender) {
    ASSERT(InMainThread());
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
    ASSERT(InMainThread());
    if (FMessageBoxFunction)
        return FMessageBoxFunction(Text, Caption, Flags);
    return ::MessageBoxA(nullptr, Text.c_str(), Caption.c_str(),
                         Flags | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST);
}
