// The Product Manager window driven by its control names on the offscreen platform: a new file
// for the company, add through the editor dialog (and a refused duplicate), the display order,
// edit, find, delete with the Delete key, the product list, print window and Enter to pick.

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "common/clock.h"
#include "common/record_fields.h"
#include "common/recording_canvas.h"
#include "common/scripted_prompter.h"
#include "common/stored_text.h"
#include "engine/checking/checker.h"
#include "engine/core/engine.h"
#include "records/product_fields.h"
#include "products/ui/edit_prod.h"
#include "products/ui/product_windows.h"
#include "records/company_record.h"
#include "records/company_store.h"
#include "records/product_file.h"
#include "records/record_file.h"
#include "shell/ui/main_form.h"
#include "tests/support/company_file.h"
#include "tests/support/data_folder_test.h"
#include "tests/support/engine_work_folder.h"
#include "tests/support/status_sinks.h"

using namespace tf;
using namespace std::chrono;
namespace company = records::company;

namespace {

struct LinesViewer : common::TextReportViewer {
  std::string title;
  std::vector<std::string> lines;
  void ShowTextFile(const std::string& path, std::string_view t) override {
    title = t;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.size() - 1));
  }
};

}  // namespace

class TEditProdTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void managerDrivenByControlNames();
  void installedInTheMainWindow();
  void pickingForInvoiceEntry();
  void reopenedManyTimes();
  void typedTextIsStoredOrRefusedNeverChanged();

 private:
  // Runs `step` inside the next modal loop, once it has started.
  static void Soon(std::function<void()> step) { QTimer::singleShot(0, std::move(step)); }
  // Fills the editor dialog once it is shown, then presses OK.
  void FillEditor(const QString& code, const QString& description, const QString& price = "");
  QString CurrentRow() const;
  QString Panel() const;
  // Products P100, P101 ... ("Item 0", "Item 1" ...), `count` of them, in a new product file.
  void AddProducts(int count);

  std::unique_ptr<tf::test::EngineWorkFolder> folder_;
  records::CompanyBook book_;
  common::ScriptedPrompter prompter_;
  ::tf::test::SilentStatus status_;
  LinesViewer viewer_;
  common::FixedClock clock_{year{2026} / 3 / 14};
  std::unique_ptr<products::ui::TEditProd> form_;
};

void TEditProdTest::init() {
  folder_ = std::make_unique<tf::test::EngineWorkFolder>();
  QVERIFY(engine::EngineOK);
  auto co = book_.Current();
  std::fill(co.begin(), co.end(), 0);
  common::WriteText(co, company::kCompanyName, "Acme Supplies");
  common::WriteText(co, company::kCompanyNumber, "1");
  common::WriteText(co, company::kDateFormat, "M");
  prompter_.Clear();
  form_ = std::make_unique<products::ui::TEditProd>(
      products::ui::EditProdServices{book_, prompter_, status_, viewer_, clock_});
  form_->ShowHelp = [](std::string_view) {};
}

void TEditProdTest::cleanup() {
  form_.reset();
  folder_.reset();
}

void TEditProdTest::FillEditor(const QString& code, const QString& description, const QString& price) {
  Soon([=, this] {
    auto* dialog = form_->findChild<QDialog*>("TUpdProd");
    QVERIFY(dialog && dialog->isVisible());
    dialog->findChild<QLineEdit*>("PNum")->setText(code);
    dialog->findChild<QLineEdit*>("PDesc")->setText(description);
    if (!price.isNull()) dialog->findChild<QLineEdit*>("PSell")->setText(price);
    QTest::mouseClick(dialog->findChild<QPushButton*>("OkBtn"), Qt::LeftButton);
    // A refused OK leaves the dialog open: cancel it.
    if (dialog->isVisible()) QTest::mouseClick(dialog->findChild<QPushButton*>("Button1"), Qt::LeftButton);
  });
}

QString TEditProdTest::CurrentRow() const {
  const auto& model = form_->ProdBrowser->Model();
  if (model.CurrentRow() == 0) return {};
  return QString::fromLatin1(model.Row(model.CurrentRow()).Row.c_str()).trimmed();
}

void TEditProdTest::AddProducts(int count) {
  engine::FileBlockGuard block;
  prompter_.Answer(common::PromptAnswer::OK);
  QVERIFY(records::product::OpenProductFile(block.handle(), "1", prompter_, status_));
  for (int k = 0; k < count; ++k) {
    common::RecordBuffer r(records::product::kProductRecordLength);
    common::WriteText(r, records::product::kProductCode, "P" + std::to_string(100 + k));
    common::WriteText(r, records::product::kProductDescription, "Item " + std::to_string(k));
    std::int32_t ref = 0;
    QVERIFY(records::AddKeyedRecord(block.get(), records::product::ProductFileKind(), r, ref, prompter_));
  }
  prompter_.Clear();
}

QString TEditProdTest::Panel() const { return form_->findChild<QLabel*>("StatusBar1Panel0")->text(); }

void TEditProdTest::managerDrivenByControlNames() {
  auto click = [this](const char* name) { QTest::mouseClick(form_->findChild<QToolButton*>(name), Qt::LeftButton); };
  bool reached = false;
  // A failed check returns from the step early; the window is closed anyway so that the test
  // ends instead of waiting in the modal loop.
  auto steps = [&] {
    QCOMPARE(form_->windowTitle(), QString("Product Manager"));
    QCOMPARE(prompter_.Texts(), std::vector<std::string>{"I am going to create a new, empty product file for this company."});
    QCOMPARE(Panel(), QString("Products: 0"));
    QCOMPARE(form_->findChild<QLabel*>("Label1")->text(), QString("Acme Supplies - #1"));
    QVERIFY(form_->ProdBrowser->Header().startsWith("Code       Description"));

    FillEditor("W100", "Widget", "12.5");
    click("NewProd");
    FillEditor("a200", "Anchor");
    form_->findChild<QAction*>("Add1")->trigger();
    QCOMPARE(Panel(), QString("Products: 2"));
    QVERIFY(CurrentRow().startsWith("a200       Anchor"));

    // The same code in another case is refused, naming the product that has it.
    FillEditor(" w100", "Other");
    form_->findChild<QAction*>("Add2")->trigger();
    QCOMPARE(prompter_.Texts().back(), std::string("This Product Code already exists for: Widget. Use a different code."));
    QCOMPARE(Panel(), QString("Products: 2"));

    // By description, then edit the current one (Anchor) into "Zebra".
    form_->findChild<QAction*>("ByDescription1")->trigger();
    QVERIFY(form_->findChild<QAction*>("ByDescription1")->isChecked());
    QVERIFY(!form_->findChild<QAction*>("Code1")->isChecked());
    QVERIFY(CurrentRow().startsWith("a200"));
    FillEditor("a200", "Zebra");
    click("EditInvoice");
    QVERIFY(CurrentRow().startsWith("a200       Zebra"));

    // By keyboard alone: Enter in the text finds, the arrows highlight a result, Enter picks it.
    Soon([this] {
      auto& box = form_->FindBox();
      auto* list = box.findChild<QTreeWidget*>("ListView1");
      QTest::keyClicks(box.findChild<QLineEdit*>("FindText"), "0");
      QTest::keyClick(box.findChild<QLineEdit*>("FindText"), Qt::Key_Return);
      QVERIFY(box.isVisible());
      QVERIFY(list->topLevelItemCount() >= 1);
      list->setFocus();
      if (!list->currentItem()) QTest::keyClick(list, Qt::Key_Down);
      int anchor = -1;
      for (int k = 0; k < list->topLevelItemCount(); ++k)
        if (list->topLevelItem(k)->text(0).startsWith("W100")) anchor = k;
      QVERIFY(anchor >= 0);
      while (list->indexOfTopLevelItem(list->currentItem()) < anchor) QTest::keyClick(list, Qt::Key_Down);
      while (list->indexOfTopLevelItem(list->currentItem()) > anchor) QTest::keyClick(list, Qt::Key_Up);
      QTest::keyClick(list, Qt::Key_Return);
      QVERIFY(!box.isVisible());
      if (box.isVisible()) box.reject();
    });
    click("SpeedButton1");
    QVERIFY(CurrentRow().startsWith("W100"));

    // Find by code in description order, through the find window in product mode.
    form_->ProdBrowser->GoToKey(std::string(30, '\xFF'), 0);  // the last product
    QVERIFY(!CurrentRow().startsWith("W100"));
    Soon([this] {
      auto& box = form_->FindBox();
      QCOMPARE(box.windowTitle(), QString("Find Product"));
      QTest::keyClicks(box.findChild<QLineEdit*>("FindText"), "w10");
      QTest::mouseClick(box.findChild<QPushButton*>("FindButton"), Qt::LeftButton);
      auto* list = box.findChild<QTreeWidget*>("ListView1");
      QCOMPARE(list->topLevelItemCount(), 1);
      QCOMPARE(list->headerItem()->text(0), QString("Product#"));
      list->setCurrentItem(list->topLevelItem(0));
      emit list->itemDoubleClicked(list->topLevelItem(0), 0);
      if (box.isVisible()) box.reject();
    });
    click("SpeedButton1");
    QVERIFY(CurrentRow().startsWith("W100"));
    QVERIFY(CurrentRow().contains("12.50"));

    // Delete anywhere in the window: asked first.
    prompter_.Answer(common::PromptAnswer::Yes);
    QTest::keyClick(form_->ProdBrowser, Qt::Key_Delete);
    QCOMPARE(prompter_.Shown().back().caption, std::string("Delete Product Code: W100"));
    QCOMPARE(Panel(), QString("Products: 1"));

    // The product list by code.
    prompter_.Answer(common::PromptAnswer::Yes);
    click("ProdListButn");
    QCOMPARE(viewer_.title, std::string("Product List by Code"));
    QCOMPARE(viewer_.lines.size(), std::size_t(6));
    QVERIFY(QString::fromStdString(viewer_.lines[3]).startsWith("Zebra"));

    // Print Window draws the window's image on one page.
    std::vector<std::string> ops;
    form_->Printer = [&ops] {
      struct Keep : common::RecordingCanvas {
        std::vector<std::string>* out;
        explicit Keep(std::vector<std::string>* o) : out(o) {}
        ~Keep() override { *out = Ops(); }
      };
      return std::unique_ptr<common::PrintCanvas>(std::make_unique<Keep>(&ops));
    };
    form_->findChild<QAction*>("PrintWindow1")->trigger();
    QVERIFY(std::any_of(ops.begin(), ops.end(), [](const std::string& op) { return op.rfind("Bitmap 0 0 ", 0) == 0; }));
    QCOMPARE(ops.back(), std::string("EndDoc"));

    // Enter picks the current product and closes the window.
    reached = true;
    QTest::keyClick(form_->ProdBrowser, Qt::Key_Return);
  };
  Soon([&] {
    steps();
    if (form_->isVisible()) form_->done(-1);
  });
  const int result = form_->exec();
  QVERIFY(reached);
  QCOMPARE(result, int(QDialog::Accepted));
  QVERIFY(form_->Model().Picked());
  QCOMPARE(common::ReadText(form_->Model().Selected(), records::product::kProductDescription), std::string("Zebra"));
  QCOMPARE(common::ReadText(form_->Model().Selected(), records::product::kSetupDate), std::string("03/14/2026"));

  // Shown again: still by description.
  auto again = [&] {
    QVERIFY(form_->findChild<QAction*>("ByDescription1")->isChecked());
    QCOMPARE(Panel(), QString("Products: 1"));
    click("SpeedButton2");
  };
  Soon([&] {
    again();
    if (form_->isVisible()) form_->done(-1);
  });
  QCOMPARE(form_->exec(), int(QDialog::Rejected));

  const std::string findings = tf::test::Findings("1P", records::product::ProductKeys);
  QVERIFY2(findings.empty(), findings.c_str());
}

// The one call the program makes: the command opens the Product Manager on the main window's
// company.
void TEditProdTest::installedInTheMainWindow() {
  shell::ui::TMainForm main(prompter_, clock_);
  std::copy(book_.Current().begin(), book_.Current().end(), main.Book().Current().begin());
  QVERIFY(!main.CommandAvailable(shell::CommandId::ProductManager));
  products::ui::TEditProd& manager =
      products::ui::InstallProductWindows(main, shell::ui::WindowServices{prompter_, status_, viewer_, clock_});
  QVERIFY(main.CommandAvailable(shell::CommandId::ProductManager));
  QCOMPARE(manager.parent(), static_cast<QObject*>(&main));
  QString caption;
  Soon([&] {
    caption = manager.findChild<QLabel*>("Label1")->text();
    manager.reject();
  });
  main.RunCommand(shell::CommandId::ProductManager, true);
  QCOMPARE(caption, QString("Acme Supplies - #1"));
  QCOMPARE(prompter_.Texts(), std::vector<std::string>{"I am going to create a new, empty product file for this company."});
  QVERIFY(!manager.Model().IsOpen());
}

// Invoice entry: the window opens in picker mode on the line's code; Enter picks; closing
// without a pick gives nothing.
void TEditProdTest::pickingForInvoiceEntry() {
  AddProducts(30);
  QString row;
  Soon([&] {
    row = CurrentRow();
    QTest::keyClick(form_->ProdBrowser, Qt::Key_Down);
    QTest::keyClick(form_->ProdBrowser, Qt::Key_Return);
    if (form_->isVisible()) form_->reject();
  });
  const std::optional<common::RecordBuffer> picked = form_->PickProduct("p117", "");
  QVERIFY(row.startsWith("P117"));
  QVERIFY(picked.has_value());
  QCOMPARE(common::ReadText(*picked, records::product::kProductCode), std::string("P118"));
  QVERIFY(!form_->Model().Picking());

  Soon([&] { form_->findChild<QToolButton*>("SpeedButton2")->click(); });
  QVERIFY(!form_->PickProduct("P100", "").has_value());
  QVERIFY(prompter_.Shown().empty());
}

// Open, close and open again, with the closed product handle recycled for the company file
// block (longer records) in between and the window resized each time: every showing lists the
// products and no engine error appears.
void TEditProdTest::reopenedManyTimes() {
  AddProducts(40);
  {
    common::RecordBuffer co(records::company::kCompanyRecordLength);
    common::WriteText(co, company::kCompanyNumber, "1");
    QVERIFY(tf::test::MakeCompanyFile(co));
  }
  for (int round = 0; round < 5; ++round) {
    form_->resize(800, 380 + 50 * round);
    QString row;
    Soon([&] {
      row = CurrentRow();
      QTest::keyClick(form_->ProdBrowser, Qt::Key_Down);
      QTest::keyClick(form_->ProdBrowser, Qt::Key_Down);
      form_->reject();
    });
    QCOMPARE(form_->exec(), int(QDialog::Rejected));
    QVERIFY2(row.startsWith("P1") && row.contains("Item "), qPrintable(QString("round %1: %2").arg(round).arg(row)));
    QCOMPARE(prompter_.Texts(), std::vector<std::string>{});  // no engine error shown
    QVERIFY(!form_->Model().IsOpen());
    QCOMPARE(form_->ProdBrowser->KeyNumber(), 65535);  // the list holds no source once the file is closed
    engine::FileBlockGuard company;
    engine::OpenFileBlock(company.handle(), records::company::kCompanyFileBlock);
    QVERIFY(engine::EngineOK);
  }
}

// What the dialog's boxes hold reaches the record as typed or is refused on its box: a
// character Latin-1 cannot hold (it used to become "?"), notes too long once their line breaks
// count two (they used to be cut while typing), a price that is no amount (it used to become
// 0.00).
void TEditProdTest::typedTextIsStoredOrRefusedNeverChanged() {
  prompter_.Answer(common::PromptAnswer::OK);
  bool reached = false;
  // A failed check returns early; the dialog and the window are closed anyway.
  auto fill = [&] {
      auto* dialog = form_->findChild<QDialog*>("TUpdProd");
      QVERIFY(dialog && dialog->isVisible());
      auto* ok = dialog->findChild<QPushButton*>("OkBtn");
      auto* desc = dialog->findChild<QLineEdit*>("PDesc");
      auto* price = dialog->findChild<QLineEdit*>("PSell");
      auto* notes = dialog->findChild<QPlainTextEdit*>("PNote");
      dialog->findChild<QLineEdit*>("PNum")->setText("E1");
      desc->setText(QString::fromUtf8("Bolt \u20AC5"));
      QTest::mouseClick(ok, Qt::LeftButton);
      QVERIFY(dialog->isVisible());
      QCOMPARE(QString::fromStdString(prompter_.Texts().back()),
               QString::fromStdString(common::UnstorableCharacterText("Product Description", U'\u20AC')));
      QCOMPARE(dialog->focusWidget(), static_cast<QWidget*>(desc));
      QCOMPARE(desc->text(), QString::fromUtf8("Bolt \u20AC5"));  // nothing cut or replaced
      desc->setText(QString::fromUtf8("Cr\u00E8me"));
      notes->setPlainText(QString(25, '\n') + QString(125, 'x'));  // 150 typed, 175 stored
      QCOMPARE(notes->toPlainText().size(), 150);
      QTest::mouseClick(ok, Qt::LeftButton);
      QVERIFY(dialog->isVisible());
      QCOMPARE(dialog->focusWidget(), static_cast<QWidget*>(notes));
      QCOMPARE(notes->toPlainText().size(), 150);
      notes->setPlainText("one\ntwo");
      price->setText("1,5");
      QTest::mouseClick(ok, Qt::LeftButton);
      QVERIFY(dialog->isVisible());
      QCOMPARE(dialog->focusWidget(), static_cast<QWidget*>(price));
      price->setText("1,250.00");
      QTest::mouseClick(ok, Qt::LeftButton);
      QVERIFY(!dialog->isVisible());
      reached = true;
  };
  Soon([&] {
    Soon([&] {
      fill();
      if (auto* dialog = form_->findChild<QDialog*>("TUpdProd"); dialog && dialog->isVisible()) dialog->reject();
    });
    form_->findChild<QToolButton*>("NewProd")->click();
    if (form_->isVisible()) form_->done(-1);
  });
  form_->exec();
  QVERIFY(reached);
  engine::FileBlockGuard block;
  engine::OpenFileBlock(block.handle(), "1P");
  common::RecordBuffer r(records::product::kProductRecordLength);
  std::int32_t ref = 0;
  QVERIFY(records::product::ReadProductByCode(block.get(), "E1", ref, r));
  QCOMPARE(common::ReadText(r, records::product::kProductDescription), std::string("Cr\xE8me"));
  QCOMPARE(common::ReadText(r, records::product::kProductNotes), std::string("one\r\ntwo"));
  QCOMPARE(common::ReadText(r, records::product::kSalesPrice), std::string("1250.00"));
}

QTEST_MAIN(TEditProdTest)
#include "edit_prod_test.moc"
