#include "letters/rtf_reader.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>
#include <vector>

#include "letters/code_page.h"

namespace tf::letters {
namespace {

// Where the text of a group goes.
enum class Destination {
  Text,         // the letter
  Skip,         // passed over, with every group inside it
  FontTable,    // font numbers and names
  ColourTable,  // \red \green \blue entries ended by ';'
  ListMarker,   // \pntext / \listtext: the bullet or number shown before a list paragraph
  Bullet,       // \pn: the list's definition, which says whether it is bulleted
};

struct GroupState {
  Destination destination = Destination::Text;
  CharFormat chr;
  ParagraphFormat para;
  int unicodeSkip = 1;  // \ucN
};

// Words that open a group whose content is not part of the letter's text.
bool IsSkippedDestination(std::string_view word) {
  static constexpr std::string_view kSkipped[] = {
      "stylesheet", "info",      "pict",      "object",    "header",    "headerl",   "headerr",
      "headerf",    "footer",    "footerl",   "footerr",   "footerf",   "footnote",  "annotation",
      "listtable",  "listoverridetable",      "revtbl",    "rsidtbl",   "generator", "xmlnstbl",
      "themedata",  "colorschememapping",     "latentstyles", "datastore", "filetbl", "author",
      "operator",   "title",     "subject",   "keywords",  "comment",   "doccomm",   "bkmkstart",
      "bkmkend",    "shp",       "shpinst",   "nonshppict", "ftnsep",   "ftnsepc",   "ftncn",
      "aftnsep",    "aftnsepc",  "aftncn",    "pntxtb",    "pntxta",    "fldinst",   "mmathPr",
      "listpicture", "pgdsctbl", "defchp",    "defpap",    "wgrffmtfilter", "fchars",  "lchars",
      "userprops",  "docvar",    "atnid",     "atnauthor", "private",   "template",  "company",
      "manager",    "category",  "hlinkbase", "panose",    "falt",      "fname",     "fontemb",
      "fontfile",   "blipuid",   "background", "objdata",  "result",    "xe",        "tc",
      "txe",        "rxe",       "upr",       "sp",        "sn",        "sv"};
  return std::find(std::begin(kSkipped), std::end(kSkipped), word) != std::end(kSkipped);
}

// Words that stand for one character.
std::optional<char32_t> SymbolWord(std::string_view word) {
  struct Symbol {
    std::string_view word;
    char32_t c;
  };
  static constexpr Symbol kSymbols[] = {
      {"emdash", 0x2014}, {"endash", 0x2013},   {"lquote", 0x2018},   {"rquote", 0x2019},
      {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"bullet", 0x2022}, {"emspace", 0x2003},
      {"enspace", 0x2002}, {"qmspace", 0x2005}, {"tab", U'\t'},      {"line", U'\n'},
      {"cell", U'\t'},   {"zwj", 0x200D},       {"zwnj", 0x200C},     {"ltrmark", 0x200E},
      {"rtlmark", 0x200F}};
  for (const Symbol& s : kSymbols)
    if (s.word == word) return s.c;
  return std::nullopt;
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Marks before list paragraphs that mean "bulleted": the bullet itself, the middle dot and the
// letters that symbol fonts draw as bullets.
bool IsBulletMarker(std::string_view marker) {
  std::string m;
  for (char c : marker)
    if (c != '\t' && c != ' ') m += c;
  return m == "\xE2\x80\xA2" || m == "\xC2\xB7" || m == "o" || m == "\xC2\xA7" || m == "\xEF\x82\xB7" ||
         m == "\xE2\x96\xAA" || m == "-" || m == "\xEF\x82\xA7" || m == "\xEF\x83\x98";
}

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}

  RtfReadResult Read() {
    RtfReadResult result;
    std::size_t start = 0;
    while (start < in_.size() && IsBlank(in_[start])) ++start;
    if (in_.substr(start, 5) != "{\\rtf") {
      result.problem = "The file is not a rich text file (it does not begin with \"{\\rtf\").";
      return result;
    }
    pos_ = start;
    if (!Run(result.problem)) return result;
    result.letter = std::move(letter_);
    return result;
  }

 private:
  static bool IsBlank(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }

  GroupState& State() { return stack_.back(); }

  bool Run(std::string& problem) {
    while (pos_ < in_.size()) {
      const char c = in_[pos_];
      if (c == '{') {
        ++pos_;
        starPending_ = false;
        if (static_cast<int>(stack_.size()) >= kMaxRtfGroupDepth) {
          problem = "The file nests groups more than " + std::to_string(kMaxRtfGroupDepth) +
                    " deep; no word processor writes that. It was not read.";
          return false;
        }
        skipCount_ = 0;
        if (stack_.empty()) {
          GroupState root;
          root.chr.halfPoints = 24;  // the size a file means when it names none
          stack_.push_back(root);
        } else {
          stack_.push_back(State());
        }
        groupStart_ = true;
        continue;
      }
      if (c == '}') {
        ++pos_;
        starPending_ = false;
        skipCount_ = 0;
        CloseGroup();
        if (stack_.empty()) return true;  // the document's group has ended; what follows is not read
        continue;
      }
      if (stack_.empty()) return true;  // unreachable: the file begins with a group
      if (c == '\\') {
        if (!ControlWord(problem)) return false;
        groupStart_ = false;
        continue;
      }
      ++pos_;
      groupStart_ = false;
      if (starPending_ && c != '\r' && c != '\n') {
        starPending_ = false;  // a \* group of text only: passed over like any other
        State().destination = Destination::Skip;
      }
      if (c == '\r' || c == '\n' || c == '\0') continue;  // line breaks of the file itself mean nothing
      if (skipCount_ > 0) {
        --skipCount_;
        continue;
      }
      if (c == '\t') {
        Text(U'\t');
      } else if (static_cast<unsigned char>(c) < 0x20) {
        continue;
      } else if (State().destination == Destination::FontTable && c == ';') {
        EndFontEntry();
      } else if (State().destination == Destination::ColourTable && c == ';') {
        colours_.push_back(currentColour_);
        currentColour_ = 0;
      } else {
        Text(Cp1252ToUnicode(static_cast<unsigned char>(c)));
      }
    }
    problem = "The file ends inside a group: it is cut short. It was not read.";
    return false;
  }

  void CloseGroup() {
    const GroupState closing = stack_.back();
    stack_.pop_back();
    if (closing.destination == Destination::FontTable) {
      EndFontEntry();
      // Text before any \f is in the default font, known only now.
      if (!stack_.empty() && stack_.back().destination == Destination::Text)
        stack_.back().chr.font = FontName(defaultFont_, stack_.back().chr.font);
    }
    // The document's group ends: text after the last paragraph mark is a paragraph too.
    if (stack_.empty() && !paragraph_.runs.empty()) FinishParagraph(closing.para);
    if (closing.destination == Destination::ListMarker && !stack_.empty() &&
        stack_.back().destination != Destination::ListMarker) {
      if (IsBulletMarker(marker_)) {
        markerBullet_ = true;
      } else if (stack_.back().destination == Destination::Text) {
        // A number or letter before a list paragraph stays as the paragraph's own text.
        paragraph_.Append(marker_, markerFormat_);
      }
      marker_.clear();
    }
  }

  // The control word or symbol at pos_ (a backslash).
  bool ControlWord(std::string& problem) {
    ++pos_;
    if (pos_ >= in_.size()) return true;  // the end: Run reports the open group
    const char c = in_[pos_];
    if (!IsAsciiLetter(c)) {
      ++pos_;
      Symbol(c);
      return true;
    }
    const std::size_t wordStart = pos_;
    while (pos_ < in_.size() && IsAsciiLetter(in_[pos_])) ++pos_;
    const std::string_view word = in_.substr(wordStart, std::min<std::size_t>(pos_ - wordStart, 40));
    bool hasParam = false;
    long long param = 0;
    bool negative = false;
    if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && IsDigit(in_[pos_ + 1])) {
      negative = true;
      ++pos_;
    }
    while (pos_ < in_.size() && IsDigit(in_[pos_])) {
      hasParam = true;
      if (param < 100000000000LL) param = param * 10 + (in_[pos_] - '0');
      ++pos_;
    }
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;  // the delimiter belongs to the word
    if (negative) param = -param;
    const int value = static_cast<int>(std::clamp<long long>(param, INT_MIN, INT_MAX));

    if (word == "bin") {
      // Binary data: its bytes are not text, whatever they look like.
      const long long length = hasParam && param > 0 ? param : 0;
      if (static_cast<unsigned long long>(length) > in_.size() - pos_) {
        problem = "The file ends inside binary data (\\bin" + std::to_string(length) +
                  "): it is cut short. It was not read.";
        return false;
      }
      pos_ += static_cast<std::size_t>(length);
      return true;
    }
    if (skipCount_ > 0) {
      // A fall-back character after \uN may be a control word: it is skipped whole.
      --skipCount_;
      return true;
    }
    Word(word, hasParam, value);
    return true;
  }

  void Symbol(char c) {
    switch (c) {
      case '\\':
      case '{':
      case '}':
        if (skipCount_ > 0) {
          --skipCount_;
          return;
        }
        Text(static_cast<unsigned char>(c));
        return;
      case '\'': {
        int hi = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
        int lo = pos_ + 1 < in_.size() ? HexValue(in_[pos_ + 1]) : -1;
        if (hi < 0 || lo < 0) return;  // not a hexadecimal pair: nothing stands for it
        pos_ += 2;
        if (skipCount_ > 0) {
          --skipCount_;
          return;
        }
        Text(Cp1252ToUnicode(static_cast<unsigned char>(hi * 16 + lo)));
        return;
      }
      case '*':
        // Marks a destination to pass over when the reader does not know it; this one reads
        // none of them (the bullet definition \pn is recognised by its own word).
        if (groupStart_ || starPending_) starPending_ = true;
        return;
      case '~':
        Text(0x00A0);
        return;
      case '_':
        Text(0x2011);
        return;
      case '-':
        return;  // an optional hyphen: only where a word processor breaks the word
      case '\r':
      case '\n':
        ParagraphMark();  // "\" before a line break is \par
        return;
      default:
        return;
    }
  }

  void Word(std::string_view word, bool hasParam, int value) {
    GroupState& s = State();
    const bool star = starPending_;
    starPending_ = false;
    if (word == "pn") {
      s.destination = s.destination == Destination::Text ? Destination::Bullet : Destination::Skip;
      return;
    }
    if (star) {
      s.destination = Destination::Skip;
      return;
    }
    if (word == "fonttbl") {
      s.destination = Destination::FontTable;
      return;
    }
    if (word == "colortbl") {
      s.destination = Destination::ColourTable;
      currentColour_ = 0;
      return;
    }
    if (word == "pntext" || word == "listtext") {
      if (s.destination == Destination::Text) {
        s.destination = Destination::ListMarker;
        marker_.clear();
        markerFormat_ = s.chr;
      } else {
        s.destination = Destination::Skip;
      }
      return;
    }
    if (IsSkippedDestination(word)) {
      s.destination = Destination::Skip;
      return;
    }
    if (s.destination == Destination::Skip) return;

    // Characters, wherever text is collected (font names and list marks too).
    if (word == "u") {
      char32_t c = static_cast<char32_t>(value < 0 ? value + 65536 : value) & 0xFFFF;
      if (value > 0xFFFF) c = static_cast<char32_t>(value);
      if (c >= 0xD800 && c <= 0xDBFF) {
        highSurrogate_ = c;
      } else if (c >= 0xDC00 && c <= 0xDFFF) {
        if (highSurrogate_) Text(0x10000 + ((highSurrogate_ - 0xD800) << 10) + (c - 0xDC00));
        highSurrogate_ = 0;
      } else {
        Text(c);
      }
      skipCount_ = s.unicodeSkip;
      return;
    }
    if (word == "uc") {
      s.unicodeSkip = std::clamp(value, 0, 8);
      return;
    }
    if (auto symbol = SymbolWord(word)) {
      Text(*symbol);
      return;
    }

    if (s.destination == Destination::Bullet) {
      if (word == "pnlvlblt" && stack_.size() >= 2) {
        // The group being read is the list definition; the paragraph is its parent's.
        stack_[stack_.size() - 2].para.bullet = true;
      }
      return;
    }
    if (s.destination == Destination::ColourTable) {
      const int v = std::clamp(value, 0, 255);
      if (word == "red") currentColour_ = (currentColour_ & ~0xFF) | v;
      else if (word == "green") currentColour_ = (currentColour_ & ~0xFF00) | (v << 8);
      else if (word == "blue") currentColour_ = (currentColour_ & ~0xFF0000) | (v << 16);
      return;
    }
    if (s.destination == Destination::FontTable) {
      if (word == "f") {
        EndFontEntry();
        fontNumber_ = value;
        fontName_.clear();
        inFontEntry_ = true;
      }
      return;
    }

    if (word == "par" || word == "page" || word == "sect" || word == "row") {
      ParagraphMark();
      return;
    }
    if (word == "ansicpg" || word == "deff") {
      if (word == "deff") defaultFont_ = value;
      return;
    }
    // Character formatting.
    if (word == "plain") {
      s.chr = CharFormat();
      s.chr.halfPoints = 24;
      s.chr.font = FontName(defaultFont_, s.chr.font);
      return;
    }
    const bool on = !hasParam || value != 0;
    if (word == "b") {
      s.chr.bold = on;
    } else if (word == "i") {
      s.chr.italic = on;
    } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "uldash" ||
               word == "ulth" || word == "ulwave") {
      s.chr.underline = on;
    } else if (word == "ulnone") {
      s.chr.underline = false;
    } else if (word == "f") {
      s.chr.font = FontName(value, s.chr.font);
    } else if (word == "fs") {
      s.chr.halfPoints = hasParam && value > 0 ? std::clamp(value, 2, 3276) : 24;
    } else if (word == "cf") {
      s.chr.colour = value > 0 && static_cast<std::size_t>(value) < colours_.size() ? colours_[value] : 0;
    }
    // Paragraph formatting.
    else if (word == "pard") {
      s.para = ParagraphFormat();
    } else if (word == "ql") {
      s.para.alignment = Alignment::Left;
    } else if (word == "qc") {
      s.para.alignment = Alignment::Centre;
    } else if (word == "qr") {
      s.para.alignment = Alignment::Right;
    } else if (word == "qj") {
      s.para.alignment = Alignment::Justify;
    } else if (word == "fi") {
      s.para.firstIndent = ClampIndent(value);
    } else if (word == "li") {
      s.para.leftIndent = ClampIndent(value);
    } else if (word == "ri") {
      s.para.rightIndent = ClampIndent(value);
    }
  }

  static int ClampIndent(int twips) { return std::clamp(twips, -22 * kTwipsPerInch, 22 * kTwipsPerInch); }

  std::string FontName(int number, const std::string& fallback) const {
    auto it = fonts_.find(number);
    return it == fonts_.end() ? fallback : it->second;
  }

  void EndFontEntry() {
    if (!inFontEntry_) return;
    inFontEntry_ = false;
    std::string name = fontName_;
    while (!name.empty() && (name.back() == ' ' || name.back() == ';')) name.pop_back();
    std::size_t first = name.find_first_not_of(' ');
    name = first == std::string::npos ? std::string() : name.substr(first);
    if (!name.empty()) fonts_[fontNumber_] = name;
  }

  void Text(char32_t c) {
    GroupState& s = State();
    switch (s.destination) {
      case Destination::Text: {
        std::string utf8;
        AppendUtf8(utf8, c);
        paragraph_.Append(utf8, s.chr);
        return;
      }
      case Destination::ListMarker:
        if (marker_.size() < 64) AppendUtf8(marker_, c);
        return;
      case Destination::FontTable:
        if (inFontEntry_ && fontName_.size() < kMaxFontNameLength && c >= 0x20) AppendUtf8(fontName_, c);
        return;
      default:
        return;
    }
  }

  // Ends the paragraph being read, in the paragraph format of the group that ends it.
  void FinishParagraph(const ParagraphFormat& format) {
    paragraph_.format = format;
    if (markerBullet_) paragraph_.format.bullet = true;
    letter_.paragraphs.push_back(std::move(paragraph_));
    paragraph_ = Paragraph();
    markerBullet_ = false;
  }

  void ParagraphMark() {
    if (State().destination == Destination::Text) FinishParagraph(State().para);
  }

  std::string_view in_;
  std::size_t pos_ = 0;
  std::vector<GroupState> stack_;
  bool groupStart_ = false;
  bool starPending_ = false;
  int skipCount_ = 0;
  char32_t highSurrogate_ = 0;

  std::map<int, std::string> fonts_;
  int defaultFont_ = 0;
  bool inFontEntry_ = false;
  int fontNumber_ = 0;
  std::string fontName_;
  std::vector<std::int32_t> colours_;
  std::int32_t currentColour_ = 0;

  std::string marker_;
  CharFormat markerFormat_;
  bool markerBullet_ = false;

  LetterDocument letter_;
  Paragraph paragraph_;
};

}  // namespace

bool LooksLikeRtf(std::string_view bytes) {
  std::size_t start = 0;
  while (start < bytes.size() && (bytes[start] == ' ' || bytes[start] == '\r' || bytes[start] == '\n' ||
                                  bytes[start] == '\t'))
    ++start;
  return bytes.substr(start, 5) == "{\\rtf";
}

RtfReadResult ReadRtf(std::string_view bytes) { return Reader(bytes).Read(); }

}  // namespace tf::letters
