#include "common/ui/stat_form.h"

#include <QCoreApplication>
#include <QVBoxLayout>

#include "common/ui/qt_text.h"

namespace tf::common::ui {
namespace {

QLabel* CentredLabel(QWidget* parent, const char* name, bool bold) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setAlignment(Qt::AlignCenter);
  label->setMinimumWidth(300);
  if (bold) {
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
  }
  return label;
}

}  // namespace

TStatForm::TStatForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("StatForm"));
  setWindowTitle(ToQString(kStatFormCaption));
  setModal(false);
  Label1 = CentredLabel(this, "Label1", false);
  Label2 = CentredLabel(this, "Label2", true);
  Label3 = CentredLabel(this, "Label3", false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(Label2);
  layout->addWidget(Label3);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TStatForm::ClearLines() {
  Label1->clear();
  Label2->clear();
  Label3->clear();
}

void TStatForm::Show(std::string_view title) {
  ClearLines();
  setWindowTitle(ToQString(title.empty() ? kStatFormCaption : title));
  show();
  raise();
  Pump();
}

void TStatForm::Lines(std::string_view line1, std::string_view line2, std::string_view line3) {
  Label1->setText(ToQString(line1));
  Label2->setText(ToQString(line2));
  Label3->setText(ToQString(line3));
  Pump();
}

void TStatForm::SetLine(int number, std::string_view text) {
  QLabel* label = number == 1 ? Label1 : number == 2 ? Label2 : number == 3 ? Label3 : nullptr;
  if (label == nullptr) return;
  label->setText(ToQString(text));
  Pump();
}

void TStatForm::Close() {
  hide();
  ClearLines();
  setWindowTitle(ToQString(kStatFormCaption));
}

void TStatForm::Pump() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace tf::common::ui
