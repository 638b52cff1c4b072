#include "GlyphIcon.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

QIcon GlyphIcon(const QString& glyph, const QColor& color) {
  QPixmap pixmap(20, 20);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QFont font = painter.font();
  font.setBold(true);
  // Longer glyphs get smaller letters so that they still fit the 20-pixel square.
  font.setPixelSize(glyph.size() == 1 ? 15 : glyph.size() == 2 ? 10 : 9);
  painter.setFont(font);
  painter.setPen(color);
  painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
  return QIcon(pixmap);
}
