// `interest` and `repeat`: the Interest Wizard's and the Repeat Billing Wizard's runs from the
// command line, through the same code as the windows. --dry-run prints what a run would create
// (customers, invoice numbers, amounts) and changes nothing. A second interest run in one month,
// or a second repeat run with the date of the last one, is refused without --again, so a timer
// that runs either twice never bills twice.

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <tuple>
#include <ostream>

#include "app/cli/cli.h"
#include "app/cli/commands.h"
#include "app/cli/company_choice.h"
#include "app/cli/import_support.h"
#include "billing/interest_run.h"
#include "billing/repeat_run.h"
#include "common/clock.h"
#include "common/date_text.h"
#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/stored_text.h"
#include "common/text.h"
#include "records/company_record.h"

namespace tf::cli {
namespace {

namespace co = records::company;
using common::Money;

struct Arguments {
  std::optional<std::string> company;
  std::map<std::string, std::string> values;  // --name VALUE
  std::set<std::string> flags;                // --name
};

// Takes the options a command knows: `valued` take a value, `flags` stand alone.
bool Parse(CommandContext& c, const char* command, const char* usage, const std::vector<std::string>& args,
           std::initializer_list<const char*> valued, std::initializer_list<const char*> flags, Arguments& a) {
  std::vector<std::string> rest;
  if (!TakeCompanyOption(c, args, a.company, rest)) return false;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    std::string arg = rest[i], value;
    const std::size_t eq = arg.find('=');
    const bool inlineValue = arg.rfind("--", 0) == 0 && eq != std::string::npos;
    if (inlineValue) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
    }
    if (std::find_if(flags.begin(), flags.end(), [&](const char* f) { return arg == f; }) != flags.end() &&
        !inlineValue) {
      a.flags.insert(arg);
    } else if (std::find_if(valued.begin(), valued.end(), [&](const char* v) { return arg == v; }) != valued.end()) {
      if (!inlineValue) {
        if (i + 1 >= rest.size()) {
          c.err << "tallyfold-cli: " << arg << " needs a value (" << command << " " << usage << ").\n";
          return false;
        }
        value = rest[++i];
      }
      a.values[arg] = value;
    } else {
      c.err << "tallyfold-cli: " << command << " does not know \"" << arg << "\" (" << command << " " << usage << ").\n";
      return false;
    }
  }
  return true;
}

// "today", yyyy-mm-dd, or a date in the company's format.
std::optional<std::chrono::year_month_day> ReadDate(const std::string& text, common::DateFormat format) {
  if (text == "today") return common::SystemClock().Today();
  if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
    std::string key = text;
    key[4] = key[7] = '/';
    return common::ParseDateKey(key);
  }
  return common::ParseDate(text, format);
}

bool DateArgument(CommandContext& c, const Arguments& a, const char* name, common::DateFormat format,
                  std::chrono::year_month_day& date) {
  const auto found = a.values.find(name);
  if (found == a.values.end()) return true;
  const auto parsed = ReadDate(found->second, format);
  if (!parsed) {
    c.err << "tallyfold-cli: \"" << found->second << "\" is not a date; give " << name << " as "
          << common::DatePattern(format) << " (the company's date format), as yyyy-mm-dd or as \"today\".\n";
    return false;
  }
  date = *parsed;
  return true;
}

// A text argument as the records store it (Latin-1); false, reported, when it cannot be.
bool TextArgument(CommandContext& c, const Arguments& a, const char* name, std::string& into) {
  const auto found = a.values.find(name);
  if (found == a.values.end()) return true;
  const auto latin1 = common::Utf8ToLatin1(found->second);
  if (!latin1) {
    c.err << "tallyfold-cli: " << name << " holds a character the records cannot store.\n";
    return false;
  }
  into = *latin1;
  return true;
}

std::string Column(const std::string& text, std::size_t width) {
  return common::Latin1ToUtf8(common::PadRight(common::Cut(text, width), width));
}
std::string Amount(Money m, std::size_t width = 12) { return common::AlignRight(common::FormatComma0_00(m), width); }

// The company record in `company`, and the data folder locked unless the run is a dry run.
struct Prepared {
  std::string number;
  common::RecordBuffer company{co::kCompanyRecordLength};
  std::optional<common::FolderLock> lock;
};
bool Prepare(CommandContext& c, const Arguments& a, bool dryRun, Prepared& p) {
  if (!EnterDataFolder(c)) return false;
  if (!ChosenCompanyNumber(c, a.company, p.number)) return false;
  if (!dryRun && !LockDataFolder(c, p.lock)) return false;
  return ReadCompany(c, p.number, p.company);
}

}  // namespace

int RunInterestCommand(CommandContext& c, const std::vector<std::string>& args) {
  Arguments a;
  if (!Parse(c, "interest", kInterestUsage, args,
             {"--date", "--over", "--percent", "--minimum", "--flat", "--terms", "--comment", "--statement-note"},
             {"--dry-run", "--again", "--mark-printed", "--not-printed", "--interest-on-interest"}, a))
    return kExitUsage;
  const bool dryRun = a.flags.contains("--dry-run");
  Prepared p;
  EngineScope engine;
  if (!Prepare(c, a, dryRun, p)) return kExitUsage;
  const std::span<const std::uint8_t> company(p.company.data(), p.company.size());
  const common::DateFormat format = common::DateFormatFromCode(common::ReadText(company, co::kDateFormat));
  const auto today = common::SystemClock().Today();

  // The options the company remembers, with what the command line changes.
  billing::InterestOptions o = billing::LoadInterestOptions(company, today);
  std::chrono::year_month_day date = today;
  if (!DateArgument(c, a, "--date", format, date)) return kExitUsage;
  o.invoiceDate = common::FormatDate(date, format);
  if (auto over = a.values.find("--over"); over != a.values.end()) {
    int option = -1;
    for (int k = 0; k < 3; ++k)
      if (billing::AgeOptionCaption(company, k) == "Over " + over->second + " Days") option = k;
    if (option < 0) {
      // "Over 30 Days" -> "30".
      auto days = [&](int k) {
        const std::string caption = billing::AgeOptionCaption(company, k);
        return caption.substr(5, caption.size() - 10);
      };
      c.err << "tallyfold-cli: --over takes one of the company's aging limits: " << days(0) << ", " << days(1)
            << " or " << days(2) << ".\n";
      return kExitUsage;
    }
    o.ageOption = option;
  }
  if (auto v = a.values.find("--percent"); v != a.values.end()) o.percent = v->second;
  if (auto v = a.values.find("--minimum"); v != a.values.end()) o.minimum = v->second;
  if (auto v = a.values.find("--flat"); v != a.values.end()) {
    o.flatFee = true;
    o.flatRate = v->second;
  }
  if (a.flags.contains("--mark-printed")) o.markPrinted = true;
  if (a.flags.contains("--not-printed")) o.markPrinted = false;
  o.interestOnInterest = a.flags.contains("--interest-on-interest");
  if (!TextArgument(c, a, "--terms", o.terms) || !TextArgument(c, a, "--comment", o.comments) ||
      !TextArgument(c, a, "--statement-note", o.statementNote))
    return kExitUsage;
  for (auto [name, text, width] : {std::tuple{"--percent", &o.percent, std::size_t(5)},
                                   std::tuple{"--minimum", &o.minimum, std::size_t(5)}}) {
    if (text->size() > width) {
      c.err << "tallyfold-cli: " << name << " \"" << *text << "\" is longer than the " << width
            << " characters the company record keeps for it.\n";
      return kExitUsage;
    }
  }

  const auto question = billing::SameMonthQuestion(company, o);
  if (question && !a.flags.contains("--again") && !dryRun) {
    c.err << "tallyfold-cli: interest invoices dated "
          << common::TrimBoth(common::ReadText(company, co::kInterestLastRun))
          << " were already created for this month, so none were created now; give --again to charge this month "
             "again.\n";
    return kExitProblems;
  }

  billing::InterestScan scan;
  {
    billing::BillingReader reader;
    std::string message;
    if (!reader.Open(p.number, message)) {
      c.err << "tallyfold-cli: " << message << "\n";
      return kExitProblems;
    }
    scan = billing::ScanInterest(reader.Blocks(), company, o, today);
  }
  if (scan.refusal) {
    c.err << "tallyfold-cli: " << scan.refusal->text << "\n";
    return kExitUsage;
  }
  const std::string how = o.flatFee ? "a flat fee of " + o.flatRate : o.percent + " percent interest";
  if (scan.rows.empty()) {
    std::string over = billing::AgeOptionCaption(company, o.ageOption);
    std::transform(over.begin(), over.end(), over.begin(), [](char ch) { return char(std::tolower(ch)); });
    c.out << "No customer of company " << p.number << " owes anything " << over << " old that reaches the charge of "
          << how << "; nothing was created.\n";
    return kExitOk;
  }

  BatchPrompter prompter;
  const billing::InterestResult r = dryRun ? billing::PreviewInterest(company, scan.rows, o, today, prompter)
                                           : billing::GenerateInterest(company, scan.rows, o, today, prompter);
  if (!r.ok) {
    c.err << "tallyfold-cli: " << r.message << "\n";
    return kExitProblems;
  }
  c.out << Column("Customer", 9) << " " << Column("Customer Name", 30) << " " << common::AlignRight("Overdue", 12)
        << " " << common::AlignRight("Charge", 12) << "  Invoice#\n";
  for (const billing::InterestRow& row : r.rows)
    c.out << Column(row.number, 9) << " " << Column(row.name, 30) << " " << Amount(row.overdue) << " "
          << Amount(row.charge) << "  " << row.invoiceNumber << "\n";
  c.out << Column("Totals:", 40) << " " << Amount(scan.totalOverdue) << " " << Amount(r.total) << "\n";
  const std::string count = std::to_string(r.rows.size()) + " interest invoice" + (r.rows.size() == 1 ? "" : "s");
  if (dryRun) {
    c.out << "Would create " << count << " dated " << o.invoiceDate << " at " << how
          << "; nothing was changed (--dry-run).\n";
    if (question && !a.flags.contains("--again"))
      c.out << "Note: interest invoices were already created this month; the run itself needs --again.\n";
    return kExitOk;
  }
  if (r.committedLate) c.err << "tallyfold-cli: " << r.message << "\n";
  c.out << "Created " << count << " dated " << o.invoiceDate << " at " << how << " ("
        << r.rows.front().invoiceNumber << (r.rows.size() > 1 ? " to " + r.rows.back().invoiceNumber : "")
        << "); the company balance is now "
        << common::FormatComma0_00(common::ParseAmount(common::ReadText(r.company, co::kCompanyBalance)).value_or(Money()))
        << ".\n";
  return kExitOk;
}

int RunRepeatCommand(CommandContext& c, const std::vector<std::string>& args) {
  Arguments a;
  if (!Parse(c, "repeat", kRepeatUsage, args, {"--through", "--date", "--reference"}, {"--dry-run", "--again"}, a))
    return kExitUsage;
  if (!a.values.contains("--through")) {
    c.err << "tallyfold-cli: repeat needs --through DATE, the last due date to bill (repeat " << kRepeatUsage << ").\n";
    return kExitUsage;
  }
  const bool dryRun = a.flags.contains("--dry-run");
  Prepared p;
  EngineScope engine;
  if (!Prepare(c, a, dryRun, p)) return kExitUsage;
  const std::span<const std::uint8_t> company(p.company.data(), p.company.size());
  const common::DateFormat format = common::DateFormatFromCode(common::ReadText(company, co::kDateFormat));
  std::chrono::year_month_day through{}, date{};
  if (!DateArgument(c, a, "--through", format, through)) return kExitUsage;
  date = through;  // the wizard dates the invoices on the search date unless told otherwise
  if (!DateArgument(c, a, "--date", format, date)) return kExitUsage;
  billing::RepeatOptions o;
  o.invoiceDate = common::FormatDate(date, format);
  if (!TextArgument(c, a, "--reference", o.reference)) return kExitUsage;

  const auto question = billing::SameDateQuestion(company, o);
  if (question && !a.flags.contains("--again") && !dryRun) {
    c.err << "tallyfold-cli: repeat billing invoices dated " << o.invoiceDate
          << " were already generated, so none were generated now; give --again to bill with this date again.\n";
    return kExitProblems;
  }
  billing::RepeatSearch search;
  {
    billing::BillingReader reader;
    std::string message;
    if (!reader.Open(p.number, message)) {
      c.err << "tallyfold-cli: " << message << "\n";
      return kExitProblems;
    }
    search = billing::SearchRepeat(reader.Blocks().invoices, through, format);
  }
  if (!search.ok) {
    c.err << "tallyfold-cli: " << search.message << "\n";
    return kExitProblems;
  }
  for (const std::string& problem : search.problems) c.out << "note: " << problem << "\n";
  if (search.masters.empty()) {
    c.out << "There are no repeat billings due through " << common::FormatDate(through, format)
          << "; nothing was generated.\n";
    return search.problems.empty() ? kExitOk : kExitProblems;
  }
  std::vector<std::string> masters;
  for (const billing::DueMaster& m : search.masters) masters.push_back(m.number);
  BatchPrompter prompter;
  const auto today = common::SystemClock().Today();
  const billing::RepeatResult r = dryRun ? billing::PreviewRepeat(company, masters, o, today, prompter)
                                         : billing::GenerateRepeat(company, masters, o, today, prompter);
  if (!r.ok) {
    c.err << "tallyfold-cli: " << r.message << "\n";
    return kExitProblems;
  }
  if (!r.generated.empty()) {
    c.out << Column("Master#", 9) << " " << Column("Invoice#", 9) << " " << Column("Customer", 9) << " "
          << Column("Short Name", 10) << " " << common::AlignRight("Total", 12) << "  Next Due\n";
    for (const billing::GeneratedInvoice& g : r.generated)
      c.out << Column(g.master, 9) << " " << Column(g.number, 9) << " " << Column(g.customer, 9) << " "
            << Column(g.shortName, 10) << " " << Amount(g.total) << "  "
            << common::FormatDate(*common::ParseDate(g.nextDue, common::DateFormat::MonthFirst), format) << "\n";
  }
  for (const std::string& refused : r.refused) c.out << "not billed: " << common::Latin1ToUtf8(refused) << "\n";
  const std::string count = std::to_string(r.generated.size()) + " invoice" + (r.generated.size() == 1 ? "" : "s");
  if (dryRun) {
    c.out << "Would generate " << count << " dated " << o.invoiceDate << " totaling "
          << common::FormatComma0_00(r.total) << "; nothing was changed (--dry-run).\n";
    if (question && !a.flags.contains("--again"))
      c.out << "Note: invoices with this date were already generated; the run itself needs --again.\n";
  } else {
    if (r.committedLate) c.err << "tallyfold-cli: " << r.message << "\n";
    c.out << "Generated " << count << " dated " << o.invoiceDate << " totaling " << common::FormatComma0_00(r.total)
          << " (" << r.monthly << " monthly, " << r.daily << " daily).\n";
  }
  return r.refused.empty() && search.problems.empty() ? kExitOk : kExitProblems;
}

}  // namespace tf::cli
