#include "correspondence/ui/lbl_wiz.h"

#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "common/help_topics.h"
#include "common/ui/command_widgets.h"
#include "common/ui/help_window.h"
#include "common/ui/qt_font.h"
#include "common/ui/qt_print_canvas.h"
#include "common/text.h"
#include "common/ui/qt_text.h"

namespace tf::correspondence::ui {

using common::ui::FromQString;
using common::ui::ToQString;

namespace {

constexpr std::string_view kCaption = "Label Wizard / Print Queue";
constexpr std::string_view kHelpTopic = common::help::kLabelWizard;

// A field that takes digits only, as many as its mask has places.
QLineEdit* NumberField(QWidget* parent, const char* name, int digits) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setMaxLength(digits);
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QString("[0-9]{0,%1}").arg(digits)), edit));
  common::ui::ShowWholeText(edit, digits + 1);
  return edit;
}

QLineEdit* TextField(QWidget* parent, const char* name, int length) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setMaxLength(length);
  return edit;
}

QPushButton* AgingButton(QWidget* parent, const char* name, const char* hint) {
  QPushButton* b = common::ui::PushButton(parent, name, "");
  b->setToolTip(hint);
  return b;
}

}  // namespace

Tlblwiz::Tlblwiz(LabelWizardServices services, QWidget* parent)
    : QDialog(parent), queue_(services.queue), model_(std::make_unique<LabelWizard>(services)) {
  setObjectName("Tlblwiz");
  setWindowTitle(ToQString(kCaption));
  CreateMenus();
  CreateControls();

  PickCustomer = [] { return std::optional<common::RecordBuffer>(); };
  ChooseFile = [this](const QString& title, const QString& filter,
                      bool save) -> std::optional<std::filesystem::path> {
    const QString path = save ? QFileDialog::getSaveFileName(this, title, QString(), filter)
                              : QFileDialog::getOpenFileName(this, title, QString(), filter);
    if (path.isEmpty()) return std::nullopt;
    return std::filesystem::path(QFile::encodeName(path).toStdString());
  };
  ChooseCanvas = [this]() -> std::unique_ptr<common::PrintCanvas> { return common::ui::ChoosePrinterCanvas(this); };
  ChooseFont = [this](const common::FontSpec& current) -> std::optional<common::FontSpec> {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, common::ui::ToQFont(current), this, "Font");
    if (!ok) return std::nullopt;
    const QColor colour = QColorDialog::getColor(common::ui::ToQColor(current.colour), this, "Color");
    return common::ui::FromQFont(font, colour.isValid() ? colour : common::ui::ToQColor(current.colour));
  };
  PrintSetup = [this] { common::ui::PrinterSetup(this); };
  ShowHelp = [this](std::string_view topic) { common::ui::ShowHelpTopic(topic, this); };
  Beep = [] { QApplication::beep(); };

  model_->Create();
  Load();
  Refresh();
}

Tlblwiz::~Tlblwiz() = default;

void Tlblwiz::CreateMenus() {
  using common::ui::Action;
  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName("MainMenu1");
  QMenu* label = MainMenu1->addMenu("&Label");
  Open2 = Action(this, "Open2", "&Open...");
  SaveAs1 = Action(this, "SaveAs1", "&Save As...");
  CalibrationRuler1 = Action(this, "CalibrationRuler1", "Calibration &Ruler");
  Close1 = Action(this, "Close1", "&Close");
  label->addActions({Open2, SaveAs1, CalibrationRuler1, Close1});
  Records1 = MainMenu1->addMenu("&Records");
  Records1->setObjectName("Records1");
  Add1 = Action(this, "Add1", "&Add");
  Delete1 = Action(this, "Delete1", "&Delete");
  SaveToFile1 = Action(this, "SaveToFile1", "&Save To File");
  LoadFromFile1 = Action(this, "LoadFromFile1", "Load &From File");
  Records1->addActions({Add1, Delete1, SaveToFile1, LoadFromFile1});
  for (int i = 0; i < 4; ++i) {
    const std::string name = "LoadAgingCategory" + std::to_string(i + 1);
    LoadAging[i] = Action(this, name.c_str(), ("Load Aging Category " + std::to_string(i + 1)).c_str());
    Records1->addAction(LoadAging[i]);
  }
  LoadAllCustomers1 = Action(this, "LoadAllCustomers1", "&Load All Customers");
  ClearAll1 = Action(this, "ClearAll1", "&Clear All");
  Records1->addActions({LoadAllCustomers1, ClearAll1});
  QMenu* help = MainMenu1->addMenu("&Help");
  Overview1 = Action(this, "Overview1", "&Overview");
  help->addAction(Overview1);

  connect(Open2, &QAction::triggered, this, [this] { Open2Click(); });
  connect(SaveAs1, &QAction::triggered, this, [this] { SaveAs1Click(); });
  connect(CalibrationRuler1, &QAction::triggered, this, [this] { CalibrationRuler1Click(); });
  connect(Close1, &QAction::triggered, this, &QDialog::reject);
  connect(Add1, &QAction::triggered, this, [this] { AddOneClick(); });
  connect(Delete1, &QAction::triggered, this, [this] { SpeedButton2Click(); });
  connect(SaveToFile1, &QAction::triggered, this, [this] { SavetoFileClick(); });
  connect(LoadFromFile1, &QAction::triggered, this, [this] { LoadFrmFileClick(); });
  for (int i = 0; i < 4; ++i) connect(LoadAging[i], &QAction::triggered, this, [this, i] { AgingClick(i + 1); });
  connect(LoadAllCustomers1, &QAction::triggered, this, [this] { LoadAllRecsClick(); });
  connect(ClearAll1, &QAction::triggered, this, [this] { SpeedButton3Click(); });
  connect(Overview1, &QAction::triggered, this, [this] { ShowHelp(kHelpTopic); });
}

void Tlblwiz::CreateControls() {
  using common::ui::ToolButton;
  AddOne = ToolButton(this, "AddOne", "Find Customer", QStyle::SP_FileDialogNewFolder);
  SpeedButton2 = ToolButton(this, "SpeedButton2", "Delete Record", QStyle::SP_TrashIcon);
  SpeedButton3 = ToolButton(this, "SpeedButton3", "Clear All Records", QStyle::SP_DialogResetButton);
  SavetoFile = ToolButton(this, "SavetoFile", "Save Records to File", QStyle::SP_DialogSaveButton);
  LoadFrmFile = ToolButton(this, "LoadFrmFile", "Load Records from Saved File", QStyle::SP_DialogOpenButton);
  LoadAllRecs = ToolButton(this, "LoadAllRecs", "Load All Customers", QStyle::SP_FileDialogDetailedView);
  zero30 = AgingButton(this, "zero30", "Loads customers with a balance due in aging category 1");
  A3060 = AgingButton(this, "A3060", "Loads customers with a balance due in aging category 2");
  A6090 = AgingButton(this, "A6090", "Loads customers with a balance due in aging category 3");
  AOver90 = AgingButton(this, "AOver90", "Loads customers with a balance due older than aging category 3");
  SpeedButton1 = ToolButton(this, "SpeedButton1", "Help", QStyle::SP_DialogHelpButton);
  CanButn = ToolButton(this, "CanButn", "Close", QStyle::SP_DialogCloseButton);

  LabelList = new QTreeWidget(this);
  LabelList->setObjectName("LabelList");
  LabelList->setRootIsDecorated(false);
  LabelList->setHeaderLabels({"Number", "Customer Name", "Sort Code", "Customer Type"});
  const int widths[] = {75, 200, 100, 145};
  for (int i = 0; i < 4; ++i) LabelList->setColumnWidth(i, widths[i]);
  LabelList->header()->setSectionsClickable(true);

  Edit1 = TextField(this, "Edit1", 50);
  LMargin = NumberField(this, "LMargin", 3);
  TMargin = NumberField(this, "TMargin", 3);
  ColAcross = NumberField(this, "ColAcross", 1);
  RowsDown = NumberField(this, "RowsDown", 2);
  LWdth = NumberField(this, "LWdth", 4);
  LHght = NumberField(this, "LHght", 4);
  FontButn = common::ui::PushButton(this, "FontButn", "&Font");
  CFName = new QLabel(this);
  CFName->setObjectName("CFName");
  CheckBox1 = new QCheckBox("Use Shipping Address", this);
  CheckBox1->setObjectName("CheckBox1");
  UseCmpAdd = new QCheckBox("Print company return address", this);
  UseCmpAdd->setObjectName("UseCmpAdd");
  BMapName = TextField(this, "BMapName", 255);
  BMapName->setReadOnly(true);
  BitMpButn = common::ui::PushButton(this, "BitMpButn", "&Bitmap");
  PLine = new QCheckBox("Print line between addresses", this);
  PLine->setObjectName("PLine");
  MaskEdit1 = NumberField(this, "MaskEdit1", 1);
  CaptName = TextField(this, "CaptName", 10);
  LblStart = NumberField(this, "LblStart", 2);
  LabelCopies = NumberField(this, "LabelCopies", 3);
  PrnButn = common::ui::PushButton(this, "PrnButn", "&Print Labels");
  SpeedButton4 = common::ui::PushButton(this, "SpeedButton4", "Print S&etup");
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setSizeGripEnabled(false);
  StatusPanel0 = new QLabel(this);
  StatusPanel0->setObjectName("StatusPanel0");
  StatusBar1->addWidget(StatusPanel0, 1);

  auto* tools = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{AddOne, SpeedButton2, SpeedButton3, SavetoFile, LoadFrmFile,
                                                     LoadAllRecs, zero30, A3060, A6090, AOver90})
    tools->addWidget(w);
  tools->addStretch();
  tools->addWidget(SpeedButton1);
  tools->addWidget(CanButn);

  auto* geometry = new QGridLayout;
  const std::pair<const char*, QLineEdit*> numbers[] = {{"Left Margin:", LMargin},     {"Top Margin:", TMargin},
                                                        {"Columns Across:", ColAcross}, {"Rows Down:", RowsDown},
                                                        {"Label Width:", LWdth},        {"Label Height:", LHght}};
  for (int i = 0; i < 6; ++i) {
    auto* caption = new QLabel(numbers[i].first, this);
    caption->setBuddy(numbers[i].second);
    geometry->addWidget(caption, i / 2, (i % 2) * 2);
    geometry->addWidget(numbers[i].second, i / 2, (i % 2) * 2 + 1);
  }
  auto* description = new QLabel("Layout &Description:", this);
  description->setBuddy(Edit1);
  auto* font = new QHBoxLayout;
  font->addWidget(FontButn);
  font->addWidget(CFName, 1);
  auto* bitmap = new QHBoxLayout;
  bitmap->addWidget(BMapName, 1);
  bitmap->addWidget(BitMpButn);
  auto* returnForm = new QFormLayout;
  returnForm->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  returnForm->addRow(UseCmpAdd);
  returnForm->addRow(bitmap);
  returnForm->addRow(PLine);
  returnForm->addRow("Line Width:", MaskEdit1);
  returnForm->addRow("Send To Caption:", CaptName);
  auto* layoutBox = new QGroupBox("Label Layout", this);
  auto* layoutColumn = new QVBoxLayout(layoutBox);
  layoutColumn->addWidget(description);
  layoutColumn->addWidget(Edit1);
  layoutColumn->addLayout(geometry);
  layoutColumn->addLayout(font);
  layoutColumn->addWidget(CheckBox1);
  layoutColumn->addLayout(returnForm);
  layoutColumn->addStretch();

  auto* printRow = new QFormLayout;
  printRow->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  auto* start = new QLabel("&Start at Label:", this);
  start->setBuddy(LblStart);
  printRow->addRow(start, LblStart);
  printRow->addRow("Copies of each label:", LabelCopies);
  auto* printButtons = new QHBoxLayout;
  printButtons->addLayout(printRow);
  printButtons->addStretch();
  printButtons->addWidget(SpeedButton4);
  printButtons->addWidget(PrnButn);

  auto* body = new QHBoxLayout;
  body->addWidget(LabelList, 3);
  body->addWidget(layoutBox, 2);
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(MainMenu1);
  layout->addLayout(tools);
  layout->addLayout(body, 1);
  layout->addLayout(printButtons);
  layout->addWidget(StatusBar1);
  resize(960, 560);

  connect(AddOne, &QToolButton::clicked, this, [this] { AddOneClick(); });
  connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
  connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
  connect(SavetoFile, &QToolButton::clicked, this, [this] { SavetoFileClick(); });
  connect(LoadFrmFile, &QToolButton::clicked, this, [this] { LoadFrmFileClick(); });
  connect(LoadAllRecs, &QToolButton::clicked, this, [this] { LoadAllRecsClick(); });
  connect(zero30, &QPushButton::clicked, this, [this] { AgingClick(1); });
  connect(A3060, &QPushButton::clicked, this, [this] { AgingClick(2); });
  connect(A6090, &QPushButton::clicked, this, [this] { AgingClick(3); });
  connect(AOver90, &QPushButton::clicked, this, [this] { AgingClick(4); });
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { ShowHelp(kHelpTopic); });
  connect(CanButn, &QToolButton::clicked, this, &QDialog::reject);
  connect(FontButn, &QPushButton::clicked, this, [this] { FontButnClick(); });
  connect(BitMpButn, &QPushButton::clicked, this, [this] { BitMpButnClick(); });
  connect(UseCmpAdd, &QCheckBox::clicked, this, [this] { UseCmpAddClick(); });
  connect(PrnButn, &QPushButton::clicked, this, [this] { PrnButnClick(); });
  connect(SpeedButton4, &QPushButton::clicked, this, [this] { PrintSetup(); });
  connect(LabelList->header(), &QHeaderView::sectionClicked, this, [this](int c) { LabelListColumnClick(c); });
}

int Tlblwiz::exec() {
  FormShow();
  return QDialog::exec();
}

void Tlblwiz::FormShow() {
  model_->Show();
  const auto captions = model_->AgingCaptions();
  QPushButton* buttons[] = {zero30, A3060, A6090, AOver90};
  for (int i = 0; i < 4; ++i) {
    buttons[i]->setText(ToQString(captions[std::size_t(i)]));
    LoadAging[i]->setText(ToQString("Load Aging Category " + std::to_string(i + 1)));
  }
  Load();
  Refresh();
}

void Tlblwiz::Store() {
  LabelLayout& f = model_->Fields;
  f.Description = FromQString(Edit1->text());
  f.LeftMargin = FromQString(LMargin->text());
  f.TopMargin = FromQString(TMargin->text());
  f.ColumnsAcross = FromQString(ColAcross->text());
  f.RowsDown = FromQString(RowsDown->text());
  f.LabelWidth = FromQString(LWdth->text());
  f.LabelHeight = FromQString(LHght->text());
  f.UseShippingAddress = CheckBox1->isChecked();
  f.PrintReturnAddress = UseCmpAdd->isChecked();
  if (f.PrintReturnAddress) f.BitmapPath = FromQString(BMapName->text());
  f.PrintLine = PLine->isChecked();
  f.LineWidth = FromQString(MaskEdit1->text());
  f.SendToCaption = FromQString(CaptName->text());
  model_->StartLabel = FromQString(LblStart->text());
  model_->Copies = FromQString(LabelCopies->text());
}

void Tlblwiz::Load() {
  const LabelLayout& f = model_->Fields;
  Edit1->setText(ToQString(f.Description));
  LMargin->setText(ToQString(f.LeftMargin));
  TMargin->setText(ToQString(f.TopMargin));
  ColAcross->setText(ToQString(f.ColumnsAcross));
  RowsDown->setText(ToQString(f.RowsDown));
  LWdth->setText(ToQString(f.LabelWidth));
  LHght->setText(ToQString(f.LabelHeight));
  CFName->setText(ToQString(f.Font.face + " " + std::to_string(f.Font.size)));
  common::ui::ApplyFontSpec(*CFName, f.Font, QPalette::WindowText);
  CheckBox1->setChecked(f.UseShippingAddress);
  UseCmpAdd->setChecked(f.PrintReturnAddress);
  PLine->setChecked(f.PrintLine);
  MaskEdit1->setText(ToQString(f.LineWidth));
  CaptName->setText(ToQString(f.SendToCaption));
  LblStart->setText(ToQString(model_->StartLabel));
  LabelCopies->setText(ToQString(model_->Copies));
  UseCmpAddClick();
}

void Tlblwiz::UseCmpAddClick() {
  const bool on = UseCmpAdd->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{PLine, MaskEdit1, CaptName, BitMpButn}) w->setEnabled(on);
  BMapName->setText(on ? ToQString(common::TrimBoth(model_->Fields.BitmapPath)) : QString());
}

void Tlblwiz::Refresh() {
  LabelList->clear();
  QList<QTreeWidgetItem*> rows;
  for (const LabelQueueEntry& e : queue_.Entries())
    rows.append(new QTreeWidgetItem({ToQString(e.CustomerNumber), ToQString(e.CustomerName),
                                     ToQString(e.MailSortCode), ToQString(e.CustomerType)}));
  LabelList->addTopLevelItems(rows);
  const bool ready = model_->Ready();
  for (QWidget* w : std::initializer_list<QWidget*>{PrnButn, AddOne, LoadAllRecs, SpeedButton2, FontButn, SavetoFile,
                                                     SpeedButton3, LoadFrmFile, zero30, A3060, A6090, AOver90})
    w->setEnabled(ready);
  for (QAction* a : {SaveAs1, Add1, Delete1, SaveToFile1, LoadFromFile1, LoadAllCustomers1, ClearAll1}) a->setEnabled(ready);
  for (QAction* a : LoadAging) a->setEnabled(ready);
  Records1->setEnabled(ready);
  StatusPanel0->setText(ToQString(model_->Status()));
}

std::optional<std::size_t> Tlblwiz::SelectedRow() const {
  const QTreeWidgetItem* item = LabelList->currentItem();
  if (!item || !item->isSelected()) return std::nullopt;
  return std::size_t(LabelList->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)));
}

void Tlblwiz::Command(const std::function<void()>& command) {
  Store();
  command();
  Load();
  Refresh();
}

void Tlblwiz::Open2Click() {
  Command([this] {
    if (const auto path = ChooseFile("Open Label Layout", "Label files (*.LBL *.lbl)", false)) model_->OpenLayout(*path);
  });
}

void Tlblwiz::SaveAs1Click() {
  Command([this] {
    if (const auto path = ChooseFile("Save Label Layout", "Label files (*.LBL *.lbl)", true)) {
      std::filesystem::path named = *path;
      if (!named.has_extension()) named += ".LBL";
      model_->SaveLayoutAs(named);
    }
  });
}

void Tlblwiz::CalibrationRuler1Click() {
  Command([this] {
    model_->PrintCalibrationRuler([this]() -> common::PrintCanvas* {
      canvas_ = ChooseCanvas();
      return canvas_.get();
    });
  });
}

void Tlblwiz::AddOneClick() {
  Store();
  StatusPanel0->setText(ToQString(kPickingStatus));
  const std::optional<common::RecordBuffer> picked = PickCustomer();
  if (picked) {
    model_->AddPicked(*picked);
    Refresh();
    LabelList->scrollToItem(LabelList->topLevelItem(LabelList->topLevelItemCount() - 1));
  } else {
    StatusPanel0->setText(ToQString(kPickedStatus));
  }
}

void Tlblwiz::SpeedButton2Click() {
  const std::optional<std::size_t> row = SelectedRow();
  Command([this, row] { model_->Delete(row); });
}

void Tlblwiz::SpeedButton3Click() {
  Command([this] {
    if (!model_->ClearAll()) Beep();
  });
}

void Tlblwiz::SavetoFileClick() {
  Command([this] {
    if (!model_->HasRecords()) return model_->SaveToFile({});  // says there is nothing to save
    if (const auto path = ChooseFile("Save Records", "Record List (*.LST *.lst)", true)) {
      std::filesystem::path named = *path;
      if (!named.has_extension()) named += ".LST";
      model_->SaveToFile(named);
    }
  });
}

void Tlblwiz::LoadFrmFileClick() {
  Command([this] {
    if (const auto path = ChooseFile("Load Records", "Record List (*.LST *.lst)", false)) model_->LoadFromFile(*path);
  });
}

void Tlblwiz::LoadAllRecsClick() {
  Command([this] { model_->LoadAllCustomers(); });
}

void Tlblwiz::AgingClick(int category) {
  Command([this, category] { model_->LoadAgingCategory(category); });
}

void Tlblwiz::FontButnClick() {
  Command([this] {
    if (const auto font = ChooseFont(model_->Fields.Font)) model_->Fields.Font = *font;
  });
}

void Tlblwiz::BitMpButnClick() {
  Command([this] {
    if (const auto path = ChooseFile("Bitmap", "Bitmap Image (*.BMP *.bmp)", false))
      model_->Fields.BitmapPath = path->string();
  });
}

void Tlblwiz::PrnButnClick() {
  Command([this] {
    model_->Print(
        [this]() -> common::PrintCanvas* {
          canvas_ = ChooseCanvas();
          return canvas_.get();
        },
        [this]() -> std::optional<std::filesystem::path> {
          auto path = ChooseFile("Save Label Layout", "Label files (*.LBL *.lbl)", true);
          if (path && !path->has_extension()) *path += ".LBL";
          return path;
        });
  });
}

void Tlblwiz::LabelListColumnClick(int column) {
  queue_.SortByColumn(column);
  Refresh();
}

}  // namespace tf::correspondence::ui
