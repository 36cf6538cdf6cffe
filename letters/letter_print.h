#pragma once
// A letter on the print canvas: its paragraphs set line by line within the page's margins,
// words wrapped, each line aligned, first-line, left and right indents kept, bullets drawn,
// tabs on half-inch stops, a new page where the next line no longer fits. Plain C++.

#include <optional>
#include <string>

#include "common/print_canvas.h"
#include "letters/letter_document.h"

namespace tf::letters {

// From the printable page's edges: with a printer's quarter-inch border, an inch from the paper's.
inline constexpr int kLetterMargin = 225;
inline constexpr int kTabStop = 150;      // half an inch
inline constexpr int kBulletSpace = 75;   // from the bullet to its text, a quarter inch

// Canvas units of a length in twips.
int TwipsToUnits(int twips);

// The canvas prints the program's byte strings, which hold Latin-1: a letter with a character
// beyond it cannot be printed as written. The sentence that says which and where, or nothing.
std::optional<std::string> UnprintableText(const LetterDocument& letter);

class LetterPrinter {
 public:
  // Draws on a canvas whose job has begun.
  explicit LetterPrinter(common::PrintCanvas& canvas) : canvas_(canvas) {}

  // The letter from the top of a page: the first letter on the job's first page, every later
  // one on a new page. Characters beyond Latin-1 are checked beforehand (UnprintableText).
  void Print(const LetterDocument& letter);

  int Pages() const { return pages_; }

 private:
  struct Piece;
  struct Line;
  void PrintParagraph(const Paragraph& p);
  void PlaceLine(Line& line, const Paragraph& p, int x0, int width);
  void NewLine(int height);

  common::PrintCanvas& canvas_;
  int pages_ = 0;
  int y_ = 0;
};

}  // namespace tf::letters
