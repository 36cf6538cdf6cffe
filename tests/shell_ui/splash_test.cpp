// The splash window and the program's drawn picture.

#include <QApplication>
#include <QScreen>
#include <QTest>

#include "shell/ui/program_picture.h"
#include "shell/ui/splash.h"
#include "test_support.h"

namespace tf::shell::ui::test {
namespace {

class SplashTest : public QObject {
  Q_OBJECT

 private slots:
  void BorderlessSilverCentredWithCaption() {
    TPStart splash;
    splash.ShowNow();
    QVERIFY(splash.isVisible());
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(splash.Label1->text(), QString("Tallyfold Pro"));
    QCOMPARE(splash.palette().color(QPalette::Window), QColor(192, 192, 192));
    QVERIFY(!splash.Image1->pixmap().isNull());
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY((splash.geometry().center() - screenCentre).manhattanLength() <= 2);
  }

  void PictureAtEverySize() {
    for (int size : {16, 48, 128}) {
      QImage image = ProgramPicture(size).toImage();
      QCOMPARE(image.size(), QSize(size, size));
      // Transparent outside the rounded badge, blue on its rim, the light sheet inside.
      QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
      QColor rim = image.pixelColor(size * 12 / 128, size * 64 / 128);
      QVERIFY2(rim.blue() > rim.red() + 60, qPrintable(rim.name()));
      QColor sheet = image.pixelColor(size * 86 / 128, size * 80 / 128);
      QVERIFY2(sheet.lightness() > 200, qPrintable(sheet.name()));
    }
  }
};

}  // namespace

int RunSplashTests(int argc, char** argv) {
  SplashTest t;
  return QTest::qExec(&t, argc, argv);
}

}  // namespace tf::shell::ui::test

#include "splash_test.moc"
