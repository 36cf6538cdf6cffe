#pragma once
// A manager window's list control seen through its screen model's list interface.

#include "browse/manager_list.h"
#include "browse/ui/index_browser.h"

namespace tf::browse {

class BrowserList : public ManagerList {
 public:
  explicit BrowserList(TIndexBrowser* browser) : browser_(browser) {}
  void AttachSource(std::unique_ptr<BrowseSource> source) override { browser_->AttachSource(std::move(source)); }
  void GoToKey(std::string_view key, std::int32_t ref) override { browser_->GoToKey(key, ref); }
  void SetKeyNumber(int keyNr) override { browser_->SetKeyNumber(keyNr); }
  void Refresh() override { browser_->Refresh(); }
  int ReadCurrentRecord(bool& unchanged) override { return browser_->ReadCurrentRecord(unchanged); }
  std::int32_t CurrentRef() const override { return browser_->CurrentRef(); }
  std::string CurrentKey() const override { return browser_->CurrentKey(); }

 private:
  TIndexBrowser* browser_;
};

}  // namespace tf::browse
