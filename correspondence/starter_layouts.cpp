#include "correspondence/starter_layouts.h"

#include <filesystem>

namespace tf::correspondence {
namespace {

// Margins count from the printable area, which on most printers (and in the program's PDF
// files) begins a quarter of an inch (75 units) in from the paper's edges; the text starts a
// little inside each label.
LabelLayout Sheet(const char* description, const char* left, const char* top, const char* rows, const char* width,
                  const char* height) {
  LabelLayout l;
  l.Description = description;
  l.LeftMargin = left;
  l.TopMargin = top;
  l.ColumnsAcross = "3";
  l.RowsDown = rows;
  l.LabelWidth = width;
  l.LabelHeight = height;
  l.Font = {"Arial", 9, 0, 0};
  l.LineWidth = "1";
  return l;
}

}  // namespace

const std::vector<StarterLayout>& StarterLayouts() {
  // Letter: first label 3/16 in from the left and 1/2 in from the top, 2 3/4 in apart across
  // (2 5/8 in labels), 1 in down; text 1/8 in and 1/10 in inside the label.
  // A4: first label 7.2 mm from the left and 12.9 mm from the top, 66.0 mm apart across,
  // 33.9 mm down; text 1/10 in inside the label.
  static const std::vector<StarterLayout> layouts = {
      {"LETTER30.LBL", Sheet("Letter 3 x 10 address labels, 1 x 2-5/8 in", "19", "105", "10", "825", "300")},
      {"A4-24.LBL", Sheet("A4 3 x 8 address labels, 63.5 x 33.9 mm", "40", "107", "8", "780", "400")},
  };
  return layouts;
}

std::string CreateStarterLabelLayouts() {
  std::error_code ec;
  for (const StarterLayout& s : StarterLayouts()) {
    if (std::filesystem::exists(s.fileName, ec)) continue;
    if (auto problem = WriteLabelLayoutFile(s.fileName, s.layout)) return *problem;
  }
  if (std::filesystem::exists(kLastLayoutFile, ec)) return {};
  return RecordLastLayout(StarterLayouts().front().fileName).value_or(std::string());
}

}  // namespace tf::correspondence
