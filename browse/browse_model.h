#pragma once
// The scrolling list of the index browser without the screen: which entries are visible, which
// row is current, and how keys, clicks and the scroll bar move them. Only the rows that come
// into view are read. The visible rows are always consecutive entries of the range in key
// order. Until a source is attached every operation does nothing.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "browse/browse_source.h"

namespace tf::browse {

class BrowseModel {
 public:
  static constexpr uint16_t kScrollScale = 63;  // the vertical scroll bar runs 0..63
  static constexpr int kNoKeyNumber = 65535;    // KeyNumber() without a source

  // Frees the previous source, takes this one and fills the first page.
  void Attach(std::unique_ptr<BrowseSource> source);
  BrowseSource* source() const { return source_.get(); }

  // The page: rows 1..RowsFilled() of at most VisibleRows().
  int VisibleRows() const { return visible_; }
  int RowsFilled() const { return int(rows_.size()); }
  int CurrentRow() const { return current_; }  // 1-based; 0 when there is no current row
  const RowRec& Row(int n) const { return rows_.at(std::size_t(n - 1)); }

  // Clamped to 1..the source's row buffers. More rows are read below the page (above it when
  // the range ends); fewer rows drop off the bottom.
  void SetVisibleRows(int rows);

  // The first entry >= (key, ref) in range, else the last entry in range, becomes current on the
  // screen row of the previous current row; if too few entries follow, the page is filled
  // upwards so that the last entry ends on the last row.
  void GoToKey(std::string_view key, int32_t ref);
  // Switches the source to another index and shows it from the start.
  void SetKeyNumber(int keyNr);
  // Re-reads the page from the first row's (key, ref), keeping the current row number.
  void Refresh();

  int32_t CurrentRef() const;
  std::string CurrentKey() const;
  int KeyNumber() const;
  // Reads the current record into the window's buffer again and rebuilds its row: 0, 1 when it
  // reads as deleted (or there is no current row), the error class of a failed read, 5 without
  // a source. unchanged = the rebuilt text equals the text shown.
  int ReadCurrentRecord(bool& unchanged);

  // Keys. Down / Up move the current row and scroll by one row at the edges; Page Down / Up
  // scroll by up to a page keeping the current screen row; first / last page put the first /
  // last entry of the range current.
  void LineDown();
  void LineUp();
  void PageDown();
  void PageUp();
  void FirstPage();
  void LastPage();
  // A click on row n (1..RowsFilled); false outside the filled rows.
  bool SelectRow(int n);
  // A typed character (Latin-1): "+" refreshes; a digit, a letter or one of the umlauts and
  // sharp s jumps to the first entry >= that one-character key. False for any other character.
  bool TypeChar(unsigned char ch);
  static bool IsJumpChar(unsigned char ch);

  // The current entry's estimated place as 0..63, and positioning at the entry estimated there.
  uint16_t ScrollPosition() const;
  void ScrollTo(uint16_t pos);

 private:
  void FillAround(RowRec target, int wantRow);
  void Clear();

  std::unique_ptr<BrowseSource> source_;
  std::vector<RowRec> rows_;
  int wanted_ = 1;   // rows asked for; visible_ is that within the source's row buffers
  int visible_ = 1;
  int current_ = 0;
};

}  // namespace tf::browse
