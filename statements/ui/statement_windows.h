#pragma once
// The statement windows of the Customer Manager: StatementWindows gives a TDemoForm its
// "View/Print Statement" and "Batch Print Statements" commands (buttons and menu items) and runs
// them through TStment, TSelStmnt and TBatchStWin over one CustomerStatements model.
// InstallStatementWindows does that for the main window's Customer Manager.

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <string>
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
  // The mail sender; without one (and until UseMailer gives one) e-mail says it is not
  // available.
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

  // The run's mail sender, given by the e-mail windows once they exist; kept by these windows.
  void UseMailer(std::unique_ptr<StatementMailer> mailer);

  CustomerStatements& Model() { return *model_; }
  TStment& Statement() { return *stment_; }
  TSelStmnt& Selection() { return *selection_; }
  TBatchStWin& BatchWindow() { return *batchWin_; }

 private:
  // The statements send through this one: the mailer given, else the services' one, else
  // the one that says e-mail is not available.
  class ChosenMailer : public StatementMailer {
   public:
    std::optional<std::string> CheckMailReady() override { return Target().CheckMailReady(); }
    void SendStatementMail(const MailMessage& message) override { Target().SendStatementMail(message); }
    void CloseConnection() noexcept override { Target().CloseConnection(); }

    StatementMailer* fallback = nullptr;
    std::unique_ptr<StatementMailer> given;

   private:
    StatementMailer& Target() { return given ? *given : fallback ? *fallback : none_; }
    NoMailer none_;
  };

  customers::ui::TDemoForm& manager_;
  StatementWindowServices services_;
  ChosenMailer mailer_;
  std::unique_ptr<CustomerStatements> model_;
  TStment* stment_;
  TSelStmnt* selection_;
  TBatchStWin* batchWin_;
};

// The statement commands of the main window's Customer Manager (installed before).
void InstallStatementWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services);

}  // namespace tf::statements::ui
