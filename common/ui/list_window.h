#pragma once
// The text report window: a list report's text in a read-only view with a fixed-pitch font,
// and buttons to print it, save it (RTF, or plain text for a .txt name), change the font and
// colour, and close.

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QPaintDevice>
#include <QStringList>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QString>

#include <memory>
#include <string>
#include <string_view>

#include "common/stored_font.h"
#include "common/prompter.h"
#include "common/text_report_viewer.h"

namespace tf::common::ui {

// The longest line a list report writes.
inline constexpr int kReportLineWidth = 85;

// The view's font for a page `printableWidth` device units wide: the same face and style, its
// size cut down just enough for the widest of `lines` (and of a kReportLineWidth-character
// line) to fit.
QFont PageFont(const QFont& viewFont, const QStringList& lines, QPaintDevice& device, qreal printableWidth);

class TListWindow : public QDialog, public TextReportViewer {
  Q_OBJECT

 public:
  // Messages (a file that cannot be read or written) go to `prompter`; the message box when
  // none is given.
  explicit TListWindow(QWidget* parent = nullptr, Prompter* prompter = nullptr);
  ~TListWindow() override;

  // Loads the file, shows the window maximised and modal until closed.
  void ShowTextFile(const std::string& path, std::string_view title) override;
  // "Save to File" proposes `baseName` + ".RTF".
  void ProposeFileName(std::string_view baseName) override;

  // Loads the text and sets the caption, caret at the start; false (and a message) when the
  // file cannot be read, leaving the view empty.
  bool LoadFile(const std::string& path, std::string_view title);
  void SetViewFont(const FontSpec& font);
  FontSpec ViewFont() const;
  // The font and colour the view, the saved RTF and the print use.
  void ApplyViewFont(const QFont& font, const QColor& colour);

  // Writes the text: plain text (the loaded bytes) for a name ending in ".txt", RTF otherwise.
  // False, with a message, when it cannot be written; an existing file is then unchanged.
  bool SaveToFile(const QString& path);
  QString ProposedFileName() const;
  // Prints the text in the view's font and colour, the caption as the document title. The font
  // is made smaller where a line would not fit the page's width, so that every report line
  // (up to kReportLineWidth characters) prints on one line. False when the job could not be
  // started or finished.
  bool PrintTo(QPrinter& printer);

  QPlainTextEdit* LView;
  QPushButton* PrintButn;
  QPushButton* SaveButn;
  QPushButton* FontButn;
  QPushButton* SpeedButton2;

 private:
  void PrintButnClick();
  void SaveButnClick();
  void FontButnClick();
  Prompter& Messages();

  Prompter* prompter_;
  std::unique_ptr<Prompter> ownPrompter_;
  std::string text_;
  std::string baseName_ = "Report";
  QColor colour_ = QColor(0, 0, 0);
};

}  // namespace tf::common::ui
