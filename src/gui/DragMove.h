#pragma once
// Moving a borderless window with the mouse: the move command with the caption's hit code, as
// if the window's caption were dragged.
//
//   void TfrmAbout::imgAboutMouseDown(...) { if (Button == mbLeft) DragMove(Handle()); }
#include <windows.h>

constexpr WPARAM SC_DRAGMOVE = SC_MOVE | HTCAPTION; // 0xF012

// From a left-button press: gives up the mouse capture, then the system moves window with the
// mouse until the button is released.
inline void DragMove(HWND Window) {
    ReleaseCapture();
    SendMessageA(Window, WM_SYSCOMMAND, SC_DRAGMOVE, 0);
}
