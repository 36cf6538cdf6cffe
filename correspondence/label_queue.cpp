#include "correspondence/label_queue.h"

#include <algorithm>

namespace tf::correspondence {

void LabelQueue::Add(LabelQueueEntry entry) {
  entries_.push_back(std::move(entry));
  unsaved_ = true;
}

void LabelQueue::Remove(std::size_t index) {
  if (index >= entries_.size()) return;
  entries_.erase(entries_.begin() + std::ptrdiff_t(index));
  unsaved_ = true;
}

void LabelQueue::Clear() {
  entries_.clear();
  unsaved_ = false;
}

void LabelQueue::SortByColumn(int column) {
  const auto text = [column](const LabelQueueEntry& e) -> const std::string& {
    switch (column) {
      case 0: return e.CustomerNumber;
      case 2: return e.MailSortCode;
      case 3: return e.CustomerType;
      default: return e.CustomerName;
    }
  };
  std::stable_sort(entries_.begin(), entries_.end(),
                   [&](const LabelQueueEntry& a, const LabelQueueEntry& b) { return text(a) < text(b); });
  unsaved_ = true;
}

}  // namespace tf::correspondence
