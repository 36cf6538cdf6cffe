#include "shell/starter_company.h"

#include <filesystem>
#include <span>
#include <utility>
#include <system_error>

#include "common/record_fields.h"
#include "common/side_file.h"
#include "common/stored_font.h"
#include "engine/core/engine.h"
#include "engine/core/file_names.h"
#include "records/company_record.h"
#include "records/record_file.h"

namespace tf::shell {
namespace {

using engine::EngineOK;
using engine::EngineStatus;

// Nobody is there to answer: every question gives up.
class UnattendedPrompter : public common::Prompter {
 public:
  common::PromptAnswer Show(const common::PromptMessage& message) override {
    switch (message.buttons) {
      case common::PromptButtons::OK: return common::PromptAnswer::OK;
      case common::PromptButtons::OKCancel: return common::PromptAnswer::Cancel;
      default: return common::PromptAnswer::Yes;  // "... Abort?"
    }
  }
};

std::string Failed(const char* what) { return std::string(what) + " failed with status " + std::to_string(EngineStatus); }

// A No. 10 envelope (9.5 x 4.125 inches, 2850 x 1237 printer units at 300 per inch) fed in
// landscape: the return address half an inch in from the top left corner, the recipient's
// address from four inches in and a little below the middle, in a 12-point font whose lines
// are 50 units (1/6 inch) apart. Later companies copy these from the company they are made
// from, so the starter is where sensible values enter a data folder.
void SetStarterEnvelope(std::span<std::uint8_t> r) {
  using namespace records::company;
  common::WriteFontSpec(r, kEnvelopeFont, {"Arial", 12, 0, 0});
  common::WriteText(r, kEnvLineSpacing, "50");
  common::WriteText(r, kEnvLeftMargin, "150");
  common::WriteText(r, kEnvTopMargin, "150");
  common::WriteText(r, kEnvSendAddressLeft, "1200");
  common::WriteText(r, kEnvOrientation, "L");
  common::WriteText(r, kEnvAddressSource, "B");
}

// The printed forms' fonts: a plain body, bold captions and company name, a smaller aging box.
void SetStarterDocumentFonts(std::span<std::uint8_t> r) {
  using records::company::DocumentFont;
  using records::company::DocumentFontField;
  const std::pair<DocumentFont, common::FontSpec> fonts[] = {
      {DocumentFont::FormBody, {"Arial", 10, 0, 0}},
      {DocumentFont::CaptionHeaders, {"Arial", 10, 0, common::kFontBold}},
      {DocumentFont::CompanyAddress, {"Arial", 12, 0, common::kFontBold}},
      {DocumentFont::CustomerAddress, {"Arial", 10, 0, 0}},
      {DocumentFont::AgingAnalysis, {"Arial", 8, 0, 0}},
      {DocumentFont::SalesMessage, {"Arial", 10, 0, common::kFontItalic}},
  };
  for (const auto& [font, face] : fonts) common::WriteFontSpec(r, DocumentFontField(font), face);
}

// The documents' captions and the invoice's column headings: left empty, a new user's first
// invoice would print without a title over it and with bare columns.
void SetStarterDocumentTexts(std::span<std::uint8_t> r) {
  using namespace records::company;
  const std::pair<common::TextField, const char*> texts[] = {
      {kInvoiceTitle, "INVOICE"},         {kStatementTitle, "STATEMENT"},       {kPackingSlipTitle, "PACKING SLIP"},
      {kRemittanceCopyTitle, "FILE COPY"}, {kProductCodeHeading, "Product Code"}, {kQuantityHeading, "Quantity"},
      {kDescriptionHeading, "Description"}, {kUnitCostHeading, "Unit Cost"},     {kExtensionHeading, "Extention"},
      {kTaxHeading, "Tax"},
  };
  for (const auto& [field, text] : texts) common::WriteText(r, field, text);
}

}  // namespace

common::RecordBuffer StarterCompanyRecord() {
  const common::RecordBuffer none(records::company::kCompanyRecordLength);
  common::RecordBuffer record =
      records::company::NewCompanyRecord({none.data(), none.size()}, 0, records::company::LastShownOptions{});
  const std::span<std::uint8_t> r(record.data(), record.size());
  SetStarterEnvelope(r);
  SetStarterDocumentFonts(r);
  SetStarterDocumentTexts(r);
  return record;
}

std::string CreateStarterCompanyFile() {
  const std::string name(records::company::kCompanyFileBlock);
  std::error_code ec;
  if (std::filesystem::exists(engine::EngineFileName(name, engine::FileKind::Data), ec)) return {};

  engine::EngineReady();
  const bool startHere = !EngineOK;
  if (startHere) {
    engine::InitEngine(0, engine::kMinPageBuffers);
    if (!EngineOK) return Failed("starting the storage engine");
  }
  std::string error;
  const records::RecordFileKind& kind = records::company::CompanyFileKind();
  engine::MakeFileBlock(name, kind.recordLength, int(kind.keys.size()), kind.keys);
  if (!EngineOK) {
    error = Failed("creating the company file block");
  } else {
    engine::FileBlockGuard block;
    engine::OpenFileBlock(block.handle(), name);
    UnattendedPrompter prompter;
    const common::RecordBuffer starter = StarterCompanyRecord();
    std::int32_t ref = 0;
    if (!EngineOK)
      error = Failed("opening the company file block");
    else if (!records::AddKeyedRecord(block.get(), kind, {starter.data(), starter.size()}, ref, prompter))
      error = Failed("adding company 1");
    block.Close();
    if (error.empty() && !EngineOK) error = Failed("closing the company file block");
  }
  if (!error.empty()) engine::DeleteFileBlock(name);  // it did not exist: nothing half-made stays
  if (startHere) engine::ExitEngine();
  return error;
}

std::string CreateStarterStartupFile() {
  const std::string name(records::company::kStartupFile);
  std::error_code ec;
  if (std::filesystem::exists(name, ec)) return {};
  const common::RecordBuffer starter = StarterCompanyRecord();
  try {
    common::ReplaceFile(name, std::string_view(reinterpret_cast<const char*>(starter.data()), starter.size()));
  } catch (const std::system_error& e) {
    return e.what();
  }
  return {};
}

}  // namespace tf::shell
