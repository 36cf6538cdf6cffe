#pragma once
// Where the program keeps its data when no folder is named: $XDG_DATA_HOME/tallyfold, or
// ~/.local/share/tallyfold when XDG_DATA_HOME is unset or empty. Both the window and the tool
// use it, so they agree on the folder.

#include <filesystem>

namespace tf::common {

// Empty when neither variable gives a folder.
std::filesystem::path DefaultDataFolder(const char* xdgDataHome, const char* home);

}  // namespace tf::common
