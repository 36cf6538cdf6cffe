// TIndexBrowser: painting. Every line is drawn from the left edge minus HorizOfs, in the
// control's fixed-pitch font; the current row in the highlight colours.

#include <QPaintEvent>
#include <QPainter>

#include "browse/ui/index_browser.h"

void TIndexBrowser::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(viewport());
  const int width = viewport()->width();
  const int rh = RowHeight();
  const int baseline = QFontMetrics(font()).ascent();
  const int x = -horizOfs_;
  p.fillRect(viewport()->rect(), color_);

  auto band = [&](int top, const QColor& fill, const QColor& text, const QString& line) {
    p.fillRect(QRect(0, top, width, rh), fill);
    p.setPen(text);
    p.drawText(x, top + baseline, line);
  };
  if (!header_.isEmpty()) {
    band(0, headerColor_, headerTxtColor_, header_);
    if (useSeparator_) {
      p.setPen(headerTxtColor_);
      p.drawLine(0, rh, width, rh);
    }
  }
  if (!footer_.isEmpty()) {
    const int top = viewport()->height() - rh;
    band(top, footerColor_, footerTxtColor_, footer_);
    if (useSeparator_) {
      p.setPen(footerTxtColor_);
      p.drawLine(0, top - 1, width, top - 1);
    }
  }

  const QColor text = palette().color(QPalette::Text);
  for (int r = 1; r <= model_.RowsFilled(); ++r) {
    const QRect rect = RowRect(r);
    const bool current = r == model_.CurrentRow();
    if (current) p.fillRect(rect, highlightColor_);
    p.setPen(current ? highlightTxtColor_ : text);
    const std::string& row = model_.Row(r).Row;
    p.drawText(x, rect.top() + baseline, QString::fromLatin1(row.data(), qsizetype(row.size())));
  }
}
