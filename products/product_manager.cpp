#include "products/product_manager.h"

#include <algorithm>

#include "common/date_text.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "products/product_list_report.h"
#include "records/product_record.h"
#include "products/product_store.h"
#include "products/product_text.h"
#include "common/program_title.h"

namespace tf::products {

using engine::EngineOK;

ProductManager::ProductManager(browse::ManagerList& list, common::Prompter& prompter, engine::RebuildStatus& status,
                               common::TextReportViewer& viewer, const common::Clock& clock)
    : list_(list),
      prompter_(prompter),
      status_(status),
      viewer_(viewer),
      clock_(clock),
      buffer_(records::product::kProductRecordLength),
      search_(records::product::kProductRecordLength) {}

int ProductManager::DisplayOrder() { return Products().displayOrder; }

void ProductManager::SetPickerMode(bool on, std::string_view code, std::string_view description) {
  picker_ = on;
  search_.Clear();
  common::WriteText(search_, records::product::kProductCode, code);
  common::WriteText(search_, records::product::kProductDescription, description);
}

std::string ProductManager::Today() const {
  return common::FormatDate(clock_.Today(), common::DateFormatFromCode(company_.dateFormat));
}

std::string ProductManager::Label1Text() const {
  return common::Cut(common::Cut(company_.name + " - #", 39) + company_.number, 44);
}

std::string ProductManager::HeaderText() { return ProductListHeader(); }

int ProductManager::BuildRow(browse::RowRec& rr, std::span<const std::uint8_t> record) {
  rr.Row = rr.Status != 0 ? UnreadableRow(rr.Key) : ProductRow(record);
  return 0;
}

void ProductManager::UpdateCount() {
  const int keyNr = std::clamp(DisplayOrder(), records::product::kKeyByCode, records::product::kKeyByDescription);
  countPanel_ = "Products: " + std::to_string(engine::UsedKeys(Products().file, keyNr));
}

void ProductManager::Fail(std::string_view text) {
  prompter_.Inform(text, common::kProgramTitle, common::PromptIcon::Error);
}

bool ProductManager::FormShow(const ProductCompany& company) {
  company_ = company;
  Products().picked = false;
  if (!OpenProducts(records::product::ProductFileName(company.number), prompter_, status_)) {
    prompter_.Inform(kUnableToOpen, common::kProgramTitle, common::PromptIcon::Error);
    return false;
  }
  // The buffer still holds the product that was current when the window last closed: the list
  // opens on it again (a zero buffer, on the first opening, starts at the top).
  const common::RecordBuffer last = buffer_;
  auto source = std::make_unique<browse::BrowseSource>(Products().file, records::product::kKeyByCode, buffer_.data(), buffer_.size(),
                                                       std::string_view{}, std::string_view{},
                                                       browse::kBrowseRowBuffers);
  source->events.OnBuildRow = [this](browse::RowRec& rr) { return BuildRow(rr, buffer_); };
  list_.AttachSource(std::move(source));
  UpdateCount();
  list_.SetKeyNumber(DisplayOrder());
  list_.GoToKey(records::product::ProductKey(last, DisplayOrder()), 0);
  if (picker_) {
    std::string key = records::product::ProductKey(search_, DisplayOrder());
    std::int32_t ref = 0;
    if (!common::TrimBoth(key).empty()) {
      engine::SearchKey(Products().file, DisplayOrder(), ref, key);
      if (EngineOK) list_.GoToKey(key, ref);
    }
  }
  return true;
}

void ProductManager::FormClose() {
  bool unchanged = false;
  if (list_.ReadCurrentRecord(unchanged) != 0) buffer_.Clear();
  list_.AttachSource(nullptr);
  CloseProducts();
}

void ProductManager::AddProductDialog() {
  buffer_.Clear();
  ProductEditor editor(Products().file, prompter_);
  editor.StartAdd(Today());
  if (!dialogs.editProduct || !dialogs.editProduct(editor)) return;
  common::RecordBuffer record(records::product::kProductRecordLength);
  editor.StoreAdded(record, Today());
  std::int32_t ref = 0;
  if (!AddProduct(Products().file, record, ref, prompter_)) return Fail("Add operation failed");
  list_.GoToKey(records::product::ProductKey(record, DisplayOrder()), ref);
  UpdateCount();
}

void ProductManager::EditProductDialog() {
  bool unchanged = false;
  if (list_.ReadCurrentRecord(unchanged) != 0) return;
  const common::RecordBuffer unedited = buffer_;
  const std::int32_t ref = list_.CurrentRef();
  ProductEditor editor(Products().file, prompter_);
  editor.StartEdit(unedited);
  if (!dialogs.editProduct || !dialogs.editProduct(editor)) return;
  common::RecordBuffer edited = unedited;
  editor.StoreEdited(edited, Today());
  if (!UpdateProduct(Products().file, unedited, edited, ref, prompter_)) return Fail("Modify operation failed");
  list_.GoToKey(records::product::ProductKey(edited, DisplayOrder()), ref);
}

void ProductManager::DeleteCurrentProduct() {
  bool unchanged = false;
  if (list_.ReadCurrentRecord(unchanged) != 0 || !unchanged) return;
  const common::RecordBuffer record = buffer_;
  const std::int32_t ref = list_.CurrentRef();
  if (!prompter_.AskYesNo("Are you sure you want to delete this product?",
                          "Delete Product Code: " + common::TrimBoth(common::ReadText(record, records::product::kProductCode))))
    return;
  if (!DeleteProduct(Products().file, ref, record, prompter_)) return Fail("Product delete failed");
  list_.Refresh();
  UpdateCount();
}

void ProductManager::FindProduct() {
  if (!dialogs.findProduct) return;
  if (const auto code = dialogs.findProduct()) GoToProductCode(common::Cut(*code, kCodeMaxLength));
}

void ProductManager::GoToProductCode(std::string_view code) {
  std::int32_t ref = 0;
  std::string key;
  if (!FindProductByCode(Products().file, code, ref, key)) return;
  common::RecordBuffer record(records::product::kProductRecordLength);
  engine::GetRecord(Products().file, ref, record.data());
  if (!EngineOK) return;
  list_.GoToKey(records::product::ProductKey(record, DisplayOrder()), ref);
}

void ProductManager::SwitchOrder(int keyNr) {
  if (keyNr != records::product::kKeyByCode && keyNr != records::product::kKeyByDescription) return;
  // The list stays on the product that is current.
  bool unchanged = false;
  if (list_.ReadCurrentRecord(unchanged) != 0) buffer_.Clear();
  const common::RecordBuffer at = buffer_;
  list_.SetKeyNumber(keyNr);
  Products().displayOrder = keyNr;
  list_.GoToKey(records::product::ProductKey(at, keyNr), 0);
  UpdateCount();
}

bool ProductManager::PickProduct() {
  Products().selected.Clear();
  bool unchanged = false;
  if (list_.ReadCurrentRecord(unchanged) != 0) return false;
  Products().selected = buffer_;
  Products().picked = true;
  return true;
}

void ProductManager::ProductList() {
  const common::PromptAnswer answer =
      prompter_.Show({"The products will be sorted by description. Would you rather sort by product code?",
                      std::string(kProductListTitle), common::PromptIcon::Question,
                      common::PromptButtons::YesNoCancel, common::PromptAnswer::No});
  if (answer == common::PromptAnswer::Cancel) return;
  const int keyNr = answer == common::PromptAnswer::Yes ? records::product::kKeyByCode : records::product::kKeyByDescription;
  status_.Show(kProductListTitle);
  status_.Lines("Preparing list...", "", "");
  const std::vector<std::string> lines = ProductListLines(Products().file, keyNr, company_.name, clock_.Now());
  status_.Close();
  viewer_.ProposeFileName("Product");
  common::ShowTextReport(viewer_, lines, ProductListCaption(keyNr));
}

}  // namespace tf::products
