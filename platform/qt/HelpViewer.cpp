#include "HelpViewer.h"

#include <QFile>
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
  show();
  raise();
  activateWindow();
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

// Lists every page whose text contains the keyword; an empty keyword lists all pages.
void HelpViewer::Search(const QString& keyword) {
  results_->clear();
  const QStringList pages = folder_.entryList({"*.html"}, QDir::Files, QDir::Name);
  static const QRegularExpression title("<title>(.*)</title>");
  for (const QString& page : pages) {
    QFile file(folder_.filePath(page));
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QString html = QString::fromUtf8(file.readAll());
    if (!keyword.isEmpty() && !html.contains(keyword, Qt::CaseInsensitive)) continue;
    const auto match = title.match(html);
    auto* item = new QListWidgetItem(match.hasMatch() ? match.captured(1) : page, results_);
    item->setData(Qt::UserRole, page);
  }
}
