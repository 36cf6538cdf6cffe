#include "common/csv.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tf::common {
namespace {

std::vector<std::vector<std::string>> Fields(const std::vector<CsvRecord>& records) {
  std::vector<std::vector<std::string>> out;
  for (const auto& r : records) out.push_back(r.fields);
  return out;
}

TEST(Csv, QuotedFieldsHoldCommasQuotesAndLineBreaks) {
  std::vector<CsvError> errors;
  auto records = ParseCsv("a,b,c\r\n\"x, y\",\"say \"\"hi\"\"\",\"two\r\nlines\"\r\n,,\n", errors);
  EXPECT_TRUE(errors.empty());
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(Fields(records)[1], (std::vector<std::string>{"x, y", "say \"hi\"", "two\r\nlines"}));
  EXPECT_EQ(Fields(records)[2], (std::vector<std::string>{"", "", ""}));
  // The record after a field spanning two lines starts on line 4.
  EXPECT_EQ(records[2].line, 4u);
}

TEST(Csv, LastLineWithoutLineEndAndEmptyLinesSkipped) {
  std::vector<CsvError> errors;
  auto records = ParseCsv("\xEF\xBB\xBFh\n\n\nv", errors);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].fields[0], "h");
  EXPECT_EQ(records[1].line, 4u);
  EXPECT_EQ(records[1].fields[0], "v");
}

TEST(Csv, MalformedQuotesAreReportedWithTheirLine) {
  struct Case { const char* text; std::size_t line; const char* error; };
  for (const Case& c : {Case{"a\nb\n\"open\nmore", 3, "a quoted field is not closed"},
                        Case{"a\n\"x\"y\n", 2, "text follows a closing quote"}}) {
    std::vector<CsvError> errors;
    ParseCsv(c.text, errors);
    ASSERT_EQ(errors.size(), 1u) << c.text;
    EXPECT_EQ(errors[0].line, c.line);
    EXPECT_EQ(errors[0].text, c.error);
  }
}

TEST(Csv, WritingQuotesOnlyWhenNeededAndReadsBack) {
  std::vector<std::string> fields = {"plain", "a,b", "q\"q", "line\nbreak", "", "M\xFCller"};
  std::string line = CsvLine(fields);
  EXPECT_EQ(line, "plain,\"a,b\",\"q\"\"q\",\"line\nbreak\",,M\xC3\xBCller\r\n");
  CsvTable t = ReadCsvTable("A,B,C,D,E,F\r\n" + line, {"A", "B", "C", "D", "E", "F"}, {});
  ASSERT_TRUE(t.errors.empty());
  ASSERT_EQ(t.rows.size(), 1u);
  for (std::size_t k = 0; k < fields.size(); ++k) EXPECT_EQ(*t.rows[0].values[k], fields[k]);
}

TEST(Csv, TableMapsColumnsByNameAndReportsHeaderAndRowProblems) {
  CsvTable t = ReadCsvTable("Name,Extra,Name\r\n1,2\r\n", {"Number", "Name", "Phone"}, {"Number"});
  ASSERT_EQ(t.errors.size(), 4u);
  EXPECT_EQ(t.errors[0].line, 1u);
  EXPECT_EQ(t.errors[0].text, "unknown column \"Extra\"");
  EXPECT_EQ(t.errors[1].text, "column \"Name\" appears twice");
  EXPECT_EQ(t.errors[2].text, "the required column \"Number\" is missing");
  EXPECT_EQ(t.errors[3].line, 2u);
  EXPECT_FALSE(t.headerOk);

  CsvTable good = ReadCsvTable(" Phone ,Name\n555,Acme\n", {"Number", "Name", "Phone"}, {"Name"});
  ASSERT_TRUE(good.errors.empty());
  EXPECT_TRUE(good.headerOk);
  ASSERT_EQ(good.rows.size(), 1u);
  EXPECT_FALSE(good.rows[0].values[0].has_value());
  EXPECT_EQ(*good.rows[0].values[1], "Acme");
  EXPECT_EQ(*good.rows[0].values[2], "555");
  EXPECT_EQ(good.rows[0].line, 2u);
}

TEST(Csv, Utf8BeyondLatin1AndBytesThatAreNotUtf8AreErrorsOfTheirRowOnly) {
  CsvTable t = ReadCsvTable("Name\nok\n\xE2\x82\xAC uro\n", {"Name"}, {"Name"});
  ASSERT_EQ(t.errors.size(), 1u);
  EXPECT_EQ(t.errors[0].line, 3u);
  EXPECT_EQ(t.errors[0].text, UnstorableCharacterText("Name", U'\u20AC'));
  EXPECT_EQ(t.rows.size(), 1u);
  // One stray Latin-1 byte is refused on its line; the valid "Café" elsewhere is read as UTF-8
  // and kept as it was written, never re-read as Latin-1 bytes.
  CsvTable stray = ReadCsvTable("Name\nCaf\xC3\xA9\nM\xFCller\n", {"Name"}, {"Name"});
  ASSERT_EQ(stray.errors.size(), 1u);
  EXPECT_EQ(stray.errors[0].line, 3u);
  EXPECT_EQ(stray.errors[0].text, "Name: the byte 0xFC is not UTF-8 text (save the file as UTF-8 and import it again)");
  ASSERT_EQ(stray.rows.size(), 1u);
  EXPECT_EQ(*stray.rows[0].values[0], "Caf\xE9");
  EXPECT_EQ(Utf8ToLatin1("\xC0\xAF"), std::nullopt);  // overlong "/"
  EXPECT_EQ(Utf8ToLatin1("\xC3"), std::nullopt);      // cut sequence
}

TEST(Csv, FormulaLeadingTextIsEscapedOnWritingAndReadsBackExactly) {
  struct Case { std::string value; std::string written; };
  const std::vector<Case> cases = {
      {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
      {"+1+2", "'+1+2"},
      {"-x", "'-x"},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"'quoted", "''quoted"},
      {"''", "'''"},
      {"-", "'-"},
      {"\tTab", "'\tTab"},
      {"\r\n=1", "\"'\r\n=1\""},
      {"-12.50", "-12.50"},  // a plain number stays a number
      {"+3", "+3"},
      {"- 3", "'- 3"},
      {"a=b", "a=b"},
      {"", ""},
  };
  std::vector<std::string> values;
  for (const Case& c : cases) {
    EXPECT_EQ(CsvField(c.value), c.written) << c.value;
    values.push_back(c.value);
  }
  std::vector<std::string> names;
  for (std::size_t k = 0; k < values.size(); ++k) names.push_back("C" + std::to_string(k));
  CsvTable t = ReadCsvTable(CsvLine(names) + CsvLine(values), names, {});
  ASSERT_TRUE(t.errors.empty()) << t.errors[0].text;
  ASSERT_EQ(t.rows.size(), 1u);
  for (std::size_t k = 0; k < values.size(); ++k) EXPECT_EQ(*t.rows[0].values[k], values[k]) << k;
  EXPECT_EQ(CsvUnescaped("'x"), "x");
  EXPECT_EQ(CsvUnescaped("x'"), "x'");
}

TEST(Csv, AStreamIsReadOneRecordAtATimeAndAnEndlessRecordStopsTheReading) {
  std::istringstream in("Name,Phone\r\nA,1\r\nB,\"2\r\n3\"\r\nC\r\nD,4\r\n");
  CsvTableReader reader(in, {"Name", "Phone"}, {"Name"});
  ASSERT_TRUE(reader.headerOk());
  std::vector<CsvError> errors;
  CsvNamedRow row;
  std::vector<std::string> names;
  while (reader.Next(row, errors)) {
    // A refused row comes back on its own, with its problem, so no caller holds a file's worth.
    EXPECT_EQ(row.Refused(), errors.size() == 1 && errors.back().line == row.line);
    if (!row.Refused()) names.push_back(*row.values[0] + "@" + std::to_string(row.line));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"A@2", "B@3", "D@6"}));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].line, 5u);
  // A file of NUL bytes with no line end (/dev/zero) is one endless record: the reader stops
  // at its limit instead of holding the file.
  std::istringstream zeros(std::string(5000, '\0'));
  CsvReader endless(zeros, 4096);
  CsvRecord record;
  EXPECT_FALSE(endless.Next(record));
  ASSERT_TRUE(endless.error().has_value());
  EXPECT_EQ(endless.error()->line, 1u);
  EXPECT_NE(endless.error()->text.find("longer than 4096 bytes"), std::string::npos);
  std::istringstream quoted("\"" + std::string(5000, 'x') + "\"\n");
  CsvReader endlessQuote(quoted, 4096);
  EXPECT_FALSE(endlessQuote.Next(record));
  EXPECT_TRUE(endlessQuote.error().has_value());
  // Records that straddle the reader's 64 KiB chunks, with a lone CR (text) and a CR LF (a line
  // end) falling on the boundary.
  for (std::size_t shift : {0u, 1u, 2u}) {
    const std::string big(65536 - 2 - shift, 'x');
    std::istringstream chunked("a\n" + big + "\rb\r\nc,\"q\r\nr\"\r\n");
    CsvReader across(chunked);
    ASSERT_TRUE(across.Next(record));
    ASSERT_TRUE(across.Next(record)) << shift;
    EXPECT_EQ(record.fields, (std::vector<std::string>{big + "\rb"})) << shift;
    ASSERT_TRUE(across.Next(record)) << shift;
    EXPECT_EQ(record.fields, (std::vector<std::string>{"c", "q\r\nr"})) << shift;
    EXPECT_EQ(record.line, 3u);
    EXPECT_FALSE(across.Next(record));
    EXPECT_FALSE(across.error().has_value());
  }
  // A first byte that only begins a byte-order mark is kept.
  std::vector<CsvError> bom;
  EXPECT_EQ(ParseCsv("\xEF\xBB,x\n", bom)[0].fields[0], "\xEF\xBB");
  // A lone CR is text, not a line end.
  std::vector<CsvError> none;
  auto records = ParseCsv("a\rb,c\r\n", none);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].fields[0], "a\rb");
}

TEST(Csv, EmptyFileHasNoHeader) {
  CsvTable t = ReadCsvTable("", {"Name"}, {"Name"});
  ASSERT_EQ(t.errors.size(), 1u);
  EXPECT_EQ(t.errors[0].text, "the file has no header row");
}

}  // namespace
}  // namespace tf::common
