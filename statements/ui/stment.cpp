#include "statements/ui/stment.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStyle>
#include <QVBoxLayout>

#include "common/ui/command_widgets.h"
#include "common/ui/help_window.h"
#include "common/ui/qt_font.h"
#include "common/ui/qt_print_canvas.h"
#include "common/ui/qt_text.h"

namespace tf::statements::ui {

using common::ui::ToolButton;
using common::ui::ToQString;

namespace {

QLabel* NamedLabel(QWidget* parent, const char* name, const QString& text = {}) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

// What follows a column's widest cell, so that the column keeps a little air: the reference
// column and the one-letter kind column need more to read well.
const char* ColumnAir(int column) {
  switch (column) {
    case 2: return "XXX";
    case 6: return "XXXXXX";
    default: return "X";
  }
}

}  // namespace

TStment::TStment(CustomerStatements& model, common::Prompter& prompter, QWidget* parent)
    : QDialog(parent), model_(model), prompter_(prompter) {
  setObjectName("TStment");
  ShowHelp = [this](std::string_view topic) { common::ui::ShowHelpTopic(topic, this); };
  Printer = [this] { return std::unique_ptr<common::PrintCanvas>(common::ui::ChoosePrinterCanvas(this)); };

  Label6 = NamedLabel(this, "Label6", "Customer Number:");
  CNoLabel = NamedLabel(this, "CNoLabel");
  Label1 = NamedLabel(this, "Label1");
  Label2 = NamedLabel(this, "Label2");
  Label3 = NamedLabel(this, "Label3");
  Label4 = NamedLabel(this, "Label4");
  Label5 = NamedLabel(this, "Label5");
  QFont bold = Label1->font();
  bold.setBold(true);
  Label1->setFont(bold);
  CNoLabel->setFont(bold);

  PrinStButn = ToolButton(this, "PrinStButn", "Print", QStyle::SP_DialogSaveButton);
  SpeedButton2 = ToolButton(this, "SpeedButton2", "Close", QStyle::SP_DialogCloseButton);
  SpeedButton3 = ToolButton(this, "SpeedButton3", "Help", QStyle::SP_DialogHelpButton);
  CheckBox1 = new QCheckBox("&Show Unpaid Records Only", this);
  CheckBox1->setObjectName("CheckBox1");

  SGrid = new QTableWidget(this);
  SGrid->setObjectName("SGrid");
  SGrid->setColumnCount(int(kColumns));
  SGrid->horizontalHeader()->setVisible(false);
  SGrid->verticalHeader()->setVisible(false);
  SGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  SGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  SGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  SGrid->setWordWrap(false);
  // One line of text a row, as on paper, rather than the roomy default.
  SGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

  CSBar = new QStatusBar(this);
  CSBar->setObjectName("CSBar");
  CSBar->setSizeGripEnabled(false);
  CSBarPanel0 = NamedLabel(CSBar, "CSBarPanel0");
  CSBar->addWidget(CSBarPanel0, 1);

  auto* customer = new QVBoxLayout;
  customer->setSpacing(0);
  for (QLabel* l : {Label1, Label2, Label3, Label4, Label5}) customer->addWidget(l);
  auto* number = new QHBoxLayout;
  number->addWidget(Label6);
  number->addWidget(CNoLabel);
  number->addStretch();
  auto* right = new QVBoxLayout;
  right->addLayout(number);
  right->addStretch();
  right->addWidget(CheckBox1);
  auto* top = new QHBoxLayout;
  top->addLayout(customer, 1);
  top->addLayout(right);
  auto* tools = new QHBoxLayout;
  for (QToolButton* b : {PrinStButn, SpeedButton2, SpeedButton3}) tools->addWidget(b);
  tools->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(tools);
  layout->addLayout(top);
  layout->addWidget(SGrid, 1);
  layout->addWidget(CSBar);

  connect(CheckBox1, &QCheckBox::clicked, this, &TStment::CheckBox1Click);
  connect(PrinStButn, &QToolButton::clicked, this, &TStment::PrinStButnClick);
  connect(SpeedButton2, &QToolButton::clicked, this, &QDialog::reject);
  connect(SpeedButton3, &QToolButton::clicked, this, [this] { ShowHelp(kStatementHelpTopic); });
  resize(820, 520);
}

int TStment::exec() {
  setWindowTitle(ToQString(model_.Caption()));
  PrinStButn->setText(ToQString(model_.DeliverCaption()));
  PrinStButn->setToolTip(model_.EMailMode() ? "E-Mail" : "Print");
  const common::FontSpec font = model_.ScreenFont();
  if (!font.face.empty() && font.size > 0) {
    common::ui::ApplyFontSpec(*this, font, QPalette::WindowText);
    common::ui::ApplyFontSpec(*SGrid, font, QPalette::Text);
  }
  ShowStatement();
  return QDialog::exec();
}

void TStment::ShowStatement() {
  if (!model_.Viewing()) return;
  const Statement& s = model_.Shown();
  CheckBox1->setChecked(model_.UnpaidOnly());
  Label1->setText(ToQString(s.customerName));
  QLabel* lines[4] = {Label2, Label3, Label4, Label5};
  for (int k = 0; k < 4; ++k) lines[k]->setText(ToQString(s.address[std::size_t(k)]));
  CNoLabel->setText(ToQString(s.customerNumber));
  SGrid->clearContents();
  SGrid->setRowCount(int(s.grid.size()));
  QFont bold = SGrid->font();
  bold.setBold(true);
  for (std::size_t r = 0; r < s.grid.size(); ++r) {
    const bool edge = r == 0 || r + 1 == s.grid.size();  // headings and totals
    for (std::size_t c = 0; c < kColumns; ++c) {
      auto* item = new QTableWidgetItem(ToQString(s.grid[r][c]));
      // Amounts all carry two decimals, so right-aligned they line up on the point.
      if (r > 0 && c >= 3 && c <= 5) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      if (edge) item->setFont(bold);
      SGrid->setItem(int(r), int(c), item);
    }
  }
  FitColumns();
  SGrid->verticalHeader()->setDefaultSectionSize(QFontMetrics(SGrid->font()).height() + 6);
  CSBarPanel0->setText(ToQString(model_.Status()));
}

void TStment::FitColumns() {
  QFont bold = SGrid->font();
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  for (int c = 0; c < SGrid->columnCount(); ++c) {
    int widest = 0;
    for (int r = 0; r < SGrid->rowCount(); ++r)
      if (const QTableWidgetItem* item = SGrid->item(r, c))
        widest = std::max(widest, metrics.horizontalAdvance(item->text() + ColumnAir(c)));
    SGrid->setColumnWidth(c, widest);
  }
}

void TStment::CheckBox1Click() {
  browse::ShowOutcome(prompter_, model_.SetUnpaidOnly(CheckBox1->isChecked()));
  ShowStatement();
}

void TStment::PrinStButnClick() {
  browse::Outcome outcome = browse::Outcome::Nothing();
  if (model_.EMailMode()) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    outcome = model_.EMail();
    QApplication::restoreOverrideCursor();
  } else {
    std::unique_ptr<common::PrintCanvas> canvas = Printer();
    if (!canvas) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    outcome = model_.Print(*canvas);
    QApplication::restoreOverrideCursor();
  }
  browse::ShowOutcome(prompter_, outcome);
  CSBarPanel0->setText(ToQString(model_.Status()));
}

}  // namespace tf::statements::ui
