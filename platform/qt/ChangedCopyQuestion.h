#pragma once
// The question when a file changed since it was opened (on the server by another computer, or
// on this disk by another window or program): "Überschreiben", "Als Kopie speichern" (the
// default) and "Abbrechen" (also Escape and closing the box). The same box for both.
#include <string>

#include "CopyNames.h"

class QWidget;

// text is Windows-1252 (ChangedCopyQuestionText).
ChangedCopyChoice AskChangedCopy(QWidget* parent, const std::string& text);
