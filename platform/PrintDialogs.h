#pragma once
// The print dialog (number of copies, all rows or the selection) and the printer set-up, as
// the windows ask for them. QtPrintDialogs shows Qt's dialogs on the printer of a QtPrinter.

#include <optional>
#include <string>

struct PrintChoice {
  int copies = 1;
  bool selectionOnly = false;
};

class PrintDialogs {
 public:
  virtual ~PrintDialogs() = default;
  // The print dialog; the selection is offered only when selectionAvailable. Empty when the
  // user cancels.
  virtual std::optional<PrintChoice> ChoosePrint(bool selectionAvailable) = 0;
  // The document about to be printed, for the names the dialog proposes.
  virtual void SetDocumentName(const std::string& documentName) { (void)documentName; }
  // Choice of printer, paper and orientation; true when confirmed.
  virtual bool PrinterSetup() = 0;
};
