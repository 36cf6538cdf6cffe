#include "common/ui/command_widgets.h"

#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QStyleOptionFrame>

namespace tf::common::ui {
namespace {

class EnterKeyFilter : public QObject {
 public:
  EnterKeyFilter(QObject* parent, std::function<void()> action) : QObject(parent), action_(std::move(action)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        action_();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> action_;
};

}  // namespace

QToolButton* ToolButton(QWidget* parent, const char* name, const char* hint, QStyle::StandardPixmap icon) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setToolTip(hint);
  b->setText(hint);
  b->setIcon(parent->style()->standardIcon(icon));
  b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  b->setAutoRaise(true);
  return b;
}

QPushButton* PushButton(QWidget* parent, const char* name, const char* text) {
  auto* b = new QPushButton(QString::fromLatin1(text), parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  return b;
}

QAction* Action(QObject* parent, const char* name, const char* text) {
  auto* a = new QAction(text, parent);
  a->setObjectName(name);
  return a;
}

QHBoxLayout* ButtonRow(std::initializer_list<QAbstractButton*> buttons) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  for (QAbstractButton* b : buttons) row->addWidget(b);
  return row;
}

void ShowWholeText(QLineEdit* edit, int characters) {
  const QFontMetrics metrics(edit->font());
  QStyleOptionFrame option;
  option.initFrom(edit);
  option.rect = edit->rect();
  option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
  const QMargins margins = edit->textMargins();
  // QLineEdit keeps a fixed horizontal margin of two pixels at each side of its text, and
  // scrolls unless the caret after the last character fits too.
  // Styles also inset the text within the frame they draw (by up to the frame width at each
  // side beyond what the size they report includes): allow for that too.
  const int caret = edit->style()->pixelMetric(QStyle::PM_TextCursorWidth, &option, edit) + 1 +
                    2 * edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) + 4;
  const QSize text(metrics.horizontalAdvance(QString(characters, QLatin1Char('W'))) + margins.left() + margins.right() + 4 +
                       caret,
                   metrics.height());
  const QSize whole = edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, edit);
  edit->setMinimumWidth(whole.width());
}

void OnEnterKey(QWidget* widget, std::function<void()> action) {
  widget->installEventFilter(new EnterKeyFilter(widget, std::move(action)));
}

}  // namespace tf::common::ui
