#include "companies/ui/comp_set.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QPixmap>
#include <QRegularExpressionValidator>
#include <QTabBar>
#include <QVBoxLayout>

#include "browse/manager_model.h"
#include "common/ui/command_widgets.h"
#include "common/ui/help_window.h"
#include "common/ui/qt_font.h"
#include "common/ui/qt_text.h"
#include "companies/ui/header_form.h"

namespace tf::companies::ui {

using common::ui::ToQString;
using Kind = OptionControl::Kind;

namespace {

// The notes the pages carry beside their fields.
const char* PageNote(OptionsPage page) {
  switch (page) {
    case OptionsPage::AddressTaxes: return "( Example: 8.125 )  ( Example: 10.000 )";
    case OptionsPage::EnvelopesAging: return "Category 4 is all items greater than category 3.";
    case OptionsPage::General:
      return "Warning! Do not change the date format if you have invoices on file! If you need to change the date "
             "format, setup a new company. See the online help for further details.";
    case OptionsPage::SystemGraphics:
      return "( Managers fonts are limited to the fixed-pitch fonts on your system )";
    default: return nullptr;
  }
}

QLabel* Preview(QWidget* parent, const char* name, const char* text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setMinimumWidth(180);
  return label;
}

}  // namespace

TCompSet::TCompSet(QWidget* parent) : QDialog(parent) {
  setObjectName("TCompSet");
  setWindowTitle("Company Options");
  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  for (OptionsPage page : kOptionsPages) PageControl1->addTab(BuildPage(page), ToQString(PageCaption(page)));
  CName = edits_.at("CName");
  CoNumb = edits_.at("CoNumb");

  OKButton = common::ui::PushButton(this, "OKButton", "&Save");
  OKButton->setDefault(true);
  CancelButton = common::ui::PushButton(this, "CancelButton", "&Cancel");
  HelpButton = common::ui::PushButton(this, "HelpButton", "Help");
  connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpButton, &QPushButton::clicked, this, [this] {
    ShowHelp(PageHelpTopic(kOptionsPages[std::max(0, PageControl1->currentIndex())]));
  });
  HeaderForm = new THeaderForm(this);
  connect(Button2, &QPushButton::clicked, this, [this] {
    if (options_) {
      Store();
      HeaderForm->Run(*options_, *prompter_);
      Load();
    }
  });

  ShowHelp = [this](std::string_view topic) { common::ui::ShowHelpTopic(topic, this); };
  ChoosePicture = [this](const QString& start) {
    return QFileDialog::getOpenFileName(this, "Bitmap Image", start, "Bitmap File (*.bmp)");
  };
  ChooseFont = [this](const common::FontSpec& current, std::string_view title,
                      bool fixedPitch) -> std::optional<common::FontSpec> {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, common::ui::ToQFont(current, fixedPitch), this, ToQString(title),
                                            fixedPitch ? QFontDialog::MonospacedFonts : QFontDialog::FontDialogOptions());
    if (!ok) return std::nullopt;
    const QColor colour = QColorDialog::getColor(common::ui::ToQColor(current.colour), this, "Color");
    return common::ui::FromQFont(font, colour.isValid() ? colour : common::ui::ToQColor(current.colour));
  };
  HeaderForm->ChooseFont = [this](const common::FontSpec& current, std::string_view title) {
    return ChooseFont(current, title, false);
  };

  auto* top = new QFormLayout;
  top->addRow("Company Name:", CName);
  top->addRow("Number:", CoNumb);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(PageControl1, 1);
  layout->addLayout(common::ui::ButtonRow({OKButton, CancelButton, HelpButton}));
  // Every page's tab in view at once.
  setMinimumWidth(PageControl1->tabBar()->sizeHint().width() + 60);
}

QWidget* TCompSet::BuildPage(OptionsPage page) {
  auto* widget = new QWidget(this);
  widget->setObjectName(QString("Page") + ToQString(PageCaption(page)).remove('/').remove('-').remove(' '));
  auto* form = new QFormLayout(widget);
  for (const OptionControl& c : OptionControls()) {
    // Name and number stand above the pages; they are made with the first page.
    const bool top = c.page == OptionsPage::Top && page == kOptionsPages[0];
    if (c.page != page && !top) continue;
    const std::string_view name = c.control;
    if (c.kind == Kind::Text || c.kind == Kind::Digits) {
      if (name == "DFTerms") {
        DFTerms = new QComboBox(this);
        DFTerms->setObjectName("DFTerms");
        DFTerms->setEditable(true);
        DFTerms->lineEdit()->setMaxLength(int(c.length));
        edits_[c.control] = DFTerms->lineEdit();
        form->addRow(c.label, DFTerms);
        continue;
      }
      auto* edit = new QLineEdit(this);
      edit->setObjectName(c.control);
      edit->setMaxLength(int(c.length));
      if (c.kind == Kind::Digits)
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QString("\\d{0,%1}").arg(c.length)), edit));
      edits_[c.control] = edit;
      if (top) continue;
      if (name == "BmpNameText" || name == "PicName") {
        edit->setReadOnly(true);
        QPushButton*& button = name == "PicName" ? Button1 : BmpImgButn;
        button = common::ui::PushButton(this, name == "PicName" ? "Button1" : "BmpImgButn", "Bitmap Image");
        connect(button, &QPushButton::clicked, this, [this, control = c.control] { PickPicture(control); });
        auto* row = new QHBoxLayout;
        row->addWidget(button);
        row->addWidget(edit, 1);
        form->addRow(row);
        if (name == "PicName") {
          Image1 = new QLabel(this);
          Image1->setObjectName("Image1");
          Image1->setFixedSize(96, 96);
          Image1->setScaledContents(true);
          form->addRow(Image1);
        }
        continue;
      }
      common::ui::ShowWholeText(edit, std::min<int>(int(c.length), 40));
      form->addRow(c.label, edit);
      continue;
    }
    // Check boxes, and radio pairs for the date format and the invoice type.
    if (name == "MMDDYY" || name == "DProd") {
      auto* on = new QRadioButton(c.label, this);
      on->setObjectName(c.control);
      QRadioButton*& other = name == "MMDDYY" ? DDMMYY : DMemo;
      other = new QRadioButton(name == "MMDDYY" ? "DD/MM/YY" : "Memo Invoice", this);
      other->setObjectName(name == "MMDDYY" ? "DDMMYY" : "DMemo");
      auto* group = new QWidget(this);
      auto* row = new QHBoxLayout(group);
      row->addWidget(on);
      row->addWidget(other);
      form->addRow(name == "MMDDYY" ? " Use This Date Format on Invoices " : " Default New Invoice Type", group);
      boxes_[c.control] = on;
      continue;
    }
    auto* box = new QCheckBox(c.label, this);
    box->setObjectName(c.control);
    boxes_[c.control] = box;
    form->addRow(box);
  }
  if (page == OptionsPage::EnvelopesAging) {
    FontButn = common::ui::PushButton(this, "FontButn", "Font");
    EFontEx = Preview(this, "EFontEx", "Envelope Font");
    form->addRow(FontButn, EFontEx);
    connect(FontButn, &QPushButton::clicked, this, [this] { PickFont(OptionsFont::Envelope, "Font", false); });
  } else if (page == OptionsPage::FormsSetup) {
    Button2 = common::ui::PushButton(this, "Button2", "Headers/Fonts/Colors");
    form->addRow(Button2);
  } else if (page == OptionsPage::SystemGraphics) {
    BrowClr = common::ui::PushButton(this, "BrowClr", "Managers Font/Color");
    MgrColors = Preview(this, "MgrColors", "Managers");
    EditorClr = common::ui::PushButton(this, "EditorClr", "Invoice Editor Font/Color");
    IEColors = Preview(this, "IEColors", "Invoice Editor");
    form->addRow(BrowClr, MgrColors);
    form->addRow(EditorClr, IEColors);
    connect(BrowClr, &QPushButton::clicked, this,
            [this] { PickFont(OptionsFont::Managers, "Managers Font/Color", true); });
    connect(EditorClr, &QPushButton::clicked, this,
            [this] { PickFont(OptionsFont::Editor, "Invoice Editor Font/Color", false); });
  }
  if (const char* note = PageNote(page)) {
    auto* label = new QLabel(note, this);
    label->setWordWrap(true);
    form->addRow(label);
  }
  return widget;
}

QLineEdit* TCompSet::Edit(std::string_view control) const {
  const auto it = edits_.find(control);
  return it == edits_.end() ? nullptr : it->second;
}

QAbstractButton* TCompSet::Box(std::string_view control) const {
  const auto it = boxes_.find(control);
  return it == boxes_.end() ? nullptr : it->second;
}

void TCompSet::ShowFonts() {
  common::ui::ApplyFontSpec(*EFontEx, options_->Font(OptionsFont::Envelope), QPalette::WindowText);
  common::ui::ApplyFontSpec(*MgrColors, options_->Font(OptionsFont::Managers), QPalette::WindowText, true);
  common::ui::ApplyFontSpec(*IEColors, options_->Font(OptionsFont::Editor), QPalette::WindowText);
}

void TCompSet::ShowPicture() {
  const QString path = Edit("PicName")->text();
  const QPixmap picture(path);
  Image1->setPixmap(picture);
  Image1->setVisible(!picture.isNull());
}

void TCompSet::Load() {
  setWindowTitle(ToQString(options_->Title()));
  for (const auto& [control, edit] : edits_) edit->setText(ToQString(options_->Text(control)));
  for (const auto& [control, box] : boxes_) box->setChecked(options_->Checked(control));
  DDMMYY->setChecked(!options_->Checked("MMDDYY"));
  DMemo->setChecked(!options_->Checked("DProd"));
  CoNumb->setEnabled(options_->NumberEditable());
  ShowFonts();
  ShowPicture();
}

void TCompSet::Store() {
  for (const auto& [control, edit] : edits_) options_->SetText(control, edit->text().toStdString());
  for (const auto& [control, box] : boxes_) options_->SetChecked(control, box->isChecked());
}

bool TCompSet::Run(CompanyOptions& options, common::Prompter& prompter) {
  options_ = &options;
  prompter_ = &prompter;
  // The terms list is read again each time: the terms editor may have changed it.
  const std::string terms = options.Text("DFTerms");
  DFTerms->clear();
  if (LoadTerms)
    for (const std::string& term : LoadTerms()) DFTerms->addItem(ToQString(term));
  Load();
  DFTerms->setEditText(ToQString(terms));
  PageControl1->setCurrentIndex(0);
  CName->setFocus();
  if (!options.Notice().empty()) prompter.Inform(options.Notice(), "Company Options");
  const bool saved = exec() == QDialog::Accepted;
  if (!saved) Store();  // what the screens showed counts for the next new company
  options_ = nullptr;
  prompter_ = nullptr;
  return saved;
}

void TCompSet::FocusOn(const std::string& control, OptionsPage page) {
  for (int i = 0; i < int(std::size(kOptionsPages)); ++i)
    if (kOptionsPages[i] == page) PageControl1->setCurrentIndex(i);
  if (page == OptionsPage::Headers) return;
  if (QWidget* w = Edit(control) ? static_cast<QWidget*>(Edit(control)) : Box(control)) w->setFocus();
}

void TCompSet::OKButtonClick() {
  if (!options_) return;
  Store();
  const browse::Outcome outcome = options_->Ok();
  if (outcome.IsDone()) {
    accept();
    return;
  }
  browse::ShowOutcome(*prompter_, outcome);
  FocusOn(options_->FocusControl(), options_->FocusPage());
}

void TCompSet::PickPicture(const char* control) {
  if (!options_ || !ChoosePicture) return;
  const QString start = QFileInfo(Edit(control)->text()).path();
  const QString chosen = ChoosePicture(start);
  if (chosen.isEmpty()) return;
  if (const std::optional<std::string> refusal = options_->PickPicture(control, chosen.toStdString())) {
    prompter_->Inform(*refusal, "Bitmap Image");
    return;
  }
  // Taken into the record at once, as the screen shows it.
  Edit(control)->setText(chosen);
  if (std::string_view(control) == "PicName") ShowPicture();
}

void TCompSet::PickFont(OptionsFont font, std::string_view title, bool fixedPitch) {
  if (!options_ || !ChooseFont) return;
  const std::optional<common::FontSpec> chosen = ChooseFont(options_->Font(font), title, fixedPitch);
  if (!chosen) return;
  if (const std::optional<std::string> refusal = options_->SetFont(font, *chosen)) {
    prompter_->Inform(*refusal, "Font");
    return;
  }
  ShowFonts();
}

}  // namespace tf::companies::ui
