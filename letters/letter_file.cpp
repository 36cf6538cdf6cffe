#include "letters/letter_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include "letters/rtf_reader.h"
#include "letters/rtf_writer.h"

namespace tf::letters {

namespace fs = std::filesystem;

LetterFormat FormatForName(const fs::path& path) {
  std::string ext = path.extension().string();
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext == ".txt" ? LetterFormat::Text : LetterFormat::Rtf;
}

LetterFileResult ReadLetterFile(const fs::path& path) {
  LetterFileResult result;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    result.problem = "The letter " + path.string() + " cannot be opened (" + std::strerror(errno) + ").";
    return result;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    result.problem = "The letter " + path.string() + " cannot be read.";
    return result;
  }
  if (FormatForName(path) == LetterFormat::Rtf || LooksLikeRtf(bytes)) {
    RtfReadResult rtf = ReadRtf(bytes);
    if (!rtf.letter) {
      result.problem = "The letter " + path.string() + " cannot be read: " + rtf.problem;
      return result;
    }
    result.letter = std::move(rtf.letter);
    return result;
  }
  result.letter = LetterFromPlainText(bytes);
  return result;
}

std::optional<std::string> WriteLetterFile(const fs::path& path, const LetterDocument& letter) {
  const std::string bytes = FormatForName(path) == LetterFormat::Text ? LetterToPlainText(letter) : WriteRtf(letter);
  fs::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return "The letter cannot be saved as " + path.string() + " (" + std::strerror(errno) + ").";
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      std::error_code ignored;
      out.close();
      fs::remove(temporary, ignored);
      return "The letter cannot be saved as " + path.string() + ": the disk may be full. The file was left as it was.";
    }
  }
  std::error_code ec;
  fs::rename(temporary, path, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return "The letter cannot be saved as " + path.string() + " (" + ec.message() + ").";
  }
  return std::nullopt;
}

}  // namespace tf::letters
