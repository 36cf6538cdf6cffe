#include "app/cli/failure_words.h"

#include <cerrno>

#include "engine/core/engine_status.h"
#include "records/record_file.h"

namespace tf::cli {

std::string FailureInWords(std::int32_t status, int osError) {
  namespace st = engine::status;
  // The operating system's reason says more than the engine's summary of it (a full disk and a
  // lock both reach the engine as an operating-system failure).
  switch (osError) {
    case EWOULDBLOCK: return "it is in use by another program";
    case ENOSPC:
    case EDQUOT: return "the disk is full";
    case EROFS: return "the disk is read-only";
    case EACCES:
    case EPERM: return "permission was refused";
    case EIO: return "the disk reported a read or write error";
    case ENOMEM: return "there is not enough memory";
    default: break;
  }
  switch (status) {
    case st::kFileNotFound: return "the file is missing";
    case st::kPathNotFound: return "its folder is missing";
    case st::kAccessDenied: return "permission was refused";
    case st::kTooManyOpenFiles: return "too many files are open";
    case st::kNotRegularFile: return "something other than a regular file stands in its place";
    case st::kIndexDefective: return "its index is damaged";
    case st::kShortRead: return "the file is shorter than its header says";
    case st::kShortWrite: return "the disk took only part of a write";
    case st::kDuplicateKey: return "a record with the same key is already on file";
    case st::kNoBuffers:
    case st::kNoMemoryForKeys:
    case st::kNoMemoryForFileBlock:
    case st::kNoMemoryOpening: return "there is not enough memory";
    case st::kFreeChainDamaged: return "the file's list of free records is damaged";
    case st::kJournalReplayFailed: return "an unfinished change could not be completed";
    case records::kNotThisKindOfFile: return "its records are not of the kind expected";
    default: return "the storage engine reported a failure";
  }
}

std::string WhyItFailed() {
  return FailureInWords(engine::EngineStatus, engine::EngineOsError) + " (status " +
         std::to_string(engine::EngineStatus) + ")";
}

}  // namespace tf::cli
