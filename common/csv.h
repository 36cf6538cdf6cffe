#pragma once
// Comma-separated files for import and export: fields separated by ",", a field that holds a
// comma, a quote or a line break is enclosed in double quotes with its quotes doubled, and
// records end with CR LF (a lone LF is read too). The first record is a header row naming the
// fields. Errors carry the line number where the offending record starts, counted from 1, so a
// user can find it in an editor even when quoted fields span lines.
//
// Files are UTF-8 as spreadsheets write them (an initial byte-order mark is skipped); records
// hold Latin-1 bytes. Reading converts each field to Latin-1 and reports a character outside
// Latin-1, or a byte that is not UTF-8, as an error of its record: a file is never guessed to
// be in another encoding, since one stray byte would then garble every other accented letter.
// Writing converts Latin-1 to UTF-8.
//
// Spreadsheets run a cell that starts with "=", "+", "-", "@" (or a tab or CR) as a formula, so
// a written field starting so is preceded by an apostrophe, as is one that starts with an
// apostrophe already; a field that is a plain number ("-12.50") is left alone. Reading takes
// one leading apostrophe off every data field, so what was written reads back exactly.
//
// Reading streams: one record is held at a time, and a record longer than kMaxCsvRecordBytes
// (no CSV of this program's records comes near it) ends the reading with an error, so memory
// stays bounded whatever the file holds.

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/stored_text.h"

namespace tf::common {

inline constexpr std::size_t kMaxCsvRecordBytes = 1 << 20;

struct CsvError {
  std::size_t line = 0;  // 1-based; 0 when the problem is not tied to a line
  std::string text;
};

struct CsvRecord {
  std::size_t line = 0;  // where the record starts
  std::vector<std::string> fields;
};

// Reads the records of a stream one at a time, as they are written (no conversion).
class CsvReader {
 public:
  explicit CsvReader(std::istream& in, std::size_t maxRecordBytes = kMaxCsvRecordBytes);
  // The next record; false at the end or at a problem (an unclosed quote, text after a closing
  // quote, an over-long record, a read error), which error() then tells. Empty lines are
  // skipped.
  bool Next(CsvRecord& record);
  const std::optional<CsvError>& error() const { return error_; }

 private:
  // The character k places ahead, or the end; reads the stream in chunks as needed.
  int PeekAt(std::size_t k) {
    return pos_ + k < chunk_.size() ? static_cast<unsigned char>(chunk_[pos_ + k]) : ReadAhead(k);
  }
  int ReadAhead(std::size_t k);
  int Peek() { return PeekAt(0); }
  int Take();
  bool AtLineEnd();
  void SkipLineEnd();
  bool Fail(std::size_t line, std::string text);

  std::istream& in_;
  std::string chunk_;  // what was read and not taken yet, from pos_
  std::size_t pos_ = 0;
  bool ended_ = false;
  bool readFailed_ = false;
  std::size_t maxRecordBytes_;
  std::size_t line_ = 1;
  bool started_ = false;
  std::optional<CsvError> error_;
};

// All records of a text; problems in `errors`, with the records read up to there returned.
std::vector<CsvRecord> ParseCsv(std::string_view text, std::vector<CsvError>& errors);

// One field as written: escaped when a spreadsheet would run it, quoted only when it must be.
std::string CsvField(std::string_view latin1);
// A whole record with its CR LF.
std::string CsvLine(const std::vector<std::string>& latin1Fields);
// A data field as read: one leading apostrophe taken off.
std::string CsvUnescaped(std::string_view field);

// A header row matched against the names a record kind knows. Each data row becomes one value
// per known name (empty optional: the column is absent from the file). Header problems (an
// unknown or repeated name, a required name missing) are errors of line 1; a data row with
// another count of fields than the header, or a field that is not UTF-8 or not Latin-1, is an
// error of its line.
struct CsvNamedRow {
  std::size_t line = 0;
  std::vector<std::optional<std::string>> values;  // indexed like `knownNames`; empty: refused
  bool Refused() const { return values.empty(); }
};

// A table read row by row from a stream.
class CsvTableReader {
 public:
  CsvTableReader(std::istream& in, std::vector<std::string> knownNames, const std::vector<std::string>& requiredNames);
  // The header's problems (and a missing header); empty when it names every column rightly.
  const std::vector<CsvError>& headerErrors() const { return headerErrors_; }
  bool headerOk() const { return headerErrors_.empty(); }
  // The next row: true with its values, or true with no values (row.Refused()) when the row
  // has a problem, which is added to `errors`; one row at a time either way, so a caller that
  // keeps only some problems holds no more. False at the end, or at a problem that ends the
  // reading (added to `errors` too).
  bool Next(CsvNamedRow& row, std::vector<CsvError>& errors);

 private:
  CsvReader reader_;
  std::vector<std::string> knownNames_;
  std::vector<int> columnOf_;  // file column -> known name index, -1 unknown
  std::size_t headerFields_ = 0;
  std::vector<CsvError> headerErrors_;
  bool ended_ = false;
};

struct CsvTable {
  std::vector<CsvNamedRow> rows;
  std::vector<CsvError> errors;  // in line order
  bool headerOk = false;         // the header row was read and names every column rightly
};

// The whole table of a text at once (small files and tests).
CsvTable ReadCsvTable(std::string_view text, const std::vector<std::string>& knownNames,
                      const std::vector<std::string>& requiredNames);

}  // namespace tf::common
