// Where the panels go: the title panel across the top with the company caption, the button
// panel below it at a gap of a tenth of the title's height, then the aging chart and the
// output choice to its right on the same line. Computed again on every resize.

#include <QPainter>
#include <QPaintEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

#include "shell/ui/main_form.h"

namespace tf::shell::ui {

namespace {

constexpr int kMargin = 5;        // the caption spans the title panel less twice this
constexpr QSize kCell(140, 72);   // one tool button: room for "Repeat Billing Wizard"
constexpr int kPreferredColumns = 4;

}  // namespace

TBackground::TBackground(QWidget* parent) : QWidget(parent) {}

void TBackground::SetTile(const QPixmap& tile) {
  tile_ = tile;
  update();
}

void TBackground::paintEvent(QPaintEvent* event) {
  if (tile_.isNull() || tile_.width() <= 0 || tile_.height() <= 0) return;
  QPainter p(this);
  const QRect dirty = event->rect();
  // Column by column, row by row from the top-left corner, until the client area is covered.
  for (int x = 0; x < width(); x += tile_.width())
    for (int y = 0; y < height(); y += tile_.height()) {
      QRect r(QPoint(x, y), tile_.size());
      if (r.intersects(dirty)) p.drawPixmap(r.topLeft(), tile_);
    }
}

void TMainForm::LayoutPanels() {
  const int width = Background->width();
  const int height = Background->height();

  const int titleHeight = std::max(48, NameCap->sizeHint().height() + 8);
  TitlePanel->setGeometry(0, 0, width, titleHeight);
  NameCap->setGeometry(kMargin, 0, std::max(0, width - 2 * kMargin), titleHeight);
  const int gap = std::max(1, titleHeight / 10);
  const int top = titleHeight + gap;

  // The button panel: in the table's order, row by row; more columns when the rows of the
  // preferred width do not fit the height.
  std::vector<QToolButton*> buttons;
  for (const Command& c : Commands())
    if (c.panel == ButtonPanel::Buttons && Button(c.id)) buttons.push_back(Button(c.id));
  const int count = static_cast<int>(buttons.size());
  const int rowsFit = std::max(1, (height - top - gap) / kCell.height());
  int columns = std::max(kPreferredColumns, (count + rowsFit - 1) / rowsFit);
  columns = std::min(columns, std::max(1, count));
  const int rows = (count + columns - 1) / columns;
  for (int i = 0; i < count; ++i)
    buttons[i]->setGeometry((i % columns) * kCell.width(), (i / columns) * kCell.height(),
                            kCell.width(), kCell.height());
  // Aligned with the first button, SpeedButton2, under the start of the caption.
  Panel1->setGeometry(kMargin, top, columns * kCell.width(), rows * kCell.height());

  // The output panel keeps its natural size at the right; the chart takes what is between.
  if (!SelOut->layout()) {
    auto* box = new QVBoxLayout(SelOut);
    box->addWidget(PrinDef);
    box->addWidget(EMdef);
    auto* line = new QHBoxLayout;
    line->addWidget(Label5, 1);
    if (QToolButton* help = Button(CommandId::EMailModeHelp)) line->addWidget(help);
    box->addLayout(line);
  }
  const QSize selSize = SelOut->sizeHint().expandedTo(QSize(220, 0));
  const int selX = std::max(Panel1->geometry().right() + 1 + 2 * gap, width - kMargin - selSize.width());
  SelOut->setGeometry(selX, top, selSize.width(), selSize.height());

  const int chartX = Panel1->geometry().right() + 1 + 2 * gap;
  const int chartWidth = std::max(0, selX - 2 * gap - chartX);
  const int chartHeight = std::max(Panel1->height(), height - top - gap);
  Panel2->setGeometry(chartX, top, chartWidth, chartHeight);
  // The chart's own buttons sit in its top-right corner.
  int x = chartWidth - kMargin;
  for (CommandId id : {CommandId::CloseChart, CommandId::AgingChartHelp}) {
    if (QToolButton* b = Button(id)) {
      QSize s = b->sizeHint();
      x -= s.width();
      b->setGeometry(x, kMargin, s.width(), s.height());
    }
  }
}

}  // namespace tf::shell::ui
