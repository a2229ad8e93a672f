#pragma once
// TMemo: a multi-line edit box (the system's EDIT class) with its lines, alignment, word wrap,
// read-only state, border and bevel frame.
//
//   TMemo memoAlert{&pnlMain};
//   memoAlert.SetAlign(alClient); memoAlert.SetAlignment(taCenter); memoAlert.SetReadOnly(true);
//   memoAlert.SetBorderStyle(bsNone); memoAlert.SetBevelKind(bkTile);
//   memoAlert.Lines().Clear(); memoAlert.Lines().Add("WARNING");
//
// Lines are the text's CR LF separated lines, each one ended by CR LF (the text of "a" and "b"
// is "a\r\nb\r\n"); a long line wraps at the memo's width when WordWrap is on (the default).
// Tab and Esc are left to the form's dialog keys; Enter goes into the text unless the memo is
// read-only. Alignment and WordWrap take effect by making the window anew. No scroll bars.
#include <string>

#include "gui/CustomMemo.h"
#include "gui/Form.h"
#include "gui/Panel.h"

class TMemo;

// The lines of a memo, read from and written to its window.
class TMemoLines {
public:
    int Count() const;
    // Line index (0 first); an empty string outside 0 .. Count() - 1.
    std::string Strings(int Index) const;
    std::string operator[](int Index) const { return Strings(Index); }
    void Add(const std::string& Line);
    void Clear();
    // Every line followed by CR LF.
    std::string Text() const;
    void SetText(const std::string& Text);

private:
    friend class TMemo;
    explicit TMemoLines(TMemo& Memo) : FMemo(Memo) {}
    TMemo& FMemo;
};

class TMemo : public TCustomMemo {
public:
    explicit TMemo(TControl* Parent) : TCustomMemo(Parent, "EDIT") {}

    TMemoLines& Lines() { return FLines; }
    const TMemoLines& Lines() const { return FLines; }
    std::string Text() const { return Caption(); }
    void SetText(const std::string& Value) { SetCaption(Value); }

    void SetAlignment(TAlignment Value) override;
    // bsNone or bsSingle (a sunken client edge); other styles count as bsSingle.
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // A frame drawn around the memo, outside its border (see TPanel for the kinds).
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind Value);

protected:
    void CreateWnd() override;
    LRESULT WndProc(UINT Msg, WPARAM WParam, LPARAM LParam) override;

    DWORD WindowStyle() const override;
    DWORD WindowExStyle() const override;
    void ApplySettings() override;

private:
    int FrameWidth() const;
    void FrameChanged();
    void PaintFrame();

    TMemoLines FLines{*this};
    TBorderStyle FBorderStyle = bsSingle;
    TBevelKind FBevelKind = bkNone;
};
