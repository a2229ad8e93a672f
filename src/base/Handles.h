#pragma once
// Owners of Win32 handles: each closes its handle with the matching function when it goes.
//
//   GdiObject<HBRUSH> brush(CreateSolidBrush(rgb));   MenuHandle menu(CreatePopupMenu());
//   FillRect(dc, &r, brush.get());
//   KernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
//   TClientDC dc(hwnd);  TSelectObject font(dc.dc(), hfont);   // both undone at the block's end
//   TPaintDC paint(hwnd);  Draw(paint.dc(), paint.Rect());       // WM_PAINT: EndPaint at the end
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <type_traits>

#include "base/Assert.h"

// Closes a handle with Close when its owner goes.
template <auto Close> struct HandleCloser {
    template <class H> void operator()(H Handle) const { Close(Handle); }
};
template <class H, auto Close>
using ScopedHandle = std::unique_ptr<std::remove_pointer_t<H>, HandleCloser<Close>>;

template <class H> using GdiObject = ScopedHandle<H, DeleteObject>;
using IconHandle = ScopedHandle<HICON, DestroyIcon>;
using MenuHandle = ScopedHandle<HMENU, DestroyMenu>;
using ModuleHandle = ScopedHandle<HMODULE, FreeLibrary>;
using ImageListHandle = ScopedHandle<HIMAGELIST, ImageList_Destroy>;
// A memory device context (CreateCompatibleDC).
using MemoryDC = ScopedHandle<HDC, DeleteDC>;

// Kernel objects (events, mutexes, threads, files). A file's failed open gives
// INVALID_HANDLE_VALUE, not null: test for it before handing the handle over.
inline void CloseKernelHandle(HANDLE H) {
    if (H != INVALID_HANDLE_VALUE)
        CloseHandle(H);
}
using KernelHandle = ScopedHandle<HANDLE, CloseKernelHandle>;

// A window's device context, given back with ReleaseDC: TClientDC covers the client area
// (GetDC), TWindowDC the frame as well (GetWindowDC). dc() is null when the system gave none.
// window is never null: the system would give the whole screen's context.
template <HDC(WINAPI* Get)(HWND)> class TWindowDCOf {
public:
    explicit TWindowDCOf(HWND Window) : FWindow(Window), FDC(Get(Window)) { ASSERT(Window); }
    ~TWindowDCOf() {
        if (FDC)
            ReleaseDC(FWindow, FDC);
    }
    TWindowDCOf(const TWindowDCOf&) = delete;
    TWindowDCOf& operator=(const TWindowDCOf&) = delete;
    HDC dc() const { return FDC; }

private:
    HWND FWindow;
    HDC FDC;
};
using TClientDC = TWindowDCOf<GetDC>;
using TWindowDC = TWindowDCOf<GetWindowDC>;

// The painting of a WM_PAINT: BeginPaint when made, EndPaint when it goes, also when the painting
// throws. dc() is null when the system gave none.
class TPaintDC {
public:
    explicit TPaintDC(HWND Window) : FWindow(Window), FDC(BeginPaint(Window, &FPaint)) {
        ASSERT(Window);
    }
    ~TPaintDC() { EndPaint(FWindow, &FPaint); }
    TPaintDC(const TPaintDC&) = delete;
    TPaintDC& operator=(const TPaintDC&) = delete;
    HDC dc() const { return FDC; }
    // The area to paint.
    const RECT& Rect() const { return FPaint.rcPaint; }

private:
    HWND FWindow;
    PAINTSTRUCT FPaint{};
    HDC FDC;
};

// Selects object into dc and puts the one it replaced back when it goes.
class TSelectObject {
public:
    TSelectObject(HDC DC, HGDIOBJ Object) : FDC(DC), FOld(SelectObject(DC, Object)) {}
    ~TSelectObject() {
        if (FOld)
            SelectObject(FDC, FOld);
    }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    HDC FDC;
    HGDIOBJ FOld;
};
