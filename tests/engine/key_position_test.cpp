// The scroll-bar estimates: which entry lies at pos/scale of an index, and where an entry lies.
// Estimates may be rough, but they stay in range, keep the index's order, and the two ends of
// the scale reach the two ends of the index.

#include <algorithm>
#include <set>

#include "tests/engine/disk_image.h"
#include "tests/engine/engine_fixture.h"

namespace tf::engine::testing {
namespace {

class KeyPositionTest : public EngineTest {
 protected:
  // Key 1 holds n ascending keys; refs are 1..n.
  FileBlock* WithKeys(const std::string& name, int n) {
    FileBlock* h = Make(name, 32, {{6, 0}});
    for (int i = 0; i < n; ++i) AddKey(h, 1, i + 1, NumberedKey(i));
    EXPECT_TRUE(EngineOK);
    return h;
  }
  int Height(const std::string& name, FileBlock*& h) {
    CloseFileBlock(h);
    int height = IndexImage(IndexPath(name), 1).Check(1).height;
    h = Open(name);
    return height;
  }
};

TEST_P(KeyPositionTest, InvalidScalesAndEmptyIndexesFail) {
  FileBlock* empty = Make("EMPTY", 32, {{6, 0}});
  uint16_t pos = 7;
  int32_t ref = 0;
  std::string key;
  KeyPosition(empty, 1, pos, 1, "K", 63);
  EXPECT_EQ(EngineStatus, status::kKeyPositionEmpty);
  EXPECT_EQ(EngineErrorClass(), 1);
  KeyAtPosition(empty, 1, 0, ref, key, 63);
  EXPECT_EQ(EngineStatus, status::kKeyAtPositionEmpty);
  EXPECT_EQ(EngineErrorClass(), 1);

  FileBlock* h = WithKeys("SOME", 10);
  KeyPosition(h, 1, pos, 1, NumberedKey(0), 0);
  EXPECT_EQ(EngineStatus, status::kKeyPositionScale);
  EXPECT_EQ(EngineErrorClass(), 4);
  KeyAtPosition(h, 1, 0, ref, key, 0);
  EXPECT_EQ(EngineStatus, status::kKeyAtPositionScale);
  KeyAtPosition(h, 1, 64, ref, key, 63);
  EXPECT_EQ(EngineStatus, status::kKeyAtPositionScale) << "pos beyond scale";
  KeyAtPosition(h, 1, 63, ref, key, 63);
  EXPECT_TRUE(EngineOK);
  CloseFileBlock(h);
  CloseFileBlock(empty);
}

TEST_P(KeyPositionTest, TheScaleSpansTheIndexInOrder) {
  struct Size {
    int entries;
    int height;
  } sizes[] = {{1, 1}, {5, 1}, {62, 1}, {63, 2}, {700, 2}, {5000, 3}};
  for (const Size& size : sizes) {
    const std::string name = "POS" + std::to_string(size.entries);
    FileBlock* h = WithKeys(name, size.entries);
    ASSERT_EQ(Height(name, h), size.height) << name;
    const std::vector<KeyEntry> all = WalkKeys(h, 1);
    const KeyEntry first = all.front(), last = all.back();
    const std::set<KeyEntry> present(all.begin(), all.end());

    for (uint16_t scale : {uint16_t(1), uint16_t(2), uint16_t(63), uint16_t(1000), uint16_t(65535)}) {
      const std::string what = name + " scale " + std::to_string(scale);
      int32_t ref = -1;
      std::string key = "?";
      // Position 0 is the first entry (or the empty key before it), position scale the last.
      KeyAtPosition(h, 1, 0, ref, key, scale);
      ASSERT_TRUE(EngineOK) << what << ": " << EngineStatus;
      EXPECT_TRUE(KeyEntry(key, ref) == first || KeyEntry(key, ref) == KeyEntry("", 0)) << what << ": " << key;
      KeyAtPosition(h, 1, scale, ref, key, scale);
      EXPECT_EQ(KeyEntry(key, ref), last) << what;

      KeyEntry previous = first;
      const int step = std::max(1, scale / 300);
      for (int pos = 0; pos <= scale; pos += step) {
        KeyAtPosition(h, 1, uint16_t(pos), ref, key, scale);
        ASSERT_TRUE(EngineOK) << what;
        KeyEntry at = (ref == 0 && key.empty()) ? first : KeyEntry(key, ref);
        ASSERT_TRUE(present.count(at)) << what << " pos " << pos << ": not an entry: " << key;
        ASSERT_LE(previous, at) << what << " pos " << pos;
        previous = at;
      }

      // Where each entry lies: in range and never backwards along the index.
      uint16_t before = 0;
      const size_t every = std::max<size_t>(1, all.size() / 300);
      for (size_t i = 0; i < all.size(); i += every) {
        uint16_t pos = 0xFFFF;
        KeyPosition(h, 1, pos, all[i].second, all[i].first, scale);
        ASSERT_TRUE(EngineOK) << what;
        ASSERT_LE(pos, scale) << what;
        ASSERT_GE(pos, before) << what << " entry " << i;
        before = pos;
      }
    }
    // With pages below the root, the browser's scale of 63 puts the first entry at 0 and the
    // last at 63.
    if (size.height > 1) {
      uint16_t pos = 99;
      KeyPosition(h, 1, pos, first.second, first.first, 63);
      EXPECT_EQ(pos, 0) << name;
      KeyPosition(h, 1, pos, last.second, last.first, 63);
      EXPECT_EQ(pos, 63) << name;
    }
    CloseFileBlock(h);
  }
}

TF_POOL_SIZES(KeyPositionTest);

}  // namespace
}  // namespace tf::engine::testing
