#pragma once
// A vertical colour gradient, drawn one line at a time: top colour in the first line, bottom
// colour in the last.
#include <windows.h>

#include "base/Handles.h"

inline void FillGradient(HDC dc, const RECT& r, COLORREF top, COLORREF bottom) {
    const int h = r.bottom - r.top;
    for (int y = 0; y < h; ++y) {
        const auto mix = [&](int a, int b) { return a + (b - a) * y / (h > 1 ? h - 1 : 1); };
        GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(mix(GetRValue(top), GetRValue(bottom)),
                                                     mix(GetGValue(top), GetGValue(bottom)),
                                                     mix(GetBValue(top), GetBValue(bottom)))));
        RECT line{r.left, r.top + y, r.right, r.top + y + 1};
        FillRect(dc, &line, brush.get());
    }
}
