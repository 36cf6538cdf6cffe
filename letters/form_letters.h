#pragma once
// Printing a form letter for the label print queue: one letter per queue entry, in queue order,
// each with the keywords replaced by that entry's customer and the company, all in one print
// job with every letter on pages of its own. The same procedure serves the Form Letter Wizard
// and `tallyfold-cli letters`.
//
// Every entry's customer is looked up by its exact number: an entry whose customer is gone or
// was renumbered is skipped and named afterwards, never printed for the customer whose number
// happens to come next. The queue is not changed. Plain C++.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/print_canvas.h"
#include "correspondence/label_queue.h"
#include "engine/core/engine.h"
#include "letters/letter_document.h"

namespace tf::letters {

inline constexpr std::string_view kLetterWizardCaption = "Letter Wizard";
inline constexpr std::string_view kEmptyQueueText =
    "You do not have any customer records listed in the Label print queue.";
inline constexpr std::string_view kNoTextText =
    "You do not have any text to print. You need to create or open an existing letter.";

// Why the letter cannot be printed for the queue before anything is asked: the empty queue,
// the letter without text, or a character the printer has none for. Empty when it can be.
std::string LetterRefusal(const correspondence::LabelQueue& queue, const LetterDocument& letter);

struct LetterRunOutcome {
  int printed = 0;                  // letters printed
  std::vector<std::string> missing; // the numbers of entries whose customer is not on file
  bool failed = false;              // nothing, or not all, reached the printer
  std::string message;              // why, when failed
  int pages = 0;

  // "1 letter was not printed: customer 17 is no longer on file." and the like; empty when
  // every entry was printed.
  std::string MissingText() const;
};

struct LetterRunServices {
  engine::FileBlock* customers;                // the company's customer file block, open
  std::span<const std::uint8_t> company;       // the company record
  std::function<void(std::size_t k, std::size_t n)> progress = [](std::size_t, std::size_t) {};
};

// Prints `letter` once per entry on `canvas` (a job titled `title`). Checks LetterRefusal first
// and prints nothing then. A customer file that cannot be read, or a job that does not start or
// end, fails the run with its message.
LetterRunOutcome PrintFormLetters(const LetterDocument& letter, const correspondence::LabelQueue& queue,
                                  const LetterRunServices& services, common::PrintCanvas& canvas,
                                  std::string_view title);

}  // namespace tf::letters
