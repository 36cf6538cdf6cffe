// The payment terms dialog driven by its control names: the list from the file (or the nine
// usual terms), add in sorted place, edit, a click abandoning an edit, the refusals, and that
// only "&Close" writes the file.

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <functional>

#include "common/scripted_prompter.h"
#include "common/side_file.h"
#include "invoicing/payment_terms.h"
#include "invoicing/ui/term_edit.h"
#include "tests/support/temp_folder.h"

using namespace tf;

class TTermEditTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void addEditDeleteAndClose();
  void missingFileStartsWithTheUsualTermsAndFrameCloseWritesNothing();

 private:
  static void Soon(std::function<void()> step) { QTimer::singleShot(0, std::move(step)); }
  QStringList Items() const {
    QStringList out;
    for (int k = 0; k < dlg_->ListBox1->count(); ++k) out << dlg_->ListBox1->item(k)->text();
    return out;
  }
  void Press(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

  std::unique_ptr<tf::test::TempFolder> dir_;
  common::ScriptedPrompter prompter_;
  std::unique_ptr<invoicing::ui::TTermEdit> dlg_;
};

void TTermEditTest::init() {
  dir_ = std::make_unique<tf::test::TempFolder>(tf::test::TempFolder::Enter);
  prompter_.Clear();
  dlg_ = std::make_unique<invoicing::ui::TTermEdit>(prompter_);
  dlg_->ShowHelp = [](std::string_view) {};
}

void TTermEditTest::cleanup() {
  dlg_.reset();
  dir_.reset();
}

void TTermEditTest::addEditDeleteAndClose() {
  std::ofstream("VQTERMS.DAT", std::ios::binary) << "Net 60 Days\r\nnet 30 days\r\n";
  Soon([this] {
    struct Close {
      QDialog* d;
      ~Close() { if (d->isVisible()) d->reject(); }
    } close{dlg_.get()};
    QCOMPARE(Items(), QStringList({"net 30 days", "Net 60 Days"}));
    QCOMPARE(dlg_->ListBox1->currentRow(), 0);
    QVERIFY(!dlg_->Edit1->isEnabled());
    QVERIFY(!dlg_->Button4->isEnabled());

    // Add: the new term takes its sorted place.
    Press(dlg_->Button3);
    QCOMPARE(dlg_->Label1->text(), QString("Enter new payment term and select Ok button..."));
    QVERIFY(dlg_->Edit1->isEnabled() && dlg_->Button4->isEnabled());
    Press(dlg_->Button4);  // nothing typed
    QCOMPARE(prompter_.Texts().back(), std::string("You do not have any text entered."));
    QCOMPARE(prompter_.Shown().back().caption, std::string("Invalid Payment Term"));
    QTest::keyClicks(dlg_->Edit1, "Net 45 Days");
    QTest::keyClick(dlg_->Edit1, Qt::Key_Return);  // Enter in the box is "Ok"
    QVERIFY(dlg_->isVisible());
    QCOMPARE(Items(), QStringList({"net 30 days", "Net 45 Days", "Net 60 Days"}));
    QVERIFY(!dlg_->Edit1->isEnabled() && !dlg_->Button4->isEnabled());
    QCOMPARE(dlg_->Label1->text(), QString());

    // The keyboard moves the term Edit and Delete act on, as a click does.
    QCOMPARE(dlg_->ListBox1->currentRow(), 0);
    dlg_->ListBox1->setFocus();
    QTest::keyClick(dlg_->ListBox1, Qt::Key_Down);
    QCOMPARE(dlg_->ListBox1->currentRow(), 1);
    QCOMPARE(dlg_->Model().Selected(), 1);
    Press(dlg_->Button1);
    QCOMPARE(dlg_->Edit1->text(), QString("Net 45 Days"));
    QTest::keyClick(dlg_->ListBox1, Qt::Key_Up);  // moving abandons the edit
    QVERIFY(!dlg_->Button4->isEnabled());
    QCOMPARE(dlg_->Model().Selected(), 0);
    // A delete asks first; No keeps the term.
    QTest::keyClick(dlg_->ListBox1, Qt::Key_End);
    prompter_.Answer(common::PromptAnswer::No);
    Press(dlg_->Button2);
    QCOMPARE(prompter_.Texts().back(), std::string("Are you sure you want to delete this payment term?"));
    QCOMPARE(Items(), QStringList({"net 30 days", "Net 45 Days", "Net 60 Days"}));
    QTest::keyClick(dlg_->ListBox1, Qt::Key_Home);
    QCOMPARE(dlg_->Model().Selected(), 0);

    // Edit, then a click on another term abandons it.
    Press(dlg_->Button1);
    QCOMPARE(dlg_->Edit1->text(), QString("net 30 days"));
    QCOMPARE(dlg_->Label1->text(), QString("Edit this payment term and select Ok button..."));
    QTest::mouseClick(dlg_->ListBox1->viewport(), Qt::LeftButton, {},
                      dlg_->ListBox1->visualItemRect(dlg_->ListBox1->item(2)).center());
    QVERIFY(!dlg_->Button4->isEnabled());
    QCOMPARE(dlg_->Edit1->text(), QString());
    QCOMPARE(dlg_->ListBox1->currentRow(), 2);
    // Edit for real: exactly 35 characters, and the box takes no more.
    Press(dlg_->Button1);
    dlg_->Edit1->clear();
    QTest::keyClicks(dlg_->Edit1, QString(36, 'x'));
    QCOMPARE(dlg_->Edit1->text(), QString(35, 'x'));
    Press(dlg_->Button4);
    QCOMPARE(Items(), QStringList({"net 30 days", "Net 45 Days", QString(35, 'x')}));

    // Delete down to one term, which stays.
    prompter_.Answer(common::PromptAnswer::Yes);
    Press(dlg_->Button2);
    prompter_.Answer(common::PromptAnswer::Yes);
    Press(dlg_->Button2);
    QCOMPARE(prompter_.Unanswered(), std::size_t(0));
    QCOMPARE(Items(), QStringList({QString(35, 'x')}));
    Press(dlg_->Button2);
    QCOMPARE(prompter_.Texts().back(), std::string("You must have at least on payment term."));
    QCOMPARE(prompter_.Shown().back().caption, std::string("Delete Payment Term"));
    Press(dlg_->Button3);
    QTest::keyClicks(dlg_->Edit1, "Due On Receipt");
    Press(dlg_->Button4);
    Press(dlg_->OKBtn);
  });
  QCOMPARE(dlg_->exec(), int(QDialog::Accepted));
  QCOMPARE(common::ReadWholeFile("VQTERMS.DAT"), "Due On Receipt\r\n" + std::string(35, 'x') + "\r\n");
}

void TTermEditTest::missingFileStartsWithTheUsualTermsAndFrameCloseWritesNothing() {
  Soon([this] {
    QCOMPARE(Items().size(), 9);
    QCOMPARE(Items().front(), QString("1% 10 Net 30"));
    QCOMPARE(Items().back(), QString("Net 30 Days"));
    prompter_.Answer(common::PromptAnswer::Yes);
    Press(dlg_->Button2);
    QCOMPARE(Items().size(), 8);
    dlg_->reject();  // the window frame
  });
  dlg_->exec();
  QCOMPARE(invoicing::LoadTerms().size(), std::size_t(9));
}

QTEST_MAIN(TTermEditTest)
#include "term_edit_test.moc"
