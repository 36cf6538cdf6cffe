#include "shell/starter_background.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "common/side_file.h"

namespace tf::shell {
namespace {

void Put16(std::string& out, std::uint16_t v) {
  out.push_back(char(v & 0xFF));
  out.push_back(char(v >> 8));
}
void Put32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(char((v >> (8 * i)) & 0xFF));
}

}  // namespace

std::string StarterBackgroundImage() {
  // A pale blue-grey paper with a faint woven diagonal: quiet enough to sit behind the buttons,
  // and seamless because the pattern repeats with the tile's size.
  constexpr int kSide = 64;
  constexpr int kRowBytes = kSide * 3;  // a multiple of 4: no row padding
  constexpr std::uint32_t kPixelBytes = kRowBytes * kSide;
  std::string out;
  out.reserve(54 + kPixelBytes);
  out += "BM";
  Put32(out, 54 + kPixelBytes);
  Put32(out, 0);
  Put32(out, 54);  // pixel data offset
  Put32(out, 40);  // BITMAPINFOHEADER
  Put32(out, kSide);
  Put32(out, kSide);  // positive: rows bottom-up
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);  // no compression
  Put32(out, kPixelBytes);
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const int weave = ((x + y) % 16 == 0 || (x - y + kSide) % 16 == 0) ? 10 : 0;
      const int grain = ((x * 7 + y * 13) % 5) - 2;
      const int base = 236 - weave + grain;
      out.push_back(char(base + 8));  // blue
      out.push_back(char(base + 2));  // green
      out.push_back(char(base - 2));  // red
    }
  }
  return out;
}

std::string CreateStarterBackground() {
  std::error_code ec;
  if (std::filesystem::exists(kStarterBackgroundFile, ec)) return {};
  try {
    common::ReplaceFile(kStarterBackgroundFile, StarterBackgroundImage());
  } catch (const std::system_error& e) {
    return e.what();
  }
  return {};
}

}  // namespace tf::shell
