#include "app/cli/invoice_csv.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "app/cli/failure_words.h"
#include "common/money_format.h"
#include "common/money_text.h"
#include "common/prompter.h"
#include "common/record_fields.h"
#include "common/stored_text.h"
#include "common/text.h"
#include "invoicing/entry_numbers.h"
#include "invoicing/invoice_books.h"
#include "invoicing/invoice_entry.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/record_file.h"
#include "records/walk_by_key.h"

namespace tf::cli {
namespace {

namespace inv = records::invoice;
namespace cu = records::customer;
using common::CsvError;
using common::Money;
using common::ReadText;
using common::TrimBoth;
using invoicing::InvoiceEntry;

// A file with many bad rows reports the first ones and counts the rest.
constexpr std::size_t kMaxReportedProblems = 100;

// The columns by place. The invoice's own come first and repeat on each of its rows; the line's
// follow.
enum Column : std::size_t {
  kNumber,
  kType,
  kCustomer,
  kDate,
  kKeyCode,
  kTerms,
  kNotes,
  kStatementNote,
  kPrinted,
  kNet,
  kTax,
  kTotal,
  kPaid,
  kProductCode,
  kQuantity,
  kDescription,
  kUnitPrice,
  kTaxMark,
  kExtension,
  kMemoText,
  kColumnCount
};
constexpr std::size_t kFirstLineColumn = kProductCode;

// The grid column a line column fills.
constexpr std::pair<Column, int> kGridColumns[] = {{kProductCode, invoicing::kCodeColumn},
                                                   {kQuantity, invoicing::kQuantityColumn},
                                                   {kDescription, invoicing::kDescriptionColumn},
                                                   {kUnitPrice, invoicing::kUnitPriceColumn},
                                                   {kTaxMark, invoicing::kTaxColumn}};

// Entry's questions answered as for history brought over, and the message of a failed check
// kept for the report.
class ImportPrompter : public common::Prompter {
 public:
  common::PromptAnswer Show(const common::PromptMessage& m) override {
    switch (m.buttons) {
      case common::PromptButtons::YesNo:
        // "Is this a no-charge invoice?" and the credit limit: the invoice is taken as it was.
        return common::PromptAnswer::Yes;
      case common::PromptButtons::YesNoCancel:
        // A new payment term stays on the invoice; the terms list is the user's to extend.
        return common::PromptAnswer::No;
      default:
        last = m.text;
        return common::PromptAnswer::OK;
    }
  }
  std::string last;
};

// One row as read: its line and its values by column (nothing: the column is absent).
struct Row {
  std::size_t line = 0;
  std::vector<std::optional<std::string>> values;
  const std::optional<std::string>& operator[](Column c) const { return values[c]; }
  std::string Or(Column c, std::string_view fallback = {}) const {
    return values[c] ? *values[c] : std::string(fallback);
  }
  // A column given with something in it.
  bool Given(Column c) const { return values[c] && !TrimBoth(*values[c]).empty(); }
};

std::string Upper(std::string_view text) { return common::UpperCase(TrimBoth(text)); }

// The customers an import has moved, held until the end (or until there are many) so that a
// customer with a hundred invoices is read once and written once, not a hundred times.
class CustomerCache {
 public:
  explicit CustomerCache(engine::FileBlock* customers) : customers_(customers) {}

  // The customer's record as the invoices so far left it, by exact number; nothing when there is
  // none (EngineOK false: the engine failed).
  struct Found {
    std::int32_t ref;
    common::RecordBuffer* record;
  };
  std::optional<Found> Find(const std::string& number) {
    if (auto known = refs_.find(number); known != refs_.end())
      return Found{known->second, &records_.at(known->second).now};
    common::RecordBuffer record = cu::NewCustomerRecord();
    const auto ref = cu::FindCustomerByNumber(customers_, number, record);
    if (!ref) return std::nullopt;
    refs_.emplace(number, *ref);
    // Two spellings of one number ("c1", "C1") share the one record.
    auto [held, added] = records_.try_emplace(*ref, Held{record, record});
    return Found{*ref, &held->second.now};
  }

  // Writes every changed record and forgets them all. False when a write failed.
  bool WriteBack(common::Prompter& prompter) {
    for (auto& [ref, held] : records_)
      if (held.now != held.stored &&
          !records::ModifyKeyedRecord(customers_, cu::CustomerFileKind(), ref, held.now, held.stored, prompter))
        return false;
    records_.clear();
    refs_.clear();
    return true;
  }

  std::size_t size() const { return records_.size(); }

 private:
  struct Held {
    common::RecordBuffer stored;  // as on file
    common::RecordBuffer now;     // with the invoices read so far
  };
  engine::FileBlock* customers_;
  std::unordered_map<std::string, std::int32_t> refs_;
  std::unordered_map<std::int32_t, Held> records_;
};

// Held customers are written back when there are this many, which bounds the memory an import
// of a large customer list takes.
constexpr std::size_t kHeldCustomers = 20'000;

class Importer {
 public:
  Importer(const InvoiceBlocks& stages, std::span<std::uint8_t> company, const common::Clock& clock,
           InvoiceImport& result)
      : stages_(stages),
        company_(company),
        clock_(clock),
        result_(result),
        entryCompany_(invoicing::EntryCompany::FromRecord(company)),
        entry_({prompter_, clock_, [this](const std::string& n) { return NumberExists(n); }, nullptr, nullptr},
               entryCompany_),
        customers_(stages.customers) {}

  // Adds `row` to the invoice being read, first saving the one before when the number changes.
  // False when an add failed in the engine.
  bool Take(Row row) {
    if (!rows_.empty() && Upper(row.Or(kNumber)) != Upper(rows_.front().Or(kNumber)) && !Flush()) return false;
    if (rows_.size() == std::size_t(invoicing::kGridRows)) {
      if (!tooLong_)
        Report(row.line, "invoice " + TrimBoth(row.Or(kNumber)) + ": an invoice holds at most " +
                             std::to_string(invoicing::kGridRows) + " lines");
      tooLong_ = true;
      return true;
    }
    rows_.push_back(std::move(row));
    return true;
  }

  // Saves the invoice being read. False when an add failed in the engine.
  bool Flush() {
    const bool spoilt = tooLong_;
    tooLong_ = false;
    if (rows_.empty()) return true;
    bool ok = true;
    if (!spoilt) ok = Save();
    rows_.clear();
    return ok;
  }

  // Writes the customers the invoices moved. False when a write failed in the engine.
  bool Finish() { return Flush() && customers_.WriteBack(prompter_); }

  void Report(std::size_t line, std::string text) {
    ++result_.problems;
    if (result_.errors.size() < kMaxReportedProblems) result_.errors.push_back({line, std::move(text)});
  }

 private:
  std::optional<bool> NumberExists(const std::string& number) {
    std::int32_t ref = 0;
    if (inv::FindInvoice(stages_.invoices, number, ref, prompter_)) return true;
    if (!engine::EngineOK) return std::nullopt;
    return false;
  }

  // The first thing wrong with the rows as text (before entry sees them), reported; false then.
  bool RowsReadable() {
    const Row& first = rows_.front();
    const std::string name = "invoice " + TrimBoth(first.Or(kNumber)) + ": ";
    for (const Row& row : rows_) {
      for (std::size_t c = 0; c < kFirstLineColumn; ++c)
        if (row.values[c] != first.values[c]) {
          Report(row.line, name + InvoiceColumns()[c] + " differs from the invoice's first row (line " +
                               std::to_string(first.line) + ")");
          return false;
        }
      struct Width {
        Column column;
        std::size_t capacity;
      };
      const Width widths[] = {{kNumber, inv::kInvoiceNumberWidth},
                              {kCustomer, inv::kCustomerNumber.capacity},
                              {kDate, inv::kInvoiceDate.capacity},
                              {kKeyCode, inv::kKeyCode.capacity},
                              {kTerms, inv::kTerms.capacity},
                              {kNotes, inv::kNotes.capacity},
                              {kStatementNote, inv::kStatementNote.capacity},
                              {kProductCode, invoicing::kColumnWidth[invoicing::kCodeColumn]},
                              {kQuantity, invoicing::kColumnWidth[invoicing::kQuantityColumn]},
                              {kDescription, invoicing::kColumnWidth[invoicing::kDescriptionColumn]},
                              {kUnitPrice, invoicing::kColumnWidth[invoicing::kUnitPriceColumn]},
                              {kTaxMark, invoicing::kColumnWidth[invoicing::kTaxColumn]}};
      for (const Width& w : widths)
        if (auto problem = common::StoredTextProblem(InvoiceColumns()[w.column], row.Or(w.column), w.capacity,
                                                     common::TextKind::Line)) {
          Report(row.line, name + *problem);
          return false;
        }
      // The body is wrapped by entry; only its characters are checked here.
      if (auto problem =
              common::StoredTextProblem(InvoiceColumns()[kMemoText], common::StoredLineBreaks(row.Or(kMemoText)),
                                        std::string::npos, common::TextKind::Notes)) {
        Report(row.line, name + *problem);
        return false;
      }
    }
    return true;
  }

  // The amount of a column, or nothing (reported) when it is not a number.
  std::optional<Money> AmountOf(const Row& row, Column c, const std::string& name) {
    const auto amount = invoicing::ReadEnteredNumber(row.Or(c));
    if (!amount) Report(row.line, name + InvoiceColumns()[c] + " is not a valid amount");
    return amount;
  }

  bool Save() {
    if (!RowsReadable()) return true;
    const Row& first = rows_.front();
    const std::string number = TrimBoth(first.Or(kNumber));
    const std::string name = "invoice " + number + ": ";
    const std::string type = Upper(first.Or(kType));
    if (!type.empty() && type != "P" && type != "M") {
      Report(first.line, name + "InvoiceType must be P (line items) or M (memo)");
      return true;
    }
    const bool memo = type == "M";
    const std::string printed = Upper(first.Or(kPrinted));
    if (!printed.empty() && printed != "Y" && printed != "N") {
      Report(first.line, name + "PrintedFlag must be Y or N");
      return true;
    }
    if (memo && rows_.size() > 1) {
      Report(rows_[1].line, name + "a memo invoice has one row, its body in MemoText");
      return true;
    }
    for (const Row& row : rows_) {
      if (!memo && row.Given(kMemoText)) {
        Report(row.line, name + "MemoText belongs to a memo invoice (InvoiceType M) only");
        return true;
      }
      // A memo invoice's line is made from its Description, Quantity and NetAmount.
      for (Column c : {kProductCode, kUnitPrice, kTaxMark, kExtension})
        if (memo && row.Given(c)) {
          Report(row.line, name + InvoiceColumns()[c] + " belongs to line items; a memo invoice leaves it empty");
          return true;
        }
    }

    // The customer, exactly by number.
    if (customers_.size() >= kHeldCustomers && !customers_.WriteBack(prompter_)) return false;
    std::optional<CustomerCache::Found> customer;
    const std::string customerNumber = TrimBoth(first.Or(kCustomer));
    if (!customerNumber.empty()) {
      customer = customers_.Find(customerNumber);
      if (!customer) {
        if (!engine::EngineOK) return false;
        Report(first.line, name + "there is no customer " + customerNumber);
        return true;
      }
    }

    // The dialog, filled as a person would fill it.
    InvoiceEntry& e = entry_;
    e.BeginAdd(clock_.Today());
    e.SetStyle(memo ? invoicing::InvoiceStyle::Memo : invoicing::InvoiceStyle::LineItem);
    e.SetNumber(number);
    if (customer) e.ChooseCustomer(invoicing::EntryCustomer::FromRecord(*customer->record));
    e.SetDate(TrimBoth(first.Or(kDate)));
    if (first[kTerms]) e.SetTerms(TrimBoth(*first[kTerms]));
    if (first[kKeyCode]) e.SetKeyCode(TrimBoth(*first[kKeyCode]));
    e.SetNotes(TrimBoth(first.Or(kNotes)));
    e.SetStatementNote(TrimBoth(first.Or(kStatementNote)));
    if (memo) {
      e.SetMemoText(common::StoredLineBreaks(first.Or(kMemoText)));
      e.SetMemoDescription(TrimBoth(first.Or(kDescription)));
      e.SetMemoQuantity(TrimBoth(first.Or(kQuantity)));
      e.SetNet(first.Or(kNet, "0.00"));
      e.SetTax(first.Or(kTax, "0.00"));
    } else {
      std::vector<std::string> texts;
      std::vector<std::pair<int, std::string_view>> cells;
      for (std::size_t r = 0; r < rows_.size(); ++r) {
        texts.clear();
        cells.clear();
        for (const auto& [column, grid] : kGridColumns)
          if (rows_[r][column]) texts.push_back(TrimBoth(*rows_[r][column]));
        std::size_t next = 0;
        for (const auto& [column, grid] : kGridColumns)
          if (rows_[r][column]) cells.push_back({grid, texts[next++]});
        e.SetCells(int(r + 1), cells);
      }
      if (first.Given(kTax) && !ChooseTaxBox(first, name)) return true;
    }
    e.SetPaid(first.Or(kPaid, "0.00"));

    prompter_.last.clear();
    if (!e.Accept()) {
      std::size_t line = first.line;
      if (e.Focus() == invoicing::EntryField::Grid && e.FocusRow() >= 1 && std::size_t(e.FocusRow()) <= rows_.size())
        line = rows_[std::size_t(e.FocusRow() - 1)].line;
      Report(line, name + (prompter_.last.empty() ? std::string("refused by the invoice checks") : prompter_.last));
      return true;
    }
    if (!AmountsAgree(name, memo) || !customer) return true;
    return Write(*customer->record, printed, name);
  }

  // A line-item invoice's tax is computed; a TaxAmount given says whether the tax box was
  // checked, and must be what the box gives.
  bool ChooseTaxBox(const Row& first, const std::string& name) {
    const auto wanted = AmountOf(first, kTax, name);
    if (!wanted) return false;
    InvoiceEntry& e = entry_;
    for (bool box : {true, false}) {
      e.SetTaxBox(box);
      if (e.Tax() == *wanted) return true;
    }
    e.SetTaxBox(true);
    Report(first.line, name + "TaxAmount " + common::Format0_00(*wanted) + " is not the tax of its lines (" +
                           common::Format0_00(e.Tax()) + " at the company's rate of " + entryCompany_.taxRateText +
                           "%, or 0.00 without tax)");
    return false;
  }

  // The amounts the file gives beside what entry computed agree with it.
  bool AmountsAgree(const std::string& name, bool memo) {
    const InvoiceEntry& e = entry_;
    const Row& first = rows_.front();
    std::vector<std::pair<Column, Money>> computed = {{kTotal, e.Total()}};
    if (!memo) computed.push_back({kNet, e.Net()});
    for (const auto& [column, value] : computed) {
      if (!first.Given(column)) continue;
      const auto given = AmountOf(first, column, name);
      if (!given) return false;
      if (*given != value) {
        Report(first.line, name + InvoiceColumns()[column] + " " + common::Format0_00(*given) + " is not " +
                               (column == kTotal ? "NetAmount + TaxAmount" : "the sum of its lines") + " (" +
                               common::Format0_00(value) + ")");
        return false;
      }
    }
    if (memo) return true;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const Row& row = rows_[r];
      if (!row.Given(kExtension)) continue;
      const auto given = AmountOf(row, kExtension, name);
      if (!given) return false;
      const Money extension =
          invoicing::ReadEnteredNumber(e.Row(int(r + 1)).cell[invoicing::kExtensionColumn]).value_or(Money());
      if (*given != extension) {
        Report(row.line, name + "Extension " + common::Format0_00(*given) + " is not Quantity x UnitPrice (" +
                             common::Format0_00(extension) + ")");
        return false;
      }
    }
    return true;
  }

  // The invoice, its memo and lines into the stages, and its open amount into the customer and
  // the company, as a save writes them. False when an add failed in the engine.
  bool Write(common::RecordBuffer& customer, const std::string& printed, const std::string& name) {
    const InvoiceEntry& e = entry_;
    common::RecordBuffer invoice = e.InvoiceRecord();
    if (!printed.empty()) common::WriteText(invoice, inv::kPrintedFlag, printed);
    const std::string number = ReadText(invoice, inv::kInvoiceNumber);
    const auto date = inv::InvoiceDateOf(invoice);
    const Money open = e.Balance();
    common::RecordBuffer customerAfter = customer;
    const invoicing::BalanceChange change{Money(),  std::nullopt, open, *date, ReadText(invoice, inv::kInvoiceDate),
                                          e.Paid(), number,       false};
    if (!invoicing::ApplyToCustomer(customerAfter, change, clock_.Today(), entryCompany_.agingDays,
                                    entryCompany_.dateFormat)) {
      Report(rows_.front().line, name + "it would take the balance of customer " + e.Customer()->number +
                                     " beyond the width it is stored in");
      return true;
    }
    common::RecordBuffer companyAfter(company_.size());
    std::copy(company_.begin(), company_.end(), companyAfter.begin());
    if (!invoicing::ApplyToCompany(companyAfter, open, &number)) {
      Report(rows_.front().line, name + "it would take the company balance beyond the width it is stored in");
      return true;
    }
    std::int32_t ref = 0;
    if (!inv::AddInvoice(stages_.invoices, invoice, ref, prompter_)) return false;
    if (e.Style() == invoicing::InvoiceStyle::Memo &&
        !inv::AddMemo(stages_.memos, e.MemoRecord(nullptr), ref, prompter_))
      return false;
    for (const common::RecordBuffer& line : e.LineRecords({})) {
      if (!inv::AddLine(stages_.lines, line, ref, prompter_)) return false;
      ++result_.lines;
    }
    customer = std::move(customerAfter);
    std::copy(companyAfter.begin(), companyAfter.end(), company_.begin());
    ++result_.invoices;
    return true;
  }

  const InvoiceBlocks& stages_;
  std::span<std::uint8_t> company_;
  const common::Clock& clock_;
  InvoiceImport& result_;
  ImportPrompter prompter_;
  invoicing::EntryCompany entryCompany_;
  InvoiceEntry entry_;
  CustomerCache customers_;
  std::vector<Row> rows_;
  bool tooLong_ = false;
};

}  // namespace

const std::vector<std::string>& InvoiceColumns() {
  static const std::vector<std::string> columns = {
      "InvoiceNumber", "InvoiceType", "CustomerNumber", "InvoiceDate", "KeyCode",     "Terms",      "Notes",
      "StatementNote", "PrintedFlag", "NetAmount",      "TaxAmount",   "TotalAmount", "PaidAmount", "ProductCode",
      "Quantity",      "Description", "UnitPrice",      "TaxMark",     "Extension",   "MemoText"};
  return columns;
}

InvoiceImport ImportInvoiceRows(const InvoiceBlocks& stages, std::istream& csv, std::span<std::uint8_t> company,
                                const common::Clock& clock) {
  InvoiceImport result;
  common::CsvTableReader reader(csv, InvoiceColumns(), {"InvoiceNumber", "CustomerNumber", "InvoiceDate"});
  Importer importer(stages, company, clock, result);
  for (const CsvError& e : reader.headerErrors()) importer.Report(e.line, e.text);
  if (!reader.headerOk()) return result;  // rows read under a wrong header would only repeat its problem
  common::CsvNamedRow named;
  std::vector<CsvError> passedOver;
  while (reader.Next(named, passedOver)) {
    for (CsvError& e : passedOver) importer.Report(e.line, std::move(e.text));
    passedOver.clear();
    if (named.Refused()) continue;
    if (!importer.Take({named.line, std::move(named.values)})) {
      result.writeFailed = true;
      return result;
    }
  }
  for (CsvError& e : passedOver) importer.Report(e.line, std::move(e.text));
  if (!importer.Finish()) result.writeFailed = true;
  std::stable_sort(result.errors.begin(), result.errors.end(),
                   [](const CsvError& a, const CsvError& b) { return a.line < b.line; });
  return result;
}

bool ExportInvoices(const InvoiceBlocks& files, std::span<const std::uint8_t> company, std::ostream& csv,
                    std::string& problem) {
  csv << common::CsvLine(InvoiceColumns());
  problem.clear();
  ImportPrompter prompter;  // reading asks nothing
  common::SystemClock clock;
  // Entry reads a stored invoice into its fields; the rows are those fields.
  InvoiceEntry entry({prompter, clock, nullptr, nullptr, nullptr}, invoicing::EntryCompany::FromRecord(company));
  std::vector<std::string> fields(kColumnCount);
  const bool walked = records::WalkByKey(
      files.invoices, inv::InvoiceFileKind(), inv::kKeyByNumber, [&](std::span<const std::uint8_t> invoice) {
        if (!problem.empty()) return;
        const std::string number = TrimBoth(ReadText(invoice, inv::kInvoiceNumber));
        if (ReadText(invoice, inv::kRecordKind) != inv::kKindInvoice) {
          problem = "invoice " + number + " is a record of kind \"" + inv::RecordKindText(invoice) +
                    "\", which the invoice CSV file does not carry";
          return;
        }
        const auto lines = inv::ReadInvoiceLines(files.lines, number);
        if (!lines) {
          problem = "the lines of invoice " + number + " could not be read: " + WhyItFailed();
          return;
        }
        std::vector<common::RecordBuffer> images;
        for (const inv::StoredRecord& l : *lines) images.push_back(l.record);
        std::optional<common::RecordBuffer> memo;
        const bool isMemo = ReadText(invoice, inv::kInvoiceType) == "M";
        if (isMemo) {
          std::int32_t ref = 0;
          if (inv::FindMemo(files.memos, number, ref, prompter)) {
            memo.emplace(inv::kMemoRecordLength);
            engine::GetRecord(files.memos, ref, std::span<std::uint8_t>(*memo));
          }
          if (!engine::EngineOK) {
            problem = "the memo body of invoice " + number + " could not be read: " + WhyItFailed();
            return;
          }
          if (!memo) {
            problem = "the memo body of invoice " + number + " is not in the memo file";
            return;
          }
        }
        entry.BeginEdit(invoice, images, memo ? &*memo : nullptr, nullptr);
        fields.assign(kColumnCount, std::string());
        const std::pair<Column, common::TextField> stored[] = {{kNumber, inv::kInvoiceNumber},
                                                               {kType, inv::kInvoiceType},
                                                               {kCustomer, inv::kCustomerNumber},
                                                               {kDate, inv::kInvoiceDate},
                                                               {kKeyCode, inv::kKeyCode},
                                                               {kTerms, inv::kTerms},
                                                               {kNotes, inv::kNotes},
                                                               {kStatementNote, inv::kStatementNote},
                                                               {kPrinted, inv::kPrintedFlag},
                                                               {kNet, inv::kNetAmount},
                                                               {kTax, inv::kTaxAmount},
                                                               {kTotal, inv::kTotalAmount},
                                                               {kPaid, inv::kPaidAmount}};
        for (const auto& [column, field] : stored) fields[column] = TrimBoth(ReadText(invoice, field));
        if (isMemo) {
          fields[kQuantity] = entry.MemoQuantity();
          fields[kDescription] = entry.MemoDescription();
          fields[kMemoText] = entry.MemoText();
          csv << common::CsvLine(fields);
          return;
        }
        if (images.size() > std::size_t(invoicing::kGridRows)) {
          problem = "invoice " + number + " has " + std::to_string(images.size()) + " lines, more than the " +
                    std::to_string(invoicing::kGridRows) + " an invoice holds";
          return;
        }
        // An invoice whose lines are gone still gets its row, which an import then refuses.
        const std::size_t rows = std::max<std::size_t>(1, images.size());
        for (std::size_t r = 1; r <= rows; ++r) {
          const invoicing::GridRow& g = entry.Row(int(r));
          const bool used = r <= images.size();
          for (const auto& [column, grid] : kGridColumns)
            fields[column] = used ? TrimBoth(g.cell[std::size_t(grid)]) : "";
          fields[kExtension] = used ? common::RemoveCommas(g.cell[invoicing::kExtensionColumn]) : "";
          csv << common::CsvLine(fields);
        }
      });
  if (!problem.empty()) return false;
  if (!walked) {
    problem = engine::EngineStatus == 0
                  ? "the index of the invoice file does not match the invoices it holds; rebuild it"
                  : "the invoice file could not be read to the end of its index: " + WhyItFailed();
    return false;
  }
  return true;
}

}  // namespace tf::cli
