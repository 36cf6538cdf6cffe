#include "shell/ui/about_box.h"

#include <QVBoxLayout>

#include "common/ui/qt_text.h"
#include "shell/main_window_model.h"
#include "common/program_title.h"

namespace tf::shell::ui {

using common::ui::ToQString;

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutBox");
  setWindowTitle("About");
  ProductName = new QLabel(ToQString(common::kProgramTitle), this);
  ProductName->setObjectName("ProductName");
  QFont f = ProductName->font();
  f.setBold(true);
  f.setPointSizeF(f.pointSizeF() * 1.5);
  ProductName->setFont(f);
  Version = new QLabel("Version " + ToQString(kProductVersion), this);
  Version->setObjectName("Version");
  OKButton = new QPushButton("OK", this);
  OKButton->setObjectName("OKButton");
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ProductName, 0, Qt::AlignHCenter);
  layout->addWidget(Version, 0, Qt::AlignHCenter);
  layout->addSpacing(12);
  layout->addWidget(OKButton, 0, Qt::AlignHCenter);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace tf::shell::ui
