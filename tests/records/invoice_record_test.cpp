#include "records/invoice_record.h"

#include <gtest/gtest.h>

#include "common/record_buffer.h"
#include "records/invoice_file.h"

namespace tf::records::invoice {
namespace {

using common::RecordBuffer;
using common::WriteText;

RecordBuffer Invoice(std::string_view number, std::string_view kind, std::string_view customer,
                     std::string_view keyCode, std::string_view dateKey, std::string_view datePaid) {
  RecordBuffer r(kInvoiceRecordLength);
  WriteText(r, kInvoiceNumber, number);
  WriteText(r, kRecordKind, kind);
  WriteText(r, kCustomerNumber, customer);
  WriteText(r, kKeyCode, keyCode);
  WriteText(r, kDateKey, dateKey);
  WriteText(r, kDatePaid, datePaid);
  return r;
}

TEST(InvoiceRecordTest, KeysAreBuiltAsTheIndexesOrderThem) {
  RecordBuffer r = Invoice(" a100 ", "z", "c7 ", "none", "1999/03/07", "");
  EXPECT_EQ(InvoiceKey(r, 1), "A100     ");
  EXPECT_EQ(InvoiceKey(r, 2), "C7      ");
  EXPECT_EQ(InvoiceKey(r, 3), "1999/03/07");
  EXPECT_EQ(InvoiceKey(r, 4), "NONE    ");  // eight wide although its index allows ten
  EXPECT_EQ(InvoiceKey(r, 5), "ZA100     ");
  EXPECT_EQ(InvoiceKey(r, 6), std::string(10, ' '));  // open: sorts before every paid record
  EXPECT_EQ(InvoiceKey(r, 7), "");
}

TEST(InvoiceRecordTest, ANineCharacterNumberGivesATenCharacterKindKey) {
  RecordBuffer r = Invoice("123456789", "X", "1", "", "2000/01/01", "2000/02/01");
  EXPECT_EQ(InvoiceKey(r, 5), "X123456789");
  EXPECT_EQ(InvoiceKey(r, 6), "2000/02/01");
}

TEST(InvoiceRecordTest, LineAndMemoKeysFollowTheInvoiceNumber) {
  RecordBuffer line(kLineRecordLength);
  WriteText(line, kLineInvoiceNumber, "b7");
  WriteText(line, kLineDateKey, "2001/12/31");
  EXPECT_EQ(LineKey(line, 1), "2001/12/31");
  EXPECT_EQ(LineKey(line, 2), "B7       ");
  RecordBuffer memo(kMemoRecordLength);
  WriteText(memo, kMemoInvoiceNumber, "b7");
  EXPECT_EQ(MemoKey(memo, 1), "B7       ");
}

TEST(InvoiceRecordTest, FieldsAndFileShapes) {
  // The last memo line ends where the reserved tail begins.
  EXPECT_EQ(MemoLine(kMemoLineCount).offset + kMemoLineWidth + 1, 1889u);
  EXPECT_EQ(InvoiceFileKind().keys.size(), 6u);
  EXPECT_EQ(LineFileKind().recordLength, 132);
  EXPECT_EQ(MemoFileKind().title, "Memo Records");
  EXPECT_EQ(MemoKeyDescriptors()[0].AllowDuplicates, 0);
  EXPECT_EQ(InvoiceFileName(" 12 "), "12I");
  EXPECT_EQ(LineFileName("12"), "12D");
  EXPECT_EQ(MemoFileName("12"), "12M");
}

}  // namespace
}  // namespace tf::records::invoice
