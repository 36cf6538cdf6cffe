#pragma once
// Record kinds: which file blocks hold which records. A kind is matched by a shell-style
// pattern over the block name ("[0-9]*C" for every company's customers) and brings the key
// builder the checker compares the indexes with, a field dumper for `dump`, and the file
// block's shape for rebuilding. BuiltInRecordKinds() is the one table of the program's own
// file blocks: checking, dumping, rebuilding and backing up all read it, so a record kind
// joins every one of them by being added there.

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/checking/checker.h"
#include "records/record_file.h"

namespace tf::records {

// Lines "Field: value" describing one record.
using FieldDumper = std::function<std::vector<std::string>(std::span<const unsigned char> record)>;

struct RecordKind {
  std::string name;          // shown by help and dump, e.g. "customers"
  std::string blockPattern;  // fnmatch pattern over block names, case-sensitive
  engine::KeyBuilder keys;   // empty: no record-aware check
  FieldDumper fields;        // empty: records are shown as hex
  // The file block's own shape (record length, keys, key routine) when the program keeps these
  // records through the shared record-file procedures: `rebuild NAME` then needs no shape
  // arguments. Null: the shape must be given.
  const records::RecordFileKind* file = nullptr;
  // The record's length-prefixed text fields, so the checker can report a length byte above
  // a field's capacity. Empty: not checked.
  std::vector<engine::RecordTextField> textFields = {};

  // What the checker is told about these records.
  engine::RecordLayoutCheck Check() const { return {keys ? &keys : nullptr, textFields}; }
};

class RecordKindRegistry {
 public:
  void Add(RecordKind kind) { kinds_.push_back(std::move(kind)); }
  // The first registered kind whose pattern matches, or nullptr.
  const RecordKind* Find(std::string_view blockName) const;
  const std::vector<RecordKind>& All() const { return kinds_; }

 private:
  std::vector<RecordKind> kinds_;
};

// The program's own record kinds: companies, and every company's customers, products,
// invoices, invoice lines and memos.
const RecordKindRegistry& BuiltInRecordKinds();

}  // namespace tf::records
