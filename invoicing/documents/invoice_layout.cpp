#include "invoicing/documents/invoice_layout.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "common/money_format.h"
#include "common/text.h"

namespace tf::invoicing::documents {
namespace {

using common::PrintCanvas;

constexpr std::int32_t kShade = 0x00E0E0E0;
constexpr std::int32_t kBlack = 0;
// How far rules and boxes stay from the page's edges.
constexpr int kEdge = 20;

enum Font { kBody, kCaption, kCompany, kCustomer, kAging, kSales };

// The customer's notes broken into lines no wider than `width` on the canvas, each cut to 80
// characters; at most `count` lines.
std::vector<std::string> WrapNotes(PrintCanvas& canvas, const std::string& notes, int width, std::size_t count) {
  std::vector<std::string> lines;
  std::string text = notes;
  std::replace(text.begin(), text.end(), '\r', ' ');
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::istringstream words(text);
  std::string word, line;
  while (words >> word && lines.size() < count) {
    const std::string candidate = line.empty() ? word : line + " " + word;
    if (!line.empty() && canvas.TextWidth(candidate) > width) {
      lines.push_back(common::Cut(line, 80));
      line = word;
    } else {
      line = candidate;
    }
  }
  if (!line.empty() && lines.size() < count) lines.push_back(common::Cut(line, 80));
  return lines;
}

class CopyPrinter {
 public:
  CopyPrinter(PrintCanvas& canvas, const InvoiceDocument& doc, CopyKind copy, const LayoutOptions& options)
      : c_(canvas), doc_(doc), copy_(copy), o_(options) {}

  int Draw() {
    width_ = c_.PageWidth();
    height_ = c_.PageHeight();
    Use(kBody);
    line_ = std::max(1, c_.TextHeight("MXjpy"));
    MeasureTable();
    StartPage();
    if (doc_.memo)
      DrawMemo();
    else
      DrawLines();
    if (!doc_.memo && o_.verticalLines) VerticalRules();
    if (o_.moveDownTotals && rowsOnPage_ < o_.maxLines)
      y_ = std::min(y_ + (o_.maxLines - rowsOnPage_) * line_, std::max(y_, height_ - 14 * line_ - 100));
    const int totalsEnd = DrawTotals();
    DrawFooter(totalsEnd);
    return page_;
  }

 private:
  void Use(Font font) { c_.SetFont(o_.fonts[font]); }
  void UseLarge(Font font) {
    common::FontSpec large = o_.fonts[font];
    large.size *= 2;
    c_.SetFont(large);
  }
  int Centre(std::string_view text) { return (width_ - c_.TextWidth(text)) / 2; }
  void RightAligned(int right, int y, std::string_view text) { c_.TextOut(right - c_.TextWidth(text), y, text); }
  void Plain() {
    c_.SetPenWidth(o_.lineWidth);
    c_.SetPenColour(kBlack);
    c_.SetBrush(common::BrushStyle::Clear, 0x00FFFFFF);
  }

  // --- the page head -------------------------------------------------------------------------
  void StartPage() {
    Plain();
    rowsOnPage_ = 0;
    if (o_.boxInvoices) c_.Rectangle(kEdge, o_.boxTop, width_ - kEdge, height_ - kEdge);
    int y = DrawHeader();
    y = DrawAddresses(y + line_);
    DrawReference(y + 2 * line_);
  }

  int DrawHeader() {
    const int x0 = o_.leftMargin;
    const int y0 = o_.topMargin;
    const int end = y0 + 9 * line_;
    if (o_.letterhead) {
      // Pre-printed paper carries the company: its space stays free.
      if (doc_.IsRepeatMaster()) {
        UseLarge(kCaption);
        c_.TextOut(Centre(kRepeatMasterTitle), y0, kRepeatMasterTitle);
      }
      return end;
    }
    int companyX = x0 + o_.pushAddressRight;
    if (o_.printLogo && !o_.logoPath.empty()) {
      const int side = 5 * line_;
      if (c_.DrawBitmap(x0, y0, x0 + side, y0 + side, o_.logoPath)) companyX += side + 25;
    }
    const std::string title = CopyTitle(copy_, doc_, o_);
    UseLarge(kCaption);
    if (!title.empty()) c_.TextOut(Centre(title), y0, title);
    if (copy_ == CopyKind::Invoice && doc_.AlreadyPrinted() && o_.duplicateNotice) {
      Use(kCompany);
      c_.TextOut(Centre(kDuplicateNotice), y0 + 4 * line_ - std::max(0, c_.TextHeight("MXjpy") - line_),
                 kDuplicateNotice);
    }
    if (!o_.noLargeNumbers) {
      UseLarge(kCaption);
      c_.TextOut(Centre(doc_.number), y0 + 5 * line_, doc_.number);
    }
    if (!o_.omitCompanyName) {
      Use(kCompany);
      const int step = c_.TextHeight("MXjpy");
      int y = y0;
      c_.TextOut(companyX, y, o_.companyName);
      for (const std::string& address : o_.companyAddress) {
        if (address.empty()) continue;
        y += step;
        c_.TextOut(companyX, y, address);
      }
    }
    return end;
  }

  int DrawAddresses(int y) {
    Use(kCustomer);
    const int step = c_.TextHeight("MXjpy");
    const int billX = o_.leftMargin + o_.pushAddressRight;
    c_.TextOut(billX, y, doc_.billName);
    for (int i = 0; i < 4; ++i) c_.TextOut(billX, y + (i + 1) * step, doc_.billTo[std::size_t(i)]);
    if (!doc_.shipTo[0].empty()) {
      const int shipX = width_ / 2 + o_.pushAddressRight;
      c_.TextOut(shipX, y, o_.shipToCaption);
      for (int i = 0; i < 4; ++i) c_.TextOut(shipX, y + (i + 1) * step, doc_.shipTo[std::size_t(i)]);
    }
    return y + 5 * step;
  }

  void DrawReference(int y) {
    Use(kBody);
    if (o_.shading) {
      c_.SetBrush(common::BrushStyle::Solid, kShade);
      c_.SetPenColour(kShade);
      c_.Rectangle(kEdge, y - line_ / 4, width_ - kEdge, y + 3 * line_);
      Plain();
    }
    const int x0 = o_.leftMargin;
    c_.TextOut(x0, y, "Date: " + doc_.date);
    const std::string number = "Number: " + doc_.number;
    c_.TextOut(Centre(number) - c_.TextWidth("XXXX"), y, number);
    c_.TextOut(width_ * 2 / 3, y, "Account Number: " + doc_.accountNumber);
    c_.TextOut(x0, y + line_, "Payment Terms: " + doc_.terms);
    c_.TextOut(x0, y + 2 * line_, "Reference: " + doc_.reference);
    if (o_.horizontalLines) c_.Line(kEdge, y + 3 * line_, width_ - kEdge, y + 3 * line_);
    headingsY_ = y + 4 * line_;
    y_ = y + 6 * line_;
    if (doc_.memo) {
      c_.TextOut(x0, headingsY_, o_.memoHeading);
    } else {
      DrawHeadings();
    }
  }

  // --- the line table ------------------------------------------------------------------------
  void MeasureTable() {
    const int gap = c_.TextWidth("Xx");
    codeWidth_ = o_.productCodes ? c_.TextWidth("XXXXXXXXXX") : 0;
    const int quantity = c_.TextWidth("XXXXXXXXXX");
    const int description = c_.TextWidth("XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX");
    const int price = c_.TextWidth("XXXXXXXXXX");
    const int tax = c_.TextWidth("X");
    const int extension = c_.TextWidth("XXXXXXXXXXXX");
    const std::string whole = o_.productCodes ? std::string(83, 'X') + "x" : std::string(72, 'X') + "x";
    codeX_ = std::max(0, (width_ - c_.TextWidth(whole)) / 2);
    quantityX_ = codeX_ + (o_.productCodes ? codeWidth_ + gap : 0);
    quantityRight_ = quantityX_ + quantity;
    descriptionX_ = quantityRight_ + gap;
    priceX_ = descriptionX_ + description + gap;
    priceRight_ = priceX_ + price;
    taxX_ = priceRight_ + gap;
    extensionX_ = taxX_ + tax + gap;
    extensionRight_ = extensionX_ + extension;
    // Rules between the columns, in the middle of each gap.
    rules_.clear();
    if (o_.productCodes) rules_.push_back(quantityX_ - gap / 2);
    for (int x : {descriptionX_, priceX_, taxX_, extensionX_}) rules_.push_back(x - gap / 2);
  }

  void DrawHeadings() {
    Use(kBody);
    if (o_.productCodes) c_.TextOut(codeX_, headingsY_, o_.codeHeading);
    RightAligned(quantityRight_, headingsY_, o_.quantityHeading);
    c_.TextOut(descriptionX_, headingsY_, o_.descriptionHeading);
    RightAligned(priceRight_, headingsY_, o_.unitCostHeading);
    c_.TextOut(taxX_, headingsY_, "T");
    RightAligned(extensionRight_, headingsY_, o_.extensionHeading);
  }

  void DrawRow(const DocumentLine& line) {
    const bool slip = copy_ == CopyKind::PackingSlip;
    if (o_.productCodes) c_.TextOut(codeX_, y_, line.code);
    RightAligned(quantityRight_, y_, line.quantity);
    c_.TextOut(descriptionX_, y_, line.description);
    if (!line.unitPrice.empty()) RightAligned(priceRight_, y_, slip ? kHiddenAmount : line.unitPrice);
    c_.TextOut(taxX_, y_, line.taxMark);
    if (!line.extension.empty()) RightAligned(extensionRight_, y_, slip ? kHiddenAmount : line.extension);
  }

  void DrawLines() {
    Use(kBody);
    bool first = true;
    for (const DocumentLine& line : doc_.lines) {
      if (!line.Printable()) continue;
      // A page takes at least one row, however tall its head: a head taller than the page
      // must not break pages without end.
      if (!first && rowsOnPage_ > 0 && y_ > height_ - 10 * line_) BreakPage();
      first = false;
      DrawRow(line);
      y_ += line_;
      ++rowsOnPage_;
    }
  }

  void VerticalRules() {
    Plain();
    for (int x : rules_) c_.Line(x, headingsY_, x, y_);
  }

  void BreakPage() {
    if (o_.verticalLines) VerticalRules();
    Use(kBody);
    const std::string text = "Continued on page number " + std::to_string(page_ + 1) + " ...";
    c_.TextOut(Centre(text), y_ + 2 * line_, text);
    c_.NewPage();
    ++page_;
    StartPage();
    Use(kBody);
  }

  void DrawMemo() {
    Use(kBody);
    for (std::size_t i = 0; i < doc_.memoLines.size(); ++i) {
      const std::string& text = doc_.memoLines[i];
      // The last lines of the body take room only when they hold something.
      if (i >= 19 && text.empty()) continue;
      c_.TextOut(o_.leftMargin, y_, text);
      y_ += line_;
      ++rowsOnPage_;
    }
    y_ = std::max(y_, height_ - 14 * line_ - 100);
  }

  // --- totals and footer ---------------------------------------------------------------------
  int DrawTotals() {
    Use(kBody);
    int y = y_ + line_;
    if (copy_ == CopyKind::PackingSlip) {
      c_.TextOut(o_.leftMargin, y, kPackingSlipNote);
      return y + line_;
    }
    const int labelX = priceX_ - c_.TextWidth("XXXX");
    const int right = extensionRight_;
    auto amount = [&](int row, std::string_view label, common::Money value) {
      c_.TextOut(labelX, row, label);
      RightAligned(right, row, common::FormatComma0_00(value));
    };
    const int first = y;
    amount(y, "Total:", doc_.net);
    y += line_;
    if (!o_.taxHeading.empty() || !doc_.tax.IsZero()) {
      amount(y, o_.taxHeading.empty() ? "Tax:" : o_.taxHeading, doc_.tax);
      y += line_;
    }
    amount(y, "Grand Total:", doc_.total);
    y += line_;
    amount(y, "Balance Due:", doc_.balance);
    y += line_;
    int left = first;
    if (doc_.paidDate.size() > 7) {
      c_.TextOut(o_.leftMargin, left, "Paid Date: " + doc_.paidDate);
      left += line_;
    }
    c_.TextOut(o_.leftMargin, left, "Paid Amount: " + common::FormatComma0_00(doc_.paid));
    if (o_.horizontalLines) c_.Line(kEdge, y + line_ / 4, width_ - kEdge, y + line_ / 4);
    return y;
  }

  void DrawFooter(int totalsEnd) {
    if (o_.printSalesMessage && totalsEnd < height_ - 7 * line_ - 100) {
      Use(kSales);
      std::vector<std::string> lines;
      if (doc_.notesOnInvoices)
        lines = WrapNotes(c_, doc_.customerNotes, width_ / 2, 4);
      else
        lines.assign(o_.salesMessage.begin(), o_.salesMessage.end());
      for (std::size_t k = 0; k < lines.size() && k < 4; ++k)
        if (!lines[k].empty()) c_.TextOut(Centre(lines[k]), height_ - int(7 - k) * line_ - 100, lines[k]);
    }
    if (o_.customerAging && copy_ != CopyKind::PackingSlip) {
      Use(kAging);
      const int step = c_.TextHeight("MXjpy");
      const int y = height_ - 2 * step - 60;
      const int x0 = o_.leftMargin;
      if (o_.shading) {
        c_.SetBrush(common::BrushStyle::Solid, kShade);
        c_.Rectangle(x0, y - step / 2, width_ - kEdge - x0 / 2, y + step + step / 2);
        Plain();
        Use(kAging);
      }
      c_.TextOut(x0 + 10, y, "Account Status:");
      const int start = x0 + 10 + c_.TextWidth("Account Status:  ");
      const int column = std::max(1, (width_ - kEdge - start) / 4);
      for (int k = 0; k < 4; ++k) {
        const std::string text = o_.agingCaption[std::size_t(k)] + " " + doc_.aging[std::size_t(k)];
        c_.TextOut(start + k * column, y, text);
      }
    }
  }

  PrintCanvas& c_;
  const InvoiceDocument& doc_;
  CopyKind copy_;
  const LayoutOptions& o_;
  int width_ = 0;
  int height_ = 0;
  int line_ = 1;
  int page_ = 1;
  int y_ = 0;
  int headingsY_ = 0;
  int rowsOnPage_ = 0;
  int codeWidth_ = 0;
  int codeX_ = 0, quantityX_ = 0, quantityRight_ = 0, descriptionX_ = 0, priceX_ = 0, priceRight_ = 0, taxX_ = 0,
      extensionX_ = 0, extensionRight_ = 0;
  std::vector<int> rules_;
};

}  // namespace

std::string JobTitle(CopyKind copy, std::string_view number) {
  switch (copy) {
    case CopyKind::Invoice: return "Invoice - " + std::string(number);
    case CopyKind::PackingSlip: return "Packing Slip - " + std::string(number);
    case CopyKind::FileCopy: return "File Copy - " + std::string(number);
  }
  return std::string(number);
}

std::string CopyTitle(CopyKind copy, const InvoiceDocument& doc, const LayoutOptions& options) {
  switch (copy) {
    case CopyKind::Invoice:
      if (doc.IsRepeatMaster()) return std::string(kRepeatMasterTitle);
      if (doc.IsCredit()) return std::string(kCreditTitle);
      return options.invoiceTitle;
    case CopyKind::PackingSlip: return options.packingSlipTitle;
    case CopyKind::FileCopy: return options.fileCopyTitle;
  }
  return {};
}

int DrawInvoiceCopy(common::PrintCanvas& canvas, const InvoiceDocument& doc, CopyKind copy,
                    const LayoutOptions& options) {
  return CopyPrinter(canvas, doc, copy, options).Draw();
}

}  // namespace tf::invoicing::documents
