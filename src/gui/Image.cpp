#include "gui/Image.h"

#include <commctrl.h>

TImage::TImage(TControl* parent) : TControl(parent) {
    CreateHandle("TImage", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 105, 105);
}

TImage::~TImage() {
    if (FMasked)
        ImageList_Destroy(FMasked);
}

bool TImage::LoadFromResource(int resourceId) {
    auto* bitmap =
        static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        return false;
    SetBitmap(bitmap);
    return true;
}

void TImage::SetBitmap(HBITMAP bitmap) {
    FBitmap.reset(bitmap);
    BITMAP info{};
    if (bitmap && GetObjectA(bitmap, sizeof(info), &info)) {
        FPictureWidth = info.bmWidth;
        FPictureHeight = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    } else {
        FPictureWidth = FPictureHeight = 0;
    }
    PictureChanged();
}

void TImage::SetTransparent(bool value) {
    FTransparent = value;
    PictureChanged();
}

void TImage::SetAutoSize(bool value) {
    FAutoSize = value;
    PictureChanged();
}

void TImage::PictureChanged() {
    if (FMasked) {
        ImageList_Destroy(FMasked);
        FMasked = nullptr;
    }
    if (FBitmap && FTransparent && FPictureWidth > 0 && FPictureHeight > 0) {
        // The colour of the bottom-left pixel is the transparent one.
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, FBitmap.get());
        const COLORREF key = GetPixel(dc, 0, FPictureHeight - 1);
        SelectObject(dc, old);
        DeleteDC(dc);
        FMasked = ImageList_Create(FPictureWidth, FPictureHeight, ILC_COLOR24 | ILC_MASK, 1, 0);
        // Masking blackens the masked pixels of the bitmap it is given: give it a copy.
        GdiObject<HBITMAP> copy(static_cast<HBITMAP>(
            CopyImage(FBitmap.get(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        if (FMasked && copy)
            ImageList_AddMasked(FMasked, copy.get(), key);
    }
    if (FAutoSize && FPictureWidth > 0)
        SetBounds(Left(), Top(), FPictureWidth, FPictureHeight);
    Invalidate();
}

void TImage::Paint(HDC dc, const RECT& clientRect) {
    if (!FBitmap)
        return;
    int x = 0, y = 0, w = FPictureWidth, h = FPictureHeight;
    if (FStretch) {
        w = clientRect.right;
        h = clientRect.bottom;
    } else if (FCenter) {
        x = (clientRect.right - w) / 2;
        y = (clientRect.bottom - h) / 2;
    }
    if (FMasked && !FStretch) {
        ImageList_Draw(FMasked, 0, dc, x, y, ILD_TRANSPARENT);
        return;
    }
    HDC src = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(src, FBitmap.get());
    if (FStretch) {
        SetStretchBltMode(dc, HALFTONE);
        StretchBlt(dc, x, y, w, h, src, 0, 0, FPictureWidth, FPictureHeight, SRCCOPY);
    } else {
        BitBlt(dc, x, y, w, h, src, 0, 0, SRCCOPY);
    }
    SelectObject(src, old);
    DeleteDC(src);
}
