#include "FtpRemoteListView.h"

#include <QDragMoveEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QTimer>
#include <cmath>

#include "FTP1.h"
#include "FtpNameCodec.h"
#include "QtText.h"
#include "Win1252.h"

FtpBrowserListView::FtpBrowserListView(const FtpBrowserRows& rows, FtpTag tag, double screenFactor,
                                       QWidget* parent)
    : QTreeView(parent), rows_(rows), model_(rows, tag, this), screenFactor_(screenFactor) {
  setModel(&model_);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(false);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::CopyAction);
  header()->setSectionsClickable(true);
  header()->setStretchLastSection(false);
  header()->resizeSection(0, 120);
  header()->resizeSection(1, 55);
  header()->resizeSection(2, static_cast<int>(std::lround(120 * screenFactor)));
  SortColumn = [this] { return ownSortColumn_; };
  SetSortColumn = [this](FtpSortColumn column) { ownSortColumn_ = column; };
  connect(header(), &QHeaderView::sectionClicked, this, &FtpBrowserListView::SortByColumn);
  connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
    if (OnRowClick) OnRowClick(index.row());
  });
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex&) {
    if (OnDoubleClick) OnDoubleClick(CurrentRowIndex());
  });
  connect(&model_, &FtpRowModel::CaptionEdited, this, [this](int row, const QString& text) {
    if (OnRename) OnRename(row, text.toStdString());
  });
  connect(&model_, &FtpRowModel::DropRequested, this, [this](int source) {
    if (OnDrop) OnDrop(source);
  });
}

void FtpBrowserListView::ShowRows() {
  model_.Reset();
  if (!rows_.empty()) setCurrentIndex(model_.index(0, 0));
  selectionModel()->clearSelection();
  scrollToTop();
}

FtpSelection FtpBrowserListView::Selection() const {
  FtpSelection selection;
  selection.Editing = state() == QAbstractItemView::EditingState;
  for (int row = 0; row < model_.rowCount(); ++row) {
    if (!selectionModel()->isRowSelected(row, {})) continue;
    if (const FtpBrowserRow* r = model_.Row(row))
      selection.Rows.push_back({r->Caption, r->SizeText, r->Image, r->Name});
  }
  return selection;
}

std::optional<FtpSelectedRow> FtpBrowserListView::Current() const {
  const FtpBrowserRow* row = model_.Row(CurrentRowIndex());
  if (!row) return std::nullopt;
  return FtpSelectedRow{row->Caption, row->SizeText, row->Image, row->Name};
}

int FtpBrowserListView::CurrentRowIndex() const {
  const QModelIndex index = currentIndex();
  if (!index.isValid() || !selectionModel()->isRowSelected(index.row(), {})) return -1;
  return index.row();
}

void FtpBrowserListView::SelectRow(int row) {
  const QModelIndex index = model_.index(row, 0);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void FtpBrowserListView::SortByColumn(int column) {
  if (column < 0 || column > 2) return;
  SetSortColumn(static_cast<FtpSortColumn>(column));
  if (SortRows) SortRows(SortColumn());
  ShowRows();
}

void FtpBrowserListView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
    if (OnDeleteKey) OnDeleteKey();
    return;
  }
  // Enter on a folder row (".." and "." too) acts as a double click does; on a file row it goes
  // on to the window (the dialog page's OK).
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && state() != QAbstractItemView::EditingState) {
    const FtpBrowserRow* row = model_.Row(CurrentRowIndex());
    if (row && (row->IsDirectoryRow() || row->IsSpecialRow()) && OnDoubleClick) {
      OnDoubleClick(CurrentRowIndex());
      return;
    }
  }
  QTreeView::keyPressEvent(event);
}

bool FtpBrowserListView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  if (trigger != QAbstractItemView::NoEditTriggers && index.isValid() &&
      (model_.flags(index) & Qt::ItemIsEditable) && MayEdit && !MayEdit())
    return false;
  return QTreeView::edit(index, trigger, event);
}

bool FtpBrowserListView::AcceptsDrop(const QObject* source, const QPoint& pos) const {
  const auto* list = qobject_cast<const FtpBrowserListView*>(source);
  if (!list || list == this || list->Tag() == Tag()) return false;
  const auto current = list->Current();
  if (!current || current->Image == ftpimage::kCurrentDirectory || current->Image == ftpimage::kParent)
    return false;
  const int headerBand = static_cast<int>(std::lround(16 * screenFactor_));
  if (pos.y() + header()->height() < headerBand) return false;
  const int row = indexAt(pos).row();
  return row != 0 && row != 1;
}

void FtpBrowserListView::dragEnterEvent(QDragEnterEvent* event) {
  if (FtpRowModel::SourceTag(event->mimeData()) != 0) event->acceptProposedAction();
  else event->ignore();
}

void FtpBrowserListView::dragMoveEvent(QDragMoveEvent* event) {
  if (AcceptsDrop(event->source(), event->position().toPoint())) event->acceptProposedAction();
  else event->ignore();
}

void FtpBrowserListView::dropEvent(QDropEvent* event) {
  if (!AcceptsDrop(event->source(), event->position().toPoint())) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  model_.dropMimeData(event->mimeData(), Qt::CopyAction, -1, -1, {});
}

FtpRemoteListView::FtpRemoteListView(TFTPForm1& window, FtpRemoteSide& side, FtpTag tag, QWidget* parent)
    : FtpBrowserListView(side.Rows, tag, window.ScreenFactorValue(), parent), window_(window), side_(side) {
  SortRows = [this](FtpSortColumn column) { SortBrowserRows(side_.Rows, column); };
  OnDoubleClick = [this](int row) { DoubleClickRow(row); };
  OnRename = [this](int row, const std::string& text) { RenameRow(row, text); };
  MayEdit = [this] { return !window_.Connection().RefuseWhileBusy(); };
}

bool FtpRemoteListView::List() {
  side_.Rows.clear();
  ShowRows();
  const bool listed = ListRemoteDirectory(window_.Connection(), window_, side_, SortColumn());
  ShowRows();
  if (OnListed) OnListed();
  return listed;
}

void FtpRemoteListView::ChangeDirectory() {
  ChangeRemoteDirectory(window_.Connection(), window_, side_, SortColumn());
  ShowRows();
  if (OnListed) OnListed();
}

void FtpRemoteListView::EnterStartDirectory() {
  EnterRemoteStartDirectory(window_.Connection(), window_, side_, SortColumn());
  ShowRows();
  if (OnListed) OnListed();
}

void FtpRemoteListView::DoubleClickRow(int index) {
  FtpConnection& connection = window_.Connection();
  if (connection.RefuseWhileBusy()) return;
  const FtpBrowserRow* found = Model().Row(index);
  if (!found) {
    window_.ShowFtpStatus(2, A("Nichts ausgewählt!"));
    return;
  }
  if (!connection.EnsureConnection()) {
    window_.ShowFtpStatus(2, "Keine Verbindung!");
    return;
  }
  const FtpBrowserRow row = *found;
  if (row.Image == ftpimage::kCurrentDirectory) {
    List();  // the folder shown, listed again: never the dialog page's OK
    return;
  }
  if (row.Image != ftpimage::kDirectory && row.Image != ftpimage::kParent) {
    if (OnFileDoubleClick) OnFileDoubleClick(index);
    return;
  }
  window_.SetCursor(FtpCursor::Hourglass);
  connection.SetBusy(true);
  bool changed = true;
  try {
    connection.Session().ChangeDir(row.Name);
  } catch (const std::exception&) {
    changed = false;
  }
  connection.SetBusy(false);
  if (changed) List();
  window_.SetCursor(FtpCursor::Normal);
  if (!changed)
    window_.DialogsService().Message("Ladeko", "Verzeichniswechsel fehlgeschlagen", MsgButtons::Ok,
                                     MsgIcon::Error);
}

void FtpRemoteListView::RenameRow(int index, const std::string& newText) {
  const FtpBrowserRow* row = Model().Row(index);
  // A name left as it was is no rename: nothing goes to the server.
  if (row && !newText.empty() && newText[0] != ' ' && newText != row->Caption) {
    FtpConnection& connection = window_.Connection();
    const std::string oldName = row->Name;
    const auto newName = FtpServerNameOf(std::string_view(newText), connection.NameEncoding());
    window_.SetCursor(FtpCursor::Hourglass);
    connection.SetBusy(true);
    bool renamed = newName.has_value();
    try {
      if (newName) connection.Session().Rename(oldName, *newName);
    } catch (const std::exception&) {
      renamed = false;
    }
    connection.SetBusy(false);
    window_.SetCursor(FtpCursor::Normal);
    if (renamed) window_.ClearFtpStatus(2, 2);
    else
      window_.DialogsService().Message("Ladeko", "Umbenennung fehlgeschlagen", MsgButtons::Ok,
                                       MsgIcon::Error);
  }
  // The editor is still open while the model reports the new text; list once it is gone.
  QTimer::singleShot(0, this, [this] { List(); });
}
