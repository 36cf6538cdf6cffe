#pragma once
// The main window: the company caption over a tiled background, the button panel, the aging
// chart panel, the output choice, the menus and the two-panel status bar with the clock. Every
// command comes from the table in shell/main_window_model.h; a command whose window is not
// built yet is shown disabled until that window registers its handler. Each subsystem's ui
// library registers its windows in one call that the program makes at start-up, e.g.
//
//   customers::ui::InstallCustomerWindows(mainForm, services);
//
// which creates the windows as children of the main window and calls
//
//   mainForm.SetCommandHandler(CommandId::CustomerManager, [&manager] { manager.exec(); });

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QPixmap>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "common/date_text.h"
#include "common/stored_font.h"
#include "common/prompter.h"
#include "common/text_report_viewer.h"
#include "correspondence/label_queue.h"
#include "engine/rebuilding/rebuild_status.h"
#include "records/company_store.h"
#include "shell/main_window_model.h"

namespace tf::common::ui {
class TCalForm;
}

namespace tf::shell::ui {

// The client area: paints the background bitmap as tiles from the top-left corner.
class TBackground : public QWidget {
  Q_OBJECT

 public:
  explicit TBackground(QWidget* parent = nullptr);
  void SetTile(const QPixmap& tile);  // a null pixmap paints nothing
  const QPixmap& Tile() const { return tile_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap tile_;
};

// What the program hands every window a ui library installs, besides the main window itself
// (its company book, label queue and output choice).
struct WindowServices {
  common::Prompter& prompter;
  engine::RebuildStatus& status;      // the status window of rebuilds and long reports
  common::TextReportViewer& reports;  // the text report window
  const common::Clock& clock;
};

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  TMainForm(common::Prompter& prompter, const common::Clock& clock, QWidget* parent = nullptr);
  ~TMainForm() override;

  // The current company and the work company record: every window reads the options here.
  records::CompanyBook& Book() { return book_; }
  const records::CompanyBook& Book() const { return book_; }
  // The label queue for the whole run: the windows that add to it or print it share this one.
  correspondence::LabelQueue& LabelQueue() { return labelQueue_; }

  // --- what start-up applies ---------------------------------------------------------------
  // "Name\r     Number: 7" in the company's editor font (the "\r" breaks the line).
  void SetCompanyCaption(std::string_view caption, const common::FontSpec& font);
  // The caption of a company that has no name yet, in the window's own font.
  void SetPlainCaption(std::string_view caption);
  void SetShowHints(bool show);
  // The tiled background; a null pixmap switches it off.
  void SetBackground(const QPixmap& tile);
  bool BackgroundOn() const;
  // The company's date format, for the dates this window shows and proposes.
  void SetDateFormat(common::DateFormat format) { dateFormat_ = format; }
  common::DateFormat DateFormat() const { return dateFormat_; }
  void SetWorkingDate(std::string date) { workingDate_ = std::move(date); }
  const std::string& WorkingDate() const { return workingDate_; }
  // Places the window on the screen's work area (the screen less its task bars) and sizes it
  // to fill it, borders and title bar included once the window manager has framed it.
  void PlaceOnWorkArea();
  void PlaceOn(const QRect& workArea);

  // --- what FormShow calls, in order --------------------------------------------------------
  // The password check; false ends the program before anything else is shown.
  std::function<bool()> OnPasswordCheck = [] { return true; };
  // The company's default output, read when the window is first shown.
  std::function<OutputMode()> OnDefaultOutput = [] { return OutputMode::Printer; };
  // The daily aging decision, after the output choice. A company switch calls it too, once the
  // new company is current.
  std::function<void()> OnDailyAging = [] {};
  // The aging run itself, plugged in by the aging window; nothing until then.
  std::function<void()> RunAging;

  // --- what closing calls -------------------------------------------------------------------
  // The company's BackupPromptOnExit, read when the window closes.
  std::function<bool()> OnBackupPromptFlag = [] { return false; };
  std::function<void()> OnOfferBackup = [] {};
  std::function<void()> OnExitEngine = [] {};

  // --- commands -----------------------------------------------------------------------------
  // Enables the command's menu item and tool button and runs `handler` for them.
  void SetCommandHandler(CommandId id, std::function<void()> handler);
  bool CommandAvailable(CommandId id) const { return availability_.Available(id); }
  // As the tool button (fromButton) or the menu item would.
  void RunCommand(CommandId id, bool fromButton);

  // --- state other windows read -------------------------------------------------------------
  OutputMode Output() const;
  // Labels in the queue that nobody printed or saved yet: closing asks first.
  bool LabelQueuePending() const { return labelQueue_.Unsaved(); }
  void SetLabelQueuePending(bool pending) { labelQueue_.SetUnsaved(pending); }
  bool ChartForcing() const { return chartForcing_; }
  void SetChartForcing(bool forcing) { chartForcing_ = forcing; }
  void ShowChart();
  void HideChart();
  // Status panel 1 ("Ready." and the progress of long operations).
  void SetStatusText(std::string_view text);
  // Brings the window forward, restoring it when minimised.
  void BringForward();

  // --- platform actions, replaceable in tests -----------------------------------------------
  std::function<bool(const QUrl&)> OpenUrl;
  std::function<bool(const QString& program)> StartProgram;
  std::function<std::string()> CalculatorSearchPath;  // $PATH by default
  std::function<void(std::string_view topic)> ShowHelp;

  // Lays the panels out (also on every resize).
  void LayoutPanels();

  // The controls, by their names.
  TBackground* Background;
  QFrame* TitlePanel;
  QLabel* NameCap;
  QFrame* Panel1;
  QFrame* Panel2;
  QFrame* SelOut;
  QRadioButton* PrinDef;
  QRadioButton* EMdef;
  QLabel* Label5;
  QLabel* StatusPanel0;
  QLabel* StatusPanel1;
  QTimer* Timer1;
  common::ui::TCalForm* CalForm;  // the date selection window, shared with other windows

  QAction* Action(CommandId id) const { return actions_[Index(id)]; }
  QToolButton* Button(CommandId id) const { return buttons_[Index(id)]; }

 signals:
  // The password check failed in FormShow: the program ends.
  void StartupRefused();

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  static std::size_t Index(CommandId id) { return static_cast<std::size_t>(id); }
  void CreateMenus();
  void CreatePanels();
  void CreateStatusBar();
  void InstallOwnHandlers();
  void UpdateCommand(CommandId id);
  void UpdateHints();
  void Timer1Timer();
  void OutputChanged();
  void FormShow();

  // The main window's own commands.
  void Calculator1Click();
  void ViewCalendar1Click();
  void PrinterSetup1Click();
  void About1Click();
  void HomeButnClick();

  records::CompanyBook book_;
  correspondence::LabelQueue labelQueue_;
  common::Prompter& prompter_;
  const common::Clock& clock_;
  CommandAvailability availability_;
  static constexpr std::size_t kCommandCount = static_cast<std::size_t>(CommandId::HomePage) + 1;
  std::array<std::function<void()>, kCommandCount> handlers_{};
  std::array<QAction*, kCommandCount> actions_{};
  std::array<QToolButton*, kCommandCount> buttons_{};
  common::DateFormat dateFormat_ = common::DateFormat::MonthFirst;
  std::string workingDate_;
  bool showHints_ = true;
  bool chartForcing_ = false;
  bool shown_ = false;
  QRect workArea_;  // where PlaceOn put the window
  bool closed_ = false;
};

}  // namespace tf::shell::ui
