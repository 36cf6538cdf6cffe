#include "finder/ui/find_box.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

#include "common/help_topics.h"
#include "common/ui/command_widgets.h"
#include "common/ui/help_window.h"
#include "common/ui/qt_text.h"

namespace tf::finder::ui {

using common::ui::FromQString;
using common::ui::ToQString;

TFindBox::TFindBox(common::Prompter& prompter, QWidget* parent) : QDialog(parent), prompter_(prompter) {
  setObjectName("TFindBox");
  setWindowTitle("Find...");
  FindText = new QLineEdit(this);
  FindText->setObjectName("FindText");
  FindText->setMaxLength(int(kFindTextLimit));
  FindButton = new QPushButton("Find", this);
  FindButton->setObjectName("FindButton");
  FindButton->setEnabled(false);
  FindButton->setDefault(true);
  ListView1 = new QTreeWidget(this);
  ListView1->setObjectName("ListView1");
  ListView1->setRootIsDecorated(false);
  ListView1->setSortingEnabled(false);
  ListView1->header()->setSectionsClickable(true);
  Button1 = new QPushButton("&Exit", this);
  Button1->setObjectName("Button1");
  HelpButn = new QPushButton("Help", this);
  HelpButn->setObjectName("HelpButn");
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setSizeGripEnabled(false);

  auto* top = new QHBoxLayout;
  auto* label = new QLabel("Text to Find :", this);
  label->setBuddy(FindText);
  top->addWidget(label);
  top->addWidget(FindText, 1);
  top->addWidget(FindButton);
  QHBoxLayout* bottom = common::ui::ButtonRow({Button1, HelpButn});
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(ListView1, 1);
  layout->addLayout(bottom);
  layout->addWidget(StatusBar1);

  connect(FindText, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (!model_) return;
    model_->SetText(FromQString(text));
    FindButton->setEnabled(model_->FindEnabled());
  });
  connect(FindButton, &QPushButton::clicked, this, &TFindBox::FindButtonClick);
  connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { ListView1DblClick(); });
  // Enter in the results picks the highlighted row, as a double-click does, instead of
  // pressing the default button (Find) again.
  common::ui::OnEnterKey(ListView1, [this] { ListView1DblClick(); });
  connect(ListView1->header(), &QHeaderView::sectionClicked, this, [this](int column) {
    if (!model_) return;
    model_->SortByColumn(column);
    ShowRows();
  });
  connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
  ShowHelp = [this](std::string_view topic) { common::ui::ShowHelpTopic(topic, this); };
  Beep = [] { QApplication::beep(); };
  connect(HelpButn, &QPushButton::clicked, this, [this] { ShowHelp(common::help::kFindData); });
  resize(760, 380);
}

TFindBox::~TFindBox() = default;

void TFindBox::ShowRows() {
  ListView1->clear();
  for (const auto& cells : model_->Rows()) {
    QStringList texts;
    for (const std::string& cell : cells) texts << ToQString(cell);
    ListView1->addTopLevelItem(new QTreeWidgetItem(texts));
  }
  StatusBar1->showMessage(ToQString(model_->Status()));
}

void TFindBox::FindButtonClick() {
  if (!model_ || !model_->FindEnabled()) return;
  StatusBar1->showMessage(ToQString(kSearchingStatus));
  QApplication::setOverrideCursor(Qt::WaitCursor);
  model_->Find(prompter_);
  QApplication::restoreOverrideCursor();
  ShowRows();
  FindButton->setEnabled(model_->FindEnabled());
}

void TFindBox::ListView1DblClick() {
  const int row = ListView1->currentItem() ? ListView1->indexOfTopLevelItem(ListView1->currentItem()) : -1;
  std::optional<std::string> result = model_ ? model_->Choose(row) : std::nullopt;
  if (!result) {
    Beep();
    return;
  }
  chosen_ = std::move(result);
  accept();
}

std::optional<std::string> TFindBox::Run(const FindMode& mode) {
  model_ = std::make_unique<FindModel>(mode);
  model_->Show();
  chosen_.reset();
  setWindowTitle(ToQString(mode.Caption()));
  ListView1->clear();
  QStringList headings;
  const auto columns = mode.Columns();
  for (const FindColumn& c : columns) headings << ToQString(c.caption);
  ListView1->setColumnCount(int(columns.size()));
  ListView1->setHeaderLabels(headings);
  for (std::size_t k = 0; k < columns.size(); ++k)
    if (columns[k].width > 0) ListView1->setColumnWidth(int(k), columns[k].width);
  FindText->clear();
  FindButton->setEnabled(false);
  StatusBar1->showMessage(ToQString(model_->Status()));
  FindText->setFocus();
  exec();
  model_.reset();
  return chosen_;
}

}  // namespace tf::finder::ui
