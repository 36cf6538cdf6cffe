#pragma once
// Comma-separated files for import and export: fields separated by ",", a field that holds a
// comma, a quote or a line break is enclosed in double quotes with its quotes doubled, and
// records end with CR LF (a lone LF is read too). The first record is a header row naming the
// fields. Errors carry the line number where the offending record starts, counted from 1, so a
// user can find it in an editor even when quoted fields span lines.
//
// Files are UTF-8 as spreadsheets write them (an initial byte-order mark is skipped); records
// hold Latin-1 bytes. Reading converts each field to Latin-1 and reports a character outside
// Latin-1 as an error of its record; a file that is not valid UTF-8 is taken as Latin-1 bytes
// already. Writing converts Latin-1 to UTF-8.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tf::common {

struct CsvError {
  std::size_t line = 0;  // 1-based; 0 when the problem is not tied to a line
  std::string text;
};

struct CsvRecord {
  std::size_t line = 0;  // where the record starts
  std::vector<std::string> fields;
};

// Splits the text into records. Problems (an unclosed quote, text after a closing quote) are
// reported in `errors`; the records read up to there are returned. Empty lines are skipped.
std::vector<CsvRecord> ParseCsv(std::string_view text, std::vector<CsvError>& errors);

// One field as written: quoted only when it must be.
std::string CsvField(std::string_view latin1);
// A whole record with its CR LF.
std::string CsvLine(const std::vector<std::string>& latin1Fields);

// A header row matched against the names a record kind knows. Each data row becomes one value
// per known name (empty optional: the column is absent from the file). Header problems (an
// unknown or repeated name, a required name missing) are errors of line 1; a data row with
// another count of fields than the header is an error of its line.
struct CsvNamedRow {
  std::size_t line = 0;
  std::vector<std::optional<std::string>> values;  // indexed like `knownNames`
};

struct CsvTable {
  std::vector<CsvNamedRow> rows;
  std::vector<CsvError> errors;  // in line order
  bool headerOk = false;         // the header row was read and names every column rightly
};

CsvTable ReadCsvTable(std::string_view text, const std::vector<std::string>& knownNames,
                      const std::vector<std::string>& requiredNames);

// Latin-1 <-> UTF-8 for the file's texts. `ToLatin1` returns nothing for a character beyond
// U+00FF or for text that is not valid UTF-8.
std::string Latin1ToUtf8(std::string_view latin1);
std::optional<std::string> Utf8ToLatin1(std::string_view utf8);

}  // namespace tf::common
