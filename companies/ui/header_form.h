#pragma once
// THeaderForm: "Headers, Fonts and Colors", the options screen's sub-screen for the document
// captions, the invoice column headings, the memo heading, the statement note, the shipping
// caption and the six document fonts. It edits the options screen's model: its texts as typed
// and the staging copy of the fonts, which the options screen saves with the rest.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "common/prompter.h"
#include "common/stored_font.h"
#include "companies/company_options.h"

namespace tf::companies::ui {

class THeaderForm : public QDialog {
  Q_OBJECT

 public:
  explicit THeaderForm(QWidget* parent = nullptr);

  // Shows the sub-screen on `options` modally; what was typed goes back into it on close.
  void Run(CompanyOptions& options, common::Prompter& prompter);

  // The font dialog: the font chosen (face, size, colour, style), or nothing when cancelled.
  std::function<std::optional<common::FontSpec>(const common::FontSpec& current, std::string_view title)> ChooseFont;
  std::function<void(std::string_view topic)> ShowHelp;

  QLineEdit* Edit(std::string_view control) const;
  QPushButton* InvBodyButn;
  QPushButton* CapHeadButn;
  QPushButton* CompHeadButn;
  QPushButton* CustHeadButn;
  QPushButton* ColHeadButn;
  QPushButton* SalesMsgButn;
  // The previews, in the order of the document fonts.
  std::array<QLabel*, records::company::kDocumentFontCount> Previews{};
  QPushButton* OkButn2;
  QPushButton* Help2Butn;

 protected:
  void done(int result) override;

 private:
  void FontButnClick(records::company::DocumentFont font);
  void ShowFonts();

  std::map<std::string, QLineEdit*, std::less<>> edits_;
  CompanyOptions* options_ = nullptr;
  common::Prompter* prompter_ = nullptr;
};

}  // namespace tf::companies::ui
