#pragma once
// The aging chart in the main window's chart panel Panel2: the "Aging" and "Chart" captions,
// the frame Bevel2 and the four shapes Shape1..Shape4 (aqua, lime, yellow, red) stacked in it
// from its top, each as tall as its category's share and hinted with its caption and amount,
// which also stand beside it.
// It also runs the aging: once a day from the main window (start-up, company switch) and on
// demand from the aging chart command.

#include <QFrame>
#include <QLabel>
#include <QObject>

#include <array>
#include <optional>

#include "aging/aging_chart.h"
#include "aging/aging_run.h"
#include "shell/ui/main_form.h"

namespace tf::aging::ui {

class TAgingChart : public QObject {
  Q_OBJECT

 public:
  TAgingChart(shell::ui::TMainForm& main, const shell::ui::WindowServices& services);

  // The run: the message of a run that stopped, what it skipped, then the chart (or the credit
  // balance message) as the company's ShowAgingChart or a run on demand asks.
  void RunAging();
  // The aging chart command: refused while the chart shows; otherwise a run that always ends
  // with the chart, or "You do not have any open invoices." when nothing is owed.
  void AgingChart1Click();

  // What the last run left, for the chart and for tests.
  const std::optional<AgingOutcome>& LastRun() const { return lastRun_; }

  QLabel* AgingCaption;
  QLabel* ChartCaption;
  QFrame* Bevel2;
  std::array<QFrame*, kCategories> Shapes;  // Shape1..Shape4
  // Each shape's hint written beside it too, so the amounts can be read without pointing.
  std::array<QLabel*, kCategories> ShapeLabels;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Layout();
  void Draw();

  shell::ui::TMainForm& main_;
  shell::ui::WindowServices services_;
  std::optional<AgingOutcome> lastRun_;
  std::optional<AgingSums> shown_;  // the totals the chart shows
};

}  // namespace tf::aging::ui
