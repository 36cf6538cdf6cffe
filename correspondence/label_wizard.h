#pragma once
// The Label Wizard's screen model ("Label Wizard / Print Queue"): the run's label queue, the
// label layout on the screen and the one last opened or saved, and the commands of the screen.
// Plain C++: the form (correspondence/ui/lbl_wiz.h) binds its controls to it, the tool prints
// through the same PrintLabels.
//
// The queue is filled from the customer manager's picker, from the whole customer file, from an
// aging category, or from a record list file; it is emptied by delete and clear. Its unsaved
// flag is cleared when the list is saved, cleared, or printed, and for printing only once the
// print job ended well: a job that failed leaves the labels waiting, and the question at exit
// still asks about them.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/print_canvas.h"
#include "common/prompter.h"
#include "correspondence/label_layout.h"
#include "correspondence/label_queue.h"
#include "engine/rebuilding/rebuild_status.h"

namespace tf::correspondence {

inline constexpr std::string_view kNoLayoutStatus = "Open a label layout file (Label Menu)...";
inline constexpr std::string_view kReadyStatus = "Ready. Add and remove records as needed or select print button.";
inline constexpr std::string_view kPickingStatus = "Double-click or press <enter> to select.";
inline constexpr std::string_view kPickedStatus = "Right-click mouse or select from menu bar.";
inline constexpr std::string_view kPrintCaption = "Print Labels";
inline constexpr std::string_view kEmptyQueueText = "You do not have any customer records listed in the print queue.";
inline constexpr std::string_view kLayoutChangedText =
    "Your layout settings have changed. Do you want to save the changes before printing?";
inline constexpr std::string_view kNoSelectionText =
    "You have not selected a record for deletion. To select a record, click on column 1 (Customer Number) of that "
    "record to hilite it and then select the delete option.";
inline constexpr std::string_view kDeleteCaption = "Delete Record";
inline constexpr std::string_view kClearText = "This will clear all records in the print queue. Continue?";
inline constexpr std::string_view kConfirmCaption = "Please Confirm";
inline constexpr std::string_view kNothingToSaveText = "You do not have any customer records to save.";
inline constexpr std::string_view kSaveRecordsCaption = "Save Records";
inline constexpr std::string_view kNoRecordsFoundText = "No records were found.";
inline constexpr std::string_view kRulerText =
    "This feature will print the calibration ruler on your printer. You can use it to help you calculate margin "
    "settings. Continue?";

struct LabelWizardServices {
  LabelQueue& queue;  // the main window's
  common::Prompter& prompter;
  engine::RebuildStatus& status;  // the status window, for a customer file that needs repair
  std::function<std::span<const std::uint8_t>()> company;  // the current company record
};

class LabelWizard {
 public:
  explicit LabelWizard(LabelWizardServices services);

  // --- the screen ------------------------------------------------------------------------------
  LabelLayout Fields;             // the layout fields as the screen shows them
  std::string StartLabel = "1";   // "&Start at Label:"
  std::string Copies = "1";       // "Copies of each label:"

  // Creating the screen: the layout named in "Lastlbl.DAT", when there is one.
  void Create();
  // Showing it: start label and copies back to 1.
  void Show();
  // A layout is loaded: printing and the queue commands are enabled.
  bool Ready() const { return loaded_.has_value(); }
  const std::optional<LabelLayout>& Loaded() const { return loaded_; }
  const std::filesystem::path& LayoutPath() const { return layoutPath_; }
  // Status panel 0.
  const std::string& Status() const { return status_; }
  // The aging buttons' captions: the company's captions (its days where they are blank) and
  // "Over " + the third days.
  std::array<std::string, 4> AgingCaptions() const;

  // --- layout files --------------------------------------------------------------------------
  bool OpenLayout(const std::filesystem::path& path);
  bool SaveLayoutAs(const std::filesystem::path& path);
  // The fields the print question compares differ from the loaded layout.
  bool LayoutChanged() const;

  // --- the queue -----------------------------------------------------------------------------
  // The customer picked in the customer manager.
  void AddPicked(std::span<const std::uint8_t> customer);
  void LoadAllCustomers();
  // 1 .. 4: customers with a balance in that aging category.
  void LoadAgingCategory(int category);
  void LoadFromFile(const std::filesystem::path& path);
  void SaveToFile(const std::filesystem::path& path);
  // The row selected in the list, if any.
  void Delete(std::optional<std::size_t> selected);
  // False when the queue was empty (the form beeps).
  bool ClearAll();
  // "Save To File" needs a name only when there is something to save.
  bool HasRecords() const { return services_.queue.Size() > 0; }

  // --- printing ------------------------------------------------------------------------------
  // The print dialog: a canvas for one job, kept by the caller until the next, or nothing when
  // the user cancelled.
  using ChooseCanvas = std::function<common::PrintCanvas*()>;
  // The save dialog for "Save As": a path, or nothing when the user cancelled.
  using ChoosePath = std::function<std::optional<std::filesystem::path>()>;
  // True when labels went to the printer and the job ended well.
  bool Print(const ChooseCanvas& chooseCanvas, const ChoosePath& chooseSavePath);
  bool PrintCalibrationRuler(const ChooseCanvas& chooseCanvas);

 private:
  // Opens the company's customer file for one command; nothing when it could not be.
  struct CustomerFile;
  std::unique_ptr<CustomerFile> OpenCustomers();
  void Loaded(const LabelLayout& layout, const std::filesystem::path& path);
  std::string Selected(std::size_t count, const char* words) const;

  LabelWizardServices services_;
  std::optional<LabelLayout> loaded_;
  std::filesystem::path layoutPath_;
  std::string status_;
};

}  // namespace tf::correspondence
