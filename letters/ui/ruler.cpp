#include "letters/ui/ruler.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace tf::letters::ui {
namespace {
constexpr int kMarkWidth = 11;
constexpr int kMarkHeight = 7;
constexpr int kPixelsPerInch = 96;
}  // namespace

TRuler::TRuler(QWidget* parent) : QWidget(parent) {
  setObjectName("Ruler");
  setFixedHeight(28);
  FirstInd = new TRulerMark(this, true);
  FirstInd->setObjectName("FirstInd");
  FirstInd->setToolTip("First Indent");
  LeftInd = new TRulerMark(this, false);
  LeftInd->setObjectName("LeftInd");
  LeftInd->setToolTip("Left Indent");
  RightInd = new TRulerMark(this, false);
  RightInd->setObjectName("RightInd");
  RightInd->setToolTip("Right Indent");
  Place();
}

void TRuler::SetIndents(int first, int left, int right) {
  first_ = first, left_ = left, right_ = right;
  Place();
}

void TRuler::Place() {
  FirstInd->MoveTo(kOffset + std::max(0, left_ + first_));
  LeftInd->MoveTo(kOffset + left_);
  RightInd->MoveTo(width() - kOffset - right_);
}

void TRuler::MarkDropped() {
  const int left = std::max(0, LeftInd->Position() - kOffset);
  const int first = FirstInd->Position() - kOffset - left;
  const int right = std::max(0, width() - kOffset - RightInd->Position());
  first_ = first, left_ = left, right_ = right;
  Place();
  if (IndentsChanged) IndentsChanged(first, left, right);
}

void TRuler::resizeEvent(QResizeEvent*) { Place(); }

void TRuler::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  painter.setPen(palette().text().color());
  const int base = height() / 2 + 2;
  QFont small = font();
  small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.75));
  painter.setFont(small);
  for (int x = 0; kOffset + x < width(); x += kPixelsPerInch / 8) {
    const int eighth = x / (kPixelsPerInch / 8);
    const int tick = eighth % 8 == 0 ? 6 : eighth % 4 == 0 ? 4 : 2;
    painter.drawLine(kOffset + x, base - tick / 2, kOffset + x, base + tick / 2);
    if (eighth % 8 == 0 && x > 0)
      painter.drawText(kOffset + x + 2, base + 4, QString::number(eighth / 8));
  }
  painter.drawLine(0, height() - 1, width(), height() - 1);
}

TRulerMark::TRulerMark(TRuler* ruler, bool pointsDown) : QWidget(ruler), ruler_(ruler), down_(pointsDown) {
  setFixedSize(kMarkWidth, kMarkHeight);
  setCursor(Qt::SizeHorCursor);
}

int TRulerMark::Position() const { return x() + kMarkWidth / 2; }

void TRulerMark::MoveTo(int position) {
  const int y = down_ ? 0 : ruler_->height() - kMarkHeight - 1;
  move(std::clamp(position, 0, std::max(0, ruler_->width() - 1)) - kMarkWidth / 2, y);
}

void TRulerMark::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(palette().dark());
  painter.setPen(palette().shadow().color());
  QPolygon triangle;
  if (down_) triangle << QPoint(0, 0) << QPoint(kMarkWidth - 1, 0) << QPoint(kMarkWidth / 2, kMarkHeight - 1);
  else triangle << QPoint(kMarkWidth / 2, 0) << QPoint(kMarkWidth - 1, kMarkHeight - 1) << QPoint(0, kMarkHeight - 1);
  painter.drawPolygon(triangle);
}

void TRulerMark::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = true;
  grab_ = static_cast<int>(event->position().x());
}

void TRulerMark::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  const int tip = x() + static_cast<int>(event->position().x()) - grab_ + kMarkWidth / 2;
  MoveTo(tip);
}

void TRulerMark::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ || event->button() != Qt::LeftButton) return;
  dragging_ = false;
  ruler_->MarkDropped();
}

}  // namespace tf::letters::ui
