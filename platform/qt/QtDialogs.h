#pragma once
// Dialogs shown with Qt's standard dialogs, parented to a window of the program.

#include <QPointer>
#include <QWidget>

#include "Dialogs.h"

class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  MsgResult Message(const std::string& title, const std::string& text, MsgButtons buttons,
                    MsgIcon icon) override;
  std::optional<FileChoice> OpenFile(const FileDialogRequest& request) override;
  std::optional<FileChoice> SaveFile(const FileDialogRequest& request) override;
  std::optional<Color> ChooseColor(Color initial) override;
  std::optional<FontDesc> ChooseFont(const FontDesc& initial, int maxSize) override;
  std::optional<std::string> InputBox(const std::string& title, const std::string& prompt,
                                      const std::string& initial) override;

 private:
  std::optional<FileChoice> RunFileDialog(const FileDialogRequest& request, bool save);
  QPointer<QWidget> parent_;
};

class QFileDialog;
struct FileDialogRequest;

// "Text|*.a;*.b|Text|*.*|": the texts as the dialog lists them, and the patterns of each.
QStringList FilterToQt(const std::string& filter);
QList<QStringList> FilterPatterns(const std::string& filter);
// Sets up a file dialog for the request; the file list follows the chosen entry's patterns.
void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request, bool save);
