#pragma once
// The window's font: the designer's "MS Sans Serif" 8.25 pt bold. Linux desktops do not
// ship that face, so the family is mapped to one with the same character widths before
// the window asks for it; otherwise fontconfig hands out a wider sans and the notes and
// button captions no longer fit their boxes.

#include <string_view>

#include <QFont>

namespace veloris {

// Metric-compatible with the designer's face at this size (Arial widths), from fonts-liberation.
inline constexpr std::string_view kFallbackFontFamily = "Liberation Sans";

// Registers the fallback with Qt's font substitution table; harmless when repeated.
void RegisterWindowFontFallback();

// The font every control of the window inherits.
QFont WindowFont();

} // namespace veloris
