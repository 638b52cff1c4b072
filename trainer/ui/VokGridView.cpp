#include "VokGridView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTimer>

#include "EditKeys.h"
#include "vokGrid.h"

namespace {

// Paints the covered language column over in the font colour so its words cannot be read.
class CoverDelegate : public QStyledItemDelegate {
 public:
  CoverDelegate(VokGridView* grid) : QStyledItemDelegate(grid), grid_(grid) {}

  // Keys typed into a cell editor count for the document as keys typed into the grid.
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (editor) editor->installEventFilter(grid_);
    return editor;
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    if (index.column() == 0) {
      PaintFixedCell(painter, option, index);
      return;
    }
    // The marking shown is the table's: the same rows the row commands act on.
    QStyleOptionViewItem marked(option);
    if (grid_->Marks(index))
      marked.state |= QStyle::State_Selected;
    else
      marked.state &= ~QStyle::State_Selected;
    QStyledItemDelegate::paint(painter, marked, index);
    if (grid_->CoveredColumn() != 0 && index.column() == grid_->CoveredColumn())
      painter->fillRect(option.rect, grid_->palette().color(QPalette::Text));
  }

 private:
  // The lesson column looks like the title row: button colour, text in the table's colour.
  void PaintFixedCell(QPainter* painter, const QStyleOptionViewItem& option,
                      const QModelIndex& index) const {
    const QPalette& palette = grid_->palette();
    painter->fillRect(option.rect, palette.color(QPalette::Button));
    painter->setPen(palette.color(QPalette::Text));
    painter->setFont(option.font);
    painter->drawText(option.rect.adjusted(3, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                      index.data().toString());
  }

  VokGridView* grid_;
};

}  // namespace

VokGridView::VokGridView(VokTable& table, const QString& objectName, QWidget* parent)
    : QTableView(parent), model_(new VokTableModel(table, this)) {
  setObjectName(objectName);
  // Before the view's own connections, so the view's selection changes during a change of
  // rows are not taken for the user's marking; the ends come after Qt's own handling.
  WatchShapeChangesBegin();
  setModel(model_);
  WatchShapeChangesEnd();
  setItemDelegate(new CoverDelegate(this));
  setCornerButtonEnabled(false);
  setWordWrap(false);
  setTabKeyNavigation(true);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(8);
  verticalHeader()->setSectionsMovable(true);
  verticalHeader()->setFixedWidth(12);
  horizontalHeader()->setSectionsMovable(true);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  SetInputMode(InputMode::Mark);

  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { SyncTableFromView(); });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { SyncTableFromView(); });
  // Rows and columns dragged with the mouse move the table's data; the view keeps its order.
  connect(verticalHeader(), &QHeaderView::sectionMoved, this, [this](int, int from, int to) {
    QSignalBlocker block(verticalHeader());
    verticalHeader()->moveSection(to, from);
    Table().MoveRow(from + 1, to + 1);
    if (Table().Host()) Table().Host()->MarkModified();
  });
  connect(horizontalHeader(), &QHeaderView::sectionMoved, this, [this](int logical, int from, int to) {
    QSignalBlocker block(horizontalHeader());
    horizontalHeader()->moveSection(to, from);
    const bool wordColumns = logical != 0 && from != 0 && to != 0;
    if (wordColumns) Table().SwapWordColumns();
    if (Table().Host()) Table().Host()->MarkModified();
  });
}

void VokGridView::SetInputMode(InputMode mode) {
  mode_ = mode;
  model_->SetEditable(mode == InputMode::Write);
  if (mode == InputMode::Mark) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
  } else {
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::AnyKeyPressed |
                    QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
  }
  ShowCursor();
}

void VokGridView::ShowCursor() {
  VokTable& t = Table();
  viewport()->update();
  if (t.RowCount() < 2) return;
  const int row = std::clamp(t.cursorRow, 1, t.RowCount() - 1) - 1;
  const int col = std::clamp(t.cursorCol, 1, 2);
  syncing_ = true;
  const QModelIndex current = model_->index(row, col);
  selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
  QItemSelection selection;
  if (!t.marked.IsNone() && t.marked.top >= 1 && t.marked.bottom >= t.marked.top) {
    const int top = std::min(t.marked.top, t.RowCount() - 1) - 1;
    const int bottom = std::min(t.marked.bottom, t.RowCount() - 1) - 1;
    const int left = std::clamp(t.marked.left, 0, 2), right = std::clamp(t.marked.right, 0, 2);
    selection.select(model_->index(top, left), model_->index(bottom, right));
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  syncing_ = false;
}

namespace {

// Keeps a table's cursor and marked range on rows it still has.
void KeepMarkingInRows(VokTable& t) {
  const int last = t.RowCount() - 1;
  if (last < 1) return;
  t.cursorRow = std::clamp(t.cursorRow, 1, last);
  if (t.marked.IsNone()) return;
  t.marked.bottom = std::clamp(t.marked.bottom, 1, last);
  t.marked.top = std::clamp(t.marked.top, 1, t.marked.bottom);
}

}  // namespace

// Replacing, inserting, removing or moving rows makes Qt adjust or drop the view's
// selection on its own. The table's marking stays what its operations set, so the view takes
// it over again: once at once, and once more when the operation that changed the rows has
// finished setting the marking.
void VokGridView::WatchShapeChangesBegin() {
  const auto begin = [this] { reshaping_ = true; };
  connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, begin);
  connect(model_, &QAbstractItemModel::rowsAboutToBeInserted, this, begin);
  connect(model_, &QAbstractItemModel::rowsAboutToBeRemoved, this, begin);
  connect(model_, &QAbstractItemModel::rowsAboutToBeMoved, this, begin);
}

void VokGridView::WatchShapeChangesEnd() {
  const auto end = [this] { AfterShapeChange(); };
  connect(model_, &QAbstractItemModel::modelReset, this, end);
  connect(model_, &QAbstractItemModel::rowsInserted, this, end);
  connect(model_, &QAbstractItemModel::rowsRemoved, this, end);
  connect(model_, &QAbstractItemModel::rowsMoved, this, end);
}

void VokGridView::AfterShapeChange() {
  reshaping_ = false;
  KeepMarkingInRows(Table());
  ShowCursor();
  QTimer::singleShot(0, this, [this] {
    KeepMarkingInRows(Table());
    ShowCursor();
    viewport()->update();
  });
}

bool VokGridView::Marks(const QModelIndex& index) const {
  const MarkedRange& m = model_->Table().marked;
  if (m.IsNone() || !index.isValid()) return false;
  const int row = VokTableModel::TableRow(index);
  return row >= m.top && row <= m.bottom && index.column() >= m.left && index.column() <= m.right;
}

QLineEdit* VokGridView::OpenCellEditor() {
  const QModelIndex current = currentIndex();
  if (!current.isValid() || !(current.flags() & Qt::ItemIsEditable)) return nullptr;
  if (!indexWidget(current)) edit(current);
  return qobject_cast<QLineEdit*>(indexWidget(current));
}

void VokGridView::GoToRow(int tableRow) {
  VokTable& t = Table();
  if (t.RowCount() < 2) return;
  t.cursorRow = std::clamp(tableRow, 1, t.RowCount() - 1);
  if (mode_ == InputMode::Mark) {
    t.marked = {1, t.cursorRow, 2, t.cursorRow};
  } else {
    t.marked = {t.cursorCol, t.cursorRow, t.cursorCol, t.cursorRow};
  }
  ShowCursor();
  scrollTo(model_->index(t.cursorRow - 1, std::clamp(t.cursorCol, 0, 2)));
  emit cursorMoved(t.cursorRow);
}

void VokGridView::SetCovering(Covering covering) {
  covering_ = covering;
  viewport()->update();
}

int VokGridView::CoveredColumn() const {
  switch (covering_) {
    case Covering::German: return GermanColumn(model_->Table());
    case Covering::French: return FrenchColumn(model_->Table());
    case Covering::None: break;
  }
  return 0;
}

// The table keeps what the view shows: the current cell and the marked rows (whole rows
// in mark mode, the single current cell in write mode).
void VokGridView::SyncTableFromView() {
  if (syncing_ || reshaping_) return;
  VokTable& t = Table();
  const QModelIndex current = currentIndex();
  if (current.isValid()) {
    t.cursorRow = current.row() + 1;
    t.cursorCol = current.column();
  }
  if (mode_ == InputMode::Write) {
    t.marked = {t.cursorCol, t.cursorRow, t.cursorCol, t.cursorRow};
  } else {
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty()) {
      t.marked = current.isValid() ? MarkedRange{1, t.cursorRow, 2, t.cursorRow} : MarkedRange{};
    } else {
      int top = rows.front().row(), bottom = top;
      for (const QModelIndex& index : rows) {
        top = std::min(top, index.row());
        bottom = std::max(bottom, index.row());
      }
      t.marked = {1, top + 1, 2, bottom + 1};
    }
  }
  emit cursorMoved(t.cursorRow);
}

bool VokGridView::InLastCell() const {
  const QModelIndex current = currentIndex();
  return current.isValid() && current.column() == 2 && current.row() == model_->rowCount() - 1;
}

// Tab in the last cell grows the table by an empty row, which the cursor then moves into;
// this alone does not change the document.
void VokGridView::GrowForTab() {
  Table().InsertEmptyRows(Table().RowCount(), 1);
  emit growRequested();
}

void VokGridView::NoteKey(const QKeyEvent* event) {
  if (IsEditingKey(VirtualKeyOf(event->key(), event->modifiers(), event->text())))
    emit keyPressedForEdit(event->key());
}

void VokGridView::keyPressEvent(QKeyEvent* event) {
  if (mode_ == InputMode::Write) {
    if (event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier) && InLastCell()) {
      GrowForTab();
    } else {
      NoteKey(event);
    }
  }
  QTableView::keyPressEvent(event);
}

// Keys reach an open cell editor, not the grid: they are noted here on their way.
bool VokGridView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && mode_ == InputMode::Write) {
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) NoteKey(key);
  }
  return QTableView::eventFilter(watched, event);
}

// Tab out of an editor in the last cell closes it with "next item": grow first, then move on.
void VokGridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  if (hint == QAbstractItemDelegate::EditNextItem && mode_ == InputMode::Write && InLastCell())
    GrowForTab();
  QTableView::closeEditor(editor, hint);
}

// Typing in mark mode changes nothing, not even the current row.
void VokGridView::keyboardSearch(const QString& search) {
  if (mode_ == InputMode::Write) QTableView::keyboardSearch(search);
}

// Entering a table shows its row in the status bar, as a click does.
void VokGridView::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  emit cursorMoved(Table().cursorRow);
}
