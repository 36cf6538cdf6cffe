#pragma once
// TEMMemo ("Send E-Mail Message"): a subject and a text sent to every customer of the label
// print queue, bound to mail::FreeMessage. The form holds the run's one mail sender, which the
// documents that go out by e-mail share (see mail_windows.h).

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include <functional>
#include <memory>
#include <string_view>

#include "mail/free_message.h"
#include "mail/mail_sender.h"

namespace tf::mail::ui {

struct EMMemoServices {
  common::Prompter& prompter;
  engine::RebuildStatus& progress;  // the status window, captioned "E-Mail Mode" while mail goes out
  correspondence::LabelQueue& queue;
  std::function<std::span<const std::uint8_t>()> company;  // the current company record
};

class TEMMemo : public QDialog {
  Q_OBJECT

 public:
  explicit TEMMemo(EMMemoServices services, QWidget* parent = nullptr);
  ~TEMMemo() override;

  // FormShow (return address, fonts, queue count), then the modal loop.
  int exec() override;

  MailSender& Sender() { return *sender_; }
  TMailSender& Smtp() { return *sender_; }
  FreeMessage& Model() { return *model_; }
  // The label wizard, when it is installed; the count is read again after it closes.
  std::function<void()> OpenQueue;
  std::function<bool()> QueueAvailable = [] { return false; };
  std::function<void(std::string_view topic)> ShowHelp;

  QLabel* Label1;
  QLineEdit* EMRetAdd;
  QLabel* Label2;
  QLineEdit* EMSubject;
  QLabel* Label4;
  QPlainTextEdit* EMBody;
  QLabel* Label3;
  QPushButton* Button1;
  QPushButton* OKButton;
  QToolButton* SpeedButton16;
  QToolButton* SpeedButton14;

 protected:
  void done(int result) override;

 private:
  void FormShow();
  void Button1Click();
  void OKButtonClick();

  EMMemoServices services_;
  std::unique_ptr<TMailSender> sender_;
  std::unique_ptr<FreeMessage> model_;
};

}  // namespace tf::mail::ui
