#pragma once
// Every help topic a window opens, in one place. A window passes one of these names to the help
// window, which shows the manual (docs/help/index.html) at the name's anchor: the name in lower
// case, every run of other characters one "-" ("Frequent Asked Questions" is
// "frequent-asked-questions"). The help window's test walks kAllHelpTopics and fails on a name
// the manual has no anchor for, so a window must take its topic from here, never spell one.

#include <array>
#include <string_view>

namespace tf::common::help {

// The main window and its Help menu.
inline constexpr std::string_view kContents = "Contents";
inline constexpr std::string_view kHowToUseHelp = "How to use Help";
inline constexpr std::string_view kFrequentQuestions = "Frequent Asked Questions";
inline constexpr std::string_view kAgingChart = "AgingChart";
inline constexpr std::string_view kEMailMode = "EMMode";
inline constexpr std::string_view kCalendar = "QZCalendar";
inline constexpr std::string_view kFindData = "FindData";

// Companies and the company options, one topic per page of the options.
inline constexpr std::string_view kCompanyManager = "CompanyManager";
inline constexpr std::string_view kCompanyOptions = "Company";
inline constexpr std::string_view kGeneralOptions = "GeneralOpts";
inline constexpr std::string_view kCompanyAddress = "CompanyAddress";
inline constexpr std::string_view kInvoiceOptions = "invoptions";
inline constexpr std::string_view kSalesMessage = "SalesMsg";
inline constexpr std::string_view kEnvelopesAging = "prnenv";
inline constexpr std::string_view kFormsSetup = "formlayout";
inline constexpr std::string_view kSystemGraphics = "SysGraphics";
inline constexpr std::string_view kHeadersFontsColors = "HFC";
inline constexpr std::string_view kPasswordSetup = "PwordSet";
inline constexpr std::string_view kBackupData = "backupdata";

// Customers, products and invoices.
inline constexpr std::string_view kCustomerManager = "CustomerManager";
inline constexpr std::string_view kNewCustomer = "NewCustomer";
inline constexpr std::string_view kProductManager = "ProductManager";
inline constexpr std::string_view kNewProduct = "NewProduct";
inline constexpr std::string_view kInvoiceManager = "InvoiceManager";
inline constexpr std::string_view kNewInvoice = "NewInvoice";
inline constexpr std::string_view kEditTerms = "EditTerms";

// Receivables and the wizards.
inline constexpr std::string_view kPaymentWizard = "PaymentWizard";
inline constexpr std::string_view kViewStatement = "ViewStatement";
inline constexpr std::string_view kGetStatement = "GetStatement";
inline constexpr std::string_view kReportWizard = "ReportWizard";
inline constexpr std::string_view kInterestWizard = "InterestWizard";
inline constexpr std::string_view kSetRepeat = "SetRepeat";
inline constexpr std::string_view kGetRepeat = "GetRepeat";
inline constexpr std::string_view kLabelWizard = "LabelWizard";
inline constexpr std::string_view kFormLetterWizard = "FormWizard";
inline constexpr std::string_view kEMailMessage = "EMNote";

inline constexpr std::array kAllHelpTopics = {
    kContents,        kHowToUseHelp,   kFrequentQuestions, kAgingChart,      kEMailMode,
    kCalendar,        kFindData,       kCompanyManager,    kCompanyOptions,  kGeneralOptions,
    kCompanyAddress,  kInvoiceOptions, kSalesMessage,      kEnvelopesAging,  kFormsSetup,
    kSystemGraphics,  kHeadersFontsColors, kPasswordSetup, kBackupData,      kCustomerManager,
    kNewCustomer,     kProductManager, kNewProduct,        kInvoiceManager,  kNewInvoice,
    kEditTerms,       kPaymentWizard,  kViewStatement,     kGetStatement,    kReportWizard,
    kInterestWizard,  kSetRepeat,      kGetRepeat,         kLabelWizard,     kFormLetterWizard,
    kEMailMessage};

}  // namespace tf::common::help
