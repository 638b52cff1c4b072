#include "MenuHelpKey.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>

namespace {

class MenuHelpKey : public QObject {
 public:
  MenuHelpKey(QMenu* menu, std::function<void(int)> showHelp)
      : QObject(menu), showHelp_(std::move(showHelp)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* menu = qobject_cast<QMenu*>(watched);
    if (!menu || event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
      return false;
    const QAction* active = menu->activeAction();
    int context = active ? active->property("helpContext").toInt() : 0;
    if (context <= 0) context = menu->property("helpContext").toInt();
    // Closed first: the help window must not open under a menu that holds the keyboard.
    for (QWidget* open = menu; auto* m = qobject_cast<QMenu*>(open); open = m->parentWidget()) m->close();
    showHelp_(context > 0 ? context : 0);
    return true;
  }

 private:
  std::function<void(int)> showHelp_;
};

}  // namespace

void WatchMenuHelpKey(QMenu* menu, std::function<void(int context)> showHelp) {
  menu->installEventFilter(new MenuHelpKey(menu, std::move(showHelp)));
}
