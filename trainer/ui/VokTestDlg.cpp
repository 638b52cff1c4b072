#include "VokTestDlg.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QEvent>

#include "Layout.h"
#include "QtText.h"
#include "VokTestModels.h"
#include "VisibleTabCycling.h"

namespace {

constexpr int kPageTest = 0;
constexpr int kPageSolution = 1;
constexpr int kMarkColumnWidth = 20;     // the mark column's own column
constexpr int kMarkControlWidth = 56;    // the mark column once the test is corrected
constexpr int kMainTitleHeight = 24;     // the window leaves the main window's title row free
constexpr int kSideInset = 2;            // and two pixels of the main window's frame on each side

// The accent letters in tool bar order; only Ç ç ë ï œ are shown.
const char* const kAccentLetters[] = {"Ç", "ç", "à", "â", "è", "é", "ê",
                                      "ë", "î", "ï", "ô", "œ", "ù", "û"};
bool AccentShown(const QString& letter) { return QStringLiteral("Ççëïœ").contains(letter); }

}  // namespace

TTestDlg::TTestDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Test"));
  testModel_ = new TestTableModel(test_.test, test_, TestTableModel::Editing::AskedCellOnly, this);
  solutionModel_ = new TestTableModel(test_.solution, test_, TestTableModel::Editing::None, this);
  markModel_ = new MarkColumnModel(test_, this);
  BuildControls();
  SetLook(look_);
  resize(640, 456);
  frameWatch_.setInterval(20);
  connect(&frameWatch_, &QTimer::timeout, this, [this] { SettlePlacement(); });
}

TTestDlg::~TTestDlg() {
  // Views first, then the models, while the test they read still exists.
  delete PageControl1;
  delete testModel_;
  delete solutionModel_;
  delete markModel_;
}

QWidget* TTestDlg::BuildTopBar() {
  auto* bar = new QWidget(this);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(4, 4, 4, 4);
  KorrektBtn = new QPushButton(QStringLiteral("Korrektur"), bar);
  KorrektBtn->setObjectName("KorrektBtn");
  KorrektBtn->setAutoDefault(false);
  TestDruckBtn = new QPushButton(QStringLiteral("Test drucken"), bar);
  TestDruckBtn->setObjectName("TestDruckBtn");
  LsgDruckBtn = new QPushButton(QStringLiteral("Lösung drucken"), bar);
  LsgDruckBtn->setObjectName("LsgDruckBtn");
  for (QPushButton* b : {TestDruckBtn, LsgDruckBtn}) {
    b->setAutoDefault(false);
    b->setEnabled(false);  // enabled by the window that provides a printer
  }
  row->addWidget(KorrektBtn);
  row->addWidget(TestDruckBtn);
  row->addWidget(LsgDruckBtn);
  row->addSpacing(12);
  int k = 0;
  for (const char* utf8 : kAccentLetters) {
    const QString letter = QString::fromUtf8(utf8);
    auto* b = new QToolButton(bar);
    b->setObjectName(QString("SpeedButton%1").arg(++k));
    b->setText(letter);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(25, 25);
    b->setVisible(AccentShown(letter));
    connect(b, &QToolButton::clicked, this, [this, letter] { SpeedButton7Click(letter); });
    row->addWidget(b);
    AccentButtons.push_back(b);
  }
  row->addSpacing(12);
  Label1 = new QLabel(ToQ(kResultPending), bar);
  Label1->setObjectName("Label1");
  QFont bold = Label1->font();
  bold.setBold(true);
  Label1->setFont(bold);
  // A long result line wraps within the window rather than widening it.
  Label1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  Label1->setWordWrap(true);
  Label1->setMinimumWidth(0);
  row->addWidget(Label1, 1);
  return bar;
}

void TTestDlg::BuildControls() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(BuildTopBar());

  PageControl1 = new QTabWidget(this);
  CycleVisibleTabsOnly(PageControl1);
  PageControl1->setObjectName("PageControl1");
  auto* testPage = new QWidget;
  auto* testRow = new QHBoxLayout(testPage);
  testRow->setContentsMargins(0, 0, 0, 0);
  testRow->setSpacing(0);
  TestGrid = new TestGridView("TestGrid", testPage);
  TestGrid->setModel(testModel_);
  TestGrid->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::DoubleClicked |
                            QAbstractItemView::SelectedClicked |
                            QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
  TestGrid->Delegate()->SetKeyHandler(
      [this](int key, Qt::KeyboardModifiers modifiers) { return TestGridKeyDown(key, modifiers); });
  wfGrid = new TestGridView("wfGrid", testPage);
  wfGrid->setModel(markModel_);
  wfGrid->Delegate()->SetLessonColumn(false);
  wfGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  wfGrid->setSelectionMode(QAbstractItemView::NoSelection);
  wfGrid->setFocusPolicy(Qt::NoFocus);
  wfGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  wfGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  wfGrid->horizontalHeader()->setStretchLastSection(true);
  testRow->addWidget(TestGrid, 1);
  testRow->addWidget(wfGrid);
  PageControl1->addTab(testPage, QStringLiteral("Test"));

  LsgGrid = new TestGridView("LsgGrid", PageControl1);
  LsgGrid->setModel(solutionModel_);
  LsgGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  LsgGrid->setSelectionMode(QAbstractItemView::NoSelection);
  LsgGrid->setFocusPolicy(Qt::NoFocus);
  PageControl1->addTab(LsgGrid, QStringLiteral("Lösungen"));
  PageControl1->setTabVisible(kPageSolution, false);
  layout->addWidget(PageControl1, 1);

  connect(KorrektBtn, &QPushButton::clicked, this, &TTestDlg::KorrektBtnClick);
  for (TestGridView* grid : {TestGrid, wfGrid, LsgGrid}) {
    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &TTestDlg::wfGridTopLeftChanged);
  }
  // The solution page lays its grid out when it is first shown; it joins the shared top row then.
  connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
    LsgGrid->SetTopRow(TestGrid->TopRow());
    LsgGrid->selectionModel()->clearCurrentIndex();  // the solution shows no cursor
  });
}

bool TTestDlg::StartTest(VokTable& box, const TestSettings& settings, const TestGridLook& look,
                         StatusView& status) {
  if (!PrepareTest(box, settings, ClockSeededRandom())) {
    ShowStatus(status, 2, kNoVocabulary);
    return false;
  }
  SetLook(look);
  Label1->setText(ToQ(kResultPending));
  wfGrid->setFixedWidth(0);
  PlaceOverMainWindow();
  exec();
  return true;
}

bool TTestDlg::PrepareTest(VokTable& box, const TestSettings& settings,
                           const RandomSource& random) {
  TestGrid->CloseEditor();
  markModel_->BeginNewTest();
  const bool drawn = DrawTest(box, settings, random, test_);
  markModel_->EndNewTest();
  if (drawn) SelectAskedCell(1);
  return drawn;
}

void TTestDlg::SetLook(const TestGridLook& look) {
  look_ = look;
  for (TestGridView* grid : {TestGrid, wfGrid, LsgGrid}) grid->ApplyLook(look);
}

void TTestDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) {
    FormActivate();
    framing_.Start();
    frameWatch_.start();
  }
}

// The window manager frames a window some time after it is shown, and tells its frame extents
// apart from the events Qt passes on: the placement is checked on every move, resize,
// activation and state change, and on a short watch, until the window is framed and lies
// where it belongs.
bool TTestDlg::event(QEvent* event) {
  const bool handled = QDialog::event(event);
  switch (event->type()) {
    case QEvent::WindowActivate:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
    case QEvent::Expose:
      SettlePlacement();
      break;
    default:
      break;
  }
  return handled;
}

void TTestDlg::SettlePlacement() {
  if (!framing_.Waiting()) return;
  QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
  if (!main || !isVisible()) {
    framing_.Stop();
  } else {
    const FramedPlacement::Step step =
        framing_.Next(frameGeometry(), geometry(), TestWindowFrame(main->frameGeometry()), isActiveWindow());
    if (step == FramedPlacement::Step::Place) PlaceOverMainWindow();
  }
  if (!framing_.Waiting()) frameWatch_.stop();
}

QRect TestWindowFrame(const QRect& mainFrame) {
  return QRect(mainFrame.left() + kSideInset, mainFrame.top() + kMainTitleHeight,
               mainFrame.width() - 2 * kSideInset, mainFrame.height() - kMainTitleHeight);
}

QRect TestWindowClient(const QRect& mainFrame, const QMargins& ownFrame) {
  return TestWindowFrame(mainFrame).marginsRemoved(ownFrame);
}

// The whole window, frame included, lies over the main window's frame less its title row.
// Before the window manager has framed this window once, its frame is taken to be as wide
// as the main window's.
void TTestDlg::PlaceOverMainWindow() {
  QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
  if (!main) return;
  const auto margins = [](const QWidget* w) {
    const QRect frame = w->frameGeometry(), client = w->geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
  };
  const QMargins own = frameGeometry() != geometry() ? margins(this) : margins(main);
  setGeometry(TestWindowClient(main->frameGeometry(), own));
}

void TTestDlg::FormActivate() {
  Label1->setText(ToQ(kResultPending));
  wfGrid->setFixedWidth(0);
  wfGrid->setColumnWidth(0, kMarkColumnWidth);
  wfGrid->selectionModel()->clearCurrentIndex();
  LsgGrid->selectionModel()->clearCurrentIndex();
  SetLook(look_);
  FormResize();
  LsgGrid->setColumnWidth(0, layout::kLessonColumnWidth);
  PageControl1->setCurrentIndex(kPageTest);
  PageControl1->setTabVisible(kPageSolution, false);
  PlaceOverMainWindow();
  TestGrid->setFocus();
  wfGrid->SetTopRow(TestGrid->TopRow());
  const QModelIndex current = TestGrid->currentIndex();
  if ((current.flags() & Qt::ItemIsEditable) && !TestGrid->Delegate()->OpenEditor())
    TestGrid->edit(current);
}

void TTestDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  FormResize();
}

void TTestDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TTestDlg::FormResize() {
  const int testWords = layout::WordColumnWidth(width() - wfGrid->width());
  TestGrid->setColumnWidth(0, layout::kLessonColumnWidth);
  TestGrid->setColumnWidth(1, testWords);
  TestGrid->setColumnWidth(2, testWords);
  const int solutionWords = layout::WordColumnWidth(width());
  LsgGrid->setColumnWidth(0, layout::kLessonColumnWidth);
  LsgGrid->setColumnWidth(1, solutionWords);
  LsgGrid->setColumnWidth(2, solutionWords);
}

void TTestDlg::SelectAskedCell(int row) {
  if (test_.n < 1) return;
  row = std::clamp(row, 1, test_.n);
  const int col = test_.asked[static_cast<size_t>(row)];
  test_.test.cursorRow = row;
  test_.test.cursorCol = col;
  test_.test.marked = {col, row, col, row};
  TestGrid->setCurrentIndex(testModel_->index(row - 1, col));
}

bool TTestDlg::TestGridKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  if (test_.n < 1) return false;
  const QModelIndex current = TestGrid->currentIndex();
  const int row = current.isValid() ? TestTableModel::TableRow(current) : 1;
  const bool back = key == Qt::Key_Backtab || key == Qt::Key_Up ||
                    (key == Qt::Key_Tab && (modifiers & Qt::ShiftModifier));
  const bool forward = !back && (key == Qt::Key_Tab || key == Qt::Key_Down);
  if (forward) SelectAskedCell(row + 1);
  if (back) SelectAskedCell(row - 1);
  // Editing is switched on again after every moving key, Enter included.
  const QModelIndex target = TestGrid->currentIndex();
  if ((target.flags() & Qt::ItemIsEditable) && !TestGrid->Delegate()->OpenEditor())
    TestGrid->edit(target);
  return true;
}

void TTestDlg::SpeedButton7Click(const QString& letter) {
  if (PageControl1->currentIndex() != kPageTest) return;
  QWidget* editor = TestGrid->Delegate()->OpenEditor();
  QWidget* target = editor ? editor : TestGrid;
  QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, letter);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, letter);
  QApplication::sendEvent(target, &release);
  // The editor belongs to the test table: focusing the grid itself would close it.
  editor = TestGrid->Delegate()->OpenEditor();
  if (editor) {
    editor->setFocus();
  } else {
    TestGrid->setFocus();
  }
}

void TTestDlg::KorrektBtnClick() {
  if (test_.n < 1) return;
  PageControl1->setCurrentIndex(kPageTest);
  TestGrid->CloseEditor();  // the answer being typed counts, and tidying must reach the editor
  CorrectTest(test_);
  markModel_->MarksChanged();
  wfGrid->setFixedWidth(kMarkControlWidth);
  FormResize();
  wfGrid->SetTopRow(TestGrid->TopRow());
  Label1->setText(ToQ(test_.result));
  PageControl1->setTabVisible(kPageSolution, true);
}

void TTestDlg::wfGridTopLeftChanged(int topRow) {
  if (syncingScroll_) return;
  syncingScroll_ = true;
  for (TestGridView* grid : {TestGrid, wfGrid, LsgGrid})
    if (grid->TopRow() != topRow) grid->SetTopRow(topRow);
  syncingScroll_ = false;
}
