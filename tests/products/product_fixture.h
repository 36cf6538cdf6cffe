#pragma once
// A scratch data folder (the working directory while a test runs) with an initialised engine,
// product records built in code, and the integrity check every writing scenario ends with.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "engine/checking/checker.h"
#include "engine/core/engine.h"
#include "records/product_record.h"
#include "records/product_file.h"
#include "records/record_file.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/temp_folder.h"

namespace tf::products::testing {
using namespace records::product;

struct ProductValues {
  std::string code{};
  std::string description{};
  std::string price = "1.00";
  bool taxable = false;
  std::string notes{};
  std::string setupDate = "01/02/2026";
  std::string lastChanged{};
};

inline common::RecordBuffer MakeProduct(const ProductValues& v) {
  common::RecordBuffer r(kProductRecordLength);
  common::WriteText(r, kProductCode, v.code);
  common::WriteText(r, kProductDescription, v.description);
  common::WriteText(r, kSalesPrice, v.price);
  common::WriteBool(r, kTaxable, v.taxable);
  common::WriteText(r, kProductNotes, v.notes);
  common::WriteText(r, kSetupDate, v.setupDate);
  common::WriteText(r, kLastChangedDate, v.lastChanged);
  return r;
}

// The keys the checker expects of every live product record.
inline engine::KeyBuilder ProductKeyBuilder() {
  return [](std::span<const unsigned char> record) {
    return std::vector<std::string>{ProductKey(record, 1), ProductKey(record, 2)};
  };
}

class ProductFolderTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    engine::InitEngine(0, GetParam());
    ASSERT_TRUE(engine::EngineOK);
  }
  void TearDown() override {
    CloseProducts();
    engine::ExitEngine();
  }

  // Creates "1P" empty, with the product file's shape, and opens it as products_.
  engine::FileBlock* MakeProducts(const std::string& name = "1P") {
    const records::RecordFileKind& kind = ProductFileKind();
    engine::MakeFileBlock(name, kind.recordLength, int(kind.keys.size()), kind.keys);
    EXPECT_TRUE(engine::EngineOK) << engine::EngineStatus;
    engine::OpenFileBlock(products_, name);
    EXPECT_TRUE(engine::EngineOK) << engine::EngineStatus;
    return products_;
  }
  void CloseProducts() {
    if (products_) engine::CloseFileBlock(products_);
    products_ = nullptr;
  }

  // Closes products_ and checks the file block, records against keys.
  void ExpectClean(const std::string& name = "1P") {
    CloseProducts();
    const engine::KeyBuilder keys = ProductKeyBuilder();
    const engine::CheckResult result = engine::CheckFileBlock(name, &keys);
    for (const auto& f : result.findings) ADD_FAILURE() << f.text;
  }

  engine::FileBlock* products_ = nullptr;  // the test's own handle on the product file
  tf::test::TempFolder dir_{tf::test::TempFolder::Enter};
};

// Every entry of index keyNr in order.
inline std::vector<engine::testing::KeyEntry> Entries(engine::FileBlock* file, int keyNr) {
  return engine::testing::WalkKeys(file, keyNr);
}

}  // namespace tf::products::testing
