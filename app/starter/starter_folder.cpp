#include "app/starter/starter_folder.h"

#include <system_error>

#include "correspondence/starter_layouts.h"
#include "invoicing/payment_terms.h"
#include "shell/starter_background.h"
#include "shell/starter_company.h"

namespace tf::app {

std::vector<StarterStep> StarterSteps() {
  std::vector<StarterStep> steps;
  // The start-up file comes after the company: the program takes it as the sign that the data
  // files are there.
  steps.push_back({"payment terms VQTERMS.DAT", [] {
                     try {
                       invoicing::LoadTerms();  // writes the usual terms when the file is missing
                     } catch (const std::system_error& error) {
                       return std::string(error.what());
                     }
                     return std::string();
                   }});
  steps.push_back({"company file block Company (company 1)", shell::CreateStarterCompanyFile});
  steps.push_back({"start-up company LastCo.Dat", shell::CreateStarterStartupFile});
  steps.push_back({"background picture qzt8.bmp", shell::CreateStarterBackground});
  steps.push_back({"label layouts LETTER30.LBL and A4-24.LBL", correspondence::CreateStarterLabelLayouts});
  return steps;
}

std::string CreateStarterFolder(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return "cannot create " + folder.string() + ": " + ec.message();
  fs::current_path(folder, ec);
  if (ec) return "cannot enter " + folder.string() + ": " + ec.message();
  for (const StarterStep& step : StarterSteps()) {
    std::string error = step.run();
    if (!error.empty()) return step.description + ": " + error;
  }
  return {};
}

}  // namespace tf::app
