#include "FtpDirDlg.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

TDirDlg::TDirDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TDirDlg"));
  setWindowTitle(QStringLiteral("Verzeichnis wählen"));
  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  // The tree is read when it opens; it does not follow later changes on disk.
  model_->setOption(QFileSystemModel::DontWatchForChanges, true);
  model_->setRootPath(QDir::rootPath());
  ShellTreeView1 = new QTreeView(this);
  // The tree fills in the background: until the folders above the chosen node are read the
  // node has no place, and rows arriving or sorted above it later (a busy folder is sorted
  // only after it was read) push it down. So it is put on top again after each change, until
  // the user chooses another node or scrolls.
  connect(model_, &QFileSystemModel::directoryLoaded, this, [this] { KeepSelectedOnTop(); });
  connect(model_, &QAbstractItemModel::rowsInserted, this, [this] { KeepSelectedOnTop(); });
  connect(model_, &QAbstractItemModel::layoutChanged, this, [this] { KeepSelectedOnTop(); });
  ShellTreeView1->viewport()->installEventFilter(this);
  ShellTreeView1->verticalScrollBar()->installEventFilter(this);
  ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
  ShellTreeView1->setModel(model_);
  for (int column = 1; column < model_->columnCount(); ++column) ShellTreeView1->hideColumn(column);
  ShellTreeView1->header()->hide();
  BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1->setDefault(true);
  BitBtn2 = new QPushButton(QStringLiteral("Abbrechen"), this);
  BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(BitBtn1);
  buttons->addWidget(BitBtn2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(ShellTreeView1, 1);
  layout->addLayout(buttons);
  resize(320, 400);
}

void TDirDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  SelectPathNode();
}

void TDirDlg::SelectPathNode() {
  QModelIndex node;
  const QFileInfo info(path_);
  if (!path_.isEmpty() && info.isDir()) node = model_->index(info.absoluteFilePath());
  if (!node.isValid()) node = model_->index(0, 0, model_->index(QDir::rootPath()));
  if (!node.isValid()) node = model_->index(QDir::rootPath());
  selected_ = node;
  ShellTreeView1->setCurrentIndex(node);
  ShellTreeView1->scrollTo(node, QAbstractItemView::PositionAtTop);
}

void TDirDlg::KeepSelectedOnTop() {
  if (!selected_.isValid() || ShellTreeView1->currentIndex() != QModelIndex(selected_)) return;
  ShellTreeView1->scrollTo(selected_, QAbstractItemView::PositionAtTop);
  // The view lays its rows out again after the model's signal: the scroll is repeated then.
  QTimer::singleShot(0, this, [this] {
    if (selected_.isValid() && ShellTreeView1->currentIndex() == QModelIndex(selected_))
      ShellTreeView1->scrollTo(selected_, QAbstractItemView::PositionAtTop);
  });
}

bool TDirDlg::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::MouseButtonPress || type == QEvent::Wheel) selected_ = QPersistentModelIndex();
  return QDialog::eventFilter(watched, event);
}

void TDirDlg::BitBtn1Click() {
  const QModelIndex node = ShellTreeView1->currentIndex();
  if (node.isValid()) path_ = QDir::toNativeSeparators(model_->filePath(node));
  accept();
}
