#include "gui/BitBtn.h"

#include <commctrl.h>

#include "base/Handles.h"
#include "gui/ImageList.h"

TBitBtn::TBitBtn(TControl* Parent) : TCustomButton(Parent) {}

void TBitBtn::CreateWnd() {
    CreateSystemHandle("BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 0, 0, 75,
                       25);
}

bool TBitBtn::LoadGlyphFromResource(int ResourceId) {
    GdiObject<HBITMAP> bitmap(
        static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ResourceId),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap.get(), sizeof(info), &info))
        return false;
    const int width = info.bmWidth;
    const int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    ImageListHandle list = MaskedImage(bitmap.get(), width, height);
    if (!list)
        return false;
    FGlyph = std::move(list);
    FGlyphWidth = width;
    FGlyphHeight = height;
    Invalidate();
    return true;
}

bool TBitBtn::CNCommand(WORD Code) {
    if (Code != BN_CLICKED)
        return false;
    Click();
    return true;
}

bool TBitBtn::CNDrawItem(DRAWITEMSTRUCT* Item) {
    HDC dc = Item->hDC;
    RECT r = Item->rcItem;
    const bool pressed = Item->itemState & ODS_SELECTED;
    const bool disabled = Item->itemState & ODS_DISABLED;
    const bool focused = Item->itemState & ODS_FOCUS;
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));

    const std::string text = Caption();
    TSelectObject font(dc, Font().Handle());
    RECT measure{0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), -1, &measure, DT_SINGLELINE | DT_CALCRECT);
    const int textWidth = measure.right;
    const int textHeight = measure.bottom;
    const int spacing = FGlyph && !text.empty() ? 4 : 0;
    const int total = (FGlyph ? FGlyphWidth : 0) + spacing + textWidth;
    const int shift = pressed ? 1 : 0;
    int x = r.left + (r.right - r.left - total) / 2 + shift;
    if (FGlyph) {
        const int y = r.top + (r.bottom - r.top - FGlyphHeight) / 2 + shift;
        if (disabled) {
            IconHandle icon(ImageList_GetIcon(FGlyph.get(), 0, ILD_NORMAL));
            DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon.get()), 0, x, y,
                       FGlyphWidth, FGlyphHeight, DST_ICON | DSS_DISABLED);
        } else {
            ImageList_Draw(FGlyph.get(), 0, dc, x, y, ILD_TRANSPARENT);
        }
        x += FGlyphWidth + spacing;
    }
    RECT textRect{x, r.top + (r.bottom - r.top - textHeight) / 2 + shift, x + textWidth,
                  r.top + (r.bottom - r.top - textHeight) / 2 + shift + textHeight};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    DrawTextA(dc, text.c_str(), -1, &textRect, DT_SINGLELINE);
    if (focused) {
        RECT f = Item->rcItem;
        InflateRect(&f, -4, -4);
        DrawFocusRect(dc, &f);
    }
    return true;
}
