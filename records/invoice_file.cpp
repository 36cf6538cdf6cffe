#include "records/invoice_file.h"

#include <string>
#include <utility>

#include "common/key_text.h"
#include "common/program_title.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "records/invoice_record.h"

namespace tf::records::invoice {
namespace {

using Named = std::pair<const char*, TextField>;

std::vector<std::string> Describe(std::span<const unsigned char> record, std::span<const Named> fields) {
  std::vector<std::string> lines;
  for (const auto& [name, field] : fields) lines.push_back(std::string(name) + ": " + common::ReadText(record, field));
  return lines;
}

using engine::EngineOK;
using engine::EngineStatus;

constexpr std::string_view kCannotLock = "Cannot get a lock.  Abort?";
constexpr int kLockClass = 2;
constexpr int kNotFoundClass = 1;

// Runs `call` again while it fails for a lock and the user answers No to giving up.
template <class Call>
bool WithLockRetry(common::Prompter& prompter, Call call) {
  for (;;) {
    call();
    if (EngineOK || engine::EngineErrorClass() != kLockClass) return EngineOK;
    if (prompter.AskYesNo(kCannotLock, common::kProgramTitle)) return false;
  }
}

// SearchKey for exactly `key`: a landing on a greater key is a miss (false, EngineOK true).
bool FindExactKey(engine::FileBlock* handle, int keyNr, const std::string& key, std::int32_t& ref,
                  common::Prompter& prompter) {
  std::string found;
  std::int32_t at = 0;
  const bool ok = WithLockRetry(prompter, [&] {
    found = key;
    engine::SearchKey(handle, keyNr, at, found);
  });
  if (!ok) {
    if (engine::EngineErrorClass() == kNotFoundClass) {
      EngineOK = true;
      EngineStatus = 0;
    }
    return false;
  }
  if (found != key) return false;
  ref = at;
  return true;
}

// Every record whose key on keyNr, trimmed, equals `wanted` (already trimmed and upper-cased),
// from the first such key on.
std::optional<std::vector<StoredRecord>> ReadByKey(engine::FileBlock* handle, int keyNr, const std::string& start,
                                                   const std::string& wanted) {
  std::vector<StoredRecord> out;
  std::string key = start;
  std::int32_t ref = 0;
  const int length = engine::RecordLength(handle);
  engine::SearchKey(handle, keyNr, ref, key);
  while (EngineOK) {
    if (common::TrimBoth(key) != wanted) break;
    StoredRecord stored{ref, common::RecordBuffer(std::size_t(length))};
    engine::GetRecord(handle, ref, std::span<std::uint8_t>(stored.record));
    if (!EngineOK) return std::nullopt;
    out.push_back(std::move(stored));
    engine::NextKey(handle, keyNr, ref, key);
  }
  if (!EngineOK && engine::EngineErrorClass() != kNotFoundClass) return std::nullopt;
  EngineOK = true;
  EngineStatus = 0;
  return out;
}

std::string Wanted(std::string_view text) { return common::UpperCase(common::TrimBoth(text)); }

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// Digits without leading zeros ("0" for all zeros).
std::string StripZeros(std::string_view digits) {
  std::size_t first = digits.find_first_not_of('0');
  return first == std::string_view::npos ? std::string("0") : std::string(digits.substr(first));
}

// a < b for digit texts without leading zeros.
bool DigitsLess(const std::string& a, const std::string& b) {
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

// The digit text plus one.
std::string Increment(std::string digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return digits;
    }
    digits[i] = '0';
  }
  return "1" + digits;
}

std::string TwoDigits(unsigned value) {
  return std::string(1, char('0' + value / 10 % 10)) + char('0' + value % 10);
}

}  // namespace

const RecordFileKind& InvoiceFileKind() {
  static const RecordFileKind kind{"Invoices", kInvoiceRecordLength, InvoiceKeyDescriptors(), InvoiceKey};
  return kind;
}

const RecordFileKind& LineFileKind() {
  static const RecordFileKind kind{"Invoices", kLineRecordLength, LineKeyDescriptors(), LineKey};
  return kind;
}

const RecordFileKind& MemoFileKind() {
  static const RecordFileKind kind{"Memo Records", kMemoRecordLength, MemoKeyDescriptors(), MemoKey};
  return kind;
}

std::vector<std::string> DescribeInvoice(std::span<const unsigned char> record) {
  static const Named fields[] = {
      {"InvoiceNumber", kInvoiceNumber}, {"RecordKind", kRecordKind},       {"KeyCode", kKeyCode},
      {"CustomerNumber", kCustomerNumber}, {"CompanyNumber", kCompanyNumber}, {"InvoiceDate", kInvoiceDate},
      {"PrintedFlag", kPrintedFlag},     {"InvoiceMonth", kInvoiceMonth},   {"InvoiceDay", kInvoiceDay},
      {"InvoiceYear", kInvoiceYear},     {"DateKey", kDateKey},             {"Notes", kNotes},
      {"Terms", kTerms},                 {"StatementNote", kStatementNote}, {"InvoiceType", kInvoiceType},
      {"ShortName", kShortName},         {"NetAmount", kNetAmount},         {"TaxAmount", kTaxAmount},
      {"TotalAmount", kTotalAmount},     {"PaidAmount", kPaidAmount},       {"BalanceDue", kBalanceDue},
      {"DatePaid", kDatePaid},           {"RepeatUnit", kRepeatUnit},       {"PaidFlag", kPaidFlag},
      {"NextDueDate", kNextDueDate},     {"RepeatInterval", kRepeatInterval}, {"RepeatCount", kRepeatCount},
      {"EMailedDate", kEMailedDate},
  };
  return Describe(record, fields);
}

std::vector<std::string> DescribeLine(std::span<const unsigned char> record) {
  static const Named fields[] = {
      {"LineText", kLineText},           {"LineKind", kLineKind},
      {"CompanyNumber", kLineCompanyNumber}, {"InvoiceNumber", kLineInvoiceNumber},
      {"DateKey", kLineDateKey},         {"ProductCode", kLineProductCode},
      {"CustomerNumber", kLineCustomerNumber}, {"ShortName", kLineShortName},
  };
  return Describe(record, fields);
}

std::vector<std::string> DescribeMemo(std::span<const unsigned char> record) {
  std::vector<Named> fields = {{"InvoiceNumber", kMemoInvoiceNumber}};
  static const std::string names[kMemoLineCount] = {
      "MemoLine1",  "MemoLine2",  "MemoLine3",  "MemoLine4",  "MemoLine5",  "MemoLine6",  "MemoLine7",
      "MemoLine8",  "MemoLine9",  "MemoLine10", "MemoLine11", "MemoLine12", "MemoLine13", "MemoLine14",
      "MemoLine15", "MemoLine16", "MemoLine17", "MemoLine18", "MemoLine19", "MemoLine20", "MemoLine21",
      "MemoLine22", "MemoLine23", "MemoLine24", "MemoLine25"};
  for (int n = 1; n <= kMemoLineCount; ++n) fields.push_back({names[n - 1].c_str(), MemoLine(n)});
  return Describe(record, fields);
}

bool OpenInvoiceFile(engine::FileBlock*& handle, std::string_view companyNumber, common::Prompter& prompter,
                     engine::RebuildStatus& status) {
  return OpenRecordFile(handle, InvoiceFileName(companyNumber), InvoiceFileKind(),
                        {std::string(kNewInvoiceFileNotice), std::string(kNewInvoiceFileCaption),
                         common::PromptButtons::OK},
                        prompter, status);
}

bool OpenLineFile(engine::FileBlock*& handle, std::string_view companyNumber, common::Prompter& prompter,
                  engine::RebuildStatus& status) {
  return OpenRecordFile(handle, LineFileName(companyNumber), LineFileKind(), {}, prompter, status);
}

bool OpenMemoFile(engine::FileBlock*& handle, std::string_view companyNumber, common::Prompter& prompter,
                  engine::RebuildStatus& status) {
  return OpenRecordFile(handle, MemoFileName(companyNumber), MemoFileKind(), {}, prompter, status);
}

bool AddInvoice(engine::FileBlock* handle, std::span<const std::uint8_t> record, std::int32_t& ref,
                common::Prompter& prompter) {
  return AddKeyedRecord(handle, InvoiceFileKind(), record, ref, prompter);
}
bool ModifyInvoice(engine::FileBlock* handle, std::span<const std::uint8_t> record,
                   std::span<const std::uint8_t> oldImage, std::int32_t ref, common::Prompter& prompter) {
  return ModifyKeyedRecord(handle, InvoiceFileKind(), ref, record, oldImage, prompter);
}
bool DeleteInvoice(engine::FileBlock* handle, std::span<const std::uint8_t> record, std::int32_t ref,
                   common::Prompter& prompter) {
  return DeleteKeyedRecord(handle, InvoiceFileKind(), ref, record, prompter);
}
bool AddLine(engine::FileBlock* handle, std::span<const std::uint8_t> record, std::int32_t& ref,
             common::Prompter& prompter) {
  return AddKeyedRecord(handle, LineFileKind(), record, ref, prompter);
}
bool ModifyLine(engine::FileBlock* handle, std::span<const std::uint8_t> record,
                std::span<const std::uint8_t> oldImage, std::int32_t ref, common::Prompter& prompter) {
  return ModifyKeyedRecord(handle, LineFileKind(), ref, record, oldImage, prompter);
}
bool DeleteLine(engine::FileBlock* handle, std::span<const std::uint8_t> record, std::int32_t ref,
                common::Prompter& prompter) {
  return DeleteKeyedRecord(handle, LineFileKind(), ref, record, prompter);
}
bool AddMemo(engine::FileBlock* handle, std::span<const std::uint8_t> record, std::int32_t& ref,
             common::Prompter& prompter) {
  return AddKeyedRecord(handle, MemoFileKind(), record, ref, prompter);
}
bool ModifyMemo(engine::FileBlock* handle, std::span<const std::uint8_t> record,
                std::span<const std::uint8_t> oldImage, std::int32_t ref, common::Prompter& prompter) {
  return ModifyKeyedRecord(handle, MemoFileKind(), ref, record, oldImage, prompter);
}
bool DeleteMemo(engine::FileBlock* handle, std::span<const std::uint8_t> record, std::int32_t ref,
                common::Prompter& prompter) {
  return DeleteKeyedRecord(handle, MemoFileKind(), ref, record, prompter);
}

bool ReplaceKey(engine::FileBlock* handle, const std::string& oldKey, const std::string& newKey, std::int32_t ref,
                int keyNr, common::Prompter& prompter) {
  if (oldKey == newKey) return true;
  if (!WithLockRetry(prompter, [&] { engine::AddKey(handle, keyNr, ref, newKey); })) return false;
  if (WithLockRetry(prompter, [&] { engine::DeleteKey(handle, keyNr, ref, oldKey); })) return true;
  // An index holding both keys would list the record twice: the new key goes again.
  const bool ok = EngineOK;
  const std::int32_t status = EngineStatus;
  engine::DeleteKey(handle, keyNr, ref, newKey);
  EngineOK = ok;
  EngineStatus = status;
  return false;
}

bool FindInvoice(engine::FileBlock* handle, std::string_view number, std::int32_t& ref, common::Prompter& prompter) {
  return FindExactKey(handle, kKeyByNumber, InvoiceNumberKey(number), ref, prompter);
}

bool FindLine(engine::FileBlock* handle, const std::string& keyText, int keyNr, std::int32_t& ref,
              common::Prompter& prompter) {
  return FindExactKey(handle, keyNr, keyText, ref, prompter);
}

bool FindMemo(engine::FileBlock* handle, std::string_view number, std::int32_t& ref, common::Prompter& prompter) {
  return FindExactKey(handle, 1, InvoiceNumberKey(number), ref, prompter);
}

std::optional<std::vector<StoredRecord>> ReadInvoiceRecords(engine::FileBlock* handle, std::string_view number) {
  return ReadByKey(handle, kKeyByNumber, InvoiceNumberKey(number), Wanted(number));
}

std::optional<std::vector<StoredRecord>> ReadInvoiceLines(engine::FileBlock* handle, std::string_view number) {
  return ReadByKey(handle, kLineKeyByInvoice, InvoiceNumberKey(number), Wanted(number));
}

std::optional<std::vector<StoredRecord>> ReadCustomerInvoices(engine::FileBlock* handle,
                                                              std::string_view customerNumber) {
  return ReadByKey(handle, kKeyByCustomer, common::BuildKey(customerNumber, 8), Wanted(customerNumber));
}

bool SetInvoiceDate(std::span<std::uint8_t> record, std::string_view dateText, common::DateFormat format) {
  const auto date = common::ParseDate(dateText, format);
  if (!date) return false;
  // Stored in its full ten-character form: readers cut the month, day and year at fixed places.
  common::WriteText(record, kInvoiceDate, common::FormatDate(*date, format));
  common::WriteText(record, kInvoiceMonth, TwoDigits(unsigned(date->month())));
  common::WriteText(record, kInvoiceDay, TwoDigits(unsigned(date->day())));
  common::WriteText(record, kInvoiceYear, common::FormatDate(*date, common::DateFormat::YearFirst).substr(0, 4));
  common::WriteText(record, kDateKey, common::FormatDateKey(*date));
  return true;
}

std::optional<std::chrono::year_month_day> InvoiceDateOf(std::span<const std::uint8_t> record) {
  return common::ParseDateKey(common::ReadText(record, kDateKey));
}

std::string RecordKindText(std::span<const std::uint8_t> record) {
  const std::string kind = common::ReadText(record, kRecordKind);
  if (kind == kKindInvoice) return "I - Regular Invoice";
  if (kind == kKindRepeatMaster)
    return "R - Repeat Billing Master Record (Created: " + common::ReadText(record, kRepeatCount) + ")";
  if (kind == kKindGenerated) return "G - Repeat Billing Generated Invoice";
  if (kind == kKindPartlyPaid) return "Z - Invoice has Partial Payment(s) of Type X";
  if (kind == kKindPartialPayment) return "X - Partial Payment Record against Type Z";
  if (kind == kKindDeposit) return "D - Deposit on Account";
  if (kind == kKindDepositTaken) return "T - Deposit Taken (offsets type D)";
  return kind;
}

std::optional<std::string> ProposeInvoiceNumber(std::string_view nextInvoiceNumber, bool yearMonthPrefix,
                                                std::chrono::year_month_day lastInvoiceDate) {
  std::string number = common::TrimBoth(nextInvoiceNumber);
  if (yearMonthPrefix)
    number = TwoDigits(unsigned(int(lastInvoiceDate.year()) % 100)) + TwoDigits(unsigned(lastInvoiceDate.month())) +
             number;
  if (number.size() > kInvoiceNumberWidth) return std::nullopt;
  return number;
}

std::string NextInvoiceNumberAfter(std::string_view current, std::string_view used, bool yearMonthPrefix) {
  const std::string trimmedCurrent = common::TrimBoth(current);
  const std::string number = common::TrimBoth(used);
  const std::size_t prefix = yearMonthPrefix ? 4 : 0;
  if (number.size() <= prefix) return trimmedCurrent;
  const std::string sequence = number.substr(prefix);
  if (!AllDigits(sequence)) return trimmedCurrent;
  const std::string successor = Increment(StripZeros(sequence));
  if (successor.size() > kInvoiceNumberWidth - prefix) return trimmedCurrent;
  if (AllDigits(trimmedCurrent) && !DigitsLess(StripZeros(trimmedCurrent), successor)) return trimmedCurrent;
  return successor;
}

}  // namespace tf::records::invoice
