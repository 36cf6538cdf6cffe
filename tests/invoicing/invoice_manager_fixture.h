#pragma once
// The Invoice Manager's model over DocumentBooksTest's books on a bare list, with every window
// action scripted: the print dialog (a recording canvas), the batch dialog's number, the find
// window, the views. The manager tests and the e-mail tests against a real server share it.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browse/manager_list.h"
#include "common/money_format.h"
#include "common/recording_canvas.h"
#include "invoicing/books_check.h"
#include "invoicing/invoice_books.h"
#include "invoicing/manager/invoice_manager.h"
#include "tests/invoicing/document_books.h"
#include "tests/support/fault_file_system.h"

namespace tf::invoicing::testing {

using browse::Outcome;
using common::PromptAnswer;
using common::RecordingCanvas;

struct NoReports : common::TextReportViewer {
  void ShowTextFile(const std::string&, std::string_view) override {}
};

// What a printer the manager chose and let go of had printed.
struct Printed {
  std::string title;
  std::size_t pages = 0;
};
class KeptCanvas : public RecordingCanvas {
 public:
  explicit KeptCanvas(Printed& printed) : printed_(printed) {}
  ~KeptCanvas() override {
    printed_.title = Title();
    printed_.pages = PageCount();
  }

 private:
  Printed& printed_;
};

class InvoiceManagerTest : public DocumentBooksTest {
 protected:
  void SetUp() override {
    DocumentBooksTest::SetUp();
    std::copy(company_.begin(), company_.end(), book_.Current().begin());
  }
  void TearDown() override {
    manager_.reset();
    DocumentBooksTest::TearDown();
  }

  // Adds the record and carries its balance into the customer and the company, as a save or a
  // posting does, so that the books agree before the manager works on them.
  std::int32_t Post(const PlannedInvoice& planned) {
    const std::int32_t ref = Add(planned);
    const RecordBuffer record = InvoiceRecord(planned);
    const common::Money open =
        common::ParseAmount(ReadText(record, inv::kBalanceDue), common::BlankAmount::Zero).value_or(common::Money());
    if (open.IsZero()) return ref;
    RecordBuffer before = cu::NewCustomerRecord();
    const auto customerRef = cu::FindCustomerByNumber(customers_, planned.customer, before);
    EXPECT_TRUE(customerRef);
    RecordBuffer after = before;
    const int days[3] = {30, 60, 90};
    EXPECT_TRUE(ApplyToCustomer(after, {common::Money(), std::nullopt, open, *inv::InvoiceDateOf(record), planned.date,
                                        common::Money(), planned.number, false},
                                clock_.Today(), days, common::DateFormat::MonthFirst));
    EXPECT_TRUE(records::ModifyKeyedRecord(customers_, cu::CustomerFileKind(), *customerRef, after, before, prompter_));
    EXPECT_TRUE(book_.UpdateCurrentCompany([&](std::span<std::uint8_t> w) { ApplyToCompany(w, open, nullptr); },
                                           prompter_, status_));
    return ref;
  }

  RecordBuffer Customer(const std::string& number) {
    RecordBuffer r = cu::NewCustomerRecord();
    engine::FileBlock* customers = customers_;
    engine::FileBlockGuard own;
    if (!customers) {
      common::ScriptedPrompter quiet;
      EXPECT_TRUE(cu::OpenCustomerFile(own.handle(), "1", quiet, status_));
      customers = own.get();
    }
    EXPECT_TRUE(cu::FindCustomerByNumber(customers, number, r));
    return r;
  }

  InvoiceManagerServices Services() {
    InvoiceManagerServices s{browse::ManagerServices{book_, prompter_, status_, reports_, clock_}};
    s.labelQueue = &labels_;
    s.emailMode = [this] { return email_; };
    s.timerRunning = [] { return false; };
    s.runFind = [this](const finder::FindMode& mode) -> std::optional<std::string> {
      findCaption_ = mode.Caption();
      return found_;
    };
    s.showQuickView = [this](const customers::QuickView& v) { quickView_ = v; };
    s.showView = [this](const documents::InvoiceView& v) { views_.push_back(v); };
    s.choosePrinter = [this] {
      ChosenPrinter p;
      if (!printerCancelled_) {
        auto canvas = std::make_unique<KeptCanvas>(printed_);
        canvas->FailEndDoc(printerFails_);
        p.canvas = std::move(canvas);
        p.toFile = printToFile_;
      }
      return p;
    };
    s.runBatchDialog = [this](const BatchPrompt& p) {
      batchPrompt_ = p;
      return batchNumber_;
    };
    s.beep = [this] { ++beeps_; };
    return s;
  }

  void OpenManager() {
    CloseBooks();
    manager_ = std::make_unique<InvoiceManager>(Services(), list_);
    const Outcome opened = manager_->Open();
    ASSERT_TRUE(opened.IsDone()) << opened.Message().text;
  }

  // The rows on show, without their padding.
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (int n = 1; n <= list_.Model().RowsFilled(); ++n) rows.push_back(common::TrimBoth(list_.Model().Row(n).Row));
    return rows;
  }
  // The invoice numbers of the rows on show.
  std::vector<std::string> Numbers() {
    std::vector<std::string> numbers;
    for (const std::string& row : Rows()) numbers.push_back(common::TrimBoth(row.substr(13, 9)));
    return numbers;
  }
  std::string Current() { return common::TrimBoth(list_.Model().Row(list_.Model().CurrentRow()).Row.substr(13, 9)); }
  void Select(const std::string& number) {
    const auto numbers = Numbers();
    const auto at = std::find(numbers.begin(), numbers.end(), number);
    ASSERT_NE(at, numbers.end()) << number;
    ASSERT_TRUE(list_.Model().SelectRow(int(at - numbers.begin()) + 1));
  }
  std::string Flag(const std::string& number) {
    engine::FileBlockGuard invoices;
    common::ScriptedPrompter quiet;
    engine::FileBlock* h = manager_ && manager_->IsOpen() ? manager_->File() : nullptr;
    if (!h) {
      EXPECT_TRUE(inv::OpenInvoiceFile(invoices.handle(), "1", quiet, status_));
      h = invoices.get();
    }
    const auto records = inv::ReadInvoiceRecords(h, number);
    return records && !records->empty() ? ReadText((*records)[0].record, inv::kPrintedFlag) : "?";
  }

  // Every block sound and the books agreeing, with the manager closed.
  std::string CheckAll() {
    if (manager_) manager_->Close();
    CloseBooks();
    std::string out;
    out += test::Findings("1I", inv::InvoiceKeys);
    out += test::Findings("1D", inv::LineKeys);
    out += test::Findings("1M", inv::MemoKeys);
    out += test::Findings("1C", cu::CustomerKeys);
    // The company balance as the company file holds it.
    RecordBuffer company(co::kCompanyRecordLength);
    {
      engine::FileBlockGuard block;
      common::ScriptedPrompter quiet;
      EXPECT_TRUE(records::OpenCompanyFile(block.handle(), quiet, status_));
      const std::int32_t ref = records::FindCompany(block.get(), "1");
      EXPECT_NE(ref, 0);
      engine::GetRecord(block.get(), ref, std::span<std::uint8_t>(company));
    }
    EXPECT_EQ(ReadText(company, co::kCompanyBalance), ReadText(book_.Current(), co::kCompanyBalance));
    for (const std::string& f : CheckBooks("1", ReadText(company, co::kCompanyBalance)).findings) out += f + "\n";
    return out;
  }

  records::CompanyBook book_;
  common::FixedClock clock_{std::chrono::year_month_day{std::chrono::year{1999}, std::chrono::month{3}, std::chrono::day{20}}};
  NoReports reports_;
  correspondence::LabelQueue labels_;
  browse::BrowseModelList list_{10};
  std::unique_ptr<InvoiceManager> manager_;
  bool email_ = false;
  std::optional<std::string> found_;
  std::string findCaption_;
  std::optional<customers::QuickView> quickView_;
  std::vector<documents::InvoiceView> views_;
  bool printerCancelled_ = false;
  bool printerFails_ = false;
  bool printToFile_ = false;
  Printed printed_;
  std::optional<BatchPrompt> batchPrompt_;
  std::optional<int> batchNumber_;
  int beeps_ = 0;
};

}  // namespace tf::invoicing::testing
