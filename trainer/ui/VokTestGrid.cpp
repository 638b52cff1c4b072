#include "VokTestGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <cstdlib>

#include "Layout.h"
#include "QtText.h"

bool IsTestMoveKey(int key) {
  return key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Up ||
         key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter;
}

QWidget* TestCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
  QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
  if (auto* line = qobject_cast<QLineEdit*>(editor)) {
    auto* self = const_cast<TestCellDelegate*>(this);
    connect(line, &QLineEdit::textChanged, self, [self, line] {
      // Only the learner's typing goes back: not the cell's own text loaded into the editor,
      // and nothing once the editor is released.
      if (self->editor_ == line && !self->loadingEditor_) emit self->commitData(line);
    });
  }
  editor_ = editor;
  return editor;
}

void TestCellDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
  if (editor_ == editor) editor_ = nullptr;
  QStyledItemDelegate::destroyEditor(editor, index);
}

void TestCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  loadingEditor_ = true;
  QStyledItemDelegate::setEditorData(editor, index);
  loadingEditor_ = false;
}

void TestCellDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  if (lessonColumn_ && index.column() == 0) option->backgroundBrush = option->palette.button();
}

bool TestCellDelegate::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (HandleMoveKey(key->key(), key->modifiers())) return true;
  }
  return QStyledItemDelegate::eventFilter(watched, event);
}

TestGridView::TestGridView(const QString& objectName, QWidget* parent)
    : QTableView(parent), delegate_(new TestCellDelegate(this)) {
  setObjectName(objectName);
  setItemDelegate(delegate_);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setHighlightSections(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setTabKeyNavigation(true);
  setWordWrap(false);
}

void TestGridView::ApplyLook(const TestGridLook& look) {
  setShowGrid(look.gridLines);
  QPalette pal = palette();
  pal.setColor(QPalette::Base, ToQColor(look.background));
  pal.setColor(QPalette::Text, ToQColor(look.font.color));
  setPalette(pal);

  QFont font(ToQ(look.font.name));
  font.setPixelSize(std::max(std::abs(look.font.height), 1));
  font.setBold(look.font.style & FontStyle::Bold);
  font.setItalic(look.font.style & FontStyle::Italic);
  font.setUnderline(look.font.style & FontStyle::Underline);
  font.setStrikeOut(look.font.style & FontStyle::StrikeOut);
  if (look.font.pitch == 2) font.setFixedPitch(true);
  setFont(font);

  const int rowHeight = layout::RowHeight(look.font.height, look.dpi);
  verticalHeader()->setDefaultSectionSize(rowHeight);
  horizontalHeader()->setFixedHeight(rowHeight);
}

int TestGridView::TopRow() const { return verticalScrollBar()->value(); }

void TestGridView::SetTopRow(int row) { verticalScrollBar()->setValue(row); }

void TestGridView::CloseEditor() {
  if (QWidget* editor = delegate_->OpenEditor()) {
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

bool TestGridView::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    // Moving keys that reach the grid itself (no editor open) go the same way.
    if (delegate_->HandleMoveKey(key->key(), key->modifiers())) return true;
  }
  return QTableView::event(event);
}
