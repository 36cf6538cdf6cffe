// `report NAME --from DATE --to DATE [--sort COLUMN] [--subtotals] [--text FILE | --csv FILE |
// --pdf FILE]`: the window's builders, sorting and totals, with the report going to a file (or,
// as text, to the terminal). Dates are typed in the company's date format; the column is counted
// from 1 as the window's "Sort on Column:" box counts, or named by its heading.

#include <filesystem>
#include <ostream>

#include "app/cli/cli.h"
#include "app/cli/commands.h"
#include "app/cli/company_choice.h"
#include "app/cli/failure_words.h"
#include "app/cli/import_support.h"
#include "app/cli/report_command.h"
#include "common/clock.h"
#include "common/date_text.h"
#include "common/integer_text.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/side_file.h"
#include "common/stored_text.h"
#include "common/text.h"
#include "records/company_record.h"
#include "reports/report_builders.h"
#include "reports/report_output.h"

namespace tf::cli {
namespace {

namespace fs = std::filesystem;

enum class Output { Terminal, Text, Csv, Pdf };

struct ReportArgs {
  reports::ReportKind kind{};
  std::string from, to, sort, file;
  bool subTotals = false;
  Output output = Output::Terminal;
  std::optional<std::string> company;
};

bool Parse(CommandContext& c, const std::vector<std::string>& args, ReportArgs& a) {
  std::vector<std::string> rest, names;
  if (!TakeCompanyOption(c, args, a.company, rest)) return false;
  bool haveFrom = false, haveTo = false;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const std::string& arg = rest[i];
    const auto value = [&](std::string& into) {
      if (i + 1 >= rest.size()) {
        c.err << "tallyfold-cli: " << arg << " needs a value.\n";
        return false;
      }
      into = rest[++i];
      return true;
    };
    const auto output = [&](Output kind) {
      if (a.output != Output::Terminal) {
        c.err << "tallyfold-cli: report writes one file: give only one of --text, --csv and --pdf.\n";
        return false;
      }
      a.output = kind;
      if (!value(a.file)) return false;
      a.file = fs::absolute(a.file).string();  // from where the tool was started
      return true;
    };
    if (arg == "--from") {
      if (!value(a.from)) return false;
      haveFrom = true;
    } else if (arg == "--to") {
      if (!value(a.to)) return false;
      haveTo = true;
    } else if (arg == "--sort") {
      if (!value(a.sort)) return false;
    } else if (arg == "--subtotals") {
      a.subTotals = true;
    } else if (arg == "--text" || arg == "--csv" || arg == "--pdf") {
      if (!output(arg == "--text" ? Output::Text : arg == "--csv" ? Output::Csv : Output::Pdf)) return false;
    } else if (arg.starts_with("--")) {
      c.err << "tallyfold-cli: report knows no option " << arg << ".\n";
      return false;
    } else {
      names.push_back(arg);
    }
  }
  std::string known;
  for (reports::ReportKind k : reports::ReportKinds())
    known += std::string(known.empty() ? "" : ", ") + std::string(reports::ReportName(k));
  if (names.size() != 1) {
    c.err << "tallyfold-cli: report takes the name of one report (" << known << ").\n";
    return false;
  }
  const auto kind = reports::ReportNamed(names[0]);
  if (!kind) {
    c.err << "tallyfold-cli: there is no report \"" << names[0] << "\" (" << known << ").\n";
    return false;
  }
  a.kind = *kind;
  const std::string name(reports::ReportName(a.kind));
  if (reports::UsesDateRange(a.kind) && (!haveFrom || !haveTo)) {
    c.err << "tallyfold-cli: the " << name << " needs --from DATE and --to DATE.\n";
    return false;
  }
  if (!reports::UsesDateRange(a.kind) && (haveFrom || haveTo)) {
    c.err << "tallyfold-cli: the " << name << " searches all dates; leave out --from and --to.\n";
    return false;
  }
  return true;
}

bool EnterFolder(CommandContext& c) {
  std::error_code ec;
  if (fs::is_directory(c.dataFolder, ec)) fs::current_path(c.dataFolder, ec);
  if (!ec && fs::is_directory(c.dataFolder)) return true;
  c.err << "tallyfold-cli: the data folder " << c.dataFolder.string()
        << " does not exist or cannot be entered (create it with: tallyfold-cli init).\n";
  return false;
}

// The column to sort on: 1..the last sortable column, or a heading.
std::optional<std::size_t> SortColumn(CommandContext& c, const reports::Report& report, const std::string& wanted) {
  if (wanted.empty()) return 0;
  const std::size_t last = std::size_t(report.lastSortColumn);
  std::string choices;
  for (std::size_t i = 0; i <= last && i < report.columns.size(); ++i)
    choices += (i ? ", " : "") + std::to_string(i + 1) + " " + report.columns[i].heading;
  if (common::IsInteger(wanted)) {
    const std::int64_t n = common::LeadingIntegerValue(wanted);
    if (n >= 1 && std::size_t(n) <= last + 1) return std::size_t(n - 1);
  } else {
    for (std::size_t i = 0; i <= last && i < report.columns.size(); ++i)
      if (common::UpperCase(report.columns[i].heading) == common::UpperCase(common::TrimBoth(wanted))) return i;
  }
  c.err << "tallyfold-cli: the " << reports::ReportName(report.kind) << " sorts on one of its columns " << choices
        << "; not on \"" << wanted << "\".\n";
  return std::nullopt;
}

}  // namespace

int RunReport(CommandContext& c, const std::vector<std::string>& args) {
  ReportArgs a;
  if (!Parse(c, args, a)) return kExitUsage;
  if (a.output == Output::Pdf && !c.extensions.pdfCanvas) {
    c.err << "tallyfold-cli: this tool was built without PDF output; use --text or --csv.\n";
    return kExitUsage;
  }
  if (!EnterFolder(c)) return kExitUsage;
  std::string number;
  if (!ChosenCompanyNumber(c, a.company, number)) return kExitUsage;
  EngineScope engine;
  common::RecordBuffer company(records::company::kCompanyRecordLength);
  if (!ReadCompany(c, number, company)) return kExitUsage;

  const common::DateFormat format =
      common::DateFormatFromCode(common::ReadText(company, records::company::kDateFormat));
  reports::ReportRequest request{a.kind, {}};
  if (reports::UsesDateRange(a.kind)) {
    const auto from = common::ParseDate(a.from, format);
    const auto to = common::ParseDate(a.to, format);
    const std::string pattern(common::DatePattern(format));
    if (!from || !to) {
      c.err << "tallyfold-cli: " << (!from ? "--from " + a.from : "--to " + a.to)
            << " is not a date; company " << number << " writes dates as " << pattern << ".\n";
      return kExitUsage;
    }
    const reports::RangeCheck check = reports::CheckRange(a.from, a.to, format);
    if (check.problem) {
      c.err << "tallyfold-cli: --from " << a.from << " is later than --to " << a.to << ".\n";
      return kExitUsage;
    }
    request.range = *check.range;
  }

  BatchPrompter prompter;
  SilentStatus status;
  const common::SystemClock clock;
  reports::BuildOutcome built = reports::BuildReport(request, {company, prompter, status, clock.Now()});
  switch (built.result) {
    case reports::BuildOutcome::Result::Failed:
      c.err << "tallyfold-cli: " << built.message << " (" << WhyItFailed() << ")\n";
      return kExitProblems;
    case reports::BuildOutcome::Result::Empty:
      c.out << built.message << " Nothing was written.\n";
      return kExitOk;
    case reports::BuildOutcome::Result::Built:
      break;
  }
  reports::Report& report = *built.report;
  const auto column = SortColumn(c, report, a.sort);
  if (!column) return kExitUsage;
  reports::ArrangeReport(report, *column, a.subTotals);

  const std::string summary = report.caption + ": " + std::to_string(report.RecordCount()) + " record" +
                              (report.RecordCount() == 1 ? "" : "s");
  try {
    switch (a.output) {
      case Output::Terminal:
        for (const std::string& line : reports::ReportTextLines(report)) c.out << common::Latin1ToUtf8(line) << "\n";
        return kExitOk;
      case Output::Text:
        common::ReplaceFile(a.file, reports::ReportText(report));
        break;
      case Output::Csv:
        common::ReplaceFile(a.file, reports::ReportCsv(report));
        break;
      case Output::Pdf: {
        std::error_code ec;
        const bool existed = fs::exists(a.file, ec);
        std::unique_ptr<common::PrintCanvas> canvas = c.extensions.pdfCanvas(a.file);
        if (!canvas || !reports::PrintReport(*canvas, report, reports::PrintSettingsOf(company))) {
          canvas.reset();
          if (!existed) fs::remove(a.file, ec);
          c.err << "tallyfold-cli: the PDF file " << a.file << " could not be written.\n";
          return kExitProblems;
        }
        break;
      }
    }
  } catch (const std::system_error& e) {
    c.err << "tallyfold-cli: " << a.file << " could not be written (" << e.what() << ").\n";
    return kExitProblems;
  }
  c.out << summary << " written to " << a.file << ".\n";
  return kExitOk;
}

}  // namespace tf::cli
