#pragma once
// The label print queue: customers waiting for mailing labels, form letters or a free e-mail
// message. The main window owns the one queue of the run and hands it to the windows that add
// to it or print it; the flag tells the main window that it holds changes nobody printed or
// saved yet. Duplicates are allowed.

#include <cstddef>
#include <string>
#include <vector>

namespace tf::correspondence {

struct LabelQueueEntry {
  std::string CustomerNumber;
  std::string CustomerName;
  std::string MailSortCode;
  std::string CustomerType;

  bool operator==(const LabelQueueEntry&) const = default;
};

class LabelQueue {
 public:
  // Every change of the list sets the unsaved-changes flag.
  void Add(LabelQueueEntry entry);
  void Remove(std::size_t index);
  void Clear();  // clears the flag as well: nothing is left to lose
  // Sorts by one of the four columns (0 number, 1 name, 2 sort code, 3 type).
  void SortByColumn(int column);

  const std::vector<LabelQueueEntry>& Entries() const { return entries_; }
  std::size_t Size() const { return entries_.size(); }

  // What the label wizard shows in its status panel 0: the last entry added from elsewhere.
  const std::string& StatusText() const { return statusText_; }
  void SetStatusText(std::string text) { statusText_ = std::move(text); }

  bool Unsaved() const { return unsaved_; }
  // Labels printed, the list saved to a file, a mail run done; or the aging loaders filling it.
  void SetUnsaved(bool unsaved) { unsaved_ = unsaved; }

 private:
  std::vector<LabelQueueEntry> entries_;
  bool unsaved_ = false;
  std::string statusText_;
};

}  // namespace tf::correspondence
