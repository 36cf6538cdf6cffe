#include "tests/rebuild/rebuild_fixture.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tf::engine::rebuild_test {
namespace {

void PutText(Bytes& r, size_t offset, uint8_t capacity, const std::string& text) {
  const size_t n = std::min<size_t>(capacity, text.size());
  r[offset] = uint8_t(n);
  std::memcpy(r.data() + offset + 1, text.data(), n);
}

std::string GetText(std::span<const uint8_t> r, size_t offset, uint8_t capacity) {
  const size_t n = std::min<size_t>(capacity, r[offset]);
  return std::string(reinterpret_cast<const char*>(r.data() + offset + 1), n);
}

int32_t Int32At(std::span<const uint8_t> r, size_t offset) {
  return int32_t(uint32_t(r[offset]) | uint32_t(r[offset + 1]) << 8 | uint32_t(r[offset + 2]) << 16 |
                 uint32_t(r[offset + 3]) << 24);
}

constexpr size_t kCodeOffset = 4, kNameOffset = 14, kSerialOffset = 34;

}  // namespace

Bytes MakeRecord(const std::string& code, const std::string& name, int32_t serial, int recordLength) {
  Bytes r(size_t(recordLength), 0);
  PutText(r, kCodeOffset, kCodeLength, code);
  PutText(r, kNameOffset, kNameLength, name);
  for (int i = 0; i < 4; ++i) r[kSerialOffset + size_t(i)] = uint8_t(uint32_t(serial) >> (8 * i));
  return r;
}

std::string CodeOf(std::span<const uint8_t> record) { return GetText(record, kCodeOffset, kCodeLength); }
std::string NameOf(std::span<const uint8_t> record) { return GetText(record, kNameOffset, kNameLength); }
int32_t SerialOf(std::span<const uint8_t> record) { return Int32At(record, kSerialOffset); }

std::vector<KeyDescriptor> StandardKeys() { return {{kCodeLength, 0}, {kNameLength, 1}}; }

std::string StandardKey(std::span<const uint8_t> record, int keyNr) {
  return keyNr == 1 ? CodeOf(record) : NameOf(record);
}

KeyBuilder StandardKeyBuilder() {
  return [](std::span<const unsigned char> record) {
    return std::vector<std::string>{StandardKey(record, 1), StandardKey(record, 2)};
  };
}

std::vector<KeyEntry> ExpectedEntries(const std::vector<Bytes>& records, int keyNr,
                                      const std::vector<int32_t>& refs) {
  std::vector<KeyEntry> out;
  for (size_t i = 0; i < records.size(); ++i)
    out.push_back({StandardKey(records[i], keyNr), refs.empty() ? int32_t(i + 1) : refs[i]});
  std::sort(out.begin(), out.end());  // char_traits<char> orders as unsigned bytes, shorter first
  return out;
}

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

std::vector<Bytes> RebuildTest::MakeCrashedBlock(const std::string& name, int count) {
  const std::string live = name + "LIVE";
  const auto keys = StandardKeys();
  MakeFileBlock(Name(live), kRecordLength, 2, keys);
  EXPECT_TRUE(EngineOK) << EngineStatus;
  FileBlock* h = nullptr;
  OpenFileBlock(h, Name(live));
  EXPECT_TRUE(EngineOK) << EngineStatus;

  auto add = [&](int serial) {
    Bytes r = MakeRecord("C" + std::to_string(100000 + serial), "NAME" + std::to_string(serial % 10), serial);
    int32_t ref = 0;
    AddRecord(h, ref, r.data());
    EXPECT_TRUE(EngineOK) << EngineStatus;
    for (int k = 1; k <= 2; ++k) {
      AddKey(h, k, ref, StandardKey(r, k));
      EXPECT_TRUE(EngineOK) << EngineStatus;
    }
  };
  for (int serial = 1; serial <= count; ++serial) add(serial);
  Bytes r(kRecordLength);
  for (int32_t ref = 7; ref <= count; ref += 7) {
    GetRecord(h, ref, r.data());
    for (int k = 1; k <= 2; ++k) DeleteKey(h, k, ref, StandardKey(r, k));
    DeleteRecord(h, ref);
    EXPECT_TRUE(EngineOK) << EngineStatus;
  }
  for (int serial = count + 1; serial <= count + count / 20; ++serial) add(serial);

  // The crash: the files as they are on disk while the file block is open.
  namespace fs = std::filesystem;
  fs::copy_file(Name(live) + ".DAT", DataPath(name), fs::copy_options::overwrite_existing);
  fs::copy_file(Name(live) + ".IX", IndexPath(name), fs::copy_options::overwrite_existing);
  CloseFileBlock(h);
  EXPECT_TRUE(EngineOK) << EngineStatus;

  std::vector<Bytes> records;
  OpenFileBlock(h, Name(live));
  int32_t ref = 0;
  for (NextRecord(h, ref); EngineOK; NextRecord(h, ref)) {
    GetRecord(h, ref, r.data());
    records.push_back(r);
  }
  CloseFileBlock(h);

  OpenFileBlock(h, Name(name));
  EXPECT_EQ(EngineStatus, status::kIndexDefective);
  return records;
}

void RebuildTest::MakeUnkeyedBlock(const std::string& name, const std::vector<Bytes>& records,
                                   std::vector<KeyDescriptor> keys) {
  MakeFileBlock(Name(name), int(records.front().size()), int(keys.size()), keys);
  ASSERT_TRUE(EngineOK) << EngineStatus;
  FileBlock* h = nullptr;
  OpenFileBlock(h, Name(name));
  ASSERT_TRUE(EngineOK) << EngineStatus;
  for (const Bytes& r : records) {
    int32_t ref = 0;
    AddRecord(h, ref, r.data());
    ASSERT_TRUE(EngineOK) << EngineStatus;
  }
  CloseFileBlock(h);
  ASSERT_TRUE(EngineOK) << EngineStatus;
}

void RebuildTest::ExpectRebuilt(const std::string& name, const std::vector<Bytes>& records) {
  FileBlock* h = nullptr;
  OpenFileBlock(h, Name(name));
  ASSERT_TRUE(EngineOK) << "open after rebuild: " << EngineStatus;
  FileBlockGuard guard(h);
  const int n = int(records.size());
  EXPECT_EQ(UsedRecords(h), n);
  EXPECT_EQ(FileLength(h), n + 1);
  Bytes r(kRecordLength);
  for (int32_t ref = 1; ref <= n; ++ref) {
    GetRecord(h, ref, r.data());
    ASSERT_TRUE(EngineOK) << ref;
    ASSERT_EQ(r, records[size_t(ref - 1)]) << "record " << ref;
  }
  for (int k = 1; k <= 2; ++k) {
    EXPECT_EQ(UsedKeys(h, k), n);
    EXPECT_EQ(WalkKeys(h, k), ExpectedEntries(records, k)) << "key " << k;
  }
  guard.Close();
  ASSERT_TRUE(EngineOK) << EngineStatus;

  const Bytes dat = ReadFileBytes(DataPath(name));
  ASSERT_EQ(dat.size(), size_t(n + 1) * kRecordLength);
  const Bytes header(dat.begin(), dat.begin() + 21);
  Bytes expected(21, 0);
  auto put = [&](size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i) expected[at + size_t(i)] = uint8_t(uint32_t(v) >> (8 * i));
  };
  put(0, -1);
  put(8, n);
  put(12, kRecordLength);
  put(16, 2);
  EXPECT_EQ(header, expected) << "FirstFree -1, DeletedCount 0, RecordCount n, KeyCount 2, UpdateFlag 0";

  const KeyBuilder keys = StandardKeyBuilder();
  CheckResult check = CheckFileBlock(Name(name), &keys);
  for (const Finding& f : check.findings) ADD_FAILURE() << f.text;
}

bool RebuildTest::RebuildStandard(const std::string& name, RebuildStatus& status, bool* dumped) {
  RebuildTarget target{Name(name), "Tests", kRecordLength, StandardKeys(), StandardKey};
  return RebuildFileBlock(target, status, dumped);
}

bool RebuildTest::RebuildStandard(const std::string& name) {
  RecordingStatus status;
  return RebuildStandard(name, status);
}

}  // namespace tf::engine::rebuild_test
