#pragma once
// TQView ("Customer Data"): the read-only summary of a customer and one of its invoices. The
// invoice manager fills the invoice part (QuickView::invoice) and shows it modally.

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "customers/customer_quick_view.h"

namespace tf::customers::ui {

class TQView : public QDialog {
  Q_OBJECT

 public:
  explicit TQView(QWidget* parent = nullptr);

  // FormShow: the texts of the view; the aging captions come from the company with it.
  void SetView(const QuickView& view);

  QLabel* CustName;
  QLabel* CustNo;
  QLabel* CustBal;
  QLabel* Pnum;
  QLabel* LstPmt;
  QLabel* LstInv;
  QLabel* AgeCap[4];   // AgeCap1..AgeCap4
  QLabel* AgeAmt[4];   // AgeAmt1..AgeAmt4
  QLabel* InvType;
  QLabel* InvNo;
  QLabel* InvDate;
  QLabel* InvTotal;
  QLabel* InvPaid;
  QLabel* InvBal;
  QLabel* PrintedLbl;
  QLabel* RepeatLbl;
  QPushButton* OKBtn;
};

}  // namespace tf::customers::ui
