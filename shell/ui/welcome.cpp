#include "shell/ui/welcome.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tf::shell::ui {

namespace {

const char* const kIntro =
    "These steps set up your books. Each opens the window where it is done; skip any of them and "
    "come back to it later from the main window.";
const char* const kReadyHeading = "You are ready";
const char* const kReadyText =
    "To write your first invoice, open the Invoice Manager and choose Add. Payments go in through "
    "the Payment Wizard; statements and reports are printed from the Customer Manager and the "
    "Report Wizard. The Help menu opens the manual.";

}  // namespace

TWelcome::TWelcome(std::vector<WelcomeStep> steps, QWidget* parent) : QDialog(parent), steps_(std::move(steps)) {
  setObjectName(QStringLiteral("TWelcome"));
  setWindowTitle(QString::fromLatin1(kWelcomeCaption));
  auto* intro = new QLabel(QString::fromLatin1(kIntro), this);
  intro->setWordWrap(true);
  Heading = new QLabel(this);
  Heading->setObjectName(QStringLiteral("Heading"));
  QFont bold = Heading->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.2);
  Heading->setFont(bold);
  StepText = new QLabel(this);
  StepText->setObjectName(QStringLiteral("StepText"));
  StepText->setWordWrap(true);
  StepText->setMinimumHeight(StepText->fontMetrics().lineSpacing() * 4);
  ActionButton = new QPushButton(this);
  ActionButton->setObjectName(QStringLiteral("ActionButton"));
  SkipButton = new QPushButton(QStringLiteral("&Skip"), this);
  SkipButton->setObjectName(QStringLiteral("SkipButton"));
  CloseButton = new QPushButton(QStringLiteral("&Close"), this);
  CloseButton->setObjectName(QStringLiteral("CloseButton"));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ActionButton);
  buttons->addWidget(SkipButton);
  buttons->addStretch();
  buttons->addWidget(CloseButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro);
  layout->addSpacing(8);
  layout->addWidget(Heading);
  layout->addWidget(StepText);
  layout->addStretch();
  layout->addLayout(buttons);
  resize(520, 260);

  connect(ActionButton, &QPushButton::clicked, this, &TWelcome::OpenStep);
  connect(SkipButton, &QPushButton::clicked, this, [this] { Show(step_ + 1); });
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
  Show(0);
}

void TWelcome::Show(int step) {
  step_ = step;
  const bool ready = step_ >= static_cast<int>(steps_.size());
  ActionButton->setVisible(!ready);
  SkipButton->setVisible(!ready);
  CloseButton->setText(ready ? QStringLiteral("&Finish") : QStringLiteral("&Close"));
  if (ready) {
    Heading->setText(QString::fromLatin1(kReadyHeading));
    StepText->setText(QString::fromLatin1(kReadyText));
    CloseButton->setDefault(true);
    CloseButton->setFocus();
    return;
  }
  const WelcomeStep& s = steps_[static_cast<std::size_t>(step_)];
  Heading->setText(s.heading);
  StepText->setText(s.text);
  ActionButton->setText(s.action);
  ActionButton->setDefault(true);
  ActionButton->setFocus();
}

// The step's window opens over the welcome; once it closes, the next step shows.
void TWelcome::OpenStep() {
  const int step = step_;
  if (steps_[static_cast<std::size_t>(step)].open) steps_[static_cast<std::size_t>(step)].open();
  Show(step + 1);
}

}  // namespace tf::shell::ui
