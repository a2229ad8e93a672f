#pragma once
// TForm: a top-level window registered under its own class name, with the form events, modal
// runs and dialog keys.
//
//   class TfrmOptions : public TForm {
//   public:
//       TfrmOptions() : TForm("TfrmOptions") {   // no window yet: every value is kept
//           SetBorderStyle(bsDialog); SetCaption("Options"); SetClientSize(428, 178);
//           SetPosition(poDesktopCenter);
//           btnOk.SetBounds(264, 8, 73, 21); btnOk.SetModalResult(mrOk);
//       }
//       int Execute() { return ShowModal(); }   // mrOk (1) or mrCancel (2)
//       TPanel pnlButtons{this};
//       TButton btnOk{&pnlButtons};
//   };
//   Application().CreateForm(frmOptions);        // no window yet; runs OnCreate
//
// The form's window and its controls' are made when the form first shows or a window of it is
// first read (Handle, a size the object does not hold...), never by a setter; see TControl. A form
// owned by the main form makes no window once the main form's window has gone.
//
// Closing: Close() asks OnCloseQuery, then OnClose (default action caHide). Closing the main form
// terminates the application; closing a modal form (close box, Alt+F4, Close()) ends its modal
// run with mrCancel, unless a result has been set already. A modal run also ends with mrCancel when
// the application terminates.
//
// Keys: Tab/Shift+Tab move between controls with WS_TABSTOP in z-order (see SetTabOrder); Enter
// presses the focused button, else the button marked Default; Esc presses the button marked
// Cancel and otherwise does nothing.
//
// Other forms are owned by the main form (no taskbar button of their own); the main form carries
// the application's taskbar button, hidden and shown with it. The end-of-session query is
// answered with consent; handle WM_QUERYENDSESSION / WM_ENDSESSION in the message map to do more.
#include <functional>
#include <string>

#include "gui/Control.h"

enum TBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow };
enum TFormStyle : uint8_t { fsNormal, fsStayOnTop };
enum TPosition : uint8_t {
    poDesigned,        // Left/Top as set
    poDesktopCenter,   // centred on the desktop when first shown
    poScreenCenter,    // centred on the primary monitor when first shown
    poMainFormCenter,  // centred over the main form at each showing
    poOwnerFormCenter, // the same
};
enum TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TForm : public TControl {
public:
    // className: the window class the form is registered under (e.g. "TfrmSundown").
    explicit TForm(const std::string& ClassName = "TForm");

    const std::string& ClassName() const { return FClassName; }

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle Value);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition Value) { FPosition = Value; }
    void SetClientSize(int Width, int Height);
    void SetClientWidth(int Width) { SetClientSize(Width, ClientHeight()); }
    void SetClientHeight(int Height) { SetClientSize(ClientWidth(), Height); }

    void SetVisible(bool Value) override;
    bool Active() const { return HandleAllocated() && GetActiveWindow() == Handle(); }
    // Above its siblings (and active when the system allows).
    void BringToFront();
    // To the front as the active window, the keyboard on its focused control.
    void Activate();

    // Asks OnCloseQuery, then OnClose; see the header comment.
    void Close();
    bool CloseQuery();

    // Runs the form modally (TApplication::RunModal): mrOk (1), mrCancel (2)...
    int ShowModal();
    bool Modal() const;
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int Value) { FModalResult = Value; }

    // Fired by the application object (CreateForm, DestroyForms); exceptions are shown by the
    // default error box.
    void DoCreate();
    void DoDestroy();

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    // Fired in the form's modal run after each message the run handles, until a modal result is
    // set: a form whose run must end in time watches its clock here, as timer messages wait
    // while other messages keep coming.
    TNotifyEvent OnModalMessage;

protected:
    void CreateWnd() override;
    bool CanMakeWindow() const override;
    TForm* AsForm() const override { return const_cast<TForm*>(this); }
    LRESULT WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) override;

private:
    void ApplyPosition();
    void DialogKey(WORD Id);
    void RestoreFocus();

    std::string FClassName;
    TBorderStyle FBorderStyle = bsSizeable;
    TFormStyle FFormStyle = fsNormal;
    TPosition FPosition = poDesigned;
    bool FShownOnce = false;
    int FModalResult = mrNone;
    // Asked before the window existed; -1: none.
    int FClientWidth = -1;
    int FClientHeight = -1;
    HWND FFocusedControl = nullptr;
};
