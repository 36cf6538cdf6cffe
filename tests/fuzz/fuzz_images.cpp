#include "tests/fuzz/fuzz_images.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace tf::fuzz {
namespace {

using namespace tf::engine;

Bytes SampleRecord(int i) {
  Bytes r(kRecordLength, 0);
  char text[16];
  std::snprintf(text, sizeof text, "C%07d", i);
  std::memcpy(&r[4], text, 8);
  std::snprintf(text, sizeof text, "G%03d", i % 7);
  std::memcpy(&r[12], text, 4);
  for (int b = 16; b < kRecordLength; ++b) r[size_t(b)] = uint8_t(i * 31 + b);
  return r;
}

// Builds a sample with the engine: `count` records with both keys, then the records for which
// `deleted` holds are removed again (keys first), leaving a free chain and, after merges,
// freed index pages.
template <typename Deleted>
BlockImages BuildSample(const std::string& name, int count, Deleted deleted) {
  InitEngine(0, kMinPageBuffers);
  const bool ownsEngine = EngineOK;  // else the caller has it initialised already
  const auto keys = SampleKeyDescriptors();
  MakeFileBlock(name, kRecordLength, int(keys.size()), keys);
  FileBlock* h = nullptr;
  OpenFileBlock(h, name);
  for (int i = 1; i <= count; ++i) {
    Bytes r = SampleRecord(i);
    int32_t ref = 0;
    AddRecord(h, ref, r.data());
    for (int k = 1; k <= 2; ++k) AddKey(h, k, ref, SampleKeys(r)[size_t(k - 1)]);
  }
  for (int i = 1; i <= count; ++i) {
    if (!deleted(i)) continue;
    Bytes r = SampleRecord(i);
    for (int k = 1; k <= 2; ++k) DeleteKey(h, k, i, SampleKeys(r)[size_t(k - 1)]);
    DeleteRecord(h, i);
  }
  CloseFileBlock(h);
  if (ownsEngine) ExitEngine();
  BlockImages images;
  images.data = ReadFileBytes(name + ".DAT").value_or(Bytes{});
  images.index = ReadFileBytes(name + ".IX");
  std::remove((name + ".DAT").c_str());
  std::remove((name + ".IX").c_str());
  return images;
}

// Little-endian reading of the input.
class Reader {
 public:
  explicit Reader(std::span<const uint8_t> in) : in_(in) {}
  size_t Left() const { return in_.size() - at_; }
  uint32_t Get(int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint32_t(at_ < in_.size() ? in_[at_++] : 0) << (8 * i);
    return v;
  }
  std::span<const uint8_t> Take(size_t n) {
    n = std::min(n, Left());
    auto s = in_.subspan(at_, n);
    at_ += n;
    return s;
  }

 private:
  std::span<const uint8_t> in_;
  size_t at_ = 0;
};

void ApplyPatch(Bytes& file, uint8_t flags, uint32_t offset, uint32_t value) {
  const auto width = PatchWidth((flags >> 1) & 3);
  if (width == PatchWidth::Cut) {
    file.resize(offset % (file.size() + 1));
    return;
  }
  const size_t n = width == PatchWidth::One ? 1 : width == PatchWidth::Two ? 2 : 4;
  if (file.size() < n) return;
  const size_t at = offset % (file.size() - n + 1);
  for (size_t i = 0; i < n; ++i) file[at + i] = uint8_t(value >> (8 * i));
}

void PutLE(Bytes& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

}  // namespace

std::optional<Bytes> ReadFileBytes(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::nullopt;
  Bytes bytes;
  uint8_t chunk[16384];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(f);
  return bytes;
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::vector<KeyDescriptor> SampleKeyDescriptors() { return {{8, 0}, {4, 1}}; }

std::vector<std::string> SampleKeys(std::span<const uint8_t> record) {
  auto text = [&](size_t at, size_t n) {
    if (record.size() <= at) return std::string();
    n = std::min(n, record.size() - at);
    return std::string(reinterpret_cast<const char*>(&record[at]), n);
  };
  return {text(4, 8), text(12, 4)};
}

const BlockImages& SampleImages(Sample sample, const std::string& scratchDir) {
  static std::array<std::optional<BlockImages>, 3> built;
  auto& slot = built[size_t(sample)];
  if (!slot) {
    const std::string name = scratchDir + "/SAMPLE";
    switch (sample) {
      case Sample::Tree:
        slot = BuildSample(name, 200, [](int i) { return (i < 100 && i % 5 == 3) || (i >= 120 && i < 170); });
        break;
      case Sample::Leaf:
        slot = BuildSample(name, 5, [](int i) { return i == 2; });
        break;
      case Sample::Empty:
        slot = BuildSample(name, 0, [](int) { return false; });
        break;
    }
  }
  return *slot;
}

DecodedInput DecodeInput(std::span<const uint8_t> input, const std::string& scratchDir) {
  Reader in(input);
  const uint8_t first = uint8_t(in.Get(1));
  const auto mode = Mode(first & 3);
  DecodedInput out;
  out.script = in.Take(in.Get(1));
  if (mode == Mode::WholeFiles) {
    auto data = in.Take(in.Get(4));
    auto index = in.Take(in.Left());
    out.images.data.assign(data.begin(), data.end());
    out.images.index = Bytes(index.begin(), index.end());
    return out;
  }
  const auto sample = Sample(((first >> 2) & 3) % 3);
  out.images = SampleImages(sample, scratchDir);
  if (mode == Mode::PatchWithJournal) {
    auto journal = in.Take(in.Get(2));
    out.images.journal = Bytes(journal.begin(), journal.end());
  }
  if (mode == Mode::PatchWithoutIndex) out.images.index.reset();
  while (in.Left() >= 8) {
    uint8_t flags = uint8_t(in.Get(1));
    uint32_t offset = in.Get(3);
    uint32_t value = in.Get(4);
    Bytes* file = (flags & 1) ? (out.images.index ? &*out.images.index : nullptr) : &out.images.data;
    if (file) ApplyPatch(*file, flags, offset, value);
  }
  return out;
}

Bytes EncodePatchInput(Mode mode, Sample sample, std::span<const uint8_t> script, std::span<const Patch> patches,
                       std::span<const uint8_t> journal) {
  Bytes out;
  out.push_back(uint8_t(uint8_t(mode) | uint8_t(sample) << 2));
  out.push_back(uint8_t(std::min<size_t>(script.size(), 255)));
  out.insert(out.end(), script.begin(), script.begin() + out.back());
  if (mode == Mode::PatchWithJournal) {
    size_t n = std::min<size_t>(journal.size(), 0xFFFF);
    PutLE(out, uint32_t(n), 2);
    out.insert(out.end(), journal.begin(), journal.begin() + long(n));
  }
  for (const Patch& p : patches) {
    out.push_back(uint8_t((p.index ? 1 : 0) | uint8_t(p.width) << 1));
    PutLE(out, p.offset, 3);
    PutLE(out, uint32_t(p.value), 4);
  }
  return out;
}

Bytes EncodeWholeFilesInput(std::span<const uint8_t> script, std::span<const uint8_t> data,
                            std::span<const uint8_t> index) {
  Bytes out;
  out.push_back(uint8_t(Mode::WholeFiles));
  out.push_back(uint8_t(std::min<size_t>(script.size(), 255)));
  out.insert(out.end(), script.begin(), script.begin() + out.back());
  PutLE(out, uint32_t(data.size()), 4);
  out.insert(out.end(), data.begin(), data.end());
  out.insert(out.end(), index.begin(), index.end());
  return out;
}

}  // namespace tf::fuzz
