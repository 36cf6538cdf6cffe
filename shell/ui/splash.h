#pragma once
// The start-up splash window: borderless, silver, centred on the screen, with the program's
// picture and the caption "Tallyfold Pro". It is shown while the windows are created and freed
// before the main window appears.

#include <QFrame>
#include <QLabel>

#include <string_view>

namespace tf::shell::ui {

inline constexpr std::string_view kSplashCaption = "Tallyfold Pro";

class TPStart : public QFrame {
  Q_OBJECT

 public:
  explicit TPStart(QWidget* parent = nullptr);
  // Shows the window centred on the screen and paints it at once.
  void ShowNow();

  QLabel* Image1;
  QLabel* Label1;
};

}  // namespace tf::shell::ui
