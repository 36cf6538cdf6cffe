#pragma once
// For window tests (QTest): the program's working folder moved into a fresh temporary folder
// with the engine started.

#include <filesystem>
#include <string>

#include "engine/core/engine.h"
#include "tests/engine/engine_fixture.h"

namespace tf::test {

// Until destroyed, the current folder is a new temporary folder and the engine runs with
// `pageBuffers` buffers; afterwards the engine is stopped and the previous folder current again.
// Check engine::EngineOK after constructing.
class EngineWorkFolder {
 public:
  explicit EngineWorkFolder(int pageBuffers = 30) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir_.path());
    engine::InitEngine(0, pageBuffers);
  }
  ~EngineWorkFolder() {
    engine::ExitEngine();
    std::filesystem::current_path(previous_);
  }
  EngineWorkFolder(const EngineWorkFolder&) = delete;
  EngineWorkFolder& operator=(const EngineWorkFolder&) = delete;

  const std::string& path() const { return dir_.path(); }

 private:
  engine::testing::TempFolder dir_;
  std::filesystem::path previous_;
};

}  // namespace tf::test
