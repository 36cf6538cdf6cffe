#include "letters/letter_print.h"

#include <algorithm>
#include <vector>

#include "common/stored_text.h"
#include "letters/code_page.h"

namespace tf::letters {
namespace {

common::FontSpec FontOf(const CharFormat& f) {
  common::FontSpec chosen;
  chosen.face = f.font;
  chosen.size = std::max(1, (f.halfPoints + 1) / 2);
  chosen.colour = f.colour;
  chosen.style = static_cast<std::uint8_t>((f.bold ? common::kFontBold : 0) | (f.italic ? common::kFontItalic : 0) |
                                         (f.underline ? common::kFontUnderline : 0));
  return chosen;
}

std::string Latin1(std::string_view utf8) { return common::Utf8ToLatin1(utf8).value_or(std::string()); }

}  // namespace

int TwipsToUnits(int twips) { return twips * common::PrintCanvas::kUnitsPerInch / kTwipsPerInch; }

std::optional<std::string> UnprintableText(const LetterDocument& letter) {
  for (std::size_t i = 0; i < letter.paragraphs.size(); ++i) {
    const std::string text = letter.paragraphs[i].Text();
    const common::Latin1Conversion c = common::ConvertToLatin1(text);
    if (c.ok()) continue;
    const std::string where = " in line " + std::to_string(i + 1) + " of the letter";
    if (c.unstorable)
      return "The letter cannot be printed: the printer's character set has no " +
             common::DescribeCharacter(*c.unstorable) + where + ". Replace it and print again.";
    return "The letter cannot be printed: it holds a byte that is no character" + where + ".";
  }
  return std::nullopt;
}

// A piece of a line: text in one format, or a tab.
struct LetterPrinter::Piece {
  std::string text;  // Latin-1
  const CharFormat* format;
  bool tab = false;
  int width = 0;
  int x = 0;  // from the line's start, once placed
};

struct LetterPrinter::Line {
  std::vector<Piece> pieces;
  int height = 0;
};

void LetterPrinter::NewLine(int height) {
  const int bottom = canvas_.PageHeight() - kLetterMargin;
  if (y_ + height > bottom && y_ > kLetterMargin) {
    canvas_.NewPage();
    ++pages_;
    y_ = kLetterMargin;
  }
}

void LetterPrinter::Print(const LetterDocument& letter) {
  if (pages_ > 0) canvas_.NewPage();
  ++pages_;
  y_ = kLetterMargin;
  canvas_.SetBrush(common::BrushStyle::Clear, 0xFFFFFF);
  for (const Paragraph& p : letter.paragraphs) PrintParagraph(p);
}

void LetterPrinter::PrintParagraph(const Paragraph& p) {
  const ParagraphFormat& f = p.format;
  const int pageLeft = kLetterMargin;
  const int pageRight = canvas_.PageWidth() - kLetterMargin;
  const int left = pageLeft + TwipsToUnits(f.leftIndent);
  const int right = std::max(left + 1, pageRight - TwipsToUnits(f.rightIndent));
  int firstX = std::clamp(left + TwipsToUnits(f.firstIndent), pageLeft, right - 1);
  const int bulletX = firstX;
  if (f.bullet) firstX = std::min(std::max(left, bulletX + kBulletSpace), right - 1);

  // The paragraph as words (pieces that do not break), blanks, tabs and line ends.
  enum class Kind { Word, Blank, Tab, Break };
  struct Token {
    Kind kind;
    std::vector<Piece> pieces;
  };
  std::vector<Token> tokens;
  for (const Run& run : p.runs) {
    const std::string text = Latin1(run.text);
    std::size_t i = 0;
    while (i < text.size()) {
      const char c = text[i];
      Kind kind = c == ' ' ? Kind::Blank : c == '\t' ? Kind::Tab : c == '\n' ? Kind::Break : Kind::Word;
      std::size_t j = i + 1;
      if (kind == Kind::Word || kind == Kind::Blank)
        while (j < text.size() && (kind == Kind::Blank ? text[j] == ' '
                                                       : (text[j] != ' ' && text[j] != '\t' && text[j] != '\n')))
          ++j;
      Piece piece{text.substr(i, j - i), &run.format, kind == Kind::Tab};
      if (kind == Kind::Word && !tokens.empty() && tokens.back().kind == Kind::Word) {
        tokens.back().pieces.push_back(piece);  // a word going on in another format
      } else {
        tokens.push_back({kind, {piece}});
      }
      i = j;
    }
  }

  static const CharFormat kDefault;
  const CharFormat* lastFormat = p.runs.empty() ? &kDefault : &p.runs.back().format;
  auto heightOf = [&](const CharFormat* format) {
    canvas_.SetFont(FontOf(*format));
    return canvas_.TextHeight("Xy");
  };
  auto widthOf = [&](Piece& piece) {
    canvas_.SetFont(FontOf(*piece.format));
    piece.width = canvas_.TextWidth(piece.text);
    return piece.width;
  };

  Line line;
  bool first = true;
  int used = 0;  // width taken on the current line
  auto lineStart = [&] { return first ? firstX : left; };
  bool wrapped = false;  // the current line began where the one before was full
  auto finish = [&](bool wrap) {
    if (line.height == 0) line.height = heightOf(lastFormat);
    PlaceLine(line, p, lineStart(), right - lineStart());
    wrapped = wrap;
    first = false;
    line = Line{};
    used = 0;
  };

  if (f.bullet) {
    // The bullet: a small filled square, centred on the first line's text height.
    const int h = heightOf(p.runs.empty() ? &kDefault : &p.runs.front().format);
    NewLine(h);
    const int side = std::max(6, h / 5);
    canvas_.SetBrush(common::BrushStyle::Solid, 0);
    canvas_.SetPenWidth(1);
    canvas_.SetPenColour(0);
    canvas_.Rectangle(bulletX, y_ + (h - side) / 2, bulletX + side, y_ + (h + side) / 2);
    canvas_.SetBrush(common::BrushStyle::Clear, 0xFFFFFF);
  }

  for (Token& token : tokens) {
    const int available = right - lineStart();
    switch (token.kind) {
      case Kind::Break:
        line.height = std::max(line.height, heightOf(token.pieces.front().format));
        finish(false);
        break;
      case Kind::Tab: {
        Piece tab = token.pieces.front();
        const int from = lineStart() - pageLeft + used;
        const int stop = (from / kTabStop + 1) * kTabStop;
        tab.width = stop - from;
        if (used + tab.width > available && used > 0) finish(true);
        line.height = std::max(line.height, heightOf(tab.format));
        tab.x = used;
        used += tab.width;
        line.pieces.push_back(tab);
        break;
      }
      case Kind::Blank: {
        Piece blank = token.pieces.front();
        if (used == 0 && line.pieces.empty() && wrapped) break;  // no blanks start a wrapped line
        widthOf(blank);
        blank.x = used;
        used += blank.width;
        line.height = std::max(line.height, heightOf(blank.format));
        line.pieces.push_back(blank);
        break;
      }
      case Kind::Word: {
        int width = 0;
        for (Piece& piece : token.pieces) width += widthOf(piece);
        if (used + width > available && used > 0) finish(true);
        const int room = right - lineStart();
        if (width > room) {
          // A word longer than a line: broken where the line is full.
          for (Piece& piece : token.pieces) {
            std::string rest = piece.text;
            while (!rest.empty()) {
              canvas_.SetFont(FontOf(*piece.format));
              std::size_t n = rest.size();
              while (n > 1 && used + canvas_.TextWidth(rest.substr(0, n)) > right - lineStart()) --n;
              if (used > 0 && used + canvas_.TextWidth(rest.substr(0, n)) > right - lineStart()) {
                finish(true);
                continue;
              }
              Piece part{rest.substr(0, n), piece.format};
              widthOf(part);
              part.x = used;
              used += part.width;
              line.height = std::max(line.height, heightOf(part.format));
              line.pieces.push_back(part);
              rest.erase(0, n);
              if (!rest.empty()) finish(true);
            }
          }
          break;
        }
        for (Piece& piece : token.pieces) {
          piece.x = used;
          used += piece.width;
          line.height = std::max(line.height, heightOf(piece.format));
          line.pieces.push_back(piece);
        }
        break;
      }
    }
  }
  finish(true);
}

void LetterPrinter::PlaceLine(Line& line, const Paragraph& p, int x0, int width) {
  // Blanks at the end of a line take no room when it is aligned.
  int textWidth = 0;
  for (const Piece& piece : line.pieces) {
    const bool blank = !piece.tab && piece.text.find_first_not_of(' ') == std::string::npos;
    if (!blank) textWidth = piece.x + piece.width;
  }
  int shift = 0;
  if (p.format.alignment == Alignment::Centre) shift = std::max(0, (width - textWidth) / 2);
  if (p.format.alignment == Alignment::Right) shift = std::max(0, width - textWidth);
  NewLine(line.height);
  for (const Piece& piece : line.pieces) {
    if (piece.tab || piece.text.find_first_not_of(' ') == std::string::npos) continue;
    canvas_.SetFont(FontOf(*piece.format));
    canvas_.TextOut(x0 + shift + piece.x, y_, piece.text);
  }
  y_ += line.height;
}

}  // namespace tf::letters
