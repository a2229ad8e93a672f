#pragma once
// TImageList: images of one size (the system image list, freed with the object), filled from
// resource icons or bitmaps.
//
//   TImageList ImageListMain{16, 16};
//   ImageListMain.AddResourceBitmap(IDB_ACTIONS, RGB(255, 0, 255));   // a strip of 16x16 images
//   TImageList ImageListTrayIcon{32, 32};
//   ImageListTrayIcon.AddResourceIcon(IDI_TRAY_ARMED);
//   IconHandle icon = ImageListTrayIcon.GetIcon(0);
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "gui/Classes.h"
#include "base/Handles.h"

// A list of the one image of bitmap (width x height), whose bottom-left pixel gives the colour
// drawn transparent; bitmap itself is left as it is. Null when it cannot be made.
ImageListHandle MaskedImage(HBITMAP Bitmap, int Width, int Height);

// The system list is made when first wanted (drawing, Handle, GetIcon, an added bitmap). An icon
// resource is loaded when first wanted (ResourceIcon, or the system list) and kept as it is: a
// list whose icons are only handed to the shell never pays for the copies, nor for the icons it
// never shows.
class TImageList : public TObject {
public:
    TImageList(int Width = 16, int Height = 16);

    // The system list, holding every image added so far.
    HIMAGELIST Handle() const;
    bool HandleAllocated() const { return static_cast<bool>(FHandle); }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Count() const { return static_cast<int>(FImages.size()); }

    // Each returns the index of the first image added, or -1 when nothing could be added.
    int AddIcon(HICON Icon);
    // An icon resource of the program (loaded at the list's size).
    int AddResourceIcon(int ResourceId);
    // A bitmap resource holding one or more images side by side; maskColor is drawn transparent
    // (CLR_NONE: opaque).
    int AddResourceBitmap(int ResourceId, COLORREF MaskColor = CLR_NONE);
    int AddBitmap(HBITMAP Bitmap, COLORREF MaskColor = CLR_NONE);
    void Clear();

    // A new icon made from image index (null when out of range).
    IconHandle GetIcon(int Index) const;
    // The icon image index was loaded from by AddResourceIcon, owned by the list: valid while it
    // lives and until Clear. Null for other images, out of range, or when it cannot be loaded.
    HICON ResourceIcon(int Index) const;
    void Draw(HDC DC, int X, int Y, int Index, bool Enabled = true) const;

private:
    // Puts the kept icons not yet in the system list there.
    void AddKeptIcons() const;
    // Counts the images an addition put into the system list; returns Result.
    int Added(int Result);

    // One an image: the icon resource it comes from (0: none, or it could not be loaded) and the
    // icon once loaded.
    struct TImage {
        int ResourceId = 0;
        IconHandle Icon;
    };

    mutable ImageListHandle FHandle;
    int FWidth;
    int FHeight;
    mutable std::vector<TImage> FImages;
    mutable size_t FInList = 0; // the images already in the system list
};
