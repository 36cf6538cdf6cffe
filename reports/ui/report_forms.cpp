#include "reports/ui/report_forms.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

#include <system_error>
#include <vector>

#include "common/help_topics.h"
#include "common/record_fields.h"
#include "common/side_file.h"
#include "common/ui/help_window.h"
#include "common/ui/qt_font.h"
#include "common/ui/qt_print_canvas.h"
#include "common/ui/qt_text.h"
#include "records/company_record.h"
#include "reports/report_builders.h"
#include "reports/report_dates.h"
#include "reports/report_output.h"

namespace tf::reports::ui {

using common::ui::FromQString;
using common::ui::ToQString;

inline constexpr std::string_view kHelpTopic = common::help::kReportWizard;
inline constexpr const char* kWizardCaption = "Report Wizard";
// Reports that read fewer records than this come up too fast for a progress window to help.
inline constexpr std::size_t kShowProgressFrom = 50'000;

namespace {

// A count with its thousands separated, as the status window shows it: 2,000,744.
std::string Counted(std::size_t n) {
  std::string digits = std::to_string(n);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

}  // namespace

// --- the grid's rows ------------------------------------------------------------------------------

void ReportTableModel::SetReport(const Report* report) {
  beginResetModel();
  report_ = report;
  endResetModel();
}

int ReportTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !report_ ? 0 : int(report_->rows.size());
}

int ReportTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() || !report_ ? 0 : int(report_->columns.size());
}

QVariant ReportTableModel::data(const QModelIndex& index, int role) const {
  if (!report_ || !index.isValid()) return {};
  const ReportRow& row = report_->rows[std::size_t(index.row())];
  const std::string_view cell = row.Cell(std::size_t(index.column()));
  switch (role) {
    case Qt::DisplayRole:
      return ToQString(cell);
    case Qt::TextAlignmentRole:
      // Amounts keep their decimals under each other: they share their count of decimals.
      return QVariant::fromValue(Qt::AlignVCenter |
                                 (IsAmountCell(cell) ? Qt::AlignRight : Qt::AlignLeft));
    default:
      return {};
  }
}

QVariant ReportTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || !report_) return {};
  if (orientation == Qt::Horizontal && section < int(report_->columns.size()))
    return ToQString(report_->columns[std::size_t(section)].heading);
  return {};
}

// --- the result screen ----------------------------------------------------------------------------

namespace {

QToolButton* ToolButton(QWidget* parent, const char* name, const QString& text, const QString& hint) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setText(text);
  b->setToolTip(hint);
  return b;
}

}  // namespace

Trtreport::Trtreport(common::Prompter& prompter, QWidget* parent) : QDialog(parent), prompter_(prompter) {
  setObjectName("rtreport");
  setWindowTitle(kWizardCaption);
  InvPrint = ToolButton(this, "InvPrint", "Print", "Print");
  SpeedButton1 = ToolButton(this, "SpeedButton1", "Fonts", "Fonts/Colors");
  PSetButn = ToolButton(this, "PSetButn", "Setup", "Printer Setup");
  SaveButn = ToolButton(this, "SaveButn", "Save", "Save to File");
  ExitButn = ToolButton(this, "ExitButn", "Close", "Close");
  HelpButn = ToolButton(this, "HelpButn", "Help", "Help");
  Head1 = new QLabel(this);
  Head1->setObjectName("Head1");
  Head2 = new QLabel(this);
  Head2->setObjectName("Head2");
  Head3 = new QLabel(this);
  Head3->setObjectName("Head3");
  stotals = new QCheckBox("&Sub-Totals", this);
  stotals->setObjectName("stotals");
  stotals->setChecked(true);
  SortCol = new QComboBox(this);
  SortCol->setObjectName("SortCol");
  SortCol->addItems({"2", "3", "4"});
  SortCol->setPlaceholderText(" ");
  auto* sortLabel = new QLabel("Sort on Column:", this);
  RptGrid = new QTableView(this);
  RptGrid->setObjectName("RptGrid");
  model_ = new ReportTableModel(this);
  RptGrid->setModel(model_);
  RptGrid->verticalHeader()->hide();
  // Columns narrower together than the grid leave the rest of its width to the last one.
  RptGrid->horizontalHeader()->setStretchLastSection(true);
  RptGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  RptGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFont(common::ui::ToQFont(ReportFont()));

  auto* tools = new QHBoxLayout;
  for (QToolButton* b : {InvPrint, SpeedButton1, PSetButn, SaveButn, ExitButn, HelpButn}) tools->addWidget(b);
  tools->addStretch();
  tools->addWidget(stotals);
  tools->addWidget(sortLabel);
  tools->addWidget(SortCol);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(tools);
  layout->addWidget(Head1);
  layout->addWidget(Head2);
  layout->addWidget(Head3);
  layout->addWidget(RptGrid, 1);

  ChoosePrinter = [this]() -> std::unique_ptr<common::PrintCanvas> { return common::ui::ChoosePrinterCanvas(this); };
  ChooseSaveFile = [this](const QString& proposed) {
    QFileDialog dialog(this, QStringLiteral("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("TXT"));
    dialog.setNameFilter(QStringLiteral("Text File (*.TXT)"));
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
  };
  ShowHelp = [this](std::string_view topic) { common::ui::ShowHelpTopic(topic, this); };

  connect(InvPrint, &QToolButton::clicked, this, &Trtreport::InvPrintClick);
  connect(SpeedButton1, &QToolButton::clicked, this, &Trtreport::SpeedButton1Click);
  connect(PSetButn, &QToolButton::clicked, this, [this] { common::ui::PrinterSetup(this); });
  connect(SaveButn, &QToolButton::clicked, this, &Trtreport::SaveButnClick);
  connect(ExitButn, &QToolButton::clicked, this, &QDialog::accept);
  connect(HelpButn, &QToolButton::clicked, this, [this] { ShowHelp(kHelpTopic); });
  connect(stotals, &QCheckBox::clicked, this, &Trtreport::stotalsClick);
  connect(SortCol, &QComboBox::currentIndexChanged, this, &Trtreport::SortColChange);
  connect(RptGrid, &QTableView::doubleClicked, this, &Trtreport::RptGridDblClick);
}

void Trtreport::Load(Report report, std::span<const std::uint8_t> company) {
  report_ = std::move(report);
  company_.assign(company.begin(), company.end());
  Head1->setText(ToQString(report_.head1));
  Head2->setText(ToQString(report_.head2));
  Head3->setText(ToQString(report_.head3));
  Arrange(0);
}

void Trtreport::ShowReport(Report report, std::span<const std::uint8_t> company) {
  Load(std::move(report), company);
  ShowLoaded();
}

void Trtreport::ShowLoaded() {
  // The work area also where no window manager maximises (a bare X server).
  if (const QScreen* s = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen())
    setGeometry(s->availableGeometry());
  setWindowState(windowState() | Qt::WindowMaximized);
  exec();
}

void Trtreport::Arrange(std::size_t column) { SortOn(int(column)); }

bool Trtreport::SortOn(int column) {
  // Sorting a report of a million lines takes a second or two: the wait cursor says so.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool sorted = column >= 0 && ArrangeReport(report_, std::size_t(column), stotals->isChecked());
  if (sorted) Refresh();
  QApplication::restoreOverrideCursor();
  if (!sorted) QApplication::beep();
  return sorted;
}

void Trtreport::Refresh() {
  // The box is a command, not a state: it shows no column, so choosing any column, the one
  // chosen last too, sorts (the caption and column 0 tell what the report is sorted on).
  SortCol->blockSignals(true);
  SortCol->setCurrentIndex(-1);
  SortCol->blockSignals(false);
  model_->SetReport(&report_);
  FitRows();
  setWindowTitle(ToQString(report_.caption));
  FitColumns();
  RptGrid->setCurrentIndex(model_->index(0, 0));
}

// The grid measures its columns on the first thousand rows only, and the totals at the end of a
// long report are its widest cells: they are measured as well, so no figure is cut.
void Trtreport::FitColumns() {
  RptGrid->resizeColumnsToContents();
  const QFontMetrics metrics(RptGrid->font());
  const int margin = 2 * RptGrid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, RptGrid) + 8;
  std::vector<std::size_t> widest(report_.columns.size(), 0);
  std::vector<QString> texts(report_.columns.size());
  for (const ReportRow& row : report_.rows) {
    if (row.Type() == RowType::Record || row.Type() == RowType::Blank) continue;
    for (std::size_t c = 0; c < widest.size() && c < row.CellCount(); ++c) {
      const std::string_view cell = row.Cell(c);
      if (cell.size() > widest[c]) {
        widest[c] = cell.size();
        texts[c] = ToQString(cell);
      }
    }
  }
  for (std::size_t c = 0; c < texts.size(); ++c) {
    const int needed = metrics.horizontalAdvance(texts[c]) + margin;
    if (needed > RptGrid->columnWidth(int(c))) RptGrid->setColumnWidth(int(c), needed);
  }
}

// Rows as high as a line of the grid's font: the style's default leaves every row half empty.
void Trtreport::FitRows() {
  RptGrid->verticalHeader()->setDefaultSectionSize(QFontMetrics(RptGrid->font()).height() + 6);
}

void Trtreport::stotalsClick() { Arrange(0); }

void Trtreport::SortColChange() {
  if (SortCol->currentIndex() < 0) return;
  bool ok = false;
  int value = SortCol->currentText().toInt(&ok);
  if (!ok || value < 1 || value > 4) {
    value = 3;
    SortCol->setCurrentText("3");
  }
  SortOn(value - 1);
}

void Trtreport::RptGridDblClick(const QModelIndex& index) {
  if (index.isValid() && index.column() != 0) SortOn(index.column());
}

bool Trtreport::SaveTo(const QString& path) {
  try {
    common::ReplaceFile(FromQString(path), ReportText(report_));
    return true;
  } catch (const std::system_error& e) {
    prompter_.Inform(FromQString(path) + " could not be written (" + e.what() + ").", FromQString(windowTitle()));
    return false;
  }
}

void Trtreport::SaveButnClick() {
  const QString path = ChooseSaveFile(ToQString(std::string(ReportName(report_.kind)) + ".TXT"));
  if (!path.isEmpty()) SaveTo(path);
}

bool Trtreport::PrintOn(common::PrintCanvas& canvas) {
  PrintSettings settings = PrintSettingsOf(company_);
  settings.font = common::ui::FromQFont(RptGrid->font(), RptGrid->palette().color(QPalette::Text));
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool printed = PrintReport(canvas, report_, settings);
  QApplication::restoreOverrideCursor();
  if (!printed) prompter_.Inform(common::kPrintingFailedText, FromQString(windowTitle()));
  return printed;
}

void Trtreport::InvPrintClick() {
  std::unique_ptr<common::PrintCanvas> canvas = ChoosePrinter();
  if (canvas) PrintOn(*canvas);
}

void Trtreport::SpeedButton1Click() {
  bool ok = false;
  const QFont font = QFontDialog::getFont(&ok, RptGrid->font(), this, QStringLiteral("Font"));
  if (!ok) return;
  RptGrid->setFont(font);
  setFont(font);
  FitRows();
  FitColumns();
}

// --- the selection screen -------------------------------------------------------------------------

TRptSelect::TRptSelect(Services services, Trtreport& result, QWidget* parent)
    : QDialog(parent), services_(std::move(services)), result_(result) {
  setObjectName("RptSelect");
  setWindowTitle(kWizardCaption);
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName("ListBox1");
  for (ReportKind k : ReportKinds()) ListBox1->addItem(ToQString(ReportName(k)));
  RType = new QLabel(this);
  RType->setObjectName("RType");
  RType->setWordWrap(true);
  Label3 = new QLabel("Date Selection:", this);
  Label3->setObjectName("Label3");
  Label1 = new QLabel("From:", this);
  Label1->setObjectName("Label1");
  Label2 = new QLabel("To:", this);
  Label2->setObjectName("Label2");
  ComboBox1 = new QComboBox(this);
  ComboBox1->setObjectName("ComboBox1");
  for (DatePreset p : DatePresets()) ComboBox1->addItem(ToQString(DatePresetName(p)));
  IDate = new QLineEdit(this);
  IDate->setObjectName("IDate");
  IDate->setInputMask("99/99/9999");
  EndDt = new QLineEdit(this);
  EndDt->setObjectName("EndDt");
  EndDt->setInputMask("99/99/9999");
  Cal1But = ToolButton(this, "Cal1But", "...", "Calendar");
  Cal2But = ToolButton(this, "Cal2But", "...", "Calendar");
  Button1 = new QPushButton("View", this);
  Button1->setObjectName("Button1");
  Button1->setDefault(true);
  CancelBut = new QPushButton("&Cancel", this);
  CancelBut->setObjectName("CancelBut");
  HelpBut = new QPushButton("Help", this);
  HelpBut->setObjectName("HelpBut");

  auto* dates = new QGridLayout;
  dates->addWidget(Label3, 0, 0, 1, 3);
  dates->addWidget(ComboBox1, 1, 0, 1, 3);
  dates->addWidget(Label1, 2, 0);
  dates->addWidget(IDate, 2, 1);
  dates->addWidget(Cal1But, 2, 2);
  dates->addWidget(Label2, 3, 0);
  dates->addWidget(EndDt, 3, 1);
  dates->addWidget(Cal2But, 3, 2);
  dates->setRowStretch(4, 1);  // the date controls stay together at the top beside a tall list
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button1);
  buttons->addWidget(CancelBut);
  buttons->addWidget(HelpBut);
  auto* top = new QHBoxLayout;
  top->addWidget(ListBox1, 1);
  top->addLayout(dates);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(RType);
  layout->addLayout(buttons);

  ShowHelp = [this](std::string_view topic) { common::ui::ShowHelpTopic(topic, this); };
  connect(ListBox1, &QListWidget::currentRowChanged, this, &TRptSelect::ListBox1Click);
  connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { Button1Click(); });
  connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TRptSelect::ComboBox1Change);
  // Dates typed over a preset's are the user's own: the preset box says so.
  for (QLineEdit* field : {IDate, EndDt}) connect(field, &QLineEdit::textEdited, this, [this] { ShowCustomDates(); });
  connect(Cal1But, &QToolButton::clicked, this, [this] { CalClick(IDate, "Select FROM Date"); });
  connect(Cal2But, &QToolButton::clicked, this, [this] { CalClick(EndDt, "Select Ending Date"); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(CancelBut, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpBut, &QPushButton::clicked, this, [this] { ShowHelp(kHelpTopic); });
}

void TRptSelect::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

common::DateFormat TRptSelect::Format() const {
  return common::DateFormatFromCode(common::ReadText(services_.company(), records::company::kDateFormat));
}

ReportKind TRptSelect::Selected() const {
  const int row = std::max(0, ListBox1->currentRow());
  return ReportKinds()[std::size_t(std::min<int>(row, int(ReportKinds().size()) - 1))];
}

void TRptSelect::FormShow() {
  if (!shownBefore_) {
    shownBefore_ = true;
    ListBox1->setCurrentRow(0);
    ComboBox1->setCurrentText(ToQString(DatePresetName(DatePreset::MonthToDate)));
  }
  ComboBox1Change();
  ListBox1Click();
}

void TRptSelect::ListBox1Click() {
  const ReportKind kind = Selected();
  RType->setText(ToQString(ReportDescription(kind)));
  const bool dated = UsesDateRange(kind);
  for (QWidget* w : std::initializer_list<QWidget*>{IDate, EndDt, Cal1But, Cal2But, ComboBox1, Label2})
    w->setVisible(dated);
  Label1->setText(dated ? "From:" : "Searches all dates...");
  Label3->setText(dated && Format() == common::DateFormat::DayFirst ? "Date Selection (dd/mm/yyyy):"
                                                                      : "Date Selection:");
}

void TRptSelect::ComboBox1Change() {
  const auto preset = DatePresetNamed(FromQString(ComboBox1->currentText()));
  if (!preset) return;
  const auto texts = PresetTexts(*preset, services_.clock.Today(), Format());
  if (!texts) return;
  IDate->setText(ToQString(texts->from));
  EndDt->setText(ToQString(texts->to));
}

void TRptSelect::CalClick(QLineEdit* field, const std::string& title) {
  if (!ChooseDate) return;
  const common::DateFormat format = Format();
  const auto typed = common::ParseDate(FromQString(field->text()), format);
  const auto chosen = ChooseDate(typed ? *typed : services_.clock.Today(), format, title, field);
  if (!chosen) return;
  field->setText(ToQString(*chosen));
  ShowCustomDates();
}

void TRptSelect::ShowCustomDates() {
  ComboBox1->blockSignals(true);
  ComboBox1->setCurrentText(ToQString(DatePresetName(DatePreset::CustomDates)));
  ComboBox1->blockSignals(false);
}

bool TRptSelect::Button1Click() {
  const ReportKind kind = Selected();
  const common::DateFormat format = Format();
  ReportRequest request{kind, {}};
  if (UsesDateRange(kind)) {
    const RangeCheck check = CheckRange(FromQString(IDate->text()), FromQString(EndDt->text()), format);
    if (check.problem) {
      services_.prompter.Inform(check.problem->text, check.problem->caption);
      (check.problem->field == RangeField::From ? IDate : EndDt)->setFocus();
      return false;
    }
    request.range = *check.range;
  }
  const std::span<const std::uint8_t> company = services_.company();
  // A report over many records shows how far the reading has come in the status window, which
  // keeps the program's windows painted meanwhile; a small one only shows the wait cursor.
  bool statusShown = false;
  const std::string name(ReportName(kind));
  const auto progress = [&](std::size_t done, std::size_t total) {
    if (!statusShown && (total < kShowProgressFrom || done >= total)) return;
    if (!statusShown) services_.status.Show(name);
    statusShown = true;
    services_.status.Lines("Reading records", Counted(done) + " of " + Counted(total), "");
  };
  QApplication::setOverrideCursor(Qt::WaitCursor);
  BuildOutcome built =
      BuildReport(request, {company, services_.prompter, services_.status, services_.clock.Now(), progress});
  if (built.result != BuildOutcome::Result::Built) {
    if (statusShown) services_.status.Close();
    QApplication::restoreOverrideCursor();
    services_.prompter.Inform(built.message, built.caption);
    IDate->setFocus();
    return false;
  }
  if (statusShown) services_.status.Lines("Sorting", Counted(built.report->RecordCount()) + " records", "");
  result_.Load(std::move(*built.report), company);
  if (statusShown) services_.status.Close();
  QApplication::restoreOverrideCursor();
  result_.ShowLoaded();
  return true;
}

}  // namespace tf::reports::ui
