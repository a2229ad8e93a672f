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
inline TFontStyle operator|(TFontStyle a, TFontStyle b) {
    return static_cast<TFontStyle>(static_cast<uint8_t>(a) | static_cast<uint8_t>(b));
}

class TFont {
public:
    TFont() = default;
    TFont(std::string name, int height, TFontStyle style = fsNone)
        : FName(std::move(name)), FHeight(height), FStyle(style) {}

    const std::string& Name() const { return FName; }
    void SetName(const std::string& name) { FName = name, FHandle.reset(); }
    // Negative: character height in pixels; positive: cell height.
    int Height() const { return FHeight; }
    void SetHeight(int height) { FHeight = height, FHandle.reset(); }
    TFontStyle Style() const { return FStyle; }
    void SetStyle(TFontStyle style) { FStyle = style, FHandle.reset(); }
    TColor Color() const { return FColor; }
    void SetColor(TColor color) { FColor = color; }

    // The GDI font; valid while this object or a copy of it lives.
    HFONT Handle() const;

private:
    std::string FName = "Tahoma";
    int FHeight = -11;
    TFontStyle FStyle = fsNone;
    TColor FColor = clWindowText;
    mutable std::shared_ptr<void> FHandle;
};
