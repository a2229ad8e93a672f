#include "gui/ProgressBar.h"

#include <commctrl.h>

TProgressBar::TProgressBar(TControl* Parent) : TControl(Parent) {}

void TProgressBar::CreateWnd() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    CreateSystemHandle(PROGRESS_CLASSA, WS_CHILD | WS_VISIBLE, 0, 0, 0, 150, 16);
    SendMessageA(Handle(), PBM_SETRANGE32, FMin, FMax);
}

void TProgressBar::SetRange(int Min, int Max) {
    FMin = Min;
    FMax = Max < Min ? Min : Max;
    SendMessageA(Handle(), PBM_SETRANGE32, FMin, FMax);
}

int TProgressBar::Position() const {
    return static_cast<int>(SendMessageA(Handle(), PBM_GETPOS, 0, 0));
}

void TProgressBar::SetPosition(int Value) {
    if (Value < FMin)
        Value = FMin;
    if (Value > FMax)
        Value = FMax;
    SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(Value), 0);
}

bool TProgressBar::Smooth() const {
    return GetWindowLongA(Handle(), GWL_STYLE) & PBS_SMOOTH;
}

void TProgressBar::SetSmooth(bool Value) {
    LONG style = GetWindowLongA(Handle(), GWL_STYLE);
    style = Value ? style | PBS_SMOOTH : style & ~PBS_SMOOTH;
    SetWindowLongA(Handle(), GWL_STYLE, style);
    InvalidateRect(Handle(), nullptr, TRUE);
}
