// The command-line rebuild: its arguments, its progress line, and the file block it leaves.

#include "app/cli/rebuild_command.h"

#include <sstream>

#include "app/cli/cli.h"
#include "tests/rebuild/rebuild_fixture.h"

namespace tf::engine::rebuild_test {
namespace {

struct CommandRun {
  int exit;
  std::string out, err;
};

class RebuildCommandTest : public RebuildTest {
 protected:
  CommandRun Run(const std::vector<std::string>& args, const cli::Extensions& extensions = {}) {
    std::ostringstream out, err;
    cli::CommandContext context{dir_.path(), out, err, extensions};
    const int exit = cli::RunRebuild(context, args);
    return {exit, out.str(), err.str()};
  }
  std::vector<std::string> Args(const std::string& name, std::vector<std::string> keys) {
    std::vector<std::string> args = {Name(name), "--record-length", "64"};
    for (const std::string& k : keys) {
      args.push_back("--key");
      args.push_back(k);
    }
    return args;
  }
};

// The keys the command builds from the text fields: trimmed, padded, upper-cased.
std::string PaddedUpper(std::string text, size_t width) {
  for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
  text.resize(std::max(width, text.size()), ' ');
  return text;
}

TEST_P(RebuildCommandTest, RebuildsFromTextFieldsWithAProgressLine) {
  const std::vector<Bytes> live = MakeCrashedBlock("CLI", 120);
  const CommandRun run = Run(Args("CLI", {"9:0:4", "19:1:14"}));
  ASSERT_EQ(run.exit, cli::kExitOk) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string expected = "Rebuilding " + Name("CLI") + "\n" +
                               "\rKey number: 0  Records read: 50  Records written: 43"
                               "\rKey number: 0  Records read: 100  Records written: 89"
                               "\rKey number: 1  Records read: 50  Records written: 50"
                               "\rKey number: 1  Records read: 100  Records written: 100"
                               "\rKey number: 2  Records read: 50  Records written: 50"
                               "\rKey number: 2  Records read: 100  Records written: 100\n" +
                               "Rebuilt " + Name("CLI") + ": " + std::to_string(live.size()) + " records\n";
  EXPECT_EQ(run.out, expected);

  FileBlock* h = nullptr;
  OpenFileBlock(h, Name("CLI"));
  ASSERT_TRUE(EngineOK) << EngineStatus;
  std::vector<KeyEntry> codes, names;
  for (size_t i = 0; i < live.size(); ++i) {
    codes.push_back({PaddedUpper(CodeOf(live[i]), 9), int32_t(i + 1)});
    names.push_back({PaddedUpper(NameOf(live[i]), 19), int32_t(i + 1)});
  }
  std::sort(codes.begin(), codes.end());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(WalkKeys(h, 1), codes);
  EXPECT_EQ(WalkKeys(h, 2), names);
  CloseFileBlock(h);
}

TEST_P(RebuildCommandTest, KeysWithoutFieldComeFromTheRecordKind) {
  const std::vector<Bytes> live = MakeCrashedBlock("KIND", 60);
  cli::Extensions extensions;
  extensions.recordKinds.Add({"tests", "*KIND", StandardKeyBuilder(), nullptr});
  const CommandRun run = Run(Args("KIND", {"9:0", "19:1"}), extensions);
  ASSERT_EQ(run.exit, cli::kExitOk) << run.err;
  ExpectRebuilt("KIND", live);

  const CommandRun missing = Run(Args("KIND", {"9:0", "19:1:14"}));
  EXPECT_EQ(missing.exit, cli::kExitUsage);
  EXPECT_NE(missing.err.find("give FIELD for every key"), std::string::npos) << missing.err;
}

TEST_P(RebuildCommandTest, ReportsDumpedKeysAndFailures) {
  std::vector<Bytes> records = {MakeRecord("a", "x", 1),
                                MakeRecord("A", "y", 2)};  // the same key once upper-cased
  MakeUnkeyedBlock("DUMP", records);
  CommandRun run = Run(Args("DUMP", {"9:0:4", "19:1:14"}));
  ASSERT_EQ(run.exit, cli::kExitOk) << run.err;
  EXPECT_NE(
      run.out.find("Rebuilt " + Name("DUMP") + ": 1 records\nKeys that could not be added are listed in " +
                   Name("DUMP") + ".MSG\n"),
      std::string::npos)
      << run.out;

  WriteFileBytes(Sav("DUMP"), Bytes(128, 0));
  run = Run(Args("DUMP", {"9:0:4", "19:1:14"}));
  EXPECT_EQ(run.exit, cli::kExitProblems);
  EXPECT_NE(run.err.find("failed: the storage engine reported a failure (status 10465)"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("both exist"), std::string::npos) << run.err;
}

TEST_P(RebuildCommandTest, InitialisesTheEngineWhenNobodyDid) {
  const std::vector<Bytes> live = MakeCrashedBlock("INIT", 30);
  ExitEngine();
  const CommandRun run = Run(Args("INIT", {"9:0:4", "19:1:14"}));
  EXPECT_EQ(run.exit, cli::kExitOk) << run.err;
  EngineReady();
  EXPECT_EQ(EngineStatus, status::kNotInitialised) << "the command leaves the engine as it found it";
  InitEngine(0, GetParam());
  FileBlock* h = nullptr;
  OpenFileBlock(h, Name("INIT"));
  ASSERT_TRUE(EngineOK) << EngineStatus;
  EXPECT_EQ(UsedRecords(h), int(live.size()));
  CloseFileBlock(h);
}

TEST_P(RebuildCommandTest, BadArgumentsAreUsageErrors) {
  MakeCrashedBlock("ARGS", 10);
  const Bytes before = ReadFileBytes(DataPath("ARGS"));
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--record-length", "64", "--key", "9:0:4"}, "needs the file block's name"},
      {{Name("ARGS"), "--key", "9:0:4"}, "--record-length must be 21..65535"},
      {{Name("ARGS"), "--record-length", "20", "--key", "9:0:4"}, "--record-length must be 21..65535"},
      {{Name("ARGS"), "--record-length", "x"}, "--record-length needs a number"},
      {{Name("ARGS"), "--record-length"}, "--record-length needs a value"},
      {Args("ARGS", {"31:0:4"}), "key length must be 1..30"},
      {Args("ARGS", {"9:2:4"}), "DUP must be 0"},
      {Args("ARGS", {"9:0:2"}), "FIELD must lie inside the record"},
      {Args("ARGS", {"9:0:64"}), "FIELD must lie inside the record"},
      {Args("ARGS", {"9"}), "--key needs LEN:DUP"},
      {Args("ARGS", {"9:0:4:5"}), "--key needs LEN:DUP"},
      {{Name("ARGS"), "other", "--record-length", "64"}, "unexpected argument 'other'"},
  };
  for (const auto& [args, message] : cases) {
    const CommandRun run = Run(args);
    EXPECT_EQ(run.exit, cli::kExitUsage) << message;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
  }
  EXPECT_EQ(ReadFileBytes(DataPath("ARGS")), before);
  EXPECT_FALSE(FileExists(Sav("ARGS")));
}

TF_POOL_SIZES(RebuildCommandTest);

}  // namespace
}  // namespace tf::engine::rebuild_test
