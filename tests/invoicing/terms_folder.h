#pragma once
// A fresh folder for the terms file "VQTERMS.DAT", removed after the test.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace tf::invoicing::testing {

class TermsFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    std::string tmpl = fs::is_directory("/dev/shm") ? "/dev/shm/tftermsXXXXXX" : "/tmp/tftermsXXXXXX";
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    folder_ = tmpl;
    file_ = folder_ / "VQTERMS.DAT";
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  void Write(const std::string& text) { std::ofstream(file_, std::ios::binary) << text; }

  std::filesystem::path folder_;
  std::filesystem::path file_;
};

}  // namespace tf::invoicing::testing
