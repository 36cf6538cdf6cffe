#pragma once
// The saved invoice body: one reusable set of grid rows ("SAVELINE.SAV") or one memo body
// ("SAVEMEMO.SAV") in the working folder, written from invoice entry and loaded into it.
//
// SAVELINE.SAV: lines 1..99 are grid rows 1..99 in fixed columns (line number, code, quantity,
// description, unit price, tax mark, extension), line 100 is blank and line 101 the trailer
// (notes in columns 1-60, statement note 61-85, key code 86-93). SAVEMEMO.SAV: lines 1..26 the
// memo body, line 27 the trailer, line 28 the memo's line in the row format. Lines end in
// CR LF. A file with fewer lines than its format loads its missing lines as empty ones.
//
// The trailer keeps 60 characters of notes and 25 of statement note: a body whose notes are
// longer is not written, rather than cut.

#include <optional>
#include <string>
#include <string_view>

#include "common/prompter.h"
#include "invoicing/invoice_entry.h"

namespace tf::invoicing {

inline constexpr std::string_view kSavedLinesFile = "SAVELINE.SAV";
inline constexpr std::string_view kSavedMemoFile = "SAVEMEMO.SAV";

// The file's text for the entry's style, or the reason it cannot be written.
struct SavedBodyText {
  std::string text;
  std::string refusal;
};
SavedBodyText WriteSavedBody(const InvoiceEntry& entry);

// Fills the entry (in its style) from a file's text; totals are recomputed.
void ReadSavedBody(InvoiceEntry& entry, std::string_view text);

// ExportButn: replaces the style's file and tells so. False (told why) when it was not written.
bool SaveBodyFile(const InvoiceEntry& entry, common::Prompter& prompter);
// ImportButn: loads the style's file; a missing one is told. False when nothing was loaded.
bool LoadBodyFile(InvoiceEntry& entry, common::Prompter& prompter);

}  // namespace tf::invoicing
