#pragma once
// The company options screen ("New Company" / "Edit Company") and its "Headers, Fonts and
// Colors" sub-screen without their windows: every control's text or state by the control's
// name, the fonts, the pages, and Save: the checks in their order, then the record image handed
// to the Company Manager's save step. A failed check keeps the screen open on the field's page
// with the focus on it; nothing typed is cut or replaced: a text the record cannot hold (too
// long, a character outside Latin-1) is refused with a sentence that names the field.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "browse/manager_model.h"
#include "common/prompter.h"
#include "common/record_buffer.h"
#include "common/stored_font.h"
#include "engine/core/engine.h"
#include "records/company_record.h"

namespace tf::companies {

enum class OptionsPage {
  Top,  // above the pages: name and number
  AddressTaxes,
  EMail,
  EnvelopesAging,
  FormsSetup,
  General,
  Invoices,
  SalesMessage,
  SystemGraphics,
  Headers,  // the "Headers, Fonts and Colors" sub-screen
};
inline constexpr OptionsPage kOptionsPages[] = {
    OptionsPage::AddressTaxes, OptionsPage::EMail,        OptionsPage::EnvelopesAging, OptionsPage::FormsSetup,
    OptionsPage::General,      OptionsPage::Invoices,     OptionsPage::SalesMessage,   OptionsPage::SystemGraphics};
// "Address/Taxes", "E-Mail", ... ; empty for Top and Headers.
std::string_view PageCaption(OptionsPage page);
// The help topic of the page shown ("Company" for any other).
std::string_view PageHelpTopic(OptionsPage page);

// One control of the screens bound to a record field.
struct OptionControl {
  enum class Kind {
    Text,    // an edit: the field's text
    Digits,  // an edit that takes digits only (its mask), at most `length`
    Check,   // a check box: a boolean or a Y/N flag
    Choice,  // a check box or radio button choosing between two letters of a one-letter field
  };
  const char* control;  // "CName"
  OptionsPage page;
  const char* field;  // "CompanyName"
  Kind kind;
  std::size_t length = 0;   // Text: the field's capacity; Digits: the mask's digits
  const char* label = "";   // the caption the screen shows beside it
  char on = 0, off = 0;     // Choice: the letter when checked and when not
};
const std::vector<OptionControl>& OptionControls();
const OptionControl* FindOptionControl(std::string_view control);

// The fonts of the screen: the envelope font ("Envelopes/Aging"), the managers' and the
// invoice editor's ("System Graphics"), and the six document fonts of the sub-screen.
enum class OptionsFont { Envelope, Managers, Editor };

inline constexpr std::string_view kNewCompanyTitle = "New Company";
inline constexpr std::string_view kEditCompanyTitle = "Edit Company";
inline constexpr std::string_view kBackgroundGone =
    "Background bitmap image no longer exists. Use the Graphics tab to select another bitmap if desired.";
inline constexpr std::size_t kPicturePathCapacity = 250;

class CompanyOptions {
 public:
  enum class Mode { Add, Edit };

  // What the screen needs around it.
  struct Services {
    common::Prompter& prompter;
    // The company file block, open while the manager shows: the add's number check.
    std::function<engine::FileBlock*()> companies;
  };
  explicit CompanyOptions(Services services) : services_(std::move(services)) {}

  // A new company: `proposed` is the record of a new company's defaults (NewCompanyRecord),
  // the number editable. `currentNumber` is the current company's.
  void BeginAdd(std::span<const std::uint8_t> proposed, browse::SaveStep save, std::string_view currentNumber);
  // `record` as read from the company file, its number fixed.
  void BeginEdit(std::span<const std::uint8_t> record, browse::SaveStep save, std::string_view currentNumber);

  Mode EditMode() const { return mode_; }
  const std::string& Title() const { return title_; }
  bool NumberEditable() const { return mode_ == Mode::Add; }
  // What the screen says when it shows (the background picture is gone); empty for nothing.
  const std::string& Notice() const { return notice_; }

  // --- the controls -----------------------------------------------------------------------
  // As typed (UTF-8); "" for a control that is not a text.
  const std::string& Text(std::string_view control) const;
  void SetText(std::string_view control, std::string_view utf8);
  bool Checked(std::string_view control) const;
  void SetChecked(std::string_view control, bool on);
  const common::FontSpec& Font(OptionsFont font) const { return fonts_[std::size_t(font)]; }
  // A font chosen in the font dialog (its face as UTF-8): the face is stored cut to the
  // record's room for it, as the dialog's choice always was; a face Latin-1 cannot spell is
  // refused with the sentence returned (nothing changes).
  std::optional<std::string> SetFont(OptionsFont font, const common::FontSpec& chosen);
  // The staging copy of the six document fonts.
  const common::FontSpec& DocumentFont(records::company::DocumentFont font) const {
    return documentFonts_[std::size_t(font)];
  }
  std::optional<std::string> SetDocumentFont(records::company::DocumentFont font, const common::FontSpec& chosen);

  // A picture picked for the logo ("BmpNameText") or the background ("PicName"): taken when
  // the record can hold its path, otherwise the sentence that refuses it (nothing changes).
  std::optional<std::string> PickPicture(std::string_view control, std::string_view utf8Path);

  // --- Save -------------------------------------------------------------------------------
  // The checks in order, then the save step. Done when the screen may close; otherwise the
  // failure (every failed check's message), with FocusControl and FocusPage set, or Nothing
  // when the user declined to go on.
  browse::Outcome Ok();
  const std::string& FocusControl() const { return focus_; }
  OptionsPage FocusPage() const;

  // The record the controls make, after the text checks passed.
  common::RecordBuffer Image() const;
  // After a successful Ok: the record as saved.
  const common::RecordBuffer& Record() const { return record_; }
  // After a successful Ok: whether the saved company is the current one.
  bool SavedCurrentCompany() const { return savedCurrent_; }

  // What the screens showed last, for the next new company's defaults.
  records::company::LastShownOptions Shown() const;

 private:
  void Fill(std::span<const std::uint8_t> record);
  // The first text the record cannot hold, as a failure; nothing when they all fit.
  std::optional<browse::Outcome> TextProblem();
  browse::Outcome Fail(std::string_view control, std::string_view text, std::string_view caption);

  Services services_;
  Mode mode_ = Mode::Add;
  browse::SaveStep save_;
  std::string title_;
  std::string notice_;
  std::string currentNumber_;
  std::map<std::string, std::string, std::less<>> texts_;
  std::map<std::string, bool, std::less<>> checks_;
  std::array<common::FontSpec, 3> fonts_;
  std::array<common::FontSpec, records::company::kDocumentFontCount> documentFonts_;
  common::RecordBuffer base_{records::company::kCompanyRecordLength};  // what the image starts from
  common::RecordBuffer record_{records::company::kCompanyRecordLength};
  std::string focus_ = "CName";
  bool savedCurrent_ = false;
};

}  // namespace tf::companies
