#include "statements/ui/batch_st_win.h"

#include <QHBoxLayout>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "common/ui/command_widgets.h"
#include "common/ui/help_window.h"
#include "common/ui/qt_text.h"

namespace tf::statements::ui {

using common::ui::PushButton;
using common::ui::ToQString;

TBatchStWin::TBatchStWin(QWidget* parent) : QDialog(parent) {
  setObjectName("TBatchStWin");
  setWindowTitle("Batch Print Statements");
  ShowHelp = [this](std::string_view topic) { common::ui::ShowHelpTopic(topic, this); };
  Label2 = new QLabel(this);
  Label2->setObjectName("Label2");
  QFont bold = Label2->font();
  bold.setBold(true);
  Label2->setFont(bold);
  Label2->setStyleSheet("color: blue");
  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  Label1->setFont(bold);
  EMBNum = new QLineEdit(this);
  EMBNum->setObjectName("EMBNum");
  EMBNum->setMaxLength(4);
  EMBNum->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,4}"), EMBNum));
  common::ui::ShowWholeText(EMBNum, 6);
  StmntBatch = new QLabel("Print in &batches of:", this);
  StmntBatch->setObjectName("StmntBatch");
  StmntBatch->setBuddy(EMBNum);

  OKButton = PushButton(this, "OKButton", "&Print");
  CanButn = PushButton(this, "CanButn", "&Cancel");
  HlpBtn = PushButton(this, "HlpBtn", "Help");
  OKButton->setDefault(true);

  auto* size = new QHBoxLayout;
  size->addWidget(StmntBatch);
  size->addWidget(EMBNum);
  size->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label2);
  layout->addWidget(Label1);
  layout->addLayout(size);
  layout->addLayout(common::ui::ButtonRow({OKButton, CanButn, HlpBtn}));

  connect(OKButton, &QPushButton::clicked, this, &TBatchStWin::OKButtonClick);
  connect(CanButn, &QPushButton::clicked, this, &QDialog::reject);
  connect(HlpBtn, &QPushButton::clicked, this, [this] { ShowHelp(kStatementHelpTopic); });
}

std::optional<std::size_t> TBatchStWin::Run(CustomerStatements& model) {
  model_ = &model;
  size_.reset();
  Label2->setText(ToQString(model.LastRunText()));
  Label1->setText(ToQString(model.CountText()));
  EMBNum->setText(QString::number(qulonglong(model.BatchCount())));
  OKButton->setText(ToQString(model.DeliverCaption()));
  OKButton->setFocus();
  const bool ok = exec() == QDialog::Accepted;
  model_ = nullptr;
  return ok ? size_ : std::nullopt;
}

// A blank size is refused and the screen stays open on it.
void TBatchStWin::OKButtonClick() {
  if (!model_) return;
  size_ = model_->AcceptBatchSize(EMBNum->text().toStdString());
  if (!size_) {
    EMBNum->setFocus();
    return;
  }
  accept();
}

}  // namespace tf::statements::ui
