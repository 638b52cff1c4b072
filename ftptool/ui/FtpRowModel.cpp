#include "FtpRowModel.h"

#include <QFile>

#include <QApplication>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeData>
#include <QStyle>

#include "QtText.h"

FtpRowModel::FtpRowModel(const FtpBrowserRows& rows, FtpTag tag, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows), tag_(tag) {}

void FtpRowModel::Reset() {
  beginResetModel();
  count_ = static_cast<int>(rows_.size());
  iconCache_.assign(rows_.size(), QIcon());
  endResetModel();
}

const FtpBrowserRow* FtpRowModel::Row(int row) const {
  if (row < 0 || row >= count_ || static_cast<size_t>(row) >= rows_.size()) return nullptr;
  return &rows_[static_cast<size_t>(row)];
}

int FtpRowModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : count_; }

int FtpRowModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant FtpRowModel::data(const QModelIndex& index, int role) const {
  const FtpBrowserRow* row = Row(index.row());
  if (!row) return {};
  if (role == Qt::DisplayRole || role == Qt::EditRole) {
    switch (index.column()) {
      case 0: return QString::fromStdString(row->Caption);  // display text, UTF-8
      case 1: return ToQ(row->SizeText);
      case 2: return ToQ(row->DateText);
    }
  }
  if (role == Qt::DecorationRole && index.column() == 0) return RowIcon(index.row());
  if (role == Qt::TextAlignmentRole && index.column() == 1)
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant FtpRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case 0: return QStringLiteral("Dateiname       ");
    case 1: return QStringLiteral("Größe");
    case 2: return QStringLiteral("Datum");
  }
  return {};
}

Qt::ItemFlags FtpRowModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
  const FtpBrowserRow* row = Row(index.row());
  if (!row) return Qt::ItemIsDropEnabled;
  flags |= Qt::ItemIsDragEnabled;
  // The current directory and ".." keep their captions.
  if (index.column() == 0 && !row->IsSpecialRow()) flags |= Qt::ItemIsEditable;
  return flags;
}

bool FtpRowModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || index.column() != 0 || !Row(index.row())) return false;
  emit CaptionEdited(index.row(), value.toString());
  return false;
}

QStringList FtpRowModel::mimeTypes() const { return {QString::fromLatin1(kMimeType)}; }

QMimeData* FtpRowModel::mimeData(const QModelIndexList& indexes) const {
  if (indexes.isEmpty()) return nullptr;
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(kMimeType), QByteArray::number(static_cast<int>(tag_)));
  return data;
}

int FtpRowModel::SourceTag(const QMimeData* data) {
  if (!data || !data->hasFormat(QString::fromLatin1(kMimeType))) return 0;
  return data->data(QString::fromLatin1(kMimeType)).toInt();
}

bool FtpRowModel::dropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex&) {
  const int source = SourceTag(data);
  if (source == 0 || source == static_cast<int>(tag_)) return false;
  emit DropRequested(source);
  return true;
}

QIcon FtpRowModel::ImageIcon(int image) {
  QStyle* style = QApplication::style();
  switch (image) {
    case ftpimage::kDirectory: return style->standardIcon(QStyle::SP_DirIcon);
    case ftpimage::kCurrentDirectory: return style->standardIcon(QStyle::SP_DirOpenIcon);
    case ftpimage::kParent: return style->standardIcon(QStyle::SP_FileDialogToParent);
  }
  static const char* const groups[] = {"text-x-generic",   "image-x-generic",
                                       "help-contents",    "x-office-spreadsheet",
                                       "audio-x-generic",  "package-x-generic"};
  const QIcon file = style->standardIcon(QStyle::SP_FileIcon);
  const int group = image - ftpimage::kFirstRemoteGroup;
  if (group >= 0 && group < 6) return QIcon::fromTheme(QString::fromLatin1(groups[group]), file);
  return file;
}

QIcon FtpRowModel::RowIcon(int index) const {
  const FtpBrowserRow* row = Row(index);
  if (row->Image < ftpimage::kFirstLocalFile) return ImageIcon(row->Image);
  if (static_cast<size_t>(index) >= iconCache_.size()) return ImageIcon(-1);
  QIcon& icon = iconCache_[static_cast<size_t>(index)];
  if (icon.isNull()) {
    static QFileIconProvider provider;
    const QString name = QFile::decodeName(QByteArray::fromStdString(row->Name));
    icon = provider.icon(QFileInfo(QDir(localFolder_).filePath(name)));
    if (icon.isNull()) icon = ImageIcon(-1);
  }
  return icon;
}
