#include "engine/checking/checker_findings.h"

#include <cstdio>

namespace tf::engine {

void FindingList::Add(Problem problem, int keyNr, std::string text) {
  int& count = counts_[{problem, keyNr}];
  if (++count > kShownPerKind) return;
  if (keyNr > 0) text = "key " + std::to_string(keyNr) + ": " + text;
  findings_.push_back({problem, keyNr, std::move(text)});
}

std::vector<Finding> FindingList::Finish() {
  for (const auto& [kind, count] : counts_) {
    if (count <= kShownPerKind) continue;
    std::string text = "... and " + std::to_string(count - kShownPerKind) + " more " +
                       ProblemName(kind.first) + " findings";
    if (kind.second > 0) text = "key " + std::to_string(kind.second) + ": " + text;
    findings_.push_back({kind.first, kind.second, std::move(text)});
  }
  counts_.clear();
  return std::move(findings_);
}

std::string QuotedKey(std::string_view key) {
  std::string out = "\"";
  for (unsigned char c : key) {
    if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  out += '"';
  return out;
}

const char* ProblemName(Problem p) {
  switch (p) {
    case Problem::DataFileUnreadable: return "DataFileUnreadable";
    case Problem::NotRegularFile: return "NotRegularFile";
    case Problem::IndexWithoutData: return "IndexWithoutData";
    case Problem::DataHeaderShort: return "DataHeaderShort";
    case Problem::RecordLengthInvalid: return "RecordLengthInvalid";
    case Problem::RecordCountInvalid: return "RecordCountInvalid";
    case Problem::KeyCountInvalid: return "KeyCountInvalid";
    case Problem::DataFileLength: return "DataFileLength";
    case Problem::UpdateFlagSet: return "UpdateFlagSet";
    case Problem::HeaderPadding: return "HeaderPadding";
    case Problem::FreeChainLink: return "FreeChainLink";
    case Problem::FreeChainCycle: return "FreeChainCycle";
    case Problem::FreeChainLiveSlot: return "FreeChainLiveSlot";
    case Problem::FreeChainLength: return "FreeChainLength";
    case Problem::DeletedSlotNotChained: return "DeletedSlotNotChained";
    case Problem::IndexFileUnreadable: return "IndexFileUnreadable";
    case Problem::IndexHeaderUnreadable: return "IndexHeaderUnreadable";
    case Problem::PageGeometry: return "PageGeometry";
    case Problem::IndexHeaderField: return "IndexHeaderField";
    case Problem::IndexFileLength: return "IndexFileLength";
    case Problem::PageOutOfRange: return "PageOutOfRange";
    case Problem::PageReachedTwice: return "PageReachedTwice";
    case Problem::TreeTooDeep: return "TreeTooDeep";
    case Problem::PageEntryCount: return "PageEntryCount";
    case Problem::PageUnderfilled: return "PageUnderfilled";
    case Problem::PageShape: return "PageShape";
    case Problem::LeafDepth: return "LeafDepth";
    case Problem::KeyTooLong: return "KeyTooLong";
    case Problem::KeyOrder: return "KeyOrder";
    case Problem::EntryRef: return "EntryRef";
    case Problem::EntryCount: return "EntryCount";
    case Problem::PageFreeChainLink: return "PageFreeChainLink";
    case Problem::PageFreeChainCycle: return "PageFreeChainCycle";
    case Problem::PageInTreeAndFree: return "PageInTreeAndFree";
    case Problem::PageFreeChainLength: return "PageFreeChainLength";
    case Problem::PageLost: return "PageLost";
    case Problem::KeyBuilderResult: return "KeyBuilderResult";
    case Problem::KeyMissing: return "KeyMissing";
    case Problem::KeyUnexpected: return "KeyUnexpected";
    case Problem::TextFieldLength: return "TextFieldLength";
  }
  return "Unknown";
}

}  // namespace tf::engine
