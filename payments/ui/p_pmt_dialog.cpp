#include "payments/ui/p_pmt_dialog.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/ui/qt_text.h"

namespace tf::payments::ui {

using common::ui::ToQString;

TPPmtDialog::TPPmtDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("TPPmtDialog");
  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  PPAmt = new QLineEdit(this);
  PPAmt->setObjectName("PPAmt");
  PPAmt->setMaxLength(int(kAmountLength));
  OKBtn = new QPushButton("OK", this);
  OKBtn->setObjectName("OKBtn");
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton("&Cancel", this);
  CancelBtn->setObjectName("CancelBtn");

  auto* amount = new QHBoxLayout;
  amount->addWidget(new QLabel("Payment Amount:", this));
  amount->addWidget(PPAmt);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addLayout(amount);
  layout->addLayout(buttons);

  connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

bool TPPmtDialog::Ask(const AmountDialog& setup, std::function<bool(std::string_view)> accept) {
  setWindowTitle(ToQString(setup.caption));
  Label1->setText(ToQString(setup.label));
  PPAmt->setText("0.00");
  PPAmt->selectAll();
  PPAmt->setFocus();
  accept_ = std::move(accept);
  const bool taken = exec() == QDialog::Accepted;
  accept_ = nullptr;
  return taken;
}

void TPPmtDialog::OKBtnClick() {
  if (accept_ && accept_(PPAmt->text().toStdString())) {
    accept();
    return;
  }
  PPAmt->setFocus();
  PPAmt->selectAll();
}

}  // namespace tf::payments::ui
