#include "shell/ui/command_icons.h"

namespace tf::shell::ui {

namespace {

struct IconChoice {
  const char* theme;
  QStyle::StandardPixmap fallback;
};

IconChoice Choice(CommandId id) {
  using enum CommandId;
  switch (id) {
    case CompanyManager: return {"preferences-system", QStyle::SP_DirIcon};
    case CustomerManager: return {"system-users", QStyle::SP_DirHomeIcon};
    case ProductManager: return {"package-x-generic", QStyle::SP_DriveCDIcon};
    case InvoiceManager: return {"x-office-document", QStyle::SP_FileIcon};
    case PaymentWizard: return {"mail-send-receive", QStyle::SP_DialogApplyButton};
    case ReportWizard: return {"x-office-spreadsheet", QStyle::SP_FileDialogContentsView};
    case InterestWizard: return {"appointment-new", QStyle::SP_FileDialogInfoView};
    case LabelWizard: return {"edit-paste", QStyle::SP_FileDialogListView};
    case RepeatBillingWizard: return {"view-refresh", QStyle::SP_BrowserReload};
    case LetterWizard: return {"accessories-text-editor", QStyle::SP_FileDialogDetailedView};
    case SendEMailMessage: return {"mail-message-new", QStyle::SP_ArrowForward};
    case AgingChart: return {"x-office-presentation", QStyle::SP_FileDialogContentsView};
    case CloseChart: return {"window-close", QStyle::SP_TitleBarCloseButton};
    case Calculator: return {"accessories-calculator", QStyle::SP_DesktopIcon};
    case ViewCalendar: return {"x-office-calendar", QStyle::SP_FileDialogInfoView};
    case PasswordSetup: return {"dialog-password", QStyle::SP_MessageBoxWarning};
    case PurgePaidInvoices: return {"edit-delete", QStyle::SP_TrashIcon};
    case BackupDataFiles: return {"document-save", QStyle::SP_DialogSaveButton};
    case RebuildDataFiles: return {"view-refresh", QStyle::SP_BrowserReload};
    case PrinterSetup: return {"document-print", QStyle::SP_DriveNetIcon};
    case EditTerms: return {"document-properties", QStyle::SP_FileDialogDetailedView};
    case Exit: return {"application-exit", QStyle::SP_DialogCloseButton};
    case HelpTopics:
    case HelpWithHelp:
    case FrequentAskedQuestions:
    case AgingChartHelp:
    case EMailModeHelp: return {"help-contents", QStyle::SP_DialogHelpButton};
    case About: return {"help-about", QStyle::SP_MessageBoxInformation};
    case HomePage: return {"applications-internet", QStyle::SP_DirLinkIcon};
  }
  return {"", QStyle::SP_FileIcon};
}

}  // namespace

QIcon CommandIcon(CommandId id, const QStyle* style) {
  IconChoice c = Choice(id);
  QIcon icon = QIcon::fromTheme(QString::fromLatin1(c.theme), style->standardIcon(c.fallback));
  // Some of the style's pictures come in 16 pixels only; grown to the button panel's size they
  // keep the buttons' labels on one line.
  constexpr int kButtonIcon = 32;
  QSize have = icon.actualSize(QSize(kButtonIcon, kButtonIcon));
  if (have.isValid() && have.width() < kButtonIcon) {
    QPixmap small = icon.pixmap(have);
    QIcon grown(small);
    grown.addPixmap(small.scaled(kButtonIcon, kButtonIcon, Qt::KeepAspectRatio,
                                 Qt::SmoothTransformation));
    return grown;
  }
  return icon;
}

}  // namespace tf::shell::ui
