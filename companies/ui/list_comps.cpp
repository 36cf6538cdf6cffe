#include "companies/ui/list_comps.h"

#include <QKeyEvent>
#include <QLayout>
#include <QStyle>

#include "common/ui/command_widgets.h"
#include "common/ui/manager_frame.h"
#include "common/ui/qt_text.h"
#include "companies/ui/comp_set.h"
#include "records/company_record.h"

namespace tf::companies::ui {

using common::ui::Action;
using common::ui::ToolButton;
using common::ui::ToQString;
namespace company = records::company;

TListComps::TListComps(browse::ManagerServices services, std::function<bool()> checkPassword, QWidget* parent)
    : TManagerWindow(services.prompter, parent), services_(services) {
  setObjectName("TListComps");
  setWindowTitle(ToQString(kManagerCaption));
  BuildControls();
  BuildMenus();
  options_ = new TCompSet(this);
  findBox_ = new finder::ui::TFindBox(services_.prompter, this);
  FindDialog = [this](const finder::FindMode& mode) { return findBox_->Run(mode); };
  model_ = std::make_unique<CompanyManager>(
      CompanyManagerServices{services_,
                             [this](CompanyOptions& options) { return options_->Run(options, services_.prompter); },
                             [this](const finder::FindMode& mode) -> std::optional<std::string> {
                               return FindDialog ? FindDialog(mode) : std::nullopt;
                             },
                             std::move(checkPassword)},
      List());
  SetModel(*model_);
  // The manager ends the program when the company file cannot be opened, with its own words.
  resize(820, 480);
}

TListComps::~TListComps() = default;

void TListComps::BuildControls() {
  NewProd = ToolButton(this, "NewProd", "New", QStyle::SP_FileIcon);
  EditInvoice = ToolButton(this, "EditInvoice", "Edit", QStyle::SP_FileDialogDetailedView);
  InvDelete = ToolButton(this, "InvDelete", "Delete", QStyle::SP_TrashIcon);
  SpeedButton1 = ToolButton(this, "SpeedButton1", "Find", QStyle::SP_FileDialogContentsView);
  SpeedButton4 = ToolButton(this, "SpeedButton4", "Company List", QStyle::SP_FileDialogListView);
  SpeedButton2 = ToolButton(this, "SpeedButton2", "Close", QStyle::SP_DialogCloseButton);
  SpeedButton3 = ToolButton(this, "SpeedButton3", "Help", QStyle::SP_DialogHelpButton);

  CompBrowser = new TIndexBrowser(this);
  CompBrowser->setObjectName("CompBrowser");
  CompBrowser->setFont(QFont("Courier New", 10));
  BuildFrame({NewProd, EditInvoice, InvDelete, SpeedButton1, SpeedButton4, SpeedButton2, SpeedButton3}, CompBrowser);

  connect(NewProd, &QToolButton::clicked, this, [this] { AddCompany(); });
  connect(EditInvoice, &QToolButton::clicked, this, [this] { EditCompany(); });
  connect(InvDelete, &QToolButton::clicked, this, [this] { DeleteCompany(); });
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { FindCompany(); });
  connect(SpeedButton4, &QToolButton::clicked, this, [this] { CompanyList(); });
  connect(SpeedButton2, &QToolButton::clicked, this, &QDialog::reject);
  connect(SpeedButton3, &QToolButton::clicked, this, &TListComps::ShowModelHelp);

  // Letters jump by upper-case keys; Enter chooses the company.
  CompBrowser->OnKeyPress = [this](TIndexBrowser*, QChar& ch) {
    if (ch == QChar('\r') || ch == QChar('\n')) {
      ch = QChar();
      SetAsDefault();
    } else if (ch >= QChar('a') && ch <= QChar('z')) {
      ch = ch.toUpper();
    }
  };
  CompBrowser->OnDblClick = [this](TIndexBrowser*) { SetAsDefault(); };
  CompBrowser->OnRowChanged = [](TIndexBrowser*) {};
}

// Delete anywhere in the window deletes the current company.
void TListComps::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
    event->accept();
    DeleteCompany();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TListComps::BuildMenus() {
  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName("MainMenu1");
  QMenu* companies = MainMenu1->addMenu("&Company");
  companies->setObjectName("Company1");
  Add1 = Action(this, "Add1", "&Add");
  Edit1 = Action(this, "Edit1", "&Edit");
  Delete1 = Action(this, "Delete1", "&Delete");
  SetAsDefault1 = Action(this, "SetAsDefault1", "&Set As Default");
  Search1 = Action(this, "Search1", "&Find");
  CompanyList1 = Action(this, "CompanyList1", "Company &List");
  Close2 = Action(this, "Close2", "&Close");
  companies->addActions({Add1, Edit1, Delete1, SetAsDefault1, Search1, CompanyList1});
  companies->addSeparator();
  companies->addAction(Close2);
  QMenu* display = MainMenu1->addMenu("&Display");
  display->setObjectName("Display1");
  Code1 = Action(this, "Code1", "By &Number");
  ByDescription1 = Action(this, "ByDescription1", "By N&ame");
  Code1->setCheckable(true);
  ByDescription1->setCheckable(true);
  PrintWindow1 = Action(this, "PrintWindow1", "Print &Window");
  display->addActions({Code1, ByDescription1});
  display->addSeparator();
  display->addAction(PrintWindow1);
  QMenu* help = MainMenu1->addMenu("&Help");
  help->setObjectName("Help1");
  New1 = Action(this, "New1", "&Overview");
  help->addAction(New1);
  layout()->setMenuBar(MainMenu1);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  Add2 = Action(this, "Add2", "&Add");
  Edit2 = Action(this, "Edit2", "&Edit");
  Delete2 = Action(this, "Delete2", "&Delete");
  SetAsDefault2 = Action(this, "SetAsDefault2", "&Set As Default");
  Search2 = Action(this, "Search2", "&Find");
  CompanyList2 = Action(this, "CompanyList2", "Company &List");
  Close3 = Action(this, "Close3", "&Close");
  PopupMenu1->addActions({Add2, Edit2, Delete2, SetAsDefault2, Search2, CompanyList2});
  PopupMenu1->addSeparator();
  PopupMenu1->addAction(Close3);
  common::ui::PopupOnRightClick(CompBrowser, PopupMenu1);

  for (QAction* a : {Add1, Add2}) connect(a, &QAction::triggered, this, [this] { AddCompany(); });
  for (QAction* a : {Edit1, Edit2}) connect(a, &QAction::triggered, this, [this] { EditCompany(); });
  for (QAction* a : {Delete1, Delete2}) connect(a, &QAction::triggered, this, [this] { DeleteCompany(); });
  for (QAction* a : {SetAsDefault1, SetAsDefault2}) connect(a, &QAction::triggered, this, [this] { SetAsDefault(); });
  for (QAction* a : {Search1, Search2}) connect(a, &QAction::triggered, this, [this] { FindCompany(); });
  for (QAction* a : {CompanyList1, CompanyList2}) connect(a, &QAction::triggered, this, [this] { CompanyList(); });
  for (QAction* a : {Close2, Close3}) connect(a, &QAction::triggered, this, &QDialog::reject);
  connect(Code1, &QAction::triggered, this, [this] { SwitchOrder(company::kNumberKey); });
  connect(ByDescription1, &QAction::triggered, this, [this] { SwitchOrder(company::kNameKey); });
  connect(PrintWindow1, &QAction::triggered, this, [this] { PrintWindow(); });
  connect(New1, &QAction::triggered, this, &TListComps::ShowModelHelp);
}

void TListComps::ShowState() {
  TManagerWindow::ShowState();
  Code1->setChecked(model_->Order() == company::kNumberKey);
  ByDescription1->setChecked(model_->Order() == company::kNameKey);
}

void TListComps::AddCompany() { Guard([this] { return model_->Add(); }); }
void TListComps::EditCompany() { Guard([this] { return model_->Edit(); }); }
void TListComps::DeleteCompany() { Guard([this] { return model_->Delete(); }); }
void TListComps::FindCompany() { Guard([this] { return model_->Find(); }); }
void TListComps::CompanyList() { Guard([this] { return model_->CompanyList(); }); }
void TListComps::SwitchOrder(int keyNr) { Guard([this, keyNr] { return model_->SetOrder(keyNr); }); }
void TListComps::PrintWindow() { PrintWindowImage(kManagerCaption); }

void TListComps::SetAsDefault() {
  if (Guard([this] { return model_->SetAsDefault(); }).IsDone()) accept();
}

}  // namespace tf::companies::ui
