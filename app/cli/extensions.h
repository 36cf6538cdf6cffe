#pragma once
// What the tool works with: record kinds (how a file block's records are shown and which keys
// they imply), the starter files `init` lays down, and the side files of the data folder that
// carry a ".DAT" name without being file blocks. Tests run the tool with kinds of their own.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/starter/starter_folder.h"
#include "common/print_canvas.h"
#include "records/record_kinds.h"

namespace tf::cli {

// One step of `init`.
using StarterStep = app::StarterStep;

struct Extensions {
  records::RecordKindRegistry recordKinds;
  std::vector<StarterStep> starterSteps;
  std::vector<std::string> sideFiles;  // file names, compared without regard to case
  // A canvas writing a PDF file, for the commands that print (the toolkit's PDF writer on its
  // offscreen platform, linked into the executable); empty in a tool built without it.
  std::function<std::unique_ptr<common::PrintCanvas>(const std::string& path)> pdfCanvas;
};

// The program's own registrations: the record kinds of records/ (where a new kind joins) and
// the starter files of a new data folder.
Extensions BuiltInExtensions();

}  // namespace tf::cli
