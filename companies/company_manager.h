#pragma once
// The Company Manager without its window: the manager shape of browse/manager_model.h over the
// company file block "Company", listed by name (2) or number (1): the list's header and rows,
// new, edit and delete through the options screen, find, the company list report, and choosing
// the company to work with ("Set As Default").
//
// What the window closes with decides the switch of the main window:
// - Picked: "Set As Default" chose a company; that record becomes the current company. An
//   explicit choice wins over everything else, the edit of the current company before it
//   included.
// - CurrentChanged: no choice, but the current company was edited: it is read again from the
//   file so that the program shows the saved options.
// - Nothing: nothing to do.
//
// Editing and deleting a company ask for the password first (when one is set). Deleting removes
// the company's record and then every file of its number, and names any file it could not
// remove; the current company cannot be deleted.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "browse/browse_source.h"
#include "browse/manager_list.h"
#include "browse/manager_model.h"
#include "common/help_topics.h"
#include "companies/company_options.h"
#include "finder/find_mode.h"

namespace tf::companies {

inline constexpr std::string_view kManagerCaption = "Company Manager";
inline constexpr std::string_view kManagerHelpTopic = common::help::kCompanyManager;
inline constexpr std::string_view kCurrentCompanyNotDeleted =
    "You are trying to delete the current default company. You need to have another company open to delete this "
    "one.";
inline constexpr std::string_view kDeleteCompanyQuestion =
    "If you delete this company, all invoices and payments will also be removed. ALL company data will be "
    "deleted! Data for other companies will NOT be removed. Continue?";

struct CompanyManagerServices : browse::ManagerServices {
  // Shows the options screen modally; true when it closed through a successful Save.
  std::function<bool(CompanyOptions& options)> runOptions;
  // Shows the find window in company mode; the number of the row chosen, if any.
  std::function<std::optional<std::string>(const finder::FindMode& mode)> runFind;
  // The password check; true when it passed (or no password is set).
  std::function<bool()> checkPassword;
};

class CompanyManager : public browse::ManagerModel {
 public:
  enum class Choice { Nothing, Picked, CurrentChanged };

  CompanyManager(CompanyManagerServices services, browse::ManagerList& list);
  ~CompanyManager() override;

  std::string Title() const override { return std::string(kManagerCaption); }
  std::string ListHeader() const override;
  std::string_view HelpTopic() const override { return kManagerHelpTopic; }
  // The row of a company (CompBrowserBuildRow), or of an entry whose record could not be read.
  static int BuildRow(browse::RowRec& rr, std::span<const std::uint8_t> record);

  // --- the Company Manager's own commands ----------------------------------------------------
  // "Set As Default", double-click or Enter: the current row's company, when it reads unchanged,
  // is chosen and the window closes (Done).
  browse::Outcome SetAsDefault();
  browse::Outcome CompanyList();

  // What closing the window comes to (valid after Close()).
  Choice Closed() const;

  CompanyOptions& Options() { return options_; }

 protected:
  browse::Outcome OpenFile() override;
  browse::Outcome AddRecord() override;
  browse::Outcome EditRecord() override;
  browse::Outcome DeleteRecord() override;
  browse::Outcome FindRecord() override;

 private:
  std::string CurrentNumber() const;

  CompanyManagerServices services_;
  CompanyOptions options_;
  bool currentChanged_ = false;
  // What the options and headers screens showed last in this run, for a new company's defaults.
  std::optional<records::company::LastShownOptions> shown_;
};

}  // namespace tf::companies
