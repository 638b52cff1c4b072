#include "QtDialogs.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFileSystemModel>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <cmath>

#include "FontChooser.h"
#include "QtText.h"

QStringList FilterToQt(const std::string& filter) {
  const QStringList parts = ToQ(filter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) out << parts[i];
  return out;
}

QList<QStringList> FilterPatterns(const std::string& filter) {
  const QStringList parts = ToQ(filter).split('|');
  QList<QStringList> out;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    out << parts[i + 1].split(';', Qt::SkipEmptyParts);
  return out;
}

// The filter texts are shown as they are written. Qt would take the patterns from a text's
// last parentheses ("Eigene Vokabel-Dateien (*.evd) Lektionen (*.le)" would list only
// "*.le"), so the dialog's file list gets the patterns of the chosen entry directly.
void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request, bool save) {
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
  const QStringList filters = FilterToQt(request.filter);
  const QList<QStringList> patterns = FilterPatterns(request.filter);
  dialog.setNameFilters(filters);
  auto* files = dialog.findChild<QFileSystemModel*>();
  const auto applyPatterns = [&dialog, files, filters, patterns] {
    const qsizetype index = filters.indexOf(dialog.selectedNameFilter());
    if (files && index >= 0) files->setNameFilters(patterns.at(index));
  };
  if (auto* choice = dialog.findChild<QComboBox*>("fileTypeCombo"))
    QObject::connect(choice, &QComboBox::currentIndexChanged, &dialog, applyPatterns);
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, applyPatterns);
  if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
    dialog.selectNameFilter(filters[request.filterIndex - 1]);
  applyPatterns();
  if (!request.initialDir.empty()) dialog.setDirectory(PathToQ(request.initialDir));
  if (!request.defaultExt.empty()) dialog.setDefaultSuffix(ToQ(request.defaultExt));
  if (!request.fileName.empty()) dialog.selectFile(ToQ(request.fileName));
}

MsgResult QtDialogs::Message(const std::string& title, const std::string& text, MsgButtons buttons,
                             MsgIcon icon) {
  QMessageBox box(parent_);
  box.setWindowTitle(ToQ(title));
  box.setText(MessageToQ(text));
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
  ConfigureFileDialog(dialog, request, save);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QStringList filters = FilterToQt(request.filter);
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
  FontChooser chooser(initial, maxSize, parent_);
  if (chooser.exec() != QDialog::Accepted) return std::nullopt;
  return chooser.Chosen();
}

std::optional<std::string> QtDialogs::InputBox(const std::string& title, const std::string& prompt,
                                               const std::string& initial) {
  bool ok = false;
  const QString text =
      QInputDialog::getText(parent_, ToQ(title), ToQ(prompt), QLineEdit::Normal, ToQ(initial), &ok);
  if (!ok) return std::nullopt;
  return FromQ(text);
}
