#pragma once
// TJvNavPaneToolPanel: a panel with a header strip (grabber, bold caption, close button); its
// children are laid out below the header.
//
//   TJvNavPaneToolPanel pnlBackground{&form};
//   pnlBackground.SetAlign(alClient); pnlBackground.SetCaption("Sundown");
//   pnlBackground.OnClose = [this](TObject* s) { ActionHideApplicationExecute(s); };
//   pnlBackground.OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x,
//                                      int y) { FormMouseDown(s, b, sh, x, y); };
//
// OnClose fires when the close button is clicked (pressed and released over it). OnMouseDown
// fires for presses on the header and the background, not on the close button.
#include "gui/Control.h"

class TJvNavPaneToolPanel : public TControl {
public:
    explicit TJvNavPaneToolPanel(TControl* Parent);

    bool ShowHeader() const { return FShowHeader; }
    void SetShowHeader(bool Value);
    int HeaderHeight() const { return FHeaderHeight; }
    void SetHeaderHeight(int Value);
    bool ShowGrabber() const { return FShowGrabber; }
    void SetShowGrabber(bool Value) { FShowGrabber = Value, Invalidate(); }
    bool CloseButton() const { return FCloseButton; }
    void SetCloseButton(bool Value) { FCloseButton = Value, Invalidate(); }
    // The header's caption font: the control's font in bold unless set.
    const TFont& HeaderFont() const { return FHeaderFont; }
    void SetHeaderFont(const TFont& Value);

    // The close button in client coordinates (empty when not shown).
    RECT CloseButtonRect() const;

    TNotifyEvent OnClose;

protected:
    void CreateWnd() override;
    LRESULT WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) override;
    void Paint(HDC DC, const RECT& ClientRect) override;
    void AdjustClientRect(RECT& Rect) const override;
    void FontChanged() override;

private:
    bool OverClose(LPARAM LParam) const;
    bool FShowHeader = true;
    int FHeaderHeight = 22;
    bool FShowGrabber = true;
    bool FCloseButton = true;
    TFont FHeaderFont;
    bool FHeaderFontSet = false;
    bool FCloseHot = false;
    bool FClosePressed = false;
};
