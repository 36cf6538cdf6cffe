// The date selection dialog: its model (start date, years, month and year changes, the two
// labels) and the form driven through its controls.

#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "common/ui/cal_form.h"
#include "common/ui/cal_model.h"
#include "test_support.h"

using namespace std::chrono;
using namespace tf::common;
using namespace tf::common::ui;

namespace {

QStringList Items(QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

}  // namespace

class CalFormTest : public QObject {
  Q_OBJECT

 private slots:
  void startDateIsTheFieldsDateOrToday_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("dayFirst");
    QTest::addColumn<QString>("expected");
    QTest::newRow("valid month first") << "03/15/2024" << false << "2024/03/15";
    QTest::newRow("valid day first") << "15/03/2024" << true << "2024/03/15";
    QTest::newRow("wrong order") << "15/03/2024" << false << "2025/06/30";
    QTest::newRow("too short") << "3/5/2024" << false << "2025/06/30";
    QTest::newRow("blank mask") << "  /  /    " << false << "2025/06/30";
    QTest::newRow("no such day") << "02/30/2024" << false << "2025/06/30";
    QTest::newRow("empty") << "" << false << "2025/06/30";
    QTest::newRow("before the calendar") << "01/01/1700" << false << "2025/06/30";
  }
  void startDateIsTheFieldsDateOrToday() {
    QFETCH(QString, field);
    QFETCH(bool, dayFirst);
    QFETCH(QString, expected);
    year_month_day today = year{2025} / June / 30;
    auto d = CalendarStartDate(field.toStdString(),
                               dayFirst ? DateFormat::DayFirst : DateFormat::MonthFirst, today);
    QCOMPARE(QString::fromStdString(FormatDateKey(d)), expected);
  }

  void modelYearsLabelsAndChanges() {
    CalModel m(year{2024} / January / 31, DateFormat::MonthFirst);
    QCOMPARE(m.YearItems(), (std::vector<std::string>{"2021", "2022", "2023", "2024", "2025",
                                                      "2026", "2027"}));
    QCOMPARE(m.DayText(), std::string("Wednesday, January 31, 2024"));
    QCOMPARE(m.DateText(), std::string("01/31/2024"));
    m.SetMonth(2);  // the 31st does not exist: last day of February
    QCOMPARE(m.DateText(), std::string("02/29/2024"));
    QCOMPARE(m.SetYearText("2023"), std::string("2023"));
    QCOMPARE(m.DateText(), std::string("02/28/2023"));
    // A year that is not a number, or out of range, leaves the shown year.
    QCOMPARE(m.SetYearText("20x3"), std::string("2023"));
    QCOMPARE(m.SetYearText(""), std::string("2023"));
    QCOMPARE(m.SetYearText("99999"), std::string("2023"));
    QCOMPARE(m.SetYearText("-2024"), std::string("2023"));
    QCOMPARE(m.SetYearText(" 2030 "), std::string("2030"));
    // The year list stays as it was when the dialog opened.
    QCOMPARE(m.YearItems().front(), std::string("2021"));
    m.SetMonth(13);
    QCOMPARE(m.DateText(), std::string("02/28/2030"));
    m.SetDate(year{2030} / March / 5);
    QCOMPARE(m.DayText(), std::string("Tuesday, March 5, 2030"));
    m.SetDate(year{2030} / February / 30);  // not a date: ignored
    QCOMPARE(m.DateText(), std::string("03/05/2030"));

    CalModel d(year{2024} / March / 5, DateFormat::DayFirst);
    QCOMPARE(d.DateText(), std::string("05/03/2024"));
    QCOMPARE(MonthNames().front(), std::string_view("January"));
    QCOMPARE(MonthNames().back(), std::string_view("December"));
  }

  void formShowsTheDateInEveryControl() {
    TCalForm form;
    form.Open(year{2024} / March / 5, DateFormat::DayFirst);
    QCOMPARE(form.windowTitle(), QStringLiteral("Date Selection"));
    auto* month = form.findChild<QComboBox*>(QStringLiteral("CBMonth"));
    auto* yearBox = form.findChild<QComboBox*>(QStringLiteral("CBYear"));
    auto* strDay = form.findChild<QLabel*>(QStringLiteral("StrDay"));
    auto* nDate = form.findChild<QLabel*>(QStringLiteral("NDate"));
    auto* cal = form.findChild<QCalendarWidget*>(QStringLiteral("Calendar1"));
    QVERIFY(month && yearBox && strDay && nDate && cal);
    QCOMPARE(month->count(), 12);
    QCOMPARE(month->itemText(0), QStringLiteral("January"));
    QCOMPARE(month->itemText(11), QStringLiteral("December"));
    QCOMPARE(month->currentText(), QStringLiteral("March"));
    QCOMPARE(Items(yearBox), (QStringList{"2021", "2022", "2023", "2024", "2025", "2026", "2027"}));
    QCOMPARE(yearBox->currentText(), QStringLiteral("2024"));
    QCOMPARE(strDay->text(), QStringLiteral("Tuesday, March 5, 2024"));
    QCOMPARE(nDate->text(), QStringLiteral("05/03/2024"));
    QCOMPARE(cal->selectedDate(), QDate(2024, 3, 5));
    QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("OKBtn"))->text(), QStringLiteral("&Ok"));
    QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("CancelBtn"))->text(),
             QStringLiteral("&Cancel"));
    QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("HelpBtn"))->text(), QStringLiteral("Help"));
  }

  void changingMonthYearOrDayUpdatesBothLabels() {
    TCalForm form;
    form.Open(year{2024} / January / 31, DateFormat::MonthFirst);
    auto* month = form.findChild<QComboBox*>(QStringLiteral("CBMonth"));
    auto* yearBox = form.findChild<QComboBox*>(QStringLiteral("CBYear"));
    auto* strDay = form.findChild<QLabel*>(QStringLiteral("StrDay"));
    auto* nDate = form.findChild<QLabel*>(QStringLiteral("NDate"));
    auto* cal = form.findChild<QCalendarWidget*>(QStringLiteral("Calendar1"));

    month->setCurrentIndex(1);
    QCOMPARE(nDate->text(), QStringLiteral("02/29/2024"));
    QCOMPARE(strDay->text(), QStringLiteral("Thursday, February 29, 2024"));
    QCOMPARE(cal->selectedDate(), QDate(2024, 2, 29));

    yearBox->setCurrentIndex(yearBox->findText(QStringLiteral("2025")));
    emit yearBox->textActivated(QStringLiteral("2025"));
    QCOMPARE(nDate->text(), QStringLiteral("02/28/2025"));
    QCOMPARE(cal->yearShown(), 2025);

    // A typed year that is not a number is replaced by the shown one.
    yearBox->lineEdit()->setText(QStringLiteral("abcd"));
    emit yearBox->lineEdit()->editingFinished();
    QCOMPARE(yearBox->currentText(), QStringLiteral("2025"));
    QCOMPARE(nDate->text(), QStringLiteral("02/28/2025"));

    cal->setSelectedDate(QDate(2025, 2, 3));
    QCOMPARE(nDate->text(), QStringLiteral("02/03/2025"));
    QCOMPARE(strDay->text(), QStringLiteral("Monday, February 3, 2025"));
    QCOMPARE(month->currentText(), QStringLiteral("February"));

    // Paging the calendar to another month moves the date along.
    cal->setCurrentPage(2025, 4);
    QCOMPARE(nDate->text(), QStringLiteral("04/03/2025"));
    QCOMPARE(month->currentText(), QStringLiteral("April"));
  }

  void okReturnsTheDateAndCancelNothing() {
    TCalForm form;
    QTimer::singleShot(0, &form, [&] {
      form.findChild<QComboBox*>(QStringLiteral("CBMonth"))->setCurrentIndex(11);
      QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
    });
    auto chosen = form.Choose(year{2024} / June / 15, DateFormat::MonthFirst);
    QVERIFY(chosen.has_value());
    QCOMPARE(QString::fromStdString(*chosen), QStringLiteral("12/15/2024"));

    QTimer::singleShot(0, &form, [&] {
      form.findChild<QComboBox*>(QStringLiteral("CBMonth"))->setCurrentIndex(0);
      QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("CancelBtn")), Qt::LeftButton);
    });
    QVERIFY(!form.Choose(year{2024} / June / 15, DateFormat::MonthFirst).has_value());
  }

  void activatingADayAccepts() {
    TCalForm form;
    QTimer::singleShot(0, &form, [&] {
      auto* cal = form.findChild<QCalendarWidget*>(QStringLiteral("Calendar1"));
      cal->setSelectedDate(QDate(2024, 6, 20));
      emit cal->activated(QDate(2024, 6, 20));  // what a double-click on the day sends
    });
    auto chosen = form.Choose(year{2024} / June / 15, DateFormat::DayFirst);
    QVERIFY(chosen.has_value());
    QCOMPARE(QString::fromStdString(*chosen), QStringLiteral("20/06/2024"));
  }

  void helpOpensTheCalendarTopicAndTheTitleCanChange() {
    TCalForm form;
    QStringList topics;
    form.OnHelp = [&](std::string_view topic) { topics << QString::fromLatin1(topic.data(), topic.size()); };
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("HelpBtn")), Qt::LeftButton);
    QCOMPARE(topics, QStringList{QStringLiteral("QZCalendar")});
    form.SetTitle("View Calendar");
    QCOMPARE(form.windowTitle(), QStringLiteral("View Calendar"));
    form.SetTitle("");
    QCOMPARE(form.windowTitle(), QStringLiteral("Date Selection"));
  }
};

namespace tf::common::ui::test {
int RunCalFormTests(int argc, char** argv) {
  CalFormTest t;
  return QTest::qExec(&t, argc, argv);
}
}  // namespace tf::common::ui::test

#include "cal_form_test.moc"
