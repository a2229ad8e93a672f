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
