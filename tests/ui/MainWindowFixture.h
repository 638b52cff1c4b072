#pragma once
// A main window with scripted dialogs and a recording printer, shown on the offscreen screen.

#include <gtest/gtest.h>

#include <QTabWidget>
#include <memory>

#include "PrintDialogs.h"
#include "RecordingPrinter.h"
#include "ScriptedDialogs.h"
#include "Vok1.h"

struct MainWindowTest : ::testing::Test {
  ScriptedDialogs dialogs;
  RecordingPrinter printer;
  ScriptedPrintDialogs printDialogs;
  std::unique_ptr<TForm1> form;

  void Open(double dpi = 96.0) {
    TForm1::Services services;
    services.dialogs = &dialogs;
    services.printer = &printer;
    services.printDialogs = &printDialogs;
    form = std::make_unique<TForm1>(services);
    form->SetScreenDpi(dpi);
    form->show();
  }
  QTabWidget* Pages() { return form->findChild<QTabWidget*>("PageControl1"); }
  void ShowPage(int page) { Pages()->setCurrentIndex(page); }
};
