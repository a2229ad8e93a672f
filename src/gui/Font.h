#pragma once
// A font description (name, height in pixels, style, colour) and its GDI font, made on first use.
// Copies share the GDI font; any change makes a new one.
//
//   TFont f;                       // Tahoma, height -11 (8 points at 96 dpi)
//   f.SetStyle(fsBold);  label.SetFont(f);
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "gui/Color.h"

enum TFontStyle : uint8_t { fsNone = 0, fsBold = 1, fsItalic = 2, fsUnderline = 4 };
inline TFontStyle operator|(TFontStyle A, TFontStyle B) {
    return static_cast<TFontStyle>(static_cast<uint8_t>(A) | static_cast<uint8_t>(B));
}

class TFont {
public:
    TFont() = default;
    TFont(std::string Name, int Height, TFontStyle Style = fsNone)
        : FName(std::move(Name)), FHeight(Height), FStyle(Style) {}

    const std::string& Name() const { return FName; }
    void SetName(const std::string& Name) { FName = Name, FHandle.reset(); }
    // Negative: character height in pixels; positive: cell height.
    int Height() const { return FHeight; }
    void SetHeight(int Height) { FHeight = Height, FHandle.reset(); }
    TFontStyle Style() const { return FStyle; }
    void SetStyle(TFontStyle Style) { FStyle = Style, FHandle.reset(); }
    TColor Color() const { return FColor; }
    void SetColor(TColor Color) { FColor = Color; }

    // The GDI font; valid while this object or a copy of it lives.
    HFONT Handle() const;

private:
    std::string FName = "Tahoma";
    int FHeight = -11;
    TFontStyle FStyle = fsNone;
    TColor FColor = clWindowText;
    mutable std::shared_ptr<void> FHandle;
};
