#include "shell/ui/splash.h"

#include <QApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "common/ui/qt_text.h"
#include "shell/ui/program_picture.h"

namespace tf::shell::ui {

TPStart::TPStart(QWidget* parent)
    : QFrame(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("PStart");
  setFrameShape(QFrame::Box);
  setAutoFillBackground(true);
  QPalette silver = palette();
  silver.setColor(QPalette::Window, QColor(0xc0, 0xc0, 0xc0));
  silver.setColor(QPalette::WindowText, Qt::black);
  setPalette(silver);

  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  Image1->setPixmap(ProgramPicture(128));
  Label1 = new QLabel(common::ui::ToQString(kSplashCaption), this);
  Label1->setObjectName("Label1");
  QFont f = Label1->font();
  f.setBold(true);
  f.setPointSizeF(f.pointSizeF() * 2);
  Label1->setFont(f);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(40, 28, 40, 28);
  layout->setSpacing(16);
  layout->addWidget(Image1, 0, Qt::AlignHCenter);
  layout->addWidget(Label1, 0, Qt::AlignHCenter);
  adjustSize();
}

void TPStart::ShowNow() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = rect();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  show();
  repaint();
  QApplication::processEvents();
}

}  // namespace tf::shell::ui
