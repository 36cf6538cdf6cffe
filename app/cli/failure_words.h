#pragma once
// Engine failures in the tool's sentences: what happened in words a user can act on, with the
// engine's status only in parentheses for whoever reports the problem.

#include <cstdint>
#include <string>

namespace tf::cli {

// "the disk is full", "it is in use by another program", ... from a status and the first
// operating-system error of the failed operation (0 when there was none).
std::string FailureInWords(std::int32_t status, int osError);

// The current engine failure as "<words> (status N)", to follow a colon in a message.
std::string WhyItFailed();

}  // namespace tf::cli
