#pragma once
// The Customer Manager's list control seen through the screen model's list interface.

#include "customers/customer_list.h"
#include "engine/ui/index_browser.h"

namespace tf::customers::ui {

class BrowserList : public CustomerList {
 public:
  explicit BrowserList(TIndexBrowser* browser) : browser_(browser) {}
  void Attach(std::unique_ptr<engine::BrowseSource> source) override { browser_->AttachSource(std::move(source)); }
  void GoToKey(std::string_view key, std::int32_t ref) override { browser_->GoToKey(key, ref); }
  void SetKeyNumber(int keyNr) override { browser_->SetKeyNumber(keyNr); }
  void Refresh() override { browser_->Refresh(); }
  int ReadCurrentRecord(bool& unchanged) override { return browser_->ReadCurrentRecord(unchanged); }
  std::int32_t CurrentRef() const override { return browser_->CurrentRef(); }
  std::string CurrentKey() const override { return browser_->CurrentKey(); }

 private:
  TIndexBrowser* browser_;
};

}  // namespace tf::customers::ui
