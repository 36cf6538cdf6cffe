#pragma once
// List reports are written as lines of at most 85 characters into "TXTTEMP.TXT" in the data
// folder, shown in the text list window, and the file is deleted afterwards. Screen models
// write the file and hand it to a viewer; the window implementation is TListWindow
// (common/ui/list_window.h), tests use a recorder.

#include <string>
#include <string_view>
#include <vector>

namespace tf::common {

inline constexpr std::string_view kReportTempFile = "TXTTEMP.TXT";
inline constexpr std::size_t kReportLineWidth = 85;

class TextReportViewer {
 public:
  virtual ~TextReportViewer() = default;
  // Shows the text file modally under `title` until the user closes it.
  virtual void ShowTextFile(const std::string& path, std::string_view title) = 0;
  // The file name "Save to File" proposes, without extension ("Product"); set before showing.
  virtual void ProposeFileName(std::string_view baseName) { (void)baseName; }
};

// Writes the lines (CR LF after each) to "TXTTEMP.TXT", shows it, deletes it. Returns false,
// with nothing shown, when the file cannot be written.
bool ShowTextReport(TextReportViewer& viewer, const std::vector<std::string>& lines,
                    std::string_view title);

}  // namespace tf::common
