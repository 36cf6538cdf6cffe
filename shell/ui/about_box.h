#pragma once
// The About window: the product's name and version.

#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace tf::shell::ui {

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  QLabel* ProductName;
  QLabel* Version;
  QPushButton* OKButton;
};

}  // namespace tf::shell::ui
