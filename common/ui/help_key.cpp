#include "common/ui/help_key.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QWidget>

namespace tf::common::ui {
namespace {

QString Caption(const QString& text) {
  QString plain = text;
  return plain.remove(QLatin1Char('&')).trimmed();
}

// The window's Help button: one captioned "Help", else one whose hint says "Help" (the icon
// buttons of the managers).
QAbstractButton* HelpButtonOf(QWidget* window) {
  QAbstractButton* hinted = nullptr;
  for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
    if (!b->isVisible() || !b->isEnabled() || b->window() != window) continue;
    if (Caption(b->text()) == QLatin1String("Help")) return b;
    if (!hinted && Caption(b->toolTip()) == QLatin1String("Help")) hinted = b;
  }
  return hinted;
}

class HelpKeyFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) return false;
    QWidget* window = static_cast<QWidget*>(watched)->window();
    QAbstractButton* help = window ? HelpButtonOf(window) : nullptr;
    if (!help) return false;
    help->click();
    return true;
  }
};

}  // namespace

void InstallHelpKey(QApplication& app) { app.installEventFilter(new HelpKeyFilter(&app)); }

}  // namespace tf::common::ui
