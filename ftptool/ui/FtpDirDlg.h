#pragma once
// "Verzeichnis wählen": the folder chooser of the local list's explorer button. It holds one
// path, given before showing and returned after OK.
#include <QDialog>
#include <QPersistentModelIndex>
#include <QString>

class QFileSystemModel;
class QPushButton;
class QTreeView;

class TDirDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TDirDlg(QWidget* parent = nullptr);

  void SetPath(const QString& path) { path_ = path; }
  // The chosen folder after OK; the given path otherwise.
  QString Path() const { return path_; }

  QTreeView* ShellTreeView1 = nullptr;
  QPushButton* BitBtn1 = nullptr;  // OK
  QPushButton* BitBtn2 = nullptr;  // Cancel

  // The activation step: the node of the path, or the first node, selected and on top.
  void SelectPathNode();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BitBtn1Click();
  void KeepSelectedOnTop();

  QFileSystemModel* model_ = nullptr;
  QString path_;
  QPersistentModelIndex selected_;  // the node SelectPathNode chose, kept on top while loading
};
