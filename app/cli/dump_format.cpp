#include "app/cli/dump_format.h"

#include <cstdio>

#include "common/stored_text.h"
#include "engine/core/file_format.h"

namespace tf::cli {
namespace {

void PrintRecord(std::ostream& out, const engine::LayoutRecord& r, const records::RecordKind* kind, bool hex) {
  if (!r.live) {
    out << "record " << r.ref << ": deleted, next free " << engine::format::DeletedLink(r.bytes.data()) << "\n";
    return;
  }
  out << "record " << r.ref << ":\n";
  // Records hold Latin-1; the terminal reads UTF-8 (the hex lines show the bytes themselves).
  if (kind && kind->fields)
    for (const std::string& line : kind->fields(r.bytes)) out << "  " << common::Latin1ToUtf8(line) << "\n";
  if (hex || !kind || !kind->fields)
    for (const std::string& line : HexLines(r.bytes)) out << "  " << line << "\n";
}

void PrintIndex(std::ostream& out, const engine::IndexLayout& index) {
  const engine::format::IndexHeader& h = index.header;
  out << "key " << index.keyNr << ": KeyLength " << index.keyLength << ", "
      << (h.AllowDuplicates ? "duplicates allowed" : "unique") << ", EntryCount " << h.EntryCount
      << ", RootPage " << h.RootPage << ", PageCount " << h.PageCount << ", FreePageCount "
      << h.FreePageCount << ", FirstFreePage " << h.FirstFreePage << ", PageSlotSize "
      << h.PageSlotSize << ", PageCapacity " << h.PageCapacity << "\n";
  if (!index.treeRead) {
    out << "  (entries not readable)\n";
    return;
  }
  for (const engine::LayoutEntry& e : index.entries) out << "  " << engine::QuotedKey(e.key) << " -> " << e.ref << "\n";
}

}  // namespace

std::vector<std::string> HexLines(std::span<const unsigned char> bytes) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < bytes.size(); at += 16) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%04zx ", at);
    std::string hexPart = buf, text;
    for (size_t i = at; i < at + 16; ++i) {
      if (i < bytes.size()) {
        std::snprintf(buf, sizeof buf, " %02x", bytes[i]);
        hexPart += buf;
        text += bytes[i] >= 0x20 && bytes[i] < 0x7f ? static_cast<char>(bytes[i]) : '.';
      } else {
        hexPart += "   ";
      }
    }
    lines.push_back(hexPart + "  |" + text + "|");
  }
  return lines;
}

void PrintLayout(std::ostream& out, const std::string& name, const engine::FileBlockLayout& layout,
                 const records::RecordKind* kind, bool hex) {
  out << "file block " << name << ": data file " << layout.dataFileName << " (" << layout.dataFileSize
      << " bytes), index file " << layout.indexFileName;
  if (kind) out << ", record kind " << kind->name;
  out << "\n";
  if (layout.headerRead) {
    const engine::format::DataHeader& h = layout.header;
    out << "header: FirstFree " << h.FirstFree << ", DeletedCount " << h.DeletedCount << ", RecordCount "
        << h.RecordCount << ", RecordLength " << h.RecordLength << ", KeyCount " << h.KeyCount
        << ", UpdateFlag " << int(h.UpdateFlag) << "\n";
  }
  size_t live = 0;
  for (const auto& r : layout.records) live += r.live;
  out << "records: " << live << " live, " << layout.records.size() - live << " deleted\n";
  for (const engine::LayoutRecord& r : layout.records) PrintRecord(out, r, kind, hex);
  for (const engine::IndexLayout& index : layout.indexes) PrintIndex(out, index);
  if (!layout.findings.empty()) {
    out << "problems:\n";
    for (const engine::Finding& f : layout.findings) out << "  " << f.text << "\n";
  }
}

}  // namespace tf::cli
