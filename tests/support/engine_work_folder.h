#pragma once
// For window tests (QTest): the program's working folder moved into a fresh temporary folder
// with the engine started, and the checker's verdict on a file block as one text.

#include <filesystem>
#include <string>

#include "engine/checker.h"
#include "engine/engine.h"
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

// The checker's findings on the file block `name`, one line each; empty when it is clean.
inline std::string CheckerFindings(const std::string& name, const engine::KeyBuilder& keys) {
  std::string text;
  for (const engine::Finding& f : engine::CheckFileBlock(name, &keys).findings) text += f.text + "\n";
  return text;
}

}  // namespace tf::test
