#pragma once
// The letter between the editor's document and the program's own letter: what the editor shows
// is what is saved and printed. Lengths: the editor counts in pixels of 1/96 inch, letters in
// twips (15 to the pixel); sizes in points, letters in half points.

#include <QTextDocument>

#include "letters/letter_document.h"

namespace tf::letters::ui {

inline constexpr int kTwipsPerPixel = 15;

LetterDocument FromTextDocument(const QTextDocument& document);
// Replaces the document's content (its undo history goes with it).
void ToTextDocument(const LetterDocument& letter, QTextDocument& document);

}  // namespace tf::letters::ui
