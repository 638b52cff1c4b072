#pragma once
// The test window (caption "Test"): the drawn questions on the page "Test" with the mark column
// at its right edge, the solution on the page "Lösungen" (its tab hidden until the test is
// corrected), "Korrektur" and the result line. Created once and reused; each test replaces
// everything in it.

#include <QDialog>
#include <QMargins>
#include <QRect>
#include <QTimer>
#include <vector>

#include "FramedPlacement.h"
#include "StatusLine.h"
#include "VokTest.h"
#include "VokTestGrid.h"

class QLabel;
class QPushButton;
class QTabWidget;
class QToolButton;
class MarkColumnModel;
class TestTableModel;

// Where the test window goes over the main window (its frame rectangle): top + 24,
// left + 2, width - 4, height - 24. TestWindowClient is the same less the test window's own
// frame, which is what setGeometry takes.
QRect TestWindowFrame(const QRect& mainFrame);
QRect TestWindowClient(const QRect& mainFrame, const QMargins& ownFrame);

class TTestDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TTestDlg(QWidget* parent = nullptr);
  ~TTestDlg() override;

  // The whole "Test" menu command after the item got its check mark: draws a test from the
  // box with a clock-seeded generator and shows the window modally. When the box holds no
  // vocabulary, shows "Keine Vokabeln vorhanden" in the third status field and returns false
  // without opening the window.
  bool StartTest(VokTable& box, const TestSettings& settings, const TestGridLook& look,
                 StatusView& status);

  // The steps of StartTest before the window is shown, with the random source given.
  bool PrepareTest(VokTable& box, const TestSettings& settings, const RandomSource& random);
  void SetLook(const TestGridLook& look);

  const VokTest& Test() const { return test_; }

  // Corrects the answers as they stand; may be pressed any number of times.
  void KorrektBtnClick();
  // An accent button: types its letter into the test table, on the page "Test" only.
  void SpeedButton7Click(const QString& letter);
  // Tab, Shift+Tab, Up, Down and Enter in the test table; true when the key was consumed.
  bool TestGridKeyDown(int key, Qt::KeyboardModifiers modifiers);

  // The window's controls, named as in its design.
  QPushButton* KorrektBtn;
  QLabel* Label1;
  QPushButton* TestDruckBtn;
  QPushButton* LsgDruckBtn;
  std::vector<QToolButton*> AccentButtons;  // "Ç" "ç" "à" "â" "è" "é" "ê" "ë" "î" "ï" "ô" "œ" "ù" "û"
  QTabWidget* PageControl1;
  TestGridView* TestGrid;
  TestGridView* wfGrid;
  TestGridView* LsgGrid;

 protected:
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Escape does not close the window: only its close button ends the test.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  QWidget* BuildTopBar();
  void FormActivate();
  void FormResize();
  void PlaceOverMainWindow();
  void SettlePlacement();
  void SelectAskedCell(int row);
  void wfGridTopLeftChanged(int topRow);

  VokTest test_;
  TestTableModel* testModel_;
  TestTableModel* solutionModel_;
  MarkColumnModel* markModel_;
  TestGridLook look_;
  bool syncingScroll_ = false;
  FramedPlacement framing_;
  QTimer frameWatch_;  // the frame extents arrive without an event of their own
};
