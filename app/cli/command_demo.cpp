// `demo DIR`: a demo company to try the program on and to take the manual's pictures from: a
// year of a small supply business's customers, products, invoices, payments, a partial payment,
// a deposit, a repeat master and interest charges, aged as of the demo's day. Everything goes in through the program's own
// import, payment and aging code, so the books check clean.

#include <chrono>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "aging/aging_run.h"
#include "app/cli/cli.h"
#include "app/cli/commands.h"
#include "app/cli/import_kinds.h"
#include "app/cli/import_support.h"
#include "app/starter/starter_folder.h"
#include "common/clock.h"
#include "common/csv.h"
#include "common/date_text.h"
#include "common/folder_lock.h"
#include "common/money.h"
#include "common/money_format.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "billing/repeat_run.h"
#include "billing/repeat_setup.h"
#include "engine/core/engine.h"
#include "payments/payment_books.h"
#include "payments/payment_wizard.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"

namespace tf::cli {
namespace {

namespace fs = std::filesystem;
using std::chrono::year_month_day;

// The same demo on every machine: a small generator whose sequence the program fixes.
class DemoRandom {
 public:
  int Below(int n) {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>((state_ >> 33) % static_cast<std::uint64_t>(n));
  }

 private:
  std::uint64_t state_ = 20261210;
};

struct DemoCustomer {
  const char* number;
  const char* name;
  const char* street;
  const char* town;
  const char* phone;
  const char* email;  // empty: the customer gets paper
  const char* type;
  const char* terms;
  int payingHabit;  // 0 pays promptly, 1 pays late, 2 leaves invoices open
};

constexpr DemoCustomer kCustomers[] = {
    {"1001", "Blue Heron Cafe", "14 Commercial Street", "Portland, ME 04101", "207-555-0141", "ap@blueheroncafe.example", "CAFE", "Net 30 Days", 0},
    {"1002", "Cedar & Pine Woodworks", "220 Forest Avenue", "Portland, ME 04103", "207-555-0172", "office@cedarpine.example", "TRADE", "Net 30 Days", 1},
    {"1003", "Dockside Fish Market", "3 Custom House Wharf", "Portland, ME 04101", "207-555-0118", "", "RETAIL", "Net 10 Days", 0},
    {"1004", "Evergreen Dental Group", "85 Stroudwater Street", "Westbrook, ME 04092", "207-555-0166", "billing@evergreendental.example", "OFFICE", "Net 30 Days", 0},
    {"1005", "Golden Crust Pizzeria", "512 Congress Street", "Portland, ME 04101", "207-555-0190", "owner@goldencrust.example", "CAFE", "Net 20 Days", 2},
    {"1006", "Harborview Inn", "9 Shore Road", "Cape Elizabeth, ME 04107", "207-555-0133", "frontdesk@harborviewinn.example", "LODGING", "Net 30 Days", 0},
    {"1007", "Ironwood Fitness", "1400 Brighton Avenue", "Portland, ME 04102", "207-555-0107", "accounts@ironwoodfit.example", "OFFICE", "Net 30 Days", 1},
    {"1008", "Juniper Florist", "47 Exchange Street", "Portland, ME 04101", "207-555-0125", "hello@juniperflorist.example", "RETAIL", "Due On Receipt", 0},
    {"1009", "Lighthouse Books", "2 Main Street", "Yarmouth, ME 04096", "207-555-0159", "books@lighthousebooks.example", "RETAIL", "Net 30 Days", 0},
    {"1010", "Maple Street Deli", "31 Maple Street", "South Portland, ME 04106", "207-555-0183", "", "CAFE", "Net 10 Days", 1},
    {"1011", "Northgate Auto Repair", "600 Allen Avenue", "Portland, ME 04103", "207-555-0112", "service@northgateauto.example", "TRADE", "Net 30 Days", 2},
    {"1012", "Oak Hollow Vineyard", "18 Hollow Road", "Gorham, ME 04038", "207-555-0147", "orders@oakhollow.example", "LODGING", "2% 10 Net 30", 0},
    {"1013", "Pelican Bay Marina", "1 Marina Way", "Falmouth, ME 04105", "207-555-0170", "office@pelicanbay.example", "TRADE", "Net 30 Days", 0},
    {"1014", "Riverside Yoga Studio", "75 River Road", "Windham, ME 04062", "207-555-0138", "studio@riversideyoga.example", "OFFICE", "Net 20 Days", 0},
    {"1015", "Tidewater Brewing Co.", "250 Fore Street", "Portland, ME 04101", "207-555-0195", "ap@tidewaterbrewing.example", "TRADE", "Net 30 Days", 1},
    {"1016", "Union Square Bakery", "12 Union Square", "Portland, ME 04101", "207-555-0164", "bakery@unionsquare.example", "CAFE", "Net 30 Days", 0},
};

struct DemoProduct {
  const char* code;
  const char* description;
  const char* price;
  bool taxable;
};

constexpr DemoProduct kProducts[] = {
    {"PT-12", "Paper towels, case of 12 rolls", "24.50", true},
    {"NAP-500", "Dinner napkins, pack of 500", "11.75", true},
    {"CUP-12", "Hot cups 12 oz, sleeve of 50", "8.90", true},
    {"LID-12", "Cup lids 12 oz, sleeve of 100", "6.40", true},
    {"BOX-PZ", "Pizza boxes 16 in, bundle of 50", "42.00", true},
    {"GLV-L", "Nitrile gloves large, box of 100", "13.20", true},
    {"CLN-1G", "All-purpose cleaner, 1 gallon", "15.80", true},
    {"BAG-T", "Trash bags 33 gal, case of 100", "29.95", true},
    {"RCPT", "Receipt paper rolls, case of 50", "54.00", true},
    {"CPY-10", "Copy paper, case of 10 reams", "48.50", true},
    {"DEL", "Delivery", "15.00", false},
    {"SVC-HR", "On-site service, per hour", "65.00", false},
};

std::string CsvOf(const std::vector<std::vector<std::string>>& rows) {
  std::string text;
  for (const auto& row : rows) text += common::CsvLine(row);
  return text;
}

std::string CustomersCsv() {
  std::vector<std::vector<std::string>> rows = {{"CustomerNumber", "CustomerName", "ShortName", "CustomerType",
                                                 "Terms", "BillAddress1", "BillAddress2", "Phone1", "EMail",
                                                 "MailSortCode", "CreditLimit", "Notes", "NotesOnStatements"}};
  for (const DemoCustomer& c : kCustomers) {
    std::string town = c.town;
    rows.push_back({c.number, c.name, std::string(c.name).substr(0, 10), c.type, c.terms, c.street, town, c.phone,
                    c.email, town.substr(town.size() - 5), "2500.00",
                    c.payingHabit == 2 ? "Call before the end of the month about the open invoices." : "",
                    c.payingHabit == 2 ? "Y" : "N"});
  }
  return CsvOf(rows);
}

std::string ProductsCsv() {
  std::vector<std::vector<std::string>> rows = {{"ProductCode", "ProductDescription", "Taxable", "SalesPrice"}};
  for (const DemoProduct& p : kProducts) rows.push_back({p.code, p.description, p.taxable ? "Y" : "N", p.price});
  return CsvOf(rows);
}

struct PlannedInvoice {
  std::string number;
  const DemoCustomer* customer;
  year_month_day date;
};

// About twenty invoices a month for the twelve months up to the demo's day, numbered in date
// order; one in eight a memo invoice for service work.
std::string InvoicesCsv(year_month_day today, common::DateFormat format, std::vector<PlannedInvoice>& planned) {
  using namespace std::chrono;
  DemoRandom random;
  std::vector<std::vector<std::string>> rows = {{"InvoiceNumber", "InvoiceType", "CustomerNumber", "InvoiceDate",
                                                 "Terms", "ProductCode", "Quantity", "Description", "UnitPrice",
                                                 "TaxMark", "MemoText", "NetAmount"}};
  const sys_days last{today};
  const sys_days first = last - days{364};
  std::vector<sys_days> dates;
  for (sys_days d = first; d <= last; d += days{1})
    if (weekday{d} != Sunday && weekday{d} != Saturday)
      for (int n = random.Below(3); n > 0; --n) dates.push_back(d);
  int number = 1001;
  for (sys_days d : dates) {
    const DemoCustomer& c = kCustomers[random.Below(static_cast<int>(std::size(kCustomers)))];
    const std::string invoice = std::to_string(number++);
    const std::string date = common::FormatDate(year_month_day{d}, format);
    planned.push_back({invoice, &c, year_month_day{d}});
    if (random.Below(8) == 0) {
      const int hours = 1 + random.Below(4);
      rows.push_back({invoice, "M", c.number, date, c.terms, "", "1", "Service call", "", "",
                      "On-site service: " + std::to_string(hours) +
                          " hours.\nChecked and adjusted the dispensers; replaced two worn parts.",
                      common::Format0_00(common::Money::FromCents(6500 * hours))});
      continue;
    }
    const int lines = 1 + random.Below(4);
    for (int l = 0; l < lines; ++l) {
      const DemoProduct& p = kProducts[random.Below(10)];
      rows.push_back({invoice, "P", c.number, date, c.terms, p.code, std::to_string(1 + random.Below(8)),
                      p.description, p.price, p.taxable ? "Y" : "N", "", ""});
    }
    if (random.Below(3) == 0)
      rows.push_back({invoice, "P", c.number, date, c.terms, "DEL", "1", "Delivery", "15.00", "N", "", ""});
  }
  return CsvOf(rows);
}

// A prompter for the payments: any question is answered as the batch jobs answer it; a message
// that would stop the user is kept, so the demo can say it failed.
class DemoPrompter : public BatchPrompter {
 public:
  common::PromptAnswer Show(const common::PromptMessage& m) override {
    last = m.text;
    return BatchPrompter::Show(m);
  }
  std::string last;
};

// Company 1, the demo's, as the current company of a book.
bool CompanyOne(CommandContext& c, records::CompanyBook& book) {
  common::RecordBuffer company(records::company::kCompanyRecordLength);
  if (!ReadCompany(c, "1", company)) return false;
  std::copy(company.begin(), company.end(), book.Current().begin());
  return true;
}

struct PaymentRun {
  int payments = 0;
  std::string problem;
};

// Customers pay what is older than their habit allows: promptly after 30 days, late after 75,
// and the third kind leaves everything open. One partial payment and one deposit as well.
PaymentRun PostPayments(CommandContext& c, year_month_day today, const std::vector<PlannedInvoice>& planned) {
  using namespace std::chrono;
  PaymentRun run;
  records::CompanyBook book;
  if (!CompanyOne(c, book)) {
    run.problem = "the company record could not be read";
    return run;
  }
  DemoPrompter prompter;
  SilentStatus status;
  common::FixedClock clock(today, hours{10});
  payments::PaymentBooks books(book, prompter, status, clock);
  if (!books.Open()) {
    run.problem = "the payment files could not be opened: " + prompter.last;
    return run;
  }
  const auto company = payments::WizardCompany::FromRecord(book.Current());
  payments::PaymentWizard wizard(
      {prompter, clock,
       [&books, &company](const std::string& customer, std::vector<std::string>& unreadable) {
         return books.OpenItems(customer, company.dateFormat, unreadable);
       },
       [&books](const payments::PostRequest& request) { return books.Post(request); }},
      company);
  const std::string payDay = common::FormatDate(sys_days{today} - days{2}, company.dateFormat);

  auto post = [&](const DemoCustomer& c, const std::function<bool(payments::PaymentWizard&)>& choose) {
    wizard.Open();
    const auto customer = books.FindCustomer(c.number);
    if (!customer || !wizard.ChooseCustomer(*customer)) {
      run.problem = std::string("customer ") + c.number + " could not be chosen";
      return false;
    }
    wizard.SetDate(payDay);
    if (!choose(wizard)) {
      if (wizard.Right().empty()) return true;  // nothing to pay
      run.problem = std::string("the payment of customer ") + c.number + " does not add up: " + prompter.last;
      return false;
    }
    wizard.SetNotes("Demo payment");
    const payments::PostOutcome outcome = wizard.Post();
    if (!outcome.posted) {
      run.problem = std::string("the payment of customer ") + c.number + " was not posted: " + outcome.message +
                    " " + prompter.last;
      return false;
    }
    ++run.payments;
    return true;
  };

  bool partialDone = false;
  for (const DemoCustomer& c : kCustomers) {
    if (c.payingHabit == 2) continue;
    const int after = c.payingHabit == 0 ? 30 : 75;
    std::vector<std::string> due;
    for (const PlannedInvoice& p : planned)
      if (p.customer == &c && sys_days{p.date} + days{after} < sys_days{today}) due.push_back(p.number);
    const bool ok = post(c, [&](payments::PaymentWizard& w) {
      std::vector<std::size_t> chosen;
      common::Money sum;
      for (std::size_t i = 0; i < w.Left().size(); ++i)
        for (const std::string& n : due)
          if (w.Left()[i].number == n) {
            chosen.push_back(i);
            sum += w.Left()[i].amount;
          }
      if (chosen.empty()) return false;
      w.SetAmount(common::Format0_00(sum));
      w.Include(chosen);
      return w.PostEnabled();
    });
    if (!ok) return run;
    // The late payers' newest open invoice is half paid.
    if (c.payingHabit == 1 && !partialDone) {
      const bool partial = post(c, [&](payments::PaymentWizard& w) {
        if (w.Left().empty()) return false;
        const std::size_t last = w.Left().size() - 1;
        const common::Money half = common::Money::FromMicros(w.Left()[last].amount.Micros() / 2).Rounded(2);
        if (!w.BeginPartial(last) || !w.AcceptPartial(last, common::Format0_00(half))) return false;
        w.SetAmount(common::Format0_00(half));
        return w.PostEnabled();
      });
      if (!partial) return run;
      partialDone = true;
    }
  }
  // A deposit on account from a customer who orders ahead.
  const bool deposit = post(kCustomers[5], [](payments::PaymentWizard& w) {
    if (!w.AcceptDeposit("500.00")) return false;
    w.SetAmount("500.00");
    return w.PostEnabled();
  });
  if (!deposit) return run;
  books.Close();
  return run;
}

// The newest invoice of a prompt payer, still unpaid, becomes a monthly repeat master due a
// month after its date: what a cleaning contract or a standing order looks like.
std::string MakeRepeatMaster(CommandContext& c, const std::vector<PlannedInvoice>& planned, std::string& master) {
  const PlannedInvoice* chosen = nullptr;
  for (const PlannedInvoice& p : planned)
    if (p.customer->payingHabit == 0) chosen = &p;
  if (!chosen) return "no invoice to repeat";
  records::CompanyBook book;
  if (!CompanyOne(c, book)) return "the company record could not be read";
  DemoPrompter prompter;
  SilentStatus status;
  engine::FileBlockGuard invoices, lines;
  if (!records::invoice::OpenInvoiceFile(invoices.handle(), "1", prompter, status) ||
      !records::invoice::OpenLineFile(lines.handle(), "1", prompter, status))
    return "the invoice files could not be opened";
  const auto stored = records::invoice::ReadInvoiceRecords(invoices.get(), chosen->number);
  if (!stored || stored->empty()) return "invoice " + chosen->number + " could not be read";
  auto setup = billing::RepeatSetup::Begin(stored->front().record, book.Current(), prompter);
  if (!setup) return "invoice " + chosen->number + " cannot repeat: " + prompter.last;
  setup->generate = true;
  setup->months = true;
  setup->numDays = "1";
  const std::chrono::year_month_day due = billing::AddMonths(1, chosen->date);
  setup->endDate = common::FormatDate(due, common::DateFormat::MonthFirst);
  if (setup->Check(prompter)) return "the repeat schedule was refused: " + prompter.last;
  const std::string failure = billing::SaveRepeatSetup({invoices.get(), lines.get(), stored->front().ref}, *setup,
                                                       book, prompter, status, chosen->date);
  master = chosen->number;
  return failure;
}

bool ParseDay(const std::string& text, year_month_day& day) {
  unsigned y = 0, m = 0, d = 0;
  char dash1 = 0, dash2 = 0;
  std::istringstream in(text);
  if (!(in >> y >> dash1 >> m >> dash2 >> d) || dash1 != '-' || dash2 != '-' || !in.eof()) return false;
  day = year_month_day{std::chrono::year(static_cast<int>(y)), std::chrono::month(m), std::chrono::day(d)};
  return day.ok();
}

}  // namespace

int RunDemo(CommandContext& c, const std::vector<std::string>& args) {
  using namespace std::chrono;
  year_month_day today{floor<days>(system_clock::now())};
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--today" && i + 1 < args.size() && ParseDay(args[i + 1], today)) {
      ++i;
    } else {
      c.err << "tallyfold-cli: demo takes a new folder and, if wanted, --today YYYY-MM-DD (the demo's last day)\n";
      return kExitUsage;
    }
  }
  std::error_code ec;
  if (fs::exists(c.dataFolder, ec) && !fs::is_empty(c.dataFolder, ec)) {
    c.err << "tallyfold-cli: " << c.dataFolder.string()
          << " already holds files; the demo company goes into a new or empty folder. Nothing was changed.\n";
    return kExitUsage;
  }
  const std::string made = app::CreateStarterFolder(c.dataFolder);
  if (!made.empty()) {
    c.err << "tallyfold-cli: the demo folder could not be made (" << made << ").\n";
    return kExitUsage;
  }
  std::ostringstream quiet;
  CommandContext silent{c.dataFolder, quiet, quiet, c.extensions};
  auto failed = [&](const char* step) {
    c.err << "tallyfold-cli: the demo company could not be made: " << step << " failed.\n" << quiet.str();
    return kExitProblems;
  };
  const std::vector<std::string> options = {
      "set",           "CompanyName=Harbor Lights Supply Co.", "Address1=100 Marginal Way", "Address2=Portland, ME 04101",
      "Address3=207-555-0100", "DateFormat=M",                "TaxRate=5.500",             "TaxHeading=Sales Tax",
      "DefaultTerms=Net 30 Days", "InvoiceTitle=INVOICE",      "StatementTitle=STATEMENT",  "EMailAddress=billing@harborlights.example",
      "SalesMessage1=Thank you for your business!", "PrintSalesMessage=Y", "NextInvoiceNumber=1001",
      "ExtensionHeading=Amount"};
  // The options go in as `company set` puts them, under its own hold on the folder.
  if (RunCompany(silent, options) != kExitOk) return failed("setting the company's options");
  std::optional<common::FolderLock> lock;
  if (!LockDataFolder(c, lock)) return kExitUsage;

  EngineScope engine;
  std::istringstream customers(CustomersCsv());
  if (ImportCustomers(silent, "1", customers, {}) != kExitOk) return failed("importing the customers");
  std::istringstream products(ProductsCsv());
  if (ImportProducts(silent, "1", products, {}) != kExitOk) return failed("importing the products");
  std::vector<PlannedInvoice> planned;
  std::istringstream invoices(InvoicesCsv(today, common::DateFormat::MonthFirst, planned));
  if (ImportInvoices(silent, "1", invoices, {}) != kExitOk) return failed("importing the invoices");

  const PaymentRun payments = PostPayments(silent, today, planned);
  if (!payments.problem.empty()) {
    c.err << "tallyfold-cli: the demo company could not be made: " << payments.problem << ".\n";
    return kExitProblems;
  }

  std::string master;
  const std::string repeat = MakeRepeatMaster(silent, planned, master);
  if (!repeat.empty()) {
    c.err << "tallyfold-cli: the demo company could not be made: " << repeat << ".\n";
    return kExitProblems;
  }
  records::CompanyBook book;
  if (!CompanyOne(silent, book)) return failed("reading the company");
  BatchPrompter prompter;
  SilentStatus status;
  common::FixedClock clock(today, hours{10});
  const aging::AgingOutcome aged = aging::RunAging({book, prompter, status, clock, [](std::string_view) {}, true});
  if (!aged.complete) {
    c.err << "tallyfold-cli: the demo company could not be made: the aging run failed (" << aged.message << ").\n";
    return kExitProblems;
  }
  // Interest on what is over 60 days, as the Interest Wizard charges it on the demo's day (the
  // command holds the folder itself).
  lock.reset();
  const std::string day = common::FormatDate(today, common::DateFormat::MonthFirst);
  if (RunInterestCommand(silent, {"--date", day, "--over", "60", "--percent", "1.5", "--minimum", "2.00"}) != kExitOk)
    return failed("charging interest");
  common::RecordBuffer company(records::company::kCompanyRecordLength);
  if (!ReadCompany(silent, "1", company)) return failed("reading the company");
  c.out << "Made the demo company \"Harbor Lights Supply Co.\" in " << c.dataFolder.string() << ": "
        << std::size(kCustomers) << " customers, " << std::size(kProducts) << " products, " << planned.size()
        << " invoices over the year to " << common::FormatDate(today, common::DateFormat::MonthFirst) << ", "
        << payments.payments << " payments (one partial, one deposit), repeat master " << master
        << ", interest charged on balances over 60 days; balance "
        << common::ReadText(company, records::company::kCompanyBalance) << ".\n"
        << "Start the program on it with: tallyfold --data " << c.dataFolder.string() << "\n";
  return kExitOk;
}

}  // namespace tf::cli
