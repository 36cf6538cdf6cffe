#include "companies/ui/company_windows.h"

#include "common/record_fields.h"
#include "companies/company_files.h"
#include "companies/ui/comp_set.h"
#include "invoicing/payment_terms.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "shell/ui/company_switch.h"

namespace tf::companies::ui {

namespace company = records::company;

bool SwitchCompanyAfterManager(shell::ui::TMainForm& main, CompanyManager::Choice choice,
                               const common::RecordBuffer& picked, const shell::ui::WindowServices& services) {
  records::CompanyBook& book = main.Book();
  switch (choice) {
    case CompanyManager::Choice::Nothing:
      return false;
    case CompanyManager::Choice::Picked:
      // The company the user chose, whatever was edited before the choice.
      std::copy(picked.begin(), picked.end(), book.Work().begin());
      break;
    case CompanyManager::Choice::CurrentChanged: {
      // The current company was edited: its saved record is read again.
      engine::FileBlockGuard block;
      if (!records::OpenCompanyFile(block.handle(), services.prompter, services.status)) {
        services.prompter.Inform(records::kUnableToOpenCompanyDatabase, "Company Manager");
        return false;
      }
      const std::int32_t ref =
          FindCompanyNumber(block.get(), common::ReadText(book.Current(), company::kCompanyNumber));
      if (ref == 0) return false;
      engine::GetRecord(block.get(), ref, book.Work());
      if (!engine::EngineOK) return false;
      break;
    }
  }
  return shell::ui::SwitchToWorkCompany(main, services.prompter, services.clock);
}

TListComps& InstallCompanyWindows(shell::ui::TMainForm& main, const shell::ui::WindowServices& services,
                                  std::function<bool()> checkPassword) {
  auto* manager = new TListComps({main.Book(), services.prompter, services.status, services.reports, services.clock},
                                 std::move(checkPassword), &main);
  manager->Options().LoadTerms = [] { return invoicing::LoadTerms(); };
  main.SetCommandHandler(shell::CommandId::CompanyManager, [&main, manager, services] {
    manager->exec();
    SwitchCompanyAfterManager(main, manager->Model().Closed(), manager->Model().Selected(), services);
  });
  return *manager;
}

}  // namespace tf::companies::ui
