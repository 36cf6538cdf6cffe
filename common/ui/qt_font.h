#pragma once
// FontSpec <-> QFont / QColor. Stored colours are 0x00BBGGRR; a value with the high byte set
// is one of the old platform's system colours, which prints as the default text colour, black.

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QWidget>

#include <cstdint>

#include "common/stored_font.h"

namespace tf::common::ui {

QColor ToQColor(std::int32_t colour);
std::int32_t FromQColor(const QColor& colour);

// The face, style bits and point size; an empty face is the default fixed-pitch font when
// `fixedPitch` is set, the application font otherwise. Sizes below 1 become 10 points.
QFont ToQFont(const FontSpec& stored, bool fixedPitch = false);
FontSpec FromQFont(const QFont& font, const QColor& colour);

// Shows `widget` in the font and colour of `stored`; `role` is the palette entry its text is
// drawn with (WindowText for a label, Text for a list).
void ApplyFontSpec(QWidget& widget, const FontSpec& stored, QPalette::ColorRole role, bool fixedPitch = false);

}  // namespace tf::common::ui
