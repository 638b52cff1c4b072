#pragma once
// Answers the next modal dialog of a type once it is up. The check runs from whatever event
// loop turns next (the dialog's own, or the FTP client's pump while it waits for a server) and
// never waits inside that loop: a wait nested in the pump would hold back the very code that is
// to show the dialog, which then waits for an answer that no longer comes. The answerer stays
// armed until it has answered or goes out of scope; Answered() tells a test that the dialog
// it expected never came.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

template <typename Dialog>
class ModalAnswer {
 public:
  explicit ModalAnswer(std::function<void(Dialog&)> answer) : answer_(std::move(answer)) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }
  ModalAnswer(const ModalAnswer&) = delete;
  ModalAnswer& operator=(const ModalAnswer&) = delete;

  bool Answered() const { return answered_; }

 private:
  void Poll() {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    timer_.stop();
    answered_ = true;
    answer_(*dialog);
    // An answer that did not end the dialog (a button not found, a refused click) would
    // leave the test waiting in its event loop: the dialog is closed and the test fails.
    if (dialog->isVisible() && QApplication::activeModalWidget() == dialog) {
      ADD_FAILURE() << "the answer left the dialog open";
      dialog->reject();
    }
  }

  std::function<void(Dialog&)> answer_;
  QTimer timer_;
  bool answered_ = false;
};
