#include "gui/Image.h"

#include <commctrl.h>

#include "gui/ImageList.h"

TImage::TImage(TControl* parent) : TControl(parent) {}

void TImage::CreateWnd() {
    CreateHandle("TImage", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 105, 105);
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
    FMasked.reset();
    if (FBitmap && FTransparent && FPictureWidth > 0 && FPictureHeight > 0) {
        // Without it the picture is drawn opaque rather than not at all.
        FMasked = MaskedImage(FBitmap.get(), FPictureWidth, FPictureHeight);
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
        ImageList_Draw(FMasked.get(), 0, dc, x, y, ILD_TRANSPARENT);
        return;
    }
    MemoryDC src(CreateCompatibleDC(dc));
    TSelectObject picture(src.get(), FBitmap.get());
    if (FStretch) {
        SetStretchBltMode(dc, HALFTONE);
        StretchBlt(dc, x, y, w, h, src.get(), 0, 0, FPictureWidth, FPictureHeight, SRCCOPY);
    } else {
        BitBlt(dc, x, y, w, h, src.get(), 0, 0, SRCCOPY);
    }
}
