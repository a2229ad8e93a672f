#pragma once
// TCustomMemo: what a multi-line edit box (TMemo) and a rich edit (TRichEdit) share: the system
// class their window is made of, word wrap, read-only state, alignment, the window style these
// give, and the keys they leave to the form's dialog keys.
//
//   class TMemo : public TCustomMemo {
//       TMemo(TControl* Parent) : TCustomMemo(Parent, "EDIT") {}
//       DWORD WindowStyle() const override { return EditStyle() | ES_NOHIDESEL; }
//       DWORD WindowExStyle() const override { return 0; }
//       void ApplySettings() override { Perform(EM_SETLIMITTEXT, 0, 0); }
//   };
//
// WordWrap takes effect by making the window anew (the system reads it only then); ReadOnly is
// set on the window as it stands. How alignment reaches the window is the derived class's.
#include "gui/Control.h"

class TCustomMemo : public TControl {
public:
    TAlignment Alignment() const { return FAlignment; }
    virtual void SetAlignment(TAlignment Value) = 0;
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);

protected:
    TCustomMemo(TControl* Parent, const char* ClassName);

    void CreateWnd() override;
    LRESULT WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) override;
    // The style of the window to make: EditStyle and the derived class's own.
    virtual DWORD WindowStyle() const = 0;
    virtual DWORD WindowExStyle() const = 0;
    // Sets on a new window what its style does not hold.
    virtual void ApplySettings() = 0;
    // A visible multi-line tab stop, with the wrapping, read-only state and alignment set.
    DWORD EditStyle() const;
    // Makes the window anew with the present style, when there is one.
    void RecreateHandle();

    TAlignment FAlignment = taLeftJustify;

private:
    const char* FClassName;
    bool FWordWrap = true;
    bool FReadOnly = false;
};
