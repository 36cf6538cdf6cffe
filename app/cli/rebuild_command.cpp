#include "app/cli/failure_words.h"
#include "app/cli/rebuild_command.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <ostream>

#include "app/cli/cli.h"
#include "app/cli/command_maintenance.h"
#include "engine/core/engine.h"
#include "engine/core/file_names.h"
#include "engine/rebuilding/rebuild.h"
#include "records/staged_block.h"

namespace tf::cli {
namespace {

using engine::EngineOK;
using engine::EngineStatus;

struct KeyArgument {
  engine::KeyDescriptor descriptor;
  std::optional<int> field;  // offset of the text field the key is built from
};

struct RebuildRequest {
  std::string name;
  int recordLength = 0;
  std::vector<KeyArgument> keys;
  bool shapeGiven = false;  // --record-length or --key; otherwise the record kind gives the shape
};

bool ParseInt(std::string_view text, int& value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

// LEN:DUP or LEN:DUP:FIELD
bool ParseKey(std::string_view text, int recordLength, KeyArgument& key, std::string& error) {
  std::vector<std::string_view> parts;
  for (size_t start = 0;;) {
    size_t colon = text.find(':', start);
    parts.push_back(text.substr(start, colon - start));
    if (colon == std::string_view::npos) break;
    start = colon + 1;
  }
  int length = 0, duplicates = 0, field = 0;
  if (parts.size() < 2 || parts.size() > 3 || !ParseInt(parts[0], length) ||
      !ParseInt(parts[1], duplicates) || (parts.size() == 3 && !ParseInt(parts[2], field))) {
    error = "--key needs LEN:DUP or LEN:DUP:FIELD, not '" + std::string(text) + "'";
    return false;
  }
  if (length < 1 || length > engine::kMaxKeyLength)
    error = "key length must be 1..30";
  else if (duplicates != 0 && duplicates != 1)
    error = "DUP must be 0 (unique) or 1 (duplicates allowed)";
  else if (parts.size() == 3 && (field < 4 || field >= recordLength))
    error = "FIELD must lie inside the record, after its first four bytes";
  if (!error.empty()) return false;
  key.descriptor = {uint8_t(length), uint8_t(duplicates)};
  if (parts.size() == 3) key.field = field;
  return true;
}

bool ParseRequest(const std::vector<std::string>& args, RebuildRequest& request, std::string& error) {
  std::vector<std::string> keyTexts;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const char* option) -> std::optional<std::string> {
      const std::string prefix = std::string(option) + "=";
      if (a.rfind(prefix, 0) == 0) return a.substr(prefix.size());
      if (a != option) return std::nullopt;
      if (i + 1 < args.size()) return args[++i];
      error = std::string(option) + " needs a value";
      return std::string();
    };
    if (auto v = value("--record-length")) {
      if (!error.empty()) return false;
      request.shapeGiven = true;
      if (!ParseInt(*v, request.recordLength)) return error = "--record-length needs a number", false;
    } else if (auto k = value("--key")) {
      if (!error.empty()) return false;
      keyTexts.push_back(*k);
    } else if (a.rfind("--", 0) == 0 || !request.name.empty()) {
      return error = "unexpected argument '" + a + "'", false;
    } else {
      request.name = a;
    }
  }
  if (request.name.empty()) return error = "rebuild needs the file block's name", false;
  // Without a shape the block's record kind supplies it.
  if (!request.shapeGiven && keyTexts.empty()) return true;
  if (request.recordLength < engine::kMinRecordLength ||
      request.recordLength > engine::kMaxRebuildRecordLength)
    return error = "--record-length must be 21..65535", false;
  if (int(keyTexts.size()) > engine::kMaxKeys) return error = "at most 100 keys", false;
  for (const std::string& text : keyTexts) {
    KeyArgument key;
    if (!ParseKey(text, request.recordLength, key, error)) return false;
    request.keys.push_back(key);
  }
  return true;
}

// The program's key text: the field trimmed of blanks and control characters, padded to the
// key length, upper-cased (ASCII letters only), at most 30 characters.
std::string FieldKey(std::span<const uint8_t> record, int offset, int keyLength) {
  const size_t capacity = record.size() - size_t(offset) - 1;
  const size_t length = std::min<size_t>(record[size_t(offset)], capacity);
  std::string text(reinterpret_cast<const char*>(record.data()) + offset + 1, length);
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!text.empty() && blank(text.back())) text.pop_back();
  size_t first = 0;
  while (first < text.size() && blank(text[first])) ++first;
  text.erase(0, first);
  if (text.size() < size_t(keyLength)) text.resize(size_t(keyLength), ' ');
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  if (text.size() > size_t(engine::kMaxKeyLength)) text.resize(size_t(engine::kMaxKeyLength));
  return text;
}

// The key routine: a field for keys that name one, the record kind's key builder otherwise.
// Returns an empty routine (and says why) when a key has no source.
engine::KeyRoutine MakeKeyRoutine(const RebuildRequest& request, const records::RecordKind* kind, std::string& error) {
  const bool needKind =
      std::any_of(request.keys.begin(), request.keys.end(), [](const KeyArgument& k) { return !k.field; });
  if (needKind && (!kind || !kind->keys)) {
    error = "no record kind builds the keys of " + request.name + ": give FIELD for every key";
    return nullptr;
  }
  engine::KeyBuilder builder = needKind ? kind->keys : nullptr;
  std::vector<KeyArgument> keys = request.keys;
  return [keys, builder](std::span<const uint8_t> record, int keyNr) -> std::string {
    const KeyArgument& key = keys[size_t(keyNr - 1)];
    if (key.field) return FieldKey(record, *key.field, key.descriptor.KeyLength);
    std::vector<std::string> built = builder(record);
    if (built.size() < size_t(keyNr)) {
      EngineOK = false;
      return {};
    }
    return built[size_t(keyNr - 1)];
  };
}

// Progress on one line, rewritten in place.
class TextRebuildStatus : public engine::RebuildStatus {
 public:
  explicit TextRebuildStatus(std::ostream& out) : out_(out) {}
  void Show(std::string_view title) override { out_ << "Rebuilding " << title << "\n"; }
  void Lines(std::string_view l1, std::string_view l2, std::string_view l3) override {
    out_ << "\r" << l1 << "  " << l2 << "  " << l3 << std::flush;
    shown_ = true;
  }
  void Close() override {
    if (shown_) out_ << "\n";
  }

 private:
  std::ostream& out_;
  bool shown_ = false;
};

std::string Explain(int32_t status, const std::string& name) {
  const std::string saved = engine::EngineFileName(name, engine::FileKind::Saved);
  const std::string data = engine::EngineFileName(name, engine::FileKind::Data);
  switch (status) {
    case engine::status::kRebuildInterrupted:
      return "an earlier rebuild was interrupted: " + saved + " and " + data + " both exist; " + saved +
             " holds the records as they were, remove " + data + " and run the rebuild again";
    case engine::status::kNothingToRebuild:
      return "there is no data file to rebuild";
    case engine::status::kDataRenameFailed:
      return "the data file cannot be moved aside (is the program using it?)";
    case engine::status::kRebuildNoMemory:
      return "not enough memory";
    case engine::status::kKeyRoutineFailed:
      return "a record's key could not be built";
    case engine::status::kNotRegularFile:
      return "a FIFO, directory or device stands where one of " + name +
             "'s files belongs; nothing was changed: put the file back or remove what is there";
    default:
      return "the records are whole in " + data + " (or " + saved +
             "); run the rebuild again once the cause is fixed";
  }
}

// Runs the rebuild, with the engine initialised for it if nobody did so yet, and opens the
// result to count its records.
bool Rebuild(const engine::RebuildTarget& target, engine::RebuildStatus& status, engine::RebuildReport& report,
             int& records) {
  engine::EngineReady();
  const bool initHere = EngineStatus == engine::status::kNotInitialised;
  if (initHere) {
    engine::InitEngine(0, engine::kProgramPageBuffers);
    if (!EngineOK) return false;
  }
  bool ok = engine::RebuildFileBlock(target, status, report);
  int32_t result = EngineStatus;  // 0, or the warning 10215, on success
  if (ok) {
    engine::FileBlockGuard block;
    engine::OpenFileBlock(block.handle(), target.name);
    if (EngineOK) {
      records = engine::UsedRecords(block.get());
    } else {
      ok = false;
      result = EngineStatus;
    }
  }
  if (initHere) engine::ExitEngine();
  EngineOK = ok;
  EngineStatus = result;
  return ok;
}

// The file block's shape from the arguments, or, when none were given, from its record kind.
bool MakeTarget(const RebuildRequest& request, const records::RecordKind* kind, engine::RebuildTarget& target,
                std::string& error) {
  if (!request.shapeGiven && request.keys.empty()) {
    if (!kind || !kind->file) {
      error = "no record kind describes " + request.name + ": give --record-length and --key";
      return false;
    }
    const records::RecordFileKind& file = *kind->file;
    target = {request.name, file.title, file.recordLength, file.keys, file.keyRoutine};
    return true;
  }
  engine::KeyRoutine keys = MakeKeyRoutine(request, kind, error);
  if (!error.empty()) return false;
  target = {request.name, request.name, request.recordLength, {}, keys};
  for (const KeyArgument& k : request.keys) target.keys.push_back(k.descriptor);
  return true;
}

}  // namespace

int RunRebuild(CommandContext& context, const std::vector<std::string>& args) {
  if (std::find(args.begin(), args.end(), "--all") != args.end()) return RunRebuildAll(context, args);
  RebuildRequest request;
  std::string error;
  engine::RebuildTarget target;
  if (!ParseRequest(args, request, error) ||
      !MakeTarget(request, context.extensions.recordKinds.Find(request.name), target, error)) {
    context.err << "tallyfold-cli rebuild: " << error << "\n";
    return kExitUsage;
  }

  if (!records::RecoverStagedBlock(request.name)) {
    context.err << "tallyfold-cli rebuild: the import left unfinished in " << request.name
                << " could not be put right (status " << EngineStatus << ")\n";
    return kExitProblems;
  }
  TextRebuildStatus status(context.out);
  engine::RebuildReport report;
  int records = 0;
  const bool rebuilt = Rebuild(target, status, report, records);
  const std::string dumpName = engine::EngineFileName(request.name, engine::FileKind::Message);
  if (!report.setAside.empty()) {
    // Records that were neither live nor deleted are not lost: they are named, and their bytes
    // are in the dump file.
    std::string refs;
    for (int32_t ref : report.setAside) refs += (refs.empty() ? "" : ", ") + std::to_string(ref);
    context.out << report.setAside.size() << " record" << (report.setAside.size() == 1 ? " was" : "s were")
                << " neither live nor deleted and " << (report.setAside.size() == 1 ? "was" : "were")
                << " not kept (record " << refs << " of the old data file); their bytes are in " << dumpName
                << "\n";
  }
  if (!rebuilt) {
    context.err << "tallyfold-cli rebuild: " << request.name << " failed: " << WhyItFailed() << "; "
                << Explain(EngineStatus, request.name) << "\n";
    return kExitProblems;
  }
  if (EngineStatus == engine::status::kHeaderSizeMismatch)
    context.out << "warning: the data header did not match the file size; it was corrected\n";
  context.out << "Rebuilt " << request.name << ": " << records << " records\n";
  if (report.dumpWritten && report.setAside.empty())
    context.out << "Keys that could not be added are listed in " << dumpName << "\n";

  return kExitOk;
}

}  // namespace tf::cli
