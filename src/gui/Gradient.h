#pragma once
// A vertical colour gradient, from the top colour at the rectangle's top edge to the bottom colour
// at its bottom edge, in one call. GDI's own GdiGradientFill, to which msimg32's GradientFill
// hands over: the program need not load msimg32 for it.
#include <windows.h>

inline void FillGradient(HDC DC, const RECT& R, COLORREF Top, COLORREF Bottom) {
    if (R.bottom <= R.top || R.right <= R.left)
        return;
    const auto vertex = [](LONG X, LONG Y, COLORREF C) {
        return TRIVERTEX{X,
                         Y,
                         static_cast<COLOR16>(GetRValue(C) << 8),
                         static_cast<COLOR16>(GetGValue(C) << 8),
                         static_cast<COLOR16>(GetBValue(C) << 8),
                         0};
    };
    TRIVERTEX corners[2] = {vertex(R.left, R.top, Top), vertex(R.right, R.bottom, Bottom)};
    GRADIENT_RECT rect{0, 1};
    GdiGradientFill(DC, corners, 2, &rect, 1, GRADIENT_FILL_RECT_V);
}
