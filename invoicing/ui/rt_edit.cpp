#include "invoicing/ui/rt_edit.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "common/ui/qt_font.h"
#include "common/ui/qt_text.h"

namespace tf::invoicing::ui {

using common::ui::ToQString;

namespace {

QLabel* Named(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

QString Lines(const std::string& first, const std::array<std::string, 4>& rest) {
  QStringList lines{ToQString(first)};
  for (const std::string& line : rest)
    if (!line.empty()) lines << ToQString(line);
  return lines.join('\n');
}

// Sorts the numbers of a column as numbers, the rest as text.
class ViewItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override {
    const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
    QString a = text(column), b = other.text(column);
    bool okA = false, okB = false;
    const double x = QString(a).remove(',').toDouble(&okA), y = QString(b).remove(',').toDouble(&okB);
    if (okA && okB) return x < y;
    return a < b;
  }
};

}  // namespace

Trtedit::Trtedit(QWidget* parent) : QDialog(parent) {
  setObjectName("Trtedit");
  BillTo = Named("BillTo", this);
  ShipCaption = Named("ShipCaption", this);
  ShipTo = Named("ShipTo", this);
  IDate = Named("IDate", this);
  INum = Named("INum", this);
  IAcct = Named("IAcct", this);
  ITerms = Named("ITerms", this);
  IRef = Named("IRef", this);
  IType = Named("IType", this);
  IStatus = Named("IStatus", this);
  IStatus->setStyleSheet("color: red");
  ListView1 = new QTreeWidget(this);
  ListView1->setObjectName("ListView1");
  ListView1->setRootIsDecorated(false);
  ListView1->setSortingEnabled(true);
  ListView1->setColumnCount(7);
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);
  INet = Named("INet", this);
  ITax = Named("ITax", this);
  ITotal = Named("ITotal", this);
  IPaid = Named("IPaid", this);
  IBal = Named("IBal", this);
  CloseBtn = new QPushButton("Close", this);
  CloseBtn->setObjectName("CloseBtn");
  connect(CloseBtn, &QPushButton::clicked, this, &QDialog::accept);

  auto* addresses = new QGridLayout;
  addresses->addWidget(new QLabel("Bill To:", this), 0, 0, Qt::AlignTop);
  addresses->addWidget(BillTo, 0, 1, Qt::AlignTop);
  addresses->addWidget(ShipCaption, 0, 2, Qt::AlignTop);
  addresses->addWidget(ShipTo, 0, 3, Qt::AlignTop);
  auto* reference = new QGridLayout;
  reference->addWidget(IDate, 0, 0);
  reference->addWidget(INum, 0, 1);
  reference->addWidget(IAcct, 0, 2);
  reference->addWidget(ITerms, 1, 0, 1, 2);
  reference->addWidget(IRef, 2, 0, 1, 3);
  reference->addWidget(IType, 3, 0);
  reference->addWidget(IStatus, 3, 1, 1, 2);
  auto* totals = new QGridLayout;
  totals->addWidget(new QLabel("Net:", this), 0, 0);
  totals->addWidget(INet, 0, 1, Qt::AlignRight);
  totals->addWidget(ITax, 1, 0, 1, 2, Qt::AlignRight);
  totals->addWidget(new QLabel("Total:", this), 2, 0);
  totals->addWidget(ITotal, 2, 1, Qt::AlignRight);
  totals->addWidget(IPaid, 3, 0, 1, 2, Qt::AlignRight);
  totals->addWidget(new QLabel("Balance:", this), 4, 0);
  totals->addWidget(IBal, 4, 1, Qt::AlignRight);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addLayout(totals);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(addresses);
  layout->addLayout(reference);
  layout->addWidget(ListView1, 1);
  layout->addWidget(Memo1, 1);
  layout->addLayout(bottom);
  layout->addWidget(CloseBtn, 0, Qt::AlignRight);
  // A double-click or a key anywhere closes the window, the list and memo box included.
  for (QWidget* w : {static_cast<QWidget*>(ListView1), static_cast<QWidget*>(ListView1->viewport()),
                     static_cast<QWidget*>(Memo1), static_cast<QWidget*>(Memo1->viewport())})
    w->installEventFilter(this);
  resize(760, 520);
}

void Trtedit::SetView(const documents::InvoiceView& v, const common::FontSpec& memoFont) {
  setWindowTitle(ToQString(v.caption));
  BillTo->setText(Lines(v.billName, v.billTo));
  const bool ship = !v.shipTo[0].empty();
  ShipCaption->setText(ship ? ToQString(v.shipToCaption) : QString());
  ShipTo->setText(ship ? Lines(v.shipTo[0], {v.shipTo[1], v.shipTo[2], v.shipTo[3], ""}) : QString());
  IDate->setText(ToQString(v.date));
  INum->setText(ToQString(v.number));
  IAcct->setText(ToQString(v.account));
  ITerms->setText(ToQString(v.terms));
  IRef->setText(ToQString(v.reference));
  IType->setText(ToQString(v.typeLine));
  IStatus->setText(ToQString(v.status));
  ListView1->clear();
  ListView1->setSortingEnabled(false);
  QStringList headings;
  for (const std::string& h : v.headings) headings << ToQString(h);
  ListView1->setHeaderLabels(headings);
  for (const auto& row : v.rows) {
    auto* item = new ViewItem(ListView1);
    for (int c = 0; c < 7; ++c) {
      item->setText(c, ToQString(row[std::size_t(c)]));
      if (c == 2 || c == 4 || c == 6) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
  }
  ListView1->sortItems(0, Qt::AscendingOrder);
  ListView1->setSortingEnabled(true);
  for (int c = 0; c < 7; ++c) ListView1->resizeColumnToContents(c);
  QFont font = common::ui::ToQFont(memoFont, true);
  Memo1->setFont(font);
  Memo1->setPlainText(ToQString(v.memoText));
  ListView1->setVisible(!v.memo);
  Memo1->setVisible(v.memo);
  INet->setText(ToQString(v.net));
  ITax->setText(ToQString(v.tax));
  ITotal->setText(ToQString(v.total));
  IPaid->setText(ToQString(v.paid));
  IBal->setText(ToQString(v.balance));
}

void Trtedit::keyPressEvent(QKeyEvent*) { accept(); }

void Trtedit::mouseDoubleClickEvent(QMouseEvent*) { accept(); }

bool Trtedit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonDblClick) {
    accept();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace tf::invoicing::ui
