#pragma once
// Context help: the local HTML manual (docs/help/index.html) shown in a help window at the
// anchor of a topic name. Anchors are the topic names in lower case with every run of
// characters other than letters and digits turned into one "-" ("Frequent Asked Questions"
// is "frequent-asked-questions", "QZCalendar" is "qzcalendar").

#include <QDialog>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTextBrowser>

#include <string_view>

namespace tf::common::ui {

inline constexpr std::string_view kHelpIndexFile = "index.html";

QString HelpAnchor(std::string_view topic);

// Where the manual is looked for, first match wins: the folder set with SetHelpFolder, the
// TALLYFOLD_HELP_DIR environment variable, <exe dir>/../../docs/help and one level further up
// (the build tree), <exe dir>/../share/tallyfold/help (an installed copy), and the source tree.
QStringList HelpFolderCandidates();
void SetHelpFolder(const QString& folder);
// The folder of the first candidate holding index.html; empty when there is none.
QString FindHelpFolder();
QString FindHelpFolder(const QStringList& candidates);

class THelpWindow : public QDialog {
  Q_OBJECT

 public:
  explicit THelpWindow(QWidget* parent = nullptr);
  // Loads the manual at the topic's anchor; false when the manual is missing.
  bool ShowTopic(std::string_view topic);

  QTextBrowser* HelpText;
  QPushButton* BackBtn;      // back to where the last link was followed from
  QPushButton* ContentsBtn;  // the manual's contents
  QPushButton* CloseBtn;
};

// Opens the shared help window at `topic` (the contents for an empty topic), or tells the user
// where the manual was looked for when it is missing.
void ShowHelpTopic(std::string_view topic, QWidget* parent = nullptr);

}  // namespace tf::common::ui
