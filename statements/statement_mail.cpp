#include "statements/statement_mail.h"

#include "common/date_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "mail/mail_address.h"
#include "records/company_record.h"
#include "statements/statement_print.h"

namespace tf::statements {
namespace {

namespace co = records::company;
using common::ReadText;
using common::TrimBoth;

// Right-justified in `width`: trimmed, padded on the left and cut to the width.
std::string Right(std::string_view text, std::size_t width) { return common::AlignRight(text, width); }
std::string Left(std::string_view text, std::size_t width) { return common::PadRight(text, width); }

std::string GridLine(const Row& r) {
  return Left(r[0], 10) + " " + Left(r[1], 9) + " " + Left(r[2], 20) + " " + Right(r[3], 12) + " " + Right(r[4], 11) +
         " " + Right(r[5], 11) + " " + Left(r[6], 1);
}

}  // namespace

MailMessage StatementMail(std::span<const std::uint8_t> company, const Statement& s, std::chrono::year_month_day today) {
  MailMessage m;
  std::vector<std::string>& b = m.body;
  const std::string separator = common::ReadFlag(company, co::kLinesOnEMailInvoices) ? std::string(82, '-') : " ";
  const std::string title = TrimBoth(ReadText(company, co::kStatementTitle));

  b.push_back(ReadText(company, co::kCompanyName) + Right(title, 35));
  for (common::TextField f : {co::kAddress1, co::kAddress2, co::kAddress3, co::kAddress4, co::kAddress5}) {
    const std::string a = ReadText(company, f);
    if (!TrimBoth(a).empty()) b.push_back(a);
  }
  b.push_back(separator);
  for (const std::string& a : {s.customerName, s.address[0], s.address[1], s.address[2], s.address[3]})
    if (!TrimBoth(a).empty()) b.push_back(a);
  b.push_back(separator);
  const auto format = common::DateFormatFromCode(ReadText(company, co::kDateFormat));
  b.push_back("Statement Date: " + common::FormatDate(today, format));
  b.push_back("Account Number: " + s.customerNumber);
  b.push_back(ReadText(company, co::kStatementNote));
  b.push_back(separator);
  for (std::size_t r = 0; r < s.grid.size(); ++r) {
    if (r == 1)
      b.push_back("---------- --------- -------------------- ------------ ----------- ----------- -");
    b.push_back(GridLine(s.grid[r]));
  }
  b.push_back(separator);
  if (common::ReadBool(company, co::kPrintSalesMessage)) {
    std::vector<std::string> lines;
    if (s.useNotes) {
      lines = WrapText(s.notes, [](std::string_view t) { return t.size() <= kMailNoteWidth; });
      lines.resize(std::min<std::size_t>(lines.size(), 4));
    } else {
      for (common::TextField f : {co::kSalesMessage1, co::kSalesMessage2, co::kSalesMessage3, co::kSalesMessage4})
        lines.push_back(ReadText(company, f));
    }
    for (const std::string& l : lines)
      if (!TrimBoth(l).empty()) b.push_back(l);
  }
  if (common::ReadBool(company, co::kPrintCustomerAging)) {
    b.push_back(" ");
    b.push_back("Account Status:");
    const std::string captions[4] = {ReadText(company, co::kAgingCaption1), ReadText(company, co::kAgingCaption2),
                                     ReadText(company, co::kAgingCaption3),
                                     "Over " + TrimBoth(ReadText(company, co::kAgingDays3)) + ":"};
    for (int k = 0; k < 4; ++k) b.push_back(Right(captions[k], 10) + " " + s.aging[std::size_t(k)]);
  }

  m.from = TrimBoth(ReadText(company, co::kEMailAddress));
  const std::string to = TrimBoth(s.email);
  if (to.size() < 2 || !mail::IsValidMailAddress(to)) {
    m.subject = std::string(kBadCustomerEMail) + s.customerName;
    m.to = m.from;
    m.toCompany = true;
  } else {
    m.subject = title + " - " + s.customerName;
    m.to = to;
  }
  return m;
}

}  // namespace tf::statements
