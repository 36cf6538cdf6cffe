#include "common/ui/qt_font.h"

#include <QFontDatabase>

#include <cmath>
#include <cstdlib>

#include "common/ui/qt_text.h"

namespace tf::common::ui {

QColor ToQColor(std::int32_t colour) {
  auto c = static_cast<std::uint32_t>(colour);
  if ((c & 0xFF000000u) != 0) return QColor(0, 0, 0);
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

std::int32_t FromQColor(const QColor& colour) {
  QColor rgb = colour.toRgb();
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(rgb.red()) |
                                   (static_cast<std::uint32_t>(rgb.green()) << 8) |
                                   (static_cast<std::uint32_t>(rgb.blue()) << 16));
}

QFont ToQFont(const FontSpec& stored, bool fixedPitch) {
  QFont font = fixedPitch ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont();
  if (!stored.face.empty()) font.setFamily(ToQString(stored.face));
  if (fixedPitch) {
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
  }
  // Sizes stored as negative numbers are character heights; their magnitude is close enough.
  int size = std::abs(stored.size);
  font.setPointSize(size < 1 ? 10 : size);
  font.setBold((stored.style & kFontBold) != 0);
  font.setItalic((stored.style & kFontItalic) != 0);
  font.setUnderline((stored.style & kFontUnderline) != 0);
  font.setStrikeOut((stored.style & kFontStrikeOut) != 0);
  return font;
}

FontSpec FromQFont(const QFont& font, const QColor& colour) {
  FontSpec stored;
  stored.face = FromQString(font.family());
  double points = font.pointSizeF();
  stored.size = points > 0 ? static_cast<std::int32_t>(std::lround(points)) : 10;
  stored.colour = FromQColor(colour);
  stored.style = static_cast<std::uint8_t>((font.bold() ? kFontBold : 0) |
                                         (font.italic() ? kFontItalic : 0) |
                                         (font.underline() ? kFontUnderline : 0) |
                                         (font.strikeOut() ? kFontStrikeOut : 0));
  return stored;
}

void ApplyFontSpec(QWidget& widget, const FontSpec& stored, QPalette::ColorRole role, bool fixedPitch) {
  widget.setFont(ToQFont(stored, fixedPitch));
  QPalette palette = widget.palette();
  palette.setColor(role, ToQColor(stored.colour));
  widget.setPalette(palette);
}

}  // namespace tf::common::ui
