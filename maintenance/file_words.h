#pragma once
// What a failed file operation of the maintenance jobs says: the system's error in words a user
// can act on ("the disk is full", "the folder is read-only").

#include <string>

namespace tf::maintenance {

// `error` is an errno value.
std::string FileErrorInWords(int error);

}  // namespace tf::maintenance
