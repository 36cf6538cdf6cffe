#include "common/text_report_viewer.h"

#include <cstdio>
#include <fstream>

namespace tf::common {

bool ShowTextReport(TextReportViewer& viewer, const std::vector<std::string>& lines,
                    std::string_view title) {
  const std::string path(kReportTempFile);
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const auto& line : lines) out << line << "\r\n";
    out.close();
    if (!out) {
      std::remove(path.c_str());
      return false;
    }
  }
  viewer.ShowTextFile(path, title);
  std::remove(path.c_str());
  return true;
}

}  // namespace tf::common
