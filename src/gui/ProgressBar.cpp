#include "gui/ProgressBar.h"

#include <commctrl.h>

TProgressBar::TProgressBar(TControl* parent) : TControl(parent) {}

void TProgressBar::CreateWnd() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    CreateSystemHandle(PROGRESS_CLASSA, WS_CHILD | WS_VISIBLE, 0, 0, 0, 150, 16);
    SendMessageA(Handle(), PBM_SETRANGE32, FMin, FMax);
}

void TProgressBar::SetRange(int min, int max) {
    FMin = min;
    FMax = max < min ? min : max;
    SendMessageA(Handle(), PBM_SETRANGE32, FMin, FMax);
}

int TProgressBar::Position() const {
    return static_cast<int>(SendMessageA(Handle(), PBM_GETPOS, 0, 0));
}

void TProgressBar::SetPosition(int value) {
    if (value < FMin)
        value = FMin;
    if (value > FMax)
        value = FMax;
    SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

bool TProgressBar::Smooth() const {
    return GetWindowLongA(Handle(), GWL_STYLE) & PBS_SMOOTH;
}

void TProgressBar::SetSmooth(bool value) {
    LONG style = GetWindowLongA(Handle(), GWL_STYLE);
    style = value ? style | PBS_SMOOTH : style & ~PBS_SMOOTH;
    SetWindowLongA(Handle(), GWL_STYLE, style);
    InvalidateRect(Handle(), nullptr, TRUE);
}
