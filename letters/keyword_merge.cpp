#include "letters/keyword_merge.h"

#include <algorithm>

#include "common/record_fields.h"
#include "common/stored_text.h"
#include "common/text.h"
#include "records/company_record.h"
#include "records/customer_record.h"

namespace tf::letters {
namespace {

namespace cu = records::customer;
namespace co = records::company;

enum class Source { Customer, Company };

struct KeywordField {
  MergeKeyword keyword;
  Source source;
  common::TextField field;
};

const std::vector<KeywordField>& Table() {
  static const std::vector<KeywordField> table = {
      {{"VQCSTNO", "Customer Number"}, Source::Customer, cu::kCustomerNumber},
      {{"VQCSTNAME", "Customer Name"}, Source::Customer, cu::kCustomerName},
      {{"VQCSTBAL", "Customer Balance"}, Source::Customer, cu::kBalance},
      {{"VQCSTLPMT", "Customers Last Payment Date"}, Source::Customer, cu::kLastPaymentDate},
      {{"VQCSTLSTINV", "Customers Last Invoice Number"}, Source::Customer, cu::kLastInvoiceNumber},
      {{"VQCSTTYPE", "Customer Type"}, Source::Customer, cu::kCustomerType},
      {{"VQCSTCREDIT", "Customer Credit Limit"}, Source::Customer, cu::kCreditLimit},
      {{"VQCSTTERMS", "Customer Payment Terms"}, Source::Customer, cu::kTerms},
      {{"VQCSTADD1", "Customer Address Line 1"}, Source::Customer, cu::kBillAddress1},
      {{"VQCSTADD2", "Customer Address Line 2"}, Source::Customer, cu::kBillAddress2},
      {{"VQCSTADD3", "Customer Address Line 3"}, Source::Customer, cu::kBillAddress3},
      {{"VQCSTADD4", "Customer Address Line 4"}, Source::Customer, cu::kBillAddress4},
      {{"VQCSTPHN1", "Customer Billing Address Phone Number"}, Source::Customer, cu::kPhone1},
      {{"VQCSTSHP1", "Customer Shipping Address Line 1"}, Source::Customer, cu::kShipAddress1},
      {{"VQCSTSHP2", "Customer Shipping Address Line 2"}, Source::Customer, cu::kShipAddress2},
      {{"VQCSTSHP3", "Customer Shipping Address Line 3"}, Source::Customer, cu::kShipAddress3},
      {{"VQCSTSHP4", "Customer Shipping Address Line 4"}, Source::Customer, cu::kShipAddress4},
      {{"VQCSTPHN2", "Customer Shipping Phone Number"}, Source::Customer, cu::kPhone2},
      {{"VQCSTACUR", "Customer Aging Amount (Category 1)"}, Source::Customer, cu::kAgingAmount1},
      {{"VQCSTA3060", "Customer Aging Amount (Category 2)"}, Source::Customer, cu::kAgingAmount2},
      {{"VQCSTA6090", "Customer Aging Amount (Category 3)"}, Source::Customer, cu::kAgingAmount3},
      {{"VQCSTAOV90", "Customer Aging Amount (Category 4)"}, Source::Customer, cu::kAgingAmount4},
      {{"VQCSTNOTES", "Customer Notes"}, Source::Customer, cu::kNotes},
      {{"VQCSTSNAME", "Customer Short Name"}, Source::Customer, cu::kShortName},
      {{"VQCSTMLIST", "Customer Mailing List Sort Code"}, Source::Customer, cu::kMailSortCode},
      {{"VQCMPNAME", "Default Company Name"}, Source::Company, co::kCompanyName},
      {{"VQCMPADD1", "Default Company Address Line 1"}, Source::Company, co::kAddress1},
      {{"VQCMPADD2", "Default Company Address Line 2"}, Source::Company, co::kAddress2},
      {{"VQCMPADD3", "Default Company Address Line 3"}, Source::Company, co::kAddress3},
      {{"VQCMPADD4", "Default Company Address Line 4"}, Source::Company, co::kAddress4},
      {{"VQCMPADD5", "Default Company Address Line 5"}, Source::Company, co::kAddress5},
  };
  return table;
}

// Letters, digits and the underscore make words; so do the bytes of characters beyond ASCII,
// which are letters in any language a letter is written in.
bool IsWordByte(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_' || u >= 0x80;
}

// The keyword indexes, longest keyword first, so that of two keywords at one place the longer
// is tried first.
const std::vector<std::size_t>& LongestFirst() {
  static const std::vector<std::size_t> order = [] {
    std::vector<std::size_t> o(Table().size());
    for (std::size_t i = 0; i < o.size(); ++i) o[i] = i;
    std::stable_sort(o.begin(), o.end(), [](std::size_t a, std::size_t b) {
      return Table()[a].keyword.keyword.size() > Table()[b].keyword.keyword.size();
    });
    return o;
  }();
  return order;
}

std::string ValueText(std::span<const std::uint8_t> record, common::TextField field) {
  const std::string utf8 = common::Latin1ToUtf8(common::TrimBoth(common::ReadText(record, field)));
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r') {
      out += '\n';  // notes keep their line breaks as CR LF (a lone CR counts too)
      if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
    } else {
      out += utf8[i];
    }
  }
  return out;
}

Paragraph MergeParagraph(const Paragraph& p, const MergeValues& values) {
  std::string text;
  std::vector<std::size_t> runOf;  // the run of every byte of text
  for (std::size_t r = 0; r < p.runs.size(); ++r) {
    text += p.runs[r].text;
    runOf.insert(runOf.end(), p.runs[r].text.size(), r);
  }
  Paragraph out;
  out.format = p.format;
  std::size_t copyFrom = 0;  // start of the text not yet copied
  auto copyUpTo = [&](std::size_t end) {
    // Piece by piece, each in the format of its own run.
    while (copyFrom < end) {
      const std::size_t r = runOf[copyFrom];
      std::size_t stop = copyFrom;
      while (stop < end && runOf[stop] == r) ++stop;
      out.Append(std::string_view(text).substr(copyFrom, stop - copyFrom), p.runs[r].format);
      copyFrom = stop;
    }
  };
  const auto& table = Table();
  std::size_t i = 0;
  while (i < text.size()) {
    const bool wordStart = i == 0 || !IsWordByte(text[i - 1]);
    if (!wordStart || text[i] != 'V') {
      ++i;
      continue;
    }
    std::size_t matched = table.size();
    for (std::size_t k : LongestFirst()) {
      const std::string_view kw = table[k].keyword.keyword;
      const std::size_t end = i + kw.size();
      if (text.compare(i, kw.size(), kw) == 0 && (end == text.size() || !IsWordByte(text[end]))) {
        matched = k;
        break;
      }
    }
    if (matched == table.size()) {
      ++i;
      continue;
    }
    copyUpTo(i);
    const std::string& value = matched < values.values.size() ? values.values[matched] : std::string();
    out.Append(value, p.runs[runOf[i]].format);
    i += table[matched].keyword.keyword.size();
    copyFrom = i;  // the keyword is gone; its value is never scanned
  }
  copyUpTo(text.size());
  return out;
}

}  // namespace

const std::vector<MergeKeyword>& MergeKeywords() {
  static const std::vector<MergeKeyword> keywords = [] {
    std::vector<MergeKeyword> k;
    for (const KeywordField& f : Table()) k.push_back(f.keyword);
    return k;
  }();
  return keywords;
}

std::vector<std::string> KeywordListItems() {
  std::vector<std::string> items;
  for (const KeywordField& f : Table())
    items.push_back(std::string(f.keyword.keyword) + " - " + std::string(f.keyword.meaning));
  std::sort(items.begin(), items.end());
  return items;
}

MergeValues ValuesFor(std::span<const std::uint8_t> customer, std::span<const std::uint8_t> company) {
  MergeValues v;
  for (const KeywordField& f : Table())
    v.values.push_back(ValueText(f.source == Source::Customer ? customer : company, f.field));
  return v;
}

LetterDocument MergeLetter(const LetterDocument& letter, const MergeValues& values) {
  LetterDocument out;
  out.paragraphs.reserve(letter.paragraphs.size());
  for (const Paragraph& p : letter.paragraphs) out.paragraphs.push_back(MergeParagraph(p, values));
  return out;
}

}  // namespace tf::letters
