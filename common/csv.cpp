#include "common/csv.h"

#include <algorithm>

namespace tf::common {
namespace {

// Decodes one UTF-8 sequence at text[i]; false when it is malformed (overlong forms and
// surrogates included).
bool DecodeUtf8(std::string_view text, std::size_t& i, char32_t& cp) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char b = byte(i);
  int extra = 0;
  if (b < 0x80) { cp = b; ++i; return true; }
  if (b >= 0xC2 && b <= 0xDF) { cp = b & 0x1F; extra = 1; }
  else if (b >= 0xE0 && b <= 0xEF) { cp = b & 0x0F; extra = 2; }
  else if (b >= 0xF0 && b <= 0xF4) { cp = b & 0x07; extra = 3; }
  else return false;
  if (i + std::size_t(extra) >= text.size()) return false;
  for (int k = 1; k <= extra; ++k) {
    const unsigned char c = byte(i + std::size_t(k));
    if ((c & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (c & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  i += std::size_t(extra) + 1;
  return true;
}

bool IsValidUtf8(std::string_view text) {
  char32_t cp = 0;
  for (std::size_t i = 0; i < text.size();)
    if (!DecodeUtf8(text, i, cp)) return false;
  return true;
}

}  // namespace

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size());
  for (char ch : latin1) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::optional<std::string> Utf8ToLatin1(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  char32_t cp = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    if (!DecodeUtf8(utf8, i, cp) || cp > 0xFF) return std::nullopt;
    out += char(cp);
  }
  return out;
}

std::vector<CsvRecord> ParseCsv(std::string_view text, std::vector<CsvError>& errors) {
  std::vector<CsvRecord> records;
  std::size_t i = 0, line = 1;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
  const auto atLineEnd = [&](std::size_t k) {
    return k < text.size() && (text[k] == '\n' || (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n'));
  };
  const auto skipLineEnd = [&]() {
    if (text[i] == '\r') ++i;
    ++i;
    ++line;
  };
  while (i < text.size()) {
    if (atLineEnd(i)) {  // an empty line
      skipLineEnd();
      continue;
    }
    CsvRecord record;
    record.line = line;
    bool recordEnded = false;
    while (!recordEnded) {
      std::string field;
      if (i < text.size() && text[i] == '"') {
        const std::size_t quoteLine = line;
        ++i;
        bool closed = false;
        while (i < text.size()) {
          if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
              field += '"';
              i += 2;
              continue;
            }
            ++i;
            closed = true;
            break;
          }
          if (text[i] == '\n') ++line;
          field += text[i++];
        }
        if (!closed) {
          errors.push_back({quoteLine, "a quoted field is not closed"});
          return records;
        }
        if (i < text.size() && text[i] != ',' && !atLineEnd(i)) {
          errors.push_back({line, "text follows a closing quote"});
          return records;
        }
      } else {
        while (i < text.size() && text[i] != ',' && !atLineEnd(i)) field += text[i++];
      }
      record.fields.push_back(std::move(field));
      if (i < text.size() && text[i] == ',') {
        ++i;
      } else {
        if (i < text.size()) skipLineEnd();
        recordEnded = true;
      }
    }
    records.push_back(std::move(record));
  }
  return records;
}

std::string CsvField(std::string_view latin1) {
  std::string utf8 = Latin1ToUtf8(latin1);
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

CsvTable ReadCsvTable(std::string_view text, const std::vector<std::string>& knownNames,
                      const std::vector<std::string>& requiredNames) {
  CsvTable table;
  const bool utf8 = IsValidUtf8(text);
  std::vector<CsvRecord> records = ParseCsv(text, table.errors);
  if (records.empty()) {
    if (table.errors.empty()) table.errors.push_back({1, "the file has no header row"});
    return table;
  }
  // Column k of the file holds known name columnOf[k] (or -1 when the name is unknown).
  const CsvRecord& header = records.front();
  std::vector<int> columnOf;
  std::vector<bool> present(knownNames.size(), false);
  for (const std::string& rawName : header.fields) {
    std::string name = rawName;
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    name.erase(0, std::min(name.find_first_not_of(" \t"), name.size()));
    auto it = std::find(knownNames.begin(), knownNames.end(), name);
    if (it == knownNames.end()) {
      table.errors.push_back({header.line, "unknown column \"" + name + "\""});
      columnOf.push_back(-1);
      continue;
    }
    const int index = int(it - knownNames.begin());
    if (present[std::size_t(index)])
      table.errors.push_back({header.line, "column \"" + name + "\" appears twice"});
    present[std::size_t(index)] = true;
    columnOf.push_back(index);
  }
  for (const std::string& required : requiredNames) {
    auto it = std::find(knownNames.begin(), knownNames.end(), required);
    if (it == knownNames.end() || !present[std::size_t(it - knownNames.begin())])
      table.errors.push_back({header.line, "the required column \"" + required + "\" is missing"});
  }
  table.headerOk = table.errors.empty();
  for (std::size_t r = 1; r < records.size(); ++r) {
    const CsvRecord& record = records[r];
    if (record.fields.size() != header.fields.size()) {
      table.errors.push_back({record.line, "has " + std::to_string(record.fields.size()) +
                                               " fields where the header names " +
                                               std::to_string(header.fields.size())});
      continue;
    }
    CsvNamedRow row;
    row.line = record.line;
    row.values.resize(knownNames.size());
    bool ok = true;
    for (std::size_t k = 0; k < record.fields.size(); ++k) {
      if (columnOf[k] < 0) continue;
      std::optional<std::string> value =
          utf8 ? Utf8ToLatin1(record.fields[k]) : std::optional<std::string>(record.fields[k]);
      if (!value) {
        table.errors.push_back({record.line, knownNames[std::size_t(columnOf[k])] +
                                                 ": a character cannot be stored (only Latin-1 letters are kept)"});
        ok = false;
        break;
      }
      row.values[std::size_t(columnOf[k])] = std::move(*value);
    }
    if (ok) table.rows.push_back(std::move(row));
  }
  std::stable_sort(table.errors.begin(), table.errors.end(),
                   [](const CsvError& a, const CsvError& b) { return a.line < b.line; });
  return table;
}

}  // namespace tf::common
