#pragma once
#include <windows.h>

#include "base/Handles.h"

// A memory device context for flicker-free painting: draw into dc, then it is copied to the
// target when the object goes.
class TBufferedPaint {
public:
    TBufferedPaint(HDC Target, const RECT& Rect)
        : FTarget(Target), FRect(Rect), FDC(CreateCompatibleDC(Target)),
          FBitmap(CreateCompatibleBitmap(Target, Width(), Height())),
          FSelected(FDC.get(), FBitmap.get()) {
        SetWindowOrgEx(FDC.get(), Rect.left, Rect.top, nullptr);
    }
    // The copy comes first; then the bitmap is deselected, deleted, and the context deleted.
    ~TBufferedPaint() {
        SetWindowOrgEx(FDC.get(), 0, 0, nullptr);
        BitBlt(FTarget, FRect.left, FRect.top, Width(), Height(), FDC.get(), 0, 0, SRCCOPY);
    }
    TBufferedPaint(const TBufferedPaint&) = delete;
    TBufferedPaint& operator=(const TBufferedPaint&) = delete;
    HDC dc() const { return FDC.get(); }

private:
    int Width() const { return FRect.right > FRect.left ? FRect.right - FRect.left : 1; }
    int Height() const { return FRect.bottom > FRect.top ? FRect.bottom - FRect.top : 1; }
    HDC FTarget;
    RECT FRect;
    MemoryDC FDC;
    GdiObject<HBITMAP> FBitmap;
    TSelectObject FSelected;
};
