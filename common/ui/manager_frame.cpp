#include "common/ui/manager_frame.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QToolBar>
#include <QVBoxLayout>

namespace tf::common::ui {

ManagerFrame BuildManagerFrame(QDialog* window, std::initializer_list<QToolButton*> tools, QWidget* list,
                               const QString& hint) {
  auto* toolBar = new QToolBar(window);
  toolBar->setObjectName("ToolBar1");
  for (QToolButton* b : tools) toolBar->addWidget(b);

  ManagerFrame frame{};
  frame.caption = new QLabel(window);
  frame.caption->setObjectName("Label1");
  auto* panel = new QFrame(window);
  panel->setObjectName("Panel1");
  panel->setFrameShape(QFrame::StyledPanel);
  auto* panelLayout = new QHBoxLayout(panel);
  panelLayout->addWidget(frame.caption);

  frame.statusBar = new QStatusBar(window);
  frame.statusBar->setObjectName("StatusBar1");
  frame.statusBar->setSizeGripEnabled(false);
  frame.countPanel = new QLabel(frame.statusBar);
  frame.countPanel->setObjectName("StatusBar1Panel0");
  frame.hintPanel = new QLabel(hint, frame.statusBar);
  frame.hintPanel->setObjectName("StatusBar1Panel1");
  frame.statusBar->addWidget(frame.countPanel, 1);
  frame.statusBar->addWidget(frame.hintPanel, 2);

  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(toolBar);
  layout->addWidget(panel);
  layout->addWidget(list, 1);
  layout->addWidget(frame.statusBar);
  return frame;
}

void PopupOnRightClick(QWidget* list, QMenu* popup) {
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(list, &QWidget::customContextMenuRequested, popup,
                   [list, popup](const QPoint& at) { popup->popup(list->mapToGlobal(at)); });
}

}  // namespace tf::common::ui
