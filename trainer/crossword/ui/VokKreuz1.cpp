#include "VokKreuz1.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

#include "KreuzGrid.h"
#include "KreuzPlay.h"
#include "QtText.h"
#include "VokKreuz2.h"
#include "vokGrid.h"

TKreuzDlg::TKreuzDlg(VokDocument& doc, QWidget* parent) : QDialog(parent), doc_(doc) {
  setObjectName("KreuzDlg");
  setWindowTitle(QString::fromUtf8("Kreuzwort-Rätsel"));
  resize(808, 640);
  kreuzClip_.SetRowCount(0);

  auto* menu = new QMenuBar(this);
  menu->setObjectName("MainMenu1");
  QMenu* datei = menu->addMenu("&Datei");
  QAction* neu = datei->addAction("neu", this, [this] { neu1Click(); });
  neu->setObjectName("neu1");
  // "öffnen" has no command of its own yet.
  QAction* open = datei->addAction(QString::fromUtf8("öffnen"));
  open->setObjectName("ffnen1");
  open->setEnabled(false);

  auto* bar = new QToolBar(this);
  bar->setObjectName("ToolBar1");
  ToolButton1 = new QToolButton(bar);
  ToolButton1->setObjectName("ToolButton1");
  ToolButton2 = new QToolButton(bar);
  ToolButton2->setObjectName("ToolButton2");
  for (QToolButton* b : {ToolButton1, ToolButton2}) {
    b->setFixedSize(23, 22);
    bar->addWidget(b);
  }
  connect(ToolButton1, &QToolButton::clicked, this, [this] { neu1Click(); });
  connect(ToolButton2, &QToolButton::clicked, this, [this] { ToolButton2Click(); });
  Gauge1 = new QProgressBar(bar);
  Gauge1->setObjectName("Gauge1");
  Gauge1->setFixedWidth(313);
  Gauge1->setMaximum(100);
  Gauge1->setValue(0);
  bar->addWidget(Gauge1);

  BuildPages();
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setSizeGripEnabled(false);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menu);
  layout->addWidget(bar);
  layout->addWidget(PageControl1, 1);
  layout->addWidget(StatusBar1);
}

void TKreuzDlg::BuildPages() {
  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  DrawGrid1 = new KreuzGrid(puzzle_, PageControl1);
  DrawGrid1->onKeyPress = [this](unsigned char code) { DrawGrid1KeyPress(code); };
  connect(DrawGrid1, &QTableView::doubleClicked, this,
          [this](const QModelIndex& square) { DrawGrid1DblClick(square.column(), square.row()); });
  PageControl1->addTab(DrawGrid1, QString::fromUtf8("Lösung eintragen"));

  // The task page's table is kept as the window has it; nothing fills it.
  StringGrid1 = new QTableWidget(5, 3, PageControl1);
  StringGrid1->setObjectName("StringGrid1");
  StringGrid1->setColumnWidth(0, 20);
  StringGrid1->setColumnWidth(2, 300);
  PageControl1->addTab(StringGrid1, "Aufgabenstellung");

  KreuzClipGrid = new QTableWidget(0, 3, PageControl1);
  KreuzClipGrid->setObjectName("KreuzClipGrid");
  KreuzClipGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  PageControl1->addTab(KreuzClipGrid, "KreuzClipGrid");
}

void TKreuzDlg::SetTaskList(TKreuzForm* form) {
  taskList_ = form;
  if (!form) return;
  form->onGoToSquare = [this](int column, int row) { GoToSquare(column, row); };
  form->onSolutionShown = [this] { RepaintBoard(); };
}

void TKreuzDlg::neu1Click() {
  if (running_) return;  // a pass lets messages run; a second "neu" waits for the first
  running_ = true;
  puzzle_.solutionShown = false;
  ClearCrossword(puzzle_);
  if (taskList_) {
    taskList_->ShowClues();
    taskList_->show();
  }
  RepaintBoard();
  CrosswordGenerator generator(puzzle_, *random_, this);
  generator.NewCrossword(doc_.Box(1), doc_.Current());
  kreuzClip_.SetRowCount(0);
  for (const ChosenWord& candidate : generator.LastCandidates()) {
    const int r = kreuzClip_.RowCount();
    kreuzClip_.SetRowCount(r + 1);
    kreuzClip_.SetCell(1, r, candidate.word);
    kreuzClip_.SetCell(2, r, candidate.clue);
  }
  ShowCandidates();
  if (taskList_) taskList_->ShowClues();
  RepaintBoard();
  running_ = false;
}

void TKreuzDlg::ToolButton2Click() {
  const VokTable& box1 = doc_.Box(1);
  for (int r = 0; r < box1.RowCount(); ++r)
    if (box1.Cell(1, r).size() == 6) AppendRowCopy(box1, r, kreuzClip_);
  ShowCandidates();
}

void TKreuzDlg::ShowCandidates() {
  KreuzClipGrid->setRowCount(kreuzClip_.RowCount());
  for (int r = 0; r < kreuzClip_.RowCount(); ++r)
    for (int c = 0; c < VokTable::kColCount; ++c)
      KreuzClipGrid->setItem(r, c, new QTableWidgetItem(ToQ(kreuzClip_.Cell(c, r))));
}

void TKreuzDlg::DrawGrid1KeyPress(unsigned char code) {
  if (TypeLetter(puzzle_, DrawGrid1->CurrentColumn(), DrawGrid1->CurrentRow(), code) == KeyResult::Refused)
    QApplication::beep();
  RepaintBoard();
}

void TKreuzDlg::DrawGrid1DblClick(int column, int row) {
  if (column < 0 || row < 0 || column >= kGridSize || row >= kGridSize) return;
  DrawGrid1->SetCurrentSquare(column, row);
  RevealLetter(puzzle_, column, row);
  RepaintBoard();
}

void TKreuzDlg::GoToSquare(int column, int row) {
  DrawGrid1->SetCurrentSquare(column, row);
  activateWindow();
  DrawGrid1->setFocus(Qt::OtherFocusReason);
}

void TKreuzDlg::RepaintBoard() { DrawGrid1->RepaintBoard(); }

void TKreuzDlg::showEvent(QShowEvent* event) {
  // The window takes the main window's size and stands in the middle of the screen.
  if (parentWidget()) resize(parentWidget()->size());
  if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
    const QRect area = s->availableGeometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
  }
  QDialog::showEvent(event);
}

void TKreuzDlg::hideEvent(QHideEvent* event) {
  if (taskList_) taskList_->hide();
  QDialog::hideEvent(event);
}

void TKreuzDlg::SetProgressMax(int max) { Gauge1->setMaximum(std::max(max, 1)); }
void TKreuzDlg::SetProgress(int position) { Gauge1->setValue(position); }
void TKreuzDlg::ClueAdded(const ClueRow& row) {
  if (taskList_) taskList_->AddClueRow(row);
}
void TKreuzDlg::ProcessMessages() {
  RepaintBoard();
  QCoreApplication::processEvents();
}
