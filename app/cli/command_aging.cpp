// `aging`: the aging of a company as of any date, shown without writing anything (each
// customer's four categories and balance, and the totals: what the window's run would leave on
// that date), optionally as a CSV file; and `aging --repair`, the program's own aging run now,
// which rewrites the customers' aging amounts and balances, the company balance and its
// LastAgingDate.

#include <filesystem>
#include <ostream>
#include <sstream>
#include <system_error>

#include "aging/aging_run.h"
#include "app/cli/cli.h"
#include "app/cli/commands.h"
#include "app/cli/company_choice.h"
#include "app/cli/import_support.h"
#include "app/cli/option_value.h"
#include "common/clock.h"
#include "common/csv.h"
#include "common/date_text.h"
#include "common/money_format.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/side_file.h"
#include "common/stored_text.h"
#include "common/text.h"
#include "records/company_record.h"
#include "records/company_store.h"

namespace tf::cli {
namespace {

namespace co = records::company;
using common::Money;

struct AgingArguments {
  std::optional<std::string> company;
  std::optional<std::string> asOf;
  std::optional<std::string> csv;  // absolute
  bool repair = false;
};

bool ParseArguments(CommandContext& c, const std::vector<std::string>& args, AgingArguments& a) {
  std::vector<std::string> rest;
  if (!TakeCompanyOption(c, args, a.company, rest)) return false;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const std::string& arg = rest[i];
    auto value = [&](const char* name, std::optional<std::string>& into) {
      const OptionValue taken = TakeOptionValue(rest, i, name, into);
      if (taken == OptionValue::Missing) {
        c.err << "tallyfold-cli: " << name << " needs a value.\n";
        into = std::nullopt;
      }
      return taken != OptionValue::Other;
    };
    if (arg == "--repair") {
      a.repair = true;
    } else if (value("--as-of", a.asOf)) {
      if (!a.asOf) return false;
    } else if (value("--csv", a.csv)) {
      if (!a.csv) return false;
      a.csv = std::filesystem::absolute(*a.csv).string();
    } else {
      c.err << "tallyfold-cli: aging does not know \"" << arg << "\" (" << kAgingUsage << ").\n";
      return false;
    }
  }
  if (a.repair && (a.asOf || a.csv)) {
    c.err << "tallyfold-cli: aging --repair ages the books today and writes no report; leave out --as-of and "
             "--csv.\n";
    return false;
  }
  return true;
}

// A date in the company's format, or as yyyy-mm-dd.
std::optional<std::chrono::year_month_day> ReadAsOf(const std::string& text, common::DateFormat format) {
  if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
    std::string key = text;
    key[4] = key[7] = '/';
    return common::ParseDateKey(key);
  }
  return common::ParseDate(text, format);
}

std::string Column(const std::string& text, std::size_t width) { return common::PadRight(common::Cut(text, width), width); }

void PrintProblems(CommandContext& c, const aging::Problems& problems) {
  for (const std::string& p : problems.texts) c.out << "note: " << p << "\n";
  if (problems.count > problems.texts.size())
    c.out << "note: and " << problems.count - problems.texts.size() << " more like these\n";
}

int Report(CommandContext& c, const AgingArguments& a, const common::RecordBuffer& company) {
  const common::DateFormat format = common::DateFormatFromCode(common::ReadText(company, co::kDateFormat));
  std::chrono::year_month_day asOf = common::SystemClock().Today();
  if (a.asOf) {
    const auto date = ReadAsOf(*a.asOf, format);
    if (!date) {
      c.err << "tallyfold-cli: \"" << *a.asOf << "\" is not a date; give it as " << common::DatePattern(format)
            << " (the company's date format) or as yyyy-mm-dd.\n";
      return kExitUsage;
    }
    asOf = *date;
  }
  const aging::AgingReport report = aging::ReportAging(company, asOf);
  if (!report.ok) {
    c.err << "tallyfold-cli: " << report.message << "\n";
    return kExitProblems;
  }
  const std::string captions[4] = {common::TrimBoth(common::ReadText(company, co::kAgingCaption1)),
                                   common::TrimBoth(common::ReadText(company, co::kAgingCaption2)),
                                   common::TrimBoth(common::ReadText(company, co::kAgingCaption3)),
                                   "Over " + common::TrimBoth(common::ReadText(company, co::kAgingDays3)) + ":"};
  if (a.csv) {
    std::string csv = common::CsvLine(
        {"CustomerNumber", "ShortName", "AgingAmount1", "AgingAmount2", "AgingAmount3", "AgingAmount4", "Balance"});
    for (const aging::CustomerRow& row : report.rows) {
      // Amounts go in as they are: a leading "-" is a number to a spreadsheet, not a formula.
      std::string line = common::CsvField(row.number) + "," + common::CsvField(row.shortName);
      for (Money m : row.sums.amounts) line += "," + common::Format0_00(m);
      csv += line + "," + common::Format0_00(row.balance) + "\r\n";
    }
    try {
      common::ReplaceFile(*a.csv, csv);
    } catch (const std::system_error& e) {
      c.err << "tallyfold-cli: cannot write " << *a.csv << ": " << e.what() << "\n";
      return kExitUsage;
    }
  }
  c.out << "Aging of company " << common::TrimBoth(common::ReadText(company, co::kCompanyNumber)) << " ("
        << common::Latin1ToUtf8(common::TrimBoth(common::ReadText(company, co::kCompanyName))) << ") as of "
        << common::FormatDate(asOf, format) << "; nothing was changed.\n";
  std::string head = Column("Customer", 9) + Column("Short Name", 11);
  for (const std::string& caption : captions) head += common::AlignRight(caption, 14);
  c.out << head << common::AlignRight("Balance", 15) << "\n";
  auto amounts = [](const aging::AgingSums& sums, Money balance) {
    std::string line;
    for (Money m : sums.amounts) line += common::AlignRight(common::FormatComma0_00(m), 14);
    return line + common::AlignRight(common::FormatComma0_00(balance), 15);
  };
  for (const aging::CustomerRow& row : report.rows)
    c.out << common::Latin1ToUtf8(Column(common::TrimBoth(row.number), 9) + Column(common::TrimBoth(row.shortName), 11))
          << amounts(row.sums, row.balance) << (row.leftAlone ? "  (left as it is)" : "") << "\n";
  c.out << Column("Totals", 20) << amounts(report.totals, report.total) << "\n";
  c.out << report.rows.size() << " customer" << (report.rows.size() == 1 ? "" : "s") << ", " << report.invoiceRecords
        << " invoice record" << (report.invoiceRecords == 1 ? "" : "s") << ".\n";
  PrintProblems(c, report.problems);
  return report.problems.empty() ? kExitOk : kExitProblems;
}

int Repair(CommandContext& c, const std::string& number, const common::RecordBuffer& company) {
  records::CompanyBook book;
  std::copy(company.begin(), company.end(), book.Current().begin());
  // The program starts with the company "LastCo.Dat" holds: keep that copy in step.
  std::string startupNumber;
  std::ostringstream quiet;
  CommandContext silent{c.dataFolder, quiet, quiet, c.extensions};
  const bool startupCompany = ChosenCompanyNumber(silent, std::nullopt, startupNumber) && startupNumber == number;
  BatchPrompter prompter;
  SilentStatus status;
  common::SystemClock clock;
  const aging::AgingOutcome outcome = aging::RunAging({book, prompter, status, clock,
                                                       [](std::string_view) {}, startupCompany});
  if (!outcome.ran) {
    c.err << "tallyfold-cli: " << outcome.message << "\n";
    return kExitProblems;
  }
  c.out << "Aged company " << number << ": " << outcome.customers << " customer" << (outcome.customers == 1 ? "" : "s")
        << ", " << outcome.rewritten << " rewritten; company balance " << common::FormatComma0_00(outcome.total) << ".\n";
  PrintProblems(c, outcome.problems);
  if (!outcome.complete) {
    c.out << "The run is not complete, so the last aging date was left as it was; run it again once the problems "
             "above are put right.\n";
    return kExitProblems;
  }
  return outcome.problems.empty() ? kExitOk : kExitProblems;
}

}  // namespace

int RunAgingCommand(CommandContext& c, const std::vector<std::string>& args) {
  AgingArguments a;
  if (!ParseArguments(c, args, a)) return kExitUsage;
  if (!EnterDataFolder(c)) return kExitUsage;
  std::string number;
  if (!ChosenCompanyNumber(c, a.company, number)) return kExitUsage;
  std::optional<common::FolderLock> lock;
  if (a.repair && !LockDataFolder(c, lock)) return kExitUsage;
  EngineScope engine;
  common::RecordBuffer company(co::kCompanyRecordLength);
  if (!ReadCompany(c, number, company)) return kExitUsage;
  return a.repair ? Repair(c, number, company) : Report(c, a, company);
}

}  // namespace tf::cli
