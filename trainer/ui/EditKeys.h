#pragma once
// Which key presses change a document: the virtual key codes 8 (Backspace), 32 (Space),
// 46 (Delete), 48 to 111 (digits, letters, numeric keypad) and 146 to 255 (punctuation and
// national letters). Qt keys are mapped to those codes first.

#include <QString>
#include <Qt>

inline bool IsEditingKey(int vk) {
  return vk == 8 || vk == 32 || vk == 46 || (vk >= 48 && vk <= 111) || (vk >= 146 && vk <= 255);
}

// The virtual key code of a Qt key press; 0 for keys without one that matters here.
inline int VirtualKeyOf(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
  if (key == Qt::Key_Backspace) return 8;
  if (key == Qt::Key_Space) return 32;
  if (key == Qt::Key_Delete) return 46;
  if (modifiers & Qt::KeypadModifier) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return 96 + (key - Qt::Key_0);
    switch (key) {
      case Qt::Key_Asterisk: return 106;
      case Qt::Key_Plus: return 107;
      case Qt::Key_Minus: return 109;
      case Qt::Key_Period: case Qt::Key_Comma: return 110;
      case Qt::Key_Slash: return 111;
      default: break;
    }
  }
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return key;  // 48..57
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;  // 65..90
  // Any other key that types a printable character is a punctuation or national-letter key.
  if (!text.isEmpty() && text.at(0).isPrint()) return 186;
  return 0;
}
