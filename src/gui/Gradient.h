#pragma once
// A vertical colour gradient, from the top colour at the rectangle's top edge to the bottom colour
// at its bottom edge, in one call.
#include <windows.h>

inline void FillGradient(HDC dc, const RECT& r, COLORREF top, COLORREF bottom) {
    if (r.bottom <= r.top || r.right <= r.left)
        return;
    const auto vertex = [](LONG x, LONG y, COLORREF c) {
        return TRIVERTEX{x,
                         y,
                         static_cast<COLOR16>(GetRValue(c) << 8),
                         static_cast<COLOR16>(GetGValue(c) << 8),
                         static_cast<COLOR16>(GetBValue(c) << 8),
                         0};
    };
    TRIVERTEX corners[2] = {vertex(r.left, r.top, top), vertex(r.right, r.bottom, bottom)};
    GRADIENT_RECT rect{0, 1};
    GradientFill(dc, corners, 2, &rect, 1, GRADIENT_FILL_RECT_V);
}
