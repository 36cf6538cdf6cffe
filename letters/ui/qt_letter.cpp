#include "letters/ui/qt_letter.h"

#include <QColor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>

#include <cmath>

namespace tf::letters::ui {
namespace {

std::int32_t ToStoredColour(const QColor& c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }
QColor FromStoredColour(std::int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

int PixelsToTwips(qreal px) { return static_cast<int>(std::lround(px * kTwipsPerPixel)); }
qreal TwipsToPixels(int twips) { return static_cast<qreal>(twips) / kTwipsPerPixel; }

CharFormat FromCharFormat(const QTextCharFormat& f, const QFont& defaultFont) {
  CharFormat c;
  const QStringList families = f.fontFamilies().toStringList();
  QString family = families.isEmpty() ? defaultFont.family() : families.front();
  c.font = family.isEmpty() ? std::string(kDefaultFontName) : family.toStdString();
  qreal points = f.fontPointSize();
  if (points <= 0) points = defaultFont.pointSizeF() > 0 ? defaultFont.pointSizeF() : 10;
  c.halfPoints = std::max(2, static_cast<int>(std::lround(points * 2)));
  c.bold = f.fontWeight() >= QFont::Bold;
  c.italic = f.fontItalic();
  c.underline = f.fontUnderline();
  c.colour = f.foreground().style() == Qt::NoBrush ? 0 : ToStoredColour(f.foreground().color());
  return c;
}

QTextCharFormat ToCharFormat(const CharFormat& c) {
  QTextCharFormat f;
  f.setFontFamilies(QStringList{QString::fromStdString(c.font)});
  f.setFontPointSize(c.halfPoints / 2.0);
  f.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
  f.setFontItalic(c.italic);
  f.setFontUnderline(c.underline);
  f.setForeground(FromStoredColour(c.colour));
  return f;
}

}  // namespace

LetterDocument FromTextDocument(const QTextDocument& document) {
  LetterDocument letter;
  const QFont defaultFont = document.defaultFont();
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    Paragraph p;
    const QTextBlockFormat bf = block.blockFormat();
    switch (bf.alignment() & Qt::AlignHorizontal_Mask) {
      case Qt::AlignHCenter: p.format.alignment = Alignment::Centre; break;
      case Qt::AlignRight: p.format.alignment = Alignment::Right; break;
      case Qt::AlignJustify: p.format.alignment = Alignment::Justify; break;
      default: p.format.alignment = Alignment::Left; break;
    }
    qreal left = bf.leftMargin();
    if (QTextList* list = block.textList()) {
      p.format.bullet = true;
      left += list->format().indent() * document.indentWidth();
    }
    p.format.leftIndent = PixelsToTwips(left);
    p.format.rightIndent = PixelsToTwips(bf.rightMargin());
    p.format.firstIndent = PixelsToTwips(bf.textIndent());
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid()) continue;
      QString text = fragment.text();
      text.replace(QChar::LineSeparator, QChar('\n'));
      text.remove(QChar::ObjectReplacementCharacter);
      p.Append(text.toStdString(), FromCharFormat(fragment.charFormat(), defaultFont));
    }
    letter.paragraphs.push_back(std::move(p));
  }
  // The editor always holds one block: an empty editor is an empty letter.
  if (letter.paragraphs.size() == 1 && letter.paragraphs[0].runs.empty() &&
      letter.paragraphs[0].format == ParagraphFormat{})
    letter.paragraphs.clear();
  return letter;
}

void ToTextDocument(const LetterDocument& letter, QTextDocument& document) {
  document.clear();
  QTextCursor cursor(&document);
  QTextList* list = nullptr;
  for (std::size_t i = 0; i < letter.paragraphs.size(); ++i) {
    const Paragraph& p = letter.paragraphs[i];
    QTextBlockFormat bf;
    switch (p.format.alignment) {
      case Alignment::Left: bf.setAlignment(Qt::AlignLeft); break;
      case Alignment::Centre: bf.setAlignment(Qt::AlignHCenter); break;
      case Alignment::Right: bf.setAlignment(Qt::AlignRight); break;
      case Alignment::Justify: bf.setAlignment(Qt::AlignJustify); break;
    }
    qreal left = TwipsToPixels(p.format.leftIndent);
    if (p.format.bullet) left = std::max<qreal>(0, left - document.indentWidth());
    bf.setLeftMargin(left);
    bf.setRightMargin(TwipsToPixels(p.format.rightIndent));
    bf.setTextIndent(TwipsToPixels(p.format.firstIndent));
    const QTextCharFormat first = p.runs.empty() ? ToCharFormat(CharFormat{}) : ToCharFormat(p.runs.front().format);
    if (i == 0) {
      cursor.setBlockFormat(bf);
      cursor.setBlockCharFormat(first);
    } else {
      cursor.insertBlock(bf, first);
    }
    if (p.format.bullet) {
      if (list) {
        list->add(cursor.block());
      } else {
        QTextListFormat lf;
        lf.setStyle(QTextListFormat::ListDisc);
        lf.setIndent(1);
        list = cursor.createList(lf);
      }
      // Joining a list resets the block's margins; a merge keeps the list.
      QTextBlockFormat margins;
      margins.setLeftMargin(bf.leftMargin());
      margins.setRightMargin(bf.rightMargin());
      margins.setTextIndent(bf.textIndent());
      margins.setAlignment(bf.alignment());
      cursor.mergeBlockFormat(margins);
    } else {
      list = nullptr;
    }
    for (const Run& run : p.runs) {
      QString text = QString::fromStdString(run.text);
      text.replace(QChar('\n'), QChar::LineSeparator);
      cursor.insertText(text, ToCharFormat(run.format));
    }
  }
  document.setModified(false);
}

}  // namespace tf::letters::ui
