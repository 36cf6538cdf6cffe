#include "app/cli/check_books.h"
#include "app/cli/cli.h"
#include "app/cli/commands.h"
#include "engine/checking/checker.h"
#include "records/file_blocks.h"
#include "records/staged_block.h"

namespace tf::cli {

int RunCheck(CommandContext& c, const std::vector<std::string>& args) {
  std::vector<std::string> blocks = args.empty() ? records::ListFileBlocks(c.extensions.sideFiles) : args;
  int problems = 0, damaged = 0;
  for (const std::string& name : blocks) {
    if (records::StagedChangePending(name)) {
      // Its files may be half switched: what is there now is not what the next open sees.
      c.out << name << ": an import was cut short while its files were being put in place; the next open or "
                       "rebuild of "
            << name << " completes it\n";
      ++problems;
      ++damaged;
      continue;
    }
    const records::RecordKind* kind = c.extensions.recordKinds.Find(name);
    engine::CheckResult result =
        kind ? engine::CheckFileBlock(name, kind->Check()) : engine::CheckFileBlock(name);
    for (const engine::Finding& finding : result.findings) c.out << name << ": " << finding.text << "\n";
    problems += int(result.findings.size());
    damaged += result.Clean() ? 0 : 1;
  }
  // The invariants between the blocks, once every block is sound enough to read.
  if (args.empty() && problems == 0) {
    const int breaks = CheckAllBooks(c);
    problems += breaks;
    damaged += breaks ? 1 : 0;
  }
  if (problems == 0) {
    c.out << blocks.size() << " file block" << (blocks.size() == 1 ? "" : "s") << " checked in "
          << c.dataFolder.string() << ": no problems\n";
    return kExitOk;
  }
  c.err << problems << " problem" << (problems == 1 ? "" : "s") << " in " << damaged << " of "
        << blocks.size() << " file blocks\n";
  return kExitProblems;
}

}  // namespace tf::cli
