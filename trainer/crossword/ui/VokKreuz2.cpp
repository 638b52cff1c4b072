#include "VokKreuz2.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

#include "KreuzPlay.h"
#include "KreuzPrint.h"
#include "QtText.h"

TKreuzForm::TKreuzForm(Crossword& puzzle, PrintCanvas* canvas, std::function<double()> unitsPerTenthMm,
                       QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      puzzle_(puzzle), canvas_(canvas), unitsPerTenthMm_(std::move(unitsPerTenthMm)) {
  setObjectName("KreuzForm");
  setWindowTitle("Aufgaben");
  setModal(false);
  setFixedSize(415, 556);
  StringGrid1 = new QTableWidget(1, 3, this);
  StringGrid1->setObjectName("StringGrid1");
  StringGrid1->horizontalHeader()->hide();
  StringGrid1->verticalHeader()->hide();
  StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
  StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
  StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(StringGrid1, &QTableWidget::cellClicked, this, [this](int row, int) { StringGrid1Click(row); });
  Button2 = new QPushButton("Aufgabe drucken", this);
  Button2->setObjectName("Button2");
  Button1 = new QPushButton(QString::fromUtf8("LÖSUNG anzeigen ..."), this);
  Button1->setObjectName("Button1");
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Button2);
  buttons->addStretch();
  buttons->addWidget(Button1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(StringGrid1);
  layout->addLayout(buttons);
  ShowClues();
}

void TKreuzForm::SetRow(int row, const ClueRow& clue) {
  StringGrid1->setItem(row, 0, new QTableWidgetItem(QString::number(clue.number)));
  StringGrid1->setItem(row, 1, new QTableWidgetItem(ToQ(DirectionText(clue.direction))));
  StringGrid1->setItem(row, 2, new QTableWidgetItem(ToQ(clue.clue)));
}

void TKreuzForm::ShowClues() {
  StringGrid1->clearContents();
  StringGrid1->setRowCount(static_cast<int>(puzzle_.clues.size()) + 1);
  for (size_t i = 0; i < puzzle_.clues.size(); ++i) SetRow(static_cast<int>(i), puzzle_.clues[i]);
}

void TKreuzForm::AddClueRow(const ClueRow& row) {
  // The list grows by one row and the clue goes into the last row but one.
  StringGrid1->setRowCount(StringGrid1->rowCount() + 1);
  SetRow(StringGrid1->rowCount() - 2, row);
}

void TKreuzForm::StringGrid1Click(int row) {
  const QTableWidgetItem* item = StringGrid1->item(row, 0);
  if (!item) return;  // the empty last row
  const auto square = FindNumberedSquare(puzzle_.board, item->text().toInt());
  if (square && onGoToSquare) onGoToSquare(square->first, square->second);
}

void TKreuzForm::Button1Click() {
  puzzle_.solutionShown = true;
  if (onSolutionShown) onSolutionShown();
}

void TKreuzForm::Button2Click() {
  if (!canvas_) return;
  PrintCrosswordTask(*canvas_, unitsPerTenthMm_ ? unitsPerTenthMm_() : 1.0, puzzle_);
}

void TKreuzForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Right edge of the screen, vertically centred.
  if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
    const QRect area = s->availableGeometry();
    const QRect frame = frameGeometry();
    move(area.right() + 1 - frame.width(), area.top() + (area.height() - frame.height()) / 2);
  }
  StringGrid1->setColumnWidth(0, 20);
  StringGrid1->setColumnWidth(1, 100);
  StringGrid1->setColumnWidth(2, 300);
}
