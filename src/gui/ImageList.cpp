#include "gui/ImageList.h"

#include "base/Assert.h"
#include "base/Exception.h"

namespace {

// The index of the image added, or -1.
int AddMasked(HIMAGELIST list, HBITMAP bitmap, COLORREF maskColor) {
    // Masking blackens the masked pixels of the bitmap it is given: give it a copy.
    GdiObject<HBITMAP> copy(
        static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    return copy ? ImageList_AddMasked(list, copy.get(), maskColor) : -1;
}

} // namespace

ImageListHandle MaskedImage(HBITMAP bitmap, int width, int height) {
    ASSERT(bitmap && width > 0 && height > 0);
    COLORREF key = CLR_INVALID;
    if (MemoryDC dc{CreateCompatibleDC(nullptr)}) {
        TSelectObject selected(dc.get(), bitmap);
        key = GetPixel(dc.get(), 0, height - 1);
    }
    ImageListHandle list(ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 1, 0));
    if (key == CLR_INVALID || !list || AddMasked(list.get(), bitmap, key) < 0)
        return ImageListHandle();
    return list;
}

TImageList::TImageList(int width, int height)
    : FHandle(ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 4, 4)), FWidth(width),
      FHeight(height) {
    if (!FHandle)
        throw Exception(Format("Error creating an image list of %dx%d", width, height));
}

// An icon of the list's size goes in as its own two bitmaps: given the icon itself, the list
// first makes a copy of it, one more icon object per image.
int TImageList::AddIcon(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info))
        return -1;
    GdiObject<HBITMAP> color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (color && GetObjectA(color.get(), sizeof(bm), &bm) && bm.bmWidth == FWidth &&
        bm.bmHeight == FHeight)
        return ImageList_Add(FHandle.get(), color.get(), mask.get());
    return ImageList_AddIcon(FHandle.get(), icon); // scaled to the list's size
}

int TImageList::AddResourceIcon(int resourceId) {
    auto* icon =
        static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId),
                                      IMAGE_ICON, FWidth, FHeight, LR_DEFAULTCOLOR));
    if (!icon)
        return -1;
    IconHandle owner(icon);
    return AddIcon(icon);
}

int TImageList::AddBitmap(HBITMAP bitmap, COLORREF maskColor) {
    if (!bitmap)
        return -1;
    if (maskColor == CLR_NONE)
        return ImageList_Add(FHandle.get(), bitmap, nullptr);
    return AddMasked(FHandle.get(), bitmap, maskColor);
}

int TImageList::AddResourceBitmap(int resourceId, COLORREF maskColor) {
    GdiObject<HBITMAP> bitmap(
        static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    return AddBitmap(bitmap.get(), maskColor);
}

IconHandle TImageList::GetIcon(int index) const {
    if (index < 0 || index >= Count())
        return IconHandle();
    return IconHandle(ImageList_GetIcon(FHandle.get(), index, ILD_TRANSPARENT));
}

void TImageList::Draw(HDC dc, int x, int y, int index, bool enabled) const {
    if (index < 0 || index >= Count())
        return;
    if (enabled) {
        ImageList_Draw(FHandle.get(), index, dc, x, y, ILD_TRANSPARENT);
    } else {
        IMAGELISTDRAWPARAMS p{};
        p.cbSize = sizeof(p);
        p.himl = FHandle.get();
        p.i = index;
        p.hdcDst = dc;
        p.x = x;
        p.y = y;
        p.rgbBk = CLR_NONE;
        p.rgbFg = CLR_DEFAULT;
        p.fStyle = ILD_TRANSPARENT;
        p.fState = ILS_SATURATE;
        ImageList_DrawIndirect(&p);
    }
}
