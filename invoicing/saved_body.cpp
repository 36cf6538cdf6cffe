#include "invoicing/saved_body.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "common/side_file.h"
#include "common/text.h"

namespace tf::invoicing {
namespace {

constexpr std::size_t kLineWidth = 85;
constexpr int kSavedRows = 100;
constexpr int kSavedMemoLines = 26;

using common::PadRight;
using common::TrimBoth;

std::string RowLine(int number, const GridRow& row) {
  const std::string tax = row.cell[kTaxColumn].empty() ? std::string(" ") : row.cell[kTaxColumn].substr(0, 1);
  const std::string line = PadRight(std::to_string(number), 2) + " " + PadRight(row.cell[kCodeColumn], 10) + " " +
                           PadRight(row.cell[kQuantityColumn], 10) + " " + PadRight(row.cell[kDescriptionColumn], 32) +
                           " " + PadRight(row.cell[kUnitPriceColumn], 10) + " " + tax + " " +
                           PadRight(row.cell[kExtensionColumn], 12);
  return TrimBoth(line).empty() ? std::string() : common::Cut(line, kLineWidth);
}

std::optional<std::string> Trailer(const InvoiceEntry& entry) {
  if (entry.Notes().size() > 60 || entry.StatementNote().size() > 25) return std::nullopt;
  return PadRight(entry.Notes(), 60) + PadRight(entry.StatementNote(), 25) + PadRight(entry.KeyCode(), 8);
}

// Columns 1-based and inclusive, as the format names them.
std::string Column(std::string_view line, std::size_t first, std::size_t last) {
  if (line.size() < first) return {};
  return std::string(line.substr(first - 1, last - first + 1));
}

void ReadRow(InvoiceEntry& entry, int row, std::string_view line) {
  entry.SetCell(row, kCodeColumn, TrimBoth(Column(line, 4, 13)));
  entry.SetCell(row, kQuantityColumn, TrimBoth(Column(line, 15, 24)));
  entry.SetCell(row, kDescriptionColumn, TrimBoth(Column(line, 26, 57)));
  entry.SetCell(row, kUnitPriceColumn, TrimBoth(Column(line, 59, 68)));
  entry.SetCell(row, kTaxColumn, Column(line, 70, 70));
}

void ReadTrailer(InvoiceEntry& entry, std::string_view line) {
  entry.SetNotes(TrimBoth(Column(line, 1, 60)));
  entry.SetStatementNote(TrimBoth(Column(line, 61, 85)));
  entry.SetKeyCode(TrimBoth(Column(line, 86, 93)));
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

SavedBodyText WriteSavedBody(const InvoiceEntry& entry) {
  const auto trailer = Trailer(entry);
  if (!trailer)
    return {{}, "The notes or the statement note are longer than a saved body keeps (60 and 25 characters)."};
  std::string text;
  auto add = [&text](std::string_view line) { text += std::string(line) + "\r\n"; };
  if (entry.Style() == InvoiceStyle::LineItem) {
    for (int r = 1; r <= kSavedRows; ++r) add(r <= kGridRows ? RowLine(r, entry.Row(r)) : std::string());
    add(*trailer);
    return {text, {}};
  }
  const auto body = entry.MemoBody();
  if (!body) return {{}, "The memo text is longer than an invoice holds."};
  for (int n = 0; n < kSavedMemoLines; ++n) add(std::size_t(n) < body->size() ? (*body)[std::size_t(n)] : std::string());
  add(*trailer);
  GridRow memo;
  memo.cell = {"1", "Memo", entry.MemoQuantity(), entry.MemoDescription(), entry.NetText(), "M", entry.NetText()};
  add(RowLine(1, memo));
  return {text, {}};
}

void ReadSavedBody(InvoiceEntry& entry, std::string_view text) {
  const std::vector<std::string> lines = Lines(text);
  auto line = [&lines](int n) -> std::string_view {
    return std::size_t(n) <= lines.size() ? std::string_view(lines[std::size_t(n - 1)]) : std::string_view();
  };
  if (entry.Style() == InvoiceStyle::LineItem) {
    for (int r = 1; r <= kGridRows; ++r) {
      if (TrimBoth(line(r)).empty())
        entry.EraseLine(r);
      else
        ReadRow(entry, r, line(r));
    }
    ReadTrailer(entry, line(kSavedRows + 1));
    entry.Recompute();
    return;
  }
  entry.EraseAll();
  std::string body;
  // Longer lines than the memo holds are wrapped by the memo, not cut here.
  for (int n = 1; n <= kMemoLines; ++n) body += (n > 1 ? "\n" : "") + std::string(line(n));
  entry.SetMemoText(body);
  ReadTrailer(entry, line(kSavedMemoLines + 1));
  const std::string_view row = line(kSavedMemoLines + 2);
  ReadRow(entry, 1, row);
  entry.SetMemoDescription(TrimBoth(Column(row, 26, 57)));
  entry.SetMemoQuantity(TrimBoth(Column(row, 15, 24)));
  entry.Recompute();
}

bool SaveBodyFile(const InvoiceEntry& entry, common::Prompter& prompter) {
  const SavedBodyText saved = WriteSavedBody(entry);
  if (!saved.refusal.empty()) {
    prompter.Inform(saved.refusal, "Saved Lines File");
    return false;
  }
  const bool lines = entry.Style() == InvoiceStyle::LineItem;
  try {
    common::ReplaceFile(lines ? kSavedLinesFile : kSavedMemoFile, saved.text);
  } catch (const std::system_error& e) {
    prompter.Inform(std::string("The saved lines file could not be written: ") + e.what(), "Saved Lines File");
    return false;
  }
  prompter.Inform("The saved lines file has been replaced with the current invoice lines.", "Saved Lines File",
                  common::PromptIcon::Information);
  return true;
}

bool LoadBodyFile(InvoiceEntry& entry, common::Prompter& prompter) {
  const bool lines = entry.Style() == InvoiceStyle::LineItem;
  const std::string_view file = lines ? kSavedLinesFile : kSavedMemoFile;
  if (!std::filesystem::exists(file)) {
    if (lines)
      prompter.Inform("You have not created a saved lines file.", "Load Saved Lines");
    else
      prompter.Inform("You have not created a saved memo file.", "Load Saved Memo");
    return false;
  }
  try {
    ReadSavedBody(entry, common::ReadWholeFile(file));
  } catch (const std::system_error& e) {
    prompter.Inform(std::string("The saved lines file could not be read: ") + e.what(),
                    lines ? "Load Saved Lines" : "Load Saved Memo");
    return false;
  }
  return true;
}

}  // namespace tf::invoicing
