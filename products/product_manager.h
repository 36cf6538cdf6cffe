#pragma once
// The Product Manager without its window: the manager shape of browse/manager_model.h over the
// company's product file block, listed by code (1) or description (2): the list's header, rows
// and status panels, and every command of the window (new, edit, delete, find, the product
// list, the display order and picking a product for invoice entry). The window binds its
// controls to these and shows what they leave in the model.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "browse/browse_source.h"
#include "browse/manager_list.h"
#include "browse/manager_model.h"
#include "common/help_topics.h"
#include "finder/find_mode.h"
#include "products/product_editor.h"

namespace tf::products {

inline constexpr std::string_view kManagerCaption = "Product Manager";
inline constexpr std::string_view kManagerHelpTopic = common::help::kProductManager;
inline constexpr std::string_view kProductSearchFailed = "Product Search operation failed";

// What the manager needs from the program around it, besides what every manager needs.
struct ProductManagerServices : browse::ManagerServices {
  // Shows the editor modally; true when it closed through a successful OK.
  std::function<bool(ProductEditor& editor)> runEditor;
  // Shows the find window in the given mode; the code of the row chosen, if any.
  std::function<std::optional<std::string>(const finder::FindMode& mode)> runFind;
};

class ProductManager : public browse::ManagerModel {
 public:
  ProductManager(ProductManagerServices services, browse::ManagerList& list);
  ~ProductManager() override;

  std::string Title() const override { return std::string(kManagerCaption); }
  // "Name - #Number" above the list, the name part cut to 39 and the whole to 44 characters.
  std::string ListHeader() const override;
  std::string_view HelpTopic() const override { return kManagerHelpTopic; }
  // The row of a product (ProdBrowserBuildRow), or of an entry whose record could not be read.
  static int BuildRow(browse::RowRec& rr, std::span<const std::uint8_t> record);

  // --- the product manager's own commands ------------------------------------------------
  browse::Outcome ProductList();

  // Invoice entry shows the window as a picker, opening on the code (or, by description, the
  // description) of its line.
  void BeginPicking(std::string_view code, std::string_view description);

  ProductEditor& Editor() { return editor_; }

 protected:
  browse::Outcome OpenFile() override;
  // The product current when the window closes is the one it opens on next time.
  void Closing() override;
  browse::Outcome AddRecord() override;
  browse::Outcome EditRecord() override;
  browse::Outcome DeleteRecord() override;
  browse::Outcome FindRecord() override;

 private:
  std::string Today() const;

  ProductManagerServices services_;
  ProductEditor editor_;
};

}  // namespace tf::products
