#include "letters/ui/letter_wiz.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>
#include <QVBoxLayout>

#include <filesystem>

#include "common/ui/command_widgets.h"
#include "common/ui/qt_print_canvas.h"
#include "letters/form_letters.h"
#include "letters/keyword_merge.h"
#include "letters/letter_file.h"
#include "letters/ui/qt_letter.h"
#include "letters/ui/ruler.h"
#include "records/company_record.h"
#include "records/customer_file.h"

namespace tf::letters::ui {
namespace {

namespace fs = std::filesystem;

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// A small tool button with a theme icon where the desktop has one, else its text.
QToolButton* Button(QWidget* parent, const char* name, const char* text, const char* hint, const char* theme,
                    bool checkable = false) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setText(text);
  b->setToolTip(hint);
  const QIcon icon = QIcon::fromTheme(theme);
  if (!icon.isNull()) {
    b->setIcon(icon);
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
  }
  b->setCheckable(checkable);
  b->setAutoRaise(true);
  return b;
}

std::string FileNameOnly(const std::string& path) { return fs::path(path).filename().string(); }

}  // namespace

TLetterWiz::TLetterWiz(LetterWizServices services, QWidget* parent)
    : QDialog(parent), services_(std::move(services)) {
  setObjectName("TLetterWiz");
  setSizeGripEnabled(true);
  CreateControls();
  ChooseOpenFile = [this] {
    return QFileDialog::getOpenFileName(this, "Open", QDir::currentPath(),
                                        "Rich Text Files (*.RTF *.rtf);;Text Files (*.TXT *.txt)")
        .toStdString();
  };
  ChooseSaveFile = [this] {
    QString selected;
    QString path = QFileDialog::getSaveFileName(this, "Save As", QDir::currentPath(),
                                                "Rich Text Files (*.RTF *.rtf);;Text Files (*.TXT *.txt)", &selected,
                                                QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
      path += selected.startsWith("Text") ? ".TXT" : ".RTF";
    return path.toStdString();
  };
  Printer = [this] { return std::unique_ptr<common::PrintCanvas>(common::ui::ChoosePrinterCanvas(this)); };
  UpdateCaption();
  SelectionChange();
}

TLetterWiz::~TLetterWiz() = default;

void TLetterWiz::CreateControls() {
  using common::ui::Action;
  MainMenu = new QMenuBar(this);
  QMenu* file = MainMenu->addMenu("&File");
  FileNew = Action(this, "FileNew", "&New");
  FileOpen = Action(this, "FileOpen", "&Open...");
  FileSave = Action(this, "FileSave", "&Save");
  FileSaveAs = Action(this, "FileSaveAs", "Save &As...");
  PrintQueue1Click = Action(this, "PrintQueue1Click", "&Queue...");
  FilePrint = Action(this, "FilePrint", "&Print");
  PrinterSetup1Click = Action(this, "PrinterSetup1Click", "P&rinter Setup");
  FileExit = Action(this, "FileExit", "&Close");
  file->addActions({FileNew, FileOpen, FileSave, FileSaveAs});
  file->addSeparator();
  file->addActions({PrintQueue1Click, FilePrint, PrinterSetup1Click});
  file->addSeparator();
  file->addAction(FileExit);
  QMenu* edit = MainMenu->addMenu("&Edit");
  QAction* undo = edit->addAction("&Undo");
  edit->addSeparator();
  QAction* cut = edit->addAction("Cu&t");
  QAction* copy = edit->addAction("&Copy");
  QAction* paste = edit->addAction("&Paste");
  edit->addSeparator();
  QAction* fontItem = edit->addAction("&Font...");
  QMenu* help = MainMenu->addMenu("&Help");
  QAction* overview = help->addAction("&Overview");

  OpenButton = Button(this, "OpenButton", "Open", "Open", "document-open");
  SaveButton = Button(this, "SaveButton", "Save", "Save", "document-save");
  PrintButton = Button(this, "PrintButton", "Print", "Print", "document-print");
  UndoButton = Button(this, "UndoButton", "Undo", "Undo", "edit-undo");
  CutButton = Button(this, "CutButton", "Cut", "Cut", "edit-cut");
  CopyButton = Button(this, "CopyButton", "Copy", "Copy", "edit-copy");
  PasteButton = Button(this, "PasteButton", "Paste", "Paste", "edit-paste");
  BoldButton = Button(this, "BoldButton", "B", "Bold", "format-text-bold", true);
  ItalicButton = Button(this, "ItalicButton", "I", "Italic", "format-text-italic", true);
  UnderlineButton = Button(this, "UnderlineButton", "U", "Underline", "format-text-underline", true);
  LeftAlign = Button(this, "LeftAlign", "Left", "Align Left", "format-justify-left", true);
  CenterAlign = Button(this, "CenterAlign", "Center", "Center", "format-justify-center", true);
  RightAlign = Button(this, "RightAlign", "Right", "Align Right", "format-justify-right", true);
  BulletsButton = Button(this, "BulletsButton", "Bullets", "Bullets", "format-list-unordered", true);
  QFont b = BoldButton->font();
  b.setBold(true);
  BoldButton->setFont(b);
  QFont i = ItalicButton->font();
  i.setItalic(true);
  ItalicButton->setFont(i);
  QFont u = UnderlineButton->font();
  u.setUnderline(true);
  UnderlineButton->setFont(u);

  FontLabel = new QLabel("Font:", this);
  FontName = new QFontComboBox(this);
  FontName->setObjectName("FontName");
  FontName->setToolTip("Font Name");
  SizeLabel = new QLabel("Size:", this);
  FontSize = new QSpinBox(this);
  FontSize->setObjectName("FontSize");
  FontSize->setRange(1, 1638);
  FontSize->setValue(10);
  FontSize->setToolTip("Font Size");
  MainFont = Button(this, "MainFont", "Font", "Font Selection", "preferences-desktop-font");
  Label1 = new QLabel("Keywords:", this);
  Label1->setObjectName("Label1");
  ComboBox1 = new QComboBox(this);
  ComboBox1->setObjectName("ComboBox1");
  ComboBox1->setToolTip("Select a keyword to insert it at the cursor");
  for (const std::string& item : KeywordListItems()) ComboBox1->addItem(Q(item));
  ComboBox1->setCurrentIndex(-1);
  ComboBox1->setPlaceholderText("Insert a keyword");
  BitBtn3 = Button(this, "BitBtn3", "Queue", "Print Queue", "");
  BitBtn3->setToolButtonStyle(Qt::ToolButtonTextOnly);
  SpeedButton3 = Button(this, "SpeedButton3", "Close", "Close", "window-close");
  SpeedButton4 = Button(this, "SpeedButton4", "Help", "Help", "help-contents");

  Ruler = new TRuler(this);
  RichEdit1 = new QTextEdit(this);
  RichEdit1->setObjectName("RichEdit1");
  RichEdit1->setAcceptRichText(true);
  QFont editorFont(kDefaultFontName);
  editorFont.setPointSizeF(10);
  RichEdit1->document()->setDefaultFont(editorFont);
  Panel1 = new QLabel("Processing...", this);
  Panel1->setObjectName("Panel1");
  Panel1->setAlignment(Qt::AlignCenter);
  Panel1->setFrameShape(QFrame::Panel);
  Panel1->hide();

  auto* bar1 = new QHBoxLayout;
  bar1->setSpacing(2);
  for (QWidget* w : std::initializer_list<QWidget*>{OpenButton, SaveButton, PrintButton, UndoButton, CutButton,
                                                    CopyButton, PasteButton, BoldButton, ItalicButton,
                                                    UnderlineButton, LeftAlign, CenterAlign, RightAlign,
                                                    BulletsButton})
    bar1->addWidget(w);
  bar1->addSpacing(8);
  bar1->addWidget(FontLabel);
  bar1->addWidget(FontName);
  bar1->addWidget(SizeLabel);
  bar1->addWidget(FontSize);
  bar1->addWidget(MainFont);
  bar1->addStretch(1);
  auto* bar2 = new QHBoxLayout;
  bar2->addWidget(Label1);
  bar2->addWidget(ComboBox1, 1);
  bar2->addWidget(BitBtn3);
  bar2->addStretch(1);
  bar2->addWidget(SpeedButton4);
  bar2->addWidget(SpeedButton3);
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(MainMenu);
  layout->addLayout(bar1);
  layout->addLayout(bar2);
  layout->addWidget(Ruler);
  layout->addWidget(RichEdit1, 1);
  layout->addWidget(Panel1, 1);

  connect(FileNew, &QAction::triggered, this, [this] { FileNewClick(); });
  connect(FileOpen, &QAction::triggered, this, [this] { FileOpenClick(); });
  connect(OpenButton, &QToolButton::clicked, this, [this] { FileOpenClick(); });
  connect(FileSave, &QAction::triggered, this, [this] { Save(); });
  connect(SaveButton, &QToolButton::clicked, this, [this] { Save(); });
  connect(FileSaveAs, &QAction::triggered, this, [this] { SaveAs(); });
  connect(FilePrint, &QAction::triggered, this, [this] { FilePrintClick(); });
  connect(PrintButton, &QToolButton::clicked, this, [this] { FilePrintClick(); });
  connect(PrinterSetup1Click, &QAction::triggered, this, [this] { common::ui::PrinterSetup(this); });
  auto queue = [this] {
    if (OpenQueue) OpenQueue();
  };
  connect(PrintQueue1Click, &QAction::triggered, this, queue);
  connect(BitBtn3, &QToolButton::clicked, this, queue);
  connect(FileExit, &QAction::triggered, this, [this] { close(); });
  connect(SpeedButton3, &QToolButton::clicked, this, [this] { close(); });
  auto showHelp = [this] {
    if (ShowHelp) ShowHelp(kHelpTopic);
  };
  connect(SpeedButton4, &QToolButton::clicked, this, showHelp);
  connect(overview, &QAction::triggered, this, showHelp);
  connect(undo, &QAction::triggered, RichEdit1, &QTextEdit::undo);
  connect(UndoButton, &QToolButton::clicked, RichEdit1, &QTextEdit::undo);
  connect(cut, &QAction::triggered, RichEdit1, &QTextEdit::cut);
  connect(CutButton, &QToolButton::clicked, RichEdit1, &QTextEdit::cut);
  connect(copy, &QAction::triggered, RichEdit1, &QTextEdit::copy);
  connect(CopyButton, &QToolButton::clicked, RichEdit1, &QTextEdit::copy);
  connect(paste, &QAction::triggered, RichEdit1, &QTextEdit::paste);
  connect(PasteButton, &QToolButton::clicked, RichEdit1, &QTextEdit::paste);
  connect(fontItem, &QAction::triggered, this, [this] { MainFontClick(); });
  connect(MainFont, &QToolButton::clicked, this, [this] { MainFontClick(); });

  connect(BoldButton, &QToolButton::toggled, this, [this](bool on) {
    QTextCharFormat f;
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
    SetCharFormat(f);
  });
  connect(ItalicButton, &QToolButton::toggled, this, [this](bool on) {
    QTextCharFormat f;
    f.setFontItalic(on);
    SetCharFormat(f);
  });
  connect(UnderlineButton, &QToolButton::toggled, this, [this](bool on) {
    QTextCharFormat f;
    f.setFontUnderline(on);
    SetCharFormat(f);
  });
  connect(LeftAlign, &QToolButton::clicked, this, [this] { SetAlignment(Qt::AlignLeft); });
  connect(CenterAlign, &QToolButton::clicked, this, [this] { SetAlignment(Qt::AlignHCenter); });
  connect(RightAlign, &QToolButton::clicked, this, [this] { SetAlignment(Qt::AlignRight); });
  connect(BulletsButton, &QToolButton::clicked, this, [this](bool on) { BulletsButtonClick(on); });
  connect(FontName, &QFontComboBox::currentFontChanged, this, [this](const QFont& font) {
    QTextCharFormat f;
    f.setFontFamilies(QStringList{font.family()});
    SetCharFormat(f);
  });
  connect(FontSize, &QSpinBox::valueChanged, this, [this](int size) {
    QTextCharFormat f;
    f.setFontPointSize(size);
    SetCharFormat(f);
  });
  connect(ComboBox1, &QComboBox::activated, this, [this](int index) { ComboBox1Select(index); });
  connect(RichEdit1, &QTextEdit::cursorPositionChanged, this, [this] { SelectionChange(); });
  connect(RichEdit1, &QTextEdit::currentCharFormatChanged, this, [this] { SelectionChange(); });
  connect(RichEdit1->document(), &QTextDocument::modificationChanged, this, [this] { UpdateCaption(); });
  Ruler->IndentsChanged = [this](int first, int left, int right) { IndentsChanged(first, left, right); };
}

int TLetterWiz::exec() {
  if (QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen())
    setGeometry(screen->availableGeometry());
  RichEdit1->setFocus();
  return QDialog::exec();
}

void TLetterWiz::UpdateCaption() {
  const std::string shown = fileName_ == kUntitled ? std::string(kUntitled) : FileNameOnly(fileName_);
  setWindowTitle(Q(std::string(kWizardCaption) + " - " + shown));
}

LetterDocument TLetterWiz::Letter() const { return FromTextDocument(*RichEdit1->document()); }

bool TLetterWiz::QuerySave() {
  if (!RichEdit1->document()->isModified()) return true;
  const std::string shown = fileName_ == kUntitled ? std::string(kUntitled) : FileNameOnly(fileName_);
  const common::PromptAnswer answer =
      services_.prompter.Show({"Save changes to " + shown + "?", std::string(kWizardCaption),
                               common::PromptIcon::Question, common::PromptButtons::YesNoCancel,
                               common::PromptAnswer::Yes});
  if (answer == common::PromptAnswer::Cancel) return false;
  if (answer == common::PromptAnswer::Yes) return Save();
  return true;
}

bool TLetterWiz::Save() {
  if (fileName_ == kUntitled) return SaveAs();
  if (std::optional<std::string> problem = WriteLetterFile(fileName_, Letter())) {
    services_.prompter.Inform(*problem, kWizardCaption);
    return false;
  }
  RichEdit1->document()->setModified(false);
  UpdateCaption();
  return true;
}

bool TLetterWiz::SaveAs() {
  const std::string path = ChooseSaveFile ? ChooseSaveFile() : std::string();
  if (path.empty()) return false;
  std::error_code ec;
  if (fs::exists(path, ec) &&
      !services_.prompter.AskYesNo("OK to overwrite " + path, kWizardCaption, common::PromptAnswer::No))
    return false;
  if (std::optional<std::string> problem = WriteLetterFile(path, Letter())) {
    services_.prompter.Inform(*problem, kWizardCaption);
    return false;
  }
  fileName_ = path;
  RichEdit1->document()->setModified(false);
  UpdateCaption();
  return true;
}

void TLetterWiz::FileNewClick() {
  if (!QuerySave()) return;
  RichEdit1->clear();
  RichEdit1->setReadOnly(false);
  fileName_ = std::string(kUntitled);
  RichEdit1->document()->setModified(false);
  UpdateCaption();
  SelectionChange();
}

void TLetterWiz::FileOpenClick() {
  if (!QuerySave()) return;
  const std::string path = ChooseOpenFile ? ChooseOpenFile() : std::string();
  if (!path.empty()) OpenFile(path);
}

bool TLetterWiz::OpenFile(const std::string& path) {
  const LetterFileResult read = ReadLetterFile(path);
  if (!read.letter) {
    // The editor keeps the letter it had.
    services_.prompter.Inform(read.problem, kWizardCaption);
    return false;
  }
  ToTextDocument(*read.letter, *RichEdit1->document());
  fileName_ = path;
  RichEdit1->document()->setModified(false);
  RichEdit1->moveCursor(QTextCursor::Start);
  UpdateCaption();
  SelectionChange();
  return true;
}

void TLetterWiz::FilePrintClick() {
  common::Prompter& p = services_.prompter;
  // What the editor shows is what prints, whether it was saved or not.
  const LetterDocument letter = Letter();
  if (std::string refusal = LetterRefusal(services_.queue, letter); !refusal.empty()) {
    p.Inform(refusal, kLetterWizardCaption);
    return;
  }
  std::unique_ptr<common::PrintCanvas> canvas = Printer ? Printer() : nullptr;
  if (!canvas) return;
  if (!QuerySave()) return;

  const std::span<const std::uint8_t> company = services_.company();
  engine::FileBlock* customers = nullptr;
  if (!records::customer::OpenCustomerFile(customers, common::ReadText(company, records::company::kCompanyNumber),
                                           p, services_.status))
    return;
  engine::FileBlockGuard guard(customers);

  Ruler->hide();
  RichEdit1->hide();
  Panel1->setText("Processing...");
  Panel1->show();
  QApplication::processEvents();
  const std::string title = fileName_ == kUntitled ? std::string(kUntitled) : FileNameOnly(fileName_);
  LetterRunServices run{customers, company, [this](std::size_t k, std::size_t n) {
                          Panel1->setText(QString("Processing letter %1 of %2...").arg(k).arg(n));
                          QApplication::processEvents();
                        }};
  const LetterRunOutcome out = PrintFormLetters(letter, services_.queue, run, *canvas, title);
  Panel1->hide();
  Ruler->show();
  RichEdit1->show();
  RichEdit1->setFocus();
  if (out.failed) {
    p.Inform(out.message, kLetterWizardCaption);
    return;
  }
  if (!out.missing.empty()) p.Inform(out.MissingText(), kLetterWizardCaption);
}

void TLetterWiz::ComboBox1Select(int index) {
  if (index < 0) return;
  const QString item = ComboBox1->itemText(index);
  const QString keyword = item.left(item.indexOf(' '));
  RichEdit1->textCursor().insertText(keyword);
  ComboBox1->setCurrentIndex(-1);
  RichEdit1->setFocus();
}

void TLetterWiz::SetCharFormat(const QTextCharFormat& format) {
  if (updating_) return;
  QTextCursor cursor = RichEdit1->textCursor();
  if (!cursor.hasSelection()) {
    RichEdit1->mergeCurrentCharFormat(format);
  } else {
    cursor.mergeCharFormat(format);
    RichEdit1->mergeCurrentCharFormat(format);
  }
  RichEdit1->setFocus();
}

void TLetterWiz::SetAlignment(Qt::Alignment alignment) {
  RichEdit1->setAlignment(alignment);
  SelectionChange();
  RichEdit1->setFocus();
}

void TLetterWiz::BulletsButtonClick(bool on) {
  QTextCursor cursor = RichEdit1->textCursor();
  if (on) {
    QTextListFormat lf;
    lf.setStyle(QTextListFormat::ListDisc);
    lf.setIndent(1);
    cursor.createList(lf);
  } else if (QTextList* list = cursor.currentList()) {
    QTextBlockFormat bf = cursor.blockFormat();
    list->remove(cursor.block());
    bf.setObjectIndex(-1);
    bf.setIndent(0);
    cursor.setBlockFormat(bf);
  }
  SelectionChange();
  RichEdit1->setFocus();
}

void TLetterWiz::MainFontClick() {
  bool ok = false;
  const QFont font = QFontDialog::getFont(&ok, RichEdit1->currentFont(), this, "Font");
  if (!ok) return;
  QTextCharFormat f;
  f.setFont(font);
  SetCharFormat(f);
  SelectionChange();
}

void TLetterWiz::IndentsChanged(int first, int left, int right) {
  QTextCursor cursor = RichEdit1->textCursor();
  QTextBlockFormat bf;
  qreal listIndent = 0;
  if (QTextList* list = cursor.currentList()) listIndent = list->format().indent() * RichEdit1->document()->indentWidth();
  bf.setLeftMargin(std::max<qreal>(0, left - listIndent));
  bf.setTextIndent(first);
  bf.setRightMargin(right);
  cursor.mergeBlockFormat(bf);
  RichEdit1->setFocus();
}

void TLetterWiz::SelectionChange() {
  updating_ = true;
  const QTextCharFormat f = RichEdit1->currentCharFormat();
  BoldButton->setChecked(f.fontWeight() >= QFont::Bold);
  ItalicButton->setChecked(f.fontItalic());
  UnderlineButton->setChecked(f.fontUnderline());
  const QFont font = RichEdit1->currentFont();
  FontName->setCurrentFont(font);
  const qreal size = f.fontPointSize() > 0 ? f.fontPointSize() : font.pointSizeF();
  FontSize->setValue(size > 0 ? static_cast<int>(size + 0.5) : 10);  // an empty size box becomes 10
  const Qt::Alignment a = RichEdit1->alignment() & Qt::AlignHorizontal_Mask;
  LeftAlign->setChecked(a != Qt::AlignHCenter && a != Qt::AlignRight);
  CenterAlign->setChecked(a == Qt::AlignHCenter);
  RightAlign->setChecked(a == Qt::AlignRight);
  const QTextCursor cursor = RichEdit1->textCursor();
  BulletsButton->setChecked(cursor.currentList() != nullptr);
  const QTextBlockFormat bf = cursor.blockFormat();
  qreal left = bf.leftMargin();
  if (QTextList* list = cursor.currentList()) left += list->format().indent() * RichEdit1->document()->indentWidth();
  Ruler->SetIndents(static_cast<int>(bf.textIndent()), static_cast<int>(left), static_cast<int>(bf.rightMargin()));
  updating_ = false;
}

void TLetterWiz::reject() {
  // Escape, "Close" and the window's close button all come here, through the save question.
  if (!QuerySave()) return;
  RichEdit1->document()->setModified(false);
  QDialog::reject();
}

}  // namespace tf::letters::ui
