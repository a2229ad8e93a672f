#include "gui/Image.h"

#include <commctrl.h>

#include "gui/Decoration.h"
#include "gui/ImageList.h"

TImage::TImage(TControl* Parent) : TControl(Parent) {}

LRESULT TImage::WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (PassFocusOn(Handle(), Msg, WParam))
        return 0;
    return TControl::WndProc(Msg, WParam, LParam);
}

void TImage::CreateWnd() {
    CreateHandle("TImage", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 105, 105);
}

bool TImage::LoadFromResource(int ResourceId) {
    auto* bitmap =
        static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ResourceId),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        return false;
    SetBitmap(bitmap);
    return true;
}

void TImage::SetBitmap(HBITMAP Bitmap) {
    FBitmap.reset(Bitmap);
    BITMAP info{};
    if (Bitmap && GetObjectA(Bitmap, sizeof(info), &info)) {
        FPictureWidth = info.bmWidth;
        FPictureHeight = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    } else {
        FPictureWidth = FPictureHeight = 0;
    }
    PictureChanged();
}

void TImage::SetTransparent(bool Value) {
    FTransparent = Value;
    PictureChanged();
}

void TImage::SetAutoSize(bool Value) {
    FAutoSize = Value;
    PictureChanged();
}

void TImage::PictureChanged() {
    FMasked.reset();
    if (FBitmap && FTransparent && FPictureWidth > 0 && FPictureHeight > 0) {
        // Without it the picture is drawn opaque rather than not at all.
        FMasked = MaskedImage(FBitmap.get(), FPictureWidth, FPictureHeight);
    }
    if (FAutoSize && FPictureWidth > 0) {
        SetWidth(FPictureWidth);
        SetHeight(FPictureHeight);
    }
    Invalidate();
}

void TImage::Paint(HDC DC, const RECT& ClientRect) {
    if (!FBitmap)
        return;
    int x = 0, y = 0, w = FPictureWidth, h = FPictureHeight;
    if (FStretch) {
        w = ClientRect.right;
        h = ClientRect.bottom;
    } else if (FCenter) {
        x = (ClientRect.right - w) / 2;
        y = (ClientRect.bottom - h) / 2;
    }
    if (FMasked && !FStretch) {
        ImageList_Draw(FMasked.get(), 0, DC, x, y, ILD_TRANSPARENT);
        return;
    }
    MemoryDC src(CreateCompatibleDC(DC));
    TSelectObject picture(src.get(), FBitmap.get());
    if (FStretch) {
        SetStretchBltMode(DC, HALFTONE);
        StretchBlt(DC, x, y, w, h, src.get(), 0, 0, FPictureWidth, FPictureHeight, SRCCOPY);
    } else {
        BitBlt(DC, x, y, w, h, src.get(), 0, 0, SRCCOPY);
    }
}
