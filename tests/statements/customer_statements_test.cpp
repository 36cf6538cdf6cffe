// The statement windows' model: a customer without records opens nothing and says so, viewing
// clears the unpaid-only choice, a single e-mailed statement closes the connection however the
// sending ends and says "sent" only when it was, a printer that refuses is reported, and the
// batch size as typed.

#include <gtest/gtest.h>

#include "common/clock.h"
#include "common/recording_canvas.h"
#include "statements/customer_statements.h"
#include "tests/statements/statement_books.h"

namespace tf::statements {
namespace {

using namespace std::chrono;

class CountingMailer : public StatementMailer {
 public:
  std::optional<std::string> CheckMailReady() override { return notReady; }
  void SendStatementMail(const MailMessage& m) override {
    if (fail) throw MailError("550 mailbox unavailable");
    sent.push_back(m.subject + " -> " + m.to);
  }
  void CloseConnection() noexcept override { ++closes; }
  std::optional<std::string> notReady;
  bool fail = false;
  int closes = 0;
  std::vector<std::string> sent;
};

class CustomerStatementsTest : public test::StatementFolderTest {
 protected:
  void SetUp() override {
    StatementFolderTest::SetUp();
    AddStatementCustomer("C1", "Brown & Co", "ap@brown.test", "100.00", {"100.00", "0.00", "0.00", "0.00"});
    AddRecord({"A100", "C1", kToday, "100.00"}, "100.00");
    AddStatementCustomer("C2", "Green Ltd", "");
    AddStatementCustomer("C3", "Avery", "av@x.test", "10.00", {"10.00", "0.00", "0.00", "0.00"});
    AddRecord({"A101", "C3", kToday, "10.00"}, "10.00");
    engine::OpenFileBlock(customers_.handle(), records::customer::CustomerFileName("1"), true);
    ASSERT_TRUE(engine::EngineOK);
  }

  CustomerStatements Model(bool email) {
    return CustomerStatements({book_, prompter_, status_, clock_, nullptr, mailer_, [email] { return email; }});
  }

  common::ScriptedPrompter prompter_;
  common::FixedClock clock_{kToday};
  CountingMailer mailer_;
  engine::FileBlockGuard customers_;
};

TEST_F(CustomerStatementsTest, ACustomerWithoutRecordsSaysSoAndViewingClearsUnpaidOnly) {
  CustomerStatements model = Model(false);
  model.State().unpaidOnly = true;
  const browse::Outcome none = model.View(customers_.get(), "C2", "Green Ltd");
  ASSERT_TRUE(none.IsFailed());
  EXPECT_EQ(none.Message().text, "There is no activity for this customer.");
  EXPECT_EQ(none.Message().caption, "Customer: Green Ltd");
  EXPECT_FALSE(model.Viewing());
  ASSERT_TRUE(model.View(customers_.get(), "C1", "Brown & Co").IsDone());
  EXPECT_FALSE(model.UnpaidOnly());
  EXPECT_EQ(model.Status(), "There are 1 records selected.");
  EXPECT_EQ(model.Caption(), "Customer Statement");
  EXPECT_EQ(model.DeliverCaption(), "&Print");
  // The manager's customer file is borrowed, never closed.
  model.EndView();
  common::RecordBuffer r = records::customer::NewCustomerRecord();
  EXPECT_TRUE(records::customer::FindCustomerByNumber(customers_.get(), "C1", r));
}

TEST_F(CustomerStatementsTest, AnEMailedStatementClosesTheConnectionAndIsSaidSentOnlyWhenSent) {
  CustomerStatements model = Model(true);
  EXPECT_EQ(model.Caption(), "Customer Statement - (E-Mail Mode)");
  EXPECT_EQ(model.DeliverCaption(), "&E-Mail");
  ASSERT_TRUE(model.View(customers_.get(), "C1", "Brown & Co").IsDone());

  mailer_.notReady = "No mail host is set.";
  browse::Outcome sent = model.EMail();
  EXPECT_EQ(sent.Message().text, "No mail host is set.");
  EXPECT_TRUE(mailer_.sent.empty());

  mailer_.notReady.reset();
  mailer_.fail = true;
  sent = model.EMail();
  ASSERT_TRUE(sent.IsFailed());
  EXPECT_EQ(sent.Message().text, "550 mailbox unavailable");
  EXPECT_EQ(mailer_.closes, 1);
  EXPECT_EQ(model.Status(), "There are 1 records selected.");

  mailer_.fail = false;
  ASSERT_TRUE(model.EMail().IsDone());
  EXPECT_EQ(mailer_.sent, (std::vector<std::string>{"STATEMENT - Brown & Co -> ap@brown.test"}));
  EXPECT_EQ(mailer_.closes, 2);
  EXPECT_EQ(model.Status(), "Statement for Brown & Co sent by e-mail.");
  EXPECT_EQ(prompter_.Texts().back(), "Statement sent by e-mail.");
}

TEST_F(CustomerStatementsTest, APrinterThatRefusesIsReportedAndNothingSaidSent) {
  CustomerStatements model = Model(false);
  ASSERT_TRUE(model.View(customers_.get(), "C1", "Brown & Co").IsDone());
  common::RecordingCanvas canvas;
  canvas.FailBeginDoc();
  const browse::Outcome printed = model.Print(canvas);
  ASSERT_TRUE(printed.IsFailed());
  EXPECT_EQ(printed.Message().text, "Printing failed.");
  EXPECT_EQ(model.Status(), "There are 1 records selected.");
}

// A batch by e-mail: the customers with a balance, each sent once; a server that refuses the
// second stops the run with its message, says how far it got, and leaves the run undated.
TEST_F(CustomerStatementsTest, AnEMailedBatchSaysWhereItStoppedAndIsDatedOnlyWhenComplete) {
  CustomerStatements model = Model(true);
  ASSERT_TRUE(model.SelectBatch(customers_.get()).IsDone());
  EXPECT_EQ(model.CountText(), "There are 2 statements to be e-mailed.");
  EXPECT_EQ(model.LastRunText(), "Last Batch Run: never");
  std::vector<std::string> panels;
  const auto panel = [&](const std::string& t) { panels.push_back(t); };

  mailer_.fail = true;
  MailOutput failing(mailer_, book_.Current(), kToday);
  const browse::Outcome stopped = model.RunBatch(customers_.get(), 5, failing, panel);
  ASSERT_TRUE(stopped.IsFailed());
  EXPECT_EQ(stopped.Message().text, "550 mailbox unavailable");
  EXPECT_EQ(panels.back(), "Batch stopped after 0 of 2 statements.");
  EXPECT_EQ(mailer_.closes, 1);
  EXPECT_FALSE(model.State().BatchRun());
  EXPECT_EQ(model.LastRunText(), "Last Batch Run: never");

  mailer_.fail = false;
  MailOutput output(mailer_, book_.Current(), kToday);
  ASSERT_TRUE(model.RunBatch(customers_.get(), 5, output, panel).IsDone());
  EXPECT_EQ(mailer_.sent, (std::vector<std::string>{"STATEMENT - Avery -> av@x.test",
                                                    "STATEMENT - Brown & Co -> ap@brown.test"}));
  EXPECT_EQ(mailer_.closes, 2);
  EXPECT_EQ(panels.back(), "Batch complete. 2 statements sent by e-mail.");
  EXPECT_EQ(prompter_.Texts().back(), "E-mail operation complete.");
  EXPECT_EQ(model.LastRunText(), "Last Batch Run: 05/15/2024");
}

TEST_F(CustomerStatementsTest, TheBatchSizeAsTyped) {
  CustomerStatements model = Model(false);
  const std::vector<std::pair<std::string, std::optional<std::size_t>>> cases = {
      {"", std::nullopt}, {"  ", std::nullopt}, {"0", 0}, {" 12 ", 12}, {"9999", 9999}, {"12a", std::nullopt},
      {"-1", std::nullopt}, {"10000", std::nullopt}};
  for (const auto& [typed, size] : cases) {
    prompter_.Clear();
    EXPECT_EQ(model.AcceptBatchSize(typed), size) << typed;
    EXPECT_EQ(prompter_.Texts().size(), size ? 0u : 1u) << typed;
  }
  EXPECT_EQ(prompter_.Texts().back(), "You must enter the number of statements to print in this batch.");
}

}  // namespace
}  // namespace tf::statements
