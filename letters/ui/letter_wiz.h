#pragma once
// TLetterWiz ("Form Letter Wizard"): a small rich text editor for letters holding merge
// keywords, and their printing for every customer of the label print queue. The files are read
// and written by the program's own letter code (letters/letter_file.h); what is printed is what
// the editor shows, saved or not, through letters/form_letters.h.

#include <QComboBox>
#include <QDialog>
#include <QFontComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QSpinBox>
#include <QTextEdit>
#include <QToolButton>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "common/help_topics.h"
#include "common/print_canvas.h"
#include "common/prompter.h"
#include "correspondence/label_queue.h"
#include "engine/rebuilding/rebuild_status.h"
#include "letters/letter_document.h"

namespace tf::letters::ui {

inline constexpr std::string_view kWizardCaption = "Form Letter Wizard";
inline constexpr std::string_view kUntitled = "Untitled";
inline constexpr std::string_view kHelpTopic = common::help::kFormLetterWizard;

struct LetterWizServices {
  common::Prompter& prompter;
  engine::RebuildStatus& status;  // the rebuild status, should the customer file need repair
  correspondence::LabelQueue& queue;
  std::function<std::span<const std::uint8_t>()> company;  // the current company record
};

class TRuler;

class TLetterWiz : public QDialog {
  Q_OBJECT

 public:
  explicit TLetterWiz(LetterWizServices services, QWidget* parent = nullptr);
  ~TLetterWiz() override;

  // Fills the desktop work area, then the modal loop.
  int exec() override;

  // The file dialogs, replaceable by tests: a path, or empty when cancelled.
  std::function<std::string()> ChooseOpenFile;
  std::function<std::string()> ChooseSaveFile;
  // The printer chosen in the print dialog; nothing when it was cancelled.
  std::function<std::unique_ptr<common::PrintCanvas>()> Printer;
  std::function<void()> OpenQueue;  // the label wizard, when it is installed
  std::function<void(std::string_view topic)> ShowHelp;

  const std::string& FileName() const { return fileName_; }  // "Untitled" or a full path
  // Opens a letter file into the editor (no question asked); false, shown, when it cannot be read.
  bool OpenFile(const std::string& path);
  // The letter the editor shows.
  LetterDocument Letter() const;

  QMenuBar* MainMenu;
  QAction* FileNew;
  QAction* FileOpen;
  QAction* FileSave;
  QAction* FileSaveAs;
  QAction* PrintQueue1Click;
  QAction* FilePrint;
  QAction* PrinterSetup1Click;
  QAction* FileExit;
  QToolButton* OpenButton;
  QToolButton* SaveButton;
  QToolButton* PrintButton;
  QToolButton* UndoButton;
  QToolButton* CutButton;
  QToolButton* CopyButton;
  QToolButton* PasteButton;
  QToolButton* BoldButton;
  QToolButton* ItalicButton;
  QToolButton* UnderlineButton;
  QToolButton* LeftAlign;
  QToolButton* CenterAlign;
  QToolButton* RightAlign;
  QToolButton* BulletsButton;
  QLabel* FontLabel;
  QFontComboBox* FontName;
  QLabel* SizeLabel;
  QSpinBox* FontSize;
  QToolButton* MainFont;
  QLabel* Label1;
  QComboBox* ComboBox1;
  QToolButton* BitBtn3;
  QToolButton* SpeedButton3;
  QToolButton* SpeedButton4;
  TRuler* Ruler;
  QTextEdit* RichEdit1;
  QLabel* Panel1;

 protected:
  void reject() override;

 private:
  void CreateControls();
  void UpdateCaption();
  // The save question when the letter is modified: false when the user cancelled (or a save
  // failed), so the action must not go on.
  bool QuerySave();
  bool Save();
  bool SaveAs();
  void FileNewClick();
  void FileOpenClick();
  void FilePrintClick();
  void ComboBox1Select(int index);
  void SelectionChange();
  void SetCharFormat(const QTextCharFormat& format);
  void SetAlignment(Qt::Alignment alignment);
  void BulletsButtonClick(bool on);
  void MainFontClick();
  void IndentsChanged(int first, int left, int right);

  LetterWizServices services_;
  std::string fileName_{kUntitled};
  bool updating_ = false;
};

}  // namespace tf::letters::ui
