#include "widgets/JvProgressDialog.h"

#include <algorithm>

#include "gui/Application.h"
#include "gui/Button.h"
#include "gui/Form.h"
#include "gui/Label.h"
#include "gui/ProgressBar.h"

class TProgressDialogForm : public TForm {
public:
    explicit TProgressDialogForm(TJvProgressDialog& Dialog) : TForm("TJvProgressDialog") {
        // The windows are made when the dialog first shows, with everything set here.
        SetBorderStyle(bsDialog);
        SetFont(TFont("Tahoma", -11));
        SetPosition(poDesktopCenter);
        lblText.SetAutoSize(false);
        lblText.SetBounds(12, 12, 312, 14);
        Bar.SetBounds(12, 34, 312, 18);
        btnCancel.SetBounds(130, 64, 75, 25);
        btnCancel.SetCaption("Cancel");
        btnCancel.SetCancel(true);
        btnCancel.OnClick = [&Dialog](TObject*) { Dialog.DoCancel(); };
        OnCloseQuery = [&Dialog](TObject*, bool& CanClose) {
            // Closing is cancelling: refused when the work cannot be cancelled.
            CanClose = false;
            if (Dialog.ShowCancel())
                Dialog.DoCancel();
        };
    }

    TLabel lblText{this};
    TProgressBar Bar{this};
    TButton btnCancel{this};
};

TJvProgressDialog::TJvProgressDialog(TControl* Owner) : FOwner(Owner) {}

TJvProgressDialog::~TJvProgressDialog() = default;

void TJvProgressDialog::SetCaption(const std::string& Value) {
    FCaption = Value;
    Update();
}
void TJvProgressDialog::SetText(const std::string& Value) {
    FText = Value;
    Update();
}
void TJvProgressDialog::SetShowCancel(bool Value) {
    FShowCancel = Value;
    Update();
}
void TJvProgressDialog::SetSmooth(bool Value) {
    FSmooth = Value;
    Update();
}
void TJvProgressDialog::SetMin(int Value) {
    FMin = Value;
    FMax = std::max(FMax, FMin);
    FPosition = std::clamp(FPosition, FMin, FMax);
    Update();
}
void TJvProgressDialog::SetMax(int Value) {
    FMax = Value;
    FMin = std::min(FMin, FMax);
    FPosition = std::clamp(FPosition, FMin, FMax);
    Update();
}

void TJvProgressDialog::SetPosition(int Value) {
    FPosition = std::clamp(Value, FMin, FMax);
    if (!FForm)
        return;
    FForm->Bar.SetPosition(FPosition);
    // Long work does not pump messages between steps: paint now.
    RedrawWindow(FForm->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TJvProgressDialog::Update() {
    if (!FForm)
        return;
    FForm->SetCaption(FCaption);
    FForm->lblText.SetCaption(FText);
    FForm->Bar.SetSmooth(FSmooth);
    FForm->Bar.SetRange(FMin, FMax);
    FForm->Bar.SetPosition(FPosition);
    FForm->btnCancel.SetVisible(FShowCancel);
    FForm->SetClientSize(336, FShowCancel ? 100 : 66);
    // No close box when there is nothing to cancel.
    LONG style = GetWindowLongA(FForm->Handle(), GWL_STYLE) & ~static_cast<LONG>(WS_SYSMENU);
    SetWindowLongA(FForm->Handle(), GWL_STYLE, FShowCancel ? style | WS_SYSMENU : style);
    SetWindowPos(FForm->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TJvProgressDialog::Show() {
    FCancelled = false;
    if (!FForm) {
        FForm = std::make_unique<TProgressDialogForm>(*this);
        if (TForm* ownerForm = FOwner ? FOwner->ParentForm() : nullptr)
            SetWindowLongPtrA(FForm->Handle(), GWLP_HWNDPARENT,
                              reinterpret_cast<LONG_PTR>(ownerForm->Handle()));
    }
    Update();
    FForm->Show();
    RedrawWindow(FForm->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TJvProgressDialog::Hide() {
    // The window itself goes with the object: Hide may be called from its own Cancel button.
    if (FForm)
        FForm->Hide();
    Application().ProcessMessages();
}

bool TJvProgressDialog::Visible() const {
    return FForm && FForm->Visible();
}

HWND TJvProgressDialog::Handle() const {
    return FForm ? FForm->Handle() : nullptr;
}

void TJvProgressDialog::DoCancel() {
    FCancelled = true;
    if (OnCancel)
        OnCancel(this);
}
