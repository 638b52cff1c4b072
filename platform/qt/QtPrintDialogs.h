#pragma once
// Qt's print dialog and a printer set-up on the printer of a QtPrinter.

#include <QPointer>
#include <QWidget>

#include "PrintDialogs.h"
#include "QtPrinter.h"

class QtPrintDialogs : public PrintDialogs {
 public:
  QtPrintDialogs(QtPrinter& printer, QWidget* parent = nullptr)
      : printer_(printer), parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  std::optional<PrintChoice> ChoosePrint(bool selectionAvailable) override;
  void SetDocumentName(const std::string& documentName) override {
    printer_.SetDocumentName(documentName);
  }
  bool PrinterSetup() override;

 private:
  QtPrinter& printer_;
  QPointer<QWidget> parent_;
};
