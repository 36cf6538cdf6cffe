#include "app/cli/extensions.h"

#include <system_error>

#include "correspondence/starter_layouts.h"
#include "invoicing/payment_terms.h"
#include "records/file_blocks.h"
#include "records/record_kinds.h"
#include "shell/starter_background.h"
#include "shell/starter_company.h"

namespace tf::cli {

Extensions BuiltInExtensions() {
  Extensions e;
  e.recordKinds = records::BuiltInRecordKinds();
  e.sideFiles = records::SideFiles();

  // A new data folder: the terms list, and company 1 waiting to be set up. The start-up file
  // comes last: the program takes it as the sign that the data files are there.
  e.starterSteps.push_back({"payment terms VQTERMS.DAT", [] {
                              try {
                                invoicing::LoadTerms();  // writes the usual terms when the file is missing
                              } catch (const std::system_error& error) {
                                return std::string(error.what());
                              }
                              return std::string();
                            }});
  e.starterSteps.push_back({"company file block Company (company 1)", shell::CreateStarterCompanyFile});
  e.starterSteps.push_back({"start-up company LastCo.Dat", shell::CreateStarterStartupFile});
  e.starterSteps.push_back({"background picture qzt8.bmp", shell::CreateStarterBackground});
  e.starterSteps.push_back({"label layouts LETTER30.LBL and A4-24.LBL", correspondence::CreateStarterLabelLayouts});
  return e;
}

}  // namespace tf::cli
