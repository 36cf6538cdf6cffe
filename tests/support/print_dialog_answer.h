#pragma once
// For window tests (QTest): answers the print dialog a window is about to open, as a user
// would: "Print to File (PDF)" into `pdf`, or Cancel when `pdf` is empty. `seen`, when given,
// tells whether a print dialog was the window that came up. Header only, so the plain test
// library needs no Qt.

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QTimer>
#include <QtTest>

namespace tf::test {

inline void AnswerPrintDialogSoon(const QString& pdf, bool* seen = nullptr) {
  QTimer::singleShot(0, [pdf, seen] {
    auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
    if (seen) *seen = dialog != nullptr;
    QVERIFY(dialog);
    if (pdf.isEmpty()) return dialog->reject();
    auto* printers = dialog->findChild<QComboBox*>("printers");
    auto* fileName = dialog->findChild<QLineEdit*>("filename");
    QVERIFY(printers && fileName);
    const int toFile = printers->findText("PDF", Qt::MatchContains);
    QVERIFY(toFile >= 0);
    printers->setCurrentIndex(toFile);
    fileName->setText(pdf);
    dialog->accept();
  });
}

}  // namespace tf::test
