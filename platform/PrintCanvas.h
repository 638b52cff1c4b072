#pragma once
// A print job as the program draws it: a title, pages, text at positions in a chosen font,
// measured text, filled rectangles and lines, all in the device units of the printer. The
// program prints through Qt (QtPrinter: a printer of the system or a PDF file); tests record
// every call (RecordingPrinter). Texts are Windows-1252.

#include <string>
#include <string_view>

#include "Dialogs.h"

class PrintCanvas {
 public:
  virtual ~PrintCanvas() = default;

  // True while a job of the program has been begun and not yet ended.
  virtual bool JobRunning() const = 0;

  // Opens a job; false when it could not be opened or the user withdrew it (for instance by
  // cancelling the choice of a PDF file). The first page is open after a successful begin.
  virtual bool BeginJob(const std::string& title) = 0;
  virtual void NewPage() = 0;
  virtual void EndJob() = 0;

  // The printable area of the selected printer, in device units.
  virtual int PageWidth() const = 0;
  virtual int PageHeight() const = 0;

  // The font of the following texts and measurements (name, size in points, style, colour).
  virtual void SetFont(const FontDesc& font) = 0;
  virtual int TextWidth(std::string_view text) const = 0;
  virtual int TextHeight(std::string_view text) const = 0;
  // (x, y) is the top left corner of the text.
  virtual void TextOut(int x, int y, std::string_view text) = 0;

  // Lines are drawn with the pen; width 0 is the thinnest line the device draws.
  virtual void SetPen(Color color, int width) = 0;
  virtual void Line(int x1, int y1, int x2, int y2) = 0;
  // Fills the rectangle from (left, top) up to but excluding (right, bottom).
  virtual void FillRect(int left, int top, int right, int bottom, Color color) = 0;
};
