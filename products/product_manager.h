#pragma once
// The Product Manager without its window: opening the product file block, the list's header,
// rows and status panels, and every action of the window (new, edit, delete, find, the product
// list, the display order and picking a product for invoice entry). The window binds its
// controls to these and shows what they leave in the model.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "common/prompter.h"
#include "common/record_buffer.h"
#include "common/text_report_viewer.h"
#include "browse/browse_source.h"
#include "engine/rebuilding/rebuild_status.h"
#include "browse/manager_list.h"
#include "products/product_editor.h"

namespace tf::products {

inline constexpr std::string_view kManagerCaption = "Product Manager";
inline constexpr std::string_view kManagerHint = "Right-click mouse or select from menu bar.";
inline constexpr std::string_view kManagerHelpTopic = "ProductManager";
inline constexpr std::string_view kUnableToOpen = "Unable to open database";

// The company whose products are managed (the current company).
struct ProductCompany {
  std::string name;
  std::string number;
  std::string dateFormat;  // "M" or "D"
};

// The window's dialogs, modal on top of it.
struct ManagerDialogs {
  // Shows the editor; true when it closed with OK.
  std::function<bool(ProductEditor& editor)> editProduct;
  // The find window in product mode; the code of the row chosen, if any.
  std::function<std::optional<std::string>()> findProduct;
};

class ProductManager {
 public:
  ProductManager(browse::ManagerList& list, common::Prompter& prompter, engine::RebuildStatus& status,
                 common::TextReportViewer& viewer, const common::Clock& clock);

  ManagerDialogs dialogs;

  // Invoice entry shows the window as a picker, with the code and description of its line.
  void SetPickerMode(bool on, std::string_view code = {}, std::string_view description = {});
  bool PickerMode() const { return picker_; }

  // FormShow. False when the product file block could not be opened: "Unable to open database"
  // has been shown and the program is to end.
  bool FormShow(const ProductCompany& company);
  void FormClose();

  // Texts of the window.
  std::string Label1Text() const;
  std::string CountPanel() const { return countPanel_; }
  static std::string HeaderText();
  // ProdBrowserBuildRow.
  static int BuildRow(browse::RowRec& rr, std::span<const std::uint8_t> record);

  // Actions.
  void AddProductDialog();
  void EditProductDialog();
  void DeleteCurrentProduct();
  void FindProduct();
  void GoToProductCode(std::string_view code);
  void SwitchOrder(int keyNr);
  // True when a product was picked and the window is to close.
  bool PickProduct();
  void ProductList();

  // The process-wide display order (1 by code, 2 by description), kept between openings.
  static int DisplayOrder();
  std::span<std::uint8_t> RecordBufferBytes() { return buffer_; }

 private:
  std::string Today() const;
  void UpdateCount();
  void Fail(std::string_view text);

  browse::ManagerList& list_;
  common::Prompter& prompter_;
  engine::RebuildStatus& status_;
  common::TextReportViewer& viewer_;
  const common::Clock& clock_;
  ProductCompany company_;
  common::RecordBuffer buffer_;  // every row is read into it; the dialogs edit it
  common::RecordBuffer search_;  // picker mode: the invoice line's code and description
  bool picker_ = false;
  std::string countPanel_;
};

}  // namespace tf::products
