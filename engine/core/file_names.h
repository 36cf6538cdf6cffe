#pragma once
// How a file block name becomes file names: spaces removed, "DATA;INDEX" names the two
// files separately, an existing extension is replaced, the result cut to 64 characters.

#include <string>
#include <string_view>

namespace tf::engine {

enum class FileKind { Data, Index, Journal, Saved, Message };

inline constexpr size_t kMaxFileNameLength = 64;

std::string EngineFileName(std::string_view blockName, FileKind kind);

}  // namespace tf::engine
