#pragma once
// The table model of a browser list: three columns over a row vector the window keeps (the
// local side, the remote side or the dialog page's side). The model never copies the rows;
// after the owner has changed them it calls Reset. The rows may change while a listing waits
// for the server (the event loop runs then), so every access checks the index against the
// vector as it is now.
#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <vector>

#include "FtpBrowserRows.h"
#include "FtpSelectionTransfer.h"

class FtpRowModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr const char* kMimeType = "application/x-tirelo-ftp-rows";

  FtpRowModel(const FtpBrowserRows& rows, FtpTag tag, QObject* parent = nullptr);

  // After the rows changed: one reset, the icon cache emptied (O(n)).
  void Reset();
  // The folder whose files the local file icons (images 10 and up) are looked up in.
  void SetLocalFolder(const QString& folder) { localFolder_ = folder; }
  FtpTag Tag() const { return tag_; }
  const FtpBrowserRow* Row(int row) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // An edited caption is only reported; the owner renames and lists again.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
  Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
  // A drop of another list's rows asks the owner to transfer that list's selection.
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;

  // The list tag a drag's data came from, or 0 when it is no row drag.
  static int SourceTag(const QMimeData* data);
  // The glyph of a row kind (folder, current, parent, remote type groups).
  static QIcon ImageIcon(int image);

 signals:
  void CaptionEdited(int row, const QString& newText);
  void DropRequested(int sourceTag);

 private:
  QIcon RowIcon(int row) const;

  const FtpBrowserRows& rows_;
  FtpTag tag_;
  int count_ = 0;
  QString localFolder_;
  mutable std::vector<QIcon> iconCache_;
};
