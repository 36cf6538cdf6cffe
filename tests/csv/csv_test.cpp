#include "common/csv.h"

#include <gtest/gtest.h>

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

TEST(Csv, Utf8BeyondLatin1IsARowErrorAndLatin1FilesAreTakenAsTheyAre) {
  CsvTable t = ReadCsvTable("Name\nok\n\xE2\x82\xAC uro\n", {"Name"}, {"Name"});
  ASSERT_EQ(t.errors.size(), 1u);
  EXPECT_EQ(t.errors[0].line, 3u);
  EXPECT_EQ(t.rows.size(), 1u);
  // Not valid UTF-8 at all: the bytes are Latin-1 already.
  CsvTable latin = ReadCsvTable("Name\nM\xFCller\n", {"Name"}, {"Name"});
  ASSERT_TRUE(latin.errors.empty());
  EXPECT_EQ(*latin.rows[0].values[0], "M\xFCller");
  EXPECT_EQ(Utf8ToLatin1("\xC0\xAF"), std::nullopt);  // overlong "/"
  EXPECT_EQ(Utf8ToLatin1("\xC3"), std::nullopt);      // cut sequence
}

TEST(Csv, EmptyFileHasNoHeader) {
  CsvTable t = ReadCsvTable("", {"Name"}, {"Name"});
  ASSERT_EQ(t.errors.size(), 1u);
  EXPECT_EQ(t.errors[0].text, "the file has no header row");
}

}  // namespace
}  // namespace tf::common
