#include "app/cli/cli.h"
#include "app/cli/commands.h"
#include "app/cli/dump_format.h"
#include "engine/checking/checker.h"

namespace tf::cli {

int RunDump(CommandContext& c, const std::vector<std::string>& args) {
  std::vector<std::string> names;
  bool hex = false;
  for (const std::string& a : args) {
    if (a == "--hex") hex = true;
    else names.push_back(a);
  }
  if (names.size() != 1) {
    c.err << "tallyfold-cli: dump takes one file block name (and optionally --hex)\n";
    return kExitUsage;
  }
  const std::string& name = names.front();
  const records::RecordKind* kind = c.extensions.recordKinds.Find(name);
  engine::FileBlockLayout layout =
      engine::ReadFileBlockLayout(name, kind && kind->keys ? &kind->keys : nullptr);
  if (!layout.dataFound) {
    c.err << "tallyfold-cli: no file block " << name << " in " << c.dataFolder.string() << " ("
          << layout.findings.front().text << ")\n";
    return kExitUsage;
  }
  PrintLayout(c.out, name, layout, kind, hex);
  return layout.findings.empty() ? kExitOk : kExitProblems;
}

}  // namespace tf::cli
