#pragma once
// Label layouts: the geometry of a sheet of labels, the font, and the return-address options,
// kept as the one 444-byte record of a layout file ("*.LBL"). Texts are length-prefixed
// (Latin-1, as the screen's masks let them be typed); bytes no field uses are 0.
//
// The data folder also keeps "Lastlbl.DAT", the full path of the layout last opened or saved
// (a 256-byte record: a text of up to 255 bytes), so the Label Wizard opens ready on it, and
// "Label.Dat", a copy of the layout last opened.
//
// A layout file is taken only when it can be a layout: 444 bytes, every length byte within its
// field, a font size a printer can use, whole numbers in the six geometry fields. The sheet is
// checked again before it is saved or printed: columns, rows, label width and height must be
// at least 1, so a label never lands on another and the advance never stands still.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/record_buffer.h"
#include "common/stored_font.h"

namespace tf::correspondence {

inline constexpr std::size_t kLabelLayoutLength = 444;
inline constexpr std::size_t kLastLayoutLength = 256;
inline constexpr const char* kLastLayoutFile = "Lastlbl.DAT";
inline constexpr const char* kLayoutCopyFile = "Label.Dat";
inline constexpr std::int32_t kLargestLabelFontSize = 144;

struct LabelLayout {
  std::string Description;
  // The six geometry fields as typed, in printer units (300 per inch) but the counts.
  std::string LeftMargin;
  std::string TopMargin;
  std::string ColumnsAcross;
  std::string RowsDown;
  std::string LabelWidth;
  std::string LabelHeight;
  common::FontSpec Font{"Arial", 10, 0, 0};
  bool UseShippingAddress = false;
  bool PrintReturnAddress = false;
  std::string BitmapPath;
  bool PrintLine = false;
  std::string LineWidth;
  std::string SendToCaption;

  bool operator==(const LabelLayout&) const = default;
};

// The geometry as numbers, once GeometryProblem found nothing wrong.
struct SheetGeometry {
  int leftMargin = 0, topMargin = 0;
  int columns = 1, rows = 1;
  int labelWidth = 1, labelHeight = 1;
  int LabelsPerSheet() const { return columns * rows; }
};

// The layout file's record. With the return address off, the bitmap path is stored as " " and
// the line between addresses as off, as the screen then shows them.
common::RecordBuffer LayoutRecord(const LabelLayout& layout);

// The layout in a file's bytes, or the sentence saying why they are not one.
struct LayoutContents {
  std::optional<LabelLayout> layout;
  std::string problem;
};
LayoutContents ParseLayoutRecord(std::span<const std::uint8_t> bytes);

// Blank or not a whole number: the field's sentence; columns, rows, width or height below 1
// likewise. `unable` ends the sentence ("Unable to print.", "Unable to save.").
std::optional<std::string> GeometryProblem(const LabelLayout& layout, std::string_view unable);
// Only after GeometryProblem found nothing.
SheetGeometry Geometry(const LabelLayout& layout);

// A count typed into a masked field ("Start at Label", "Copies of each label", "Line Width"):
// blank or starting with "0" counts as 1.
int CountOrOne(std::string_view text);
// The start label beyond the labels of one sheet: the sentence; nothing when it lies on it.
std::optional<std::string> StartLabelProblem(const SheetGeometry& sheet, int startLabel);

// Writes the layout into `path` (replacing a file there as one step) after checking its
// geometry, and records the path as the last used. The sentence to show when it could not.
std::optional<std::string> SaveLabelLayout(const std::filesystem::path& path, const LabelLayout& layout);

// Reads the layout in `path`, records the path as the last used and keeps a copy in
// "Label.Dat". The sentence to show when it could not; nothing is recorded then.
struct OpenedLayout {
  std::optional<LabelLayout> layout;
  std::string problem;
};
OpenedLayout OpenLabelLayout(const std::filesystem::path& path);
// The same without recording it anywhere (the tool prints with a layout it is given).
OpenedLayout ReadLabelLayoutFile(const std::filesystem::path& path);

// The layout file the data folder last used: none recorded, recorded but gone (the record is
// then removed, as it leads nowhere), or its path.
struct LastLayout {
  enum class State { None, Gone, Named } state = State::None;
  std::filesystem::path path;
};
LastLayout FindLastLayout();
// Records `path` (made absolute) as the last used; the sentence when it cannot.
std::optional<std::string> RecordLastLayout(const std::filesystem::path& path);

}  // namespace tf::correspondence
