#pragma once
// Owners of Win32 handles: each closes its handle with the matching function when it goes.
//
//   GdiObject<HBRUSH> brush(CreateSolidBrush(rgb));   MenuHandle menu(CreatePopupMenu());
//   FillRect(dc, &r, brush.get());
//   KernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
//   TClientDC dc(hwnd);  TSelectObject font(dc.dc(), hfont);   // both undone at the block's end
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <type_traits>

#include "base/Assert.h"

// Kernel objects (events, mutexes, threads, files): CloseHandle. A file's failed open gives
// INVALID_HANDLE_VALUE, not null: test for it before handing the handle over.
struct KernelHandleDeleter {
    void operator()(HANDLE h) const {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};
using KernelHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, KernelHandleDeleter>;

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

struct ImageListDeleter {
    void operator()(HIMAGELIST h) const { ImageList_Destroy(h); }
};
using ImageListHandle = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDeleter>;

// A memory device context (CreateCompatibleDC): DeleteDC.
struct MemoryDCDeleter {
    void operator()(HDC h) const { DeleteDC(h); }
};
using MemoryDC = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDCDeleter>;

// A window's device context, given back with ReleaseDC: TClientDC covers the client area
// (GetDC), TWindowDC the frame as well (GetWindowDC). dc() is null when the system gave none.
// window is never null: the system would give the whole screen's context.
template <HDC(WINAPI* Get)(HWND)> class TWindowDCOf {
public:
    explicit TWindowDCOf(HWND window) : FWindow(window), FDC(Get(window)) { ASSERT(window); }
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

// Selects object into dc and puts the one it replaced back when it goes.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object) : FDC(dc), FOld(SelectObject(dc, object)) {}
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
