#pragma once
// The application object: the program's title, its executable's path, its forms, the message
// loop and the default error box.
//
//   int WINAPI WinMain(...) {
//       Application().SetTitle("Sundown");
//       return Application().RunGuarded([] {        // an error that escapes: the box, then 1
//           Application().CreateForm(frmSundown);  // the first form becomes the main form
//           Application().CreateForm(frmExitConfirm);
//           Application().Run();                   // shows the main form; loops until Terminate
//           Application().DestroyForms();
//       });
//   }
//
// Exceptions that escape an event or message handler are caught where the message is dispatched
// and handed to HandleException: OnException when assigned, otherwise the default error box (the
// message, titled with Title(), an error icon and OK); the program then runs on. Every message
// box of the layer goes through MessageBox, whose function tests can replace.
//
// The application owns the message loop and every modal run (TForm::ShowModal comes here).
// Keyboard filters (TMessageFilter) register with the loop and see each key of a form before the
// dialog manager: Application().AddMessageFilter(this); ... RemoveMessageFilter(this).
//
// All of it belongs to the thread the program started on; a debug build stops at a call from any
// other. Another thread reaches the program by posting or sending a message to one of its windows.
#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/MessageFilter.h"

class TObject;
class TControl;
class TForm;

class TApplication {
public:
    // Caption of the taskbar button and of the default error box; names the settings folder and
    // the start-with-Windows value. Defaults to the executable's name without extension.
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& Title) { FTitle = Title; }

    // Full path of the running executable.
    const std::string& ExeName() const { return FExeName; }

    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    HINSTANCE Instance() const { return GetModuleHandleA(nullptr); }

    // The first form created; closing it terminates the application. Its window carries the
    // application's taskbar button.
    TForm* MainForm() const { return FMainForm; }

    // Creates a form of type T (hidden), stores it in reference, keeps it until DestroyForms and
    // runs its OnCreate. The first form created becomes the main form; its window is made right
    // after its OnCreate, where OnCreate put it (a second copy of the program finds the running
    // one by it), the others' when first needed.
    template <class T, class... Args> T* CreateForm(T*& Reference, Args&&... Arguments) {
        auto form = std::make_unique<T>(std::forward<Args>(Arguments)...);
        Reference = form.get();
        AddForm(std::move(form));
        FinishCreate(Reference);
        return Reference;
    }
    // Runs OnDestroy of each form, newest first, and frees them; clears Terminated.
    void DestroyForms();

    // Shows the main form and handles messages until the application is told to terminate.
    void Run();
    // The program's outermost boundary (its WinMain's body): runs Body and gives 0. An exception
    // that escapes Body goes to HandleException (the error box), the forms made so far go, and
    // the result is 1.
    int RunGuarded(const std::function<void()>& Body);
    // Handles every message waiting in the queue, then returns.
    void ProcessMessages();
    // Handles one message, waiting for it when the queue is empty.
    void HandleMessage();
    // Ends the message loop (and any modal run, with mrCancel) once the loop sees it. An open
    // menu is ended first: its loop would keep the request for itself.
    void Terminate();
    // True once the termination request has reached the message loop.
    bool Terminated() const { return FTerminated; }
    // True from Terminate (or a quit message) until DestroyForms has finished: the program is
    // ending, and no window is made any more.
    bool Ending() const;

    // Shows Form and handles messages until its ModalResult is set (and its close query agrees)
    // or the application is ending (mrCancel, at the first look after Terminate, whatever
    // messages queue before the quit message); hides it and returns the result. Throws when the
    // form is already visible or modal. The form takes input even over another modal run; the
    // thread's other windows, and those shown before the last modal run ends, take none.
    int RunModal(TForm& Form);
    // The innermost form in a modal run, else nullptr.
    TForm* ModalForm() const { return FModalForms.empty() ? nullptr : FModalForms.back(); }
    bool InModalRun(const TForm* Form) const;
    // A form shown while a modal run goes on: kept disabled until the last run ends.
    void ShownDuringModalRun(TForm& Form);

    // Filters stay registered until removed; a filter removes itself before it goes.
    void AddMessageFilter(TMessageFilter* Filter);
    void RemoveMessageFilter(TMessageFilter* Filter);

    // True while a menu or a window's move or size loop of the system runs on this thread. A
    // modal run started then would run inside that loop, which keeps the mouse: start it once
    // the loop has returned (EndMenu ends a menu, EndSystemLoop either).
    static bool InSystemLoop();
    // Ends a menu or a window's move or size loop running on this thread, as if the user had
    // pressed Esc, or else any hold of the mouse (EndMouseHold): nothing the program must do then
    // waits for the user.
    static void EndSystemLoop();
    // Ends a mouse capture held by a window of this thread (WM_CANCELMODE to it, ReleaseCapture)
    // and the window system's tracking of a caption button, which no other message ends: a
    // button-up is posted to no window for it. True when a capture was held.
    static bool EndMouseHold();

    // Call inside a catch block: OnException when assigned, else ShowException.
    void HandleException(TObject* Sender);
    // The default error box.
    void ShowException(const std::exception& E);
    std::function<void(TObject* Sender, const std::exception& E)> OnException;

    // MessageBoxA, centred on the screen and modal to the application's windows. Returns IDOK,
    // IDYES ...
    int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags);
    using TMessageBoxFunction =
        std::function<int(const std::string& Text, const std::string& Caption, UINT Flags)>;
    // Replaces the system's message box (tests); an empty function restores it.
    void SetMessageBoxFunction(TMessageBoxFunction Function) {
        FMessageBoxFunction = std::move(Function);
    }

private:
    // A window disabled by a modal run, with the control it belonged to (null: not ours): a
    // handle destroyed and given to another window meanwhile is not enabled.
    struct TDisabledWindow {
        HWND Wnd;
        TControl* Control;
        static TDisabledWindow Of(HWND Wnd);
        void Enable() const;
    };
    class TModalRun;
    void AddForm(std::unique_ptr<TForm> Form);
    void FinishCreate(TForm* Form);
    bool ProcessMessage(MSG& Msg);
    bool PreTranslate(MSG& Msg);
    bool ModalRunEnds(TForm& Form);

    std::string FTitle;
    std::string FExeName;
    std::vector<std::unique_ptr<TForm>> FForms;
    TForm* FMainForm = nullptr;
    bool FTerminated = false;
    bool FTerminateRequested = false;
    bool FDestroyingForms = false;
    // Forms in a modal run, innermost last; windows shown meanwhile, disabled until the last run
    // ends.
    std::vector<TForm*> FModalForms;
    std::vector<TDisabledWindow> FShownDuringModal;
    std::vector<TMessageFilter*> FMessageFilters;
    TMessageBoxFunction FMessageBoxFunction;
};

// The one application object of the process.
TApplication& Application();
