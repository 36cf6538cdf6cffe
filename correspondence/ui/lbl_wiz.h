#pragma once
// Tlblwiz ("Label Wizard / Print Queue"): the run's label queue in a list of four columns, the
// commands that fill and empty it, the label layout's fields, and printing the labels, bound to
// correspondence::LabelWizard. The window is created once and only hidden, so the queue and
// the fields outlive each showing.

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "common/print_canvas.h"
#include "common/record_buffer.h"
#include "correspondence/label_wizard.h"

namespace tf::correspondence::ui {

class Tlblwiz : public QDialog {
  Q_OBJECT

 public:
  explicit Tlblwiz(LabelWizardServices services, QWidget* parent = nullptr);
  ~Tlblwiz() override;

  // FormShow, then the modal loop.
  int exec() override;
  LabelWizard& Model() { return *model_; }

  // --- platform actions, replaceable in tests ----------------------------------------------
  // The customer manager as a picker.
  std::function<std::optional<common::RecordBuffer>()> PickCustomer;
  // File dialogs: the chosen path, or nothing.
  std::function<std::optional<std::filesystem::path>(const QString& title, const QString& filter, bool save)> ChooseFile;
  // The print dialog: a canvas, or nothing when cancelled.
  std::function<std::unique_ptr<common::PrintCanvas>()> ChooseCanvas;
  std::function<std::optional<common::FontSpec>(const common::FontSpec& current)> ChooseFont;
  std::function<void()> PrintSetup;
  std::function<void(std::string_view topic)> ShowHelp;
  std::function<void()> Beep;

  // --- controls, by their names ------------------------------------------------------------
  QMenuBar* MainMenu1;
  QAction* Open2;
  QAction* SaveAs1;
  QAction* CalibrationRuler1;
  QAction* Close1;
  QMenu* Records1;
  QAction* Add1;
  QAction* Delete1;
  QAction* SaveToFile1;
  QAction* LoadFromFile1;
  QAction* LoadAging[4];
  QAction* LoadAllCustomers1;
  QAction* ClearAll1;
  QAction* Overview1;

  QToolButton* AddOne;
  QToolButton* SpeedButton2;
  QToolButton* SpeedButton3;
  QToolButton* SavetoFile;
  QToolButton* LoadFrmFile;
  QToolButton* LoadAllRecs;
  QPushButton* zero30;
  QPushButton* A3060;
  QPushButton* A6090;
  QPushButton* AOver90;
  QToolButton* SpeedButton1;
  QToolButton* CanButn;

  QTreeWidget* LabelList;

  QLineEdit* Edit1;
  QLineEdit* LMargin;
  QLineEdit* TMargin;
  QLineEdit* ColAcross;
  QLineEdit* RowsDown;
  QLineEdit* LWdth;
  QLineEdit* LHght;
  QPushButton* FontButn;
  QLabel* CFName;
  QCheckBox* CheckBox1;
  QCheckBox* UseCmpAdd;
  QLineEdit* BMapName;
  QPushButton* BitMpButn;
  QCheckBox* PLine;
  QLineEdit* MaskEdit1;
  QLineEdit* CaptName;

  QLineEdit* LblStart;
  QLineEdit* LabelCopies;
  QPushButton* PrnButn;
  QPushButton* SpeedButton4;
  QStatusBar* StatusBar1;
  QLabel* StatusPanel0;

 private:
  void CreateMenus();
  void CreateControls();
  void FormShow();
  // Screen fields into the model and back; the list, the enabled commands and the status.
  void Store();
  void Load();
  void Refresh();
  void UseCmpAddClick();
  std::optional<std::size_t> SelectedRow() const;
  // Runs a model command between Store and Refresh.
  void Command(const std::function<void()>& command);

  void Open2Click();
  void SaveAs1Click();
  void CalibrationRuler1Click();
  void AddOneClick();
  void SpeedButton2Click();
  void SpeedButton3Click();
  void SavetoFileClick();
  void LoadFrmFileClick();
  void LoadAllRecsClick();
  void AgingClick(int category);
  void FontButnClick();
  void BitMpButnClick();
  void PrnButnClick();
  void LabelListColumnClick(int column);

  LabelQueue& queue_;
  std::unique_ptr<LabelWizard> model_;
  std::unique_ptr<common::PrintCanvas> canvas_;  // the last job's, kept until the next
};

}  // namespace tf::correspondence::ui
