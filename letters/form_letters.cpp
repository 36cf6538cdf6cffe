#include "letters/form_letters.h"

#include <optional>

#include "common/record_buffer.h"
#include "common/stored_text.h"
#include "common/text.h"
#include "letters/keyword_merge.h"
#include "letters/letter_print.h"
#include "records/customer_file.h"

namespace tf::letters {

namespace cu = records::customer;

std::string LetterRefusal(const correspondence::LabelQueue& queue, const LetterDocument& letter) {
  if (queue.Size() == 0) return std::string(kEmptyQueueText);
  if (letter.Blank()) return std::string(kNoTextText);
  if (std::optional<std::string> unprintable = UnprintableText(letter)) return *unprintable;
  return {};
}

std::string LetterRunOutcome::MissingText() const {
  if (missing.empty()) return {};
  std::string numbers;
  for (std::size_t i = 0; i < missing.size(); ++i) {
    if (i > 0) numbers += i + 1 == missing.size() ? " and " : ", ";
    numbers += common::Latin1ToUtf8(common::TrimBoth(missing[i]));
  }
  if (missing.size() == 1) return "1 letter was not printed: customer " + numbers + " is no longer on file.";
  return std::to_string(missing.size()) + " letters were not printed: customers " + numbers +
         " are no longer on file.";
}

LetterRunOutcome PrintFormLetters(const LetterDocument& letter, const correspondence::LabelQueue& queue,
                                  const LetterRunServices& services, common::PrintCanvas& canvas,
                                  std::string_view title) {
  LetterRunOutcome outcome;
  if (std::string refusal = LetterRefusal(queue, letter); !refusal.empty()) {
    outcome.failed = true;
    outcome.message = refusal;
    return outcome;
  }
  // Every customer is read before the job starts, so a file that fails half-way prints nothing.
  const auto& entries = queue.Entries();
  std::vector<std::optional<MergeValues>> values;
  values.reserve(entries.size());
  common::RecordBuffer record = cu::NewCustomerRecord();
  for (const correspondence::LabelQueueEntry& entry : entries) {
    if (cu::FindCustomerByNumber(services.customers, entry.CustomerNumber, record)) {
      values.push_back(ValuesFor(record, services.company));
      continue;
    }
    if (!engine::EngineOK) {
      outcome.failed = true;
      outcome.message = "The customer file could not be read (status " + std::to_string(engine::EngineStatus) +
                        "). No letters were printed.";
      return outcome;
    }
    outcome.missing.push_back(entry.CustomerNumber);
    values.push_back(std::nullopt);
  }
  if (outcome.missing.size() == entries.size()) return outcome;  // nobody to write to

  canvas.SetTitle(title);
  if (!canvas.BeginDoc()) {
    outcome.failed = true;
    outcome.message = std::string(common::kPrintingFailedText);
    return outcome;
  }
  LetterPrinter printer(canvas);
  for (std::size_t k = 0; k < entries.size(); ++k) {
    services.progress(k + 1, entries.size());
    if (!values[k]) continue;
    printer.Print(MergeLetter(letter, *values[k]));
    ++outcome.printed;
  }
  outcome.pages = printer.Pages();
  if (!canvas.EndDoc()) {
    outcome.failed = true;
    outcome.message = std::string(common::kPrintingFailedText);
    outcome.printed = 0;
  }
  return outcome;
}

}  // namespace tf::letters
