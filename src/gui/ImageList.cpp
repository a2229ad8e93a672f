#include "gui/ImageList.h"

#include <algorithm>

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

TImageList::TImageList(int Width, int Height) : FWidth(Width), FHeight(Height) {}

namespace {

// An icon of the list's size goes in as its own two bitmaps: given the icon itself, the list
// first makes a copy of it, one more icon object per image.
int AddIconTo(HIMAGELIST List, int Width, int Height, HICON Icon) {
    ICONINFO info{};
    if (!Icon || !GetIconInfo(Icon, &info))
        return -1;
    GdiObject<HBITMAP> color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (color && GetObjectA(color.get(), sizeof(bm), &bm) && bm.bmWidth == Width &&
        bm.bmHeight == Height)
        return ImageList_Add(List, color.get(), mask.get());
    return ImageList_AddIcon(List, Icon); // scaled to the list's size
}

} // namespace

HIMAGELIST TImageList::Handle() const {
    if (!FHandle) {
        FHandle.reset(ImageList_Create(FWidth, FHeight, ILC_COLOR32 | ILC_MASK, 4, 4));
        if (!FHandle)
            throw Exception(Format("Error creating an image list of %dx%d", FWidth, FHeight));
    }
    AddKeptIcons();
    return FHandle.get();
}

void TImageList::AddKeptIcons() const {
    for (; FInList < FImages.size(); ++FInList)
        if (AddIconTo(FHandle.get(), FWidth, FHeight, ResourceIcon(static_cast<int>(FInList))) < 0)
            // A blank image keeps the indices of those after it.
            ImageList_SetImageCount(FHandle.get(), static_cast<UINT>(FInList + 1));
}

int TImageList::Added(int Result) {
    const int count = ImageList_GetImageCount(FHandle.get());
    FImages.resize(static_cast<size_t>(std::max(count, 0)));
    FInList = FImages.size();
    return Result;
}

int TImageList::AddIcon(HICON Icon) {
    const HIMAGELIST list = Handle();
    return Added(AddIconTo(list, FWidth, FHeight, Icon));
}

int TImageList::AddResourceIcon(int ResourceId) {
    if (!FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ResourceId), RT_GROUP_ICON))
        return -1;
    FImages.push_back(TImage{ResourceId, IconHandle()});
    return Count() - 1;
}

int TImageList::AddBitmap(HBITMAP Bitmap, COLORREF MaskColor) {
    if (!Bitmap)
        return -1;
    const HIMAGELIST list = Handle();
    if (MaskColor == CLR_NONE)
        return Added(ImageList_Add(list, Bitmap, nullptr));
    return Added(AddMasked(list, Bitmap, MaskColor));
}

int TImageList::AddResourceBitmap(int ResourceId, COLORREF MaskColor) {
    GdiObject<HBITMAP> bitmap(
        static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ResourceId),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    return AddBitmap(bitmap.get(), MaskColor);
}

void TImageList::Clear() {
    if (FHandle)
        ImageList_RemoveAll(FHandle.get());
    FImages.clear();
    FInList = 0;
}

IconHandle TImageList::GetIcon(int Index) const {
    if (Index < 0 || Index >= Count())
        return IconHandle();
    return IconHandle(ImageList_GetIcon(Handle(), Index, ILD_TRANSPARENT));
}

HICON TImageList::ResourceIcon(int Index) const {
    if (Index < 0 || Index >= Count())
        return nullptr;
    TImage& image = FImages[static_cast<size_t>(Index)];
    if (!image.Icon && image.ResourceId != 0) {
        image.Icon.reset(static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(image.ResourceId), IMAGE_ICON,
                       FWidth, FHeight, LR_DEFAULTCOLOR)));
        if (!image.Icon)
            image.ResourceId = 0; // not tried again
    }
    return image.Icon.get();
}

void TImageList::Draw(HDC DC, int X, int Y, int Index, bool Enabled) const {
    if (Index < 0 || Index >= Count())
        return;
    if (Enabled) {
        ImageList_Draw(Handle(), Index, DC, X, Y, ILD_TRANSPARENT);
    } else {
        IMAGELISTDRAWPARAMS p{};
        p.cbSize = sizeof(p);
        p.himl = Handle();
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
