#pragma once
// A field's text for a record's Windows-1252 field.

#include <QString>
#include <string>

#include "QtText.h"

// The text converted; a text that field cannot hold whole (a "Ł") is named in unwritable,
// the first one only, so the save can refuse it.
inline std::string FromQStored(const QString& text, std::string& unwritable) {
  std::string ansi = FromQ(text);
  if (unwritable.empty() && QString::fromUtf8(win1252::ToUtf8(ansi)) != text) unwritable = ansi;
  return ansi;
}
