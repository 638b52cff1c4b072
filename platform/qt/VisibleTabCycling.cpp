#include "VisibleTabCycling.h"

#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QTabWidget>

namespace {

class TabCycler : public QObject {
 public:
  explicit TabCycler(QTabWidget* pages) : QObject(pages), pages_(pages) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != pages_ || event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (!(key->modifiers() & Qt::ControlModifier)) return false;
    if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) return false;
    const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
    pages_->setCurrentIndex(NextShownTab(*pages_, back ? -1 : 1));
    key->accept();
    return true;
  }

 private:
  QTabWidget* pages_;
};

}  // namespace

int NextShownTab(const QTabWidget& pages, int step) {
  const int count = pages.count();
  const int current = pages.currentIndex();
  for (int pass = 1; pass < count; ++pass) {
    const int page = ((current + step * pass) % count + count) % count;
    if (pages.isTabVisible(page) && pages.isTabEnabled(page)) return page;
  }
  return current;
}

void CycleVisibleTabsOnly(QTabWidget* pages) { pages->installEventFilter(new TabCycler(pages)); }
