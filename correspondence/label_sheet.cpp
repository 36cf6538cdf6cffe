#include "correspondence/label_sheet.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/record_fields.h"
#include "common/text.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"

namespace tf::correspondence {
namespace {

namespace co = records::company;
namespace cu = records::customer;

// The positions of a sheet, label after label: across the row, then down; a new sheet after the
// last row. The page itself is begun by the caller when a label is drawn there.
class SheetCursor {
 public:
  explicit SheetCursor(const SheetGeometry& g) : g_(g), x_(g.leftMargin), y_(g.topMargin) {}
  int x() const { return x_; }
  int y() const { return y_; }
  // True when the next position lies on a new sheet.
  bool Advance() {
    if (++k_ > g_.columns) {
      k_ = 1;
      ++j_;
      x_ = g_.leftMargin;
      y_ += g_.labelHeight;
    } else {
      x_ += g_.labelWidth;
    }
    if (j_ <= g_.rows) return false;
    j_ = 1;
    x_ = g_.leftMargin;
    y_ = g_.topMargin;
    return true;
  }

 private:
  SheetGeometry g_;
  int k_ = 1, j_ = 1;
  int x_, y_;
};

class LabelPainter {
 public:
  LabelPainter(common::PrintCanvas& c, const LabelPrintRequest& r, const SheetGeometry& g)
      : c_(c), layout_(r.layout), company_(r.company), sheet_(g) {}

  void Begin() {
    c_.SetBrush(common::BrushStyle::Clear, 0x00FFFFFF);  // text never hides the picture or the line
    c_.SetPenColour(layout_.Font.colour);
    c_.SetFont(layout_.Font);
    line_ = c_.TextHeight(kLineHeightSample);
    const std::string bitmap = common::TrimBoth(layout_.BitmapPath);
    if (layout_.PrintReturnAddress && !bitmap.empty() && std::filesystem::is_regular_file(bitmap)) {
      // The picture stands as tall as the five lines of the return address beside it.
      bitmapPath_ = bitmap;
      bitmapHeight_ = 5 * line_;
      const auto size = BitmapSize(bitmap);
      bitmapWidth_ = size && size->second > 0 ? bitmapHeight_ * size->first / size->second : bitmapHeight_;
      bitmapWidth_ = std::clamp(bitmapWidth_, 1, std::max(1, sheet_.labelWidth / 2));
    }
  }

  void Label(int x, int y, std::span<const std::uint8_t> customer) {
    int blockX = x, blockY = y;
    if (layout_.PrintReturnAddress) {
      int textX = x;
      if (!bitmapPath_.empty() && c_.DrawBitmap(x, y, x + bitmapWidth_, y + bitmapHeight_, bitmapPath_))
        textX = x + bitmapWidth_ + 25;
      const common::TextField lines[] = {co::kCompanyName, co::kAddress1, co::kAddress2, co::kAddress3,
                                         co::kAddress4};
      for (int i = 0; i < 5; ++i) Text(textX, y + i * line_, common::ReadText(company_, lines[i]));
      if (layout_.PrintLine) {
        c_.SetPenWidth(CountOrOne(layout_.LineWidth));
        const int lineY = y + 5 * line_ + 20;
        c_.Line(x - 25, lineY, x + sheet_.labelWidth / 10 * 8, lineY);
      }
      blockY = y + 6 * line_;
      Text(x, blockY, layout_.SendToCaption);
      blockX = x + c_.TextWidth(layout_.SendToCaption + "X");
    }
    Text(blockX, blockY, common::ReadText(customer, cu::kCustomerName));
    const auto& address = layout_.UseShippingAddress ? cu::kShipAddress : cu::kBillAddress;
    for (int i = 0; i < 4; ++i) Text(blockX, blockY + (i + 1) * line_, common::ReadText(customer, address[i]));
  }

 private:
  void Text(int x, int y, const std::string& text) {
    if (!common::TrimBoth(text).empty()) c_.TextOut(x, y, text);
  }

  common::PrintCanvas& c_;
  const LabelLayout& layout_;
  std::span<const std::uint8_t> company_;
  SheetGeometry sheet_;
  int line_ = 0;
  std::string bitmapPath_;
  int bitmapWidth_ = 0, bitmapHeight_ = 0;
};

LabelPrintOutcome Outcome(LabelPrintOutcome::Result result, std::string message) {
  LabelPrintOutcome o;
  o.result = result;
  o.message = std::move(message);
  return o;
}

std::optional<std::string> PageProblem(const common::PrintCanvas& canvas, const SheetGeometry& g) {
  const int lastX = g.leftMargin + (g.columns - 1) * g.labelWidth;
  const int lastY = g.topMargin + (g.rows - 1) * g.labelHeight;
  if (lastX >= canvas.PageWidth())
    return "Column " + std::to_string(g.columns) + " of the sheet would start " + std::to_string(lastX) +
           " units from the left, beyond the page's printable width of " + std::to_string(canvas.PageWidth()) +
           ". Unable to print.";
  if (lastY >= canvas.PageHeight())
    return "Row " + std::to_string(g.rows) + " of the sheet would start " + std::to_string(lastY) +
           " units from the top, beyond the page's printable height of " + std::to_string(canvas.PageHeight()) +
           ". Unable to print.";
  return std::nullopt;
}

}  // namespace

CustomerLookup::Result CustomerFileLookup::Find(std::string_view number, common::RecordBuffer& record) {
  if (cu::FindCustomerByNumber(customers_, number, record)) return Result::Found;
  if (engine::EngineOK) return Result::Missing;  // a miss, not a failure of the file
  status_ = engine::EngineStatus;
  return Result::Failed;
}

std::string CustomerFileLookup::FailureText() const {
  return "The customer file could not be read (status " + std::to_string(status_) + ").";
}

LabelPrintOutcome PrintLabels(common::PrintCanvas& canvas, const LabelPrintRequest& request,
                              const std::vector<LabelQueueEntry>& entries, CustomerLookup& customers) {
  using Result = LabelPrintOutcome::Result;
  if (auto problem = GeometryProblem(request.layout, "Unable to print.")) return Outcome(Result::Refused, *problem);
  const SheetGeometry sheet = Geometry(request.layout);
  if (auto problem = StartLabelProblem(sheet, request.startLabel)) return Outcome(Result::Refused, *problem);
  if (auto problem = PageProblem(canvas, sheet)) return Outcome(Result::Refused, *problem);
  const int copies = std::max(1, request.copies);

  // Who is still there, before anything goes to the printer.
  LabelPrintOutcome out;
  std::vector<std::size_t> found;
  common::RecordBuffer record = cu::NewCustomerRecord();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    switch (customers.Find(entries[i].CustomerNumber, record)) {
      case CustomerLookup::Result::Found: found.push_back(i); break;
      case CustomerLookup::Result::Missing: out.missing.push_back(entries[i].CustomerNumber); break;
      case CustomerLookup::Result::Failed:
        return Outcome(Result::Failed, customers.FailureText() + " Nothing was printed.");
    }
  }
  if (found.empty()) {
    LabelPrintOutcome none = Outcome(Result::NoneFound, "None of the customers in the print queue is in the "
                                                         "customer file any more. Nothing was printed.");
    none.missing = std::move(out.missing);
    return none;
  }

  canvas.SetTitle(kLabelJobTitle);
  if (!canvas.BeginDoc()) return Outcome(Result::Failed, std::string(common::kPrintingFailedText));
  LabelPainter painter(canvas, request, sheet);
  painter.Begin();
  SheetCursor cursor(sheet);
  for (int skip = 1; skip < request.startLabel; ++skip) cursor.Advance();
  bool newSheet = false;
  out.pages = 1;
  for (std::size_t i : found) {
    if (customers.Find(entries[i].CustomerNumber, record) != CustomerLookup::Result::Found) {
      canvas.EndDoc();
      return Outcome(Result::Failed, customers.FailureText() + " The labels were not all printed.");
    }
    for (int copy = 0; copy < copies; ++copy) {
      if (newSheet) {
        canvas.NewPage();
        ++out.pages;
        newSheet = false;
      }
      painter.Label(cursor.x(), cursor.y(), record);
      ++out.labels;
      newSheet = cursor.Advance();
    }
  }
  if (!canvas.EndDoc()) return Outcome(Result::Failed, std::string(common::kPrintingFailedText));
  out.result = Result::Printed;
  return out;
}

std::string MissingCustomersText(const std::vector<std::string>& numbers) {
  if (numbers.empty()) return {};
  if (numbers.size() == 1)
    return "Customer " + numbers[0] + " is no longer in the customer file; its label was not printed.";
  std::string list;
  for (std::size_t i = 0; i < numbers.size(); ++i) list += (i ? ", " : "") + numbers[i];
  return std::to_string(numbers.size()) + " customers are no longer in the customer file; their labels were not "
         "printed: " + list + ".";
}

std::optional<std::pair<int, int>> BitmapSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char h[26] = {};
  if (!in.read(reinterpret_cast<char*>(h), sizeof h) || h[0] != 'B' || h[1] != 'M') return std::nullopt;
  const auto i32 = [&](int at) {
    return std::int32_t(std::uint32_t(h[at]) | std::uint32_t(h[at + 1]) << 8 | std::uint32_t(h[at + 2]) << 16 |
                        std::uint32_t(h[at + 3]) << 24);
  };
  const std::int32_t headerSize = i32(14);
  int width = 0, height = 0;
  if (headerSize == 12) {  // the oldest header: 16-bit sizes
    width = h[18] | h[19] << 8;
    height = h[20] | h[21] << 8;
  } else if (headerSize >= 40) {
    width = i32(18);
    height = std::abs(i32(22));  // negative: stored top-down
  }
  if (width <= 0 || height <= 0) return std::nullopt;
  return std::pair{width, height};
}

}  // namespace tf::correspondence
