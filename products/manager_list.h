#pragma once
// What a manager window's screen model needs of its scrolling list: the index browser's
// operations, without the control. The window passes its TIndexBrowser behind this; tests pass
// a BrowseModel (BrowseModelList).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/browse_model.h"
#include "engine/browse_source.h"

namespace tf::products {

class ManagerList {
 public:
  virtual ~ManagerList() = default;
  virtual void AttachSource(std::unique_ptr<engine::BrowseSource> source) = 0;
  virtual void GoToKey(std::string_view key, std::int32_t ref) = 0;
  virtual void SetKeyNumber(int keyNr) = 0;
  virtual void Refresh() = 0;
  virtual std::int32_t CurrentRef() const = 0;
  // 0 when the current record was read into the buffer; `unchanged` = its row text is as shown.
  virtual int ReadCurrentRecord(bool& unchanged) = 0;
};

// The list on a bare browse model.
class BrowseModelList : public ManagerList {
 public:
  explicit BrowseModelList(int visibleRows = 10) : rows_(visibleRows) {}
  void AttachSource(std::unique_ptr<engine::BrowseSource> source) override {
    model_.Attach(std::move(source));
    model_.SetVisibleRows(rows_);
  }
  void GoToKey(std::string_view key, std::int32_t ref) override { model_.GoToKey(key, ref); }
  void SetKeyNumber(int keyNr) override { model_.SetKeyNumber(keyNr); }
  void Refresh() override { model_.Refresh(); }
  std::int32_t CurrentRef() const override { return model_.CurrentRef(); }
  int ReadCurrentRecord(bool& unchanged) override { return model_.ReadCurrentRecord(unchanged); }
  engine::BrowseModel& Model() { return model_; }

 private:
  int rows_;
  engine::BrowseModel model_;
};

}  // namespace tf::products
