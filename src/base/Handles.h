#pragma once
// Owners of Win32 handles: each closes its handle with the matching function when it goes.
//
//   GdiObject<HBRUSH> brush(CreateSolidBrush(rgb));   MenuHandle menu(CreatePopupMenu());
//   FillRect(dc, &r, brush.get());
#include <windows.h>

#include <memory>
#include <type_traits>

struct GdiObjectDeleter {
    void operator()(void* h) const { DeleteObject(static_cast<HGDIOBJ>(h)); }
};
template <class H> using GdiObject = std::unique_ptr<std::remove_pointer_t<H>, GdiObjectDeleter>;

struct IconDeleter {
    void operator()(HICON h) const { DestroyIcon(h); }
};
using IconHandle = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

struct MenuDeleter {
    void operator()(HMENU h) const { DestroyMenu(h); }
};
using MenuHandle = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

struct ModuleDeleter {
    void operator()(HMODULE h) const { FreeLibrary(h); }
};
using ModuleHandle = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter>;

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
