#pragma once
// A GoogleTest fixture: a temporary data folder as the program's working directory, with the
// engine initialised with the smallest pool (so changes are written back inside the operations
// under test).

#include <gtest/gtest.h>

#include <memory>

#include "engine/core/engine.h"
#include "tests/support/engine_work_folder.h"
#include "tests/support/status_sinks.h"

namespace tf::test {

class DataFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::make_unique<EngineWorkFolder>(engine::kMinPageBuffers);
    ASSERT_TRUE(engine::EngineOK) << engine::EngineStatus;
  }
  void TearDown() override { folder_.reset(); }

  std::unique_ptr<EngineWorkFolder> folder_;
};

}  // namespace tf::test
