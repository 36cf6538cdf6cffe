#include "correspondence/label_layout.h"

#include <algorithm>
#include <system_error>

#include "common/record_fields.h"
#include "common/side_file.h"
#include "common/text.h"

namespace tf::correspondence {
namespace {

namespace fs = std::filesystem;
using common::TextField;

constexpr TextField kDescription{0, 50};
constexpr TextField kLeftMargin{51, 3};
constexpr TextField kTopMargin{55, 3};
constexpr TextField kColumnsAcross{59, 1};
constexpr TextField kRowsDown{61, 2};
constexpr TextField kLabelWidth{64, 4};
constexpr TextField kLabelHeight{69, 4};
constexpr common::FontSpecField kFont{74, 32};
constexpr common::BoolField kUseShippingAddress{117};
constexpr common::BoolField kPrintReturnAddress{118};
constexpr TextField kBitmapPath{119, 255};
constexpr common::BoolField kPrintLine{426};
constexpr TextField kLineWidth{427, 1};
constexpr TextField kSendToCaption{431, 10};
constexpr TextField kLastPath{0, 255};

struct NamedText {
  const char* name;  // as the screen captions the field
  TextField field;
  std::string LabelLayout::*member;
};
constexpr NamedText kTexts[] = {
    {"Layout Description", kDescription, &LabelLayout::Description},
    {"Left Margin", kLeftMargin, &LabelLayout::LeftMargin},
    {"Top Margin", kTopMargin, &LabelLayout::TopMargin},
    {"Columns Across", kColumnsAcross, &LabelLayout::ColumnsAcross},
    {"Rows Down", kRowsDown, &LabelLayout::RowsDown},
    {"Label Width", kLabelWidth, &LabelLayout::LabelWidth},
    {"Label Height", kLabelHeight, &LabelLayout::LabelHeight},
    {"Font", {kFont.offset, kFont.faceCapacity}, nullptr},
    {"Bitmap", kBitmapPath, &LabelLayout::BitmapPath},
    {"Line Width", kLineWidth, &LabelLayout::LineWidth},
    {"Send To Caption", kSendToCaption, &LabelLayout::SendToCaption},
};
// The six geometry fields; the first two may be 0, the others must be at least 1.
constexpr std::size_t kGeometryFirst = 1, kGeometryEnd = 7, kMarginsEnd = 3;

bool WholeNumber(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Number(std::string_view text) {
  int n = 0;
  for (char c : common::TrimBoth(text)) n = n * 10 + (c - '0');
  return n;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string FileName(const fs::path& path) { return path.filename().string(); }

}  // namespace

common::RecordBuffer LayoutRecord(const LabelLayout& l) {
  common::RecordBuffer r(kLabelLayoutLength);
  for (const NamedText& t : kTexts)
    if (t.member) common::WriteText(r, t.field, l.*t.member);
  common::WriteFontSpec(r, kFont, l.Font);
  common::WriteBool(r, kUseShippingAddress, l.UseShippingAddress);
  common::WriteBool(r, kPrintReturnAddress, l.PrintReturnAddress);
  common::WriteText(r, kBitmapPath, l.PrintReturnAddress ? l.BitmapPath : " ");
  common::WriteBool(r, kPrintLine, l.PrintReturnAddress && l.PrintLine);
  return r;
}

LayoutContents ParseLayoutRecord(std::span<const std::uint8_t> bytes) {
  LayoutContents out;
  if (bytes.size() != kLabelLayoutLength) {
    out.problem = "It holds " + std::to_string(bytes.size()) + " bytes; a label layout holds " +
                  std::to_string(kLabelLayoutLength) + ".";
    return out;
  }
  for (const NamedText& t : kTexts)
    if (bytes[t.field.offset] > t.field.capacity) {
      out.problem = "Its " + std::string(t.name) + " has a length of " + std::to_string(bytes[t.field.offset]) +
                    ", more than the " + std::to_string(t.field.capacity) + " characters it can hold.";
      return out;
    }
  LabelLayout l;
  for (const NamedText& t : kTexts)
    if (t.member) l.*t.member = common::ReadText(bytes, t.field);
  l.Font = common::ReadFontSpec(bytes, kFont);
  if (l.Font.size < 1 || l.Font.size > kLargestLabelFontSize) {
    out.problem = "Its font size is " + std::to_string(l.Font.size) + "; a label font is 1 to " +
                  std::to_string(kLargestLabelFontSize) + " points.";
    return out;
  }
  for (std::size_t i = kGeometryFirst; i < kGeometryEnd; ++i) {
    const std::string text = common::TrimBoth(l.*kTexts[i].member);
    if (!text.empty() && !WholeNumber(text)) {
      out.problem = "Its " + std::string(kTexts[i].name) + " is " + Quoted(text) + ", not a whole number.";
      return out;
    }
  }
  l.UseShippingAddress = common::ReadBool(bytes, kUseShippingAddress);
  l.PrintReturnAddress = common::ReadBool(bytes, kPrintReturnAddress);
  l.PrintLine = common::ReadBool(bytes, kPrintLine);
  out.layout = std::move(l);
  return out;
}

std::optional<std::string> GeometryProblem(const LabelLayout& l, std::string_view unable) {
  for (std::size_t i = kGeometryFirst; i < kGeometryEnd; ++i)
    if (common::TrimBoth(l.*kTexts[i].member).empty())
      return "You have an empty layout definition field. All six fields are required. " + std::string(unable);
  for (std::size_t i = kGeometryFirst; i < kGeometryEnd; ++i) {
    const std::string text = common::TrimBoth(l.*kTexts[i].member);
    const bool margin = i < kMarginsEnd;
    if (!WholeNumber(text) || (!margin && Number(text) < 1))
      return std::string(kTexts[i].name) + " is " + Quoted(text) + "; it must be a whole number" +
             (margin ? "" : " of at least 1") + ". " + std::string(unable);
  }
  return std::nullopt;
}

SheetGeometry Geometry(const LabelLayout& l) {
  return {Number(l.LeftMargin), Number(l.TopMargin), Number(l.ColumnsAcross),
          Number(l.RowsDown),   Number(l.LabelWidth), Number(l.LabelHeight)};
}

int CountOrOne(std::string_view text) {
  const std::string t = common::TrimBoth(text);
  if (t.empty() || t[0] == '0' || !WholeNumber(t)) return 1;
  return Number(t);
}

std::optional<std::string> StartLabelProblem(const SheetGeometry& sheet, int startLabel) {
  if (startLabel >= 1 && startLabel <= sheet.LabelsPerSheet()) return std::nullopt;
  return "Start at Label is " + std::to_string(startLabel) + ", but a sheet of " + std::to_string(sheet.columns) +
         " x " + std::to_string(sheet.rows) + " labels has labels 1 to " + std::to_string(sheet.LabelsPerSheet()) +
         ". Unable to print.";
}

std::optional<std::string> SaveLabelLayout(const fs::path& path, const LabelLayout& layout) {
  if (auto problem = GeometryProblem(layout, "Unable to save.")) return problem;
  for (const NamedText& t : kTexts) {
    const std::string& text = t.member ? layout.*t.member : layout.Font.face;
    if (text.size() > t.field.capacity)
      return "The " + std::string(t.name) + " is longer than its " + std::to_string(t.field.capacity) +
             " characters. Unable to save.";
  }
  if (layout.Font.size < 1 || layout.Font.size > kLargestLabelFontSize)
    return "The font size must be 1 to " + std::to_string(kLargestLabelFontSize) + " points. Unable to save.";
  const common::RecordBuffer record = LayoutRecord(layout);
  try {
    common::ReplaceFile(path, std::string_view(reinterpret_cast<const char*>(record.data()), record.size()));
  } catch (const std::system_error& e) {
    return "The label layout " + FileName(path) + " could not be saved (" + e.code().message() + ").";
  }
  return RecordLastLayout(path);
}

OpenedLayout ReadLabelLayoutFile(const fs::path& path) {
  OpenedLayout out;
  const std::string unusable = "The file " + FileName(path) + " is not a label layout that can be used. ";
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  std::string bytes;
  if (!ec && size == kLabelLayoutLength) {
    try {
      bytes = common::ReadWholeFile(path);
    } catch (const std::system_error& e) {
      ec = e.code();
    }
  }
  if (ec) {
    out.problem = "The label layout " + FileName(path) + " could not be read (" + ec.message() + ").";
    return out;
  }
  if (size != kLabelLayoutLength) {  // not read at all: it may be anything, of any size
    out.problem = unusable + "It holds " + std::to_string(size) + " bytes; a label layout holds " +
                  std::to_string(kLabelLayoutLength) + ".";
    return out;
  }
  LayoutContents contents =
      ParseLayoutRecord(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  if (!contents.layout) {
    out.problem = unusable + contents.problem;
    return out;
  }
  out.layout = std::move(contents.layout);
  return out;
}

OpenedLayout OpenLabelLayout(const fs::path& path) {
  OpenedLayout out = ReadLabelLayoutFile(path);
  if (!out.layout) return out;
  if (auto problem = RecordLastLayout(path)) {
    out.layout.reset();
    out.problem = *problem;
    return out;
  }
  try {
    common::ReplaceFile(kLayoutCopyFile, common::ReadWholeFile(path));
  } catch (const std::system_error&) {
    // The copy is a convenience for other programs; the layout itself was read.
  }
  return out;
}

LastLayout FindLastLayout() {
  LastLayout out;
  std::error_code ec;
  if (fs::file_size(kLastLayoutFile, ec) != kLastLayoutLength || ec) return out;
  std::string bytes;
  try {
    bytes = common::ReadWholeFile(kLastLayoutFile);
  } catch (const std::system_error&) {
    return out;
  }
  const std::span record(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  const std::string path = common::ReadText(record, kLastPath);
  if (common::TrimBoth(path).empty()) return out;
  out.path = path;
  if (fs::is_regular_file(out.path, ec)) {
    out.state = LastLayout::State::Named;
  } else {
    out.state = LastLayout::State::Gone;
    fs::remove(kLastLayoutFile, ec);
  }
  return out;
}

std::optional<std::string> RecordLastLayout(const fs::path& path) {
  std::error_code ec;
  const std::string full = fs::absolute(path, ec).string();
  if (ec || full.size() > kLastPath.capacity)
    return "The path of the label layout " + FileName(path) + " is longer than " +
           std::to_string(kLastPath.capacity) + " characters and cannot be remembered; keep layouts in a shorter path.";
  common::RecordBuffer record(kLastLayoutLength);
  common::WriteText(record, kLastPath, full);
  try {
    common::ReplaceFile(kLastLayoutFile, std::string_view(reinterpret_cast<const char*>(record.data()), record.size()));
  } catch (const std::system_error& e) {
    return std::string("The name of the last label layout could not be kept in ") + kLastLayoutFile + " (" +
           e.code().message() + ").";
  }
  return std::nullopt;
}

}  // namespace tf::correspondence
