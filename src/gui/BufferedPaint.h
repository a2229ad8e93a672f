#pragma once
#include <windows.h>

#include "base/Handles.h"

// A memory device context for flicker-free painting: draw into dc, then it is copied to the
// target when the object goes.
class TBufferedPaint {
public:
    TBufferedPaint(HDC target, const RECT& rect)
        : FTarget(target), FRect(rect), FDC(CreateCompatibleDC(target)),
          FBitmap(CreateCompatibleBitmap(target, Width(), Height())),
          FOld(SelectObject(FDC, FBitmap.get())) {
        SetWindowOrgEx(FDC, rect.left, rect.top, nullptr);
    }
    ~TBufferedPaint() {
        SetWindowOrgEx(FDC, 0, 0, nullptr);
        BitBlt(FTarget, FRect.left, FRect.top, Width(), Height(), FDC, 0, 0, SRCCOPY);
        SelectObject(FDC, FOld);
        DeleteDC(FDC);
    }
    TBufferedPaint(const TBufferedPaint&) = delete;
    TBufferedPaint& operator=(const TBufferedPaint&) = delete;
    HDC dc() const { return FDC; }

private:
    int Width() const { return FRect.right > FRect.left ? FRect.right - FRect.left : 1; }
    int Height() const { return FRect.bottom > FRect.top ? FRect.bottom - FRect.top : 1; }
    HDC FTarget;
    RECT FRect;
    HDC FDC;
    GdiObject<HBITMAP> FBitmap;
    HGDIOBJ FOld;
};
