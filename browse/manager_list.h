#pragma once
// What a manager window's screen model needs of its scrolling list: the index browser's
// operations, without the control. The window passes its TIndexBrowser behind this
// (BrowserList); screen-less callers and tests pass a bare BrowseModel (BrowseModelList).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "browse/browse_model.h"
#include "browse/browse_source.h"

namespace tf::browse {

class ManagerList {
 public:
  virtual ~ManagerList() = default;
  virtual void AttachSource(std::unique_ptr<BrowseSource> source) = 0;
  virtual void GoToKey(std::string_view key, std::int32_t ref) = 0;
  virtual void SetKeyNumber(int keyNr) = 0;
  virtual void Refresh() = 0;
  // 0 when the current record was read into the buffer, `unchanged` telling whether its row
  // shows what the record now holds; else the browser's status.
  virtual int ReadCurrentRecord(bool& unchanged) = 0;
  virtual std::int32_t CurrentRef() const = 0;
  virtual std::string CurrentKey() const = 0;
};

// The list on a bare browse model showing `visibleRows` rows.
class BrowseModelList : public ManagerList {
 public:
  explicit BrowseModelList(int visibleRows) : rows_(visibleRows) {}
  void AttachSource(std::unique_ptr<BrowseSource> source) override {
    model_.Attach(std::move(source));
    model_.SetVisibleRows(rows_);
  }
  void GoToKey(std::string_view key, std::int32_t ref) override { model_.GoToKey(key, ref); }
  void SetKeyNumber(int keyNr) override { model_.SetKeyNumber(keyNr); }
  void Refresh() override { model_.Refresh(); }
  int ReadCurrentRecord(bool& unchanged) override { return model_.ReadCurrentRecord(unchanged); }
  std::int32_t CurrentRef() const override { return model_.CurrentRef(); }
  std::string CurrentKey() const override { return model_.CurrentKey(); }
  BrowseModel& Model() { return model_; }

 private:
  int rows_;
  BrowseModel model_;
};

}  // namespace tf::browse
