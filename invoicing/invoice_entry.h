#pragma once
// Invoice entry: the screen model behind the invoice dialog. It holds what the user typed (the
// header fields, the line grid or the memo body, the amounts), keeps the extensions and totals
// current, runs the checks of OK in their order with their messages and the field to focus,
// and builds the records a save writes. It writes nothing itself: InvoiceBooks does.
//
// Two styles: a line-item invoice (up to 99 grid rows of product code, quantity, description,
// unit price, tax mark and extension) and a memo invoice (up to 25 lines of free text with a
// typed net and tax).
//
// Amounts are exact (common::Money). Editing an invoice keeps its stored net, tax and total
// until a line, a price or the tax box changes: opening an old invoice must not apply today's
// tax rate to it.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "common/date_text.h"
#include "common/money.h"
#include "common/prompter.h"
#include "common/record_buffer.h"

namespace tf::invoicing {

enum class EntryMode { Add, Edit };
enum class InvoiceStyle { LineItem, Memo };

// The fields the checks can send the user back to.
enum class EntryField {
  None,
  Number,
  Customer,
  Date,
  Notes,
  Terms,
  Grid,
  Memo,
  MemoDescription,
  MemoQuantity,
  Net,
  Tax,
  Paid,
};

inline constexpr int kGridRows = 99;
// Grid columns (0 is the row number).
inline constexpr int kCodeColumn = 1;
inline constexpr int kQuantityColumn = 2;
inline constexpr int kDescriptionColumn = 3;
inline constexpr int kUnitPriceColumn = 4;
inline constexpr int kTaxColumn = 5;
inline constexpr int kExtensionColumn = 6;
// What each column holds at most (the extension is computed).
inline constexpr std::size_t kColumnWidth[7] = {2, 10, 10, 32, 10, 1, 10};

inline constexpr int kMemoLines = 25;
inline constexpr std::size_t kMemoLineWidth = 74;

// The message texts of the dialog.
inline constexpr std::string_view kNeedNumber = "You need an invoice number.";
inline constexpr std::string_view kNeedCustomer = "You need to select a customer.";
inline constexpr std::string_view kInvalidDate =
    "You have an invalid invoice date. You can clear the date and then select the calendar button.";
inline constexpr std::string_view kReservedG =
    "Please do not use the letter \"G\" in your invoice numbers. This is reserved for repeat billings. You must "
    "change this invoice number.";
inline constexpr std::string_view kReservedI =
    "Please do not use the letter \"I\" in your invoice numbers. This is reserved for Interest Wizard. You must "
    "change this invoice number.";
inline constexpr std::string_view kReservedDP =
    "Please do not begin your invoice numbers with \"DP\". This is reserved for deposits on account. You must "
    "change this invoice number.";
inline constexpr std::string_view kNoMemoDescription =
    "You do not have a product description entered. This description is used on your Sales Report to show the "
    "item sold.";
inline constexpr std::string_view kNoMemoText = "You do not have any text entered in the body of your invoice.";
inline constexpr std::string_view kNoDescription =
    "You do not have a description on any of your line items. At least one description field is required or you "
    "have nothing to invoice.";
inline constexpr std::string_view kDuplicateNumber = "This invoice number currently exists. Please enter another one.";
inline constexpr std::string_view kNoCharge = "Is this a no-charge invoice?";
inline constexpr std::string_view kPaidOverTotal = "The paid amount cannot exceed the invoice total amount.";
inline constexpr std::string_view kPaidOppositeSign =
    "The paid amount and the invoice total must both be credits or both be charges.";
inline constexpr std::string_view kSettledAmounts =
    "This invoice has been paid. Its amounts cannot be changed.";
inline constexpr std::string_view kOverLimit =
    "This invoice will cause this customer to be over their credit limit.  Do you want to proceed anyway?";
inline constexpr std::string_view kNewTerm = "This is a new payment term. Would you like to add terms to the terms file?";
inline constexpr std::string_view kCustomerOverLimit = "This customer is over their credit limit.";
inline constexpr std::string_view kCustomerOnHold = "This customer is placed on inactive/credit hold status.";
inline constexpr std::string_view kProductNotFound =
    "That product code was not found. Would you like to add it now?";

// One grid row: cell[1..6] as shown (cell[0] unused; the row number is the index).
struct GridRow {
  std::array<std::string, 7> cell;
  bool Used() const;  // a code or a description
};

// What entry reads from the company record.
struct EntryCompany {
  std::string companyNumber;
  std::string nextInvoiceNumber;
  bool yearMonthPrefix = false;
  common::Money taxRate;  // percent
  std::string taxRateText;
  bool calculateTaxes = false;
  std::string defaultQuantity;
  std::string defaultTerms;
  common::DateFormat dateFormat = common::DateFormat::MonthFirst;
  bool defaultLineItem = true;
  bool printOnSave = false;
  int agingDays[3] = {30, 60, 90};
  // The captions of the customer's four aging amounts: the company's three, then
  // "Over " + AgingDays3 + ":".
  std::string agingCaption[4];

  static EntryCompany FromRecord(std::span<const std::uint8_t> company);
};

// The customer as entry shows it.
struct EntryCustomer {
  std::string number, name, shortName, terms;
  common::Money balance, creditLimit;
  common::Money aging[4];
  bool taxExempt = false;
  bool creditHold = false;

  static EntryCustomer FromRecord(std::span<const std::uint8_t> customer);
};

class InvoiceEntry {
 public:
  struct Services {
    common::Prompter& prompter;
    const common::Clock& clock;
    // Whether an invoice record of this number is on file; nothing when the file cannot be
    // read (the check then refuses rather than guesses).
    std::function<std::optional<bool>(const std::string& number)> numberExists;
    // The terms list and how a new term joins it (the terms file).
    std::function<std::vector<std::string>()> loadTerms;
    std::function<bool(const std::vector<std::string>&)> saveTerms;
  };

  InvoiceEntry(Services services, EntryCompany company);

  // --- preparing --------------------------------------------------------------------------
  // A new invoice: empty grid and memo, amounts "0.00", key code "None", the company's terms
  // and proposed number (`lastInvoiceDate` gives the year-month prefix), style by the
  // company's default.
  void BeginAdd(std::chrono::year_month_day lastInvoiceDate);
  // An existing invoice as stored, with its lines (key order), its memo (memo style) and its
  // customer (nothing when the customer is gone). Amounts are shown as stored.
  void BeginEdit(std::span<const std::uint8_t> invoice, const std::vector<common::RecordBuffer>& lines,
                 const common::RecordBuffer* memo, const EntryCustomer* customer);

  // --- the header ---------------------------------------------------------------------------
  // Picks the customer: fills its fields, its terms when it has some, the tax box; warns when
  // it is over its credit limit or on hold.
  void ChooseCustomer(const EntryCustomer& customer);
  void SetStyle(InvoiceStyle style);
  // False, leaving the field as it was, when the text is longer than the field holds.
  bool SetNumber(std::string_view text);
  bool SetDate(std::string_view text);
  bool SetNotes(std::string_view text);
  bool SetKeyCode(std::string_view text);
  bool SetTerms(std::string_view text);
  bool SetStatementNote(std::string_view text);
  void SetPrintOnSave(bool print) { printOnSave_ = print; }

  // --- the grid -----------------------------------------------------------------------------
  // Sets a cell of row 1..99, column 1..5, and recomputes the row's extension and the totals.
  // False, with nothing changed, when the row or column is out of range or the text is longer
  // than the column.
  bool SetCell(int row, int column, std::string_view text);
  // Several cells of one row typed at once (column, text), recomputed once: the same as SetCell
  // for each in turn. False, with nothing changed, when any of them would be refused.
  bool SetCells(int row, std::span<const std::pair<int, std::string_view>> cells);
  // A product chosen for the row (picker or typed code): code, default quantity (picked only),
  // description, price, tax mark.
  void ApplyProduct(int row, std::span<const std::uint8_t> product, bool picked);
  // Enter on a product code: `found` is the product with exactly that code, or null; asks
  // whether to look it up when there is none. True when the lookup should open.
  bool EnterProductCode(int row, std::span<const std::uint8_t> found);
  void EraseLine(int row);
  void EraseAll();
  void MakeComment(int row);
  void SetTaxBox(bool checked);

  // --- memo ----------------------------------------------------------------------------------
  void SetMemoText(std::string_view text) { memoText_ = std::string(text); }
  bool SetMemoDescription(std::string_view text);
  bool SetMemoQuantity(std::string_view text);
  // The body as stored: each line wrapped at word breaks to 74 characters; nothing when it
  // then has more than 25 lines.
  std::optional<std::vector<std::string>> MemoBody() const;

  // --- amounts -------------------------------------------------------------------------------
  // Typed amounts (memo style net and tax, paid in both styles).
  bool SetNet(std::string_view text);
  bool SetTax(std::string_view text);
  bool SetPaid(std::string_view text);
  void Recompute();

  // --- OK ------------------------------------------------------------------------------------
  // The checks in their order. False at the first failure, with its message shown and Focus()
  // on its field (and FocusRow() on its grid row).
  bool Accept();

  // --- records -------------------------------------------------------------------------------
  // The invoice record: over the stored copy in edit mode (so an unchanged invoice is
  // byte-identical), over a zeroed record for a new one.
  common::RecordBuffer InvoiceRecord() const;
  // One line record per used row (memo style: the memo line), in row order, over the stored
  // images of the same place where there are some.
  std::vector<common::RecordBuffer> LineRecords(const std::vector<common::RecordBuffer>& stored) const;
  common::RecordBuffer MemoRecord(const common::RecordBuffer* stored) const;
  // The line text of a row: quantity, description, unit price, tax mark, extension in fixed
  // columns.
  std::string LineText(const GridRow& row) const;

  // --- state -----------------------------------------------------------------------------------
  EntryMode Mode() const { return mode_; }
  InvoiceStyle Style() const { return style_; }
  const EntryCompany& Company() const { return company_; }
  const std::optional<EntryCustomer>& Customer() const { return customer_; }
  const GridRow& Row(int row) const { return rows_.at(std::size_t(row)); }
  const std::string& Number() const { return number_; }
  const std::string& Date() const { return date_; }
  const std::string& Notes() const { return notes_; }
  const std::string& KeyCode() const { return keyCode_; }
  const std::string& Terms() const { return terms_; }
  const std::string& StatementNote() const { return statementNote_; }
  const std::string& MemoText() const { return memoText_; }
  const std::string& MemoDescription() const { return memoDescription_; }
  const std::string& MemoQuantity() const { return memoQuantity_; }
  // Shown with ",0.00".
  std::string NetText() const;
  std::string TaxText() const;
  std::string PaidText() const;
  std::string TotalText() const;
  std::string BalanceText() const;
  common::Money Net() const { return net_; }
  common::Money Tax() const { return tax_; }
  common::Money Paid() const { return paid_; }
  common::Money Total() const { return total_; }
  common::Money Balance() const { return total_ - paid_; }
  bool TaxBoxChecked() const { return taxBox_; }
  bool TaxBoxEnabled() const { return taxBoxEnabled_; }
  std::string TaxBoxCaption() const;
  // The memo style's tax hint, or empty.
  std::string TaxHint() const;
  bool PrintOnSave() const { return printOnSave_; }
  EntryField Focus() const { return focus_; }
  int FocusRow() const { return focusRow_; }
  int FocusColumn() const { return focusColumn_; }
  const std::vector<std::string>& TermsList() const { return termsList_; }

  // Edit mode: the number, amounts and record as they were stored.
  const std::string& NumberBeforeEdit() const { return numberBeforeEdit_; }
  const common::RecordBuffer& StoredInvoice() const { return stored_; }
  common::Money StoredTotal() const { return storedTotal_; }
  common::Money StoredPaid() const { return storedPaid_; }
  bool IsMaster() const;

 private:
  void ResetRow(int row);
  void RecomputeRow(int row);
  void SetExtensionText(int row, std::string_view text);
  // A row about to change; rows past the last one touched are as a reset left them.
  GridRow& Touch(int row);
  bool Fail(std::string_view text, std::string_view caption, EntryField field, int row = 0, int column = 0,
            bool plain = false);
  bool CheckNumber();
  bool CheckLines();
  bool CheckAmounts();
  bool CheckTerms();
  bool AmountsChangedFromStored() const;

  Services services_;
  EntryCompany company_;
  EntryMode mode_ = EntryMode::Add;
  InvoiceStyle style_ = InvoiceStyle::LineItem;
  std::optional<EntryCustomer> customer_;
  std::array<GridRow, kGridRows + 1> rows_;
  // Each row's extension as read from its cell, kept beside the text so that a change to one
  // cell does not read all 99 rows again to total them.
  std::array<common::Money, kGridRows + 1> extensions_{};
  // Rows after this one are all as a reset left them (empty, extension 0.00), so totals and
  // the next reset need not read them.
  int touchedRows_ = 0;
  std::string number_, date_, notes_, keyCode_, terms_, statementNote_;
  std::string memoText_, memoDescription_, memoQuantity_;
  common::Money net_, tax_, paid_, total_;
  std::string netText_, taxText_, paidText_;  // memo style: as typed
  bool taxBox_ = false;
  bool taxBoxEnabled_ = true;
  bool printOnSave_ = false;
  // Edit mode: whether a line, a price or the tax box changed since the invoice was opened.
  bool amountsTouched_ = false;
  std::string numberBeforeEdit_ = "0";
  common::RecordBuffer stored_;
  common::Money storedNet_, storedTax_, storedTotal_, storedPaid_;
  bool storedSettled_ = false;
  std::vector<std::string> termsList_;
  EntryField focus_ = EntryField::None;
  int focusRow_ = 0;
  int focusColumn_ = 0;
};

}  // namespace tf::invoicing
