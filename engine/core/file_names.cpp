#include "engine/core/file_names.h"

namespace tf::engine {
namespace {

const char* ExtensionOf(FileKind kind) {
  switch (kind) {
    case FileKind::Data: return "DAT";
    case FileKind::Index: return "IX";
    case FileKind::Journal: return "DIA";
    case FileKind::Saved: return "SAV";
    case FileKind::Message: return "MSG";
  }
  return "DAT";
}

}  // namespace

std::string EngineFileName(std::string_view blockName, FileKind kind) {
  std::string name;
  for (char c : blockName)
    if (c != ' ') name += c;

  auto semicolon = name.find(';');
  if (semicolon != std::string::npos)
    name = (kind == FileKind::Index) ? name.substr(semicolon + 1) : name.substr(0, semicolon);

  // An extension is a "." after the last directory separator (either kind is accepted).
  auto sep = name.find_last_of("\\/");
  auto dot = name.find_last_of('.');
  bool hasExtension = dot != std::string::npos && (sep == std::string::npos || dot > sep);
  if (hasExtension) name.resize(dot);
  name += '.';
  name += ExtensionOf(kind);

  if (name.size() > kMaxFileNameLength) name.resize(kMaxFileNameLength);
  return name;
}

}  // namespace tf::engine
