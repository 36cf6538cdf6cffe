#pragma once
// Trtedit ("View Invoice# ..."): an invoice on screen, read-only. The addresses and reference
// lines, the kind of invoice, its lines in a list (a click on a heading sorts by that column)
// or, for a memo invoice, the memo text in its place, the status line and the totals. Any key,
// a double-click anywhere or "Close" closes it. The window also carries what the e-mail sending
// of the program will need of it.

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "common/stored_font.h"
#include "invoicing/documents/invoice_view.h"

namespace tf::invoicing::ui {

class Trtedit : public QDialog {
  Q_OBJECT

 public:
  explicit Trtedit(QWidget* parent = nullptr);

  // Fills the window; the memo box takes the managers' font (face and size).
  void SetView(const documents::InvoiceView& view, const common::FontSpec& memoFont);

  QLabel* BillTo;
  QLabel* ShipTo;
  QLabel* ShipCaption;
  QLabel* IDate;
  QLabel* INum;
  QLabel* IAcct;
  QLabel* ITerms;
  QLabel* IRef;
  QLabel* IType;
  QLabel* IStatus;
  QTreeWidget* ListView1;
  QPlainTextEdit* Memo1;
  QLabel* INet;
  QLabel* ITax;
  QLabel* ITotal;
  QLabel* IPaid;
  QLabel* IBal;
  QPushButton* CloseBtn;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace tf::invoicing::ui
