#pragma once
// The shape of every manager window's screen model: the Customer Manager, the Product Manager,
// and the invoice, company, payment and repeat-billing managers still to come copy it. A manager
// window is a list over one index of one file block, with commands on the list's current record;
// ManagerModel holds the open file block, the record buffer the list reads its rows into, the
// list order, the two status panels and picking. Its Qt window derives from TManagerWindow
// (browse/ui/manager_window.h), which only shows what the model leaves and runs its commands.
//
// The rules every manager keeps:
//
// - Names are the domain's: Open, Close, Add, Edit, Delete, Find, Pick, SetOrder, Title,
//   CompanyCaption, Panel(n) ... Control names (Label1, OKBtn, SpeedButton3) and handler names
//   (OKBtnClick) belong to the forms only.
//
// - The manager model writes the records. Its editor model (CustomerEditor, ProductEditor, ...)
//   holds the fields as typed, runs the checks in order and builds the record image; it never
//   calls a records/ procedure that writes. The manager hands the editor a save step when the
//   editor begins (AddStep / ModifyStep below): the editor's Ok runs the checks, builds the
//   image and calls the step, which adds or modifies the record through the guarded records/
//   procedures (records/record_file.h). A failed check or a failed save keeps the editor window
//   open with the focus on its field, so nothing typed is lost. After the editor closed through
//   Ok the manager moves the list onto the saved record (GoToSaved) and does what follows a save
//   (the customer manager moves the company's next customer number on).
//
// - Errors are values. Every command returns an Outcome and never throws: Done, Nothing (the
//   user cancelled, or there was no current record) or Failed with the message that says why
//   (text, caption, icon), which the window shows once, in one place (ShowOutcome). An engine
//   failure of the list while it reads its rows (a BrowseError) becomes a failed outcome in Run,
//   for every command of every manager. Questions asked on the way ("Are you sure ...?") and
//   the notices of the records/ procedures ("The record has changed in the meantime.") go
//   through the Prompter as they come.
//
// - No process-wide state. What a manager works with comes in its services (ManagerServices and
//   the kind's own: the label queue, the dialogs it opens); what it keeps from one showing of its
//   window to the next (the list order, the last current record) lives in the model, which the
//   window owns for the whole run of the program.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "browse/manager_list.h"
#include "common/clock.h"
#include "common/prompter.h"
#include "common/record_buffer.h"
#include "common/record_fields.h"
#include "common/stored_font.h"
#include "common/text_report_viewer.h"
#include "engine/core/engine.h"
#include "engine/rebuilding/rebuild_status.h"
#include "records/company_store.h"
#include "records/record_file.h"

namespace tf::browse {

// The status panel 1 of a manager window while no command has reported anything.
inline constexpr std::string_view kMenuHint = "Right-click mouse or select from menu bar.";
// A manager whose file block cannot be opened: the program ends after this message.
inline constexpr std::string_view kUnableToOpenDatabase = "Unable to open database";

// What a command came to.
class Outcome {
 public:
  enum class Kind {
    Done,     // carried out (Pick: a record was picked and the window closes)
    Nothing,  // nothing to do: cancelled, declined, or no current record
    Failed,   // refused or failed; Message() says why
  };

  static Outcome Done() { return Outcome(Kind::Done); }
  static Outcome Nothing() { return Outcome(Kind::Nothing); }
  static Outcome Failed(std::string_view text, std::string_view caption = {},
                        common::PromptIcon icon = common::PromptIcon::Error);
  // A failure after which the program cannot go on (the manager's file block cannot be
  // opened): the window shows the message and ends the program.
  static Outcome Fatal(std::string_view text, std::string_view caption = {});

  Kind kind() const { return kind_; }
  bool IsDone() const { return kind_ == Kind::Done; }
  bool IsFailed() const { return kind_ == Kind::Failed; }
  bool EndsProgram() const { return endsProgram_; }
  // The message a failure shows (an OK box); empty otherwise.
  const common::PromptMessage& Message() const { return message_; }

 private:
  explicit Outcome(Kind kind) : kind_(kind) {}
  Kind kind_;
  bool endsProgram_ = false;
  common::PromptMessage message_;
};

// Shows a failed outcome's message; true when the outcome is not a failure.
bool ShowOutcome(common::Prompter& prompter, const Outcome& outcome);

// What an editor calls once its checks passed, with the record image it built: the manager adds
// or modifies the record and says whether it was written.
using SaveStep = std::function<Outcome(std::span<const std::uint8_t> image)>;

// What every manager needs from the program around it.
struct ManagerServices {
  records::CompanyBook& company;  // the current company: names, numbers, fonts, options
  common::Prompter& prompter;
  engine::RebuildStatus& status;  // rebuilds, and the status window of long reports
  common::TextReportViewer& reports;
  const common::Clock& clock;
};

class ManagerModel {
 public:
  virtual ~ManagerModel();
  ManagerModel(const ManagerModel&) = delete;
  ManagerModel& operator=(const ManagerModel&) = delete;

  // --- the window ----------------------------------------------------------------------------
  // On show: opens the file block and fills the list (on the record a picker asked for). Fatal
  // when the file block cannot be opened: the window shows the message and the program ends.
  // Nothing when the user declined to create a missing file block, Failed when the record a
  // picker asked for cannot be searched: the window then stays closed and the program goes on.
  Outcome Open();
  // On close: the list lets go of the file block, which is closed. Never fails.
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  engine::FileBlock* File() const { return file_; }

  virtual std::string Title() const = 0;
  // The company's name as every window shows it ("Please Setup Your Company." until it has
  // one), for the caption and the list reports.
  std::string CompanyName() const;
  // The company line above the list, the same in every manager window: the shown name and
  // " - #" (together cut to 39 characters), then CompanyNumber (the whole cut to 44).
  std::string CompanyCaption() const;
  virtual std::string ListHeader() const = 0;
  virtual std::string_view HelpTopic() const = 0;
  // The company's fonts: the caption's (its editor font) and the list's (its managers font).
  common::FontSpec CaptionFont() const;
  common::FontSpec ListFont() const;

  // The status panels: 0 the count of the current index, 1 the hint or the last outcome.
  const std::string& Panel(int n) const { return panels_[n == 0 ? 0 : 1]; }
  // The current row changed: panel 0 counts again.
  void RowChanged();

  // --- commands ------------------------------------------------------------------------------
  Outcome Add();
  Outcome Edit();
  Outcome Delete();
  Outcome Find();
  // Double-click or Enter: the current record becomes the selected one; Done when the window
  // is to close.
  Outcome Pick();
  // The list switches to key `keyNr` of the kind and stays on the current record.
  Outcome SetOrder(int keyNr);
  int Order() const { return order_; }

  // --- picking for other windows -------------------------------------------------------------
  // Each kind begins picking with its own key fields (BeginPicking); the window then opens on
  // that record.
  bool Picking() const { return picking_; }
  void EndPicking();
  // Whether Pick chose a record since the window was last opened, and that record.
  bool Picked() const { return picked_; }
  const common::RecordBuffer& Selected() const { return selected_; }

  // The buffer the list reads every row into.
  const common::RecordBuffer& Buffer() const { return buffer_; }

  // Runs one command: whatever it throws (an engine failure of the list) comes back as a failed
  // outcome carrying the exception's text.
  static Outcome Run(const std::function<Outcome()>& command);

 protected:
  ManagerModel(const ManagerServices& services, ManagerList& list, const records::RecordFileKind& kind);

  // --- what each kind does -------------------------------------------------------------------
  // Opens file_ (nullptr when it cannot: return the failure) and attaches the list's source.
  virtual Outcome OpenFile() = 0;
  // Before the file block is closed; the list still reads.
  virtual void Closing() {}
  virtual Outcome AddRecord() = 0;
  virtual Outcome EditRecord() = 0;
  virtual Outcome DeleteRecord() = 0;
  virtual Outcome FindRecord() = 0;

  // --- what they share -----------------------------------------------------------------------
  // The current row's record read again into the buffer; false when there is none or it cannot
  // be read (or, with `mustBeUnchanged`, no longer shows as listed: the list is refreshed).
  bool ReadCurrent(bool mustBeUnchanged);
  // The editor's save steps. `failure` is what a refused write comes to.
  SaveStep AddStep(Outcome failure);
  SaveStep ModifyStep(std::int32_t ref, std::span<const std::uint8_t> oldImage, Outcome failure);
  // After a save step wrote `image`: the list on it, counted again.
  void GoToSaved(std::span<const std::uint8_t> image);
  // The list on the record `ref` (read for its key in the current order).
  void GoToRef(std::int32_t ref);
  // Deletes the current record (read by ReadCurrent(true)) through the guarded delete; the list
  // shows what is left.
  Outcome DeleteCurrent(Outcome failure);
  void BeginPicking();
  std::string CompanyText(common::TextField field) const;

  ManagerServices shared_;
  ManagerList& list_;
  const records::RecordFileKind& kind_;
  engine::FileBlock* file_ = nullptr;
  common::RecordBuffer buffer_;    // the list reads each row into it
  common::RecordBuffer wanted_;    // picking: the key fields of the record to open on
  common::RecordBuffer selected_;  // the record picked
  int order_ = 1;
  bool picking_ = false;
  bool picked_ = false;
  std::string panels_[2];

 private:
  std::int32_t savedRef_ = 0;  // the record the last save step wrote
};

}  // namespace tf::browse
