#include "FrameFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

void FitFrameToScreen(QWidget& window) {
  if (window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) return;
  QScreen* on = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  if (!on) return;
  const QRect area = on->availableGeometry();
  const QRect frame = window.frameGeometry();
  const int extraWidth = frame.width() - window.width(), extraHeight = frame.height() - window.height();
  const int w = std::max(window.minimumWidth(), std::min(window.width(), area.width() - extraWidth));
  const int h = std::max(window.minimumHeight(), std::min(window.height(), area.height() - extraHeight));
  if (w != window.width() || h != window.height()) window.resize(w, h);
  const QRect fitted = window.frameGeometry();
  const int left =
      std::clamp(fitted.left(), area.left(), std::max(area.left(), area.right() + 1 - fitted.width()));
  const int top =
      std::clamp(fitted.top(), area.top(), std::max(area.top(), area.bottom() + 1 - fitted.height()));
  if (left != fitted.left() || top != fitted.top()) window.move(left, top);
}
