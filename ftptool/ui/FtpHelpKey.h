// F1 inside a question the tool asks modally (host key, certificate, passphrase, a warning):
// the tool window's own F1 does not reach a modal box, so the box gets one of its own. It
// takes the key as it goes up from the focused button or field, which leave F1 alone.
#pragma once

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>
#include <functional>

class HelpKeyFilter : public QObject {
 public:
  HelpKeyFilter(std::function<void()> help, QObject* parent) : QObject(parent), help_(std::move(help)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
      return QObject::eventFilter(watched, event);
    help_();
    return true;
  }

 private:
  std::function<void()> help_;
};

// Opens the given help while the box is up; nothing without one.
inline void HelpOnF1(QWidget* box, const std::function<void()>& help) {
  if (help) box->installEventFilter(new HelpKeyFilter(help, box));
}
