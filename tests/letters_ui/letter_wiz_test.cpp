// TLetterWiz driven by its control names: a letter typed with formatting and a keyword from the
// list, printed untitled for three queued customers through the print dialog into a PDF read
// back with pdftotext; saved as rich text and opened again; a saved letter edited and printed
// without saving prints the edit; refusals and a damaged file.

#include <QTest>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/scripted_prompter.h"
#include "letters/form_letters.h"
#include "letters/rtf_reader.h"
#include "letters/ui/letter_wiz.h"
#include "letters/ui/qt_letter.h"
#include "letters/ui/ruler.h"
#include "records/company_record.h"
#include "records/customer_file.h"
#include "records/customer_record.h"
#include "tests/letters/letter_printing.h"
#include "tests/support/engine_work_folder.h"
#include "tests/support/external_peer.h"
#include "tests/support/print_dialog_answer.h"
#include "tests/support/status_sinks.h"

namespace tf::letters::ui {

class LetterWizTest : public QObject {
  Q_OBJECT

 private slots:
  void AnUntitledLetterPrintsWhatTheEditorShowsForEveryQueuedCustomer();
  void SavedAsRichTextAndOpenedAgain();
  void AnEditedLetterPrintsTheEditNotTheFile();
  void RefusalsAndADamagedFileLeaveTheEditorAsItWas();
};

namespace {

namespace cu = records::customer;
namespace co = records::company;
namespace fs = std::filesystem;


struct Screen {
  Screen() {
    common::WriteText(company, co::kCompanyNumber, "1");
    common::WriteText(company, co::kCompanyName, "Tallyfold Supplies");
  }
  bool AddCustomer(const std::string& number, const std::string& name, const std::string& notes = "") {
    common::ScriptedPrompter create({common::PromptAnswer::OK});
    engine::FileBlock* file = nullptr;
    if (!cu::OpenCustomerFile(file, "1", create, status)) return false;
    engine::FileBlockGuard guard(file);
    common::RecordBuffer r = cu::NewCustomerRecord();
    common::WriteText(r, cu::kCustomerNumber, number);
    common::WriteText(r, cu::kCustomerName, name);
    common::WriteText(r, cu::kNotes, notes);
    std::int32_t ref = 0;
    return records::AddKeyedRecord(file, cu::CustomerFileKind(), r, ref, create);
  }
  void Type(const QString& text) { QTest::keyClicks(wiz.RichEdit1, text); }
  void ChooseKeyword(const QString& keyword) {
    const int index = wiz.ComboBox1->findText(keyword + " - ", Qt::MatchStartsWith);
    QVERIFY(index >= 0);
    emit wiz.ComboBox1->activated(index);
  }

  common::RecordBuffer company = common::RecordBuffer(co::kCompanyRecordLength);
  common::ScriptedPrompter prompter;
  test::SilentStatus status;
  correspondence::LabelQueue queue;
  TLetterWiz wiz{{prompter, status, queue, [this] { return std::span<const std::uint8_t>(company); }}};
};

}  // namespace

void LetterWizTest::AnUntitledLetterPrintsWhatTheEditorShowsForEveryQueuedCustomer() {
  TF_NEED_PEERS_QTEST("reading printed letters", "pdftotext", "pdfinfo");
  test::EngineWorkFolder folder;
  Screen s;
  QVERIFY(s.AddCustomer("1", "Acme Tools"));
  QVERIFY(s.AddCustomer("2", "VQCSTNAME Holdings", "Call VQCSTNO {first}"));
  QVERIFY(s.AddCustomer("3", "Cleo Cole"));
  for (const char* n : {"1", "2", "3"}) s.queue.Add({n, "", "", ""});
  s.wiz.show();
  QCOMPARE(s.wiz.windowTitle(), QString("Form Letter Wizard - Untitled"));

  s.Type("Dear ");
  QTest::mouseClick(s.wiz.BoldButton, Qt::LeftButton);
  s.ChooseKeyword("VQCSTNAME");
  QTest::mouseClick(s.wiz.BoldButton, Qt::LeftButton);
  s.Type(",");
  QTest::keyClick(s.wiz.RichEdit1, Qt::Key_Return);
  QTest::mouseClick(s.wiz.CenterAlign, Qt::LeftButton);
  s.Type("Notes: ");
  s.ChooseKeyword("VQCSTNOTES");
  QCOMPARE(s.wiz.RichEdit1->toPlainText(), QString("Dear VQCSTNAME,\nNotes: VQCSTNOTES"));
  const LetterDocument shown = s.wiz.Letter().Normalised();
  QCOMPARE(shown.paragraphs.size(), std::size_t(2));
  QVERIFY(shown.paragraphs[0].runs.size() >= 2);
  QVERIFY(shown.paragraphs[0].runs[1].format.bold);
  QCOMPARE(shown.paragraphs[1].format.alignment, Alignment::Centre);
  QVERIFY(s.wiz.CenterAlign->isChecked());

  const QString pdf = QString::fromStdString(folder.path() + "/letters.pdf");
  bool dialogSeen = false;
  test::AnswerPrintDialogSoon(pdf, &dialogSeen);
  s.prompter.Answer(common::PromptAnswer::No);  // "Save changes to Untitled?"
  QTest::mouseClick(s.wiz.PrintButton, Qt::LeftButton);
  QVERIFY(dialogSeen);
  QCOMPARE(s.prompter.Texts(), std::vector<std::string>{"Save changes to Untitled?"});

  QVERIFY(test::PeerOutput("pdfinfo '" + pdf.toStdString() + "'").find("Pages:           3") != std::string::npos);
  const std::string page2 = test::PeerOutput("pdftotext -f 2 -l 2 '" + pdf.toStdString() + "' -");
  QVERIFY2(page2.find("Dear VQCSTNAME Holdings,") != std::string::npos, page2.c_str());
  QVERIFY2(page2.find("Notes: Call VQCSTNO {first}") != std::string::npos, page2.c_str());
  const std::string page3 = test::PeerOutput("pdftotext -f 3 -l 3 '" + pdf.toStdString() + "' -");
  QVERIFY2(page3.find("Dear Cleo Cole,") != std::string::npos, page3.c_str());

  // The editor shows the letter with its keywords again, still not saved.
  QCOMPARE(s.wiz.RichEdit1->toPlainText(), QString("Dear VQCSTNAME,\nNotes: VQCSTNOTES"));
  QVERIFY(s.wiz.RichEdit1->isVisible());
  QVERIFY(!s.wiz.Panel1->isVisible());
  QVERIFY(s.wiz.RichEdit1->document()->isModified());
  QCOMPARE(s.queue.Size(), std::size_t(3));
}

void LetterWizTest::SavedAsRichTextAndOpenedAgain() {
  test::EngineWorkFolder folder;
  Screen s;
  s.wiz.show();
  s.Type("Hello ");
  QTest::mouseClick(s.wiz.ItalicButton, Qt::LeftButton);
  s.Type("VQCMPNAME");
  QTest::mouseClick(s.wiz.BulletsButton, Qt::LeftButton);
  const std::string path = folder.path() + "/LETTER.RTF";
  s.wiz.ChooseSaveFile = [&] { return path; };
  QTest::mouseClick(s.wiz.SaveButton, Qt::LeftButton);  // untitled: Save acts as Save As
  QCOMPARE(s.wiz.windowTitle(), QString("Form Letter Wizard - LETTER.RTF"));
  QVERIFY(!s.wiz.RichEdit1->document()->isModified());

  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const RtfReadResult read = ReadRtf(bytes);
  QVERIFY2(read.letter.has_value(), read.problem.c_str());
  const LetterDocument saved = read.letter->Normalised();
  QCOMPARE(saved.paragraphs.size(), std::size_t(1));
  QVERIFY(saved.paragraphs[0].format.bullet);
  QCOMPARE(saved.paragraphs[0].Text(), std::string("Hello VQCMPNAME"));
  QVERIFY(saved.paragraphs[0].runs.back().format.italic);

  // Save As onto the file asks first; No leaves it.
  s.prompter.Answer(common::PromptAnswer::No);
  s.wiz.FileSaveAs->trigger();
  QCOMPARE(s.prompter.Texts().back(), "OK to overwrite " + path);

  s.wiz.FileNew->trigger();
  QCOMPARE(s.wiz.RichEdit1->toPlainText(), QString());
  QCOMPARE(s.wiz.windowTitle(), QString("Form Letter Wizard - Untitled"));
  s.wiz.ChooseOpenFile = [&] { return path; };
  QTest::mouseClick(s.wiz.OpenButton, Qt::LeftButton);
  QCOMPARE(s.wiz.windowTitle(), QString("Form Letter Wizard - LETTER.RTF"));
  {
    std::ostringstream a, b;
    PrintTo(s.wiz.Letter().Normalised(), &a);
    PrintTo(saved, &b);
    QCOMPARE(QString::fromStdString(a.str()), QString::fromStdString(b.str()));
  }
  QVERIFY(s.wiz.BulletsButton->isChecked());

  // A plain text copy, chosen by its name.
  s.wiz.ChooseSaveFile = [&] { return folder.path() + "/LETTER.TXT"; };
  s.wiz.FileSaveAs->trigger();
  std::ifstream text(folder.path() + "/LETTER.TXT", std::ios::binary);
  QCOMPARE(std::string((std::istreambuf_iterator<char>(text)), std::istreambuf_iterator<char>()),
           std::string("Hello VQCMPNAME"));
}

void LetterWizTest::AnEditedLetterPrintsTheEditNotTheFile() {
  TF_NEED_PEERS_QTEST("reading printed letters", "pdftotext");
  test::EngineWorkFolder folder;
  Screen s;
  QVERIFY(s.AddCustomer("7", "Acme Tools"));
  s.queue.Add({"7", "", "", ""});
  const std::string path = folder.path() + "/OLD.RTF";
  {
    std::ofstream out(path, std::ios::binary);
    out << "{\\rtf1 Old text for VQCSTNAME\\par}";
  }
  s.wiz.show();
  QVERIFY(s.wiz.OpenFile(path));
  s.wiz.RichEdit1->moveCursor(QTextCursor::End);
  s.Type(" and new text");
  const QString pdf = QString::fromStdString(folder.path() + "/edit.pdf");
  test::AnswerPrintDialogSoon(pdf);
  s.prompter.Answer(common::PromptAnswer::No);  // not saved
  s.wiz.FilePrint->trigger();
  const std::string text = test::PeerOutput("pdftotext '" + pdf.toStdString() + "' -");
  QVERIFY2(text.find("Old text for Acme Tools and new text") != std::string::npos, text.c_str());
  std::ifstream in(path, std::ios::binary);
  QCOMPARE(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()),
           std::string("{\\rtf1 Old text for VQCSTNAME\\par}"));
}

void LetterWizTest::RefusalsAndADamagedFileLeaveTheEditorAsItWas() {
  test::EngineWorkFolder folder;
  Screen s;
  s.wiz.show();
  s.wiz.FilePrint->trigger();
  s.queue.Add({"1", "", "", ""});
  s.wiz.FilePrint->trigger();
  QCOMPARE(s.prompter.Texts(), (std::vector<std::string>{std::string(kEmptyQueueText), std::string(kNoTextText)}));
  QCOMPARE(s.prompter.Shown().back().caption, std::string("Letter Wizard"));

  s.Type("Keep me");
  s.wiz.RichEdit1->document()->setModified(false);
  const std::string bad = folder.path() + "/BAD.RTF";
  {
    std::ofstream out(bad, std::ios::binary);
    out << "{\\rtf1 " << std::string(5000, '{') << "x";
  }
  s.wiz.ChooseOpenFile = [&] { return bad; };
  s.wiz.FileOpen->trigger();
  QVERIFY(s.prompter.Texts().back().find("cannot be read") != std::string::npos);
  QCOMPARE(s.wiz.RichEdit1->toPlainText(), QString("Keep me"));
  QCOMPARE(s.wiz.windowTitle(), QString("Form Letter Wizard - Untitled"));

  // Closing a changed letter asks; Cancel keeps the window open.
  s.Type("!");
  s.prompter.Answer(common::PromptAnswer::Cancel);
  s.wiz.FileExit->trigger();
  QVERIFY(s.wiz.isVisible());
  QCOMPARE(s.prompter.Texts().back(), std::string("Save changes to Untitled?"));
  s.prompter.Answer(common::PromptAnswer::No);
  s.wiz.FileExit->trigger();
  QVERIFY(!s.wiz.isVisible());

  // Dropping the left indent mark sets the paragraph's indent.
  s.wiz.show();
  s.wiz.Ruler->resize(600, s.wiz.Ruler->height());
  s.wiz.Ruler->LeftInd->MoveTo(TRuler::kOffset + 48);
  s.wiz.Ruler->FirstInd->MoveTo(TRuler::kOffset + 48);
  s.wiz.Ruler->MarkDropped();
  QCOMPARE(s.wiz.Letter().paragraphs[0].format.leftIndent, 48 * kTwipsPerPixel);
}

}  // namespace tf::letters::ui

QTEST_MAIN(tf::letters::ui::LetterWizTest)
#include "letter_wiz_test.moc"
