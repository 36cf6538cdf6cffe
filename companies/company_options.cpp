#include "companies/company_options.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <variant>

#include "common/help_topics.h"
#include "common/program_title.h"
#include "common/record_fields.h"
#include "common/stored_text.h"
#include "common/text.h"
#include "companies/company_files.h"
#include "records/company_fields.h"
#include "shell/company_settings.h"

namespace tf::companies {
namespace {

namespace company = records::company;
using Kind = OptionControl::Kind;
using P = OptionsPage;
using browse::Outcome;

const company::NamedField& Field(std::string_view name) {
  for (const company::NamedField& f : company::CompanyFields())
    if (name == f.name) return f;
  throw std::logic_error("no company field " + std::string(name));
}

std::string_view LabelWithoutColon(std::string_view label) {
  while (!label.empty() && (label.back() == ':' || label.back() == ' ')) label.remove_suffix(1);
  return label;
}

const std::string kEmpty;

}  // namespace

std::string_view PageCaption(OptionsPage page) {
  switch (page) {
    case P::AddressTaxes: return "Address/Taxes";
    case P::EMail: return "E-Mail";
    case P::EnvelopesAging: return "Envelopes/Aging";
    case P::FormsSetup: return "Forms Setup";
    case P::General: return "General";
    case P::Invoices: return "Invoices";
    case P::SalesMessage: return "Sales Message";
    case P::SystemGraphics: return "System Graphics";
    case P::Top:
    case P::Headers: break;
  }
  return "";
}

std::string_view PageHelpTopic(OptionsPage page) {
  switch (page) {
    case P::EMail: return common::help::kEMailMode;
    case P::SalesMessage: return common::help::kSalesMessage;
    case P::Invoices: return common::help::kInvoiceOptions;
    case P::AddressTaxes: return common::help::kCompanyAddress;
    case P::EnvelopesAging: return common::help::kEnvelopesAging;
    case P::FormsSetup: return common::help::kFormsSetup;
    case P::General: return common::help::kGeneralOptions;
    case P::SystemGraphics: return common::help::kSystemGraphics;
    default: return common::help::kCompanyOptions;
  }
}

const std::vector<OptionControl>& OptionControls() {
  static const std::vector<OptionControl> controls = {
      {"CName", P::Top, "CompanyName", Kind::Text, 35, "Company Name:"},
      {"CoNumb", P::Top, "CompanyNumber", Kind::Text, 5, "Number:"},
      // Address/Taxes
      {"CAdd1", P::AddressTaxes, "Address1", Kind::Text, 35, "Address line 1:"},
      {"CAdd2", P::AddressTaxes, "Address2", Kind::Text, 35, "Address line 2:"},
      {"CAdd3", P::AddressTaxes, "Address3", Kind::Text, 35, "Address line 3:"},
      {"CAdd4", P::AddressTaxes, "Address4", Kind::Text, 35, "Address line 4:"},
      {"ExtraAdd1", P::AddressTaxes, "Address5", Kind::Text, 35, "Address line 5:"},
      {"CalcTaxes", P::AddressTaxes, "CalculateTaxes", Kind::Check, 0, "Calculate Taxes"},
      {"TaxCRate", P::AddressTaxes, "TaxRate", Kind::Text, 6, "Tax Rate:"},
      {"TaxName", P::AddressTaxes, "TaxHeading", Kind::Text, 10, "Tax Heading:"},
      // E-Mail
      {"CEmailAdd", P::EMail, "EMailAddress", Kind::Text, 50, "E-Mail Address (reply e-mail address):"},
      {"CEMailHost", P::EMail, "SMTPHost", Kind::Text, 50, "Outgoing Mail Server (SMTP):"},
      {"DefToEMail", P::EMail, "DefaultOutputEMail", Kind::Check, 0, "Default Output to E-Mail"},
      {"CBEMailLines", P::EMail, "LinesOnEMailInvoices", Kind::Check, 0, "Lines On E-Mail Invoices"},
      {"EMInclCust", P::EMail, "EMailIncludeNoAddress", Kind::Check, 0, "Include customers without e-mail address"},
      // Envelopes/Aging
      {"LandSCB", P::EnvelopesAging, "EnvOrientation", Kind::Choice, 0, "Print Envelope in Landscape Mode", 'L', 'P'},
      {"ELineSpace", P::EnvelopesAging, "EnvLineSpacing", Kind::Digits, 3, "Line Spacing:"},
      {"LMarSet", P::EnvelopesAging, "EnvLeftMargin", Kind::Digits, 4, "Left Margin:"},
      {"TopMarSet", P::EnvelopesAging, "EnvTopMargin", Kind::Digits, 4, "Top Margin:"},
      {"SendAddLeft", P::EnvelopesAging, "EnvSendAddressLeft", Kind::Digits, 4, "Send Address Left: "},
      {"UseShipAdd", P::EnvelopesAging, "EnvAddressSource", Kind::Choice, 0, "Use Ship-To Address", 'S', 'B'},
      {"PCoAddr", P::EnvelopesAging, "PrintReturnAddress", Kind::Check, 0, "Print Company Return Address"},
      {"CACap1", P::EnvelopesAging, "AgingCaption1", Kind::Text, 10, "Captions:"},
      {"CACap2", P::EnvelopesAging, "AgingCaption2", Kind::Text, 10, "Captions:"},
      {"CACap3", P::EnvelopesAging, "AgingCaption3", Kind::Text, 10, "Captions:"},
      {"CAVal1", P::EnvelopesAging, "AgingDays1", Kind::Digits, 3, "Aging Days:"},
      {"CAVal2", P::EnvelopesAging, "AgingDays2", Kind::Digits, 3, "Aging Days:"},
      {"CAVal3", P::EnvelopesAging, "AgingDays3", Kind::Digits, 3, "Aging Days:"},
      // Forms Setup
      {"HorLCB", P::FormsSetup, "VerticalLines", Kind::Check, 0, "Vertical Lines"},
      {"VLineCB", P::FormsSetup, "HorizontalLines", Kind::Check, 0, "Horizontal Lines"},
      {"ShadeCB", P::FormsSetup, "Shading", Kind::Check, 0, "Shading (laser)"},
      {"CheckBox5", P::FormsSetup, "LetterheadStyle", Kind::Check, 0, "Letterhead Style"},
      {"IBoxCB", P::FormsSetup, "BoxInvoices", Kind::Check, 0, "Box around invoices"},
      {"SBoxCB", P::FormsSetup, "BoxStatements", Kind::Check, 0, "Box around statements"},
      {"PConICB", P::FormsSetup, "ProductCodesOnInvoices", Kind::Check, 0, "Product Codes on invoices"},
      {"MoveDwnCB", P::FormsSetup, "MoveDownTotals", Kind::Check, 0, "Move down totals for blank lines"},
      {"UseBmpCB", P::FormsSetup, "PrintLogo", Kind::Check, 0, "Print bitmap logo"},
      {"CAgeCB", P::FormsSetup, "PrintCustomerAging", Kind::Check, 0, "Customer Aging"},
      {"SMsgCB", P::FormsSetup, "PrintSalesMessage", Kind::Check, 0, "Sales Message"},
      {"CNameOnForm", P::FormsSetup, "OmitCompanyNameOnForms", Kind::Check, 0, "Don't Print Company Name and Address"},
      {"LineWidthVal", P::FormsSetup, "LineWidth", Kind::Digits, 1, "Line Widths:"},
      {"BigBxTop", P::FormsSetup, "BoxTop", Kind::Digits, 2, "Box Top:"},
      {"MaxLines", P::FormsSetup, "MaxLines", Kind::Digits, 2, "Max Lines:"},
      {"TopFormMar", P::FormsSetup, "TopFormMargin", Kind::Digits, 2, "Top Margin:"},
      {"LeftFormMar", P::FormsSetup, "LeftFormMargin", Kind::Digits, 2, "Left Margin:"},
      {"PushAddr", P::FormsSetup, "PushAddressRight", Kind::Digits, 3, "Move Addresses to Right an Additional:"},
      {"BmpNameText", P::FormsSetup, "LogoPath", Kind::Text, 250, "Bitmap Image"},
      // General
      {"CNxtCustNo", P::General, "NextCustomerNumber", Kind::Text, 8, "Next Customer Number:"},
      {"ACBillAdd", P::General, "AutoCopyBillToShip", Kind::Check, 0, "Auto-copy Billing Address to Shipping"},
      {"MMDDYY", P::General, "DateFormat", Kind::Choice, 0, "MM/DD/YY", 'M', 'D'},
      {"AgeRecap", P::General, "ShowAgingChart", Kind::Check, 0, "Show Aging Chart after Calculation"},
      {"SHints", P::General, "ShowHints", Kind::Check, 0, "Show button hints (used only at startup)"},
      {"AuditCB", P::General, "RequireAuditTrail", Kind::Check, 0, "Require System Audit Trail"},
      {"CBbu", P::General, "BackupPromptOnExit", Kind::Check, 0, "Prompt for backup on exit"},
      // Invoices
      {"NextIno", P::Invoices, "NextInvoiceNumber", Kind::Text, 9, "Next Invoice Number:"},
      {"DefInvQuan", P::Invoices, "DefaultQuantity", Kind::Text, 9, "Default Invoice Quantity:"},
      {"DFTerms", P::Invoices, "DefaultTerms", Kind::Text, 35, "Default Invoice Terms:"},
      {"PrintDupOnInv", P::Invoices, "PrintDuplicateNotice", Kind::Check, 0,
       "Print \"Duplicate Invoice\" on reprinted invoices"},
      {"YYMMonInv", P::Invoices, "YearMonthPrefix", Kind::Check, 0, "Pre-fix invoices numbers with year and month "},
      {"PFlag", P::Invoices, "NewInvoicePrintFlag", Kind::Check, 0, "Set new invoice default print flag ON"},
      {"DProd", P::Invoices, "DefaultInvoiceType", Kind::Choice, 0, "Line-Item Invoice", 'P', 'M'},
      {"PSlip", P::Invoices, "PrintPackingSlip", Kind::Check, 0, "Packing Slip"},
      {"FileCpy", P::Invoices, "PrintRemittanceCopy", Kind::Check, 0, "File/Remittance Copy"},
      {"NumCpys", P::Invoices, "InvoiceCopies", Kind::Digits, 1, "Number copies:"},
      {"CpyToLQue", P::Invoices, "LabelQueueOnNewInvoice", Kind::Check, 0,
       "On new invoices, copy customer to label queue"},
      {"BatchLabels", P::Invoices, "LabelQueueOnBatchPrint", Kind::Check, 0,
       "On batch print, copy customer to label queue"},
      {"BigInvNo", P::Invoices, "NoLargeInvoiceNumbers", Kind::Check, 0, "Do not print large invoice numbers"},
      // Sales Message
      {"SM1", P::SalesMessage, "SalesMessage1", Kind::Text, 78, "Sales message line 1:"},
      {"SM2", P::SalesMessage, "SalesMessage2", Kind::Text, 78, "Sales message line 2:"},
      {"SM3", P::SalesMessage, "SalesMessage3", Kind::Text, 78, "Sales message line 3:"},
      {"SM4", P::SalesMessage, "SalesMessage4", Kind::Text, 78, "Sales message line 4:"},
      // System Graphics
      {"TCBitmaps", P::SystemGraphics, "BackgroundOn", Kind::Check, 0, "Main screen bitmap background"},
      {"PicName", P::SystemGraphics, "BackgroundPath", Kind::Text, 250, "Bitmap Image"},
      // Headers, Fonts and Colors
      {"InvCapData", P::Headers, "InvoiceTitle", Kind::Text, 25, "Invoices:"},
      {"StmntCapData", P::Headers, "StatementTitle", Kind::Text, 25, "Statements:"},
      {"PackSHeadData", P::Headers, "PackingSlipTitle", Kind::Text, 25, "Packing Slip:"},
      {"FCHeadData", P::Headers, "RemittanceCopyTitle", Kind::Text, 25, "File/Remittance Copy:"},
      {"PrCdhead", P::Headers, "ProductCodeHeading", Kind::Text, 15, "Product Code:"},
      {"QuanHead", P::Headers, "QuantityHeading", Kind::Text, 15, "Quantity:"},
      {"DescHead", P::Headers, "DescriptionHeading", Kind::Text, 32, "Description:"},
      {"Edit8", P::Headers, "UnitCostHeading", Kind::Text, 15, "Unit Cost:"},
      {"ExtHead", P::Headers, "ExtensionHeading", Kind::Text, 15, "Extention:"},
      {"MemoHeadr", P::Headers, "MemoHeading", Kind::Text, 80, "Memo Header:"},
      {"StmntNote", P::Headers, "StatementNote", Kind::Text, 80, "Statement Note:"},
      {"EBShipCap", P::Headers, "ShipToCaption", Kind::Text, 25, "Shipping Caption:"},
  };
  return controls;
}

const OptionControl* FindOptionControl(std::string_view control) {
  for (const OptionControl& c : OptionControls())
    if (control == c.control) return &c;
  return nullptr;
}

// --- filling ---------------------------------------------------------------------------------

void CompanyOptions::Fill(std::span<const std::uint8_t> record) {
  std::copy(record.begin(), record.end(), base_.begin());
  texts_.clear();
  checks_.clear();
  for (const OptionControl& c : OptionControls()) {
    const company::NamedField& f = Field(c.field);
    switch (c.kind) {
      case Kind::Text:
      case Kind::Digits:
        texts_[c.control] = common::Latin1ToUtf8(common::ReadText(record, std::get<common::TextField>(f.field)));
        break;
      case Kind::Check:
        if (const auto* b = std::get_if<common::BoolField>(&f.field)) checks_[c.control] = common::ReadBool(record, *b);
        else checks_[c.control] = common::ReadFlag(record, std::get<common::FlagField>(f.field));
        break;
      case Kind::Choice:
        checks_[c.control] = common::ReadText(record, std::get<common::TextField>(f.field)) == std::string(1, c.on);
        break;
    }
  }
  fonts_ = {common::ReadFontSpec(record, company::kEnvelopeFont), common::ReadFontSpec(record, company::kManagersFont),
            common::ReadFontSpec(record, company::kEditorFont)};
  for (std::size_t i = 0; i < company::kDocumentFontCount; ++i)
    documentFonts_[i] = common::ReadFontSpec(record, company::DocumentFontField(company::DocumentFont(i)));
  focus_ = "CName";
}

void CompanyOptions::BeginAdd(std::span<const std::uint8_t> proposed, browse::SaveStep save,
                              std::string_view currentNumber) {
  mode_ = Mode::Add;
  save_ = std::move(save);
  title_ = std::string(kNewCompanyTitle);
  notice_.clear();
  currentNumber_ = common::TrimBoth(currentNumber);
  savedCurrent_ = false;
  Fill(proposed);
}

void CompanyOptions::BeginEdit(std::span<const std::uint8_t> record, browse::SaveStep save,
                               std::string_view currentNumber) {
  mode_ = Mode::Edit;
  save_ = std::move(save);
  title_ = std::string(kEditCompanyTitle);
  currentNumber_ = common::TrimBoth(currentNumber);
  savedCurrent_ = false;
  Fill(record);
  notice_.clear();
  const std::string picture = common::ReadText(record, company::kBackgroundPath);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(picture, ec)) notice_ = std::string(kBackgroundGone);
}

// --- the controls ----------------------------------------------------------------------------

const std::string& CompanyOptions::Text(std::string_view control) const {
  const auto it = texts_.find(control);
  return it == texts_.end() ? kEmpty : it->second;
}

void CompanyOptions::SetText(std::string_view control, std::string_view utf8) {
  const auto it = texts_.find(control);
  if (it != texts_.end()) it->second = std::string(utf8);
}

bool CompanyOptions::Checked(std::string_view control) const {
  const auto it = checks_.find(control);
  return it != checks_.end() && it->second;
}

void CompanyOptions::SetChecked(std::string_view control, bool on) {
  const auto it = checks_.find(control);
  if (it != checks_.end()) it->second = on;
}

namespace {

// The font as the record keeps it; nothing when its face has a character Latin-1 lacks.
std::optional<common::FontSpec> StoredFont(const common::FontSpec& chosen, std::size_t faceCapacity) {
  std::optional<std::string> face = common::Utf8ToLatin1(chosen.face);
  if (!face) return std::nullopt;
  common::FontSpec stored = chosen;
  stored.face = face->substr(0, faceCapacity);
  return stored;
}

std::string FontRefusal(const common::FontSpec& chosen) {
  return "The font \"" + chosen.face + "\" cannot be kept: its name holds characters the company file cannot store. "
         "Choose another font.";
}

}  // namespace

std::optional<std::string> CompanyOptions::SetFont(OptionsFont font, const common::FontSpec& chosen) {
  const std::size_t capacity = font == OptionsFont::Managers ? company::kManagersFont.faceCapacity
                               : font == OptionsFont::Envelope ? company::kEnvelopeFont.faceCapacity
                                                               : company::kEditorFont.faceCapacity;
  const std::optional<common::FontSpec> stored = StoredFont(chosen, capacity);
  if (!stored) return FontRefusal(chosen);
  fonts_[std::size_t(font)] = *stored;
  return std::nullopt;
}

std::optional<std::string> CompanyOptions::SetDocumentFont(company::DocumentFont font, const common::FontSpec& chosen) {
  const std::optional<common::FontSpec> stored = StoredFont(chosen, company::DocumentFontField(font).faceCapacity);
  if (!stored) return FontRefusal(chosen);
  documentFonts_[std::size_t(font)] = *stored;
  return std::nullopt;
}

std::optional<std::string> CompanyOptions::PickPicture(std::string_view control, std::string_view utf8Path) {
  const OptionControl* c = FindOptionControl(control);
  if (!c || (std::string_view(c->control) != "BmpNameText" && std::string_view(c->control) != "PicName"))
    return "There is no picture box \"" + std::string(control) + "\".";
  const common::Latin1Conversion latin1 = common::ConvertToLatin1(utf8Path);
  if (!latin1.ok())
    return "The picture's path " +
           (latin1.unstorable ? "holds the character " + common::DescribeCharacter(*latin1.unstorable)
                              : std::string("is not valid text")) +
           ", which the company file cannot hold. Move or rename the picture and pick it again.";
  if (latin1.latin1.size() > kPicturePathCapacity)
    return "The picture's path is " + std::to_string(latin1.latin1.size()) + " characters long; the company file " +
           "holds at most 250. Move the picture to a folder with a shorter path and pick it again.";
  texts_[c->control] = std::string(utf8Path);
  return std::nullopt;
}

// --- Save ------------------------------------------------------------------------------------

OptionsPage CompanyOptions::FocusPage() const {
  const OptionControl* c = FindOptionControl(focus_);
  return c ? c->page : OptionsPage::Top;
}

Outcome CompanyOptions::Fail(std::string_view control, std::string_view text, std::string_view caption) {
  focus_ = std::string(control);
  return Outcome::Failed(text, caption, common::PromptIcon::Exclamation);
}

std::optional<Outcome> CompanyOptions::TextProblem() {
  for (const OptionControl& c : OptionControls()) {
    if (c.kind != Kind::Text && c.kind != Kind::Digits) continue;
    const std::string& typed = Text(c.control);
    const std::string name(LabelWithoutColon(c.label));
    const common::Latin1Conversion latin1 = common::ConvertToLatin1(typed);
    if (!latin1.ok())
      return Fail(c.control,
                  latin1.unstorable ? common::UnstorableCharacterText(name, *latin1.unstorable)
                                    : name + ": the text is not valid.",
                  "Company Options");
    const std::size_t capacity = std::get<common::TextField>(Field(c.field).field).capacity;
    if (std::optional<std::string> problem =
            common::StoredTextProblem(name, latin1.latin1, c.kind == Kind::Digits ? c.length : capacity,
                                      common::TextKind::Line))
      return Fail(c.control, *problem, "Company Options");
    const std::string trimmed = common::TrimBoth(latin1.latin1);
    if (c.kind == Kind::Digits &&
        !std::all_of(trimmed.begin(), trimmed.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
      return Fail(c.control, name + ": \"" + typed + "\" is not a whole number of digits.", "Company Options");
  }
  return std::nullopt;
}

common::RecordBuffer CompanyOptions::Image() const {
  common::RecordBuffer image = base_;
  for (const OptionControl& c : OptionControls()) {
    const company::NamedField& f = Field(c.field);
    switch (c.kind) {
      case Kind::Text:
      case Kind::Digits:
        common::WriteText(image, std::get<common::TextField>(f.field),
                          common::Utf8ToLatin1(Text(c.control)).value_or(std::string()));
        break;
      case Kind::Check:
        if (const auto* b = std::get_if<common::BoolField>(&f.field)) common::WriteBool(image, *b, Checked(c.control));
        else common::WriteFlag(image, std::get<common::FlagField>(f.field), Checked(c.control));
        break;
      case Kind::Choice:
        common::WriteText(image, std::get<common::TextField>(f.field),
                          std::string(1, Checked(c.control) ? c.on : c.off));
        break;
    }
  }
  if (common::TrimBoth(common::ReadText(image, company::kTaxRate)).empty())
    common::WriteText(image, company::kTaxRate, "0.000");
  const std::string push = common::TrimBoth(common::ReadText(image, company::kPushAddressRight));
  common::WriteText(image, company::kPushAddressRight, push.empty() ? "0" : push);
  if (mode_ == Mode::Add) common::WriteText(image, company::kCompanyBalance, "0.00");
  // An edit never renumbers a company: its files carry the number.
  if (mode_ == Mode::Edit)
    common::WriteText(image, company::kCompanyNumber, common::ReadText(base_, company::kCompanyNumber));
  common::WriteFontSpec(image, company::kEnvelopeFont, fonts_[std::size_t(OptionsFont::Envelope)]);
  common::WriteFontSpec(image, company::kManagersFont, fonts_[std::size_t(OptionsFont::Managers)]);
  common::WriteFontSpec(image, company::kEditorFont, fonts_[std::size_t(OptionsFont::Editor)]);
  for (std::size_t i = 0; i < company::kDocumentFontCount; ++i)
    common::WriteFontSpec(image, company::DocumentFontField(company::DocumentFont(i)), documentFonts_[i]);
  return image;
}

Outcome CompanyOptions::Ok() {
  if (std::optional<Outcome> problem = TextProblem()) return *problem;
  common::RecordBuffer image = Image();

  // The screen's checks: all of the later ones are said together.
  const std::vector<shell::OptionProblem> problems = shell::CompanyOptionProblems(image);
  if (!problems.empty()) {
    std::string text;
    for (const shell::OptionProblem& p : problems) text += (text.empty() ? "" : "\n") + p.text;
    std::string control = "CName";
    for (const OptionControl& c : OptionControls())
      if (problems.front().field == c.field) control = c.control;
    return Fail(control, text, problems.front().caption);
  }
  // One spelling of each number: "0012" is kept as "12".
  const std::string number = *NormalisedCompanyNumber(common::ReadText(image, company::kCompanyNumber));
  if (mode_ == Mode::Add) {
    common::WriteText(image, company::kCompanyNumber, number);
    engine::FileBlock* companies = services_.companies ? services_.companies() : nullptr;
    if (companies && FindCompanyNumber(companies, number) != 0)
      return Fail("CoNumb", "This Company number already exists. Enter another number.", "Company Number");
    const std::vector<std::string> files = CompanyFiles(number);
    if (!files.empty()) {
      std::string names;
      for (std::size_t i = 0; i < files.size() && i < 6; ++i) names += (i ? ", " : "") + files[i];
      if (files.size() > 6) names += ", ...";
      focus_ = "CoNumb";
      if (!services_.prompter.AskYesNo("Files of a company " + number + " are already in the data folder (" + names +
                                           "). The new company would take them over as its own. Continue?",
                                       "Company Number", common::PromptAnswer::No))
        return Outcome::Nothing();
    }
  }
  const Outcome saved = save_ ? save_(image) : Outcome::Failed("Add operation failed", common::kProgramTitle);
  if (!saved.IsDone()) return saved;
  record_ = image;
  savedCurrent_ = number == NormalisedCompanyNumber(currentNumber_).value_or(currentNumber_);
  return Outcome::Done();
}

company::LastShownOptions CompanyOptions::Shown() const {
  company::LastShownOptions shown;
  shown.newInvoicePrintFlag = Checked("PFlag");
  shown.labelQueueOnNewInvoice = Checked("CpyToLQue");
  shown.labelQueueOnBatchPrint = Checked("BatchLabels");
  shown.backupPromptOnExit = Checked("CBbu");
  shown.statementNote = common::Utf8ToLatin1(Text("StmntNote")).value_or(std::string());
  return shown;
}

}  // namespace tf::companies
