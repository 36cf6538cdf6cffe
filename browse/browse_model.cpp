// The browser's page logic. Every move reads only the entries that come into view: one for a
// line, at most a page for a page move or a jump.

#include "browse/browse_model.h"

#include <algorithm>
#include <iterator>

namespace tf::browse {

void BrowseModel::Attach(std::unique_ptr<BrowseSource> source) {
  source_ = std::move(source);
  rows_.clear();
  current_ = 0;
  if (!source_) return;
  visible_ = std::clamp(wanted_, 1, source_->rowBuffers());
  FirstPage();
}

void BrowseModel::Clear() {
  source_->PageFillStarts();
  rows_.clear();
  current_ = 0;
  source_->PageFillEnds();
}

// Lays out a page with `target` current on `wantRow`: following entries below it, preceding
// ones above. Where the range ends below, the page is filled upwards instead; where it starts
// above, the target moves up and the page is filled further down.
void BrowseModel::FillAround(RowRec target, int wantRow) {
  source_->PageFillStarts();
  wantRow = std::clamp(wantRow, 1, visible_);
  const std::size_t rows = std::size_t(visible_);
  const std::size_t rowsBelow = rows - std::size_t(wantRow);

  std::vector<RowRec> below;
  bool rangeEnds = false;
  RowRec next;
  while (below.size() < rowsBelow) {
    if (!source_->After(below.empty() ? target : below.back(), next)) {
      rangeEnds = true;
      break;
    }
    below.push_back(std::move(next));
  }
  const std::size_t wantAbove = rangeEnds ? rows - 1 - below.size() : std::size_t(wantRow) - 1;
  std::vector<RowRec> above;  // nearest first
  while (above.size() < wantAbove && source_->Before(above.empty() ? target : above.back(), next))
    above.push_back(std::move(next));
  while (!rangeEnds && 1 + above.size() + below.size() < rows) {
    if (!source_->After(below.empty() ? target : below.back(), next)) break;
    below.push_back(std::move(next));
  }

  std::vector<RowRec> page;
  page.reserve(rows);
  page.insert(page.end(), std::make_move_iterator(above.rbegin()), std::make_move_iterator(above.rend()));
  page.push_back(std::move(target));
  page.insert(page.end(), std::make_move_iterator(below.begin()), std::make_move_iterator(below.end()));
  rows_ = std::move(page);
  current_ = int(above.size()) + 1;
  source_->PageFillEnds();
}

void BrowseModel::SetVisibleRows(int rows) {
  wanted_ = std::max(rows, 1);
  visible_ = std::clamp(wanted_, 1, source_ ? source_->rowBuffers() : kBrowseRowBuffers);
  if (!source_ || rows_.empty() || RowsFilled() == visible_) return;
  if (RowsFilled() > visible_) {
    rows_.resize(std::size_t(visible_));
    current_ = std::min(current_, visible_);
    return;
  }
  source_->PageFillStarts();
  RowRec next;
  while (RowsFilled() < visible_ && source_->After(rows_.back(), next)) rows_.push_back(std::move(next));
  while (RowsFilled() < visible_ && source_->Before(rows_.front(), next)) {
    rows_.insert(rows_.begin(), std::move(next));
    ++current_;
  }
  source_->PageFillEnds();
}

void BrowseModel::GoToKey(std::string_view key, int32_t ref) {
  if (!source_) return;
  RowRec target;
  if (!source_->AtOrAfter(key, ref, target) && !source_->Last(target)) return Clear();
  FillAround(std::move(target), current_ ? current_ : 1);
}

void BrowseModel::SetKeyNumber(int keyNr) {
  if (!source_) return;
  source_->SetKeyNumber(keyNr);
  rows_.clear();
  current_ = 0;
  FirstPage();
}

void BrowseModel::Refresh() {
  if (!source_) return;
  const int keepRow = current_;
  const std::vector<RowRec> shown = rows_;
  RowRec target;
  const bool found = rows_.empty() ? source_->First(target)
                                   : source_->AtOrAfter(rows_.front().Key, rows_.front().Ref, target) ||
                                         source_->Last(target);
  if (!found) return Clear();
  FillAround(std::move(target), 1);
  current_ = std::clamp(keepRow, 1, RowsFilled());
  for (std::size_t i = 0; i < rows_.size(); ++i)
    rows_[i].Changed = i >= shown.size() || shown[i].Row != rows_[i].Row;
}

int32_t BrowseModel::CurrentRef() const { return current_ ? Row(current_).Ref : 0; }

std::string BrowseModel::CurrentKey() const { return current_ ? Row(current_).Key : std::string(); }

int BrowseModel::KeyNumber() const { return source_ ? source_->keyNumber() : kNoKeyNumber; }

int BrowseModel::ReadCurrentRecord(bool& unchanged) {
  unchanged = false;
  if (!source_) return 5;
  if (current_ == 0) return 1;
  RowRec& row = rows_[std::size_t(current_ - 1)];
  const std::string shown = row.Row;
  const int outcome = source_->Reread(row);
  unchanged = row.Row == shown;
  if (!unchanged) row.Changed = true;
  return outcome;
}

void BrowseModel::LineDown() {
  if (!source_ || rows_.empty()) return;
  if (current_ < RowsFilled()) {
    ++current_;
    return;
  }
  RowRec next;
  if (!source_->After(rows_.back(), next)) return;
  rows_.push_back(std::move(next));
  if (RowsFilled() > visible_) rows_.erase(rows_.begin());
  current_ = RowsFilled();
}

void BrowseModel::LineUp() {
  if (!source_ || rows_.empty()) return;
  if (current_ > 1) {
    --current_;
    return;
  }
  RowRec previous;
  if (!source_->Before(rows_.front(), previous)) return;
  rows_.insert(rows_.begin(), std::move(previous));
  if (RowsFilled() > visible_) rows_.pop_back();
  current_ = 1;
}

void BrowseModel::PageDown() {
  if (!source_ || rows_.empty()) return;
  source_->PageFillStarts();
  std::vector<RowRec> more;
  RowRec next;
  while (int(more.size()) < visible_ && source_->After(more.empty() ? rows_.back() : more.back(), next))
    more.push_back(std::move(next));
  if (more.empty()) {
    current_ = RowsFilled();
  } else {
    rows_.insert(rows_.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    if (RowsFilled() > visible_) rows_.erase(rows_.begin(), rows_.begin() + (RowsFilled() - visible_));
    current_ = std::min(current_, RowsFilled());
  }
  source_->PageFillEnds();
}

void BrowseModel::PageUp() {
  if (!source_ || rows_.empty()) return;
  source_->PageFillStarts();
  std::vector<RowRec> more;  // nearest first
  RowRec previous;
  while (int(more.size()) < visible_ && source_->Before(more.empty() ? rows_.front() : more.back(), previous))
    more.push_back(std::move(previous));
  if (more.empty()) {
    current_ = 1;
  } else {
    rows_.insert(rows_.begin(), std::make_move_iterator(more.rbegin()), std::make_move_iterator(more.rend()));
    if (RowsFilled() > visible_) rows_.resize(std::size_t(visible_));
    current_ = std::min(current_, RowsFilled());
  }
  source_->PageFillEnds();
}

void BrowseModel::FirstPage() {
  if (!source_) return;
  RowRec target;
  if (!source_->First(target)) return Clear();
  FillAround(std::move(target), 1);
}

void BrowseModel::LastPage() {
  if (!source_) return;
  RowRec target;
  if (!source_->Last(target)) return Clear();
  FillAround(std::move(target), visible_);
}

bool BrowseModel::SelectRow(int n) {
  if (n < 1 || n > RowsFilled()) return false;
  current_ = n;
  return true;
}

bool BrowseModel::IsJumpChar(unsigned char ch) {
  if ((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z')) return true;
  switch (ch) {
    case 0xC4: case 0xD6: case 0xDC: case 0xDF:  // Ä Ö Ü ß
    case 0xE4: case 0xF6: case 0xFC:             // ä ö ü
      return true;
    default:
      return false;
  }
}

bool BrowseModel::TypeChar(unsigned char ch) {
  if (ch == '+') {
    Refresh();
    return true;
  }
  if (!IsJumpChar(ch)) return false;
  GoToKey(std::string(1, static_cast<char>(ch)), 0);
  return true;
}

uint16_t BrowseModel::ScrollPosition() const {
  if (!source_ || current_ == 0) return 0;
  return source_->PositionOf(Row(current_), kScrollScale);
}

// The ends of the bar are the ends of the range: the index's estimate for 0 and 63 may land
// an entry or a page short of them.
void BrowseModel::ScrollTo(uint16_t pos) {
  if (!source_) return;
  if (pos == 0) return FirstPage();
  if (pos >= kScrollScale) return LastPage();
  std::string key;
  int32_t ref = 0;
  if (!source_->EntryAt(std::min(pos, kScrollScale), kScrollScale, key, ref)) return;
  GoToKey(key, ref);
}

}  // namespace tf::browse
