#include "QtPrinter.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPrinterInfo>
#include <QStandardPaths>

#include "QtText.h"

QtPrinter::QtPrinter(Dialogs& dialogs)
    : dialogs_(dialogs), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
  if (!HasSystemPrinter()) printer_->setOutputFormat(QPrinter::PdfFormat);
}

bool QtPrinter::HasSystemPrinter() { return !QPrinterInfo::availablePrinterNames().isEmpty(); }

void QtPrinter::SetPdfFile(const std::filesystem::path& path) {
  printer_->setOutputFormat(QPrinter::PdfFormat);
  printer_->setOutputFileName(PathToQ(path));
  fixedPdfFile_ = true;
}

void QtPrinter::SetDocumentName(const std::string& documentName) {
  // The document's name is a full path; the job and a proposed PDF file take only its
  // last part (Qt's print dialog puts the job's name behind the home folder).
  documentName_ = QFileInfo(ToQ(documentName)).fileName();
  printer_->setDocName(documentName_);
}

std::filesystem::path QtPrinter::ProposedPdfFile() const {
  QString folder = pdfFolder_;
  if (folder.isEmpty() || !QDir(folder).exists())
    folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
  QString stem = QFileInfo(documentName_).completeBaseName();
  if (stem.isEmpty()) stem = QStringLiteral("Vokabeln");
  const QDir dir(folder);
  QString name = stem + QStringLiteral(".pdf");
  for (int n = 2; dir.exists(name); ++n) name = QStringLiteral("%1 (%2).pdf").arg(stem).arg(n);
  return PathFromQ(dir.filePath(name));
}

bool QtPrinter::ChoosePdfFile() {
  const std::filesystem::path proposed = ProposedPdfFile();
  FileDialogRequest request;
  request.title = A("Druckausgabe in PDF-Datei");
  request.filter = "PDF-Dateien (*.pdf)|*.pdf|";
  request.defaultExt = "pdf";
  request.initialDir = proposed.parent_path();
  request.fileName = FromQ(PathToQ(proposed.filename()));
  request.confirmOverwrite = true;
  const std::optional<FileChoice> choice = dialogs_.SaveFile(request);
  if (!choice) return false;
  printer_->setOutputFileName(PathToQ(choice->path));
  return true;
}

bool QtPrinter::BeginJob(const std::string& title) {
  if (painter_.isActive()) return false;
  SetDocumentName(title);
  // Copies are printed as passes of the job itself, never multiplied by the driver.
  printer_->setCopyCount(1);
  if (printer_->outputFormat() == QPrinter::PdfFormat && printer_->outputFileName().isEmpty() &&
      !ChoosePdfFile()) {
    return false;
  }
  if (printer_->outputFormat() == QPrinter::PdfFormat)
    pdfFolder_ = QFileInfo(printer_->outputFileName()).absolutePath();
  if (!painter_.begin(printer_.get())) {
    dialogs_.Message("Drucken", A("Der Druckauftrag konnte nicht begonnen werden."),
                     MsgButtons::Ok, MsgIcon::Error);
    EndJob();
    return false;
  }
  painter_.setFont(font_);
  return true;
}

void QtPrinter::NewPage() {
  if (painter_.isActive()) printer_->newPage();
}

void QtPrinter::EndJob() {
  if (painter_.isActive()) painter_.end();
  // A file chosen for one job, here or in the print dialog, is never silently overwritten
  // by the next one: that one asks again.
  if (!fixedPdfFile_) printer_->setOutputFileName(QString());
}

int QtPrinter::PageWidth() const { return printer_->width(); }
int QtPrinter::PageHeight() const { return printer_->height(); }

void QtPrinter::SetFont(const FontDesc& font) {
  font_ = QFont(ToQ(font.name));
  font_.setPointSize(font.size > 0 ? font.size : 10);
  font_.setBold(font.style & FontStyle::Bold);
  font_.setItalic(font.style & FontStyle::Italic);
  font_.setUnderline(font.style & FontStyle::Underline);
  font_.setStrikeOut(font.style & FontStyle::StrikeOut);
  textColor_ = ToQColor(font.color);
  if (painter_.isActive()) painter_.setFont(font_);
}

QFontMetrics QtPrinter::Metrics() const {
  if (painter_.isActive()) return painter_.fontMetrics();
  return QFontMetrics(font_, printer_.get());
}

int QtPrinter::TextWidth(std::string_view text) const {
  return Metrics().horizontalAdvance(ToQ(std::string(text)));
}

int QtPrinter::TextHeight(std::string_view) const { return Metrics().height(); }

void QtPrinter::TextOut(int x, int y, std::string_view text) {
  if (!painter_.isActive()) return;
  painter_.setPen(textColor_);
  painter_.drawText(x, y + painter_.fontMetrics().ascent(), ToQ(std::string(text)));
}

void QtPrinter::SetPen(Color color, int width) { pen_ = QPen(ToQColor(color), width); }

void QtPrinter::Line(int x1, int y1, int x2, int y2) {
  if (!painter_.isActive()) return;
  painter_.setPen(pen_);
  painter_.drawLine(x1, y1, x2, y2);
}

void QtPrinter::FillRect(int left, int top, int right, int bottom, Color color) {
  if (!painter_.isActive()) return;
  painter_.fillRect(QRect(left, top, right - left, bottom - top), ToQColor(color));
}
