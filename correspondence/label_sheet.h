#pragma once
// Mailing labels on sheets: every customer of the queue, as many copies as asked, label after
// label across each row and down the rows of the sheet, from the start label on, in the
// layout's font; with the return address, the company's name and address (and its picture, and
// a line) above the recipient.
//
// Each entry's customer is read by its exact number. An entry whose customer is gone (deleted or
// renumbered since it was queued) is skipped and named, never replaced by the customer whose
// number follows. Every customer is looked up before the job starts, so a queue of which none
// is left prints nothing rather than a blank page, and a page is begun only for a label that is
// really printed, so no blank page is ejected at the end.

#include <cstdint>
#include <optional>
#include <utility>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/print_canvas.h"
#include "common/record_buffer.h"
#include "correspondence/label_layout.h"
#include "correspondence/label_queue.h"
#include "engine/core/engine.h"

namespace tf::correspondence {

inline constexpr std::string_view kLabelJobTitle = "Mailing Labels";
// The height of a line of label text: a text with capitals and descenders.
inline constexpr std::string_view kLineHeightSample = "MXjpy";

// Where the queue's customers are read.
class CustomerLookup {
 public:
  enum class Result { Found, Missing, Failed };
  virtual ~CustomerLookup() = default;
  // The customer whose number is exactly `number` (trimmed, upper-cased) into `record`.
  virtual Result Find(std::string_view number, common::RecordBuffer& record) = 0;
  // After Failed: why, in words with the status.
  virtual std::string FailureText() const = 0;
};

// The company's open customer file.
class CustomerFileLookup : public CustomerLookup {
 public:
  explicit CustomerFileLookup(engine::FileBlock* customers) : customers_(customers) {}
  Result Find(std::string_view number, common::RecordBuffer& record) override;
  std::string FailureText() const override;

 private:
  engine::FileBlock* customers_;
  int status_ = 0;
};

struct LabelPrintRequest {
  const LabelLayout& layout;
  int startLabel = 1;  // 1 .. the labels of a sheet
  int copies = 1;      // of each label
  std::span<const std::uint8_t> company;  // the company record: the return address
};

struct LabelPrintOutcome {
  enum class Result {
    Printed,   // the job ended well
    Refused,   // the layout or the start label cannot be printed; nothing started
    NoneFound, // not one customer of the queue is left; nothing started
    Failed,    // the job could not start or finish, or the customer file could not be read
  } result = Result::Refused;
  int labels = 0;
  int pages = 0;
  std::vector<std::string> missing;  // the numbers of the entries skipped, in queue order
  std::string message;               // for every result but Printed

  bool Printed() const { return result == Result::Printed; }
};

LabelPrintOutcome PrintLabels(common::PrintCanvas& canvas, const LabelPrintRequest& request,
                              const std::vector<LabelQueueEntry>& entries, CustomerLookup& customers);

// "Customer 1002 is no longer in the customer file; its label was not printed." (or the list of
// several numbers); empty when none was missing.
std::string MissingCustomersText(const std::vector<std::string>& numbers);

// The width and height in pixels of a BMP file; nothing when it cannot be read as one.
std::optional<std::pair<int, int>> BitmapSize(const std::string& path);

}  // namespace tf::correspondence
