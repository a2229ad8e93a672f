#pragma once
// TJvSpinEdit: an edit box for a whole number, with up and down arrows inside its right edge.
// The arrows and the Up/Down keys step the number by Increment; no minimum or maximum applies
// beyond the 32-bit Integer range the number lives in.
//
//   TJvSpinEdit editWarning{&gbGeneral};
//   editWarning.SetBounds(72, 88, 49, 21);
//   editWarning.SetValue(60);
//   double seconds = editWarning.Value();
//
// Typed text that is not a whole number in that range (letters, a fraction, nothing at all)
// does not change the value: Value stays the last whole number the box held, and the text goes
// back to it when the box loses the focus.
#include <cstdint>

#include "gui/Control.h"

class TJvSpinEdit : public TControl {
public:
    explicit TJvSpinEdit(TControl* Parent);

    // The number shown, or the last valid one while the text is not a whole number.
    double Value() const;
    // Rounded to a whole number and held within the Integer range.
    void SetValue(double Value);
    int32_t Increment() const { return FIncrement; }
    void SetIncrement(int32_t Value) { FIncrement = Value; }

    // The value changed, by typing or by the arrows.
    TNotifyEvent OnChange;

    // The arrows' window (for tests and look).
    HWND UpDownHandle() const { return Handle() ? FUpDown : nullptr; }

protected:
    void CreateWnd() override;
    LRESULT WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) override;
    bool CNCommand(WORD Code) override;

private:
    void Step(int Direction);
    void PlaceUpDown();
    void ShowValue();

    HWND FUpDown = nullptr;
    int32_t FValue = 0;
    int32_t FIncrement = 1;
};

// The whole number in Text: optional blanks, an optional sign, decimal digits, optional blanks,
// within the Integer range. False for anything else.
bool TryParseSpinValue(const std::string& Text, int32_t& Result);
