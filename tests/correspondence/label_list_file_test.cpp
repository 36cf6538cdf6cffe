#include "correspondence/label_list_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "common/side_file.h"
#include "tests/support/temp_folder.h"

namespace tf::correspondence {
namespace {

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(LabelListFile, LinesKeepTheirColumnsAndALongNameRoundTrips) {
  test::TempFolder folder;
  const std::string name35 = "Thirty-Five Character Company Name!";
  ASSERT_EQ(name35.size(), 35u);
  LabelQueue queue;
  queue.Add({"12345678", name35, "SORTCODE1234567", "Type of twenty-five chars"});
  queue.Add({"7", "Caf\xe9 Lumi\xe8re", "", "Retail"});  // Latin-1 bytes as records hold them
  queue.Add({"7", "Caf\xe9 Lumi\xe8re", "", "Retail"});  // duplicates stay
  const std::string path = folder / "MAILING.LST";
  ASSERT_EQ(SaveLabelList(path, queue), std::nullopt);
  EXPECT_FALSE(queue.Unsaved());

  const std::string text = common::ReadWholeFile(path);
  const std::string first =
      "12345678 Thirty-Five Character Company Name! SORTCODE1234567 Type of twenty-five chars\r\n";
  ASSERT_EQ(text.substr(0, first.size()), first);
  EXPECT_EQ(text.substr(first.size(), 88),
            "7        Caf\xe9 Lumi\xe8re" + std::string(24, ' ') + std::string(16, ' ') + "Retail" +
                std::string(19, ' ') + "\r\n");

  LabelQueue loaded;
  loaded.Add({"1", "Already there", "", ""});
  ASSERT_EQ(LoadLabelList(path, loaded), std::nullopt);
  ASSERT_EQ(loaded.Size(), 4u);
  EXPECT_EQ(loaded.Entries()[1], queue.Entries()[0]);
  EXPECT_EQ(loaded.Entries()[1].CustomerName, name35);
  EXPECT_EQ(loaded.Entries()[2], queue.Entries()[1]);
  EXPECT_EQ(loaded.Entries()[3], queue.Entries()[2]);
  EXPECT_TRUE(loaded.Unsaved());
}

TEST(LabelListFile, ReadsLinesOtherEditorsLeave) {
  // LF line ends, trailing blanks dropped, a short line holding only a number, blank lines,
  // a line cut at 90 characters with blanks after the last column, no final line end.
  const std::string text = "1001     Acme Ltd\n\n   \r\n42\r\n" + std::string("9        Nine") +
                           std::string(32, ' ') + "S" + std::string(15, ' ') + "T" + std::string(28, ' ');
  const LabelListContents c = ParseLabelList(text);
  ASSERT_TRUE(c.ok()) << c.problem;
  ASSERT_EQ(c.entries.size(), 3u);
  EXPECT_EQ(c.entries[0], (LabelQueueEntry{"1001", "Acme Ltd", "", ""}));
  EXPECT_EQ(c.entries[1], (LabelQueueEntry{"42", "", "", ""}));
  EXPECT_EQ(c.entries[2], (LabelQueueEntry{"9", "Nine", "S", "T"}));
}

TEST(LabelListFile, ADamagedFileIsRefusedWholeAndTheQueueStaysAsItWas) {
  const std::string good = "1001     Acme Ltd\r\n";
  const std::string blanks60(60, ' ');
  const struct {
    const char* what;
    std::string text;
    std::string sentence;
  } cases[] = {
      {"binary bytes", good + std::string("\x01\x02\0\xff", 4) + "\r\n", "Line 2 holds a control character."},
      {"tab in a name", good + good + "5        A\tB\r\n", "Line 3 holds a control character."},
      {"too long", good + "1" + std::string(95, ' ') + "\r\n", "Line 2 is longer than 90 characters."},
      {"number too wide", "123456789 Name\r\n", "Line 1 has text at position 9, where a blank separates the columns."},
      {"name too wide", "1        " + std::string(36, 'N') + "\r\n",
       "Line 1 has text at position 45, where a blank separates the columns."},
      {"type too wide", "1" + std::string(60, ' ') + std::string(26, 'T') + "\r\n", "Line 1 has text after position 86."},
      {"no number", good + "         Nameless\r\n", "Line 2 has no customer number."},
  };
  test::TempFolder folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const LabelListContents parsed = ParseLabelList(c.text);
    EXPECT_FALSE(parsed.ok());
    EXPECT_EQ(parsed.problem, c.sentence);
    EXPECT_TRUE(parsed.entries.empty());

    WriteFile(folder / "BAD.LST", c.text);
    LabelQueue queue;
    queue.Add({"1", "Kept", "", ""});
    queue.SetUnsaved(false);
    EXPECT_EQ(LoadLabelList(folder / "BAD.LST", queue),
              "The record list BAD.LST is damaged: " + c.sentence + " No records were added.");
    ASSERT_EQ(queue.Size(), 1u);
    EXPECT_EQ(queue.Entries()[0].CustomerName, "Kept");
    EXPECT_FALSE(queue.Unsaved());
  }
}

TEST(LabelListFile, AFileThatCannotBeReadOrWrittenSaysSoAndChangesNothing) {
  test::TempFolder folder;
  LabelQueue queue;
  queue.Add({"1", "Kept", "", ""});
  const std::optional<std::string> read = LoadLabelList(folder / "MISSING.LST", queue);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->rfind("The record list MISSING.LST could not be read (", 0), 0u) << *read;
  EXPECT_EQ(queue.Size(), 1u);

  const std::optional<std::string> saved = SaveLabelList(folder / "no-such-folder/OUT.LST", queue);
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->rfind("The record list OUT.LST could not be saved (", 0), 0u) << *saved;
  EXPECT_TRUE(queue.Unsaved());

  // An old list is replaced whole, never left half written.
  WriteFile(folder / "OLD.LST", "1        Old\r\n2        Older\r\n");
  ASSERT_EQ(SaveLabelList(folder / "OLD.LST", queue), std::nullopt);
  EXPECT_EQ(common::ReadWholeFile(folder / "OLD.LST"), *LabelListLine(queue.Entries()[0]) + "\r\n");
}

TEST(LabelListFile, AnEntryWiderThanItsColumnIsNotSaved) {
  test::TempFolder folder;
  LabelQueue queue;
  queue.Add({"1", "Fine", "", ""});
  queue.Add({"2", std::string(36, 'W'), "", ""});
  EXPECT_EQ(LabelListLine(queue.Entries()[1]), std::nullopt);
  EXPECT_EQ(SaveLabelList(folder / "WIDE.LST", queue),
            "Record 2 (customer 2) has a text wider than its column; the list was not saved.");
  EXPECT_TRUE(queue.Unsaved());
  EXPECT_TRUE(folder.empty());
}

}  // namespace
}  // namespace tf::correspondence
