#pragma once
// Memory for reports of millions of rows. A row's text taken from the system one allocation at a
// time costs an allocator call and its bookkeeping per row; here the rows of a report share large
// blocks, handed out in order and given back together with the report. Large fresh memory is
// also asked to come in huge pages: the kernel's cost of a report of two million lines was
// mostly handing out and zeroing hundreds of megabytes a 4 KiB page at a time.

#include <cstddef>
#include <vector>

namespace tf::reports {

// Asks that the whole huge pages inside [data, data + bytes) be given as huge pages when they are
// first touched. Only worth it, and only done, for ranges of several megabytes; memory already
// touched keeps its pages. A hint: where the system offers no huge pages nothing changes.
void AdviseHugePages(void* data, std::size_t bytes);

// Reserves room for `count` elements and, for a large vector not yet touched, asks for huge pages.
template <class T>
void ReserveLarge(std::vector<T>& v, std::size_t count) {
  const bool fresh = v.capacity() == 0;
  v.reserve(count);
  if (fresh) AdviseHugePages(v.data(), v.capacity() * sizeof(T));
}

// The text of many rows in shared blocks. Blocks double from 16 KiB up to 8 MiB, so a report of
// three rows holds 16 KiB and one of two million lines a few blocks of 8 MiB; the large ones are
// mapped and advised to use huge pages. What was handed out stays until the RowText goes.
// A copy starts empty (the rows of a copied report copy their text into allocations of their
// own), and an assignment keeps the blocks this one has, so text handed out stays valid.
class RowText {
 public:
  RowText() = default;
  RowText(const RowText&) {}
  RowText& operator=(const RowText&) { return *this; }
  RowText(RowText&& other) noexcept;
  RowText& operator=(RowText&& other) noexcept;
  ~RowText();

  // Room for `bytes` characters (not null-terminated); bytes > 0.
  char* Allocate(std::size_t bytes);
  // The bytes of the blocks held.
  std::size_t Held() const;

 private:
  struct Block {
    char* data;
    std::size_t size;
    bool mapped;
  };
  void Release();

  std::vector<Block> blocks_;
  char* at_ = nullptr;
  std::size_t left_ = 0;
};

}  // namespace tf::reports
