// The rebuild every record kind runs on its file block: only the name, record length, key
// descriptors and key routine differ.

#include "engine/rebuilding/rebuild.h"

#include <string>

#include "engine/rebuilding/rebuild_outcome.h"

namespace tf::engine {
namespace {

std::string Line(const char* label, int value) { return label + std::to_string(value); }

}  // namespace

bool RebuildFileBlock(const RebuildTarget& target, RebuildStatus& status, bool* dumpWritten) {
  RebuildReport report;
  const bool ok = RebuildFileBlock(target, status, report);
  if (dumpWritten) *dumpWritten = report.dumpWritten;
  return ok;
}

bool RebuildFileBlock(const RebuildTarget& target, RebuildStatus& status, RebuildReport& report) {
  status.Show(target.title);
  auto progress = [&status](const RebuildProgress& p) {
    if (p.recordsRead % kRebuildStatusInterval != 0) return;
    status.Lines(Line("Key number: ", p.keyNr), Line("Records read: ", p.recordsRead),
                 Line("Records written: ", p.recordsWritten));
    // The window lets pending events run; whatever they did to the engine status must not
    // read as a request to stop.
    EngineOK = true;
    EngineStatus = 0;
  };

  DataPassReport data;
  bool indexDumped = false;
  RebuildDataFile(target.name, target.recordLength, target.recordLength, KeepLiveRecords, nullptr, progress, &data);
  if (EngineOK)
    RebuildIndexFile(target.name, int(target.keys.size()), target.keys, nullptr, target.keyRoutine, true,
                     progress, indexDumped, data.dumpWritten);
  const detail::rebuild::SavedStatus outcome;
  status.Close();
  outcome.Restore();
  report.dumpWritten = data.dumpWritten || indexDumped;
  report.setAside = std::move(data.setAside);
  report.blankSlotsDropped = data.blankSlotsDropped;
  return EngineOK;
}

}  // namespace tf::engine
