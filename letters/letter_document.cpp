#include "letters/letter_document.h"

#include "letters/code_page.h"

namespace tf::letters {

std::string Paragraph::Text() const {
  std::string text;
  for (const Run& run : runs) text += run.text;
  return text;
}

void Paragraph::Append(std::string_view text, const CharFormat& format) {
  if (text.empty()) return;
  if (!runs.empty() && runs.back().format == format) {
    runs.back().text += text;
  } else {
    runs.push_back({std::string(text), format});
  }
}

std::string LetterDocument::PlainText() const {
  std::string text;
  for (std::size_t i = 0; i < paragraphs.size(); ++i) {
    if (i > 0) text += '\n';
    text += paragraphs[i].Text();
  }
  return text;
}

bool LetterDocument::Blank() const {
  for (const Paragraph& p : paragraphs)
    for (const Run& run : p.runs)
      for (char c : run.text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return false;
  return true;
}

LetterDocument LetterDocument::Normalised() const {
  LetterDocument out;
  out.paragraphs.reserve(paragraphs.size());
  for (const Paragraph& p : paragraphs) {
    Paragraph q;
    q.format = p.format;
    for (const Run& run : p.runs) q.Append(run.text, run.format);
    out.paragraphs.push_back(std::move(q));
  }
  return out;
}

LetterDocument LetterFromPlainText(std::string_view bytes) {
  std::string text;
  if (IsValidUtf8(bytes)) {
    text = bytes;
  } else {
    text.reserve(bytes.size() + bytes.size() / 8);
    for (char b : bytes) AppendUtf8(text, Cp1252ToUnicode(static_cast<unsigned char>(b)));
  }
  // A byte-order mark some editors put first is no part of the letter.
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  LetterDocument letter;
  const CharFormat format;
  std::size_t start = 0;
  while (true) {
    std::size_t end = text.find_first_of("\r\n", start);
    Paragraph p;
    p.Append(std::string_view(text).substr(start, end == std::string::npos ? std::string::npos : end - start), format);
    letter.paragraphs.push_back(std::move(p));
    if (end == std::string::npos) break;
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return letter;
}

std::string LetterToPlainText(const LetterDocument& letter) {
  std::string out;
  for (std::size_t i = 0; i < letter.paragraphs.size(); ++i) {
    if (i > 0) out += "\r\n";
    for (char c : letter.paragraphs[i].Text()) {
      if (c == '\n') out += "\r\n";
      else out += c;
    }
  }
  return out;
}

}  // namespace tf::letters
