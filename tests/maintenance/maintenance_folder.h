#pragma once
// What the maintenance tests share: a data folder with books in it (a company, customers, paid
// and open invoices, a memo invoice) made through the tool as a user makes one, the data files
// of a folder with their bytes, and Python run on a script of the test's own (Python's zipfile
// builds and reads archives as other tools do).

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/side_file.h"
#include "maintenance/file_mask.h"
#include "tests/app/cli_run.h"
#include "tests/app/invoice_folder.h"
#include "tests/support/temp_folder.h"

namespace tf::test {

// Invoices of the folder MakeBooksFolder makes: paid, partly paid and open ones, and a memo.
inline constexpr const char* kBooksInvoices =
    "InvoiceNumber,InvoiceType,CustomerNumber,InvoiceDate,PaidAmount,Quantity,Description,UnitPrice,TaxMark,"
    "NetAmount,MemoText\n"
    "100,P,C1,01/15/2020,10.00,1,Widget,10,N,,\n"
    "100,P,C1,01/15/2020,10.00,2,Gadget,0,N,,\n"
    "101,P,C2,02/20/2021,0.00,3,Bolt,2.50,N,,\n"
    "102,M,C3,03/05/2019,40.00,1,Consulting,,,40.00,Work done in March\n"
    "103,P,C1,06/30/2024,5.00,1,Nut,12,N,,\n";

// A data folder `folder` with a company, three customers and the invoices above; `scratch`
// holds the CSV files on the way.
inline void MakeBooksFolder(const std::filesystem::path& folder, const std::filesystem::path& scratch) {
  MakeInvoiceFolder(folder, scratch);
  const std::string invoices = (scratch / "invoices.csv").string();
  common::ReplaceFile(invoices, kBooksInvoices);
  const auto imported = cli::testing::RunTool({"--data", folder.string(), "import", "invoices", invoices});
  ASSERT_EQ(imported.status, 0) << imported.err << imported.out;
}

// The data files of `folder` (what a backup takes) with their bytes, by name.
inline FolderImage DataFileBytes(const std::filesystem::path& folder) {
  FolderImage files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && maintenance::MatchesBackupMask(name))
      files.emplace_back(name, common::ReadWholeFile(entry.path()));
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Every name in `folder`, files and folders alike, sorted.
inline std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Runs `script` with python3 and the arguments; its exit status (-1 when it did not run).
inline int RunPython(const std::filesystem::path& scratch, const std::string& script,
                     const std::vector<std::string>& args) {
  const std::filesystem::path file = scratch / "script.py";
  common::ReplaceFile(file, script);
  std::string command = "python3 '" + file.string() + "'";
  for (const std::string& a : args) command += " '" + a + "'";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A scratch folder holding the data folder "data" with books in it (MakeBooksFolder). A
// fixture whose EntersDataFolder says so runs with the data folder as working directory.
template <typename Base = ::testing::Test>
class BooksFolderTestOn : public Base {
 protected:
  virtual bool EntersDataFolder() const { return false; }
  void SetUp() override {
    data_ = std::filesystem::path(scratch_.path()) / "data";
    MakeBooksFolder(data_, scratch_.path());
    if (EntersDataFolder()) {
      previous_ = std::filesystem::current_path();
      std::filesystem::current_path(data_);
    }
  }
  void TearDown() override {
    if (!previous_.empty()) std::filesystem::current_path(previous_);
  }

  TempFolder scratch_;
  std::filesystem::path data_, previous_;
};
using BooksFolderTest = BooksFolderTestOn<>;

// The tool run in-process with `input` as its standard input (what a user types at it).
inline cli::testing::ToolRun RunToolWithInput(const std::vector<std::string>& args, const std::string& input) {
  std::istringstream in(input);
  std::streambuf* saved = std::cin.rdbuf(in.rdbuf());
  cli::testing::ToolRun run = cli::testing::RunTool(args);
  std::cin.rdbuf(saved);
  return run;
}

// Until destroyed, files of this process cannot grow past `bytes`: a write beyond fails as on a
// full disk (EFBIG) instead of raising the signal that would end the test.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    handler_ = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved_;
    small.rlim_cur = bytes;
    set_ = setrlimit(RLIMIT_FSIZE, &small) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  bool set() const { return set_; }

 private:
  struct rlimit saved_ {};
  void (*handler_)(int) = nullptr;
  bool set_ = false;
};

}  // namespace tf::test
