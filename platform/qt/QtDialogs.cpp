#include "QtDialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <cmath>

#include "QtText.h"

QStringList FilterToQt(const std::string& filter) {
  const QStringList parts = ToQ(filter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    QString text = parts[i];
    // The text may already name its patterns; Qt reads the last parentheses as the patterns.
    out << QString("%1 (%2)").arg(text.remove(QRegularExpression(R"(\s*\([^)]*\)\s*$)")), patterns);
  }
  return out;
}

MsgResult QtDialogs::Message(const std::string& title, const std::string& text, MsgButtons buttons,
                             MsgIcon icon) {
  QMessageBox box(parent_);
  box.setWindowTitle(ToQ(title));
  box.setText(ToQ(text));
  switch (icon) {
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::None: break;
  }
  switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  if (auto* b = box.button(QMessageBox::Yes)) b->setText("&Ja");
  if (auto* b = box.button(QMessageBox::No)) b->setText("&Nein");
  if (auto* b = box.button(QMessageBox::Cancel)) b->setText("Abbrechen");
  switch (box.exec()) {
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Ok: return MsgResult::Ok;
    default: return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel;
  }
}

std::optional<FileChoice> QtDialogs::RunFileDialog(const FileDialogRequest& request, bool save) {
  QFileDialog dialog(parent_, ToQ(request.title));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
  const QStringList filters = FilterToQt(request.filter);
  dialog.setNameFilters(filters);
  if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
    dialog.selectNameFilter(filters[request.filterIndex - 1]);
  if (!request.initialDir.empty()) dialog.setDirectory(PathToQ(request.initialDir));
  if (!request.defaultExt.empty()) dialog.setDefaultSuffix(ToQ(request.defaultExt));
  if (!request.fileName.empty()) dialog.selectFile(ToQ(request.fileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  FileChoice choice;
  choice.path = PathFromQ(dialog.selectedFiles().first());
  choice.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  if (choice.filterIndex < 1) choice.filterIndex = request.filterIndex;
  return choice;
}

std::optional<FileChoice> QtDialogs::OpenFile(const FileDialogRequest& request) {
  return RunFileDialog(request, false);
}

std::optional<FileChoice> QtDialogs::SaveFile(const FileDialogRequest& request) {
  return RunFileDialog(request, true);
}

std::optional<Color> QtDialogs::ChooseColor(Color initial) {
  const QColor chosen = QColorDialog::getColor(ToQColor(initial), parent_);
  if (!chosen.isValid()) return std::nullopt;
  return FromQColor(chosen);
}

std::optional<FontDesc> QtDialogs::ChooseFont(const FontDesc& initial, int maxSize) {
  QFont font(ToQ(initial.name));
  font.setPixelSize(initial.height < 0 ? -initial.height : std::max(1, initial.height));
  font.setBold(initial.style & FontStyle::Bold);
  font.setItalic(initial.style & FontStyle::Italic);
  font.setUnderline(initial.style & FontStyle::Underline);
  font.setStrikeOut(initial.style & FontStyle::StrikeOut);
  bool ok = false;
  QFont chosen = QFontDialog::getFont(&ok, font, parent_, "Schrift");
  if (!ok) return std::nullopt;
  FontDesc out = initial;
  out.name = FromQ(chosen.family());
  int points = chosen.pointSize() > 0 ? chosen.pointSize() : initial.size;
  out.size = std::min(points, maxSize);
  out.height = -static_cast<int>(std::lround(out.size * 96.0 / 72.0));
  out.pitch = chosen.fixedPitch() ? 2 : 0;
  out.style = (chosen.bold() ? FontStyle::Bold : 0) | (chosen.italic() ? FontStyle::Italic : 0) |
              (chosen.underline() ? FontStyle::Underline : 0) |
              (chosen.strikeOut() ? FontStyle::StrikeOut : 0);
  return out;
}

std::optional<std::string> QtDialogs::InputBox(const std::string& title, const std::string& prompt,
                                               const std::string& initial) {
  bool ok = false;
  const QString text =
      QInputDialog::getText(parent_, ToQ(title), ToQ(prompt), QLineEdit::Normal, ToQ(initial), &ok);
  if (!ok) return std::nullopt;
  return FromQ(text);
}
