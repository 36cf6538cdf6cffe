#include "common/ui/window_print.h"

#include <QPixmap>
#include <QTemporaryDir>

namespace tf::common::ui {

void PrintWindowImage(QWidget& window, std::string_view title,
                      const std::function<std::unique_ptr<PrintCanvas>()>& printer) {
  // The canvas draws bitmaps from files, so the image goes through a temporary one.
  QTemporaryDir dir;
  if (!dir.isValid()) return;
  const QString path = dir.filePath("window.png");
  const QPixmap image = window.grab();
  if (image.isNull() || !image.save(path, "PNG")) return;
  std::unique_ptr<PrintCanvas> canvas = printer();
  if (!canvas) return;
  canvas->SetTitle(title);
  if (!canvas->BeginDoc()) return;
  int width = canvas->PageWidth();
  int height = int(double(width) * image.height() / image.width());
  if (height > canvas->PageHeight()) {
    height = canvas->PageHeight();
    width = int(double(height) * image.width() / image.height());
  }
  canvas->DrawBitmap(0, 0, width, height, path.toStdString());
  canvas->EndDoc();
}

}  // namespace tf::common::ui
