#include "companies/ui/header_form.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/help_topics.h"
#include "common/ui/command_widgets.h"
#include "common/ui/help_window.h"
#include "common/ui/qt_font.h"
#include "common/ui/qt_text.h"

namespace tf::companies::ui {

using common::ui::ToQString;
using records::company::DocumentFont;

THeaderForm::THeaderForm(QWidget* parent) : QDialog(parent) {
  setObjectName("THeaderForm");
  setWindowTitle("Headers, Fonts and Colors");
  auto* captions = new QGroupBox("Form Caption Headers", this);
  auto* captionForm = new QFormLayout(captions);
  auto* columns = new QGroupBox("Invoice Column Headers", this);
  auto* columnForm = new QFormLayout(columns);
  auto* other = new QFormLayout;
  for (const OptionControl& c : OptionControls()) {
    if (c.page != OptionsPage::Headers) continue;
    auto* edit = new QLineEdit(this);
    edit->setObjectName(c.control);
    edit->setMaxLength(int(c.length));
    edits_[c.control] = edit;
    const std::string_view name = c.control;
    QFormLayout* form = name == "InvCapData" || name == "StmntCapData" || name == "PackSHeadData" ||
                                name == "FCHeadData"
                            ? captionForm
                        : name == "MemoHeadr" || name == "StmntNote" || name == "EBShipCap" ? other
                                                                                           : columnForm;
    form->addRow(c.label, edit);
    common::ui::ShowWholeText(edit, std::min<int>(int(c.length), 40));
  }

  const struct {
    QPushButton** button;
    const char* name;
    const char* text;
    const char* preview;
  } fonts[] = {{&InvBodyButn, "InvBodyButn", "Form Body Text", "Body Text"},
               {&CapHeadButn, "CapHeadButn", "Caption Headers", "Captions"},
               {&CompHeadButn, "CompHeadButn", "Company Address", "Company Address"},
               {&CustHeadButn, "CustHeadButn", "Customer Address", "Customer Address"},
               {&ColHeadButn, "ColHeadButn", "Aging Analysis", "Aging"},
               {&SalesMsgButn, "SalesMsgButn", "Sales Message", "Sales Message Text"}};
  auto* fontBox = new QGroupBox("Document Fonts", this);
  auto* fontGrid = new QGridLayout(fontBox);
  for (std::size_t i = 0; i < std::size(fonts); ++i) {
    *fonts[i].button = common::ui::PushButton(this, fonts[i].name, fonts[i].text);
    Previews[i] = new QLabel(fonts[i].preview, this);
    Previews[i]->setObjectName(QString(fonts[i].name) + "Preview");
    fontGrid->addWidget(*fonts[i].button, int(i), 0);
    fontGrid->addWidget(Previews[i], int(i), 1);
    connect(*fonts[i].button, &QPushButton::clicked, this, [this, i] { FontButnClick(DocumentFont(i)); });
  }
  OkButn2 = common::ui::PushButton(this, "OkButn2", "&Ok");
  OkButn2->setDefault(true);
  Help2Butn = common::ui::PushButton(this, "Help2Butn", "Help");
  connect(OkButn2, &QPushButton::clicked, this, &QDialog::accept);
  connect(Help2Butn, &QPushButton::clicked, this, [this] { ShowHelp(common::help::kHeadersFontsColors); });
  ShowHelp = [this](std::string_view topic) { common::ui::ShowHelpTopic(topic, this); };

  auto* top = new QHBoxLayout;
  top->addWidget(captions);
  top->addWidget(columns);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(other);
  layout->addWidget(fontBox);
  layout->addLayout(common::ui::ButtonRow({OkButn2, Help2Butn}));
}

QLineEdit* THeaderForm::Edit(std::string_view control) const {
  const auto it = edits_.find(control);
  return it == edits_.end() ? nullptr : it->second;
}

void THeaderForm::ShowFonts() {
  for (std::size_t i = 0; i < Previews.size(); ++i)
    common::ui::ApplyFontSpec(*Previews[i], options_->DocumentFont(DocumentFont(i)), QPalette::WindowText);
}

void THeaderForm::Run(CompanyOptions& options, common::Prompter& prompter) {
  options_ = &options;
  prompter_ = &prompter;
  for (const auto& [control, edit] : edits_) edit->setText(ToQString(options.Text(control)));
  ShowFonts();
  exec();
  options_ = nullptr;
}

void THeaderForm::done(int result) {
  if (options_)
    for (const auto& [control, edit] : edits_) options_->SetText(control, edit->text().toStdString());
  QDialog::done(result);
}

void THeaderForm::FontButnClick(DocumentFont font) {
  if (!options_ || !ChooseFont) return;
  const std::optional<common::FontSpec> chosen = ChooseFont(options_->DocumentFont(font), "Font");
  if (!chosen) return;
  if (const std::optional<std::string> refusal = options_->SetDocumentFont(font, *chosen)) {
    prompter_->Inform(*refusal, "Font");
    return;
  }
  ShowFonts();
}

}  // namespace tf::companies::ui
