#include "engine/checking/checker.h"

#include <algorithm>
#include <optional>

#include "engine/checking/block_reader.h"
#include "engine/checking/checker_data.h"
#include "engine/checking/checker_findings.h"
#include "engine/checking/checker_index.h"
#include "engine/checking/checker_keys.h"
#include "engine/core/engine.h"
#include "engine/core/file_names.h"

namespace tf::engine {
namespace {

// One pass over a file block's files; `layout` receives what a dump shows, `keys` enables the
// record-aware check.
void Inspect(const std::string& blockName, const KeyBuilder* keys, FileBlockLayout& layout,
             bool keepRecords) {
  FindingList out;
  layout.dataFileName = EngineFileName(blockName, FileKind::Data);
  layout.indexFileName = EngineFileName(blockName, FileKind::Index);

  disk::RawFile data;
  if (!data.Open(layout.dataFileName)) {
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
  if (expected || keepRecords) {
    visit = [&](int32_t ref, std::span<const unsigned char> bytes) {
      bool live = format::IsLiveRecord(bytes.data());
      if (expected && live) expected->AddRecord(ref, bytes, out);
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
  FileBlockLayout layout;
  Inspect(blockName, keys, layout, false);
  return CheckResult{std::move(layout.findings)};
}

FileBlockLayout ReadFileBlockLayout(const std::string& blockName, const KeyBuilder* keys) {
  FileBlockLayout layout;
  Inspect(blockName, keys, layout, true);
  return layout;
}

}  // namespace tf::engine
