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

// "Text|*.a;*.b|Text|*.*|" becomes Qt's list of "Text (*.a *.b)" entries.
QStringList FilterToQt(const std::string& filter);
