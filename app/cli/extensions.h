#pragma once
// What the tool works with: record kinds (how a file block's records are shown and which keys
// they imply), the starter files `init` lays down, and the side files of the data folder that
// carry a ".DAT" name without being file blocks. Tests run the tool with kinds of their own.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/print_canvas.h"
#include "records/record_kinds.h"

namespace tf::cli {

// One step of `init`. It runs with the data folder as working directory, must leave files that
// already exist alone (init is run again and again) and returns an error text, empty on success.
struct StarterStep {
  std::string description;
  std::function<std::string()> run;
};

struct Extensions {
  records::RecordKindRegistry recordKinds;
  std::vector<StarterStep> starterSteps;
  std::vector<std::string> sideFiles;  // file names, compared without regard to case
  // A print canvas writing the PDF file named, for `print`; empty in a build without the
  // windowing library, where printing says it is not available.
  std::function<std::unique_ptr<common::PrintCanvas>(const std::string& pdfFile)> pdfCanvas;
};

// The program's own registrations: the record kinds of records/ (where a new kind joins) and
// the starter files of a new data folder.
Extensions BuiltInExtensions();

}  // namespace tf::cli
