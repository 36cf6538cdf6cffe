#include "common/data_folder.h"

#include <gtest/gtest.h>

namespace tf::common {
namespace {

namespace fs = std::filesystem;

TEST(DataFolderTest, DefaultFollowsXdgThenHome) {
  EXPECT_EQ(DefaultDataFolder("/x/data", "/home/u"), fs::path("/x/data/tallyfold"));
  EXPECT_EQ(DefaultDataFolder("", "/home/u"), fs::path("/home/u/.local/share/tallyfold"));
  EXPECT_EQ(DefaultDataFolder(nullptr, "/home/u"), fs::path("/home/u/.local/share/tallyfold"));
  EXPECT_TRUE(DefaultDataFolder(nullptr, nullptr).empty());
}

}  // namespace
}  // namespace tf::common
