#pragma once
// A browse source: one index of one file block, seen as a list of text rows in key order.
// It knows the key range and the window's record buffer; for every row it reads the record
// into that buffer and asks the window to format the row text. It walks the index from a row's
// (key, ref) so that a list survives changes made to the index between two moves.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "browse/browse_source_calls.h"
#include "engine/core/engine.h"

namespace tf::browse {

inline constexpr int kBrowseRowBuffers = 50;  // rows a source can show at most
inline constexpr std::size_t kMaxRowText = 128;
inline constexpr std::string_view kNoBuildRowText = "You do not have an OnBuildRow event defined";
// A busy answer (error class 2) is retried this many times, with this pause before each try.
inline constexpr int kBusyRetries = 32;
inline constexpr std::chrono::milliseconds kBusyPause{30};

// One visible row, handed to the window's handlers by reference.
struct RowRec {
  std::string Key;      // the index entry's key
  int32_t Ref = 0;      // the entry's record number
  int32_t Status = 0;   // 0 read normally; -1 deleted or unreadable (the window shows a placeholder)
  bool Changed = false; // a refresh or re-read produced a different text
  bool Valid = false;   // Row is current
  std::string Row;      // the text shown, at most kMaxRowText characters
};

// An engine failure of class 2 or higher met while walking the index.
class BrowseError : public std::runtime_error {
 public:
  BrowseError(int errorClass, int32_t status);
  int errorClass() const { return errorClass_; }
  int32_t status() const { return status_; }

 private:
  int errorClass_;
  int32_t status_;
};

// The window's handlers. Statuses returned by the handlers are not interpreted.
struct BrowseEvents {
  // Fills RR.Row from the record buffer, or from RR.Key when RR.Status is not 0.
  std::function<int(RowRec& rr)> OnBuildRow;
  // Called only while filtering is on; useIt = false hides the row.
  std::function<int(RowRec& rr, bool& useIt)> OnPerformFilter;
  // While the filter skips rows: callState 1 at the first rejected entry of a walk, 2 at every
  // further one, 0 when the skipping ends. Setting rejected = true gives up the search, as if
  // the range ended there.
  std::function<void(int callState, bool& rejected)> OnShowFilterWorking;
  // Around the refilling of the visible page.
  std::function<int()> OnPreCompletePage;
  std::function<int()> OnPostCompletePage;
};

class BrowseSource {
 public:
  // `recordBuffer` is the window's own record variable; it must hold a whole record of the file
  // block (std::invalid_argument otherwise). Every read is bounded by `bufferSize`: should the
  // handle come to stand for a file block of longer records, the read is refused (the row shows
  // as unreadable) instead of writing past the buffer. Bounds longer than 30 characters are cut.
  BrowseSource(engine::FileBlock* file, int keyNr, void* recordBuffer, std::size_t bufferSize,
               std::string_view lowBound = {}, std::string_view highBound = {},
               int rowBuffers = kBrowseRowBuffers);

  engine::FileBlock* file() const { return file_; }
  int keyNumber() const { return keyNr_; }
  void SetKeyNumber(int keyNr) { keyNr_ = keyNr; }
  const std::string& lowBound() const { return low_; }
  const std::string& highBound() const { return high_; }
  int rowBuffers() const { return rowBuffers_; }
  bool filterEnabled() const { return filterEnabled_; }
  void SetFilterEnabled(bool on) { filterEnabled_ = on; }

  BrowseEvents events;
  // The pause between busy retries; tests replace it so that they do not sleep.
  std::function<void(std::chrono::milliseconds)> sleep;
  // Not owned; must outlive the source.
  void SetEngineCalls(BrowseEngineCalls& calls) { calls_ = &calls; }

  // True when the key lies inside the range: its first len(low) characters are >= low and its
  // first len(high) characters are <= high. An empty bound does not limit.
  bool InRange(std::string_view key) const;

  // Rows of entries inside the range that the filter accepts, each with its record read and its
  // text built. False when there is no such entry; BrowseError on an engine failure of class 2
  // or higher (after the busy retries).
  bool First(RowRec& out);
  bool Last(RowRec& out);
  bool AtOrAfter(std::string_view key, int32_t ref, RowRec& out);  // first entry >= (key, ref)
  bool After(const RowRec& from, RowRec& out);   // the entry after from's (key, ref)
  bool Before(const RowRec& from, RowRec& out);  // the entry before it

  // Reads the row's record again and rebuilds its text (no filter). Returns 0, 1 when the
  // record reads as deleted, or the error class of a failed read.
  int Reread(RowRec& row);

  // Scroll-bar estimates: the row's place in the index as 0..scale (0 for an empty index), and
  // the entry estimated at pos/scale (false for an empty index).
  uint16_t PositionOf(const RowRec& row, uint16_t scale);
  bool EntryAt(uint16_t pos, uint16_t scale, std::string& key, int32_t& ref);

  // Raise OnPreCompletePage / OnPostCompletePage.
  void PageFillStarts();
  void PageFillEnds();

  // The text a row gets when no OnBuildRow handler is assigned.
  static int MissingBuildRow(RowRec& rr);

 private:
  template <class Call> void RetryWhileBusy(Call call);
  template <class Call> bool KeyCall(Call call);
  bool Neighbour(std::string& key, int32_t& ref, int direction);
  bool Scan(std::string key, int32_t ref, int direction, bool includeStart, RowRec& out);
  bool AboveRange(std::string_view key) const;
  int Load(RowRec& row);
  bool Accept(RowRec& row);

  engine::FileBlock* file_;
  int keyNr_;
  std::span<uint8_t> buffer_;
  std::string low_;
  std::string high_;
  int rowBuffers_;
  bool filterEnabled_ = false;
  BrowseEngineCalls* calls_;
};

}  // namespace tf::browse
