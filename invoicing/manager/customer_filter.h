#pragma once
// The Invoice Manager's customer filter as an index of its own: the records of one customer,
// with their keys under each of the six views, held sorted in memory and walked by the list
// like the engine's indexes. Filtering the engine's index instead would read every record of
// the file to fill a page (a customer with a few invoices among a million reads them all, and
// again on every move); the customer's records are found through the customer index and the
// list stays as quick as an unfiltered one, in every view.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "browse/browse_source_calls.h"
#include "engine/core/engine.h"

namespace tf::invoicing {

class CustomerFilterIndex : public browse::BrowseEngineCalls {
 public:
  // Reads the records whose trimmed CustomerNumber is exactly `customerNumber` (case counts)
  // through key 2 of the invoice file. False, with the index empty, when the file cannot be read.
  bool Load(engine::FileBlock* invoices, std::string_view customerNumber);
  void Clear();
  std::size_t Size() const { return entries_[0].size(); }
  const std::string& Customer() const { return customer_; }

  // The engine's calls on the list's key, answered from memory; records are read from the file.
  void FindKeyAndRef(engine::FileBlock* handle, int keyNr, int32_t& ref, int direction, std::string& key) override;
  void NextKey(engine::FileBlock* handle, int keyNr, int32_t& ref, std::string& key) override;
  void PrevKey(engine::FileBlock* handle, int keyNr, int32_t& ref, std::string& key) override;
  void KeyPosition(engine::FileBlock* handle, int keyNr, uint16_t& pos, int32_t ref, const std::string& key,
                   uint16_t scale) override;
  void KeyAtPosition(engine::FileBlock* handle, int keyNr, uint16_t pos, int32_t& ref, std::string& key,
                     uint16_t scale) override;

 private:
  struct Entry {
    std::string key;
    int32_t ref = 0;
  };
  // The entries of a key (1..6), and the place the last call left on it.
  std::vector<Entry>* Key(int keyNr);
  std::size_t LowerBound(const std::vector<Entry>& entries, std::string_view key, int32_t ref) const;

  std::array<std::vector<Entry>, 6> entries_;
  std::array<std::ptrdiff_t, 6> place_{};
  std::string customer_;
};

}  // namespace tf::invoicing
