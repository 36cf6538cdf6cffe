// The product file block: opening (created when missing, rebuilt when its index is damaged),
// the lookups by code, and the guarded add / modify / delete keeping records and both keys
// consistent.

#include <gtest/gtest.h>

#include <filesystem>

#include "common/scripted_prompter.h"
#include "records/product_file.h"
#include "tests/products/product_fixture.h"
#include "tests/support/status_sinks.h"

namespace tf::products {
namespace {

using namespace records::product;

using common::PromptAnswer;
using engine::EngineOK;
using testing::Entries;
using testing::MakeProduct;

// A status window that only counts what it was shown.
struct SilentStatus : engine::RebuildStatus {
  std::vector<std::string> titles;
  void Show(std::string_view title) override { titles.emplace_back(title); }
  void Lines(std::string_view, std::string_view, std::string_view) override {}
  void Close() override {}
};

class ProductFileTest : public testing::ProductFolderTest {
 protected:
  std::int32_t Add(const testing::ProductValues& v) {
    std::int32_t ref = 0;
    EXPECT_TRUE(records::AddKeyedRecord(products_, ProductFileKind(), MakeProduct(v), ref, prompter)) << engine::EngineStatus;
    return ref;
  }
  common::RecordBuffer Read(std::int32_t ref) {
    common::RecordBuffer r(kProductRecordLength);
    engine::GetRecord(products_, ref, r.data());
    EXPECT_TRUE(EngineOK);
    return r;
  }
  common::ScriptedPrompter prompter;
};

TEST_P(ProductFileTest, CodesDifferingInCaseOrBlanksCollide) {
  MakeProducts();
  Add({.code = "ab1 ", .description = "first"});
  std::int32_t ref = 0;
  EXPECT_FALSE(records::AddKeyedRecord(products_, ProductFileKind(), MakeProduct({.code = "AB1", .description = "second"}), ref, prompter));
  EXPECT_EQ(engine::EngineStatus, engine::status::kDuplicateKey);
  EXPECT_EQ(engine::UsedRecords(products_), 1);
  EXPECT_EQ(engine::UsedKeys(products_, 2), 1);
  ExpectClean();
}

TEST_P(ProductFileTest, SameDescriptionsAreKeptInRecordOrder) {
  MakeProducts();
  const auto a = Add({.code = "B", .description = "Same"});
  const auto b = Add({.code = "A", .description = "same "});
  const auto entries = Entries(products_, 2);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].second, a);
  EXPECT_EQ(entries[1].second, b);
  ExpectClean();
}

TEST_P(ProductFileTest, EditingTheNotesMovesNoKeyAndEditingTheCodeMovesKey1Only) {
  MakeProducts();
  const auto ref = Add({.code = "P1", .description = "Pump"});
  Add({.code = "P2", .description = "Pipe"});
  const auto keys1 = Entries(products_, 1);
  const auto keys2 = Entries(products_, 2);

  auto unedited = Read(ref);
  auto edited = unedited;
  common::WriteText(edited, kProductNotes, "new notes");
  ASSERT_TRUE(records::ModifyKeyedRecord(products_, ProductFileKind(), ref, edited, unedited, prompter));
  EXPECT_EQ(Entries(products_, 1), keys1);
  EXPECT_EQ(Entries(products_, 2), keys2);
  EXPECT_EQ(common::ReadText(Read(ref), kProductNotes), "new notes");

  unedited = Read(ref);
  edited = unedited;
  common::WriteText(edited, kProductCode, "Z9");
  ASSERT_TRUE(records::ModifyKeyedRecord(products_, ProductFileKind(), ref, edited, unedited, prompter));
  const auto moved = Entries(products_, 1);
  ASSERT_EQ(moved.size(), 2u);
  EXPECT_EQ(moved[1], (engine::testing::KeyEntry{"Z9        ", ref}));
  EXPECT_EQ(Entries(products_, 2), keys2);
  ExpectClean();
}

TEST_P(ProductFileTest, ReservedBytesSurviveAnEdit) {
  MakeProducts();
  const auto ref = Add({.code = "R", .description = "Reserved"});
  // A record written by another program with something in the reserved ranges.
  auto stored = Read(ref);
  for (std::size_t i : {48u, 58u, 71u, 81u, 255u, 299u}) stored.data()[i] = std::uint8_t(i);
  engine::PutRecord(products_, ref, stored.data());
  ASSERT_TRUE(EngineOK);
  auto edited = stored;
  common::WriteText(edited, kProductDescription, "Renamed");
  common::WriteText(edited, kSalesPrice, "99.99");
  ASSERT_TRUE(records::ModifyKeyedRecord(products_, ProductFileKind(), ref, edited, stored, prompter));
  const auto after = Read(ref);
  for (std::size_t i : {48u, 58u, 71u, 81u, 255u, 299u}) EXPECT_EQ(after.data()[i], std::uint8_t(i)) << i;
  ExpectClean();
}

TEST_P(ProductFileTest, AnEditOverAChangedRecordChangesNothing) {
  MakeProducts();
  const auto ref = Add({.code = "X", .description = "Original"});
  const auto unedited = Read(ref);
  // Someone else saves first.
  auto theirs = unedited;
  common::WriteText(theirs, kProductDescription, "Theirs");
  ASSERT_TRUE(records::ModifyKeyedRecord(products_, ProductFileKind(), ref, theirs, unedited, prompter));
  auto mine = unedited;
  common::WriteText(mine, kProductCode, "MINE");
  EXPECT_FALSE(records::ModifyKeyedRecord(products_, ProductFileKind(), ref, mine, unedited, prompter));
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"The record has changed in the meantime."});
  EXPECT_EQ(Read(ref), theirs);
  EXPECT_EQ(Entries(products_, 1), (std::vector<engine::testing::KeyEntry>{{"X         ", ref}}));
  ExpectClean();
}

TEST_P(ProductFileTest, DeleteRemovesRecordAndBothKeys) {
  MakeProducts();
  const auto a = Add({.code = "A", .description = "Alpha"});
  const auto b = Add({.code = "B", .description = "Beta"});
  ASSERT_TRUE(records::DeleteKeyedRecord(products_, ProductFileKind(), a, Read(a), prompter));
  EXPECT_EQ(Entries(products_, 1), (std::vector<engine::testing::KeyEntry>{{"B         ", b}}));
  EXPECT_EQ(Entries(products_, 2).size(), 1u);
  EXPECT_EQ(engine::UsedRecords(products_), 1);
  ExpectClean();
}

TEST_P(ProductFileTest, FindByCodeTellsExactHitsFromNeighbours) {
  MakeProducts();
  const auto b = Add({.code = "B200", .description = "Bolt"});
  std::int32_t ref = 0;
  std::string key;
  ASSERT_TRUE(FindProductByCode(products_, " b200", ref, key));
  EXPECT_EQ(ref, b);
  EXPECT_EQ(key, CodeKey("B200"));
  // A code that is not there lands on the next one, which is not an exact hit.
  ASSERT_TRUE(FindProductByCode(products_, "A", ref, key));
  EXPECT_NE(key, CodeKey("A"));
  common::RecordBuffer r(kProductRecordLength);
  EXPECT_FALSE(ReadProductByCode(products_, "A", ref, r));
  EXPECT_FALSE(ReadProductByCode(products_, "C", ref, r));
  ASSERT_TRUE(ReadProductByCode(products_, "b200", ref, r));
  EXPECT_EQ(common::ReadText(r, kProductDescription), "Bolt");
  ExpectClean();
}

TEST_P(ProductFileTest, OpeningAMissingFileCreatesItAfterTheNotice) {
  SilentStatus status;
  ASSERT_TRUE(OpenProductFile(products_, "1", prompter, status));
  ASSERT_EQ(prompter.Shown().size(), 1u);
  EXPECT_EQ(prompter.Shown()[0].text, "I am going to create a new, empty product file for this company.");
  EXPECT_EQ(prompter.Shown()[0].caption, "New Company");
  EXPECT_EQ(prompter.Shown()[0].buttons, common::PromptButtons::OK);
  EXPECT_EQ(engine::RecordLength(products_), kProductRecordLength);
  EXPECT_EQ(engine::KeyCount(products_), 2);
  ExpectClean();
}

TEST_P(ProductFileTest, ADamagedIndexIsRebuiltWhenTheUserAgrees) {
  MakeProducts();
  const auto a = Add({.code = "A", .description = "Alpha"});
  Add({.code = "B", .description = "Beta"});
  CloseProducts();
  std::filesystem::remove("1P.IX");

  tf::test::RecordingStatus status;
  prompter.Answer(PromptAnswer::No);
  EXPECT_FALSE(OpenProductFile(products_, "1", prompter, status));
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Index file is defective.  Rebuild?"});

  prompter.Clear();
  prompter.Answer(PromptAnswer::Yes);
  ASSERT_TRUE(OpenProductFile(products_, "1", prompter, status));
  EXPECT_EQ(status.titles, std::vector<std::string>{"Products"});
  EXPECT_EQ(Entries(products_, 1).front(), (engine::testing::KeyEntry{"A         ", a}));
  EXPECT_EQ(engine::UsedKeys(products_, 2), 2);
  ExpectClean();
}

TF_POOL_SIZES(ProductFileTest);

}  // namespace
}  // namespace tf::products
