#include "invoicing/ui/inv_batch.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "common/ui/command_widgets.h"
#include "common/ui/qt_text.h"

namespace tf::invoicing::ui {

using common::ui::FromQString;
using common::ui::ToQString;

TInvBatch::TInvBatch(common::Prompter& prompter, QWidget* parent) : QDialog(parent), prompter_(prompter) {
  setObjectName("TInvBatch");
  setWindowTitle(ToQString(kBatchCaption));
  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  Label2 = new QLabel(this);
  Label2->setObjectName("Label2");
  Label3 = new QLabel(this);
  Label3->setObjectName("Label3");
  BatchNum = new QLineEdit(this);
  BatchNum->setObjectName("BatchNum");
  BatchNum->setInputMask("9999; ");
  common::ui::ShowWholeText(BatchNum, 5);
  OKBtn = common::ui::PushButton(this, "OKBtn", "&Print");
  OKBtn->setDefault(true);
  CancelBtn = common::ui::PushButton(this, "CancelBtn", "&Cancel");
  auto* form = new QFormLayout;
  form->addRow("&Number to print this cycle:", BatchNum);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(Label2);
  layout->addWidget(Label3);
  layout->addLayout(form);
  layout->addLayout(common::ui::ButtonRow({OKBtn, CancelBtn}));
  connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<int> TInvBatch::Run(const BatchPrompt& prompt) {
  Label1->setText(ToQString(prompt.countLine));
  Label2->setText(ToQString(prompt.line2));
  Label3->setText(ToQString(prompt.line3));
  OKBtn->setText(ToQString(prompt.button));
  BatchNum->setText(ToQString(prompt.preset));
  number_.reset();
  BatchNum->setFocus();
  BatchNum->selectAll();
  if (exec() != QDialog::Accepted) return std::nullopt;
  return number_;
}

void TInvBatch::OKBtnClick() {
  number_ = AcceptBatchNumber(FromQString(BatchNum->text()).substr(0, kBatchNumberDigits), prompter_);
  if (number_) accept();
  else BatchNum->setFocus();
}

}  // namespace tf::invoicing::ui
