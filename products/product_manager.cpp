#include "products/product_manager.h"

#include "common/date_text.h"
#include "common/program_title.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "products/product_find_mode.h"
#include "products/product_list_report.h"
#include "products/product_text.h"
#include "records/company_record.h"
#include "records/product_file.h"
#include "records/product_record.h"

namespace tf::products {

namespace company = records::company;
namespace product = records::product;
using browse::Outcome;

ProductManager::ProductManager(ProductManagerServices services, browse::ManagerList& list)
    : ManagerModel(services, list, product::ProductFileKind()), services_(std::move(services)) {}

ProductManager::~ProductManager() { Close(); }

std::string ProductManager::Today() const {
  return common::FormatDate(services_.clock.Today(),
                            common::DateFormatFromCode(CompanyText(company::kDateFormat)));
}

std::string ProductManager::ListHeader() const { return ProductListHeader(); }

int ProductManager::BuildRow(browse::RowRec& rr, std::span<const std::uint8_t> record) {
  rr.Row = rr.Status != 0 ? UnreadableRow(rr.Key) : ProductRow(record);
  return 0;
}

void ProductManager::BeginPicking(std::string_view code, std::string_view description) {
  wanted_.Clear();
  common::WriteText(wanted_, product::kProductCode, code);
  common::WriteText(wanted_, product::kProductDescription, description);
  ManagerModel::BeginPicking();
}

Outcome ProductManager::OpenFile() {
  if (!product::OpenProductFile(file_, CompanyText(company::kCompanyNumber), services_.prompter, services_.status)) {
    file_ = nullptr;
    return Outcome::Fatal(browse::kUnableToOpenDatabase, common::kProgramTitle);
  }
  // The buffer still holds the product that was current when the window last closed: the list
  // opens on it again (a zero buffer, on the first opening, starts at the top).
  const common::RecordBuffer last = buffer_;
  // A picker opens on the product asked for; a search that fails (not merely finds nothing) is
  // said, and the window does not open on some other product as if it were the one.
  const std::string wantedKey = picking_ ? product::ProductKey(wanted_, order_) : std::string();
  const bool positionOnWanted = !common::TrimBoth(wantedKey).empty();
  std::int32_t wantedRef = 0;
  std::string found = wantedKey;
  bool wantedFound = false;
  if (positionOnWanted) {
    engine::SearchKey(file_, order_, wantedRef, found);
    if (!engine::EngineOK && engine::EngineErrorClass() > 1) return Outcome::Failed(kProductSearchFailed);
    wantedFound = engine::EngineOK;
  }
  auto source = std::make_unique<browse::BrowseSource>(file_, product::kKeyByCode, buffer_.data(), buffer_.size(),
                                                       std::string_view{}, std::string_view{},
                                                       browse::kBrowseRowBuffers);
  source->events.OnBuildRow = [this](browse::RowRec& rr) { return BuildRow(rr, buffer_); };
  list_.AttachSource(std::move(source));
  RowChanged();
  list_.SetKeyNumber(order_);
  list_.GoToKey(product::ProductKey(last, order_), 0);
  if (wantedFound) list_.GoToKey(found, wantedRef);
  return Outcome::Done();
}

void ProductManager::Closing() {
  if (!ReadCurrent(false)) buffer_.Clear();
}

Outcome ProductManager::AddRecord() {
  buffer_.Clear();
  editor_.BeginAdd(file_, AddStep(Outcome::Failed("Add operation failed", common::kProgramTitle)), Today());
  if (!services_.runEditor || !services_.runEditor(editor_)) return Outcome::Nothing();
  GoToSaved(editor_.Record());
  return Outcome::Done();
}

Outcome ProductManager::EditRecord() {
  if (!ReadCurrent(false)) return Outcome::Nothing();
  const std::int32_t ref = list_.CurrentRef();
  editor_.BeginEdit(file_, ModifyStep(ref, buffer_, Outcome::Failed("Modify operation failed", common::kProgramTitle)),
                    buffer_, ref, Today());
  if (!services_.runEditor || !services_.runEditor(editor_)) return Outcome::Nothing();
  GoToSaved(editor_.Record());
  return Outcome::Done();
}

Outcome ProductManager::DeleteRecord() {
  if (!ReadCurrent(true)) return Outcome::Nothing();
  if (!services_.prompter.AskYesNo(
          "Are you sure you want to delete this product?",
          "Delete Product Code: " + common::TrimBoth(common::ReadText(buffer_, product::kProductCode))))
    return Outcome::Nothing();
  return DeleteCurrent(Outcome::Failed("Product delete failed", common::kProgramTitle));
}

Outcome ProductManager::FindRecord() {
  if (!file_ || !services_.runFind) return Outcome::Nothing();
  ProductFindMode mode(file_);
  const std::optional<std::string> code = services_.runFind(mode);
  if (!code) return Outcome::Nothing();
  std::int32_t ref = 0;
  std::string key;
  if (!product::FindProductByCode(file_, common::Cut(*code, kCodeMaxLength), ref, key)) return Outcome::Nothing();
  GoToRef(ref);
  return Outcome::Done();
}

Outcome ProductManager::ProductList() {
  return Run([this] {
    if (!file_) return Outcome::Nothing();
    const common::PromptAnswer answer = services_.prompter.Show(
        {"The products will be sorted by description. Would you rather sort by product code?",
         std::string(kProductListTitle), common::PromptIcon::Question, common::PromptButtons::YesNoCancel,
         common::PromptAnswer::No});
    if (answer == common::PromptAnswer::Cancel) return Outcome::Nothing();
    const int keyNr = answer == common::PromptAnswer::Yes ? product::kKeyByCode : product::kKeyByDescription;
    services_.status.Show(kProductListTitle);
    services_.status.Lines("Preparing list...", "", "");
    const std::vector<std::string> lines =
        ProductListLines(file_, keyNr, CompanyName(), services_.clock.Now());
    services_.status.Close();
    services_.reports.ProposeFileName("Product");
    common::ShowTextReport(services_.reports, lines, ProductListCaption(keyNr));
    return Outcome::Done();
  });
}

}  // namespace tf::products
