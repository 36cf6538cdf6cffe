// TIndexBrowser: construction, the operations and properties the windows use, geometry and the
// scroll bars. Input handling is in index_browser_input.cpp, painting in index_browser_paint.cpp.

#include "browse/ui/index_browser.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMessageBox>
#include <QScrollBar>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

using tf::browse::BrowseError;
using tf::browse::BrowseModel;
using tf::browse::BrowseSource;
using tf::browse::kMaxRowText;

// What the screen showed before a move: each row's entry and text, and the current row.
struct TIndexBrowser::Snapshot {
  std::vector<std::tuple<std::string, int32_t, std::string>> rows;
  int current = 0;
};

TIndexBrowser::TIndexBrowser(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameStyle(QFrame::Box | QFrame::Plain);  // a single border
  setFocusPolicy(Qt::StrongFocus);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  const QPalette pal = palette();
  color_ = pal.color(QPalette::Base);
  headerColor_ = footerColor_ = pal.color(QPalette::Button);
  headerTxtColor_ = footerTxtColor_ = pal.color(QPalette::ButtonText);
  highlightColor_ = pal.color(QPalette::Highlight);
  highlightTxtColor_ = pal.color(QPalette::HighlightedText);

  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QScrollBar* vertical = verticalScrollBar();
  vertical->setObjectName("VertScrollBar");
  vertical->setRange(0, BrowseModel::kScrollScale);
  vertical->setSingleStep(1);
  vertical->setPageStep(8);
  horizontalScrollBar()->setObjectName("HorzScrollBar");
  connect(vertical, &QScrollBar::actionTriggered, this, &TIndexBrowser::OnVerticalAction);
  connect(vertical, &QScrollBar::sliderMoved, this, &TIndexBrowser::OnThumbMoved);
  // A dropped thumb moves to the estimate for the entry it positioned at.
  connect(vertical, &QScrollBar::sliderReleased, this, [this] { UserMove([] {}); });

  autoScroll_.setObjectName("AutoScrollTimer");
  autoScroll_.setInterval(kAutoScrollMs);
  connect(&autoScroll_, &QTimer::timeout, this, &TIndexBrowser::OnAutoScroll);

  resize(200, 100);
}

TIndexBrowser::~TIndexBrowser() = default;

QSize TIndexBrowser::sizeHint() const { return {200, 100}; }

// --- operations -----------------------------------------------------------------------------

// The window's handlers are reached through the control; a handler the source already had is
// kept for the events the control's owner does not handle.
void TIndexBrowser::InstallEvents(BrowseSource& source) {
  auto& ev = source.events;
  ev.OnBuildRow = [this, own = std::move(ev.OnBuildRow)](RowRec& rr) {
    if (OnBuildRow) return OnBuildRow(this, rr);
    return own ? own(rr) : BrowseSource::MissingBuildRow(rr);
  };
  ev.OnPerformFilter = [this, own = std::move(ev.OnPerformFilter)](RowRec& rr, bool& useIt) {
    if (OnPerformFilter) return OnPerformFilter(this, rr, useIt);
    return own ? own(rr, useIt) : 0;
  };
  ev.OnShowFilterWorking = [this, own = std::move(ev.OnShowFilterWorking)](int callState, bool& rejected) {
    if (OnShowFilterWorking)
      OnShowFilterWorking(this, callState, rejected);
    else if (own)
      own(callState, rejected);
  };
  ev.OnPreCompletePage = [this, own = std::move(ev.OnPreCompletePage)] {
    if (OnPreCompletePage) return OnPreCompletePage(this);
    return own ? own() : 0;
  };
  ev.OnPostCompletePage = [this, own = std::move(ev.OnPostCompletePage)] {
    if (OnPostCompletePage) return OnPostCompletePage(this);
    return own ? own() : 0;
  };
}

void TIndexBrowser::AttachSource(std::unique_ptr<BrowseSource> source) {
  // The previous source goes first: its file block may be closed (and its handle reused) by
  // now, so laying out the rows for the new one must not read through it.
  model_.Attach(nullptr);
  if (source) {
    source->SetFilterEnabled(filterEnabled_);
    InstallEvents(*source);
  }
  model_.SetVisibleRows(FittingRows());
  model_.Attach(std::move(source));
  viewport()->update();
  SyncThumb();
  if (OnFirstUserInit) OnFirstUserInit(this);
}

void TIndexBrowser::GoToKey(std::string_view key, int32_t ref) {
  Apply([&] { model_.GoToKey(key, ref); }, true);
}

void TIndexBrowser::SetKeyNumber(int keyNr) {
  Apply([&] { model_.SetKeyNumber(keyNr); }, true);
}

void TIndexBrowser::Refresh() {
  Apply([&] { model_.Refresh(); });
}

int TIndexBrowser::ReadCurrentRecord(bool& unchanged) {
  int result = 0;
  Apply([&] { result = model_.ReadCurrentRecord(unchanged); });
  return result;
}

TIndexBrowser::Snapshot TIndexBrowser::Take() const {
  Snapshot s;
  for (int r = 1; r <= model_.RowsFilled(); ++r) {
    const RowRec& row = model_.Row(r);
    s.rows.emplace_back(row.Key, row.Ref, row.Row);
  }
  s.current = model_.CurrentRow();
  return s;
}

void TIndexBrowser::Apply(const std::function<void()>& move, bool forceRowChanged) {
  const Snapshot before = Take();
  move();
  const Snapshot after = Take();

  const auto currentEntry = [](const Snapshot& s) {
    if (s.current == 0) return std::pair<std::string, int32_t>();
    const auto& row = s.rows[std::size_t(s.current - 1)];
    return std::pair(std::get<0>(row), std::get<1>(row));
  };
  const bool rowChanged = (forceRowChanged && model_.source()) || before.current != after.current ||
                          currentEntry(before) != currentEntry(after);

  // A one-row scroll moves the pixels and paints the new row only.
  const std::size_t n = after.rows.size();
  const int rh = RowHeight();
  const QRect rowsArea(0, RowsTop(), viewport()->width(), model_.VisibleRows() * rh);
  if (n >= 2 && before.rows.size() == n && std::equal(before.rows.begin() + 1, before.rows.end(), after.rows.begin())) {
    viewport()->scroll(0, -rh, rowsArea);
    viewport()->update(RowRect(int(n)));
  } else if (n >= 2 && before.rows.size() == n &&
             std::equal(after.rows.begin() + 1, after.rows.end(), before.rows.begin())) {
    viewport()->scroll(0, rh, rowsArea);
    viewport()->update(RowRect(1));
  } else if (before.rows != after.rows) {
    viewport()->update();
  }
  if (before.current) viewport()->update(RowRect(before.current));
  if (after.current) viewport()->update(RowRect(after.current));

  SyncThumb();
  if (rowChanged && OnRowChanged) OnRowChanged(this);
}

void TIndexBrowser::UserMove(const std::function<void()>& move, bool forceRowChanged) {
  try {
    Apply(move, forceRowChanged);
  } catch (const BrowseError& error) {
    ReportError(error);
  }
}

void TIndexBrowser::ReportError(const BrowseError& error) {
  if (OnBrowseError)
    OnBrowseError(this, error);
  else
    QMessageBox::critical(this, QCoreApplication::applicationName(), QString::fromLatin1(error.what()));
}

// --- properties -----------------------------------------------------------------------------

void TIndexBrowser::SetHeader(const QString& text) {
  header_ = text.left(int(kMaxRowText));
  Relayout();
}

void TIndexBrowser::SetFooter(const QString& text) {
  footer_ = text.left(int(kMaxRowText));
  Relayout();
}

void TIndexBrowser::SetUseSeparator(bool on) {
  useSeparator_ = on;
  Relayout();
}

void TIndexBrowser::SetFilterEnabled(bool on) {
  filterEnabled_ = on;
  if (model_.source()) model_.source()->SetFilterEnabled(on);
}

void TIndexBrowser::SetHorizOfs(int pixels) {
  horizOfs_ = std::clamp(pixels, 0, MaxHorizOfs());
  horizontalScrollBar()->setValue(horizOfs_);
  viewport()->update();
}

void TIndexBrowser::SetColor(const QColor& c) { color_ = c; viewport()->update(); }
void TIndexBrowser::SetHeaderColor(const QColor& c) { headerColor_ = c; viewport()->update(); }
void TIndexBrowser::SetHeaderTxtColor(const QColor& c) { headerTxtColor_ = c; viewport()->update(); }
void TIndexBrowser::SetFooterColor(const QColor& c) { footerColor_ = c; viewport()->update(); }
void TIndexBrowser::SetFooterTxtColor(const QColor& c) { footerTxtColor_ = c; viewport()->update(); }
void TIndexBrowser::SetHighlightColor(const QColor& c) { highlightColor_ = c; viewport()->update(); }
void TIndexBrowser::SetHighlightTxtColor(const QColor& c) { highlightTxtColor_ = c; viewport()->update(); }

// --- geometry -------------------------------------------------------------------------------

int TIndexBrowser::RowHeight() const {
  const QFontMetrics fm(font());
  return std::max(1, fm.height() + std::max(0, fm.leading()));
}

int TIndexBrowser::CharWidth() const {
  const QFontMetrics fm(font());
  return std::max(1, (fm.averageCharWidth() + fm.maxWidth()) / 2);
}

int TIndexBrowser::ScrollableWidth() const { return int(kMaxRowText) * CharWidth(); }

int TIndexBrowser::MaxHorizOfs() const { return std::max(0, ScrollableWidth() - viewport()->width()); }

int TIndexBrowser::HeaderHeight() const {
  return header_.isEmpty() ? 0 : RowHeight() + (useSeparator_ ? 1 : 0);
}

int TIndexBrowser::FooterHeight() const {
  return footer_.isEmpty() ? 0 : RowHeight() + (useSeparator_ ? 1 : 0);
}

QRect TIndexBrowser::RowRect(int row) const {
  const int rh = RowHeight();
  return {0, RowsTop() + (row - 1) * rh, viewport()->width(), rh};
}

int TIndexBrowser::RowAt(int y) const {
  if (y < RowsTop()) return 0;
  return std::min((y - RowsTop()) / RowHeight() + 1, model_.VisibleRows() + 1);
}

int TIndexBrowser::FittingRows() const {
  return std::max(1, (viewport()->height() - HeaderHeight() - FooterHeight()) / RowHeight());
}

void TIndexBrowser::Relayout() {
  const int rows = FittingRows();
  UserMove([&] { model_.SetVisibleRows(rows); });
  UpdateHorizontalBar();
  viewport()->update();
}

void TIndexBrowser::UpdateHorizontalBar() {
  QScrollBar* bar = horizontalScrollBar();
  bar->setRange(0, MaxHorizOfs());
  bar->setSingleStep(CharWidth());
  bar->setPageStep(10 * CharWidth());
  SetHorizOfs(horizOfs_);
}

void TIndexBrowser::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  Relayout();
}

void TIndexBrowser::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) Relayout();
}

// The horizontal bar's value is HorizOfs; the vertical bar is driven by OnVerticalAction.
void TIndexBrowser::scrollContentsBy(int dx, int /*dy*/) {
  if (dx == 0) return;
  horizOfs_ = horizontalScrollBar()->value();
  viewport()->update();
}

// --- vertical scroll bar --------------------------------------------------------------------

// Called while the bar performs an action: the thumb may still be set here, and that position
// is what the bar then takes as its value.
void TIndexBrowser::OnVerticalAction(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: return UserMove([this] { model_.LineDown(); });
    case QAbstractSlider::SliderSingleStepSub: return UserMove([this] { model_.LineUp(); });
    case QAbstractSlider::SliderPageStepAdd: return UserMove([this] { model_.PageDown(); });
    case QAbstractSlider::SliderPageStepSub: return UserMove([this] { model_.PageUp(); });
    case QAbstractSlider::SliderToMinimum: return UserMove([this] { model_.FirstPage(); });
    case QAbstractSlider::SliderToMaximum: return UserMove([this] { model_.LastPage(); });
    default: return;  // dragging: OnThumbMoved
  }
}

void TIndexBrowser::OnThumbMoved(int position) {
  if (syncingThumb_) return;
  UserMove([&] { model_.ScrollTo(static_cast<uint16_t>(position)); }, true);
}

// The thumb shows the current entry's estimated place; it stays under the mouse while dragged.
void TIndexBrowser::SyncThumb() {
  QScrollBar* bar = verticalScrollBar();
  if (bar->isSliderDown()) return;
  const int position = model_.ScrollPosition();
  syncingThumb_ = true;
  bar->setSliderPosition(position);
  syncingThumb_ = false;
}
