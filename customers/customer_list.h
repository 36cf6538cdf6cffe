#pragma once
// The manager's list of customers: the rows it shows and the browse control's operations the
// manager needs. The window's TIndexBrowser stands behind it in the program; tests use the
// screen-less BrowseModel.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "engine/browse_model.h"
#include "engine/browse_source.h"

namespace tf::customers {

inline constexpr std::size_t kRowWidth = 128;

// "Name" (35), "Number" (8), "Balance" (12, right-aligned), "Last Pmt." (10), "Last Inv." (9),
// "Phone Number(s)" (25), one blank apart, padded to 128.
std::string CustomerListHeader();
std::string CustomerRow(std::span<const std::uint8_t> record);
// A row whose record cannot be read: "****", two blanks and the index key.
std::string UnreadableRow(std::string_view key);

class CustomerList {
 public:
  virtual ~CustomerList() = default;
  virtual void Attach(std::unique_ptr<engine::BrowseSource> source) = 0;
  virtual void GoToKey(std::string_view key, std::int32_t ref) = 0;
  virtual void SetKeyNumber(int keyNr) = 0;
  virtual void Refresh() = 0;
  // 0 read (unchanged: the row shows what the record now holds), else as the browser says.
  virtual int ReadCurrentRecord(bool& unchanged) = 0;
  virtual std::int32_t CurrentRef() const = 0;
  virtual std::string CurrentKey() const = 0;
};

// The list on a BrowseModel (no screen).
class BrowseModelList : public CustomerList {
 public:
  explicit BrowseModelList(int visibleRows = 20) : rows_(visibleRows) {}
  void Attach(std::unique_ptr<engine::BrowseSource> source) override {
    model_.Attach(std::move(source));
    model_.SetVisibleRows(rows_);
  }
  void GoToKey(std::string_view key, std::int32_t ref) override { model_.GoToKey(key, ref); }
  void SetKeyNumber(int keyNr) override { model_.SetKeyNumber(keyNr); }
  void Refresh() override { model_.Refresh(); }
  int ReadCurrentRecord(bool& unchanged) override { return model_.ReadCurrentRecord(unchanged); }
  std::int32_t CurrentRef() const override { return model_.CurrentRef(); }
  std::string CurrentKey() const override { return model_.CurrentKey(); }
  engine::BrowseModel& Model() { return model_; }

 private:
  engine::BrowseModel model_;
  int rows_;
};

}  // namespace tf::customers
