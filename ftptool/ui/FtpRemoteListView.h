#pragma once
// The browser lists: FtpBrowserListView is a list over one side's rows (the local list, the
// remote list, the dialog page's list) with the column sort, the Delete key, renaming in place
// and dragging to the other list; FtpRemoteListView adds what every remote list does itself:
// listing, the double click into a directory and the rename on the server.
#include <QTreeView>
#include <functional>
#include <optional>
#include <string>

#include "FtpBrowserRows.h"
#include "FtpRemoteListing.h"
#include "FtpRowModel.h"
#include "FtpSelectionTransfer.h"

class TFTPForm1;

class FtpBrowserListView : public QTreeView {
  Q_OBJECT

 public:
  FtpBrowserListView(const FtpBrowserRows& rows, FtpTag tag, double screenFactor,
                     QWidget* parent = nullptr);

  using QTreeView::edit;
  FtpRowModel& Model() { return model_; }
  FtpTag Tag() const { return model_.Tag(); }
  // Shows the rows again after they changed.
  void ShowRows();

  // The marked rows in list order, and whether a caption is being edited.
  FtpSelection Selection() const;
  std::optional<FtpSelectedRow> Current() const;
  // The row of the current index, or -1.
  int CurrentRowIndex() const;
  void SelectRow(int row);

  // The sort column shared by all lists of the window; the default keeps one of its own.
  std::function<FtpSortColumn()> SortColumn;
  std::function<void(FtpSortColumn)> SetSortColumn;

  // Hooks of the owner.
  std::function<void(int row)> OnRowClick;
  std::function<void(int row)> OnDoubleClick;  // -1 when no row is selected
  std::function<void()> OnDeleteKey;
  std::function<void(int row, const std::string& newText)> OnRename;  // the new text in UTF-8
  std::function<void(int sourceTag)> OnDrop;
  // Whether renaming may start now (the remote lists refuse while busy).
  std::function<bool()> MayEdit;

  // The drop rule: the source is another browser list whose current row is neither the
  // current directory nor "..", and the pointer is neither on the first two rows nor in the
  // header band. pos is in viewport coordinates.
  bool AcceptsDrop(const QObject* source, const QPoint& pos) const;

  // A header click: the sort column of the window becomes that column, the rows are re-sorted.
  void SortByColumn(int column);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  const FtpBrowserRows& rows_;
  FtpRowModel model_;
  double screenFactor_;
  FtpSortColumn ownSortColumn_ = FtpSortColumn::Name;
  // The rows re-sorted by the header click belong to the owner; it hands a sorter in.
 public:
  std::function<void(FtpSortColumn)> SortRows;
};

class FtpRemoteListView : public FtpBrowserListView {
  Q_OBJECT

 public:
  FtpRemoteListView(TFTPForm1& window, FtpRemoteSide& side, FtpTag tag, QWidget* parent = nullptr);

  FtpRemoteSide& Side() { return side_; }
  void SetFilter(FtpFileFilter filter) { side_.Filter = std::move(filter); }

  // ListRemoteDirectory on this list's side; the rows are shown afterwards.
  bool List();
  // ChangeRemoteDirectory with the side's path field.
  void ChangeDirectory();
  // After connecting: EnterRemoteStartDirectory with the side's path field.
  void EnterStartDirectory();
  // The double click: into a directory or "..", or OnFileDoubleClick on a file row.
  void DoubleClickRow(int row);
  // The rename on the server, then the deferred listing.
  void RenameRow(int row, const std::string& newText);

  // Runs after a row was clicked and after a double click on a file row.
  std::function<void(int row)> OnFileDoubleClick;
  // Runs after each listing of this list (the path field follows the side).
  std::function<void()> OnListed;

 private:
  TFTPForm1& window_;
  FtpRemoteSide& side_;
};
