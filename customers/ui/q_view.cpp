#include "customers/ui/q_view.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/ui/qt_text.h"

namespace tf::customers::ui {

using common::ui::ToQString;

namespace {

QLabel* Value(QWidget* parent, const QString& name) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return l;
}

}  // namespace

TQView::TQView(QWidget* parent) : QDialog(parent) {
  setObjectName("TQView");
  setWindowTitle("Customer Data");
  CustName = Value(this, "CustName");
  CustNo = Value(this, "CustNo");
  CustBal = Value(this, "CustBal");
  Pnum = Value(this, "Pnum");
  LstPmt = Value(this, "LstPmt");
  LstInv = Value(this, "LstInv");
  auto* customer = new QFormLayout;
  customer->addRow("Customer:", CustName);
  customer->addRow("Number:", CustNo);
  customer->addRow("Account Balance:", CustBal);
  customer->addRow("Phone Number:", Pnum);
  customer->addRow("Last Payment:", LstPmt);
  customer->addRow("Last Invoice:", LstInv);
  auto* aging = new QGridLayout;
  for (int k = 0; k < 4; ++k) {
    AgeCap[k] = Value(this, QString("AgeCap%1").arg(k + 1));
    AgeAmt[k] = Value(this, QString("AgeAmt%1").arg(k + 1));
    AgeAmt[k]->setAlignment(Qt::AlignRight);
    aging->addWidget(AgeCap[k], 0, k);
    aging->addWidget(AgeAmt[k], 1, k);
  }
  InvType = Value(this, "InvType");
  InvNo = Value(this, "InvNo");
  InvDate = Value(this, "InvDate");
  InvTotal = Value(this, "InvTotal");
  InvPaid = Value(this, "InvPaid");
  InvBal = Value(this, "InvBal");
  PrintedLbl = Value(this, "PrintedLbl");
  RepeatLbl = Value(this, "RepeatLbl");
  auto* invoiceBox = new QGroupBox("Invoice", this);
  auto* invoice = new QFormLayout(invoiceBox);
  invoice->addRow("Type:", InvType);
  invoice->addRow("Invoice #:", InvNo);
  invoice->addRow("Date:", InvDate);
  invoice->addRow("Total:", InvTotal);
  invoice->addRow("Paid:", InvPaid);
  invoice->addRow("Balance Due:", InvBal);
  auto* marks = new QHBoxLayout;
  marks->addWidget(PrintedLbl);
  marks->addWidget(RepeatLbl);
  invoice->addRow(marks);
  OKBtn = new QPushButton("&Ok", this);
  OKBtn->setObjectName("OKBtn");
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(customer);
  layout->addLayout(aging);
  layout->addWidget(invoiceBox);
  layout->addWidget(OKBtn, 0, Qt::AlignRight);
}

void TQView::SetView(const QuickView& v) {
  CustName->setText(ToQString(v.name));
  CustNo->setText(ToQString(v.number));
  CustBal->setText(ToQString(v.balance));
  Pnum->setText(ToQString(v.phone));
  LstPmt->setText(ToQString(v.lastPayment));
  LstInv->setText(ToQString(v.lastInvoice));
  for (int k = 0; k < 4; ++k) {
    AgeCap[k]->setText(ToQString(v.agingCaption[k]));
    AgeAmt[k]->setText(ToQString(v.agingAmount[k]));
  }
  const QuickViewInvoice none;
  const QuickViewInvoice& i = v.invoice ? *v.invoice : none;
  InvType->setText(ToQString(i.type));
  InvNo->setText(ToQString(i.number));
  InvDate->setText(ToQString(i.date));
  InvTotal->setText(ToQString(i.total));
  InvPaid->setText(ToQString(i.paid));
  InvBal->setText(ToQString(i.balanceDue));
  PrintedLbl->setText(i.printed ? (i.printedText.empty() ? "* Printed *" : ToQString(i.printedText)) : "");
  RepeatLbl->setText(i.repeat ? "* Repeat *" : "");
}

}  // namespace tf::customers::ui
