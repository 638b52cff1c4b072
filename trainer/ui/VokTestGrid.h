#pragma once
// The grids of the test window: the test table (TestGrid), where the learner writes into the
// asked cells, and the read-only views of the mark column and the solution table. Tab,
// Shift+Tab, Up, Down and Enter are handed to the window whether the cell editor is open or
// not, so the grid's own cursor movement never follows them.

#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

#include "Dialogs.h"

// How the test window's tables look, taken from the main window's view settings.
struct TestGridLook {
  bool gridLines = true;
  Color background = 16755370;
  FontDesc font{16711680, -13, "Verdana", 0, 10, 0};  // font.color is the text colour
  double dpi = 96;
};

// True for the keys the test table moves by itself: Tab, Shift+Tab, Up, Down, Enter.
bool IsTestMoveKey(int key);

// Paints the lesson column like a fixed column; in the test table it also hands the moving
// keys typed into the editor to the grid, and writes every change of the editor's text into the
// model at once, so the answers always stand as typed.
class TestCellDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using KeyHandler = std::function<bool(int key, Qt::KeyboardModifiers modifiers)>;

  explicit TestCellDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

  void SetKeyHandler(KeyHandler handler) { keyHandler_ = std::move(handler); }
  // The mark column has no lesson column: all its cells take the table colour.
  void SetLessonColumn(bool shown) { lessonColumn_ = shown; }
  QWidget* OpenEditor() const { return editor_; }
  // True when the key was one of the moving keys and the grid has handled it.
  bool HandleMoveKey(int key, Qt::KeyboardModifiers modifiers) const {
    return keyHandler_ && IsTestMoveKey(key) && keyHandler_(key, modifiers);
  }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  KeyHandler keyHandler_;
  mutable QPointer<QWidget> editor_;
  mutable bool loadingEditor_ = false;
  bool lessonColumn_ = true;
};

class TestGridView : public QTableView {
  Q_OBJECT

 public:
  explicit TestGridView(const QString& objectName, QWidget* parent = nullptr);

  TestCellDelegate* Delegate() const { return delegate_; }

  // Applies grid lines, colours, font and the row height.
  void ApplyLook(const TestGridLook& look);
  int TopRow() const;
  void SetTopRow(int row);

  // Writes the open editor's text into the model and closes it.
  void CloseEditor();

 protected:
  bool event(QEvent* event) override;
  // Typing in a cell that is not asked changes nothing, not even the current cell.
  void keyboardSearch(const QString&) override {}

 private:
  TestCellDelegate* delegate_;
};
