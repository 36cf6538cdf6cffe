#include "finder/find_model.h"

#include <algorithm>

#include "common/record_buffer.h"
#include "common/text.h"

namespace tf::finder {

void FindModel::Show() {
  text_.clear();
  searched_ = false;
  rows_.clear();
  status_ = std::string(kFindReadyStatus);
}

void FindModel::SetText(std::string_view text) {
  std::string cut = common::Cut(text, kFindTextLimit);
  if (cut != text_) searched_ = false;
  text_ = std::move(cut);
}

bool FindModel::FindEnabled() const { return !searched_ && !common::TrimBoth(text_).empty(); }

void FindModel::Find(common::Prompter& prompter) {
  if (!FindEnabled()) return;
  const std::string wanted = common::Cut(common::UpperCase(common::TrimBoth(text_)), kSearchTextLength);
  status_ = std::string(kSearchingStatus);
  rows_.clear();
  common::RecordBuffer record(std::size_t(mode_.RecordLength()));
  std::int32_t ref = 0;
  for (;;) {
    engine::NextRecord(mode_.File(), ref);
    if (!engine::EngineOK) break;
    engine::GetRecord(mode_.File(), ref, std::span<std::uint8_t>(record));
    if (!engine::EngineOK) break;
    for (const std::string& field : mode_.SearchedFields(record)) {
      if (common::UpperCase(field).find(wanted) != std::string::npos) {
        rows_.push_back(mode_.Cells(record));
        break;
      }
    }
  }
  searched_ = true;
  if (rows_.empty()) {
    prompter.Inform(kNothingFoundText, kNothingFoundCaption, common::PromptIcon::Information);
    status_ = std::string(kNothingFoundStatus);
  } else {
    status_ = "Search Complete. Found " + std::to_string(rows_.size()) +
              " items.  Double-click on first column to find matching record.";
  }
}

void FindModel::SortByColumn(int column) {
  if (column < 0) return;
  std::stable_sort(rows_.begin(), rows_.end(), [column](const auto& a, const auto& b) {
    const std::size_t c = std::size_t(column);
    return (c < a.size() ? a[c] : std::string()) < (c < b.size() ? b[c] : std::string());
  });
}

std::optional<std::string> FindModel::Choose(int row) const {
  if (row < 0 || std::size_t(row) >= rows_.size()) return std::nullopt;
  const auto& cells = rows_[std::size_t(row)];
  const std::size_t c = std::size_t(mode_.ResultColumn());
  if (c >= cells.size()) return std::nullopt;
  return cells[c];
}

}  // namespace tf::finder
