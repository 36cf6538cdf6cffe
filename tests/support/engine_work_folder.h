#pragma once
// A fresh temporary folder as the program's working directory with the engine started, for
// GoogleTest fixtures (data_folder_test.h) and window tests (QTest) alike; and the integrity
// checker's findings as one text.

#include <string>

#include "engine/checking/checker.h"
#include "engine/core/engine.h"
#include "tests/support/temp_folder.h"

namespace tf::test {

// Until destroyed, the current folder is a new temporary folder and the engine runs with
// `pageBuffers` buffers; afterwards the engine is stopped and the previous folder current again.
// Check engine::EngineOK after constructing.
class EngineWorkFolder {
 public:
  explicit EngineWorkFolder(int pageBuffers = 30) { engine::InitEngine(0, pageBuffers); }
  ~EngineWorkFolder() { engine::ExitEngine(); }
  EngineWorkFolder(const EngineWorkFolder&) = delete;
  EngineWorkFolder& operator=(const EngineWorkFolder&) = delete;

  const std::string& path() const { return dir_.path(); }

 private:
  TempFolder dir_{TempFolder::Enter};
};

// The checker's findings as one text, empty when the file block is clean.
inline std::string Findings(const std::string& block, const engine::KeyBuilder& keys) {
  std::string out;
  for (const engine::Finding& f : engine::CheckFileBlock(block, &keys).findings) out += f.text + "\n";
  return out;
}

}  // namespace tf::test
