#pragma once
// The company files a new data folder starts with: the company file block holding company 1
// and "LastCo.Dat" naming it. Company 1 has no name, so the program starts by asking for the
// company to be set up; every other field has a new company's value.

#include <string>

#include "common/record_buffer.h"

namespace tf::shell {

common::RecordBuffer StarterCompanyRecord();

// Each creates its file in the working directory unless it exists already (an existing file is
// never touched) and returns an error text, empty on success. The engine is started for the
// company file block when it is not running, and shut down again afterwards.
std::string CreateStarterCompanyFile();
std::string CreateStarterStartupFile();

}  // namespace tf::shell
