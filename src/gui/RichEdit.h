#pragma once
// TRichEdit: the system's rich edit control (RichEdit20A): text with character formats per run
// and paragraph alignment, read-only or editable, with scroll bars and word wrap.
//
//   TRichEdit SystemInformation{&tabSystemInformation};
//   SystemInformation.SetAlign(alClient); SystemInformation.SetAlignment(taCenter);
//   SystemInformation.SetReadOnly(true); SystemInformation.SetScrollBars(ssVertical);
//   SystemInformation.SetWordWrap(false);
//   // Append a red bold line at the end:
//   SystemInformation.SetSelStart(SystemInformation.GetTextLen());
//   SystemInformation.SetSelLength(0); SystemInformation.SelAttributes().SetColor(clRed);
//   SystemInformation.SelAttributes().SetStyle(fsBold);
//   SystemInformation.SetSelText("Title\r\n");
//
// Text comes back with CR LF between paragraphs. Positions count a paragraph break as one
// character, so GetTextLen (which counts CR LF) may lie past the end; the control takes any
// position past its end as its end. Alignment applies to every paragraph; new paragraphs take
// the alignment of the one they are inserted into. Changing WordWrap or ScrollBars makes the
// window anew and keeps the text, not its formats.
#include <string>

#include "gui/CustomMemo.h"

// (ssNone is taken by TShiftState.)
enum TScrollStyle : uint8_t { ssNoScrollBars, ssHorizontal, ssVertical, ssBoth };

class TRichEdit;

// The character format of the selection (of the insertion point when nothing is selected):
// setting an attribute applies to the selected text, or to the text inserted there next.
class TTextAttributes {
public:
    std::string Name() const;
    void SetName(const std::string& Value);
    // clWindowText is the automatic colour: the system's window-text colour when drawn.
    TColor Color() const;
    void SetColor(TColor Value);
    TFontStyle Style() const;
    void SetStyle(TFontStyle Value);
    // Points.
    int Size() const;
    void SetSize(int Value);

private:
    friend class TRichEdit;
    explicit TTextAttributes(TRichEdit& Edit) : FEdit(Edit) {}
    TRichEdit& FEdit;
};

class TRichEdit : public TCustomMemo {
public:
    explicit TRichEdit(TControl* Parent);

    std::string Text() const { return Caption(); }
    // Replaces the whole text (in the default character format).
    void SetText(const std::string& Value);
    void Clear() { SetText(std::string()); }
    // Characters of the text as WM_GETTEXTLENGTH counts them (CR LF as two).
    int GetTextLen() const;

    int SelStart() const;
    void SetSelStart(int Value);
    int SelLength() const;
    void SetSelLength(int Value);
    std::string SelText() const;
    // Replaces the selection (also in a read-only control); the insertion point ends after it.
    void SetSelText(const std::string& Value);
    TTextAttributes& SelAttributes() { return FSelAttributes; }

    void SetAlignment(TAlignment Value) override;
    // Paragraph alignment at character position (taLeftJustify when unknown).
    TAlignment ParagraphAlignment(int Position) const;
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    // Most characters the control holds; 0 (the default) means as many as memory allows.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value);

protected:
    void CreateWnd() override;
    DWORD WindowStyle() const override;
    DWORD WindowExStyle() const override { return WS_EX_CLIENTEDGE; }
    void ApplySettings() override;

private:
    void ApplyAlignment();

    TTextAttributes FSelAttributes{*this};
    TScrollStyle FScrollBars = ssBoth;
    int FMaxLength = 0;
};
