// tallyfold-cli: headless jobs on a data folder (see `tallyfold-cli help`).

#include <iostream>
#include <string>
#include <vector>

#include "app/cli/cli.h"
#ifdef TALLYFOLD_PDF_OUTPUT
#include "app/cli/ui/pdf_output.h"
#endif

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  tf::cli::Extensions extensions = tf::cli::BuiltInExtensions();
#ifdef TALLYFOLD_PDF_OUTPUT
  extensions.pdfCanvas = tf::cli::ui::PdfFileCanvas;
#endif
  return tf::cli::RunCli(args, std::cout, std::cerr, extensions);
}
