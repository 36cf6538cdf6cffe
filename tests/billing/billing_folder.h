#pragma once
// A data folder with one company's books for the interest and repeat billing tests (company 1
// of tests/aging/books_folder.h, today 2024/05/15), with line and memo records written
// straight into their files, repeat masters, the recovery of a staged change a failure left
// behind, and the check of every block and every invariant of the books.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/money_format.h"
#include "records/staged_block.h"
#include "tests/aging/books_folder.h"
#include "tests/support/fault_file_system.h"

namespace tf::test {

class BillingFolderTest : public BooksFolderTest {
 protected:
  void SetCompanyField(common::TextField field, const std::string& value) {
    common::RecordBuffer c = CompanyOnFile();
    common::WriteText(c, field, value);
    PutCompany(c);
  }

  void PutCompany(const common::RecordBuffer& c) {
    const common::RecordBuffer before = CompanyOnFile();
    engine::FileBlockGuard h;
    engine::OpenFileBlock(h.handle(), records::company::kCompanyFileBlock);
    ASSERT_TRUE(engine::EngineOK);
    const std::int32_t ref = records::FindCompany(h.get(), "1");
    ASSERT_TRUE(records::ModifyKeyedRecord(h.get(), records::company::CompanyFileKind(), ref, c, before, quiet_));
    std::copy(c.begin(), c.end(), book_.Current().begin());
  }

  // A line of invoice `number` with `text` as its LineText.
  void AddLine(const std::string& number, const std::string& text, const std::string& kind = "P") {
    namespace inv = records::invoice;
    common::RecordBuffer l(inv::kLineRecordLength);
    common::WriteText(l, inv::kLineInvoiceNumber, number);
    common::WriteText(l, inv::kLineText, text);
    common::WriteText(l, inv::kLineKind, kind);
    common::WriteText(l, inv::kLineCompanyNumber, "1");
    common::WriteText(l, inv::kLineDateKey, "2024/01/31");
    engine::FileBlockGuard h;
    ASSERT_TRUE(records::OpenRecordFile(h.handle(), inv::LineFileName("1"), inv::LineFileKind(), {}, quiet_, status_));
    std::int32_t ref = 0;
    ASSERT_TRUE(inv::AddLine(h.get(), l, ref, quiet_));
  }

  void AddMemo(const std::string& number, const std::string& firstLine) {
    namespace inv = records::invoice;
    common::RecordBuffer m(inv::kMemoRecordLength);
    common::WriteText(m, inv::kMemoInvoiceNumber, number);
    common::WriteText(m, inv::MemoLine(1), firstLine);
    engine::FileBlockGuard h;
    ASSERT_TRUE(records::OpenRecordFile(h.handle(), inv::MemoFileName("1"), inv::MemoFileKind(), {}, quiet_, status_));
    std::int32_t ref = 0;
    ASSERT_TRUE(inv::AddMemo(h.get(), m, ref, quiet_));
  }

  // A repeat master of `customer` for `total`, due on `due`, every `interval` of `unit`, with
  // `count` invoices generated so far.
  std::int32_t AddMaster(const std::string& number, const std::string& customer, const std::string& total,
                         std::chrono::year_month_day due, const std::string& unit = "M", int interval = 1,
                         int count = 0, const std::string& type = "P") {
    namespace inv = records::invoice;
    common::RecordBuffer r = InvoiceRecord({number, customer, {std::chrono::year{2024}, std::chrono::January,
                                                               std::chrono::day{2}},
                                            total, "0.00", "R", type},
                                           Format());
    common::WriteText(r, inv::kBalanceDue, "0.00");
    common::WriteText(r, inv::kPaidFlag, "");
    common::WriteText(r, inv::kDatePaid, "");
    common::WriteText(r, inv::kRepeatUnit, unit);
    common::WriteText(r, inv::kRepeatInterval, std::to_string(interval));
    common::WriteText(r, inv::kRepeatCount, std::to_string(count));
    common::WriteText(r, inv::kNextDueDate, common::FormatDate(due, common::DateFormat::MonthFirst));
    return AddInvoiceRecord(r);
  }

  // Every record of invoice `number` in the invoice file (key 1).
  std::vector<common::RecordBuffer> Records(const std::string& number) {
    engine::FileBlockGuard h;
    engine::OpenFileBlock(h.handle(), records::invoice::InvoiceFileName("1"), true);
    std::vector<common::RecordBuffer> out;
    if (!engine::EngineOK) return out;
    const auto found = records::invoice::ReadInvoiceRecords(h.get(), number);
    EXPECT_TRUE(found) << number << " " << engine::EngineStatus;
    if (!found) return out;
    for (const auto& r : *found) out.push_back(r.record);
    return out;
  }

  std::vector<common::RecordBuffer> Lines(const std::string& number) {
    engine::FileBlockGuard h;
    engine::OpenFileBlock(h.handle(), records::invoice::LineFileName("1"), true);
    std::vector<common::RecordBuffer> out;
    if (!engine::EngineOK) return out;
    const auto found = records::invoice::ReadInvoiceLines(h.get(), number);
    EXPECT_TRUE(found) << number << " " << engine::EngineStatus;
    if (!found) return out;
    for (const auto& r : *found) out.push_back(r.record);
    return out;
  }

  int RecordCount(const std::string& block) {
    engine::FileBlockGuard h;
    engine::OpenFileBlock(h.handle(), block, true);
    return engine::EngineOK ? engine::UsedRecords(h.get()) : 0;
  }

  // Finishes or drops what a cut-short staged change left, as the next open of any block does.
  void Recover() {
    for (const char* block : {"1I", "1D", "1M", "1C", "Company"})
      ASSERT_TRUE(records::RecoverStagedBlock(block)) << block << " " << engine::EngineStatus;
  }

  // Runs `run` (a whole billing run: true when it went in, and its message) with a fault at the
  // first, second, ... file call until a run meets none, each time from the books as they are
  // now. After each run what a cut-short change left is finished or dropped, `check(ok, nth)`
  // looks at the outcome, and every block and invariant of the books must hold.
  struct Sweep {
    int failures = 0;         // runs that did not go in
    bool reachedEnd = false;  // a run met no fault: every file call of it was failed once
  };
  template <class Run, class Check>
  Sweep SweepFaults(Run run, Check check) {
    const auto start = FolderBytes();
    const common::RecordBuffer company = CompanyOnFile();
    Sweep sweep;
    for (int nth = 1; nth < 400 && !sweep.reachedEnd; ++nth) {
      for (const auto& [name, bytes] : start) {
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        out << bytes;
      }
      for (const auto& entry : std::filesystem::directory_iterator("."))
        if (!start.contains(entry.path().filename().string())) std::filesystem::remove(entry.path());
      std::copy(company.begin(), company.end(), book_.Current().begin());
      FaultFileSystem faulty;
      std::pair<bool, std::string> outcome;
      {
        engine::ScopedFileSystem scoped(faulty);
        faulty.Arm(FaultKind::Eio, nth, false);
        outcome = run();
        faulty.Disarm();
      }
      std::string where;
      for (const FsEvent& e : faulty.Injected()) where += std::string(Name(e.call)) + " " + e.path;
      SCOPED_TRACE("fault at file call " + std::to_string(nth) + " (" + where + "): " + outcome.second);
      const bool met = faulty.InjectedCount() > 0;
      Recover();
      sweep.reachedEnd = !met;
      if (!outcome.first) {
        ++sweep.failures;
        EXPECT_TRUE(met);
        EXPECT_FALSE(outcome.second.empty());
      }
      check(outcome.first, nth);
      EXPECT_EQ(CheckEverything(), "");
      if (::testing::Test::HasFailure()) break;
    }
    return sweep;
  }

  // CheckAll, and the line and memo blocks sound too.
  std::string CheckEverything() {
    namespace inv = records::invoice;
    std::string out = CheckAll();
    if (std::filesystem::exists("1D.DAT")) out += Findings("1D", inv::LineKeys);
    if (std::filesystem::exists("1M.DAT")) out += Findings("1M", inv::MemoKeys);
    return out;
  }
};

}  // namespace tf::test
