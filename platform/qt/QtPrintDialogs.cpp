#include "QtPrintDialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

#include "QtText.h"

namespace {

const QString kPdfEntry = QStringLiteral("PDF-Datei");

// Printer choice plus Qt's page set-up for paper, orientation and margins.
class PrinterSetupDialog : public QDialog {
 public:
  PrinterSetupDialog(QPrinter& printer, QWidget* parent)
      : QDialog(parent),
        printer_(printer),
        oldFormat_(printer.outputFormat()),
        oldName_(printer.printerName()),
        oldFile_(printer.outputFileName()),
        oldLayout_(printer.pageLayout()) {
    setWindowTitle(QStringLiteral("Druckereinstellung"));
    printers_ = new QComboBox(this);
    printers_->addItems(QPrinterInfo::availablePrinterNames());
    printers_->addItem(kPdfEntry);
    if (printer.outputFormat() == QPrinter::PdfFormat)
      printers_->setCurrentText(kPdfEntry);
    else
      printers_->setCurrentText(printer.printerName());

    auto* paper = new QPushButton(QStringLiteral("Papier und Ausrichtung..."), this);
    connect(paper, &QPushButton::clicked, this, [this] {
      ApplyPrinterChoice();
      QPageSetupDialog(&printer_, this).exec();
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Drucker:"), printers_);
    form->addRow(QString(), paper);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
  }

  // Cancelling leaves the printer as it was, paper included.
  void Restore() {
    printer_.setOutputFormat(oldFormat_);
    if (oldFormat_ == QPrinter::NativeFormat) printer_.setPrinterName(oldName_);
    printer_.setOutputFileName(oldFile_);
    printer_.setPageLayout(oldLayout_);
  }

  void ApplyPrinterChoice() {
    if (printers_->currentText() == kPdfEntry) {
      if (printer_.outputFormat() != QPrinter::PdfFormat) {
        printer_.setOutputFormat(QPrinter::PdfFormat);
        printer_.setOutputFileName(QString());
      }
    } else {
      printer_.setOutputFormat(QPrinter::NativeFormat);
      printer_.setPrinterName(printers_->currentText());
    }
  }

 private:
  QPrinter& printer_;
  QPrinter::OutputFormat oldFormat_;
  QString oldName_, oldFile_;
  QPageLayout oldLayout_;
  QComboBox* printers_;
};

}  // namespace

std::optional<PrintChoice> QtPrintDialogs::ChoosePrint(bool selectionAvailable) {
  QPrinter& printer = printer_.Printer();
  printer.setPrintRange(QPrinter::AllPages);
  printer.setCopyCount(1);
  // Printing to a file proposes a file that does not exist yet; one chosen for an earlier
  // job is never offered again.
  if (printer.outputFormat() == QPrinter::PdfFormat && !printer_.FixedPdfFile())
    printer.setOutputFileName(PathToQ(printer_.ProposedPdfFile()));
  QPrintDialog dialog(&printer, parent_);
  dialog.setWindowTitle(QStringLiteral("Drucken"));
  dialog.setOption(QAbstractPrintDialog::PrintSelection, selectionAvailable);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
  if (dialog.exec() != QDialog::Accepted) {
    if (!printer_.FixedPdfFile()) printer.setOutputFileName(QString());
    return std::nullopt;
  }

  PrintChoice choice;
  choice.copies = printer.copyCount();
  choice.selectionOnly = selectionAvailable && printer.printRange() == QPrinter::Selection;
  // The list prints its copies itself.
  printer.setCopyCount(1);
  printer.setPrintRange(QPrinter::AllPages);
  return choice;
}

bool QtPrintDialogs::PrinterSetup() {
  PrinterSetupDialog dialog(printer_.Printer(), parent_);
  if (dialog.exec() != QDialog::Accepted) {
    dialog.Restore();
    return false;
  }
  dialog.ApplyPrinterChoice();
  return true;
}
