// The company file block's open procedure, the start-up file and the company record update.

#include "records/company_store.h"

#include <gtest/gtest.h>

#include <fstream>
#include <system_error>

#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "records/company_record.h"
#include "tests/support/data_folder_test.h"

namespace tf::records::testing {
namespace {

using namespace ::tf::test;

using common::PromptAnswer;
using common::RecordBuffer;
using common::ScriptedPrompter;
using engine::EngineOK;
using engine::EngineStatus;
using namespace company;

const engine::KeyBuilder kCompanyKeys = [](std::span<const unsigned char> r) {
  return std::vector<std::string>{CompanyKey(r, 1), CompanyKey(r, 2)};
};

RecordBuffer Company(std::string_view number, std::string_view name, std::string_view balance = "0.00") {
  RecordBuffer r(kCompanyRecordLength);
  common::WriteText(r, kCompanyNumber, number);
  common::WriteText(r, kCompanyName, name);
  common::WriteText(r, kCompanyBalance, balance);
  r.data()[2000 - 11] = 0x5A;  // a reserved byte every update must carry
  return r;
}

std::string Bytes(const RecordBuffer& r) { return std::string(reinterpret_cast<const char*>(r.data()), r.size()); }

class CompanyStoreTest : public DataFolderTest {
 protected:
  // The company file block holding `companies`, closed.
  void MakeCompanies(const std::vector<RecordBuffer>& companies) {
    ScriptedPrompter prompter{PromptAnswer::OK};
    engine::FileBlockGuard block;
    ASSERT_TRUE(OpenCompanyFile(block.handle(), prompter, status_)) << EngineStatus;
    for (const RecordBuffer& c : companies) {
      std::int32_t ref = 0;
      ASSERT_TRUE(AddKeyedRecord(block.get(), CompanyFileKind(), c, ref, prompter)) << EngineStatus;
    }
  }

  RecordBuffer StoredCompany(std::string_view number) {
    engine::FileBlockGuard block;
    engine::OpenFileBlock(block.handle(), "Company");
    EXPECT_TRUE(EngineOK) << EngineStatus;
    RecordBuffer r(kCompanyRecordLength);
    const std::int32_t ref = FindCompany(block.get(), number);
    EXPECT_NE(ref, 0) << number;
    if (ref) engine::GetRecord(block.get(), ref, r.data());
    return r;
  }

  RecordingStatus status_;
};

// --- opening the company file block ---------------------------------------------------------

TEST_F(CompanyStoreTest, MissingFilesAreCreatedAfterTheNoticeOrLeftAloneOnCancel) {
  ScriptedPrompter cancel{PromptAnswer::Cancel};
  engine::FileBlock* h = nullptr;
  EXPECT_FALSE(OpenCompanyFile(h, cancel, status_));
  EXPECT_EQ(EngineStatus, engine::status::kFileNotFound);
  ASSERT_EQ(cancel.Shown().size(), 1u);
  EXPECT_EQ(cancel.Shown()[0].text, "I am going to create a new, empty company file.");
  EXPECT_EQ(cancel.Shown()[0].caption, "New Company");
  EXPECT_EQ(cancel.Shown()[0].buttons, common::PromptButtons::OKCancel);
  EXPECT_FALSE(std::filesystem::exists("Company.DAT"));

  ScriptedPrompter ok{PromptAnswer::OK};
  ASSERT_TRUE(OpenCompanyFile(h, ok, status_)) << EngineStatus;
  EXPECT_EQ(engine::RecordLength(h), 2736);
  EXPECT_EQ(engine::KeyCount(h), 2);
  EXPECT_EQ(engine::UsedRecords(h), 0);
  engine::CloseFileBlock(h);
  EXPECT_EQ(Findings("Company", kCompanyKeys), "");
}

TEST_F(CompanyStoreTest, DefectiveIndexIsRebuiltOnYesAndGivenUpOnNo) {
  MakeCompanies({Company("1", "Alpha"), Company("2", "Beta")});
  std::filesystem::remove("Company.IX");
  engine::FileBlock* h = nullptr;

  ScriptedPrompter no{PromptAnswer::No};
  EXPECT_FALSE(OpenCompanyFile(h, no, status_));
  EXPECT_EQ(EngineStatus, engine::status::kIndexDefective);
  EXPECT_EQ(no.Texts(), std::vector<std::string>{"Index file is defective.  Rebuild?"});

  ScriptedPrompter yes{PromptAnswer::Yes};
  ASSERT_TRUE(OpenCompanyFile(h, yes, status_)) << EngineStatus;
  EXPECT_EQ(status_.titles, std::vector<std::string>{"Companies"});
  EXPECT_EQ(engine::UsedKeys(h, 1), 2);
  EXPECT_NE(FindCompany(h, "2"), 0);
  engine::CloseFileBlock(h);
  EXPECT_EQ(Findings("Company", kCompanyKeys), "");
}

TEST_F(CompanyStoreTest, AnyOtherOpenFailureGivesUpWithoutAsking) {
  std::filesystem::create_directory("Company.DAT");  // cannot be opened as a file
  ScriptedPrompter prompter;
  engine::FileBlock* h = nullptr;
  EXPECT_FALSE(OpenCompanyFile(h, prompter, status_));
  EXPECT_NE(EngineStatus, engine::status::kFileNotFound);
  EXPECT_NE(EngineStatus, engine::status::kIndexDefective);
  EXPECT_TRUE(prompter.Shown().empty());
  EXPECT_EQ(kUnableToOpenCompanyDatabase, "Unable to open company database");
}

TEST_F(CompanyStoreTest, FindCompanyTakesOnlyTheExactNumber) {
  MakeCompanies({Company("1", "Alpha"), Company("3", "Gamma"), Company("10", "Delta")});
  engine::FileBlockGuard block;
  engine::OpenFileBlock(block.handle(), "Company");
  ASSERT_TRUE(EngineOK);
  EXPECT_EQ(FindCompany(block.get(), "3"), 2);
  EXPECT_EQ(FindCompany(block.get(), " 3 "), 2);
  EXPECT_EQ(FindCompany(block.get(), "10"), 3);
  EXPECT_EQ(FindCompany(block.get(), "2"), 0) << "company 3 follows in the index but is not company 2";
  EXPECT_EQ(FindCompany(block.get(), "99"), 0);
}

TEST_F(CompanyStoreTest, SameNameTwiceIsAllowedSameNumberTwiceIsNot) {
  MakeCompanies({Company("1", "Alpha"), Company("2", "Alpha")});
  engine::FileBlockGuard block;
  engine::OpenFileBlock(block.handle(), "Company");
  ScriptedPrompter prompter;
  std::int32_t ref = 0;
  EXPECT_FALSE(AddKeyedRecord(block.get(), CompanyFileKind(), Company(" 2", "Other"), ref, prompter));
  EXPECT_EQ(EngineStatus, engine::status::kDuplicateKey);
  EXPECT_EQ(engine::UsedRecords(block.get()), 2);
  EXPECT_EQ(engine::UsedKeys(block.get(), 2), 2);
  block.Close();
  EXPECT_EQ(Findings("Company", kCompanyKeys), "");
}

// --- the start-up file -----------------------------------------------------------------------

TEST_F(CompanyStoreTest, StartupFileHoldsExactlyTheWorkRecordAfterEverySave) {
  CompanyBook book;
  for (const char* name : {"First", "Second Company With A Long Name", ""}) {
    const RecordBuffer c = Company("4", name);
    std::copy(c.begin(), c.end(), book.Work().begin());
    book.SaveStartupFile();
    EXPECT_EQ(std::filesystem::file_size("LastCo.Dat"), 2736u);
    EXPECT_EQ(common::ReadWholeFile("LastCo.Dat"), Bytes(c));
    EXPECT_TRUE(std::ranges::equal(book.Current(), c));
  }
  EXPECT_FALSE(std::filesystem::exists("LastCo.Dat.new"));

  CompanyBook reread;
  reread.ReadStartupFile();
  EXPECT_TRUE(std::ranges::equal(reread.Current(), Company("4", "")));
}

TEST_F(CompanyStoreTest, FailedSaveLeavesTheOldFileAndTheCurrentCompany) {
  CompanyBook book;
  const RecordBuffer old = Company("1", "Old");
  std::copy(old.begin(), old.end(), book.Work().begin());
  book.SaveStartupFile();

  std::filesystem::create_directory("LastCo.Dat.new");  // the replacement cannot be written
  const RecordBuffer next = Company("2", "New");
  std::copy(next.begin(), next.end(), book.Work().begin());
  EXPECT_THROW(book.SaveStartupFile(), std::system_error);
  EXPECT_EQ(common::ReadWholeFile("LastCo.Dat"), Bytes(old));
  EXPECT_TRUE(std::ranges::equal(book.Current(), old));
}

TEST_F(CompanyStoreTest, ReadingTheStartupFileNeedsOneWholeRecord) {
  CompanyBook book;
  EXPECT_THROW(book.ReadStartupFile(), std::system_error) << "missing";
  {
    std::ofstream out("LastCo.Dat", std::ios::binary);
    out << std::string(2735, '\0');
  }
  EXPECT_THROW(book.ReadStartupFile(), std::system_error) << "one byte short";
  const RecordBuffer c = Company("9", "Longer file");
  {
    std::ofstream out("LastCo.Dat", std::ios::binary);
    out << Bytes(c) << "trailing";
  }
  book.ReadStartupFile();
  EXPECT_TRUE(std::ranges::equal(book.Current(), c));
}

// --- refreshing and updating the current company --------------------------------------------

TEST_F(CompanyStoreTest, RefreshReplacesTheCurrentCompanyByItsStoredRecord) {
  MakeCompanies({Company("1", "Alpha", "10.00"), Company("2", "Beta", "20.00")});
  CompanyBook book;
  const RecordBuffer stale = Company("2", "Beta (old copy)", "0.00");
  std::copy(stale.begin(), stale.end(), book.Current().begin());
  engine::FileBlockGuard block;
  engine::OpenFileBlock(block.handle(), "Company");
  ASSERT_TRUE(book.RefreshCurrent(block.get()));
  EXPECT_EQ(common::ReadText(book.Current(), kCompanyName), "Beta");
  EXPECT_EQ(common::ReadText(book.Current(), kCompanyBalance), "20.00");

  const RecordBuffer gone = Company("5", "Gone");
  std::copy(gone.begin(), gone.end(), book.Current().begin());
  EXPECT_FALSE(book.RefreshCurrent(block.get()));
  EXPECT_TRUE(std::ranges::equal(book.Current(), gone));
}

TEST_F(CompanyStoreTest, UpdateWritesTheChangeToTheFileAndTheCurrentCompany) {
  MakeCompanies({Company("1", "Alpha", "10.00"), Company("2", "Beta", "20.00")});
  CompanyBook book;
  const RecordBuffer beta = StoredCompany("2");
  std::copy(beta.begin(), beta.end(), book.Current().begin());
  ScriptedPrompter prompter;
  ASSERT_TRUE(book.UpdateCurrentCompany(
      [](std::span<std::uint8_t> work) {
        common::WriteText(work, kCompanyBalance, "125.50");
        common::WriteText(work, kNextInvoiceNumber, "101");
      },
      prompter, status_))
      << EngineStatus;
  EXPECT_TRUE(prompter.Shown().empty());
  const RecordBuffer stored = StoredCompany("2");
  EXPECT_EQ(common::ReadText(stored, kCompanyBalance), "125.50");
  EXPECT_EQ(common::ReadText(stored, kNextInvoiceNumber), "101");
  EXPECT_EQ(stored.data()[2000 - 11], 0x5A) << "reserved bytes are carried";
  EXPECT_TRUE(std::ranges::equal(book.Current(), stored));
  EXPECT_TRUE(std::ranges::equal(book.Work(), stored));
  EXPECT_EQ(common::ReadText(StoredCompany("1"), kCompanyBalance), "10.00");
  EXPECT_EQ(Findings("Company", kCompanyKeys), "");
}

TEST_F(CompanyStoreTest, UpdateThatRenamesTheCompanyKeepsItsNameKeyInStep) {
  MakeCompanies({Company("1", "Alpha"), Company("2", "Beta")});
  CompanyBook book;
  const RecordBuffer alpha = StoredCompany("1");
  std::copy(alpha.begin(), alpha.end(), book.Current().begin());
  ScriptedPrompter prompter;
  ASSERT_TRUE(book.UpdateCurrentCompany(
      [](std::span<std::uint8_t> work) { common::WriteText(work, kCompanyName, "Omega"); }, prompter, status_));
  EXPECT_EQ(Findings("Company", kCompanyKeys), "");
}

TEST_F(CompanyStoreTest, UpdateOfACompanyNotInTheFileChangesNothing) {
  MakeCompanies({Company("1", "Alpha"), Company("3", "Gamma", "30.00")});
  CompanyBook book;
  const RecordBuffer missing = Company("2", "Missing");
  std::copy(missing.begin(), missing.end(), book.Current().begin());
  ScriptedPrompter prompter;
  EXPECT_FALSE(book.UpdateCurrentCompany(
      [](std::span<std::uint8_t> work) { common::WriteText(work, kCompanyBalance, "99.00"); }, prompter, status_));
  EXPECT_TRUE(std::ranges::equal(book.Current(), missing));
  EXPECT_EQ(common::ReadText(StoredCompany("3"), kCompanyBalance), "30.00") << "the next company is not touched";
  EXPECT_EQ(Findings("Company", kCompanyKeys), "");
}

}  // namespace
}  // namespace tf::records::testing
