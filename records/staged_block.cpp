#include "records/staged_block.h"

#include <cerrno>
#include <filesystem>
#include <memory>
#include <optional>

#include "engine/core/engine_status.h"
#include "engine/core/file_names.h"
#include "engine/core/file_system.h"

namespace tf::records {
namespace {

using engine::CurrentFileSystem;
using engine::FileKind;

constexpr std::size_t kCopyChunk = 1 << 20;
// A marker or a note is a few names; anything longer is not one this program wrote.
constexpr std::size_t kMaxMarkerBytes = 64 * 1024;
constexpr std::string_view kMarkerEnd = "END";
constexpr std::string_view kNoteSuffix = ".GRP";

// Every file an engine block may have on disk while it is closed or was cut short.
constexpr FileKind kBlockFiles[] = {FileKind::Data, FileKind::Index, FileKind::Journal};

bool Fail(int error, int& osError) {
  osError = error;
  engine::EngineOK = false;
  engine::EngineStatus = error == ENOENT ? engine::status::kFileNotFound : engine::status::kOsFailure;
  return false;
}

bool Exists(const std::string& path) {
  int fd = -1;
  if (CurrentFileSystem().Open(path, engine::OpenMode::ExistingReadOnly, fd) != 0) return false;
  CurrentFileSystem().Close(fd);
  return true;
}

// 0 when `path` is there, ENOENT when it is not, another errno value when the system cannot
// tell (a failing disk): a block that cannot be read is not a missing one.
int Probe(const std::string& path) {
  int fd = -1;
  if (int e = CurrentFileSystem().Open(path, engine::OpenMode::ExistingReadOnly, fd)) return e;
  CurrentFileSystem().Close(fd);
  return 0;
}

// Removes `path` when it is there. 0 or an errno value.
int RemoveIfThere(const std::string& path) {
  const int there = Probe(path);
  if (there == ENOENT) return 0;
  return there ? there : CurrentFileSystem().Remove(path);
}

// Copies `from` to `to` and makes the copy durable. 0 or an errno value.
int CopyFile(const std::string& from, const std::string& to) {
  engine::FileSystem& fs = CurrentFileSystem();
  int in = -1, out = -1;
  if (int e = fs.Open(from, engine::OpenMode::ExistingReadOnly, in)) return e;
  int error = fs.Open(to, engine::OpenMode::CreateAlways, out);
  if (error == 0) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyChunk]);
    if (!buffer) error = ENOMEM;
    for (std::int64_t offset = 0; error == 0;) {
      std::size_t got = 0, put = 0;
      error = fs.Read(in, buffer.get(), kCopyChunk, offset, got);
      if (error || got == 0) break;
      error = fs.Write(out, buffer.get(), got, offset, put);
      if (!error && put != got) error = ENOSPC;
      offset += std::int64_t(got);
    }
    if (!error) error = fs.Sync(out);
    if (int e = fs.Close(out); !error) error = e;
  }
  fs.Close(in);
  return error;
}

// Writes `text` as the whole of `path` and makes it durable (not its directory entry). 0 or an
// errno value.
int WriteDurably(const std::string& path, std::string_view text) {
  engine::FileSystem& fs = CurrentFileSystem();
  int fd = -1;
  int error = fs.Open(path, engine::OpenMode::CreateAlways, fd);
  if (error) return error;
  std::size_t done = 0;
  error = fs.Write(fd, text.data(), text.size(), 0, done);
  if (!error && done != text.size()) error = ENOSPC;
  if (!error) error = fs.Sync(fd);
  if (int e = fs.Close(fd); !error) error = e;
  return error;
}

// The whole of a small file. 0, ENOENT when it is not there, or another errno value.
int ReadSmall(const std::string& path, std::string& text) {
  engine::FileSystem& fs = CurrentFileSystem();
  int fd = -1;
  if (int e = fs.Open(path, engine::OpenMode::ExistingReadOnly, fd)) return e;
  text.assign(kMaxMarkerBytes, '\0');
  std::size_t got = 0;
  const int error = fs.Read(fd, text.data(), text.size(), 0, got);
  fs.Close(fd);
  text.resize(error ? 0 : got);
  return error;
}

// The stages a marker lists when it is complete; nothing when its writing was cut short (or it
// is not a marker at all), since then nothing was switched.
std::optional<std::vector<std::string>> CompleteMarker(std::string_view text) {
  std::vector<std::string> stages;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (line == kMarkerEnd) {
      if (!text.empty() || stages.empty()) return std::nullopt;
      return stages;
    }
    if (line.size() < 2 || line.front() != '~') return std::nullopt;
    stages.emplace_back(line);
  }
  return std::nullopt;
}

std::string MarkerText(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += StageName(name) + "\n";
  return text + std::string(kMarkerEnd) + "\n";
}

// The marker of the change that staged `name`: its own, or the one its note names; empty when
// there is neither. 0 or an errno value.
int MarkerOf(const std::string& name, std::string& marker) {
  marker.clear();
  std::string text;
  int error = ReadSmall(CommitMarkerName(name), text);
  if (error == 0) {
    marker = CommitMarkerName(name);
    return 0;
  }
  if (error != ENOENT) return error;  // not known to be absent: nothing is decided on it
  std::string note;
  error = ReadSmall(GroupNoteName(name), note);
  if (error == ENOENT) return 0;
  if (error) return error;
  // A note cut short while it was written names no marker: the change never committed.
  if (note.size() > 1 && note.back() == '\n') marker = note.substr(0, note.size() - 1);
  return 0;
}

// The switch of a committed change: every stage the marker lists takes its block's place, then
// the notes and the marker go. Each step repeats safely after a crash.
bool FinishChange(const std::string& marker, const std::vector<std::string>& stages, int& osError) {
  engine::FileSystem& fs = CurrentFileSystem();
  for (const std::string& stage : stages)
    for (FileKind kind : {FileKind::Data, FileKind::Index}) {
      const std::string from = engine::EngineFileName(stage, kind);
      // Absent: switched already. A stage that cannot be told there or not stops the switch,
      // which the marker then finishes later: skipping it would leave the block half switched.
      const int there = Probe(from);
      if (there != 0 && there != ENOENT) return Fail(there, osError);
      if (there == 0)
        if (int e = fs.Rename(from, engine::EngineFileName(stage.substr(1), kind))) return Fail(e, osError);
    }
  if (int e = fs.SyncDirectoryOf(marker)) return Fail(e, osError);
  for (const std::string& stage : stages)
    if (int e = RemoveIfThere(stage + std::string(kNoteSuffix))) return Fail(e, osError);
  if (int e = fs.SyncDirectoryOf(marker)) return Fail(e, osError);
  if (int e = fs.Remove(marker)) return Fail(e, osError);
  return true;
}

// Removes the stage files of `name` that exist, then its note (last, so that a stage is never
// left without the note that ties it to its change). 0 or the first errno value.
int RemoveStage(const std::string& name) {
  for (FileKind kind : kBlockFiles)
    if (int e = RemoveIfThere(engine::EngineFileName(StageName(name), kind))) return e;
  return RemoveIfThere(GroupNoteName(name));
}

bool StageExists(const std::string& name) {
  return Exists(engine::EngineFileName(StageName(name), FileKind::Data)) ||
         Exists(engine::EngineFileName(StageName(name), FileKind::Index));
}

// The blocks whose notes name `marker`: the other blocks of its change.
std::vector<std::string> NotedBlocks(const std::string& marker) {
  namespace fs = std::filesystem;
  std::vector<std::string> blocks;
  const fs::path folder = fs::path(marker).parent_path();
  std::error_code ec;
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string file = it->path().filename().string();
    if (file.size() <= 1 + kNoteSuffix.size() || file.front() != '~' || !file.ends_with(kNoteSuffix)) continue;
    const std::string block = (folder / file.substr(1, file.size() - 1 - kNoteSuffix.size())).string();
    // A note cut short while it was written (a beginning of the marker's name) was left by a
    // block that had not made its stage yet: it goes with the change too.
    std::string note;
    const std::string whole = marker + "\n";
    if (ReadSmall(GroupNoteName(block), note) == 0 && whole.starts_with(note)) blocks.push_back(block);
  }
  return blocks;
}

// Drops a change that never committed: the stages of every block its notes tie to it, then the
// stage of the block that leads it, then a marker cut short.
bool DropChange(const std::string& marker, int& osError) {
  for (const std::string& block : NotedBlocks(marker))
    if (int e = RemoveStage(block)) return Fail(e, osError);
  const std::string leader = marker.substr(0, marker.size() - CommitMarkerName("").size());
  if (int e = RemoveStage(leader)) return Fail(e, osError);
  if (int e = RemoveIfThere(marker)) return Fail(e, osError);
  return true;
}

}  // namespace

std::string StageName(const std::string& name) { return "~" + name; }
std::string CommitMarkerName(const std::string& name) { return name + ".CMT"; }
std::string GroupNoteName(const std::string& name) { return StageName(name) + std::string(kNoteSuffix); }

bool StagedChangePending(const std::string& name) {
  std::string marker;
  if (MarkerOf(name, marker)) return true;  // cannot tell: say so rather than read a half switch
  if (marker.empty()) return false;
  std::string text;
  const int error = ReadSmall(marker, text);
  if (error == ENOENT) return false;
  return error || CompleteMarker(text).has_value();
}

bool RecoverStagedBlock(const std::string& name) {
  engine::FileSystem& fs = CurrentFileSystem();
  int osError = 0;
  std::string marker;
  if (int e = MarkerOf(name, marker)) return Fail(e, osError);
  bool listed = false;
  if (!marker.empty()) {
    std::string text;
    const int error = ReadSmall(marker, text);
    if (error && error != ENOENT) return Fail(error, osError);
    const auto stages = error ? std::nullopt : CompleteMarker(text);
    if (stages) {
      // Committed: the whole change is switched through, whichever of its blocks came first.
      if (!FinishChange(marker, *stages, osError)) return false;
      for (const std::string& stage : *stages) listed |= stage == StageName(name);
    } else if (!DropChange(marker, osError)) {
      // Not committed (no marker, or one cut short while written): every block of it goes back.
      return false;
    }
  } else if (StageExists(name) && !DropChange(CommitMarkerName(name), osError)) {
    // A stage of its own and no marker: a change it led, not committed, with the other blocks
    // that had joined it.
    return false;
  }
  // A stage no committed change claims is dropped.
  if (!listed)
    if (int e = RemoveStage(name)) return Fail(e, osError);
  if (int e = fs.SyncDirectoryOf(CommitMarkerName(name))) return Fail(e, osError);
  engine::EngineOK = true;
  engine::EngineStatus = 0;
  return true;
}

StagedBlock::~StagedBlock() {
  if (begun_ && !committed_) Abandon();
}

bool StagedBlock::Begin(const std::string& name, int recordLength, std::span<const engine::KeyDescriptor> keys) {
  name_ = name;
  begun_ = true;
  committed_ = false;
  if (!RecoverStagedBlock(name)) return false;
  if (leader_) {
    // A block joining a change of several: its note, durable before its stage exists, ties the
    // stage to the change from the start, so that whichever block is opened next finishes or
    // drops the change whole.
    if (leader_ == this || leader_->name_.empty()) return Fail(EINVAL, osError_);
    const std::string note = GroupNoteName(name);
    int error = WriteDurably(note, CommitMarkerName(leader_->name_) + "\n");
    if (!error) error = CurrentFileSystem().SyncDirectoryOf(note);
    if (error) {
      Abandon();
      return Fail(error, osError_);
    }
  }
  const std::string stage = StageName(name);
  const std::string data = engine::EngineFileName(name, FileKind::Data);
  // Staging a block that exists but cannot be opened as an empty one would replace every
  // record of it at the commit.
  const int there = Probe(data);
  if (there != 0 && there != ENOENT) {
    Abandon();
    return Fail(there, osError_);
  }
  if (there == 0) {
    for (FileKind kind : {FileKind::Data, FileKind::Index})
      if (int e = CopyFile(engine::EngineFileName(name, kind), engine::EngineFileName(stage, kind))) {
        Abandon();
        return Fail(e, osError_);
      }
  } else {
    engine::MakeFileBlock(stage, recordLength, int(keys.size()), keys);
    if (!engine::EngineOK) {
      Abandon();  // keeps EngineOK / EngineStatus
      return false;
    }
  }
  if (int e = CurrentFileSystem().SyncDirectoryOf(data)) {
    Abandon();
    return Fail(e, osError_);
  }
  engine::OpenFileBlock(stage_, stage);
  if (engine::EngineOK) engine::DeferAppends(stage_);  // nobody reads the copy before it is closed
  if (!engine::EngineOK) {
    Abandon();  // keeps EngineOK / EngineStatus
    return false;
  }
  return true;
}

bool StagedBlock::CloseStage() {
  engine::CloseFileBlock(stage_);
  stage_ = nullptr;
  return engine::EngineOK;
}

bool StagedBlock::CommitAll(const std::vector<StagedBlock*>& members, bool& committed, int& osError) {
  engine::FileSystem& fs = CurrentFileSystem();
  committed = false;
  // The leader last: its stage stands for the change until the others are gone.
  auto abandonAll = [&] {
    for (auto m = members.rbegin(); m != members.rend(); ++m) (*m)->Abandon();
  };
  if (members.empty()) return Fail(EINVAL, osError);
  std::vector<std::string> names;
  for (StagedBlock* m : members) {
    if (!m->stage_) {
      abandonAll();
      return Fail(EBADF, osError);
    }
    names.push_back(m->name_);
  }
  // Closing a stage makes it durable.
  for (StagedBlock* m : members)
    if (!m->CloseStage()) {
      abandonAll();  // keeps EngineOK / EngineStatus
      return false;
    }
  const std::string marker = CommitMarkerName(names.front());
  // The marker, durable: from here on the change is done. (The other blocks' notes, naming it,
  // were made durable when they joined.)
  int error = WriteDurably(marker, MarkerText(names));
  if (!error) error = fs.SyncDirectoryOf(marker);
  if (error) {
    // Taken back whole; a marker that cannot be removed leaves the stages to the next open,
    // which then finishes or drops the change whole.
    if (RemoveIfThere(marker) == 0 && fs.SyncDirectoryOf(marker) == 0) {
      abandonAll();
      return Fail(error, osError);
    }
    committed = true;
    for (StagedBlock* m : members) m->committed_ = true;
    return Fail(error, osError);
  }
  committed = true;
  for (StagedBlock* m : members) m->committed_ = true;
  if (!RecoverStagedBlock(names.front())) {
    osError = engine::EngineStatus;
    return false;
  }
  return true;
}

bool StagedBlock::Commit() { return CommitAll({this}, committed_, osError_); }

void StagedBlock::Abandon() {
  const bool ok = engine::EngineOK;
  const int status = engine::EngineStatus;
  if (stage_) engine::CloseFileBlock(stage_);
  stage_ = nullptr;
  if (begun_) {
    RemoveStage(name_);
    CurrentFileSystem().SyncDirectoryOf(CommitMarkerName(name_));
  }
  begun_ = false;
  engine::EngineOK = ok;
  engine::EngineStatus = status;
}

StagedGroup::~StagedGroup() {
  if (!committed_) Abandon();
}

StagedBlock& StagedGroup::Add() {
  auto member = std::make_unique<StagedBlock>();
  if (!members_.empty()) member->leader_ = members_.front().get();
  return *members_.emplace_back(std::move(member));
}

bool StagedGroup::Commit() {
  std::vector<StagedBlock*> members;
  for (const auto& m : members_) members.push_back(m.get());
  return StagedBlock::CommitAll(members, committed_, osError_);
}

void StagedGroup::Abandon() {
  // The leader last, as in CommitAll.
  for (auto m = members_.rbegin(); m != members_.rend(); ++m) (*m)->Abandon();
}

}  // namespace tf::records
