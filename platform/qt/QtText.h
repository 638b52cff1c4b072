#pragma once
// Conversions between the core's Windows-1252 strings and Qt's QString.

#include <QColor>
#include <QString>
#include <filesystem>
#include <string>

#include "Dialogs.h"
#include "Win1252.h"

inline QString ToQ(const std::string& ansi) {
  return QString::fromUtf8(win1252::ToUtf8(ansi));
}

// Message texts break lines with CR, CR LF or LF; Qt's labels break only at LF.
inline QString MessageToQ(const std::string& ansi) {
  QString text = ToQ(ansi);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

inline std::string FromQ(const QString& text) {
  return win1252::FromUtf8(text.toUtf8().toStdString());
}

inline QString PathToQ(const std::filesystem::path& p) {
  return QString::fromStdString(p.string());
}

inline std::filesystem::path PathFromQ(const QString& p) {
  return std::filesystem::path(p.toStdString());
}

// The records' colours are 0x00BBGGRR.
inline QColor ToQColor(Color c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}
inline Color FromQColor(const QColor& c) {
  return static_cast<Color>(c.red()) | (static_cast<Color>(c.green()) << 8) |
         (static_cast<Color>(c.blue()) << 16);
}
