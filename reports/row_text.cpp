#include "reports/row_text.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>

namespace tf::reports {
namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kFirstBlock = std::size_t(16) << 10;
constexpr std::size_t kLargestBlock = std::size_t(8) << 20;
// Below this a block comes from the allocator: a mapping of its own would cost more than it saves.
constexpr std::size_t kMappedBlock = kHugePage;

// A mapping of `size` bytes (a multiple of kHugePage) that begins on a huge page, so every page of
// it can be a huge one: a larger mapping is made and its ends beyond the aligned part given back.
char* MapAligned(std::size_t size) {
  const std::size_t asked = size + kHugePage;
  void* mapped = mmap(nullptr, asked, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto begin = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (begin + kHugePage - 1) & ~(kHugePage - 1);
  if (aligned > begin) munmap(mapped, aligned - begin);
  const std::uintptr_t end = begin + asked;
  if (end > aligned + size) munmap(reinterpret_cast<void*>(aligned + size), end - (aligned + size));
  return reinterpret_cast<char*>(aligned);
}

}  // namespace

void AdviseHugePages(void* data, std::size_t bytes) {
  if (data == nullptr || bytes < kHugePage) return;
  const auto begin = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (begin + bytes) & ~(kHugePage - 1);
  if (last <= first) return;
  // A hint only: an error (no huge pages in this kernel) leaves the memory as it was.
  (void)madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

RowText::RowText(RowText&& other) noexcept
    : blocks_(std::move(other.blocks_)), at_(std::exchange(other.at_, nullptr)), left_(std::exchange(other.left_, 0)) {
  other.blocks_.clear();
}

RowText& RowText::operator=(RowText&& other) noexcept {
  if (this != &other) {
    Release();
    blocks_ = std::move(other.blocks_);
    other.blocks_.clear();
    at_ = std::exchange(other.at_, nullptr);
    left_ = std::exchange(other.left_, 0);
  }
  return *this;
}

RowText::~RowText() { Release(); }

void RowText::Release() {
  for (const Block& b : blocks_) {
    if (b.mapped) munmap(b.data, b.size);
    else delete[] b.data;
  }
  blocks_.clear();
  at_ = nullptr;
  left_ = 0;
}

char* RowText::Allocate(std::size_t bytes) {
  if (bytes > left_) {
    const std::size_t next = blocks_.empty() ? kFirstBlock : std::min(blocks_.back().size * 2, kLargestBlock);
    Block block{nullptr, std::max(next, bytes), false};
    if (block.size >= kMappedBlock) {
      block.size = (block.size + kHugePage - 1) & ~(kHugePage - 1);
      block.data = MapAligned(block.size);
      block.mapped = true;
      AdviseHugePages(block.data, block.size);
    } else {
      block.data = new char[block.size];
    }
    blocks_.push_back(block);
    at_ = block.data;
    left_ = block.size;
  }
  char* out = at_;
  at_ += bytes;
  left_ -= bytes;
  return out;
}

std::size_t RowText::Held() const {
  std::size_t total = 0;
  for (const Block& b : blocks_) total += b.size;
  return total;
}

}  // namespace tf::reports
