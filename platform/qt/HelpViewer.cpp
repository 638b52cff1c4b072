#include "HelpViewer.h"

#include <QApplication>
#include <QFile>
#include <QTextDocument>
#include <QWindow>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpViewer::HelpViewer(const QString& folder, const QString& title, QWidget* parent)
    : QDialog(parent), folder_(folder) {
  setObjectName("HelpViewer");
  setWindowTitle(title);
  // The help window has no owner window; it never keeps the program running once the main
  // window has closed.
  setAttribute(Qt::WA_QuitOnClose, false);
  resize(620, 480);
  browser_ = new QTextBrowser(this);
  browser_->setSearchPaths({folder});
  browser_->setOpenExternalLinks(true);
  searchEdit_ = new QLineEdit(this);
  searchEdit_->setPlaceholderText("Stichwort");
  results_ = new QListWidget(this);
  results_->setMaximumWidth(180);

  auto* side = new QWidget(this);
  auto* sideLayout = new QVBoxLayout(side);
  sideLayout->setContentsMargins(0, 0, 0, 0);
  sideLayout->addWidget(new QLabel("Suchen:", side));
  sideLayout->addWidget(searchEdit_);
  sideLayout->addWidget(results_);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(side);
  layout->addWidget(browser_, 1);

  connect(searchEdit_, &QLineEdit::textChanged, this, &HelpViewer::Search);
  connect(results_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { Open(item->data(Qt::UserRole).toString()); });
  connect(results_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { Open(item->data(Qt::UserRole).toString()); });
}

void HelpViewer::Open(const QString& fileName) {
  const QString name = folder_.exists(fileName) ? fileName : QStringLiteral("index.html");
  currentPage_ = name;
  browser_->setSource(QUrl::fromLocalFile(folder_.filePath(name)));
  StandBeside(AskingWindow());
  show();
  raise();
  activateWindow();
}

// The window that asked for help: the modal one on top when there is one (the FTP tool runs in
// exec()), else the active one.
QWidget* HelpViewer::AskingWindow() const {
  QWidget* asker = QApplication::activeModalWidget();
  if (!asker || asker == this) asker = QApplication::activeWindow();
  return asker == this ? nullptr : asker;
}

// A window belonging to the modal window is not blocked by it, and the window manager keeps it
// in front of it. Only the platform window is tied: the widget keeps no owner, so no window
// ever deletes the viewer.
void HelpViewer::StandBeside(QWidget* asker) {
  if (!asker) return;
  QWindow* other = asker->window()->windowHandle();
  if (!windowHandle()) winId();  // the platform window, made before the first show
  QWindow* own = windowHandle();
  if (!own || !other || other == own || own->transientParent() == other) return;
  // The window manager takes the tie when the window is mapped.
  const bool shown = isVisible();
  if (shown) hide();
  own->setTransientParent(other);
}

void HelpViewer::ShowTopic(int context) { Open(QString("%1.html").arg(context)); }

void HelpViewer::ShowContents() { Open("index.html"); }

void HelpViewer::ShowUsingHelp() { Open("hilfe.html"); }

void HelpViewer::ShowSearch() {
  searchEdit_->clear();
  Search({});
  Open("index.html");
  searchEdit_->setFocus();
}

// What a reader sees of a page: the text without its markup, entities resolved.
QString HelpViewer::PageText(const QString& html) {
  QTextDocument document;
  document.setHtml(html);
  return document.toPlainText();
}

// Lists every page whose text contains the keyword; an empty keyword lists all pages.
void HelpViewer::Search(const QString& keyword) {
  results_->clear();
  const QStringList pages = folder_.entryList({"*.html"}, QDir::Files, QDir::Name);
  static const QRegularExpression title("<title>(.*)</title>");
  for (const QString& page : pages) {
    QFile file(folder_.filePath(page));
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QString html = QString::fromUtf8(file.readAll());
    if (!keyword.isEmpty() && !PageText(html).contains(keyword, Qt::CaseInsensitive)) continue;
    const auto match = title.match(html);
    auto* item = new QListWidgetItem(match.hasMatch() ? match.captured(1) : page, results_);
    item->setData(Qt::UserRole, page);
  }
}
