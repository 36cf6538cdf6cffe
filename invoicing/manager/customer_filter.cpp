#include "invoicing/manager/customer_filter.h"

#include <algorithm>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/text.h"
#include "engine/core/key_compare.h"
#include "records/invoice_file.h"
#include "records/invoice_record.h"

namespace tf::invoicing {
namespace {

namespace inv = records::invoice;

void Fail(int32_t status) {
  engine::EngineOK = false;
  engine::EngineStatus = status;
}

void Succeed() {
  engine::EngineOK = true;
  engine::EngineStatus = 0;
}

}  // namespace

void CustomerFilterIndex::Clear() {
  for (auto& e : entries_) e.clear();
  place_.fill(-1);
  customer_.clear();
}

bool CustomerFilterIndex::Load(engine::FileBlock* invoices, std::string_view customerNumber) {
  Clear();
  customer_ = common::TrimBoth(customerNumber);
  // Key 2 holds the number upper-cased: the walk finds "c1" with "C1", and the record itself
  // tells them apart.
  const auto records = inv::ReadCustomerInvoices(invoices, customer_);
  if (!records) return false;
  for (const inv::StoredRecord& r : *records) {
    if (common::TrimBoth(common::ReadText(r.record, inv::kCustomerNumber)) != customer_) continue;
    for (int k = 1; k <= inv::kInvoiceKeyCount; ++k)
      entries_[std::size_t(k - 1)].push_back({inv::InvoiceKey(r.record, k), r.ref});
  }
  for (auto& entries : entries_)
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
      return engine::CompareEntries(a.key, a.ref, b.key, b.ref, true) < 0;
    });
  return true;
}

std::vector<CustomerFilterIndex::Entry>* CustomerFilterIndex::Key(int keyNr) {
  if (keyNr < 1 || keyNr > int(entries_.size())) {
    Fail(engine::status::kKeyNumberOutOfRange);
    return nullptr;
  }
  return &entries_[std::size_t(keyNr - 1)];
}

std::size_t CustomerFilterIndex::LowerBound(const std::vector<Entry>& entries, std::string_view key,
                                            int32_t ref) const {
  return std::size_t(std::lower_bound(entries.begin(), entries.end(), 0,
                                      [&](const Entry& e, int) {
                                        return engine::CompareEntries(e.key, e.ref, key, ref, true) < 0;
                                      }) -
                     entries.begin());
}

void CustomerFilterIndex::FindKeyAndRef(engine::FileBlock*, int keyNr, int32_t& ref, int direction,
                                        std::string& key) {
  std::vector<Entry>* entries = Key(keyNr);
  if (!entries) return;
  const std::string wanted = key.substr(0, engine::kMaxKeyLength);
  std::size_t at = LowerBound(*entries, wanted, ref);
  const bool exact = at < entries->size() && (*entries)[at].key == wanted && (*entries)[at].ref == ref;
  std::ptrdiff_t place = std::ptrdiff_t(at);
  if (!exact) {
    if (direction == 0 || (direction > 0 && at >= entries->size()) || (direction < 0 && at == 0)) {
      ref = 0;
      Fail(engine::status::kFindNotFound);
      return;
    }
    if (direction < 0) place = std::ptrdiff_t(at) - 1;
  }
  place_[std::size_t(keyNr - 1)] = place;
  key = (*entries)[std::size_t(place)].key;
  ref = (*entries)[std::size_t(place)].ref;
  Succeed();
}

void CustomerFilterIndex::NextKey(engine::FileBlock*, int keyNr, int32_t& ref, std::string& key) {
  std::vector<Entry>* entries = Key(keyNr);
  if (!entries) return;
  std::ptrdiff_t& place = place_[std::size_t(keyNr - 1)];
  if (place < 0 || place + 1 >= std::ptrdiff_t(entries->size())) {
    Fail(engine::status::kNextPastEnd);
    return;
  }
  ++place;
  key = (*entries)[std::size_t(place)].key;
  ref = (*entries)[std::size_t(place)].ref;
  Succeed();
}

void CustomerFilterIndex::PrevKey(engine::FileBlock*, int keyNr, int32_t& ref, std::string& key) {
  std::vector<Entry>* entries = Key(keyNr);
  if (!entries) return;
  std::ptrdiff_t& place = place_[std::size_t(keyNr - 1)];
  if (place <= 0 || place > std::ptrdiff_t(entries->size())) {
    Fail(engine::status::kPrevPastStart);
    return;
  }
  --place;
  key = (*entries)[std::size_t(place)].key;
  ref = (*entries)[std::size_t(place)].ref;
  Succeed();
}

void CustomerFilterIndex::KeyPosition(engine::FileBlock*, int keyNr, uint16_t& pos, int32_t ref,
                                      const std::string& key, uint16_t scale) {
  std::vector<Entry>* entries = Key(keyNr);
  if (!entries) return;
  if (entries->empty()) {
    pos = 0;
    Fail(engine::status::kKeyPositionEmpty);
    return;
  }
  const std::size_t at = std::min(LowerBound(*entries, key, ref), entries->size() - 1);
  pos = entries->size() == 1 ? 0 : uint16_t(at * scale / (entries->size() - 1));
  Succeed();
}

void CustomerFilterIndex::KeyAtPosition(engine::FileBlock*, int keyNr, uint16_t pos, int32_t& ref,
                                        std::string& key, uint16_t scale) {
  std::vector<Entry>* entries = Key(keyNr);
  if (!entries) return;
  if (entries->empty() || scale == 0) {
    Fail(engine::status::kKeyAtPositionEmpty);
    return;
  }
  const std::size_t at = std::min<std::size_t>(std::size_t(pos) * (entries->size() - 1) / scale, entries->size() - 1);
  place_[std::size_t(keyNr - 1)] = std::ptrdiff_t(at);
  key = (*entries)[at].key;
  ref = (*entries)[at].ref;
  Succeed();
}

}  // namespace tf::invoicing
