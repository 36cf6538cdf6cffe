#pragma once
// A form letter as the program holds it between the editor, its files, the keyword merge and
// the printer: paragraphs of runs. Texts are UTF-8; a '\n' inside a run is a line break within
// its paragraph (notes stored with line breaks keep them when merged in). Sizes and indents keep
// the units rich-text files use, so a file read and written again keeps its numbers exactly:
// font sizes in half points, indents in twips (1/1440 inch). Plain C++.

#include <cstdint>
#include <string>
#include <vector>

namespace tf::letters {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr const char* kDefaultFontName = "Arial";
inline constexpr int kDefaultHalfPoints = 20;  // 10 points, what an empty size box becomes

struct CharFormat {
  std::string font = kDefaultFontName;
  int halfPoints = kDefaultHalfPoints;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  std::int32_t colour = 0;  // 0x00BBGGRR, as stored fonts keep it

  bool operator==(const CharFormat&) const = default;
};

enum class Alignment { Left, Centre, Right, Justify };

struct ParagraphFormat {
  Alignment alignment = Alignment::Left;
  bool bullet = false;
  int firstIndent = 0;  // twips, relative to the left indent (negative: a hanging first line)
  int leftIndent = 0;   // twips
  int rightIndent = 0;  // twips

  bool operator==(const ParagraphFormat&) const = default;
};

struct Run {
  std::string text;
  CharFormat format;

  bool operator==(const Run&) const = default;
};

struct Paragraph {
  ParagraphFormat format;
  std::vector<Run> runs;

  // The runs' texts joined.
  std::string Text() const;
  // Appends text in a format, joining it to the last run when the format is the same.
  void Append(std::string_view text, const CharFormat& format);

  bool operator==(const Paragraph&) const = default;
};

struct LetterDocument {
  std::vector<Paragraph> paragraphs;

  // Every paragraph's text, one paragraph per line (LF after each but the last).
  std::string PlainText() const;
  // True when no paragraph holds a character other than blanks and line breaks.
  bool Blank() const;
  // Empty runs dropped and neighbouring runs of one format joined; what two documents that
  // show the same are compared by.
  LetterDocument Normalised() const;

  bool operator==(const LetterDocument&) const = default;
};

// A text file's content as a letter: one paragraph per line (LF, CR LF or CR) in the default
// format. The bytes are read as UTF-8 when they are valid UTF-8, else as Windows-1252, which is
// what older text files hold.
LetterDocument LetterFromPlainText(std::string_view bytes);
// The letter as a text file: UTF-8, lines ended by CR LF.
std::string LetterToPlainText(const LetterDocument& letter);

}  // namespace tf::letters
