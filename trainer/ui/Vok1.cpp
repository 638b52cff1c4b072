#include "Vok1.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <cmath>

#include "FindDialog.h"
#include "FrameFit.h"
#include "HelpViewer.h"
#include "Layout.h"
#include "QtText.h"
#include "vokGrid.h"

TForm1::TForm1(Services services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)) {
  setObjectName("Form1");
  setWindowTitle("Tirelo V - Vokabeltrainerin Französisch");
  QFont font("Verdana");
  font.setPixelSize(13);
  setFont(font);
  resize(805, 549);
  BuildMenu();
  BuildToolBar();
  BuildPages();
  BuildStatusBar();
  CreateDocumentObject();
  WireCommands();
  WireExchangeCommands();
  FindDialog1 = new TFindDialog(this);
  connect(FindDialog1, &TFindDialog::findNext, this, [this] { FindDialog1Find(); });
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(f1, &QShortcut::activated, this, [this] { ShowHelp(helpContext_); });
}

TForm1::~TForm1() {
  for (int page = 0; page < 4; ++page) doc_.Page(page).SetHost(nullptr);
  // The grids and their models go while the tables they watch still exist.
  delete PageControl1;
}

QAction* TForm1::Action(const QString& objectName) const {
  for (QAction* a : findChildren<QAction*>())
    if (a->objectName() == objectName) return a;
  for (QMenu* m : menuBar()->findChildren<QMenu*>())
    for (QAction* a : m->actions())
      if (a->objectName() == objectName) return a;
  return nullptr;
}

QToolButton* TForm1::Button(const QString& objectName) const {
  return findChild<QToolButton*>(objectName);
}

QString TForm1::StatusText(int panel) const { return panels_.at(panel)->text(); }

void TForm1::SetScreenDpi(double dpi) { scale_ = dpi / 96.0; }

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!activated_) {
    activated_ = true;
    FormActivate();
  }
}

void TForm1::FormActivate() {
  if (scale_ == 1.0 && screen()) SetScreenDpi(screen()->logicalDotsPerInchX());
  SetRowHeights();
  SetColumnWidths();
  addMode_ = false;
  StartDocument();
  ResetTable(doc_.Clipboard(), 1, 2);
  PageControl1->setTabVisible(VokDocument::kClipboardPage, false);
  ApplySizePreset();
  for (int page = 0; page < VokDocument::kBoxCount; ++page) {
    doc_.SetCurrentPage(page);
    Pos1BtnClick();
  }
  FindDialog1->move(x() + (width() - 200) / 2, y());
  if (titleWindow_) {
    titleWindow_->hide();
    titleWindow_->deleteLater();
    titleWindow_ = nullptr;
  }
  PageControl1->setCurrentIndex(0);
  doc_.SetCurrentPage(0);
  ShowStatus(*this, 0, file_->FileNameText());
  ShowRowStatus();
  RegisterFileTypes();
}

void TForm1::SetRowHeights() {
  const int height = layout::RowHeight(desktop_.view.font.height, 96.0 * scale_);
  for (VokGridView* grid : grids_) {
    grid->verticalHeader()->setDefaultSectionSize(height);
    grid->horizontalHeader()->setFixedHeight(height);
  }
}

void TForm1::SetColumnWidths() {
  for (VokGridView* grid : grids_) {
    grid->setColumnWidth(0, layout::kLessonColumnWidth);
    grid->setColumnWidth(1, layout::WordColumnWidth(width()));
    grid->setColumnWidth(2, layout::WordColumnWidth(width()));
  }
}

void TForm1::ApplyViewSettings() {
  mitGitter->setChecked(desktop_.view.gridLines);
  const InputMode mode = SBtn->isChecked() ? InputMode::Write : InputMode::Mark;
  QFont font(ToQ(desktop_.view.font.name));
  font.setPixelSize(std::max(1, std::abs(desktop_.view.font.height)));
  font.setBold(desktop_.view.font.style & FontStyle::Bold);
  font.setItalic(desktop_.view.font.style & FontStyle::Italic);
  font.setUnderline(desktop_.view.font.style & FontStyle::Underline);
  font.setStrikeOut(desktop_.view.font.style & FontStyle::StrikeOut);
  for (VokGridView* grid : grids_) {
    grid->setShowGrid(desktop_.view.gridLines);
    if (grid->Mode() != mode) grid->SetInputMode(mode);
    QPalette palette = grid->palette();
    palette.setColor(QPalette::Base, ToQColor(desktop_.view.background));
    palette.setColor(QPalette::Text, ToQColor(desktop_.view.font.color));
    grid->setPalette(palette);
    grid->setFont(font);
  }
  SetRowHeights();
  CurrentGrid()->setFocus();
}

// Stored sizes are in 1/96 inch; only the two presets are applied, centred on the screen.
void TForm1::ApplySizePreset() {
  const QRect screenRect = screen() ? screen()->geometry() : QRect(0, 0, 1024, 768);
  if (const auto preset = WindowPreset(desktop_.view, 96.0 * scale_, screenRect.width(),
                                       screenRect.height())) {
    resize(preset->width, preset->height);
    move(screenRect.x() + preset->left, screenRect.y() + preset->top);
  }
  ApplyViewSettings();
}

void TForm1::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  if (activated_) FitFrameToScreen(*this);
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  for (int page = 0; page < VokDocument::kBoxCount; ++page) {
    grids_[page]->setColumnWidth(1, layout::WordColumnWidth(width()));
    grids_[page]->setColumnWidth(2, layout::WordColumnWidth(width()));
  }
  panels_[0]->setFixedWidth(layout::RoundHalfEven(width() * 350.0 / 640.0));
  ShowStatus(*this, 0, file_->FileNameText());
}

void TForm1::SetModified() { file_->SetModified(); }

void TForm1::mitGitterClick(int tag) {
  if (tag == 1) {
    desktop_.view.gridLines = !desktop_.view.gridLines;
    ApplyViewSettings();
    return;
  }
  // The covering items: QAction has already toggled the clicked one.
  QAction* clicked = tag == 2 ? Deutschabdecken : Franzsischabdecken;
  QAction* other = tag == 2 ? Franzsischabdecken : Deutschabdecken;
  if (clicked->isChecked()) other->setChecked(false);
  UpdateCovering();
  CurrentGrid()->clearSelection();
  CurrentTable().marked = {};
}

void TForm1::UpdateCovering() {
  const Covering covering = Deutschabdecken->isChecked()      ? Covering::German
                            : Franzsischabdecken->isChecked() ? Covering::French
                                                              : Covering::None;
  for (int page = 0; page < VokDocument::kBoxCount; ++page) grids_[page]->SetCovering(covering);
}

void TForm1::Spaltenvertauschen1Click() { SwapColumns(CurrentTable()); }

void TForm1::Form640Click(int tag) {
  desktop_.view.windowWidth = tag == 1 ? 640 : 800;
  desktop_.view.windowHeight = tag == 1 ? 480 : 600;
  showNormal();
  ApplySizePreset();
}

void TForm1::Hintergrundfarbe1Click() {
  if (services_.dialogs)
    if (auto color = services_.dialogs->ChooseColor(desktop_.view.background)) desktop_.view.background = *color;
  ApplyViewSettings();
}

void TForm1::Font1Click() {
  if (services_.dialogs) {
    if (auto font = services_.dialogs->ChooseFont(desktop_.view.font, 12)) {
      desktop_.view.font = *font;
      if (desktop_.view.font.name.size() > 40) desktop_.view.font.name.resize(40);
    }
  }
  ApplyViewSettings();
}

// Entering write mode shrinks each box's marking to the column 1 cell of its top row;
// entering mark mode widens it to that whole row.
void TForm1::MBtnClick(InputMode mode) {
  (mode == InputMode::Write ? SBtn : MBtn)->setChecked(true);
  for (int page = 0; page < VokDocument::kBoxCount; ++page) {
    VokTable& t = doc_.Page(page);
    const int top = t.marked.IsNone() ? t.cursorRow : t.marked.top;
    t.marked = mode == InputMode::Write ? MarkedRange{1, top, 1, top} : MarkedRange{1, top, 2, top};
    t.cursorRow = top;
    t.cursorCol = 1;
  }
  ApplyViewSettings();
  for (VokGridView* grid : grids_) grid->ShowCursor();
}

void TForm1::Pos1BtnClick() {
  VokGridView* grid = CurrentGrid();
  VokTable& t = grid->Table();
  if (grid->Mode() == InputMode::Write) t.cursorCol = 1;
  grid->GoToRow(1);
}

void TForm1::EndeBtnClick() {
  VokGridView* grid = CurrentGrid();
  VokTable& t = grid->Table();
  if (grid->Mode() == InputMode::Write) t.cursorCol = 2;
  grid->GoToRow(t.RowCount() - 1);
}

// In write mode the letter is typed into the cell being edited, at the caret. The editor
// keeps the focus afterwards: focusing the grid itself would close it, and the next key
// would then start a new edit that replaces the word typed so far.
void TForm1::FrenchBtnClick(const std::string& letter) {
  VokGridView* grid = CurrentGrid();
  if (grid->Mode() == InputMode::Write) {
    if (QLineEdit* editor = grid->OpenCellEditor()) {
      editor->insert(ToQ(letter));
      SetModified();
      editor->setFocus();
      return;
    }
  }
  grid->setFocus();
}

void TForm1::ToolButton12Click() {
  VokTable& t = CurrentTable();
  const bool germanFirst = t.Cell(1, 0) == vok::kDeutsch;
  t.SetCell(1, 0, germanFirst ? vok::kFranzoesisch : vok::kDeutsch);
  t.SetCell(2, 0, germanFirst ? vok::kDeutsch : vok::kFranzoesisch);
  SetModified();
}

void TForm1::PageControl1Change() {
  ShowRowStatus();
  if (CurrentGrid()->Mode() == InputMode::Mark) CurrentGrid()->ShowCursor();
}

void TForm1::ShowRowStatus() { ShowStatus(*this, 1, RowStatusText(CurrentTable().cursorRow)); }

void TForm1::ShowHelp(int context) {
  if (!services_.help) return;
  if (context == -1) {
    services_.help->ShowSearch();
  } else if (context == -2) {
    services_.help->ShowUsingHelp();
  } else if (context == 0) {
    services_.help->ShowContents();
  } else {
    services_.help->ShowTopic(context);
  }
}

void TForm1::Wrtersuchen1Click() {
  FindDialog1->show();
  FindDialog1->raise();
  FindDialog1->activateWindow();
}

// A match marks the matching word cells and brings the row into view; nothing found leaves
// everything as it was, without a message.
void TForm1::FindDialog1Find() {
  VokTable& t = CurrentTable();
  const auto match = FindNext(t, FindDialog1->Options());
  if (!match) return;
  t.marked = match->Marking();
  t.cursorRow = match->row;
  VokGridView* grid = CurrentGrid();
  grid->setFocus();
  grid->ShowCursor();
  grid->scrollTo(grid->model()->index(match->row - 1, t.marked.left));
  ShowRowStatus();
}

void TForm1::WatchHelpContext(QWidget* widget) {
  widget->setMouseTracking(true);
  widget->installEventFilter(this);
}

// The window's help context follows the mouse: tool bars 290, tables 300, accent buttons 240.
bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
    // A mouse move a button does not take goes on to its tool bar: the context follows the
    // widget under the mouse, not the one the event reached.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && event->type() == QEvent::MouseMove) {
      const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
      if (QWidget* child = widget->childAt(at)) widget = child;
    }
    for (; widget; widget = widget->parentWidget()) {
      if (widget->property("accent").toBool()) {
        helpContext_ = 240;
      } else if (qobject_cast<QToolBar*>(widget) || qobject_cast<QToolButton*>(widget)) {
        helpContext_ = 290;
      } else if (qobject_cast<QTabWidget*>(widget) || qobject_cast<QTableView*>(widget)) {
        helpContext_ = 300;
      } else {
        continue;
      }
      break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::FocusRow(VokTable& table, int row) {
  const int page = doc_.PageOf(table);
  if (page < 0) return;
  grids_[page]->setFocus();
  grids_[page]->GoToRow(row);
}

void TForm1::ShowEnd(VokTable& table) {
  const int page = doc_.PageOf(table);
  if (page < 0) return;
  grids_[page]->scrollToBottom();
}

int TForm1::PanelWidth(int panel) const { return panels_.at(panel)->width(); }

int TForm1::TextWidth(const std::string& text) const {
  return panels_[0]->fontMetrics().horizontalAdvance(ToQ(text));
}

void TForm1::SetPanelText(int panel, const std::string& text) { panels_.at(panel)->setText(ToQ(text)); }
