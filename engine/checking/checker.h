#pragma once
// The integrity checker of one file block. It reads the data and index files with its own
// code, never through the engine's file blocks or B-tree code (only the byte layout is shared,
// engine/core/file_format.h), trusts no header value, and reports every problem it finds
// as one human-readable line. A damaged file never makes it crash, hang or allocate beyond
// the size of the files it reads.
//
// Checked: the data header against the file (length, record length, key count, the update
// flag of an unclosed file block), the free chain of deleted records, each index header and
// its page geometry, and each B-tree (entry counts, fill of non-root pages, leaves at one
// depth, strict key order across the whole tree, key lengths, entry totals, every page in the
// tree or in the key's free chain exactly once, refs to live records). With a key builder it
// also checks that every index holds exactly the keys its live records imply.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/file_format.h"

namespace tf::engine {

enum class Problem : uint8_t {
  // data file
  DataFileUnreadable,
  NotRegularFile,     // a FIFO, directory or device where a data or index file belongs
  IndexWithoutData,   // the index file is there, its data file is not
  DataHeaderShort,
  RecordLengthInvalid,
  RecordCountInvalid,
  KeyCountInvalid,
  DataFileLength,
  UpdateFlagSet,
  HeaderPadding,
  FreeChainLink,
  FreeChainCycle,
  FreeChainLiveSlot,
  FreeChainLength,
  DeletedSlotNotChained,
  // index file
  IndexFileUnreadable,
  IndexHeaderUnreadable,
  PageGeometry,
  IndexHeaderField,
  IndexFileLength,
  PageOutOfRange,
  PageReachedTwice,
  TreeTooDeep,
  PageEntryCount,
  PageUnderfilled,
  PageShape,
  LeafDepth,
  KeyTooLong,
  KeyOrder,
  EntryRef,
  EntryCount,
  PageFreeChainLink,
  PageFreeChainCycle,
  PageInTreeAndFree,
  PageFreeChainLength,
  PageLost,
  // records against their keys
  KeyBuilderResult,
  KeyMissing,
  KeyUnexpected,
  TextFieldLength,  // a live record's text field says it holds more than its capacity
};

// Short stable name of a problem kind ("FreeChainCycle"), for logs and test messages.
const char* ProblemName(Problem problem);

struct Finding {
  Problem problem;
  int keyNr = 0;     // 0: the data file or the file block as a whole
  std::string text;  // the complete line, e.g. "key 2: page 4 holds 30 entries ..."
};

struct CheckResult {
  std::vector<Finding> findings;
  bool Clean() const { return findings.empty(); }
  bool Has(Problem problem) const;
};

// Given the bytes of one live record, returns its key strings for keys 1..KeyCount, in order,
// built exactly as the application builds them for AddKey (longer keys are cut to 30 as the
// engine cuts them).
using KeyBuilder = std::function<std::vector<std::string>(std::span<const unsigned char> record)>;

// A length-prefixed text field of a record layout: the length byte at `offset`, then
// `capacity` character bytes. A length byte above the capacity would make a reader run into
// the next field (or past the record).
struct RecordTextField {
  std::string name;  // "CustomerName", shown in findings
  size_t offset = 0;
  size_t capacity = 0;
};

// What the checker knows of the records of a kind; each part may be left empty.
struct RecordLayoutCheck {
  const KeyBuilder* keys = nullptr;  // checks the indexes against the records
  std::span<const RecordTextField> textFields;
};

// Checks the file block `blockName` (file names derived as the engine derives them, relative
// to the working directory). With a key builder the index contents are checked against the
// records too; with text fields, every live record's length bytes.
CheckResult CheckFileBlock(const std::string& blockName, const KeyBuilder* keys = nullptr);
CheckResult CheckFileBlock(const std::string& blockName, const RecordLayoutCheck& layout);

// --- reading a file block for display ------------------------------------------------------

struct LayoutRecord {
  int32_t ref = 0;
  bool live = false;  // first four bytes zero
  std::vector<unsigned char> bytes;
};

struct LayoutEntry {
  std::string key;
  int32_t ref = 0;
};

struct IndexLayout {
  int keyNr = 0;
  bool headerRead = false;
  format::IndexHeader header;
  int keyLength = 0;        // 0 when the header's geometry is unusable
  bool treeRead = false;    // entries below are the tree's, in order
  std::vector<LayoutEntry> entries;
};

struct FileBlockLayout {
  std::string dataFileName;
  std::string indexFileName;
  bool dataFound = false;
  bool headerRead = false;
  int64_t dataFileSize = 0;
  format::DataHeader header;
  std::vector<LayoutRecord> records;  // every slot 1..RecordCount present in the file
  std::vector<IndexLayout> indexes;   // keys 1..KeyCount whose header could be located
  std::vector<Finding> findings;      // what a check of the same files reports
};

// A key string as findings and dumps show it: quoted, with bytes outside printable ASCII (and
// the quote and backslash) written as \xNN.
std::string QuotedKey(std::string_view key);

// Reads everything readable of a file block: header, every record slot, each index's header
// and entries in order. Damage does not stop it; it is reported in `findings`.
FileBlockLayout ReadFileBlockLayout(const std::string& blockName, const KeyBuilder* keys = nullptr);
FileBlockLayout ReadFileBlockLayout(const std::string& blockName, const RecordLayoutCheck& layout);

}  // namespace tf::engine
