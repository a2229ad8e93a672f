#pragma once
// Colours: either an RGB value or, with the high bit set, one of the system's colours
// (clBtnFace, clWindow ...), resolved when drawn.
//
//   panel.SetColor(clWindow);  COLORREF rgb = ColorToRGB(clBtnFace);
#include <windows.h>

#include <cstdint>

using TColor = uint32_t;

constexpr TColor SystemColor(int Index) {
    return 0x80000000u | static_cast<TColor>(Index);
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);

inline bool IsSystemColor(TColor Color) {
    return Color & 0x80000000u;
}

inline COLORREF ColorToRGB(TColor Color) {
    if (IsSystemColor(Color))
        return GetSysColor(static_cast<int>(Color & 0xFF));
    return static_cast<COLORREF>(Color);
}

// The system's own brush of a system colour (never to be deleted); null for other colours.
inline HBRUSH SystemColorBrush(TColor Color) {
    return IsSystemColor(Color) ? GetSysColorBrush(static_cast<int>(Color & 0xFF)) : nullptr;
}
