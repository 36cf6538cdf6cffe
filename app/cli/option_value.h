#pragma once
// A command's option with a value, written `--name VALUE` or `--name=VALUE`.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tf::cli {

enum class OptionValue {
  Other,    // args[i] is not this option
  Missing,  // it is, but no value follows
  Taken,    // its value is in `into`; i is on the last argument used
};

inline OptionValue TakeOptionValue(const std::vector<std::string>& args, std::size_t& i, std::string_view name,
                                   std::optional<std::string>& into) {
  const std::string& arg = args[i];
  if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
    into = arg.substr(name.size() + 1);
    return OptionValue::Taken;
  }
  if (arg != name) return OptionValue::Other;
  if (i + 1 >= args.size() || args[i + 1].empty()) return OptionValue::Missing;
  into = args[++i];
  return OptionValue::Taken;
}

}  // namespace tf::cli
