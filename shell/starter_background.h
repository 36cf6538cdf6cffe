#pragma once
// The background picture a new company names ("qzt8.bmp"). A starter folder carries it, so that
// the main window of a company set up from the starter folder finds its background instead of
// warning that the picture no longer exists.

#include <string>

namespace tf::shell {

inline constexpr const char* kStarterBackgroundFile = "qzt8.bmp";

// A small seamless tile as an uncompressed 24-bit BMP image.
std::string StarterBackgroundImage();

// Writes "qzt8.bmp" in the working directory unless a file of that name exists; returns an error
// text, empty on success.
std::string CreateStarterBackground();

}  // namespace tf::shell
