#include "shell/ui/program_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tf::shell::ui {

QPixmap ProgramPicture(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 128.0, size / 128.0);  // drawn on a 128-unit square

  QLinearGradient badge(0, 0, 128, 128);
  badge.setColorAt(0, QColor(0x2f, 0x7f, 0xc1));
  badge.setColorAt(1, QColor(0x1b, 0x4f, 0x86));
  p.setPen(Qt::NoPen);
  p.setBrush(badge);
  p.drawRoundedRect(QRectF(6, 6, 116, 116), 22, 22);

  const QColor ink(0x16, 0x40, 0x6b);
  QPainterPath sheet;
  sheet.moveTo(30, 20);
  sheet.lineTo(82, 20);
  sheet.lineTo(100, 38);
  sheet.lineTo(100, 108);
  sheet.lineTo(30, 108);
  sheet.closeSubpath();
  p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(QColor(0xfb, 0xfb, 0xf6));
  p.drawPath(sheet);
  QPainterPath fold;
  fold.moveTo(82, 20);
  fold.lineTo(82, 38);
  fold.lineTo(100, 38);
  p.setBrush(QColor(0xcf, 0xd8, 0xe0));
  p.drawPath(fold);

  p.setPen(QPen(QColor(0x9f, 0xb3, 0xc5), 2));
  for (int y : {48, 58, 98}) p.drawLine(38, y, 92, y);
  p.setPen(QPen(QColor(0x1b, 0x4f, 0x86), 5, Qt::SolidLine, Qt::RoundCap));
  for (int x : {44, 54, 64, 74}) p.drawLine(x, 68, x, 90);
  p.setPen(QPen(QColor(0xd9, 0x82, 0x2b), 5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(38, 86, 82, 70);
  return pixmap;
}

QIcon ProgramIcon() {
  QIcon drawn;
  for (int size : {16, 32, 48, 64, 128}) drawn.addPixmap(ProgramPicture(size));
  return QIcon::fromTheme("tallyfold", drawn);
}

}  // namespace tf::shell::ui
