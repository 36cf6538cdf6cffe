// The screenshots script, run as a user refreshing the README's pictures would run it, into a
// temporary folder: every picture of the tour is there, is a PNG of a window's or a page's
// size, and shows something (not one flat colour, as a window that never painted would be).
// The pictures kept in docs/screenshots and the README's tour name the same set.

#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QString>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "tests/support/external_peer.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

struct Picture {
  const char* name;
  bool page;  // a printed page (grey, tall) rather than a window
};

// The script's virtual screen, which the main window fills.
const QSize kScreen(1152, 864);

// Every picture the tour is made of.
constexpr Picture kPictures[] = {
    {"main-window", false},     {"company-manager", false}, {"company-options", false},
    {"customer-manager", false}, {"customer-form", false},   {"statement-view", false},
    {"product-manager", false}, {"invoice-manager", false}, {"invoice-entry", false},
    {"payment-wizard", false},  {"report-wizard", false},   {"sample-invoice", true},
    {"sample-statement", true}, {"sample-report", true},
};

std::set<std::string> PictureNames() {
  std::set<std::string> names;
  for (const Picture& p : kPictures) names.insert(std::string(p.name) + ".png");
  return names;
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// How many different colours the picture has, counting no further than `enough`.
int Colours(const QImage& picture, int enough) {
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
  std::unordered_set<QRgb> seen;
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) {
      seen.insert(line[x]);
      if (static_cast<int>(seen.size()) >= enough) return enough;
    }
  }
  return static_cast<int>(seen.size());
}

// The share of the picture's pixels that are its most common colour.
double Background(const QImage& picture) {
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
  std::unordered_map<QRgb, long> counts;
  long most = 0;
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) most = std::max(most, ++counts[line[x]]);
  }
  return static_cast<double>(most) / (static_cast<double>(rgb.width()) * rgb.height());
}

// The share of the picture's pixels that are pure black.
double BlackShare(const QImage& picture) {
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
  long black = 0;
  for (int y = 0; y < rgb.height(); ++y)
    for (int x = 0; x < rgb.width(); ++x) black += (rgb.pixel(x, y) & 0xffffffu) == 0;
  return static_cast<double>(black) / (static_cast<double>(rgb.width()) * rgb.height());
}

TEST(ScreenshotTour, TheScriptMakesEveryPictureAndEachShowsSomething) {
  TF_NEED_PEERS_GTEST("the screenshots script's virtual display and page pictures", "Xvfb", "pdftoppm", "bash");
  tf::test::TempFolder out;
  const std::string log = out / "script.log";
  const std::string command = "bash '" TF_SOURCE_DIR "/docs/screenshots/make-screenshots.sh' --build '" TF_BUILD_DIR
                              "' --out '" + out.path() + "/pictures' >'" + log + "' 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the script failed:\n" << ReadAll(log);

  std::set<std::string> made;
  for (const fs::directory_entry& e : fs::directory_iterator(out.path() + "/pictures"))
    made.insert(e.path().filename().string());
  EXPECT_EQ(made, PictureNames());

  long total = 0;
  for (const Picture& p : kPictures) {
    SCOPED_TRACE(p.name);
    const QString file = QString::fromStdString(out.path() + "/pictures/" + p.name + ".png");
    QImageReader reader(file);
    EXPECT_EQ(reader.format(), "png");
    const QImage picture = reader.read();
    ASSERT_FALSE(picture.isNull()) << reader.errorString().toStdString();
    total += static_cast<long>(fs::file_size(file.toStdString()));
    if (p.page) {
      // A Letter page at screen resolution: upright, and mostly paper with print on it.
      EXPECT_GT(picture.height(), picture.width());
      EXPECT_GE(picture.width(), 500);
      EXPECT_LE(picture.width(), 800);
      EXPECT_GT(Background(picture), 0.5);
    } else {
      // A window: within the virtual screen (the tour refuses one that does not fit), big
      // enough to read, and painted (a window taken before it painted is black or flat).
      EXPECT_GE(picture.width(), 250);
      EXPECT_GE(picture.height(), 150);
      EXPECT_LE(picture.width(), kScreen.width());
      EXPECT_LE(picture.height(), kScreen.height());
      EXPECT_LT(Background(picture), 0.95);
      EXPECT_LT(BlackShare(picture), 0.5);
    }
    // Text, lines and controls: never a handful of flat colours.
    EXPECT_GE(Colours(picture, 16), 16);
  }
  // Small enough to keep in the repository and to load with the README.
  EXPECT_LT(total, 1500L * 1024);
  const std::string main = out.path() + "/pictures/main-window.png";
  EXPECT_EQ(QImage(QString::fromStdString(main)).size(), kScreen);
}

// The README's tour shows exactly the pictures the script makes, and they are kept in the tree.
TEST(ScreenshotTour, TheReadmeAndTheKeptPicturesNameTheSameSet) {
  const std::string readme = ReadAll(TF_SOURCE_DIR "/README.md");
  std::set<std::string> linked;
  const std::regex link(R"(\(docs/screenshots/([A-Za-z0-9_-]+\.png)\))");
  for (std::sregex_iterator i(readme.begin(), readme.end(), link), end; i != end; ++i) linked.insert((*i)[1].str());
  EXPECT_EQ(linked, PictureNames());

  std::set<std::string> kept;
  for (const fs::directory_entry& e : fs::directory_iterator(TF_SOURCE_DIR "/docs/screenshots"))
    if (e.path().extension() == ".png") kept.insert(e.path().filename().string());
  EXPECT_EQ(kept, PictureNames());
  EXPECT_NE(readme.find("bash docs/screenshots/make-screenshots.sh"), std::string::npos);
}

}  // namespace
