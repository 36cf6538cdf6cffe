#include "invoicing/invoice_entry.h"

#include <algorithm>

#include "common/money_format.h"
#include "common/money_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "invoicing/entry_numbers.h"
#include "records/company_record.h"
#include "records/customer_record.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"
#include "records/product_record.h"

namespace tf::invoicing {
namespace {

namespace inv = records::invoice;
using common::Money;
using common::ReadText;
using common::TrimBoth;
using common::WriteText;

constexpr std::string_view kCaptionNumber = "Invoice Number";
constexpr std::string_view kCaptionConfirm = "Please Confirm";
constexpr std::string_view kCaptionPayment = "Payment Amount";

// Fixed places of the line text: quantity, description, unit price, tax mark, extension.
constexpr std::size_t kLineTextPlaces[][2] = {{0, 10}, {10, 32}, {42, 10}, {52, 1}, {53, 10}};


// A stored amount is rewritten only when its value changed, so an edit that changes nothing
// leaves the record byte for byte as it was.
void WriteAmount(std::span<std::uint8_t> record, common::TextField field, Money value) {
  const auto stored = common::ParseAmount(ReadText(record, field));
  if (stored && *stored == value) return;
  WriteText(record, field, common::Format0_00(value));
}

// Texts compared trimmed: " " and "" are the same open flag.
void WriteTrimmed(std::span<std::uint8_t> record, common::TextField field, std::string_view value) {
  if (TrimBoth(ReadText(record, field)) == TrimBoth(value)) return;
  WriteText(record, field, value);
}

bool Contains(std::string_view text, char c) { return text.find(c) != std::string_view::npos; }

std::string Upper(std::string_view text) { return common::UpperCase(TrimBoth(text)); }

int IntOr(std::string_view text, int fallback) {
  const auto value = common::ParseAmount(text);
  return value ? int(value->Micros() / Money::kScale) : fallback;
}

// Splits a memo line at word breaks so that no piece is longer than the memo line.
void Wrap(std::string_view line, std::vector<std::string>& out) {
  while (line.size() > kMemoLineWidth) {
    std::size_t cut = line.rfind(' ', kMemoLineWidth);
    if (cut == std::string_view::npos || cut == 0) cut = kMemoLineWidth;  // one long word: split it
    out.emplace_back(line.substr(0, cut));
    line.remove_prefix(cut);
    if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  }
  out.emplace_back(line);
}

}  // namespace

bool GridRow::Used() const { return !TrimBoth(cell[kCodeColumn]).empty() || !TrimBoth(cell[kDescriptionColumn]).empty(); }

EntryCompany EntryCompany::FromRecord(std::span<const std::uint8_t> r) {
  namespace co = records::company;
  EntryCompany c;
  c.companyNumber = TrimBoth(ReadText(r, co::kCompanyNumber));
  c.nextInvoiceNumber = TrimBoth(ReadText(r, co::kNextInvoiceNumber));
  c.yearMonthPrefix = common::ReadFlag(r, co::kYearMonthPrefix);
  c.taxRateText = TrimBoth(ReadText(r, co::kTaxRate));
  c.taxRate = common::ParseAmount(c.taxRateText).value_or(Money());
  c.calculateTaxes = common::ReadBool(r, co::kCalculateTaxes);
  c.defaultQuantity = TrimBoth(ReadText(r, co::kDefaultQuantity));
  c.defaultTerms = TrimBoth(ReadText(r, co::kDefaultTerms));
  c.dateFormat = common::DateFormatFromCode(ReadText(r, co::kDateFormat));
  c.defaultLineItem = ReadText(r, co::kDefaultInvoiceType) == "P";
  c.printOnSave = common::ReadBool(r, co::kNewInvoicePrintFlag);
  c.agingDays[0] = IntOr(ReadText(r, co::kAgingDays1), 30);
  c.agingDays[1] = IntOr(ReadText(r, co::kAgingDays2), 60);
  c.agingDays[2] = IntOr(ReadText(r, co::kAgingDays3), 90);
  c.agingCaption[0] = TrimBoth(ReadText(r, co::kAgingCaption1));
  c.agingCaption[1] = TrimBoth(ReadText(r, co::kAgingCaption2));
  c.agingCaption[2] = TrimBoth(ReadText(r, co::kAgingCaption3));
  c.agingCaption[3] = "Over " + TrimBoth(ReadText(r, co::kAgingDays3)) + ":";
  return c;
}

EntryCustomer EntryCustomer::FromRecord(std::span<const std::uint8_t> r) {
  namespace cu = records::customer;
  EntryCustomer c;
  c.number = TrimBoth(ReadText(r, cu::kCustomerNumber));
  c.name = TrimBoth(ReadText(r, cu::kCustomerName));
  c.shortName = TrimBoth(ReadText(r, cu::kShortName));
  c.terms = TrimBoth(ReadText(r, cu::kTerms));
  c.balance = common::StoredAmount(ReadText(r, cu::kBalance));
  c.creditLimit = common::StoredAmount(ReadText(r, cu::kCreditLimit));
  for (int i = 0; i < 4; ++i) c.aging[i] = common::StoredAmount(ReadText(r, cu::kAgingAmount[i]));
  c.taxExempt = ReadText(r, cu::kTaxExempt) == "Y";
  c.creditHold = common::ReadFlag(r, cu::kCreditHold);
  return c;
}

InvoiceEntry::InvoiceEntry(Services services, EntryCompany company)
    : services_(std::move(services)), company_(std::move(company)), stored_(inv::kInvoiceRecordLength) {
  for (int r = 1; r <= kGridRows; ++r) ResetRow(r);
  touchedRows_ = 0;
}

// --- preparing ---------------------------------------------------------------------------------

void InvoiceEntry::BeginAdd(std::chrono::year_month_day lastInvoiceDate) {
  mode_ = EntryMode::Add;
  customer_.reset();
  for (int r = 1; r <= touchedRows_; ++r) ResetRow(r);
  touchedRows_ = 0;
  memoText_.clear();
  memoDescription_.clear();
  memoQuantity_ = "1";
  number_ = inv::ProposeInvoiceNumber(company_.nextInvoiceNumber, company_.yearMonthPrefix, lastInvoiceDate)
                .value_or(std::string());
  date_ = common::FormatDate(lastInvoiceDate, company_.dateFormat);
  notes_.clear();
  keyCode_ = "None";
  terms_ = company_.defaultTerms;
  statementNote_.clear();
  netText_ = taxText_ = paidText_ = "0.00";
  net_ = tax_ = paid_ = total_ = Money();
  taxBox_ = company_.calculateTaxes;
  taxBoxEnabled_ = true;
  printOnSave_ = company_.printOnSave;
  amountsTouched_ = false;
  numberBeforeEdit_ = "0";
  stored_.Clear();
  storedNet_ = storedTax_ = storedTotal_ = storedPaid_ = Money();
  storedSettled_ = false;
  style_ = company_.defaultLineItem ? InvoiceStyle::LineItem : InvoiceStyle::Memo;
  if (services_.loadTerms) termsList_ = services_.loadTerms();
  focus_ = EntryField::Customer;
  Recompute();
}

void InvoiceEntry::BeginEdit(std::span<const std::uint8_t> invoice, const std::vector<common::RecordBuffer>& lines,
                             const common::RecordBuffer* memo, const EntryCustomer* customer) {
  BeginAdd(std::chrono::year_month_day{});
  mode_ = EntryMode::Edit;
  std::copy(invoice.begin(), invoice.end(), stored_.begin());
  style_ = ReadText(invoice, inv::kInvoiceType) == "M" ? InvoiceStyle::Memo : InvoiceStyle::LineItem;
  number_ = TrimBoth(ReadText(invoice, inv::kInvoiceNumber));
  numberBeforeEdit_ = Upper(number_);
  // The date from its stored parts, in the company's order.
  const std::string month = ReadText(invoice, inv::kInvoiceMonth), day = ReadText(invoice, inv::kInvoiceDay),
                    year = ReadText(invoice, inv::kInvoiceYear);
  date_ = company_.dateFormat == common::DateFormat::DayFirst ? day + "/" + month + "/" + year
                                                              : month + "/" + day + "/" + year;
  notes_ = TrimBoth(ReadText(invoice, inv::kNotes));
  terms_ = TrimBoth(ReadText(invoice, inv::kTerms));
  statementNote_ = TrimBoth(ReadText(invoice, inv::kStatementNote));
  keyCode_ = TrimBoth(ReadText(invoice, inv::kKeyCode));
  storedNet_ = common::StoredAmount(ReadText(invoice, inv::kNetAmount));
  storedTax_ = common::StoredAmount(ReadText(invoice, inv::kTaxAmount));
  storedTotal_ = common::StoredAmount(ReadText(invoice, inv::kTotalAmount));
  storedPaid_ = common::StoredAmount(ReadText(invoice, inv::kPaidAmount));
  storedSettled_ = ReadText(invoice, inv::kPaidFlag) == "P" && !storedPaid_.IsZero();
  net_ = storedNet_;
  tax_ = storedTax_;
  total_ = storedTotal_;
  paid_ = storedPaid_;
  netText_ = common::Format0_00(net_);
  taxText_ = common::Format0_00(tax_);
  paidText_ = common::Format0_00(paid_);
  printOnSave_ = false;
  if (customer) {
    customer_ = *customer;
    if (customer->taxExempt) {
      taxBox_ = false;
      taxBoxEnabled_ = false;
    }
  } else {
    // The customer's own record is gone; its number still belongs to the invoice.
    EntryCustomer kept;
    kept.number = TrimBoth(ReadText(invoice, inv::kCustomerNumber));
    kept.shortName = TrimBoth(ReadText(invoice, inv::kShortName));
    customer_ = kept;
  }
  int row = 1;
  for (const common::RecordBuffer& line : lines) {
    if (row > kGridRows) break;
    const std::string text = ReadText(line, inv::kLineText);
    GridRow& g = Touch(row);
    g.cell[kCodeColumn] = TrimBoth(ReadText(line, inv::kLineProductCode));
    for (int c = 0; c < 5; ++c) {
      const auto [at, width] = kLineTextPlaces[c];
      g.cell[std::size_t(kQuantityColumn + c)] = at < text.size() ? TrimBoth(text.substr(at, width)) : std::string();
    }
    if (g.cell[kTaxColumn].empty()) g.cell[kTaxColumn] = " ";
    SetExtensionText(row, g.cell[kExtensionColumn]);
    ++row;
  }
  if (style_ == InvoiceStyle::Memo) {
    memoDescription_ = rows_[1].cell[kDescriptionColumn];
    memoQuantity_ = rows_[1].cell[kQuantityColumn];
    memoText_.clear();
    if (memo) {
      std::vector<std::string> body;
      for (int n = 1; n <= kMemoLines; ++n) body.push_back(ReadText(*memo, inv::MemoLine(n)));
      while (!body.empty() && TrimBoth(body.back()).empty()) body.pop_back();
      for (std::size_t i = 0; i < body.size(); ++i) memoText_ += (i ? "\n" : "") + body[i];
    }
  }
  focus_ = Contains(numberBeforeEdit_, 'G') ? EntryField::Notes : EntryField::Number;
}

// --- the header -----------------------------------------------------------------------------

void InvoiceEntry::ChooseCustomer(const EntryCustomer& customer) {
  customer_ = customer;
  if (!customer.terms.empty()) terms_ = customer.terms;
  taxBoxEnabled_ = !customer.taxExempt;
  taxBox_ = customer.taxExempt ? false : company_.calculateTaxes;
  if (mode_ == EntryMode::Edit) amountsTouched_ = true;
  Recompute();
  if (customer.creditLimit > Money() && customer.balance > customer.creditLimit)
    services_.prompter.Inform(kCustomerOverLimit, "Warning");
  if (customer.creditHold) services_.prompter.Inform(kCustomerOnHold, "Warning");
}

void InvoiceEntry::SetStyle(InvoiceStyle style) {
  if (mode_ == EntryMode::Edit || style == style_) return;
  style_ = style;
  if (style_ == InvoiceStyle::Memo) {
    netText_ = taxText_ = paidText_ = "0.00";
    paid_ = Money();
  }
  Recompute();
}

namespace {
bool SetField(std::string& field, std::string_view text, std::size_t width) {
  if (text.size() > width) return false;
  field = std::string(text);
  return true;
}
}  // namespace

bool InvoiceEntry::SetNumber(std::string_view text) { return SetField(number_, text, inv::kInvoiceNumberWidth); }
bool InvoiceEntry::SetDate(std::string_view text) { return SetField(date_, text, 10); }
bool InvoiceEntry::SetNotes(std::string_view text) { return SetField(notes_, text, inv::kNotes.capacity); }
bool InvoiceEntry::SetKeyCode(std::string_view text) { return SetField(keyCode_, text, inv::kKeyCode.capacity); }
bool InvoiceEntry::SetTerms(std::string_view text) { return SetField(terms_, text, inv::kTerms.capacity); }
bool InvoiceEntry::SetStatementNote(std::string_view text) {
  return SetField(statementNote_, text, inv::kStatementNote.capacity);
}
bool InvoiceEntry::SetMemoDescription(std::string_view text) {
  return SetField(memoDescription_, text, kColumnWidth[kDescriptionColumn]);
}
bool InvoiceEntry::SetMemoQuantity(std::string_view text) {
  return SetField(memoQuantity_, text, kColumnWidth[kQuantityColumn]);
}

// --- the grid ---------------------------------------------------------------------------------

void InvoiceEntry::ResetRow(int row) {
  GridRow& g = rows_[std::size_t(row)];
  g.cell = {std::to_string(row), "", company_.defaultQuantity, "", "0.00", "N", "0.00"};
  extensions_[std::size_t(row)] = Money();
}

GridRow& InvoiceEntry::Touch(int row) {
  touchedRows_ = std::max(touchedRows_, row);
  return rows_[std::size_t(row)];
}

void InvoiceEntry::SetExtensionText(int row, std::string_view text) {
  // A stored extension that is not a number is shown as it is and counts as nothing.
  const auto extension = ReadEnteredNumber(text);
  Touch(row).cell[kExtensionColumn] = extension ? common::FormatComma0_00(*extension) : std::string(text);
  extensions_[std::size_t(row)] = extension.value_or(Money());
}

void InvoiceEntry::RecomputeRow(int row) {
  const GridRow& g = rows_[std::size_t(row)];
  const auto quantity = ReadEnteredNumber(g.cell[kQuantityColumn]);
  const auto price = ReadEnteredNumber(g.cell[kUnitPriceColumn]);
  // A cell that is not a number counts as nothing until OK names it.
  // The extension counts as shown, rounded to the cent (2.5 x 0.25 is 0.63).
  SetExtensionText(row, common::FormatComma0_00(common::Multiply(quantity.value_or(Money()), price.value_or(Money()))));
}

bool InvoiceEntry::SetCell(int row, int column, std::string_view text) {
  const std::pair<int, std::string_view> cell{column, text};
  return SetCells(row, std::span(&cell, 1));
}

bool InvoiceEntry::SetCells(int row, std::span<const std::pair<int, std::string_view>> cells) {
  if (row < 1 || row > kGridRows) return false;
  for (const auto& [column, text] : cells)
    if (column < kCodeColumn || column > kTaxColumn || text.size() > kColumnWidth[std::size_t(column)]) return false;
  GridRow& g = Touch(row);
  for (const auto& [column, text] : cells)
    g.cell[std::size_t(column)] = column == kTaxColumn ? common::UpperCase(text) : std::string(text);
  RecomputeRow(row);
  amountsTouched_ = true;
  Recompute();
  return true;
}

void InvoiceEntry::ApplyProduct(int row, std::span<const std::uint8_t> product, bool picked) {
  namespace pr = records::product;
  if (row < 1 || row > kGridRows) return;
  GridRow& g = Touch(row);
  g.cell[kCodeColumn] = TrimBoth(ReadText(product, pr::kProductCode));
  if (picked) g.cell[kQuantityColumn] = company_.defaultQuantity;
  g.cell[kDescriptionColumn] = TrimBoth(ReadText(product, pr::kProductDescription));
  g.cell[kUnitPriceColumn] = TrimBoth(ReadText(product, pr::kSalesPrice));
  g.cell[kTaxColumn] = common::ReadBool(product, pr::kTaxable) ? "Y" : "N";
  RecomputeRow(row);
  amountsTouched_ = true;
  Recompute();
}

bool InvoiceEntry::EnterProductCode(int row, std::span<const std::uint8_t> found) {
  if (row < 1 || row > kGridRows) return false;
  if (TrimBoth(rows_[std::size_t(row)].cell[kCodeColumn]).empty()) return true;
  if (found.empty()) return services_.prompter.AskYesNo(kProductNotFound, "Product Code");
  ApplyProduct(row, found, false);
  return false;
}

void InvoiceEntry::EraseLine(int row) {
  if (row < 1 || row > kGridRows) return;
  ResetRow(row);
  amountsTouched_ = true;
  Recompute();
}

void InvoiceEntry::EraseAll() {
  for (int r = 1; r <= touchedRows_; ++r) ResetRow(r);
  touchedRows_ = 0;
  if (style_ == InvoiceStyle::Memo) {
    memoText_.clear();
    netText_ = taxText_ = paidText_ = "0.00";
    paid_ = Money();
  }
  amountsTouched_ = true;
  Recompute();
}

void InvoiceEntry::MakeComment(int row) {
  if (row < 1 || row > kGridRows) return;
  GridRow& g = Touch(row);
  g.cell = {std::to_string(row), "", " ", "", "", " ", "0.00"};
  extensions_[std::size_t(row)] = Money();
  amountsTouched_ = true;
  Recompute();
}

void InvoiceEntry::SetTaxBox(bool checked) {
  if (!taxBoxEnabled_) return;
  taxBox_ = checked;
  amountsTouched_ = true;
  Recompute();
}

std::optional<std::vector<std::string>> InvoiceEntry::MemoBody() const {
  std::vector<std::string> lines;
  std::string_view text = memoText_;
  while (true) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    Wrap(line, lines);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  while (!lines.empty() && TrimBoth(lines.back()).empty()) lines.pop_back();
  if (lines.size() > std::size_t(kMemoLines)) return std::nullopt;
  return lines;
}

// --- amounts -----------------------------------------------------------------------------------

bool InvoiceEntry::SetNet(std::string_view text) {
  if (style_ != InvoiceStyle::Memo || text.size() > kAmountWidth) return false;
  netText_ = std::string(text);
  amountsTouched_ = true;
  Recompute();
  return true;
}

bool InvoiceEntry::SetTax(std::string_view text) {
  if (style_ != InvoiceStyle::Memo || text.size() > kAmountWidth) return false;
  taxText_ = std::string(text);
  amountsTouched_ = true;
  Recompute();
  return true;
}

bool InvoiceEntry::SetPaid(std::string_view text) {
  if (text.size() > kAmountWidth) return false;
  paidText_ = std::string(text);
  Recompute();
  return true;
}

void InvoiceEntry::Recompute() {
  if (TrimBoth(paidText_).empty()) paidText_ = "0.00";
  paid_ = ReadEnteredNumber(paidText_).value_or(Money());
  const bool keepStored = mode_ == EntryMode::Edit && !amountsTouched_;
  if (keepStored) {
    net_ = storedNet_;
    tax_ = storedTax_;
    total_ = storedTotal_;
    return;
  }
  if (style_ == InvoiceStyle::Memo) {
    if (TrimBoth(netText_).empty()) netText_ = "0.00";
    if (TrimBoth(taxText_).empty()) taxText_ = "0.00";
    net_ = ReadEnteredNumber(netText_).value_or(Money());
    tax_ = ReadEnteredNumber(taxText_).value_or(Money());
  } else {
    Money net, taxable;
    for (int r = 1; r <= touchedRows_; ++r) {
      const GridRow& g = rows_[std::size_t(r)];
      const Money extension = extensions_[std::size_t(r)];
      net += extension;
      if (taxBox_ && g.cell[kTaxColumn] == "Y") taxable += extension;
    }
    net_ = net;
    tax_ = common::PercentOf(taxable, company_.taxRate);
  }
  total_ = net_ + tax_;
}

std::string InvoiceEntry::NetText() const { return common::FormatComma0_00(net_); }
std::string InvoiceEntry::TaxText() const { return common::FormatComma0_00(tax_); }
std::string InvoiceEntry::PaidText() const { return common::FormatComma0_00(paid_); }
std::string InvoiceEntry::TotalText() const { return common::FormatComma0_00(total_); }
std::string InvoiceEntry::BalanceText() const { return common::FormatComma0_00(Balance()); }

std::string InvoiceEntry::TaxBoxCaption() const {
  if (!taxBoxEnabled_) return "Tax Exempt";
  return "Calc. Tax at " + company_.taxRateText + "%";
}

std::string InvoiceEntry::TaxHint() const {
  if (style_ != InvoiceStyle::Memo || !company_.calculateTaxes) return {};
  return "Tax on " + common::FormatComma0_00(net_) + " is " +
         common::FormatComma0_00(common::PercentOf(net_, company_.taxRate)) + ".";
}

bool InvoiceEntry::IsMaster() const {
  return mode_ == EntryMode::Edit && ReadText(stored_, inv::kRecordKind) == inv::kKindRepeatMaster;
}

// --- OK ------------------------------------------------------------------------------------------

bool InvoiceEntry::Fail(std::string_view text, std::string_view caption, EntryField field, int row, int column,
                        bool plain) {
  services_.prompter.Show({std::string(text), std::string(caption),
                           plain ? common::PromptIcon::None : common::PromptIcon::Exclamation,
                           common::PromptButtons::OK, common::PromptAnswer::OK});
  focus_ = field;
  focusRow_ = row;
  focusColumn_ = column;
  return false;
}

bool InvoiceEntry::CheckNumber() {
  const std::string number = Upper(number_);
  if (Contains(number, 'G') && !Contains(numberBeforeEdit_, 'G'))
    return Fail(kReservedG, kCaptionNumber, EntryField::Number);
  if (Contains(number, 'I') && !Contains(numberBeforeEdit_, 'I'))
    return Fail(kReservedI, kCaptionNumber, EntryField::Number);
  if (number.starts_with("DP") && !numberBeforeEdit_.starts_with("DP"))
    return Fail(kReservedDP, kCaptionNumber, EntryField::Number);
  return true;
}

bool InvoiceEntry::CheckLines() {
  bool described = false;
  // Untouched rows are all alike, so the first of them stands for the rest.
  const int rowsToCheck = std::min(touchedRows_ + 1, int(kGridRows));
  for (int r = 1; r <= rowsToCheck; ++r) {
    const GridRow& g = rows_[std::size_t(r)];
    const std::string n = std::to_string(r);
    const auto quantity = ReadEnteredNumber(g.cell[kQuantityColumn]);
    if (!quantity)
      return Fail("Line " + n + " has an invalid QUANTITY value.", "", EntryField::Grid, r, kQuantityColumn, true);
    const bool hasDescription = !TrimBoth(g.cell[kDescriptionColumn]).empty();
    // Only rows with a code or a description are stored: an amount on any other row would be
    // in the total with no line to show for it.
    if (!g.Used() && !ReadEnteredNumber(g.cell[kExtensionColumn]).value_or(Money()).IsZero())
      return Fail("Line " + n + " has an amount but no product code or description.", "", EntryField::Grid, r,
                  kDescriptionColumn, true);
    if (!hasDescription) continue;
    described = true;
    const bool quantityEmpty = TrimBoth(g.cell[kQuantityColumn]).empty();
    const bool priceEmpty = TrimBoth(g.cell[kUnitPriceColumn]).empty();
    if (quantityEmpty && !priceEmpty)
      return Fail("Line " + n + " has a unit price but no quantity.", "", EntryField::Grid, r, kQuantityColumn, true);
    if (!quantityEmpty && priceEmpty)
      return Fail("Line " + n + " has a quantity but no unit price.", "", EntryField::Grid, r, kUnitPriceColumn, true);
    if (!ReadEnteredNumber(g.cell[kUnitPriceColumn]))
      return Fail("Line " + n + " has an invalid UNIT PRICE value.", "", EntryField::Grid, r, kUnitPriceColumn, true);
  }
  for (int r = 1; r <= touchedRows_; ++r) {
    const GridRow& g = rows_[std::size_t(r)];
    if (!g.Used()) continue;
    const Money extension = ReadEnteredNumber(g.cell[kExtensionColumn]).value_or(Money());
    if (!FitsWidth(extension))
      return Fail("Line " + std::to_string(r) + " has an extension too large for an invoice.", "", EntryField::Grid,
                  r, kExtensionColumn, true);
  }
  if (!described) return Fail(kNoDescription, "Description Required", EntryField::Grid, 1, kDescriptionColumn);
  return true;
}

bool InvoiceEntry::AmountsChangedFromStored() const {
  return net_ != storedNet_ || tax_ != storedTax_ || total_ != storedTotal_ || paid_ != storedPaid_;
}

bool InvoiceEntry::CheckAmounts() {
  if (style_ == InvoiceStyle::Memo) {
    if (!ReadEnteredNumber(netText_)) return Fail("The NET amount has an invalid value.", "", EntryField::Net, 0, 0, true);
    if (!ReadEnteredNumber(taxText_)) return Fail("The TAX amount has an invalid value.", "", EntryField::Tax, 0, 0, true);
  }
  if (!ReadEnteredNumber(paidText_)) return Fail("The PAID amount has an invalid value.", "", EntryField::Paid, 0, 0, true);
  Recompute();
  const std::pair<Money, std::string_view> amounts[] = {
      {net_, "NET"}, {tax_, "TAX"}, {total_, "TOTAL"}, {paid_, "PAID"}, {total_ - paid_, "BALANCE DUE"}};
  for (const auto& [amount, name] : amounts)
    if (!FitsWidth(amount))
      return Fail("The " + std::string(name) + " amount is too large for an invoice.", "",
                  name == "PAID" ? EntryField::Paid : name == "TAX" ? EntryField::Tax : EntryField::Net, 0, 0, true);
  if (mode_ == EntryMode::Edit && storedSettled_ && AmountsChangedFromStored())
    return Fail(kSettledAmounts, "Paid Item", EntryField::Paid);
  return true;
}

bool InvoiceEntry::CheckTerms() {
  const std::string wanted = common::UpperCase(TrimBoth(terms_));
  // No terms is a choice, not a new term: the terms file never gets a blank entry.
  if (wanted.empty()) return true;
  for (const std::string& term : termsList_)
    if (common::UpperCase(TrimBoth(term)) == wanted) return true;
  const common::PromptAnswer answer =
      services_.prompter.Show({std::string(kNewTerm), "Terms: " + terms_, common::PromptIcon::Question,
                               common::PromptButtons::YesNoCancel, common::PromptAnswer::Yes});
  if (answer == common::PromptAnswer::Cancel) {
    focus_ = EntryField::Terms;
    return false;
  }
  if (answer == common::PromptAnswer::Yes) {
    std::vector<std::string> terms = termsList_;
    terms.push_back(TrimBoth(terms_));
    if (services_.saveTerms && !services_.saveTerms(terms))
      return Fail("The terms file could not be written.", "Terms: " + terms_, EntryField::Terms);
    termsList_ = std::move(terms);
  }
  return true;
}

bool InvoiceEntry::Accept() {
  focus_ = EntryField::None;
  focusRow_ = focusColumn_ = 0;
  if (TrimBoth(number_).empty()) return Fail(kNeedNumber, kCaptionNumber, EntryField::Number);
  if (!customer_ || customer_->number.empty()) return Fail(kNeedCustomer, "Customer Required", EntryField::Customer);
  if (!common::ParseDate(date_, company_.dateFormat)) return Fail(kInvalidDate, "Invoice Date", EntryField::Date);
  if (!CheckNumber()) return false;
  if (style_ == InvoiceStyle::Memo) {
    if (TrimBoth(memoDescription_).empty())
      return Fail(kNoMemoDescription, "Product Description", EntryField::MemoDescription);
    // An empty quantity is the usual one; a typed one that is not a number is not replaced.
    if (TrimBoth(memoQuantity_).empty()) memoQuantity_ = "1";
    if (!ReadEnteredNumber(memoQuantity_))
      return Fail("The QUANTITY has an invalid value.", "", EntryField::MemoQuantity, 0, 0, true);
    const auto body = MemoBody();
    if (!body)
      return Fail("The memo text is longer than the " + std::to_string(kMemoLines) +
                      " lines of 74 characters an invoice holds. Please shorten it.",
                  "Memo Invoice Text", EntryField::Memo);
    const bool blank = std::ranges::all_of(*body, [](const std::string& l) { return TrimBoth(l).empty(); });
    if (blank) return Fail(kNoMemoText, "Memo Invoice Text", EntryField::Memo);
  } else if (!CheckLines()) {
    return false;
  }
  const std::string number = Upper(number_);
  if (number != numberBeforeEdit_) {
    const std::optional<bool> exists = services_.numberExists ? services_.numberExists(number) : false;
    if (!exists)
      return Fail("The invoice file could not be read to check this invoice number.", "Invoice Number",
                  EntryField::Number);
    if (*exists) return Fail(kDuplicateNumber, "Duplicate Invoice: " + number, EntryField::Number);
  }
  if (!CheckAmounts()) return false;
  if (total_.IsZero() && !services_.prompter.AskYesNo(kNoCharge, kCaptionConfirm)) {
    focus_ = EntryField::Paid;
    return false;
  }
  if (!paid_.IsZero()) {
    // A payment goes the way of its invoice: a credit is refunded, a charge is paid.
    if (total_.IsZero() || paid_.IsNegative() != total_.IsNegative())
      return Fail(kPaidOppositeSign, kCaptionPayment, EntryField::Paid);
    const Money overpaid = total_.IsNegative() ? total_ - paid_ : paid_ - total_;
    if (overpaid > Money()) return Fail(kPaidOverTotal, kCaptionPayment, EntryField::Paid);
  }
  if (customer_ && customer_->creditLimit > Money() && !IsMaster()) {
    const Money before = mode_ == EntryMode::Edit ? storedTotal_ : Money();
    if (Balance() + customer_->balance - before > customer_->creditLimit &&
        !services_.prompter.AskYesNo(kOverLimit, kCaptionConfirm)) {
      focus_ = EntryField::Paid;
      return false;
    }
  }
  return CheckTerms();
}

// --- records ---------------------------------------------------------------------------------------

std::string InvoiceEntry::LineText(const GridRow& row) const {
  const Money extension = ReadEnteredNumber(row.cell[kExtensionColumn]).value_or(Money());
  const std::string columns[5] = {common::RemoveCommas(row.cell[kQuantityColumn]), row.cell[kDescriptionColumn],
                                  common::RemoveCommas(row.cell[kUnitPriceColumn]),
                                  row.cell[kTaxColumn].empty() ? std::string(" ") : row.cell[kTaxColumn].substr(0, 1),
                                  common::Format0_00(extension)};
  std::string text;
  for (int c = 0; c < 5; ++c) text += common::PadRight(columns[c], kLineTextPlaces[c][1]);
  return text;
}

common::RecordBuffer InvoiceEntry::InvoiceRecord() const {
  common::RecordBuffer r = stored_;
  if (mode_ == EntryMode::Add) r.Clear();
  const std::string number = Upper(number_);
  WriteTrimmed(r, inv::kInvoiceNumber, number);
  if (mode_ == EntryMode::Add) WriteText(r, inv::kRecordKind, inv::kKindInvoice);
  const auto date = common::ParseDate(date_, company_.dateFormat);
  if (date && inv::InvoiceDateOf(r) != date) inv::SetInvoiceDate(r, date_, company_.dateFormat);
  WriteTrimmed(r, inv::kNotes, TrimBoth(notes_));
  WriteTrimmed(r, inv::kTerms, TrimBoth(terms_));
  WriteTrimmed(r, inv::kStatementNote, TrimBoth(statementNote_));
  WriteTrimmed(r, inv::kCustomerNumber, customer_ ? customer_->number : std::string());
  WriteTrimmed(r, inv::kShortName, customer_ ? customer_->shortName : std::string());
  WriteTrimmed(r, inv::kKeyCode, TrimBoth(keyCode_));
  WriteTrimmed(r, inv::kCompanyNumber, company_.companyNumber);
  if (mode_ == EntryMode::Add) WriteText(r, inv::kInvoiceType, style_ == InvoiceStyle::Memo ? "M" : "P");
  WriteAmount(r, inv::kNetAmount, net_);
  WriteAmount(r, inv::kTaxAmount, tax_);
  WriteAmount(r, inv::kTotalAmount, total_);
  if (IsMaster()) {
    // A master is not a receivable: what it generates is.
    WriteAmount(r, inv::kPaidAmount, Money());
    WriteAmount(r, inv::kBalanceDue, Money());
    WriteTrimmed(r, inv::kPaidFlag, "");
    WriteTrimmed(r, inv::kDatePaid, "");
    return r;
  }
  WriteAmount(r, inv::kPaidAmount, paid_);
  WriteAmount(r, inv::kBalanceDue, Balance());
  if (Balance().IsZero() && date) {
    WriteTrimmed(r, inv::kPaidFlag, "P");
    WriteTrimmed(r, inv::kDatePaid, common::FormatDateKey(*date));
  } else {
    // Open: an empty date paid keys it before every settled record.
    WriteTrimmed(r, inv::kPaidFlag, "");
    WriteTrimmed(r, inv::kDatePaid, "");
  }
  return r;
}

std::vector<common::RecordBuffer> InvoiceEntry::LineRecords(const std::vector<common::RecordBuffer>& stored) const {
  GridRow memo;
  std::vector<const GridRow*> used;
  if (style_ == InvoiceStyle::Memo) {
    const std::string net = common::Format0_00(net_);
    memo.cell = {"1", "Memo", TrimBoth(memoQuantity_).empty() ? std::string("1") : memoQuantity_,
                 TrimBoth(memoDescription_).empty() ? std::string("Memo Invoice") : memoDescription_, net, "M",
                 net};
    used.push_back(&memo);
  } else {
    for (int r = 1; r <= touchedRows_; ++r)
      if (rows_[std::size_t(r)].Used()) used.push_back(&rows_[std::size_t(r)]);
  }
  const common::RecordBuffer invoice = InvoiceRecord();
  const std::string kind = IsMaster() ? "R" : style_ == InvoiceStyle::Memo ? "M" : "P";
  // Stored upper-cased, as the invoice's own number is.
  const std::string number = ReadText(invoice, inv::kInvoiceNumber), dateKey = ReadText(invoice, inv::kDateKey),
                    customer = ReadText(invoice, inv::kCustomerNumber), shortName = ReadText(invoice, inv::kShortName);
  std::vector<common::RecordBuffer> lines;
  lines.reserve(used.size());
  for (std::size_t i = 0; i < used.size(); ++i) {
    common::RecordBuffer line = i < stored.size() ? stored[i] : common::RecordBuffer(inv::kLineRecordLength);
    const GridRow& g = *used[i];
    if (const std::string text = LineText(g); ReadText(line, inv::kLineText) != text)
      WriteText(line, inv::kLineText, text);
    WriteTrimmed(line, inv::kLineKind, kind);
    WriteTrimmed(line, inv::kLineCompanyNumber, company_.companyNumber);
    WriteTrimmed(line, inv::kLineInvoiceNumber, number);
    WriteTrimmed(line, inv::kLineDateKey, dateKey);
    WriteTrimmed(line, inv::kLineProductCode, common::Cut(TrimBoth(g.cell[kCodeColumn]), inv::kLineProductCode.capacity));
    WriteTrimmed(line, inv::kLineCustomerNumber, customer);
    WriteTrimmed(line, inv::kLineShortName, shortName);
    lines.push_back(std::move(line));
  }
  return lines;
}

common::RecordBuffer InvoiceEntry::MemoRecord(const common::RecordBuffer* stored) const {
  common::RecordBuffer memo = stored ? *stored : common::RecordBuffer(inv::kMemoRecordLength);
  WriteTrimmed(memo, inv::kMemoInvoiceNumber, Upper(number_));
  const std::vector<std::string> body = MemoBody().value_or(std::vector<std::string>());
  for (int n = 1; n <= kMemoLines; ++n) {
    const std::string line = std::size_t(n) <= body.size() ? body[std::size_t(n - 1)] : std::string();
    if (ReadText(memo, inv::MemoLine(n)) != line) WriteText(memo, inv::MemoLine(n), line);
  }
  return memo;
}

}  // namespace tf::invoicing
