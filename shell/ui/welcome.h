#pragma once
// The welcome a new set of books opens on: a few steps, each opening the window where it is
// done (the company's options, a first customer, a first product), each one skippable, then
// where to go for the first invoice. The program composes the steps (app/); this window only
// walks through them.

#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;

namespace tf::shell::ui {

inline constexpr const char* kWelcomeCaption = "Welcome to QZ Tallyfold PRO";

struct WelcomeStep {
  QString heading;  // "Step 1 of 3: Your company"
  QString text;     // what the step is for and what the window it opens asks
  QString action;   // the button that opens it, with its accelerator
  std::function<void()> open;
};

class TWelcome : public QDialog {
  Q_OBJECT

 public:
  TWelcome(std::vector<WelcomeStep> steps, QWidget* parent = nullptr);

  QLabel* Heading;
  QLabel* StepText;
  QPushButton* ActionButton;
  QPushButton* SkipButton;
  QPushButton* CloseButton;

  int StepShown() const { return step_; }  // steps.size() on the closing page

 private:
  void Show(int step);
  void OpenStep();

  std::vector<WelcomeStep> steps_;
  int step_ = 0;
};

}  // namespace tf::shell::ui
