#pragma once
// The label layouts a new data folder starts with, for the sheets most offices already own, so
// the Label Wizard prints without a layout of the user's own: "LETTER30.LBL" (US Letter, 3 x 10
// address labels of 1 x 2 5/8 inches) and "A4-24.LBL" (A4, 3 x 8 labels of 63.5 x 33.9 mm).
// The Letter sheet becomes the last used layout when none is.

#include <string>
#include <vector>

#include "correspondence/label_layout.h"

namespace tf::correspondence {

struct StarterLayout {
  const char* fileName;
  LabelLayout layout;
};
const std::vector<StarterLayout>& StarterLayouts();

// Writes each starter layout into the working directory unless a file of its name exists, and
// records the first as the last used when nothing is recorded; an error text, empty on success.
std::string CreateStarterLabelLayouts();

}  // namespace tf::correspondence
