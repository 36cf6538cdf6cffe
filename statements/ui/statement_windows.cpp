#include "statements/ui/statement_windows.h"

#include <QApplication>

#include "common/record_fields.h"
#include "common/ui/qt_print_canvas.h"
#include "records/customer_record.h"
#include "statements/statement_batch.h"
#include "statements/ui/batch_st_win.h"
#include "statements/ui/sel_stmnt.h"
#include "statements/ui/stment.h"

namespace tf::statements::ui {

using browse::Outcome;

namespace {

// The hourglass while a walk or a batch runs, restored on every way out.
struct WaitCursor {
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

StatementWindows::StatementWindows(customers::ui::TDemoForm& manager, StatementWindowServices services)
    : QObject(&manager), manager_(manager), services_(std::move(services)) {
  setObjectName("StatementWindows");
  mailer_.fallback = services_.mailer;
  model_ = std::make_unique<CustomerStatements>(CustomerStatementsServices{
      services_.company, services_.prompter, services_.status, services_.clock, services_.labels, mailer_,
      services_.emailMode});
  stment_ = new TStment(*model_, services_.prompter, &manager);
  selection_ = new TSelStmnt(&manager);
  batchWin_ = new TBatchStWin(&manager);
  Printer = [this] { return std::unique_ptr<common::PrintCanvas>(common::ui::ChoosePrinterCanvas(&manager_)); };
  manager.SetStatementCommands([this] { return ViewStatement(); }, [this] { return BatchPrint(); });
}

StatementWindows::~StatementWindows() = default;

void StatementWindows::UseMailer(std::unique_ptr<StatementMailer> mailer) { mailer_.given = std::move(mailer); }

Outcome StatementWindows::ViewStatement() {
  namespace cu = records::customer;
  const std::optional<common::RecordBuffer> customer = manager_.Model().CurrentCustomer();
  if (!customer) return Outcome::Nothing();
  Outcome shown = model_->View(manager_.Model().File(), common::ReadText(*customer, cu::kCustomerNumber),
                               common::ReadText(*customer, cu::kCustomerName));
  if (!shown.IsDone()) return shown;
  stment_->exec();
  model_->EndView();
  return Outcome::Done();
}

Outcome StatementWindows::BatchPrint() {
  if (!selection_->Choose(model_->batchChoice, model_->ModeText())) return Outcome::Nothing();
  {
    WaitCursor wait;
    if (Outcome chosen = model_->SelectBatch(manager_.Model().File()); !chosen.IsDone()) return chosen;
  }
  const std::optional<std::size_t> size = batchWin_->Run(*model_);
  if (!size) return Outcome::Nothing();
  if (Outcome ready = model_->CheckReady(); !ready.IsDone()) return ready;

  const auto today = services_.clock.Today();
  std::unique_ptr<common::PrintCanvas> canvas;
  std::unique_ptr<StatementOutput> output;
  if (model_->EMailMode()) {
    output = std::make_unique<MailOutput>(mailer_, services_.company.Current(), today);
  } else {
    // One job holds the batch: the printer is chosen once, before the first statement.
    canvas = Printer();
    if (!canvas) return Outcome::Nothing();
    output = std::make_unique<PrintOutput>(*canvas, services_.company.Current(), today);
  }
  WaitCursor wait;
  return model_->RunBatch(
      manager_.Model().File(), *size, *output, [this](const std::string& text) { manager_.ShowHint(text); },
      [] { QCoreApplication::processEvents(); });
}

void InstallStatementWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services) {
  auto* manager = main.findChild<customers::ui::TDemoForm*>();
  if (!manager) return;
  new StatementWindows(*manager, {main.Book(), services.prompter, services.status, services.clock, &main.LabelQueue(),
                                  [&main] { return main.Output() == shell::OutputMode::EMail; }});
}

}  // namespace tf::statements::ui
