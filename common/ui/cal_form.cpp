#include "common/ui/cal_form.h"

#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "common/ui/command_widgets.h"
#include "common/ui/help_window.h"
#include "common/ui/qt_text.h"

namespace tf::common::ui {
namespace {

using namespace std::chrono;

QDate ToQDate(year_month_day d) {
  return QDate(static_cast<int>(d.year()), static_cast<int>(static_cast<unsigned>(d.month())),
               static_cast<int>(static_cast<unsigned>(d.day())));
}

year_month_day FromQDate(QDate d) {
  return year_month_day{year{d.year()}, month{static_cast<unsigned>(d.month())},
                        day{static_cast<unsigned>(d.day())}};
}

}  // namespace

TCalForm::TCalForm(QWidget* parent)
    : QDialog(parent), model_(year_month_day{year{2000}, January, day{1}}, DateFormat::MonthFirst) {
  setObjectName(QStringLiteral("CalForm"));
  setWindowTitle(ToQString(kCalFormCaption));
  setModal(true);

  Calendar1 = new QCalendarWidget(this);
  Calendar1->setObjectName(QStringLiteral("Calendar1"));
  Calendar1->setDateRange(QDate(CalModel::kFirstYear, 1, 1), QDate(CalModel::kLastYear, 12, 31));
  Calendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);

  CBMonth = new QComboBox(this);
  CBMonth->setObjectName(QStringLiteral("CBMonth"));
  for (std::string_view name : MonthNames()) CBMonth->addItem(ToQString(name));

  CBYear = new QComboBox(this);
  CBYear->setObjectName(QStringLiteral("CBYear"));
  CBYear->setEditable(true);
  CBYear->setInsertPolicy(QComboBox::NoInsert);

  StrDay = new QLabel(this);
  StrDay->setObjectName(QStringLiteral("StrDay"));
  StrDay->setAlignment(Qt::AlignCenter);
  NDate = new QLabel(this);
  NDate->setObjectName(QStringLiteral("NDate"));
  NDate->setAlignment(Qt::AlignCenter);
  QFont bold = NDate->font();
  bold.setBold(true);
  NDate->setFont(bold);

  OKBtn = new QPushButton(QStringLiteral("&Ok"), this);
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(QStringLiteral("&Cancel"), this);
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  HelpBtn = new QPushButton(QStringLiteral("Help"), this);
  HelpBtn->setObjectName(QStringLiteral("HelpBtn"));
  HelpBtn->setAutoDefault(false);

  auto* boxes = new QHBoxLayout;
  boxes->addWidget(CBMonth, 1);
  boxes->addWidget(CBYear);
  QHBoxLayout* buttons = ButtonRow({OKBtn, CancelBtn, HelpBtn});
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(boxes);
  layout->addWidget(Calendar1);
  layout->addWidget(StrDay);
  layout->addWidget(NDate);
  layout->addLayout(buttons);

  OnHelp = [this](std::string_view topic) { ShowHelpTopic(topic, this); };

  connect(CBMonth, &QComboBox::currentIndexChanged, this, &TCalForm::CBMonthChange);
  connect(CBYear, &QComboBox::textActivated, this, [this] { CBYearChange(); });
  connect(CBYear->lineEdit(), &QLineEdit::editingFinished, this, &TCalForm::CBYearChange);
  connect(Calendar1, &QCalendarWidget::selectionChanged, this, &TCalForm::Calendar1Click);
  connect(Calendar1, &QCalendarWidget::currentPageChanged, this, &TCalForm::Calendar1PageChange);
  connect(Calendar1, &QCalendarWidget::activated, this, &TCalForm::Calendar1DblClick);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpBtn, &QPushButton::clicked, this, &TCalForm::HelpBtnClick);
}

void TCalForm::Open(year_month_day date, DateFormat format) {
  model_ = CalModel(date, format);
  refreshing_ = true;
  CBYear->clear();
  for (const std::string& y : model_.YearItems()) CBYear->addItem(ToQString(y));
  refreshing_ = false;
  Refresh();
}

std::optional<std::string> TCalForm::Choose(year_month_day date, DateFormat format,
                                            QWidget* dateField) {
  Open(date, format);
  if (dateField != nullptr) {
    // Just right of the field, a little below the top of the window holding it.
    QPoint right = dateField->mapToGlobal(QPoint(dateField->width(), 0));
    QWidget* top = dateField->window();
    move(right.x() + 4, top->frameGeometry().top() + 40);
  }
  if (exec() != QDialog::Accepted) return std::nullopt;
  return model_.DateText();
}

void TCalForm::SetTitle(std::string_view title) {
  setWindowTitle(ToQString(title.empty() ? kCalFormCaption : title));
}

void TCalForm::Refresh() {
  refreshing_ = true;
  QDate d = ToQDate(model_.Date());
  Calendar1->setSelectedDate(d);
  Calendar1->setCurrentPage(d.year(), d.month());
  CBMonth->setCurrentIndex(d.month() - 1);
  CBYear->setCurrentText(ToQString(model_.YearText()));
  StrDay->setText(ToQString(model_.DayText()));
  NDate->setText(ToQString(model_.DateText()));
  refreshing_ = false;
}

void TCalForm::CBMonthChange(int index) {
  if (refreshing_ || index < 0) return;
  model_.SetMonth(static_cast<unsigned>(index + 1));
  Refresh();
}

void TCalForm::CBYearChange() {
  if (refreshing_) return;
  model_.SetYearText(FromQString(CBYear->currentText()));
  Refresh();
}

void TCalForm::Calendar1Click() {
  if (refreshing_) return;
  model_.SetDate(FromQDate(Calendar1->selectedDate()));
  Refresh();
}

void TCalForm::Calendar1PageChange(int y, int m) {
  if (refreshing_) return;
  year_month_day d = model_.Date();
  model_.SetYearText(std::to_string(y));
  model_.SetMonth(static_cast<unsigned>(m));
  if (model_.Date() != d) Refresh();
}

void TCalForm::Calendar1DblClick() {
  Calendar1Click();
  accept();
}

void TCalForm::HelpBtnClick() {
  if (OnHelp) OnHelp(kCalendarHelpTopic);
}

}  // namespace tf::common::ui
