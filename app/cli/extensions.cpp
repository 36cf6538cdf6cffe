#include "app/cli/extensions.h"

#include <system_error>

#include "records/customer_fields.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "invoicing/payment_terms.h"
#include "records/product_fields.h"
#include "records/product_file.h"
#include "records/company_fields.h"
#include "records/company_record.h"
#include "shell/starter_background.h"
#include "shell/starter_company.h"

namespace tf::cli {

Extensions BuiltInExtensions() {
  Extensions e;
  // Plain side files that share the data files' extension: the payment terms list and the
  // remembered label layout path.
  e.sideFiles = {"VQTERMS.DAT", "Lastlbl.DAT", "LastCo.Dat"};
  // The company list.
  e.recordKinds.Add({"companies", std::string(records::company::kCompanyFileBlock), records::company::CompanyKeys,
                     records::company::DescribeCompany, &records::company::CompanyFileKind()});
  // Every company's customers: the company number followed by "C".
  e.recordKinds.Add({"customers", "[0-9]*C", records::customer::CustomerKeys, records::customer::DescribeCustomer,
                     &records::customer::CustomerFileKind()});
  // Their products: the company number followed by "P".
  e.recordKinds.Add({"products", "[0-9]*P", records::product::ProductKeys, records::product::DescribeProduct,
                     &records::product::ProductFileKind()});

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
  return e;
}

}  // namespace tf::cli
