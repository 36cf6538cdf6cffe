#pragma once
// The status window that long operations share (rebuild, aging, list reports): a small dialog
// without title buttons, caption set by the operation, and three centred lines, the middle one
// bold. Shown without blocking; the operation hides it at the end.

#include <QDialog>
#include <QLabel>

#include <string_view>

#include "engine/rebuilding/rebuild_status.h"

namespace tf::common::ui {

inline constexpr std::string_view kStatFormCaption = "Rebuild Status";

class TStatForm : public QDialog, public engine::RebuildStatus {
  Q_OBJECT

 public:
  explicit TStatForm(QWidget* parent = nullptr);

  // Clears the lines, sets the caption (the default one when `title` is empty) and shows the
  // window on top without making it modal.
  void Show(std::string_view title) override;
  // Sets the three lines and lets pending paint and window events run so the window stays
  // current inside a long loop. Keyboard and mouse input waits: a click on another window
  // must not start a second operation in the middle of this one.
  void Lines(std::string_view line1, std::string_view line2, std::string_view line3) override;
  void Close() override;

  // One line (1..3) on its own, for operations that update a single counter.
  void SetLine(int number, std::string_view text);
  void ClearLines();

  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;

 private:
  void Pump();
};

}  // namespace tf::common::ui
