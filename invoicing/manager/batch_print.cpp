#include "invoicing/manager/batch_print.h"

#include <algorithm>

#include "common/text.h"

namespace tf::invoicing {

BatchPrompt BatchPromptFor(int count, bool emailMode, bool packingSlips, bool fileCopies) {
  BatchPrompt p;
  p.countLine = "There are " + std::to_string(count) + (emailMode ? " invoice(s) to e-mail." : " invoice(s) to print.");
  if (emailMode) {
    p.line2 = "* E-Mail Mode *";
    p.line3 = "(No packing slips or copies.)";
    p.button = "&E-Mail";
  } else {
    p.line2 = packingSlips ? "Packing Slips will be printed." : "Packing Slips are turned off.";
    p.line3 = fileCopies ? "File Copies will be printed." : "File Copies are turned off.";
    p.button = "&Print";
  }
  p.preset = std::to_string(std::min(count, 9999));
  return p;
}

std::optional<int> AcceptBatchNumber(std::string_view typed, common::Prompter& prompter) {
  const std::string digits = common::TrimBoth(typed);
  if (digits.empty() || digits.size() > kBatchNumberDigits ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    prompter.Inform("You need to specify the number to print.", "Print Number");
    return std::nullopt;
  }
  return std::stoi(digits);
}

}  // namespace tf::invoicing
