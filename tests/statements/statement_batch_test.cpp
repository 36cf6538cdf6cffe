// Batch statements: the customers chosen by balance and age in name order, the batch size and
// its pauses (0 meaning 1), cancelling at a pause, the last-run date written only by a complete
// run, the label queue filled only while a batch runs, and a mail or printer failure ending the
// run with the batch flag cleared and the mail connection closed.

#include <gtest/gtest.h>

#include "common/recording_canvas.h"
#include "correspondence/label_queue.h"
#include "statements/statement_batch.h"
#include "tests/statements/statement_books.h"

namespace tf::statements {
namespace {

using namespace std::chrono;
using test::PlannedInvoice;

class StatementBatchTest : public test::StatementFolderTest {
 protected:
  void SetUp() override {
    StatementFolderTest::SetUp();
    // Numbers in the opposite order to names, so name order shows.
    AddStatementCustomer("5", "Able", "able@x.test");
    AddStatementCustomer("4", "Baker", "baker@x.test", "100.00", {"100.00", "0.00", "0.00", "0.00"});
    AddStatementCustomer("3", "Cole", "c", "50.00", {"0.00", "50.00", "0.00", "0.00"});
    AddStatementCustomer("2", "Dunn", "dunn@x.test", "20.00", {"0.00", "0.00", "20.00", "0.00"});
    AddStatementCustomer("1", "Eve", "eve@x.test", "-10.00", {"0.00", "0.00", "0.00", "-10.00"});
    AddRecord({"A1", "4", kToday, "100.00"}, "100.00");
  }

  std::vector<std::string> Selected(AgeSelection age, std::optional<common::Money> min = std::nullopt) {
    StatementBooks books(book_, quiet_, status_);
    EXPECT_TRUE(books.Open());
    const Selection s = books.Select(age, min);
    EXPECT_EQ(s.message, "");
    return s.numbers;
  }

  struct Run {
    BatchOutcome outcome;
    std::vector<std::pair<std::size_t, std::size_t>> pauses;
    std::vector<std::string> panels;
  };

  Run RunBatch(StatementState& state, std::size_t size, StatementOutput& output, int answerNoAtPause = 0) {
    StatementBooks books(book_, quiet_, status_);
    EXPECT_TRUE(books.Open());
    Run run;
    BatchHooks hooks;
    hooks.panel = [&](const std::string& t) { run.panels.push_back(t); };
    run.outcome = state.RunBatch(books, {"4", "3", "2"}, size, output, kToday, [&](std::size_t s, std::size_t left) {
      run.pauses.emplace_back(s, left);
      return int(run.pauses.size()) != answerNoAtPause;
    }, hooks);
    EXPECT_FALSE(state.BatchRun());
    return run;
  }

  common::RecordingCanvas canvas_;
  correspondence::LabelQueue labels_;
};

TEST_F(StatementBatchTest, CustomersAreChosenByBalanceAndAgeInNameOrder) {
  const std::pair<AgeSelection, std::vector<std::string>> cases[] = {
      {AgeSelection::All, {"4", "3", "2", "1"}},
      {AgeSelection::Over30, {"3", "2", "1"}},
      {AgeSelection::Over60, {"2", "1"}},
      {AgeSelection::Over90, {"1"}},
  };
  for (const auto& [age, numbers] : cases) EXPECT_EQ(Selected(age), numbers) << int(age);
  EXPECT_EQ(Selected(AgeSelection::All, common::Money::FromWhole(20)), (std::vector<std::string>{"4", "3", "2"}));
}

TEST_F(StatementBatchTest, AnAgingAmountThatIsNoAmountStopsTheSelection) {
  AddCustomer("9", "Zed", "5.00", {"5.00", "x", "0.00", "0.00"});
  StatementBooks books(book_, quiet_, status_);
  ASSERT_TRUE(books.Open());
  const Selection s = books.Select(AgeSelection::All);
  EXPECT_TRUE(s.numbers.empty());
  EXPECT_NE(s.message.find("Customer 9"), std::string::npos) << s.message;
}

TEST(EffectiveBatchSize, ZeroIsOneAndMoreThanTheCountIsTheCount) {
  EXPECT_EQ(EffectiveBatchSize(0, 3), 1u);
  EXPECT_EQ(EffectiveBatchSize(2, 3), 2u);
  EXPECT_EQ(EffectiveBatchSize(9999, 3), 3u);
}

TEST_F(StatementBatchTest, BatchSizeZeroPausesAfterEveryStatementAndACompleteRunIsDated) {
  StatementState state(book_, quiet_, status_, &labels_);
  PrintOutput output(canvas_, book_.Current(), kToday);
  const Run run = RunBatch(state, 0, output);
  EXPECT_EQ(run.outcome.ended, BatchOutcome::Ended::Complete) << run.outcome.message;
  EXPECT_EQ(run.outcome.delivered, 3u);
  EXPECT_EQ(run.pauses, (std::vector<std::pair<std::size_t, std::size_t>>{{1, 2}, {1, 1}}));
  EXPECT_TRUE(canvas_.Finished());
  EXPECT_EQ(output.Pages(), 3);
  EXPECT_EQ(canvas_.PageCount(), 3u);
  EXPECT_TRUE(run.outcome.batchDateWritten);
  EXPECT_EQ(CompanyField(records::company::kStatementBatchDate), "05/15/2024");
  EXPECT_EQ(common::ReadText(book_.Current(), records::company::kStatementBatchDate), "05/15/2024");
  EXPECT_EQ(run.panels.back(), "Batch Print complete. 3 statements sent to spooler.");
}

TEST_F(StatementBatchTest, ABatchLargerThanTheCountNeverPauses) {
  StatementState state(book_, quiet_, status_, &labels_);
  PrintOutput output(canvas_, book_.Current(), kToday);
  const Run run = RunBatch(state, 50, output);
  EXPECT_EQ(run.outcome.delivered, 3u);
  EXPECT_TRUE(run.pauses.empty());
  EXPECT_EQ(run.panels.front(), "Spooling statement 1 of 3 (batches of 3) ...");
}

TEST_F(StatementBatchTest, NoAtAPauseCancelsWithoutDatingTheRun) {
  StatementState state(book_, quiet_, status_, &labels_);
  PrintOutput output(canvas_, book_.Current(), kToday);
  const Run run = RunBatch(state, 2, output, 1);
  EXPECT_EQ(run.outcome.ended, BatchOutcome::Ended::Cancelled);
  EXPECT_EQ(run.outcome.delivered, 2u);
  EXPECT_EQ(run.panels.back(), "Batch job canceled.");
  EXPECT_TRUE(canvas_.Finished());  // what was printed is sent
  EXPECT_FALSE(run.outcome.batchDateWritten);
  EXPECT_EQ(common::TrimBoth(CompanyField(records::company::kStatementBatchDate)), "");
}

TEST_F(StatementBatchTest, OnlyABatchRunFillsTheLabelQueueAndOnlyWhenTheCompanySaysSo) {
  for (bool flag : {true, false}) {
    labels_.Clear();
    common::WriteFlag(book_.Current(), records::company::kLabelQueueOnBatchPrint, flag);
    StatementState state(book_, quiet_, status_, &labels_);
    common::RecordingCanvas canvas;
    PrintOutput output(canvas, book_.Current(), kToday);
    RunBatch(state, 10, output);
    if (flag) {
      ASSERT_EQ(labels_.Size(), 3u);
      EXPECT_EQ(labels_.Entries()[1], (correspondence::LabelQueueEntry{"3", "Cole", "S3", "Retail"}));
    } else {
      EXPECT_EQ(labels_.Size(), 0u);
    }
    StatementBooks books(book_, quiet_, status_);
    ASSERT_TRUE(books.Open());
    const std::size_t before = labels_.Size();
    ASSERT_TRUE(state.Build(books, "4").statement);
    EXPECT_EQ(labels_.Size(), before) << "a single statement is no batch";
  }
}

// A sender that fails on its n-th message, counting what it was asked.
class FailingMailer : public StatementMailer {
 public:
  explicit FailingMailer(int failAt) : failAt_(failAt) {}
  std::optional<std::string> CheckMailReady() override { return std::nullopt; }
  void SendStatementMail(const MailMessage& m) override {
    if (++sent == failAt_) throw MailError("550 mailbox unavailable");
    subjects.push_back(m.subject + " -> " + m.to);
  }
  void CloseConnection() noexcept override { ++closes; }
  int sent = 0, closes = 0;
  std::vector<std::string> subjects;

 private:
  int failAt_;
};

TEST_F(StatementBatchTest, AMailErrorEndsTheRunWithTheFlagClearedAndTheConnectionClosed) {
  common::WriteFlag(book_.Current(), records::company::kLabelQueueOnBatchPrint, true);
  StatementState state(book_, quiet_, status_, &labels_);
  FailingMailer mailer(2);
  MailOutput output(mailer, book_.Current(), kToday);
  const Run run = RunBatch(state, 10, output);
  EXPECT_EQ(run.outcome.ended, BatchOutcome::Ended::Failed);
  EXPECT_EQ(run.outcome.message, "550 mailbox unavailable");
  EXPECT_EQ(run.outcome.delivered, 1u);
  EXPECT_EQ(mailer.closes, 1);
  EXPECT_FALSE(run.outcome.batchDateWritten);
  // A later single statement leaves the queue as the failed run left it.
  const std::size_t queued = labels_.Size();
  StatementBooks books(book_, quiet_, status_);
  ASSERT_TRUE(books.Open());
  ASSERT_TRUE(state.Build(books, "3").statement);
  EXPECT_EQ(labels_.Size(), queued);
}

TEST_F(StatementBatchTest, AMailRunSendsEachStatementAndClosesOnce) {
  StatementState state(book_, quiet_, status_, &labels_);
  FailingMailer mailer(0);
  MailOutput output(mailer, book_.Current(), kToday);
  const Run run = RunBatch(state, 10, output);
  EXPECT_EQ(run.outcome.ended, BatchOutcome::Ended::Complete);
  EXPECT_EQ(mailer.subjects, (std::vector<std::string>{"STATEMENT - Baker -> baker@x.test",
                                                       "BAD CUSTOMER E-MAIL: Cole -> office@acme.test",
                                                       "STATEMENT - Dunn -> dunn@x.test"}));
  EXPECT_EQ(mailer.closes, 1);
  EXPECT_EQ(run.panels.back(), "Batch complete. 3 statements sent by e-mail.");
}

TEST_F(StatementBatchTest, APrinterThatRefusesEndsTheRunUndated) {
  StatementState state(book_, quiet_, status_, &labels_);
  canvas_.FailBeginDoc();
  PrintOutput output(canvas_, book_.Current(), kToday);
  const Run run = RunBatch(state, 10, output);
  EXPECT_EQ(run.outcome.ended, BatchOutcome::Ended::Failed);
  EXPECT_EQ(run.outcome.message, "Printing failed.");
  EXPECT_EQ(run.outcome.delivered, 0u);
  EXPECT_FALSE(run.outcome.batchDateWritten);
}

}  // namespace
}  // namespace tf::statements
