#pragma once
// The batch print dialog TInvBatch ("Batch Print Invoices") without its window: what it says
// about the run to come and the number it accepts.

#include <optional>
#include <string>
#include <string_view>

#include "common/prompter.h"

namespace tf::invoicing {

inline constexpr std::string_view kBatchCaption = "Batch Print Invoices";
inline constexpr std::string_view kNoInvoicesToPrint = "There are no invoices to print.";
inline constexpr std::string_view kBatchPrintTitle = "Batch Print";
inline constexpr std::size_t kBatchNumberDigits = 4;

struct BatchPrompt {
  std::string countLine;  // "There are 12 invoice(s) to print."
  std::string line2;      // packing slips, or "* E-Mail Mode *"
  std::string line3;      // file copies, or "(No packing slips or copies.)"
  std::string button;     // "&Print" or "&E-Mail"
  std::string preset;     // the count, at most four digits
};

BatchPrompt BatchPromptFor(int count, bool emailMode, bool packingSlips, bool fileCopies);

// OK with the typed number: how many to print, or nothing after saying why (an empty number).
std::optional<int> AcceptBatchNumber(std::string_view typed, common::Prompter& prompter);

}  // namespace tf::invoicing
