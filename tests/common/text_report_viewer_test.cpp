#include "common/text_report_viewer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/side_file.h"
#include "tests/support/temp_folder.h"

namespace tf::common {
namespace {

namespace fs = std::filesystem;

// Reads the file while it is being shown, as the window would.
class RecordingViewer : public TextReportViewer {
 public:
  void ShowTextFile(const std::string& path, std::string_view title) override {
    shownPath = path;
    shownTitle = title;
    contents = ReadWholeFile(path);
    ++shows;
  }
  std::string shownPath, shownTitle, contents;
  int shows = 0;
};

// Runs the test inside a fresh folder: the report file lives in the working directory.
class TextReportTest : public ::testing::Test {
 protected:
  tf::test::TempFolder folder_{tf::test::TempFolder::Enter};
  fs::path dir_ = folder_.path();
};

TEST_F(TextReportTest, WritesCrLfLinesShowsThemAndDeletesTheFile) {
  RecordingViewer viewer;
  ASSERT_TRUE(ShowTextReport(viewer, {"Product List", "", "A100  Widget   1.50"},
                             "Product List by Code"));
  EXPECT_EQ(viewer.shows, 1);
  EXPECT_EQ(viewer.shownPath, "TXTTEMP.TXT");
  EXPECT_EQ(viewer.shownTitle, "Product List by Code");
  EXPECT_EQ(viewer.contents, "Product List\r\n\r\nA100  Widget   1.50\r\n");
  EXPECT_FALSE(fs::exists(dir_ / "TXTTEMP.TXT"));
}

TEST_F(TextReportTest, ReplacesALeftoverFileAndKeepsLatin1Bytes) {
  std::ofstream(dir_ / "TXTTEMP.TXT") << "an old report that is much longer than the new one\r\n";
  RecordingViewer viewer;
  ASSERT_TRUE(ShowTextReport(viewer, {"Caf\xe9"}, "t"));
  EXPECT_EQ(viewer.contents, "Caf\xe9\r\n");
}

TEST_F(TextReportTest, AFileThatCannotBeWrittenShowsNothing) {
  // A folder stands where the file would go.
  fs::create_directory(dir_ / "TXTTEMP.TXT");
  std::ofstream(dir_ / "TXTTEMP.TXT" / "x") << "x";
  RecordingViewer viewer;
  EXPECT_FALSE(ShowTextReport(viewer, {"line"}, "t"));
  EXPECT_EQ(viewer.shows, 0);
}

TEST(TextReportViewer, ProposingAFileNameIsOptionalForViewers) {
  RecordingViewer viewer;
  TextReportViewer& v = viewer;
  v.ProposeFileName("Product");  // the base viewer ignores it
  EXPECT_EQ(viewer.shows, 0);
}

}  // namespace
}  // namespace tf::common
