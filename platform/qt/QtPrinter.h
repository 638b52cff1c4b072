#pragma once
// The print canvas over QPrinter and QPainter: a printer of the system, or a PDF file the user
// chooses when the system has no printer (or when the print dialog printed to a file).
// Coordinates are device units of the printer, with (0, 0) at the top left of the printable
// area.

#include <QFont>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <filesystem>
#include <memory>

#include "Dialogs.h"
#include "PrintCanvas.h"

class QtPrinter : public PrintCanvas {
 public:
  explicit QtPrinter(Dialogs& dialogs);

  QPrinter& Printer() { return *printer_; }
  // True when the system offers at least one printer.
  static bool HasSystemPrinter();
  // Every following job goes into this PDF file without asking.
  void SetPdfFile(const std::filesystem::path& path);
  // The document the next job prints; its name without folder becomes the job's name.
  void SetDocumentName(const std::string& documentName);
  // A PDF file for the document that does not exist yet: the document's name with ".pdf",
  // numbered when taken, in the folder of the last PDF file or the documents folder.
  std::filesystem::path ProposedPdfFile() const;
  // True when every job goes into the file given by SetPdfFile.
  bool FixedPdfFile() const { return fixedPdfFile_; }

  bool JobRunning() const override { return painter_.isActive(); }
  bool BeginJob(const std::string& title) override;
  void NewPage() override;
  void EndJob() override;
  int PageWidth() const override;
  int PageHeight() const override;
  void SetFont(const FontDesc& font) override;
  int TextWidth(std::string_view text) const override;
  int TextHeight(std::string_view text) const override;
  void TextOut(int x, int y, std::string_view text) override;
  void SetPen(Color color, int width) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void FillRect(int left, int top, int right, int bottom, Color color) override;

 private:
  bool ChoosePdfFile();
  QFontMetrics Metrics() const;

  Dialogs& dialogs_;
  std::unique_ptr<QPrinter> printer_;
  QPainter painter_;
  QFont font_;
  QColor textColor_ = Qt::black;
  QPen pen_{Qt::black, 0};
  bool fixedPdfFile_ = false;
  QString documentName_;  // without folder
  QString pdfFolder_;     // where the last PDF file went
};
