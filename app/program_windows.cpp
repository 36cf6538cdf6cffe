#include "app/program_windows.h"

#include "aging/ui/aging_windows.h"
#include "billing/ui/billing_windows.h"
#include "companies/ui/company_windows.h"
#include "correspondence/ui/label_windows.h"
#include "customers/ui/customer_windows.h"
#include "invoicing/ui/invoicing_windows.h"
#include "letters/ui/letter_windows.h"
#include "mail/ui/document_mail_windows.h"
#include "mail/ui/mail_windows.h"
#include "maintenance/ui/maintenance_windows.h"
#include "payments/ui/payment_windows.h"
#include "products/ui/product_windows.h"
#include "reports/ui/report_windows.h"
#include "shell/ui/main_form.h"
#include "statements/ui/statement_windows.h"

namespace tf::app {

ProgramWindows InstallProgramWindows(shell::ui::TMainForm& form, const shell::ui::WindowServices& services) {
  products::ui::TEditProd& products = products::ui::InstallProductWindows(form, services);
  customers::ui::TDemoForm& customers = customers::ui::InstallCustomerWindows(form, services);
  invoicing::ui::InstallInvoicingWindows(form, services);
  reports::ui::InstallReportWindows(form, services);
  payments::ui::InstallPaymentWindows(form, services);
  aging::ui::InstallAgingWindows(form, services);
  const maintenance::ui::MaintenanceWindows maintenance = maintenance::ui::InstallMaintenanceWindows(form, services);
  companies::ui::TListComps& companies =
      companies::ui::InstallCompanyWindows(form, services, maintenance.checkPassword);
  mail::MailSender& mailer = mail::ui::InstallMailWindows(form, services);
  statements::ui::InstallStatementWindows(form, services);
  correspondence::ui::InstallLabelWindows(form, services);
  letters::ui::InstallLetterWindows(form, services);
  billing::ui::InstallBillingWindows(form, services);
  // Invoices and statements go out by e-mail through the one sender.
  mail::ui::ConnectDocumentMail(form, mailer);
  return {companies, customers, products};
}

}  // namespace tf::app
