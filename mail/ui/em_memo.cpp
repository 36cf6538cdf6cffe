#include "mail/ui/em_memo.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/record_fields.h"
#include "common/stored_font.h"
#include "common/ui/command_widgets.h"
#include "common/ui/qt_font.h"
#include "records/company_record.h"

namespace tf::mail::ui {

namespace company = records::company;

TEMMemo::TEMMemo(EMMemoServices services, QWidget* parent) : QDialog(parent), services_(std::move(services)) {
  setObjectName("TEMMemo");
  setWindowTitle(QString::fromUtf8(kFreeMessageCaption.data(), int(kFreeMessageCaption.size())));
  sender_ = std::make_unique<TMailSender>(MailSenderServices{services_.prompter, services_.progress, [this] {
                                                               const auto co = services_.company();
                                                               return MailCompany{common::ReadText(co, company::kCompanyNumber),
                                                                                  common::ReadText(co, company::kEMailAddress),
                                                                                  common::ReadText(co, company::kSMTPHost)};
                                                             }});
  model_ = std::make_unique<FreeMessage>(FreeMessageServices{services_.prompter, services_.progress, services_.progress,
                                                             *sender_, services_.queue, services_.company});

  Label1 = new QLabel("Return E-Mail:", this);
  EMRetAdd = new QLineEdit(this);
  EMRetAdd->setObjectName("EMRetAdd");
  Label1->setBuddy(EMRetAdd);
  Label2 = new QLabel("&Subject:", this);
  EMSubject = new QLineEdit(this);
  EMSubject->setObjectName("EMSubject");
  EMSubject->setMaxLength(255);
  Label2->setBuddy(EMSubject);
  Label4 = new QLabel("Enter in the e-mail message below:", this);
  Label4->setObjectName("Label4");
  EMBody = new QPlainTextEdit(this);
  EMBody->setObjectName("EMBody");
  Label3 = new QLabel(this);
  Label3->setObjectName("Label3");
  Button1 = common::ui::PushButton(this, "Button1", "&Queue");
  OKButton = common::ui::PushButton(this, "OKButton", "&E-Mail");
  SpeedButton16 = common::ui::ToolButton(this, "SpeedButton16", "Close", QStyle::SP_DialogCloseButton);
  SpeedButton14 = common::ui::ToolButton(this, "SpeedButton14", "Help", QStyle::SP_DialogHelpButton);

  auto* fields = new QGridLayout;
  fields->addWidget(Label1, 0, 0);
  fields->addWidget(EMRetAdd, 0, 1);
  fields->addWidget(Label2, 1, 0);
  fields->addWidget(EMSubject, 1, 1);
  auto* tools = new QHBoxLayout;
  tools->addWidget(SpeedButton16);
  tools->addWidget(SpeedButton14);
  tools->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Label3);
  buttons->addStretch();
  buttons->addWidget(Button1);
  buttons->addWidget(OKButton);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(tools);
  layout->addLayout(fields);
  layout->addWidget(Label4);
  layout->addWidget(EMBody, 1);
  layout->addLayout(buttons);
  resize(560, 440);

  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
  connect(SpeedButton16, &QToolButton::clicked, this, [this] { reject(); });
  connect(SpeedButton14, &QToolButton::clicked, this, [this] {
    if (ShowHelp) ShowHelp(kHelpTopic);
  });
}

TEMMemo::~TEMMemo() = default;

int TEMMemo::exec() {
  FormShow();
  return QDialog::exec();
}

void TEMMemo::FormShow() {
  model_->Show();
  EMRetAdd->setText(QString::fromStdString(model_->ReturnAddress));
  const common::FontSpec font = common::ReadFontSpec(services_.company(), company::kManagersFont);
  for (QWidget* w : {static_cast<QWidget*>(EMRetAdd), static_cast<QWidget*>(EMSubject), static_cast<QWidget*>(EMBody)})
    common::ui::ApplyFontSpec(*w, font, QPalette::Text);
  Label3->setText(QString::fromStdString(model_->QueueText()));
  Button1->setEnabled(OpenQueue && QueueAvailable());
  EMSubject->setFocus();
}

void TEMMemo::done(int result) {
  model_->Close();
  QDialog::done(result);
}

void TEMMemo::Button1Click() {
  if (OpenQueue) OpenQueue();
  Label3->setText(QString::fromStdString(model_->QueueText()));
}

void TEMMemo::OKButtonClick() {
  model_->ReturnAddress = EMRetAdd->text().toStdString();
  model_->Subject = EMSubject->text().toStdString();
  model_->Body = EMBody->toPlainText().toStdString();
  switch (model_->Send()) {
    case FreeMessage::Field::Subject: EMSubject->setFocus(); break;
    case FreeMessage::Field::ReturnAddress: EMRetAdd->setFocus(); break;
    case FreeMessage::Field::Body: EMBody->setFocus(); break;
    case FreeMessage::Field::Queue: Button1->setFocus(); break;
    case FreeMessage::Field::None: break;
  }
  Label3->setText(QString::fromStdString(model_->QueueText()));
}

}  // namespace tf::mail::ui
