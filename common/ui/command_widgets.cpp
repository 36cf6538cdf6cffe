#include "common/ui/command_widgets.h"

namespace tf::common::ui {

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

}  // namespace tf::common::ui
