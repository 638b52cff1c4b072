#pragma once
// The program's help window: German help pages shipped as HTML files in a folder, one page per
// help context ("<context>.html"), a contents page ("index.html"), a page on using help
// ("hilfe.html") and a keyword search over all pages. It opens in front of the window that
// asked for it and stays usable while that window is modal.

#include <QDialog>
#include <QDir>

class QTextBrowser;
class QLineEdit;
class QListWidget;

class HelpViewer : public QDialog {
  Q_OBJECT

 public:
  HelpViewer(const QString& folder, const QString& title, QWidget* parent = nullptr);

  void ShowTopic(int context);
  void ShowContents();
  void ShowSearch();
  void ShowUsingHelp();

  QString CurrentPage() const { return currentPage_; }
  // The text of a page as the reader sees it, which the keyword search looks through.
  static QString PageText(const QString& html);

 private:
  void Open(const QString& fileName);
  void Search(const QString& keyword);
  QWidget* AskingWindow() const;
  void StandBeside(QWidget* asker);

  QDir folder_;
  QTextBrowser* browser_;
  QLineEdit* searchEdit_;
  QListWidget* results_;
  QString currentPage_;
};
