#pragma once
// The Product Manager's list control seen through the screen model's list interface.

#include "engine/ui/index_browser.h"
#include "products/manager_list.h"

namespace tf::products::ui {

class BrowserList : public ManagerList {
 public:
  explicit BrowserList(TIndexBrowser* browser) : browser_(browser) {}
  void AttachSource(std::unique_ptr<engine::BrowseSource> source) override {
    browser_->AttachSource(std::move(source));
  }
  void GoToKey(std::string_view key, std::int32_t ref) override { browser_->GoToKey(key, ref); }
  void SetKeyNumber(int keyNr) override { browser_->SetKeyNumber(keyNr); }
  void Refresh() override { browser_->Refresh(); }
  std::int32_t CurrentRef() const override { return browser_->CurrentRef(); }
  int ReadCurrentRecord(bool& unchanged) override { return browser_->ReadCurrentRecord(unchanged); }

 private:
  TIndexBrowser* browser_;
};

}  // namespace tf::products::ui
