#pragma once
// A fresh folder for the terms file "VQTERMS.DAT", removed after the test.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/temp_folder.h"

namespace tf::invoicing::testing {

class TermsFolderTest : public ::testing::Test {
 protected:
  void Write(const std::string& text) { std::ofstream(file_, std::ios::binary) << text; }

  tf::test::TempFolder dir_;
  std::filesystem::path folder_ = dir_.path();
  std::filesystem::path file_ = folder_ / "VQTERMS.DAT";
};

}  // namespace tf::invoicing::testing
