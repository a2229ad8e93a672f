#pragma once
// TJvProgressDialog: a small window with a line of text over a progress bar (and, when asked,
// a Cancel button) that stands over its owner's window while long work runs on the GUI thread.
// It is not modal: the owner stays usable.
//
//   TJvProgressDialog dialog(this);              // owner: the form it stands over
//   dialog.SetShowCancel(false); dialog.SetCaption("System Information");
//   dialog.SetSmooth(true); dialog.SetText("Gathering System Information...");
//   dialog.Show();
//   dialog.SetPosition(50);                      // repaints the dialog at once
//   dialog.Hide();                               // closes it, then handles waiting messages once
//
// The window is made by the first Show, centred on the desktop, and destroyed with the object.
// Without a Cancel button its close box does nothing; with one, either of them cancels.
#include <memory>
#include <string>

#include "gui/Classes.h"
#include "gui/Control.h"

class TProgressDialogForm;

class TJvProgressDialog : public TObject {
public:
    // Owner: its form owns the dialog's window (nullptr: the main form).
    explicit TJvProgressDialog(TControl* Owner);
    ~TJvProgressDialog() override;

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value);
    const std::string& Text() const { return FText; }
    void SetText(const std::string& Value);
    bool ShowCancel() const { return FShowCancel; }
    void SetShowCancel(bool Value);
    bool Smooth() const { return FSmooth; }
    void SetSmooth(bool Value);
    int Min() const { return FMin; }
    void SetMin(int Value);
    int Max() const { return FMax; }
    void SetMax(int Value);
    // Kept within Min .. Max.
    int Position() const { return FPosition; }
    void SetPosition(int Value);

    // Shows the dialog's window, not modal.
    void Show();
    // Closes the window and handles the waiting messages once.
    void Hide();
    bool Visible() const;
    // True once the user has pressed Cancel (or closed a dialog that has Cancel) since Show.
    bool Cancelled() const { return FCancelled; }
    // The dialog's window once shown, else nullptr.
    HWND Handle() const;

    TNotifyEvent OnCancel;

private:
    friend class TProgressDialogForm;
    void DoCancel();
    void Update();

    TControl* FOwner;
    std::unique_ptr<TProgressDialogForm> FForm;
    std::string FCaption;
    std::string FText;
    bool FShowCancel = true;
    bool FSmooth = false;
    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    bool FCancelled = false;
};
