// The generator against the published samples for N = 100,000: anything that differs here
// makes every digest differ, so the samples pin down each rule separately.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <set>
#include <sstream>
#include <string>

#include "bench/workload.h"

namespace tf::bench {
namespace {

constexpr uint32_t kN = 100000;

TEST(WorkloadSamples, FirstRecordsHaveTheirSixKeys) {
  const std::array<std::array<const char*, 6>, 5> expected{{
      {"100      ", "12950   ", "2020/03/09", "PARTS   ", "I100      ", "2020/04/16"},
      {"101      ", "10024   ", "2021/09/25", "PHONE   ", "I101      ", "2021/09/27"},
      {"102      ", "14313   ", "2023/06/30", "RENTAL  ", "X102      ", "2023/07/02"},
      {"103      ", "14860   ", "2024/11/08", "NONE    ", "I103      ", "2024/11/17"},
      {"104      ", "10218   ", "2022/01/10", "EXPORT  ", "I104      ", "2022/01/22"},
  }};
  InvoiceRecord rec{};
  for (uint32_t i = 0; i < expected.size(); ++i) {
    MakeInvoice(kN, i, rec);
    for (int k = 1; k <= kKeyCount; ++k)
      EXPECT_EQ(InvoiceKey(rec, k), expected[i][k - 1]) << "record " << i + 1 << " key " << k;
  }
}

TEST(WorkloadSamples, FirstRecordBytes) {
  const char* dump =
      "00 00 00 00 03 31 30 30 00 00 00 00 00 00 01 49 05 50 61 72 74 73 00 00 "
      "00 05 31 32 39 35 30 00 00 00 01 31 00 00 00 00 0a 30 33 2f 30 39 2f 32 "
      "30 32 30 01 59 02 30 33 02 30 39 04 32 30 32 30 0a 32 30 32 30 2f 30 33 "
      "2f 30 39 0c 4f 72 64 65 72 20 36 38 37 34 35 37 00 00 00 00 00 00 00 00 "
      "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
      "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
      "00 00 00 00 00 00 00 00 00 00 00 00 06 4e 65 74 20 33 30 00 00 00 00 00 "
      "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
      "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
      "00 00 00 00 00 00 00 00 00 00 00 00 01 50 08 43 55 53 54 32 39 35 30 00 "
      "00 07 34 36 32 36 2e 30 36 00 00 00 06 33 37 30 2e 30 38 00 00 00 00 07 "
      "34 39 39 36 2e 31 34 00 00 00 07 34 39 39 36 2e 31 34 00 00 00 04 30 2e "
      "30 30 00 00 00 00 00 00 0a 32 30 32 30 2f 30 34 2f 31 36 00 00 01 50 00 "
      "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
      "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";
  InvoiceRecord expected{};
  std::istringstream in(dump);
  size_t count = 0;
  for (unsigned byte; count < expected.size() && in >> std::hex >> byte; ++count)
    expected[count] = static_cast<unsigned char>(byte);
  ASSERT_EQ(count, expected.size());

  InvoiceRecord rec;
  rec.fill(0xAA);  // the generator must clear what it does not set
  MakeInvoice(kN, 0, rec);
  for (size_t at = 0; at < rec.size(); ++at)
    EXPECT_EQ(rec[at], expected[at]) << "byte " << at;
}

TEST(WorkloadSamples, FirstLookupTargets) {
  const auto targets = LookupTargets(kN);
  ASSERT_EQ(targets.size(), static_cast<size_t>(kLookupCount));
  const std::array<std::pair<uint32_t, const char*>, 5> expected{
      {{86207, "86307    "}, {5895, "5995     "}, {59709, "59809    "}, {90689, "90789    "}, {26660, "26760    "}}};
  for (size_t t = 0; t < expected.size(); ++t) {
    EXPECT_EQ(targets[t], expected[t].first);
    EXPECT_EQ(InvoiceNumberKey(targets[t]), expected[t].second);
  }
}

TEST(WorkloadSamples, FirstRangeWindows) {
  const auto windows = RangeWindows();
  ASSERT_EQ(windows.size(), static_cast<size_t>(kRangeWindowCount));
  const std::array<std::pair<const char*, const char*>, 3> expected{
      {{"2022/10/12", "2022/11/11"}, {"2021/01/03", "2021/02/02"}, {"2023/07/18", "2023/08/17"}}};
  for (size_t w = 0; w < expected.size(); ++w) {
    EXPECT_EQ(DateKey(windows[w].firstDay), expected[w].first);
    EXPECT_EQ(DateKey(windows[w].endDay), expected[w].second);
  }
  for (const RangeWindow& w : windows) {
    EXPECT_EQ(w.endDay - w.firstDay, kRangeDays);
    EXPECT_LE(w.endDay, kDayCount);  // the last window may end on the day after the last date
  }
}

TEST(WorkloadSamples, FirstDeleteVictimsAreDistinctRecordNumbers) {
  const auto victims = DeleteVictims(kN);
  ASSERT_EQ(victims.size(), kN / 10);
  const std::array<int32_t, 5> expected{78268, 1650, 13196, 88290, 93242};
  for (size_t v = 0; v < expected.size(); ++v) EXPECT_EQ(victims[v], expected[v]);
  const std::set<int32_t> distinct(victims.begin(), victims.end());
  EXPECT_EQ(distinct.size(), victims.size());
  EXPECT_GE(*distinct.begin(), 1);
  EXPECT_LE(*distinct.rbegin(), static_cast<int32_t>(kN));
}

TEST(WorkloadDates, CalendarEdges) {
  const std::pair<int, const char*> cases[] = {
      {0, "2020/01/01"},    {30, "2020/01/31"},   {59, "2020/02/29"},  {60, "2020/03/01"},
      {365, "2020/12/31"},  {366, "2021/01/01"},  {424, "2021/02/28"}, {425, "2021/03/01"},
      {1826, "2024/12/31"}, {1886, "2025/03/01"},
  };
  for (const auto& [day, text] : cases) EXPECT_EQ(DateKey(day), text) << "day " << day;
}

// Keys are built from the record's fields, not from the generator's numbers: trimming,
// padding, upper-casing and empty fields.
TEST(WorkloadKeys, BuiltFromTheRecordFields) {
  InvoiceRecord rec{};
  auto set = [&rec](int offset, std::string_view text) {
    rec[offset] = static_cast<unsigned char>(text.size());
    std::memcpy(rec.data() + offset + 1, text.data(), text.size());
  };
  set(4, " 42\t");       // InvoiceNumber with blanks around it
  set(14, "x");          // RecordKind in lower case
  set(16, " walkin ");   // KeyCode
  set(25, "10007");      // CustomerNumber
  set(64, "2024/02/29"); // DateKey
  // DatePaid left empty: unpaid
  EXPECT_EQ(InvoiceKey(rec, 1), "42       ");
  EXPECT_EQ(InvoiceKey(rec, 2), "10007   ");
  EXPECT_EQ(InvoiceKey(rec, 3), "2024/02/29");
  EXPECT_EQ(InvoiceKey(rec, 4), "WALKIN  ");
  EXPECT_EQ(InvoiceKey(rec, 5), "X42       ");
  EXPECT_EQ(InvoiceKey(rec, 6), "          ");
  EXPECT_THROW(InvoiceKey(rec, 7), std::out_of_range);

  set(4, "123456789");  // a full field: padding never cuts, and no room is left for padding
  EXPECT_EQ(InvoiceKey(rec, 1), "123456789");
  EXPECT_EQ(InvoiceKey(rec, 5), "X123456789");
}

TEST(WorkloadRecords, UnpaidRecordsLeaveThePaymentFieldsEmpty) {
  InvoiceRecord rec{};
  int unpaid = 0;
  for (uint32_t i = 0; i < 200; ++i) {
    MakeInvoice(1000, i, rec);
    const bool paid = rec[309] == 1;
    EXPECT_EQ(rec[296], paid ? 10 : 0) << "record " << i + 1;
    if (paid) {
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(&rec[286]), rec[285]), "0.00");
    } else {
      ++unpaid;
      EXPECT_EQ(InvoiceKey(rec, 6), std::string(10, ' '));
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(&rec[275]), rec[274]), "0.00");
    }
    // Customer numbers stay within N / 20 customers.
    const int customer = std::stoi(InvoiceKey(rec, 2));
    EXPECT_GE(customer, 10000);
    EXPECT_LT(customer, 10050);
  }
  EXPECT_GT(unpaid, 30);  // about 30 % of 200
  EXPECT_LT(unpaid, 90);
}

}  // namespace
}  // namespace tf::bench
