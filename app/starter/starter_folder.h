#pragma once
// The starter files of a new data folder, laid down by `tallyfold-cli init` and by the windowed
// program on its first start: the payment terms, company 1 waiting to be set up, the start-up
// file, the background picture and the label layouts of common sheets.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tf::app {

// One step. It runs with the data folder as working directory, must leave files that already
// exist alone (it is run again and again) and returns an error text, empty on success.
struct StarterStep {
  std::string description;
  std::function<std::string()> run;
};

std::vector<StarterStep> StarterSteps();

// Creates `folder` if missing and runs every step in it; the working directory is left in the
// folder. Returns an error text naming the step that failed, empty on success.
std::string CreateStarterFolder(const std::filesystem::path& folder);

}  // namespace tf::app
