#include "statements/statement_print.h"

#include <algorithm>
#include <filesystem>

#include "common/date_text.h"
#include "common/integer_text.h"
#include "common/record_fields.h"
#include "common/stored_font.h"
#include "common/text.h"
#include "records/company_record.h"

namespace tf::statements {
namespace {

namespace co = records::company;
using common::ReadText;

// The logo's box; the company text starts 25 units to its right.
constexpr int kLogoWidth = 300;
constexpr int kLogoHeight = 150;
constexpr std::int32_t kShadeColour = 0x00C0C0C0;

class StatementPage {
 public:
  StatementPage(common::PrintCanvas& canvas, std::span<const std::uint8_t> company, const Statement& s,
                std::chrono::year_month_day today)
      : c_(canvas), co_(company), s_(s), today_(today) {
    x0_ = Number(co::kLeftFormMargin);
    top_ = Number(co::kTopFormMargin);
    push_ = Number(co::kPushAddressRight);
    w_ = c_.PageWidth();
    h_ = c_.PageHeight();
  }

  int Draw() {
    StartPage();
    const std::size_t last = s_.grid.size() - 1;  // the totals row
    for (std::size_t r = 1; r < last; ++r) {
      DrawRow(s_.grid[r]);
      y_ += line_;
      if (y_ > h_ - 250) Continue();
    }
    // The totals and their rules must stay clear of the aging line at the foot of the page.
    if (y_ + 3 * line_ > h_ - 2 * line_ - 110) Continue();
    DrawTotals();
    DrawFooter();
    return page_;
  }

 private:
  int Number(common::TextField f) const { return int(common::LeadingIntegerValue(ReadText(co_, f))); }
  // A font never set (size 0, as in a zero-filled record) prints at 10 points rather than not at all.
  common::FontSpec Font(co::DocumentFont f) const {
    common::FontSpec font = common::ReadFontSpec(co_, co::DocumentFontField(f));
    if (font.size <= 0) font.size = 10;
    return font;
  }
  void Body() {
    c_.SetFont(Font(co::DocumentFont::FormBody));
    line_ = c_.TextHeight("MXjpy");
  }
  int RightHalfCentre(std::string_view text) { return w_ / 2 + std::max(0, (w_ / 2 - c_.TextWidth(text)) / 2); }

  void Continue() {
    c_.TextOut(x0_, h_ - 100, "Continued on page " + std::to_string(page_ + 1) + " ...");
    c_.NewPage();
    ++page_;
    StartPage();
  }

  // Steps 1 to 6 of every page: frame, heading, customer, dates, column headings.
  void StartPage() {
    y_ = top_;
    c_.SetPenWidth(std::max(1, Number(co::kLineWidth)));
    c_.SetBrush(common::BrushStyle::Clear, 0x00FFFFFF);
    if (common::ReadBool(co_, co::kBoxStatements)) c_.Rectangle(20, Number(co::kBoxTop), w_ - 20, h_ - 20);
    Body();
    y_ += 2 * line_;
    DrawHeading();
    DrawCustomer();
    Body();
    c_.TextOut(x0_, y_, "Statement Date: " + common::FormatDate(today_, DateFormat()));
    c_.TextOut(w_ / 2, y_, "Account Number: " + s_.customerNumber);
    y_ += line_;
    c_.TextOut(x0_, y_, ReadText(co_, co::kStatementNote));
    y_ += 3 * line_;
    DrawColumnHeadings();
  }

  common::DateFormat DateFormat() const { return common::DateFormatFromCode(ReadText(co_, co::kDateFormat)); }

  void DrawHeading() {
    const std::string pageText = "Page Number: " + std::to_string(page_);
    if (common::ReadBool(co_, co::kLetterheadStyle)) {
      y_ += 9 * line_;
      c_.TextOut(RightHalfCentre(pageText), y_, pageText);
      y_ += 2 * line_;
      return;
    }
    int x = x0_ + push_;
    const std::string logo = ReadText(co_, co::kLogoPath);
    std::error_code ec;
    if (common::ReadBool(co_, co::kPrintLogo) && !common::TrimBoth(logo).empty() &&
        std::filesystem::is_regular_file(common::TrimBoth(logo), ec)) {
      if (c_.DrawBitmap(x0_, y_, x0_ + kLogoWidth, y_ + kLogoHeight, common::TrimBoth(logo))) x = x0_ + kLogoWidth + 25 + push_;
    }
    c_.SetFont(Font(co::DocumentFont::CaptionHeaders));
    const std::string title = common::TrimBoth(ReadText(co_, co::kStatementTitle));
    c_.TextOut(RightHalfCentre(title), y_ + 2 * line_, title);
    if (!common::ReadFlag(co_, co::kOmitCompanyNameOnForms)) {
      c_.SetFont(Font(co::DocumentFont::CompanyAddress));
      const int step = c_.TextHeight("MXjpy");
      int yy = y_;
      for (common::TextField f : {co::kCompanyName, co::kAddress1, co::kAddress2, co::kAddress3, co::kAddress4,
                                  co::kAddress5}) {
        c_.TextOut(x, yy, ReadText(co_, f));
        yy += step;
      }
      y_ = std::max(yy, y_ + 8 * line_);
    } else {
      y_ += 8 * line_;
    }
    Body();
    c_.TextOut(RightHalfCentre(pageText), y_, pageText);
    y_ += 2 * line_;
  }

  void Rule() { c_.Line(20, y_, w_ - 20, y_); }

  void DrawCustomer() {
    c_.SetFont(Font(co::DocumentFont::CustomerAddress));
    const int step = c_.TextHeight("MXjpy");
    const int x = x0_ + (page_ == 1 ? push_ : 0);
    const bool lines = common::ReadBool(co_, co::kHorizontalLines);
    if (common::ReadBool(co_, co::kShading)) {
      c_.SetBrush(common::BrushStyle::FDiagonal, kShadeColour);
      c_.Rectangle(20, y_ - step / 4, w_ - 20, y_ + 5 * step + step / 4);
      c_.SetBrush(common::BrushStyle::Clear, 0x00FFFFFF);
    }
    if (lines) Rule();
    const std::string texts[5] = {s_.customerName, s_.address[0], s_.address[1], s_.address[2], s_.address[3]};
    for (int k = 0; k < 5; ++k) {
      c_.TextOut(x, y_, texts[k]);
      y_ += step;
      if (lines && (k == 1 || k == 3)) Rule();
    }
    y_ += step;
  }

  // Left edges of the seven columns and the width of the three amount columns.
  void Columns() {
    const int gap = c_.TextWidth("Xl");
    amountWidth_ = c_.TextWidth("XXXXXXXXXX");
    col_[0] = x0_;
    col_[1] = col_[0] + c_.TextWidth("XXXXXXXX") + gap;
    col_[2] = col_[1] + c_.TextWidth("XXXXXXXX") + gap;
    col_[3] = col_[2] + c_.TextWidth(std::string(27, 'X')) + gap;
    col_[4] = col_[3] + amountWidth_ + gap;
    col_[5] = col_[4] + amountWidth_ + gap;
    col_[6] = col_[5] + amountWidth_ + gap;
  }

  void Right(int column, std::string_view text) {
    c_.TextOut(col_[column] + amountWidth_ - c_.TextWidth(text), y_, text);
  }

  void DrawColumnHeadings() {
    Columns();
    c_.TextOut(col_[0], y_, "Date");
    c_.TextOut(col_[1], y_, "Invoice#");
    c_.TextOut(col_[2], y_, "Reference/Comments");
    Right(3, "Total Amount");
    Right(4, "Paid Amount");
    Right(5, " Balance Due");
    c_.TextOut(col_[6], y_, "C");
    y_ += line_;
    if (common::ReadBool(co_, co::kHorizontalLines)) Rule();
    y_ += line_ / 4;
  }

  void DrawRow(const Row& row) {
    for (int k : {0, 1, 2, 6}) c_.TextOut(col_[k], y_, row[std::size_t(k)]);
    for (int k : {3, 4, 5}) Right(k, row[std::size_t(k)]);
  }

  void DrawTotals() {
    const bool lines = common::ReadBool(co_, co::kHorizontalLines);
    if (lines) Rule();
    y_ += line_ / 4;
    DrawRow(s_.grid.back());
    y_ += line_;
    if (lines) Rule();
  }

  void DrawFooter() {
    if (common::ReadBool(co_, co::kPrintSalesMessage) && y_ < h_ - 7 * line_ - 100) {
      std::vector<std::string> texts;
      c_.SetFont(Font(co::DocumentFont::SalesMessage));
      if (s_.useNotes) {
        const int width = w_ - 2 * x0_;
        texts = WrapText(s_.notes, [&](std::string_view t) { return c_.TextWidth(t) <= width; });
        texts.resize(4);
      } else {
        for (common::TextField f : {co::kSalesMessage1, co::kSalesMessage2, co::kSalesMessage3, co::kSalesMessage4})
          texts.push_back(ReadText(co_, f));
      }
      for (int k = 0; k < 4; ++k) {
        const std::string& t = texts[std::size_t(k)];
        c_.TextOut(std::max(0, (w_ - c_.TextWidth(t)) / 2), h_ - 100 - (7 - k) * line_, t);
      }
    }
    if (common::ReadBool(co_, co::kPrintCustomerAging)) {
      c_.SetFont(Font(co::DocumentFont::AgingAnalysis));
      const int step = c_.TextHeight("MXjpy");
      if (common::ReadBool(co_, co::kShading)) {
        c_.SetBrush(common::BrushStyle::FDiagonal, kShadeColour);
        c_.Rectangle(20, h_ - step - 110, w_ - 20, h_ - 110 + step + 10);
        c_.SetBrush(common::BrushStyle::Clear, 0x00FFFFFF);
      }
      c_.TextOut(x0_, h_ - step - 100, "Account Status:");
      const std::string entries[4] = {
          ReadText(co_, co::kAgingCaption1) + " " + s_.aging[0], ReadText(co_, co::kAgingCaption2) + " " + s_.aging[1],
          ReadText(co_, co::kAgingCaption3) + " " + s_.aging[2],
          "Over " + common::TrimBoth(ReadText(co_, co::kAgingDays3)) + ": " + s_.aging[3]};
      for (int k = 0; k < 4; ++k) c_.TextOut(x0_ + k * w_ / 4, h_ - 110, entries[k]);
    }
  }

  common::PrintCanvas& c_;
  std::span<const std::uint8_t> co_;
  const Statement& s_;
  std::chrono::year_month_day today_;
  int x0_ = 0, top_ = 0, push_ = 0, w_ = 0, h_ = 0;
  int y_ = 0, line_ = 1, page_ = 1;
  int col_[kColumns] = {};
  int amountWidth_ = 0;
};

}  // namespace

std::vector<std::string> WrapText(std::string_view text, const std::function<bool(std::string_view)>& fits) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view para = text.substr(start, end - start);
    std::string current;
    std::size_t i = 0;
    while (i < para.size()) {
      while (i < para.size() && para[i] == ' ') ++i;
      std::size_t j = para.find(' ', i);
      if (j == std::string_view::npos) j = para.size();
      std::string word(para.substr(i, j - i));
      i = j;
      if (word.empty()) break;
      std::string joined = current.empty() ? word : current + " " + word;
      if (fits(joined)) {
        current = std::move(joined);
        continue;
      }
      if (!current.empty()) lines.push_back(std::move(current));
      current.clear();
      // A word wider than the line on its own is cut where it no longer fits.
      while (!fits(word)) {
        std::size_t n = 1;
        while (n < word.size() && fits(word.substr(0, n + 1))) ++n;
        lines.push_back(word.substr(0, n));
        word.erase(0, n);
      }
      current = std::move(word);
    }
    lines.push_back(std::move(current));
    if (end == text.size()) break;
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

int DrawStatement(common::PrintCanvas& canvas, std::span<const std::uint8_t> company, const Statement& statement,
                  std::chrono::year_month_day today) {
  return StatementPage(canvas, company, statement, today).Draw();
}

bool PrintStatement(common::PrintCanvas& canvas, std::span<const std::uint8_t> company, const Statement& statement,
                    std::chrono::year_month_day today) {
  canvas.SetTitle(kStatementJobTitle);
  if (!canvas.BeginDoc()) return false;
  DrawStatement(canvas, company, statement, today);
  return canvas.EndDoc();
}

}  // namespace tf::statements
