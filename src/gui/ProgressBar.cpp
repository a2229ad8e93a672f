#include "gui/ProgressBar.h"

#include <commctrl.h>

#include <algorithm>

TProgressBar::TProgressBar(TControl* Parent) : TControl(Parent) {}

void TProgressBar::CreateWnd() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    CreateSystemHandle(PROGRESS_CLASSA, WS_CHILD | WS_VISIBLE | (FSmooth ? PBS_SMOOTH : 0), 0, 0, 0,
                       150, 16);
    SendMessageA(Handle(), PBM_SETRANGE32, FMin, FMax);
    SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

void TProgressBar::SetRange(int Min, int Max) {
    FMin = Min;
    FMax = Max < Min ? Min : Max;
    FPosition = std::clamp(FPosition, FMin, FMax);
    if (HandleAllocated())
        SendMessageA(Handle(), PBM_SETRANGE32, FMin, FMax);
}

int TProgressBar::Position() const {
    if (!HandleAllocated())
        return FPosition;
    return static_cast<int>(SendMessageA(Handle(), PBM_GETPOS, 0, 0));
}

void TProgressBar::SetPosition(int Value) {
    FPosition = std::clamp(Value, FMin, FMax);
    if (HandleAllocated())
        SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

void TProgressBar::SetSmooth(bool Value) {
    FSmooth = Value;
    if (!HandleAllocated())
        return;
    LONG style = GetWindowLongA(Handle(), GWL_STYLE);
    style = Value ? style | PBS_SMOOTH : style & ~PBS_SMOOTH;
    SetWindowLongA(Handle(), GWL_STYLE, style);
    InvalidateRect(Handle(), nullptr, TRUE);
}
