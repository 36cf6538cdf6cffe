#pragma once
// TCompSet: the company options screen ("New Company" / "Edit Company"): the name and number
// above eight pages of options, and the "Headers/Fonts/Colors" sub-screen. It shows a
// CompanyOptions model's controls under their names and hands Save to the model (its checks,
// then the Company Manager's save); the screen closes only when they pass, and otherwise opens
// the page of the field concerned with the focus on it.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/prompter.h"
#include "common/stored_font.h"
#include "companies/company_options.h"

namespace tf::companies::ui {

class THeaderForm;

class TCompSet : public QDialog {
  Q_OBJECT

 public:
  explicit TCompSet(QWidget* parent = nullptr);

  // Shows the screen on `options` modally; true when it closed through a successful Save.
  bool Run(CompanyOptions& options, common::Prompter& prompter);

  // --- platform actions, replaceable in tests ----------------------------------------------
  // The payment terms list for "Default Invoice Terms:".
  std::function<std::vector<std::string>()> LoadTerms;
  // A picture file ("Bitmap File|*.bmp"), starting at `start`; empty when cancelled.
  std::function<QString(const QString& start)> ChoosePicture;
  // The font dialog; `fixedPitch` offers fixed-pitch fonts only.
  std::function<std::optional<common::FontSpec>(const common::FontSpec& current, std::string_view title,
                                                bool fixedPitch)>
      ChooseFont;
  std::function<void(std::string_view topic)> ShowHelp;

  // --- controls, by their names --------------------------------------------------------------
  QLineEdit* Edit(std::string_view control) const;
  QAbstractButton* Box(std::string_view control) const;  // a check box or radio button
  QLineEdit* CName;
  QLineEdit* CoNumb;
  QTabWidget* PageControl1;
  QComboBox* DFTerms;
  QRadioButton* DDMMYY;
  QRadioButton* DMemo;
  QPushButton* FontButn;
  QLabel* EFontEx;
  QPushButton* BmpImgButn;
  QPushButton* Button1;
  QLabel* Image1;
  QPushButton* BrowClr;
  QLabel* MgrColors;
  QPushButton* EditorClr;
  QLabel* IEColors;
  QPushButton* Button2;
  QPushButton* OKButton;
  QPushButton* CancelButton;
  QPushButton* HelpButton;
  THeaderForm* HeaderForm;

  void OKButtonClick();

 private:
  QWidget* BuildPage(OptionsPage page);
  void Load();
  void Store();
  void ShowFonts();
  void ShowPicture();
  void PickPicture(const char* control);
  void PickFont(OptionsFont font, std::string_view title, bool fixedPitch);
  void FocusOn(const std::string& control, OptionsPage page);

  std::map<std::string, QLineEdit*, std::less<>> edits_;
  std::map<std::string, QAbstractButton*, std::less<>> boxes_;
  CompanyOptions* options_ = nullptr;
  common::Prompter* prompter_ = nullptr;
};

}  // namespace tf::companies::ui
