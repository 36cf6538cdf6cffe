#pragma once
// The file images a fuzz input stands for. An input either patches bytes of a sample file
// block that the engine built (so mutations land on meaningful header, link and page fields),
// or carries the data and index files whole. The first byte chooses:
//
//   bits 0-1  0 patch a sample, 1 whole files, 2 patch a sample and add a journal file,
//             3 patch a sample whose index file is missing
//   bits 2-3  the sample: 0 a two-level tree with deleted records and freed pages, 1 a single
//             leaf page, 2 an empty block
//
// Patch forms:  [mode][script length L][script: L bytes]([journal length: 2][journal])
//               then patches of 8 bytes: flags (bit 0: index file; bits 1-2: write 1, 2 or 4
//               bytes, or 3: cut the file there), offset (3 bytes, taken modulo the file
//               size), value (4 bytes, little-endian).
// Whole files:  [mode][L][script][data length: 4][data bytes][the rest: index bytes]
//
// The script drives the operations run on the block (fuzz_harness.cpp).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/core/engine.h"

namespace tf::fuzz {

using Bytes = std::vector<uint8_t>;

// The layout every sample uses and the rebuild assumes: 32-byte records, key 1 unique (bytes
// 4..11), key 2 with duplicates (bytes 12..15).
inline constexpr int kRecordLength = 32;
std::vector<engine::KeyDescriptor> SampleKeyDescriptors();
// Keys 1 and 2 of a record image of any length (missing bytes give shorter keys).
std::vector<std::string> SampleKeys(std::span<const uint8_t> record);

enum class Sample : uint8_t { Tree = 0, Leaf = 1, Empty = 2 };
enum class Mode : uint8_t { Patch = 0, WholeFiles = 1, PatchWithJournal = 2, PatchWithoutIndex = 3 };

struct BlockImages {
  Bytes data;
  std::optional<Bytes> index;
  std::optional<Bytes> journal;
};

// Whole-file reading and writing.
std::optional<Bytes> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);

// A sample's files, built with the engine once per process in `scratchDir`.
const BlockImages& SampleImages(Sample sample, const std::string& scratchDir);

struct DecodedInput {
  BlockImages images;
  std::span<const uint8_t> script;
};
DecodedInput DecodeInput(std::span<const uint8_t> input, const std::string& scratchDir);

// Building inputs by hand.
enum class PatchWidth : uint8_t { One = 0, Two = 1, Four = 2, Cut = 3 };
struct Patch {
  bool index = false;
  uint32_t offset = 0;
  PatchWidth width = PatchWidth::Four;
  int32_t value = 0;
};
Bytes EncodePatchInput(Mode mode, Sample sample, std::span<const uint8_t> script, std::span<const Patch> patches,
                       std::span<const uint8_t> journal = {});
Bytes EncodeWholeFilesInput(std::span<const uint8_t> script, std::span<const uint8_t> data,
                            std::span<const uint8_t> index);

}  // namespace tf::fuzz
