#pragma once
// TJvScrollText: lines of text, as one block on a background colour, that scroll through the
// control without end: the block moves ScrollPixels every Delay milliseconds and, once it has
// left the control entirely, starts again from the opposite edge.
//
//   TJvScrollText ScrollText{&tabAbout};
//   ScrollText.SetBounds(8, 280, 350, 65);
//   ScrollText.SetAlignment(taCenter); ScrollText.SetBackgroundColor(clWhite);
//   ScrollText.SetItems({"Sundown", "-------", "", ...});
//   ScrollText.SetActive(true);      // loads the lines and starts below the lower edge
//
// The steps come from a window timer, so they run on the GUI thread through the message loop
// (modal loops included) and keep running while the control is hidden.
#include <string>
#include <vector>

#include "gui/Control.h"

// The edge the text comes in from: drFromBottom moves it up, drFromTop down, drFromRight to
// the left, drFromLeft to the right.
enum TJvScrollTextDirection : uint8_t { drFromLeft, drFromRight, drFromTop, drFromBottom };

class TJvScrollText : public TControl {
public:
    explicit TJvScrollText(TControl* Parent);
    ~TJvScrollText() override;

    const std::vector<std::string>& Items() const { return FItems; }
    // Takes effect at the next SetActive(true).
    void SetItems(std::vector<std::string> Value) { FItems = std::move(Value); }

    bool Active() const { return FActive; }
    // True (also while running) loads the current Items and puts the block back outside the
    // entry edge; False stops where it is.
    void SetActive(bool Value);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value) { FAlignment = Value, Invalidate(); }
    TColor BackgroundColor() const { return FBackgroundColor; }
    void SetBackgroundColor(TColor Value) { FBackgroundColor = Value, Invalidate(); }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    TJvScrollTextDirection ScrollDirection() const { return FScrollDirection; }
    void SetScrollDirection(TJvScrollTextDirection Value);
    int ScrollPixels() const { return FScrollPixels; }
    void SetScrollPixels(int Value) { FScrollPixels = Value < 0 ? 0 : Value; }
    unsigned Delay() const { return FDelay; }
    void SetDelay(unsigned Value);

    // Where the block stands: the offset of its leading edge from the control's top (vertical)
    // or left (horizontal) edge.
    int Position() const { return FPosition; }
    // Size of the block along the scrolling direction, in pixels.
    int BlockExtent() const { return FBlockExtent; }
    // One step of the motion (what each timer tick does).
    void Step();

protected:
    void CreateWnd() override;
    LRESULT WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) override;
    void Paint(HDC DC, const RECT& ClientRect) override;
    void FontChanged() override;

private:
    bool Vertical() const { return FScrollDirection >= drFromTop; }
    void Measure();
    void Restart();
    void UpdateTimer();
    UINT TextFormat() const;

    std::vector<std::string> FItems;
    std::vector<std::string> FLines; // what shows: Items as of the last activation
    std::vector<int> FLineHeights;
    int FBlockExtent = 0;
    int FPosition = 0;
    bool FActive = false;
    TAlignment FAlignment = taLeftJustify;
    TColor FBackgroundColor = clBtnFace;
    bool FWordWrap = true;
    TJvScrollTextDirection FScrollDirection = drFromBottom;
    int FScrollPixels = 1;
    unsigned FDelay = 50;
};
