#include "aging/ui/aging_chart_panel.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>

#include "common/record_fields.h"
#include "common/ui/qt_text.h"
#include "records/company_record.h"

namespace tf::aging::ui {
namespace {

using common::ui::ToQString;

// The platform's standard colours of the four categories.
const QColor kColours[kCategories] = {QColor(0x00, 0xFF, 0xFF), QColor(0x00, 0xFF, 0x00), QColor(0xFF, 0xFF, 0x00),
                                      QColor(0xFF, 0x00, 0x00)};
constexpr int kMargin = 8;
constexpr int kBarWidth = 80;

// How many of the skipped records the message names; the rest are counted.
constexpr std::size_t kProblemsShown = 10;

}  // namespace

TAgingChart::TAgingChart(shell::ui::TMainForm& main, const shell::ui::WindowServices& services)
    : QObject(&main), main_(main), services_(services) {
  setObjectName("AgingChart");
  QFrame* panel = main.Panel2;
  AgingCaption = new QLabel("Aging", panel);
  AgingCaption->setObjectName("AgingCaption");
  ChartCaption = new QLabel("Chart", panel);
  ChartCaption->setObjectName("ChartCaption");
  for (QLabel* l : {AgingCaption, ChartCaption}) {
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
  }
  Bevel2 = new QFrame(panel);
  Bevel2->setObjectName("Bevel2");
  Bevel2->setFrameShape(QFrame::Box);
  Bevel2->setFrameShadow(QFrame::Sunken);
  for (int k = 0; k < kCategories; ++k) {
    QFrame* shape = new QFrame(panel);
    shape->setObjectName(QString("Shape%1").arg(k + 1));
    shape->setAutoFillBackground(true);
    QPalette p = shape->palette();
    p.setColor(QPalette::Window, kColours[k]);
    shape->setPalette(p);
    shape->hide();
    Shapes[std::size_t(k)] = shape;
    QLabel* label = new QLabel(panel);
    label->setObjectName(QString("ShapeLabel%1").arg(k + 1));
    label->hide();
    ShapeLabels[std::size_t(k)] = label;
  }
  panel->installEventFilter(this);
  Layout();
}

bool TAgingChart::eventFilter(QObject* watched, QEvent* event) {
  if (watched == main_.Panel2 && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) Layout();
  return QObject::eventFilter(watched, event);
}

void TAgingChart::Layout() {
  const QRect panel = main_.Panel2->rect();
  AgingCaption->adjustSize();
  ChartCaption->adjustSize();
  AgingCaption->move(kMargin, kMargin);
  ChartCaption->move(kMargin, AgingCaption->geometry().bottom() + 1);
  const int top = ChartCaption->geometry().bottom() + kMargin;
  const int width = std::min(kBarWidth, std::max(0, panel.width() - 2 * kMargin));
  Bevel2->setGeometry(kMargin, top, width, std::max(0, panel.height() - top - kMargin));
  Draw();
}

void TAgingChart::Draw() {
  // The shapes lie inside the bevel's border.
  const QRect inner = Bevel2->geometry().adjusted(Bevel2->frameWidth(), Bevel2->frameWidth(), -Bevel2->frameWidth(),
                                                  -Bevel2->frameWidth());
  if (!shown_) {
    for (QFrame* s : Shapes) s->hide();
    for (QLabel* l : ShapeLabels) l->hide();
    return;
  }
  const Chart chart =
      DrawChart(*shown_, main_.Book().Current(), {inner.left(), inner.top(), inner.width(), inner.height()});
  main_.Panel2->setToolTip(ToQString(chart.panelHint));
  for (std::size_t k = 0; k < Shapes.size(); ++k) {
    const ChartRect& r = chart.shapes[k].rect;
    Shapes[k]->setGeometry(r.left, r.top, r.width, r.height);
    Shapes[k]->setToolTip(ToQString(chart.shapes[k].hint));
    Shapes[k]->setVisible(r.height > 0);
  }
  // The labels beside the bar, each level with the middle of its shape unless that would put it
  // over the one above.
  int below = inner.top();
  for (std::size_t k = 0; k < Shapes.size(); ++k) {
    QLabel* label = ShapeLabels[k];
    const ChartRect& r = chart.shapes[k].rect;
    label->setText(ToQString(chart.shapes[k].hint));
    label->adjustSize();
    const int y = std::max(below, r.top + r.height / 2 - label->height() / 2);
    label->move(Bevel2->geometry().right() + kMargin, y);
    label->setVisible(r.height > 0);
    if (r.height > 0) below = y + label->height();
  }
}

void TAgingChart::RunAging() {
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  AgingOutcome outcome =
      aging::RunAging({main_.Book(), services_.prompter, services_.status, services_.clock,
                       [this](std::string_view text) { main_.SetStatusText(text); }, true});
  QGuiApplication::restoreOverrideCursor();
  lastRun_ = outcome;
  if (!outcome.ran) {
    services_.prompter.Inform(outcome.message);
    return;
  }
  if (!outcome.problems.empty()) {
    std::string text = "The aging left these as they were:";
    for (std::size_t i = 0; i < outcome.problems.texts.size() && i < kProblemsShown; ++i)
      text += "\n" + outcome.problems.texts[i];
    if (outcome.problems.count > kProblemsShown)
      text += "\n... and " + std::to_string(outcome.problems.count - kProblemsShown) + " more.";
    if (!outcome.complete) text += "\nThe aging will run again at the next start.";
    services_.prompter.Inform(text, kStatusTitle);
  }
  const bool wanted = common::ReadBool(main_.Book().Current(), records::company::kShowAgingChart) || main_.ChartForcing();
  switch (DecideChart(outcome.total, wanted)) {
    case ChartVerdict::Nothing:
      break;
    case ChartVerdict::CreditBalance:
      services_.prompter.Inform(kCreditBalance, kChartCaption, common::PromptIcon::Information);
      break;
    case ChartVerdict::Show:
      shown_ = outcome.totals;
      main_.ShowChart();
      Layout();
      main_.SetStatusText(kHoldMouse);
      break;
  }
}

void TAgingChart::AgingChart1Click() {
  if (main_.Panel2->isVisible()) {
    services_.prompter.Inform(kChartShowing, kChartCaption, common::PromptIcon::Information);
    return;
  }
  // The run comes first: the stored company balance may be what the aging repairs.
  main_.SetChartForcing(true);
  RunAging();
  main_.SetChartForcing(false);
  if (lastRun_ && lastRun_->ran && lastRun_->total.IsZero())
    services_.prompter.Inform(kNoOpenInvoices, kChartCaption, common::PromptIcon::Information);
}

}  // namespace tf::aging::ui
