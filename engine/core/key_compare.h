#pragma once
// The only ordering the engine knows: unsigned bytes over the shorter length, then the shorter
// key first; in an index with duplicates, equal keys are ordered by record number.

#include <cstdint>
#include <cstring>
#include <string_view>

namespace tf::engine {

inline int CompareKeyBytes(const unsigned char* a, size_t aLen, const unsigned char* b, size_t bLen) {
  size_t n = aLen < bLen ? aLen : bLen;
  if (n) {
    int c = std::memcmp(a, b, n);
    if (c) return c < 0 ? -1 : 1;
  }
  return aLen < bLen ? -1 : (aLen > bLen ? 1 : 0);
}

inline int CompareKeys(std::string_view a, std::string_view b) {
  return CompareKeyBytes(reinterpret_cast<const unsigned char*>(a.data()), a.size(),
                         reinterpret_cast<const unsigned char*>(b.data()), b.size());
}

// Entry order: key, then (duplicates only) the signed record number.
inline int CompareEntries(std::string_view aKey, int32_t aRef, std::string_view bKey, int32_t bRef,
                          bool allowDuplicates) {
  int c = CompareKeys(aKey, bKey);
  if (c || !allowDuplicates) return c;
  return aRef < bRef ? -1 : (aRef > bRef ? 1 : 0);
}

}  // namespace tf::engine
