// The payment terms file: created with the nine terms when missing, read whole in either line
// ending, kept in case-insensitive order, written whole with CR LF.

#include "invoicing/payment_terms.h"

#include <gtest/gtest.h>

#include <system_error>

#include "common/side_file.h"
#include "tests/invoicing/terms_folder.h"

namespace tf::invoicing {
namespace {

namespace fs = std::filesystem;

using PaymentTermsTest = testing::TermsFolderTest;

TEST_F(PaymentTermsTest, MissingFileIsCreatedWithTheNineTerms) {
  const std::vector<std::string> nine = {"1% 10 Net 30",       "2% 10 Net 30",   "Credit Card - American Express",
                                         "Credit Card - Master Card", "Credit Card - Visa", "Due On Receipt",
                                         "Net 10 Days",        "Net 20 Days",    "Net 30 Days"};
  EXPECT_EQ(DefaultTerms(), nine);
  EXPECT_EQ(LoadTerms(file_), nine);
  std::string expected;
  for (const std::string& t : nine) expected += t + "\r\n";
  EXPECT_EQ(common::ReadWholeFile(file_), expected);
  // An existing file, even an empty one, is read as it is.
  Write("");
  EXPECT_TRUE(LoadTerms(file_).empty());
  EXPECT_EQ(common::ReadWholeFile(file_), "");
}

TEST_F(PaymentTermsTest, SavedTermsAreSortedWithoutRegardToCaseAndEndInCrLf) {
  SaveTerms({"Net 60 Days", "net 30 days", "Net 45 Days", "COD", "cash", "Net 30 Days"}, file_);
  EXPECT_EQ(common::ReadWholeFile(file_), "cash\r\nCOD\r\nnet 30 days\r\nNet 30 Days\r\nNet 45 Days\r\nNet 60 Days\r\n");
  EXPECT_EQ(LoadTerms(file_),
            (std::vector<std::string>{"cash", "COD", "net 30 days", "Net 30 Days", "Net 45 Days", "Net 60 Days"}));
}

TEST_F(PaymentTermsTest, ReadsEitherLineEndingAndSkipsEmptyLines) {
  const std::string longest(kMaxTermLength, 'x');
  Write("Net 60 Days\nDue On Receipt\r\n\r\n\n" + longest + "\r\nNet 45 Days");
  EXPECT_EQ(LoadTerms(file_), (std::vector<std::string>{"Due On Receipt", "Net 45 Days", "Net 60 Days", longest}));
}

TEST_F(PaymentTermsTest, FailedSaveLeavesTheOldFile) {
  SaveTerms({"Net 30 Days"}, file_);
  fs::create_directory(folder_ / "VQTERMS.DAT.new");
  EXPECT_THROW(SaveTerms({"Net 10 Days"}, file_), std::system_error);
  EXPECT_EQ(common::ReadWholeFile(file_), "Net 30 Days\r\n");
}

}  // namespace
}  // namespace tf::invoicing
