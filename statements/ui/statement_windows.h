#pragma once
// The statement windows of the Customer Manager: StatementWindows gives a TDemoForm its
// "View/Print Statement" and "Batch Print Statements" commands (buttons and menu items) and runs
// them through TStment, TSelStmnt and TBatchStWin over one CustomerStatements model.
// InstallStatementWindows does that for the main window's Customer Manager.

#include <QObject>

#include <functional>
#include <memory>
#include <string_view>

#include "common/print_canvas.h"
#include "customers/ui/demo_form.h"
#include "shell/ui/main_form.h"
#include "statements/customer_statements.h"
#include "statements/statement_mail.h"

namespace tf::statements::ui {

class TStment;
class TSelStmnt;
class TBatchStWin;

struct StatementWindowServices {
  records::CompanyBook& company;
  common::Prompter& prompter;
  engine::RebuildStatus& status;  // the progress window of a batch
  const common::Clock& clock;
  correspondence::LabelQueue* labels;
  std::function<bool()> emailMode = [] { return false; };
  // The mail sender; none yet in the program (e-mail then says it is not available).
  StatementMailer* mailer = nullptr;
};

class StatementWindows : public QObject {
  Q_OBJECT

 public:
  // Made a child of `manager`, whose statement commands it enables.
  StatementWindows(customers::ui::TDemoForm& manager, StatementWindowServices services);
  ~StatementWindows() override;

  // The Customer Manager's commands.
  browse::Outcome ViewStatement();
  browse::Outcome BatchPrint();

  // The printer a batch prints to (the print dialog); nothing when cancelled.
  std::function<std::unique_ptr<common::PrintCanvas>()> Printer;

  CustomerStatements& Model() { return *model_; }
  TStment& Statement() { return *stment_; }
  TSelStmnt& Selection() { return *selection_; }
  TBatchStWin& BatchWindow() { return *batchWin_; }

 private:
  customers::ui::TDemoForm& manager_;
  StatementWindowServices services_;
  NoMailer noMailer_;
  std::unique_ptr<CustomerStatements> model_;
  TStment* stment_;
  TSelStmnt* selection_;
  TBatchStWin* batchWin_;
};

// The statement commands of the main window's Customer Manager (installed before).
void InstallStatementWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services);

}  // namespace tf::statements::ui
