#pragma once
// How GoogleTest shows a letter in a failed expectation: one line per paragraph with its format,
// one per run with its format and text.

#include <ostream>

#include "letters/letter_document.h"

namespace tf::letters {

inline void PrintTo(const CharFormat& f, std::ostream* os) {
  *os << f.font << " " << f.halfPoints << (f.bold ? " B" : "") << (f.italic ? " I" : "") << (f.underline ? " U" : "")
      << " colour " << f.colour;
}

inline void PrintTo(const LetterDocument& doc, std::ostream* os) {
  for (const Paragraph& p : doc.paragraphs) {
    *os << "\n  paragraph align " << static_cast<int>(p.format.alignment) << (p.format.bullet ? " bullet" : "")
        << " fi " << p.format.firstIndent << " li " << p.format.leftIndent << " ri " << p.format.rightIndent;
    for (const Run& r : p.runs) {
      *os << "\n    [";
      PrintTo(r.format, os);
      *os << "] \"" << r.text << "\"";
    }
  }
}

}  // namespace tf::letters
