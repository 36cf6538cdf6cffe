#include "common/ui/list_window.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFile>
#include <QFontDialog>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>
#include <system_error>

#include "common/print_canvas.h"
#include "common/side_file.h"
#include "common/ui/command_widgets.h"
#include "common/ui/qt_font.h"
#include "common/ui/qt_print_canvas.h"
#include "common/ui/qt_prompter.h"
#include "common/ui/qt_text.h"
#include "common/ui/rtf_text.h"

namespace tf::common::ui {
namespace {

// The view shows lines; the file may end them with CR LF.
QString DisplayText(const std::string& bytes) {
  QString text = ToQString(bytes);
  text.remove(QLatin1Char('\r'));
  if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
  return text;
}

}  // namespace

TListWindow::TListWindow(QWidget* parent, Prompter* prompter)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      prompter_(prompter) {
  setObjectName(QStringLiteral("ListWindow"));
  setModal(true);
  resize(900, 640);

  PrintButn = PushButton(this, "PrintButn", "Print");
  SaveButn = PushButton(this, "SaveButn", "Save to File");
  FontButn = PushButton(this, "FontButn", "Font/Color");
  SpeedButton2 = PushButton(this, "SpeedButton2", "Close");

  LView = new QPlainTextEdit(this);
  LView->setObjectName(QStringLiteral("LView"));
  LView->setLineWrapMode(QPlainTextEdit::NoWrap);
  LView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  LView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  LView->setReadOnly(true);
  // Read-only, but the caret stays so the keyboard can move through the report.
  LView->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  SetViewFont(FontSpec{"Courier New", 10, 0, 0});

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(PrintButn);
  buttons->addWidget(SaveButn);
  buttons->addWidget(FontButn);
  buttons->addStretch(1);
  buttons->addWidget(SpeedButton2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(LView, 1);

  connect(PrintButn, &QPushButton::clicked, this, &TListWindow::PrintButnClick);
  connect(SaveButn, &QPushButton::clicked, this, &TListWindow::SaveButnClick);
  connect(FontButn, &QPushButton::clicked, this, &TListWindow::FontButnClick);
  connect(SpeedButton2, &QPushButton::clicked, this, &QDialog::accept);
}

TListWindow::~TListWindow() = default;

Prompter& TListWindow::Messages() {
  if (prompter_ != nullptr) return *prompter_;
  if (!ownPrompter_) ownPrompter_ = std::make_unique<QtPrompter>(this);
  return *ownPrompter_;
}

void TListWindow::ShowTextFile(const std::string& path, std::string_view title) {
  if (!LoadFile(path, title)) return;
  setWindowState(windowState() | Qt::WindowMaximized);
  exec();
}

void TListWindow::ProposeFileName(std::string_view baseName) {
  baseName_ = baseName.empty() ? std::string("Report") : std::string(baseName);
}

bool TListWindow::LoadFile(const std::string& path, std::string_view title) {
  setWindowTitle(ToQString(title));
  try {
    text_ = ReadWholeFile(path);
  } catch (const std::system_error&) {
    text_.clear();
    LView->clear();
    Messages().Inform("Cannot read " + path, title);
    return false;
  }
  LView->setPlainText(DisplayText(text_));
  LView->moveCursor(QTextCursor::Start);
  return true;
}

void TListWindow::SetViewFont(const FontSpec& font) {
  ApplyViewFont(ToQFont(font, true), ToQColor(font.colour));
}

FontSpec TListWindow::ViewFont() const { return FromQFont(LView->font(), colour_); }

void TListWindow::ApplyViewFont(const QFont& font, const QColor& colour) {
  LView->setFont(font);
  colour_ = colour;
  QPalette palette = LView->palette();
  palette.setColor(QPalette::Text, colour);
  LView->setPalette(palette);
}

QString TListWindow::ProposedFileName() const {
  return ToQString(baseName_) + QStringLiteral(".RTF");
}

bool TListWindow::SaveToFile(const QString& path) {
  const bool plain = path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive);
  try {
    ReplaceFile(QFile::encodeName(path).toStdString(),
                plain ? text_ : PlainTextToRtf(text_, ViewFont()));
  } catch (const std::system_error&) {
    Messages().Inform("Cannot write " + FromQString(path), FromQString(windowTitle()));
    return false;
  }
  return true;
}

QFont PageFont(const QFont& viewFont, const QStringList& lines, QPaintDevice& device, qreal printableWidth) {
  QFont font(viewFont, &device);
  const auto widest = [&](const QFont& f) {
    const QFontMetricsF metrics(f, &device);
    // A report line is never narrower than the longest a report writes, whatever this one holds.
    qreal width = metrics.horizontalAdvance(QString(kReportLineWidth, QLatin1Char('-')));
    for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line));
    return width;
  };
  // Shrunk, never enlarged, until every line fits the page's width: a list prints one report
  // line on one printed line, as a printed list does.
  for (int tries = 0; tries < 8; ++tries) {
    const qreal width = widest(font);
    if (width <= printableWidth || width <= 0) break;
    const qreal size = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
    font.setPointSizeF(std::max(1.0, size * printableWidth / width * 0.99));
  }
  return font;
}

bool TListWindow::PrintTo(QPrinter& printer) {
  printer.setDocName(windowTitle());
  const QStringList lines = LView->toPlainText().split(QLatin1Char('\n'));
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QRectF page = printer.pageRect(QPrinter::DevicePixel);
  const QFont font = PageFont(LView->font(), lines, printer, page.width());
  painter.setFont(font);
  painter.setPen(colour_);
  const QFontMetricsF metrics(font, &printer);
  const qreal step = std::max<qreal>(1, metrics.lineSpacing());
  qreal y = 0;
  bool pageOk = true;
  for (const QString& line : lines) {
    if (y > 0 && y + step > page.height()) {
      pageOk = printer.newPage() && pageOk;
      y = 0;
    }
    painter.drawText(QPointF(0, y + metrics.ascent()), line);
    y += step;
  }
  const bool ended = painter.end();
  return pageOk && ended && printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted;
}

void TListWindow::PrintButnClick() {
  std::unique_ptr<QPrinter> printer = NewPrinter();
  QPrintDialog dialog(printer.get(), this);
  if (dialog.exec() != QDialog::Accepted) return;
  if (!PrintTo(*printer)) Messages().Inform(kPrintingFailedText, FromQString(windowTitle()));
}

void TListWindow::SaveButnClick() {
  QFileDialog dialog(this, QStringLiteral("Save As"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("RTF"));
  dialog.setNameFilter(QStringLiteral("Rich Text File (*.RTF)"));
  dialog.selectFile(ProposedFileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  SaveToFile(dialog.selectedFiles().constFirst());
}

void TListWindow::FontButnClick() {
  bool ok = false;
  QFont font = QFontDialog::getFont(&ok, LView->font(), this, QStringLiteral("Font"));
  if (!ok) return;
  QColor colour = QColorDialog::getColor(colour_, this, QStringLiteral("Color"));
  ApplyViewFont(font, colour.isValid() ? colour : colour_);
}

}  // namespace tf::common::ui
