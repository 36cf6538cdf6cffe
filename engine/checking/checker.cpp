#include "engine/checking/checker.h"

#include <algorithm>
#include <optional>

#include <sys/stat.h>

#include "engine/checking/block_reader.h"
#include "engine/checking/checker_data.h"
#include "engine/checking/checker_findings.h"
#include "engine/checking/checker_index.h"
#include "engine/checking/checker_keys.h"
#include "engine/core/engine.h"
#include "engine/core/file_names.h"

namespace tf::engine {
namespace {

// "the data file X.DAT is a FIFO, not a regular file" and the like.
std::string NotRegularText(const char* which, const disk::RawFile& file) {
  return std::string("the ") + which + " file " + file.Path() + " is " + file.Error() +
         ", not a regular file: nothing was read from it";
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// A live record's text fields whose length byte claims more than the field holds.
void CheckTextFields(int32_t ref, std::span<const unsigned char> bytes,
                     std::span<const RecordTextField> fields, FindingList& out) {
  for (const RecordTextField& field : fields) {
    if (field.offset + field.capacity >= bytes.size()) continue;  // not a record of this layout
    const unsigned length = bytes[field.offset];
    if (length > field.capacity)
      out.Add(Problem::TextFieldLength, 0,
              "record " + std::to_string(ref) + ": " + field.name + " has length byte " +
                  std::to_string(length) + " but holds at most " + std::to_string(field.capacity) +
                  " characters");
  }
}

// One pass over a file block's files; `layout` receives what a dump shows, `check.keys` enables
// the record-aware check.
void Inspect(const std::string& blockName, const RecordLayoutCheck& check, FileBlockLayout& layout,
             bool keepRecords) {
  const KeyBuilder* keys = check.keys;
  FindingList out;
  layout.dataFileName = EngineFileName(blockName, FileKind::Data);
  layout.indexFileName = EngineFileName(blockName, FileKind::Index);

  disk::RawFile data;
  if (!data.Open(layout.dataFileName)) {
    if (data.NotRegular())
      out.Add(Problem::NotRegularFile, 0, NotRegularText("data", data));
    else if (data.Missing() && FileExists(layout.indexFileName))
      out.Add(Problem::IndexWithoutData, 0,
              "the index file " + layout.indexFileName + " is there but its data file " +
                  layout.dataFileName + " is not");
    else
      out.Add(Problem::DataFileUnreadable, 0,
              "cannot open the data file " + layout.dataFileName + ": " + data.Error());
    layout.findings = out.Finish();
    return;
  }
  layout.dataFound = true;
  layout.dataFileSize = data.Size();

  std::optional<ExpectedKeys> expected;
  if (keys && *keys) expected.emplace(*keys);
  RecordVisitor visit;
  if (expected || keepRecords || !check.textFields.empty()) {
    visit = [&](int32_t ref, std::span<const unsigned char> bytes) {
      bool live = format::IsLiveRecord(bytes.data());
      if (expected && live) expected->AddRecord(ref, bytes, out);
      if (live) CheckTextFields(ref, bytes, check.textFields, out);
      if (keepRecords) layout.records.push_back({ref, live, {bytes.begin(), bytes.end()}});
    };
  }
  DataInspection dataInspection = InspectDataFile(data, out, visit);
  layout.headerRead = dataInspection.headerRead;
  layout.header = dataInspection.header;

  const int keyCount = dataInspection.header.KeyCount;
  std::vector<IndexInspection> indexes;
  if (dataInspection.headerRead && keyCount > 0 && keyCount <= kMaxKeys) {
    disk::RawFile index;
    if (index.Open(layout.indexFileName))
      indexes = InspectIndexFile(index, keyCount, dataInspection.records, out);
    else if (index.NotRegular())
      out.Add(Problem::NotRegularFile, 0, NotRegularText("index", index));
    else
      out.Add(Problem::IndexFileUnreadable, 0,
              "cannot open the index file " + layout.indexFileName + ": " + index.Error());
  }
  if (expected && dataInspection.records.known && keyCount >= 0 && keyCount <= kMaxKeys)
    expected->Compare(keyCount, indexes, dataInspection.records, out);

  for (IndexInspection& index : indexes) {
    IndexLayout& shown = layout.indexes.emplace_back();
    shown.keyNr = index.keyNr;
    shown.headerRead = true;
    shown.header = index.header;
    shown.keyLength = index.geometry ? index.geometry->KeyLength : 0;
    shown.treeRead = index.treeRead;
    shown.entries = std::move(index.entries);
  }
  layout.findings = out.Finish();
}

}  // namespace

bool CheckResult::Has(Problem problem) const {
  return std::any_of(findings.begin(), findings.end(),
                     [problem](const Finding& f) { return f.problem == problem; });
}

CheckResult CheckFileBlock(const std::string& blockName, const KeyBuilder* keys) {
  return CheckFileBlock(blockName, RecordLayoutCheck{keys, {}});
}

CheckResult CheckFileBlock(const std::string& blockName, const RecordLayoutCheck& check) {
  FileBlockLayout layout;
  Inspect(blockName, check, layout, false);
  return CheckResult{std::move(layout.findings)};
}

FileBlockLayout ReadFileBlockLayout(const std::string& blockName, const KeyBuilder* keys) {
  return ReadFileBlockLayout(blockName, RecordLayoutCheck{keys, {}});
}

FileBlockLayout ReadFileBlockLayout(const std::string& blockName, const RecordLayoutCheck& check) {
  FileBlockLayout layout;
  Inspect(blockName, check, layout, true);
  return layout;
}

}  // namespace tf::engine
