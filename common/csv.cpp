#include "common/csv.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "common/money_text.h"

namespace tf::common {
namespace {

constexpr int kEnd = std::char_traits<char>::eof();

bool RunsAsFormula(std::string_view field) {
  if (field.empty()) return false;
  const char c = field.front();
  if (c == '\'') return true;
  if (c != '=' && c != '+' && c != '-' && c != '@' && c != '\t' && c != '\r') return false;
  // A plain number ("-12.50", "+3") is shown as the number it is.
  return !ParseAmount(field) || field.find_first_of(" \t\r\n") != std::string_view::npos;
}

}  // namespace

CsvReader::CsvReader(std::istream& in, std::size_t maxRecordBytes) : in_(in), maxRecordBytes_(maxRecordBytes) {}

int CsvReader::ReadAhead(std::size_t k) {
  while (pos_ + k >= chunk_.size()) {
    if (ended_) return kEnd;
    chunk_.erase(0, pos_);
    pos_ = 0;
    char buffer[1 << 16];
    in_.read(buffer, sizeof buffer);
    const std::streamsize got = in_.gcount();
    if (got > 0) chunk_.append(buffer, std::size_t(got));
    if (!in_) {
      ended_ = true;
      readFailed_ = in_.bad();
    }
  }
  return static_cast<unsigned char>(chunk_[pos_ + k]);
}

int CsvReader::Take() {
  const int c = Peek();
  if (c != kEnd) ++pos_;
  return c;
}

// A CR ends a line only before an LF; a lone CR is text.
bool CsvReader::AtLineEnd() {
  const int c = Peek();
  return c == '\n' || (c == '\r' && PeekAt(1) == '\n');
}

void CsvReader::SkipLineEnd() {
  if (Take() == '\r') Take();
  ++line_;
}

bool CsvReader::Fail(std::size_t line, std::string text) {
  error_ = CsvError{line, std::move(text)};
  return false;
}

bool CsvReader::Next(CsvRecord& record) {
  if (error_) return false;
  if (!started_) {
    started_ = true;
    // A byte-order mark is skipped.
    if (Peek() == 0xEF && PeekAt(1) == 0xBB && PeekAt(2) == 0xBF) pos_ += 3;
  }
  while (AtLineEnd()) SkipLineEnd();  // empty lines
  if (Peek() == kEnd) {
    if (readFailed_) return Fail(line_, "the file could not be read to its end");
    return false;
  }
  record.line = line_;
  record.fields.clear();
  std::size_t bytes = 0;
  const auto tooLong = [&] {
    return Fail(record.line, "the record is longer than " + std::to_string(maxRecordBytes_) +
                                 " bytes, more than any record holds (is this a CSV file?)");
  };
  for (;;) {
    std::string field;
    if (Peek() == '"') {
      const std::size_t quoteLine = line_;
      Take();
      bool closed = false;
      for (int c = Take(); c != kEnd; c = Take()) {
        if (++bytes > maxRecordBytes_) return tooLong();
        if (c == '"') {
          if (Peek() == '"') {
            Take();
            field += '"';
            continue;
          }
          closed = true;
          break;
        }
        if (c == '\n') ++line_;
        field += char(c);
      }
      if (!closed) return Fail(quoteLine, "a quoted field is not closed");
      if (Peek() != kEnd && Peek() != ',' && !AtLineEnd()) return Fail(line_, "text follows a closing quote");
    } else {
      for (;;) {
        // The plain characters the chunk holds, in one piece.
        const std::size_t end = std::min(chunk_.find_first_of(",\r\n", pos_), chunk_.size());
        if (end > pos_) {
          bytes += end - pos_;
          if (bytes > maxRecordBytes_) return tooLong();
          field.append(chunk_, pos_, end - pos_);
          pos_ = end;
        }
        if (Peek() == kEnd || Peek() == ',' || AtLineEnd()) break;
        if (Peek() == '\r') {  // a lone CR is text
          if (++bytes > maxRecordBytes_) return tooLong();
          field += char(Take());
        }
      }
    }
    record.fields.push_back(std::move(field));
    if (Peek() == ',') {
      Take();
      ++bytes;
      continue;
    }
    if (Peek() != kEnd) SkipLineEnd();
    break;
  }
  if (readFailed_) return Fail(record.line, "the file could not be read to its end");
  return true;
}

std::vector<CsvRecord> ParseCsv(std::string_view text, std::vector<CsvError>& errors) {
  std::istringstream in{std::string(text)};
  CsvReader reader(in);
  std::vector<CsvRecord> records;
  CsvRecord record;
  while (reader.Next(record)) records.push_back(record);
  if (reader.error()) errors.push_back(*reader.error());
  return records;
}

std::string CsvField(std::string_view latin1) {
  std::string utf8 = Latin1ToUtf8(latin1);
  if (RunsAsFormula(latin1)) utf8.insert(0, 1, '\'');
  if (utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string CsvLine(const std::vector<std::string>& latin1Fields) {
  std::string out;
  for (std::size_t k = 0; k < latin1Fields.size(); ++k) {
    if (k) out += ',';
    out += CsvField(latin1Fields[k]);
  }
  out += "\r\n";
  return out;
}

std::string CsvUnescaped(std::string_view field) {
  if (!field.empty() && field.front() == '\'') field.remove_prefix(1);
  return std::string(field);
}

CsvTableReader::CsvTableReader(std::istream& in, std::vector<std::string> knownNames,
                               const std::vector<std::string>& requiredNames)
    : reader_(in), knownNames_(std::move(knownNames)) {
  CsvRecord header;
  if (!reader_.Next(header)) {
    headerErrors_.push_back(reader_.error() ? *reader_.error() : CsvError{1, "the file has no header row"});
    ended_ = true;
    return;
  }
  headerFields_ = header.fields.size();
  std::vector<bool> present(knownNames_.size(), false);
  for (const std::string& rawName : header.fields) {
    std::string name = rawName;
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    name.erase(0, std::min(name.find_first_not_of(" \t"), name.size()));
    auto it = std::find(knownNames_.begin(), knownNames_.end(), name);
    if (it == knownNames_.end()) {
      // The name as the user's editor shows it, without raw bytes that are not UTF-8.
      std::optional<std::string> shown = Utf8ToLatin1(name);
      headerErrors_.push_back({header.line, "unknown column \"" + (shown ? Latin1ToUtf8(*shown) : "?") + "\""});
      columnOf_.push_back(-1);
      continue;
    }
    const int index = int(it - knownNames_.begin());
    if (present[std::size_t(index)])
      headerErrors_.push_back({header.line, "column \"" + name + "\" appears twice"});
    present[std::size_t(index)] = true;
    columnOf_.push_back(index);
  }
  for (const std::string& required : requiredNames) {
    auto it = std::find(knownNames_.begin(), knownNames_.end(), required);
    if (it == knownNames_.end() || !present[std::size_t(it - knownNames_.begin())])
      headerErrors_.push_back({header.line, "the required column \"" + required + "\" is missing"});
  }
}

bool CsvTableReader::Next(CsvNamedRow& row, std::vector<CsvError>& errors) {
  CsvRecord record;
  if (ended_) return false;
  if (!reader_.Next(record)) {
    ended_ = true;
    if (reader_.error()) errors.push_back(*reader_.error());
    return false;
  }
  row.line = record.line;
  row.values.clear();
  if (record.fields.size() != headerFields_) {
    errors.push_back({record.line, "has " + std::to_string(record.fields.size()) +
                                       " fields where the header names " + std::to_string(headerFields_)});
    return true;
  }
  row.values.assign(knownNames_.size(), std::nullopt);
  bool ok = true;
  for (std::size_t k = 0; k < record.fields.size() && ok; ++k) {
    if (columnOf_[k] < 0) continue;
    const std::string& name = knownNames_[std::size_t(columnOf_[k])];
    Latin1Conversion value = ConvertToLatin1(record.fields[k]);
    if (value.badOffset) {
      char byte[8];
      std::snprintf(byte, sizeof byte, "0x%02X", unsigned(static_cast<unsigned char>(record.fields[k][*value.badOffset])));
      errors.push_back({record.line, name + ": the byte " + byte +
                                         " is not UTF-8 text (save the file as UTF-8 and import it again)"});
      ok = false;
    } else if (value.unstorable) {
      errors.push_back({record.line, UnstorableCharacterText(name, *value.unstorable)});
      ok = false;
    } else {
      row.values[std::size_t(columnOf_[k])] = CsvUnescaped(value.latin1);
    }
  }
  if (!ok) row.values.clear();
  return true;
}

CsvTable ReadCsvTable(std::string_view text, const std::vector<std::string>& knownNames,
                      const std::vector<std::string>& requiredNames) {
  std::istringstream in{std::string(text)};
  CsvTableReader reader(in, knownNames, requiredNames);
  CsvTable table;
  table.errors = reader.headerErrors();
  table.headerOk = reader.headerOk();
  CsvNamedRow row;
  while (reader.Next(row, table.errors))
    if (!row.Refused()) table.rows.push_back(row);
  std::stable_sort(table.errors.begin(), table.errors.end(),
                   [](const CsvError& a, const CsvError& b) { return a.line < b.line; });
  return table;
}

}  // namespace tf::common
