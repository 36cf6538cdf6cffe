// TIndexBrowser: keys, mouse and the auto-scroll while the button is held outside the rows.

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <cstdlib>

#include "browse/ui/index_browser.h"

void TIndexBrowser::keyPressEvent(QKeyEvent* event) {
  int key = event->key();
  const Qt::KeyboardModifiers shift = event->modifiers();
  if (OnKeyDown) OnKeyDown(this, key, shift);
  if (key == 0) return event->accept();
  const bool ctrl = shift & Qt::ControlModifier;
  const int charStep = (ctrl ? 10 : 1) * CharWidth();
  switch (key) {
    case Qt::Key_Down: return UserMove([this] { model_.LineDown(); });
    case Qt::Key_Up: return UserMove([this] { model_.LineUp(); });
    case Qt::Key_PageDown: return UserMove([this] { model_.PageDown(); });
    case Qt::Key_PageUp: return UserMove([this] { model_.PageUp(); });
    case Qt::Key_Home:
      if (ctrl) return UserMove([this] { model_.FirstPage(); });
      return SetHorizOfs(0);
    case Qt::Key_End:
      if (ctrl) return UserMove([this] { model_.LastPage(); });
      return SetHorizOfs(MaxHorizOfs());
    case Qt::Key_Left: return SetHorizOfs(horizOfs_ - charStep);
    case Qt::Key_Right: return SetHorizOfs(horizOfs_ + charStep);
    default: break;
  }
  const QString text = event->text();
  if (!text.isEmpty()) {
    QChar ch = text.at(0);
    if (OnKeyPress) OnKeyPress(this, ch);
    if (ch.isNull()) return event->accept();
    const char16_t code = ch.unicode();
    if (code < 256) {
      const auto latin1 = static_cast<unsigned char>(code);
      if (latin1 == '+') return UserMove([this] { model_.Refresh(); });
      if (tf::browse::BrowseModel::IsJumpChar(latin1)) return UserMove([&] { model_.TypeChar(latin1); }, true);
    }
  }
  event->ignore();  // Escape, Enter and the like belong to the window
}

void TIndexBrowser::keyReleaseEvent(QKeyEvent* event) {
  int key = event->key();
  if (OnKeyUp) OnKeyUp(this, key, event->modifiers());
  event->ignore();
}

// A row under the mouse becomes current; above or below the rows the list scrolls one row per
// timer tick until the button is released or the mouse comes back.
void TIndexBrowser::TrackMouse(int y) {
  const int row = RowAt(y);
  if (row == 0 || row > VisibleRows()) {
    autoScrollDirection_ = row == 0 ? -1 : 1;
    if (!autoScroll_.isActive()) autoScroll_.start();
    return;
  }
  autoScroll_.stop();
  autoScrollDirection_ = 0;
  if (row <= model_.RowsFilled()) UserMove([&] { model_.SelectRow(row); });
}

void TIndexBrowser::OnAutoScroll() {
  if (autoScrollDirection_ < 0)
    UserMove([this] { model_.LineUp(); });
  else if (autoScrollDirection_ > 0)
    UserMove([this] { model_.LineDown(); });
}

void TIndexBrowser::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), at.x(), at.y());
  if (event->button() == Qt::LeftButton) TrackMouse(at.y());
}

void TIndexBrowser::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (OnMouseMove) OnMouseMove(this, event->modifiers(), at.x(), at.y());
  if (event->buttons() & Qt::LeftButton) TrackMouse(at.y());
}

void TIndexBrowser::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    autoScroll_.stop();
    autoScrollDirection_ = 0;
  }
  if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), at.x(), at.y());
}

void TIndexBrowser::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && OnDblClick) OnDblClick(this);
}

// Three rows per wheel notch, like the arrow keys.
void TIndexBrowser::wheelEvent(QWheelEvent* event) {
  const int notches = event->angleDelta().y() / 120;
  if (notches == 0) return event->ignore();
  UserMove([&] {
    for (int i = 0; i < 3 * std::abs(notches); ++i) notches > 0 ? model_.LineUp() : model_.LineDown();
  });
}

void TIndexBrowser::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  if (OnEnter) OnEnter(this);
}

void TIndexBrowser::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  if (OnExit) OnExit(this);
}
