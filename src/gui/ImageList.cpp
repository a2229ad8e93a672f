#include "gui/ImageList.h"

#include "base/Assert.h"
#include "base/Exception.h"

namespace {

// The index of the image added, or -1.
int AddMasked(HIMAGELIST List, HBITMAP Bitmap, COLORREF MaskColor) {
    // Masking blackens the masked pixels of the bitmap it is given: give it a copy.
    GdiObject<HBITMAP> copy(
        static_cast<HBITMAP>(CopyImage(Bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    return copy ? ImageList_AddMasked(List, copy.get(), MaskColor) : -1;
}

} // namespace

ImageListHandle MaskedImage(HBITMAP Bitmap, int Width, int Height) {
    ASSERT(Bitmap && Width > 0 && Height > 0);
    COLORREF key = CLR_INVALID;
    if (MemoryDC dc{CreateCompatibleDC(nullptr)}) {
        TSelectObject selected(dc.get(), Bitmap);
        key = GetPixel(dc.get(), 0, Height - 1);
    }
    ImageListHandle list(ImageList_Create(Width, Height, ILC_COLOR24 | ILC_MASK, 1, 0));
    if (key == CLR_INVALID || !list || AddMasked(list.get(), Bitmap, key) < 0)
        return ImageListHandle();
    return list;
}

TImageList::TImageList(int Width, int Height)
    : FHandle(ImageList_Create(Width, Height, ILC_COLOR32 | ILC_MASK, 4, 4)), FWidth(Width),
      FHeight(Height) {
    if (!FHandle)
        throw Exception(Format("Error creating an image list of %dx%d", Width, Height));
}

// An icon of the list's size goes in as its own two bitmaps: given the icon itself, the list
// first makes a copy of it, one more icon object per image.
int TImageList::AddIcon(HICON Icon) {
    ICONINFO info{};
    if (!Icon || !GetIconInfo(Icon, &info))
        return -1;
    GdiObject<HBITMAP> color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (color && GetObjectA(color.get(), sizeof(bm), &bm) && bm.bmWidth == FWidth &&
        bm.bmHeight == FHeight)
        return ImageList_Add(FHandle.get(), color.get(), mask.get());
    return ImageList_AddIcon(FHandle.get(), Icon); // scaled to the list's size
}

int TImageList::AddResourceIcon(int ResourceId) {
    auto* icon =
        static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ResourceId),
                                      IMAGE_ICON, FWidth, FHeight, LR_DEFAULTCOLOR));
    if (!icon)
        return -1;
    IconHandle owner(icon);
    return AddIcon(icon);
}

int TImageList::AddBitmap(HBITMAP Bitmap, COLORREF MaskColor) {
    if (!Bitmap)
        return -1;
    if (MaskColor == CLR_NONE)
        return ImageList_Add(FHandle.get(), Bitmap, nullptr);
    return AddMasked(FHandle.get(), Bitmap, MaskColor);
}

int TImageList::AddResourceBitmap(int ResourceId, COLORREF MaskColor) {
    GdiObject<HBITMAP> bitmap(
        static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ResourceId),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    return AddBitmap(bitmap.get(), MaskColor);
}

IconHandle TImageList::GetIcon(int Index) const {
    if (Index < 0 || Index >= Count())
        return IconHandle();
    return IconHandle(ImageList_GetIcon(FHandle.get(), Index, ILD_TRANSPARENT));
}

void TImageList::Draw(HDC DC, int X, int Y, int Index, bool Enabled) const {
    if (Index < 0 || Index >= Count())
        return;
    if (Enabled) {
        ImageList_Draw(FHandle.get(), Index, DC, X, Y, ILD_TRANSPARENT);
    } else {
        IMAGELISTDRAWPARAMS p{};
        p.cbSize = sizeof(p);
        p.himl = FHandle.get();
        p.i = Index;
        p.hdcDst = DC;
        p.x = X;
        p.y = Y;
        p.rgbBk = CLR_NONE;
        p.rgbFg = CLR_DEFAULT;
        p.fStyle = ILD_TRANSPARENT;
        p.fState = ILS_SATURATE;
        ImageList_DrawIndirect(&p);
    }
}
