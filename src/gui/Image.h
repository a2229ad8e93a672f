#pragma once
// TImage: a bitmap shown in a control, optionally centred, stretched or with a transparent
// colour (the colour of its bottom-left pixel).
//
//   TImage imgShutdown{&pnlMain};
//   imgShutdown.SetAlign(alLeft); imgShutdown.SetWidth(68);
//   imgShutdown.SetCenter(true); imgShutdown.SetTransparent(true);
//   imgShutdown.LoadFromResource(IDB_SHUTDOWN);
#include "gui/Control.h"

#include <commctrl.h>

class TImage : public TControl {
public:
    explicit TImage(TControl* Parent);

    // Loads a bitmap resource of the program; false when there is none of that id.
    bool LoadFromResource(int ResourceId);
    // Takes ownership of bitmap.
    void SetBitmap(HBITMAP Bitmap);
    HBITMAP Bitmap() const { return FBitmap.get(); }
    int PictureWidth() const { return FPictureWidth; }
    int PictureHeight() const { return FPictureHeight; }

    bool Center() const { return FCenter; }
    void SetCenter(bool Value) { FCenter = Value, Invalidate(); }
    bool Stretch() const { return FStretch; }
    void SetStretch(bool Value) { FStretch = Value, Invalidate(); }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    // Sizes the control to the picture.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);

protected:
    LRESULT WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) override;
    void CreateWnd() override;
    void Paint(HDC DC, const RECT& ClientRect) override;

private:
    void PictureChanged();
    GdiObject<HBITMAP> FBitmap;
    ImageListHandle FMasked; // the picture with its transparent colour masked out
    int FPictureWidth = 0;
    int FPictureHeight = 0;
    bool FCenter = false;
    bool FStretch = false;
    bool FTransparent = false;
    bool FAutoSize = false;
};
