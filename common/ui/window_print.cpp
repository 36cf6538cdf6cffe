#include "common/ui/window_print.h"

#include <QPixmap>
#include <QTemporaryDir>

namespace tf::common::ui {

PrintResult PrintWindowImage(QWidget& window, std::string_view title,
                             const std::function<std::unique_ptr<PrintCanvas>()>& printer) {
  // The canvas draws bitmaps from files, so the image goes through a temporary one.
  QTemporaryDir dir;
  if (!dir.isValid()) return PrintResult::Failed;
  const QString path = dir.filePath("window.png");
  const QPixmap image = window.grab();
  if (image.isNull() || !image.save(path, "PNG")) return PrintResult::Failed;
  std::unique_ptr<PrintCanvas> canvas = printer();
  if (!canvas) return PrintResult::Cancelled;
  canvas->SetTitle(title);
  if (!canvas->BeginDoc()) return PrintResult::Failed;
  int width = canvas->PageWidth();
  int height = int(double(width) * image.height() / image.width());
  if (height > canvas->PageHeight()) {
    height = canvas->PageHeight();
    width = int(double(height) * image.width() / image.height());
  }
  const bool drawn = canvas->DrawBitmap(0, 0, width, height, path.toStdString());
  const bool ended = canvas->EndDoc();
  return drawn && ended ? PrintResult::Printed : PrintResult::Failed;
}

}  // namespace tf::common::ui
