// Small tool-bar pictures drawn from a glyph, for commands without a standard icon.
#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

QIcon GlyphIcon(const QString& glyph, const QColor& color = QColor(0, 0, 160));
