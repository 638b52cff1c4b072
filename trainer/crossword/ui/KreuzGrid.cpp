#include "KreuzGrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QFontMetrics>
#include <QPainter>

#include "KreuzPlay.h"
#include "QtText.h"

namespace {

// The squares carry no data of their own; the delegate reads the puzzle.
class SquaresModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;
  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : kGridSize; }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : kGridSize; }
  QVariant data(const QModelIndex&, int) const override { return {}; }
  Qt::ItemFlags flags(const QModelIndex&) const override { return Qt::ItemIsEnabled | Qt::ItemIsSelectable; }
};

// A font whose line (ascent and descent) is cellHeight pixels high: the heights of the board's
// texts count the whole text line, not the letters alone.
QFont FontOfCellHeight(int cellHeight, bool bold) {
  QFont font("Arial");
  font.setBold(bold);
  font.setPixelSize(cellHeight);
  const int line = QFontMetrics(font).height();
  if (line > cellHeight) font.setPixelSize(std::max(1, cellHeight * cellHeight / line));
  return font;
}

}  // namespace

KreuzGrid::KreuzGrid(const Crossword& puzzle, QWidget* parent) : QTableView(parent) {
  setObjectName("DrawGrid1");
  setModel(new SquaresModel(this));
  setItemDelegate(new KreuzSquareDelegate(puzzle, this));
  horizontalHeader()->hide();
  verticalHeader()->hide();
  for (QHeaderView* h : {horizontalHeader(), verticalHeader()}) {
    h->setSectionResizeMode(QHeaderView::Fixed);
    h->setMinimumSectionSize(1);
    h->setDefaultSectionSize(kSquare + kLine);
  }
  setShowGrid(false);  // the delegate draws 2-pixel lines
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  QPalette p = palette();
  p.setColor(QPalette::Base, Qt::white);
  setPalette(p);
  QFont bold("Arial");
  bold.setBold(true);
  setFont(bold);
  setCurrentIndex(model()->index(0, 0));
}

void KreuzGrid::SetCurrentSquare(int column, int row) {
  setCurrentIndex(model()->index(row, column));
  scrollTo(currentIndex());
}

void KreuzGrid::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  const bool character = !text.isEmpty() && event->key() != Qt::Key_Escape &&
                         event->key() != Qt::Key_Tab && event->key() != Qt::Key_Return &&
                         event->key() != Qt::Key_Enter;
  if (!character || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
    QTableView::keyPressEvent(event);
    return;
  }
  const std::string code = FromQ(text.left(1));
  if (onKeyPress && !code.empty()) onKeyPress(static_cast<unsigned char>(code[0]));
  event->accept();
}

void KreuzSquareDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
  const QRect cell = option.rect;
  const QRect square(cell.left(), cell.top(), KreuzGrid::kSquare, KreuzGrid::kSquare);
  painter->save();
  painter->fillRect(cell, QColor(0x80, 0x80, 0x80));  // the grid lines right and below
  const SquareLook look = LookOfSquare(puzzle_, index.column(), index.row());
  if (look.blocked) {
    painter->fillRect(square, ToQColor(kBlockedColor));
  } else {
    painter->fillRect(square, Qt::white);
    if (look.number != 0) {
      static const QFont numberFont = FontOfCellHeight(16, false);
      painter->setFont(numberFont);
      painter->setPen(Qt::black);
      painter->drawText(square.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, QString::number(look.number));
    }
    if (!look.letter.empty()) {
      static const QFont letterFont = FontOfCellHeight(26, true);
      painter->setFont(letterFont);
      painter->setPen(ToQColor(look.letterColor));
      painter->drawText(QRect(square.left() + 12, square.top() + 12, 28, 26), Qt::AlignLeft | Qt::AlignTop,
                        ToQ(look.letter));
    }
  }
  if (option.state & QStyle::State_HasFocus || option.state & QStyle::State_Selected) {
    painter->setPen(QPen(QColor(0, 0, 0xC0), 2, Qt::DotLine));
    painter->drawRect(square.adjusted(1, 1, -1, -1));
  }
  painter->restore();
}
