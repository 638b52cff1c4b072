// Construction of the main window: pages, menu, tool bars and status bar.
#include <QActionGroup>
#include <QApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>

#include "GlyphIcon.h"
#include "MenuHelpKey.h"
#include "QtText.h"
#include "VisibleTabCycling.h"
#include "Vok1.h"
#include "VokInfo.h"

namespace {

QIcon StdIcon(QStyle::StandardPixmap which) { return QApplication::style()->standardIcon(which); }

const char* const kBoxCaptions[] = {"Häufig lernen", "Weniger häufig lernen", "Selten lernen"};

const char* const kAccentLetters[] = {"Ç", "ç", "à", "â", "è", "é", "ê",
                                      "ë", "î", "ï", "ô", "œ", "ù", "û"};
bool AccentVisible(const QString& letter) {
  return letter == "Ç" || letter == "ç" || letter == "ë" || letter == "ï" || letter == "œ";
}

}  // namespace

QAction* TForm1::AddAction(QMenu* menu, VokCommand command, const QString& caption,
                           int helpContext, std::function<void()> handler,
                           const QKeySequence& shortcut) {
  auto* action = menu->addAction(caption);
  action->setObjectName(VokCommandName(command));
  commands_[static_cast<std::size_t>(command)] = action;
  action->setProperty("helpContext", helpContext);
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  if (handler) {
    connect(action, &QAction::triggered, this, [handler] { handler(); });
  } else {
    action->setEnabled(false);  // until WireCommands or a service setter connects it
  }
  return action;
}

QToolButton* TForm1::AddButton(QToolBar* bar, const QString& name, const QString& hint,
                               const QIcon& icon, QAction* action) {
  auto* button = new QToolButton(bar);
  button->setObjectName(name);
  button->setAutoRaise(true);
  button->setFixedSize(25, 25);
  button->setIconSize(QSize(20, 20));
  if (action) {
    // The button acts as its menu item does, and is enabled with it.
    auto* mirror = new QAction(icon, hint, button);
    mirror->setEnabled(action->isEnabled());
    connect(mirror, &QAction::triggered, action, &QAction::trigger);
    connect(action, &QAction::enabledChanged, mirror, &QAction::setEnabled);
    button->setDefaultAction(mirror);
  } else {
    button->setIcon(icon);
  }
  button->setToolTip(hint);
  bar->addWidget(button);
  return button;
}

void TForm1::BuildPages() {
  PageControl1 = new QTabWidget(this);
  CycleVisibleTabsOnly(PageControl1);
  PageControl1->setObjectName("PageControl1");
  const char* const tabs[] = {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4"};
  const char* const captions[] = {kBoxCaptions[0], kBoxCaptions[1], kBoxCaptions[2], "Clipboard"};
  const char* const gridNames[] = {"StringGrid1", "StringGrid2", "StringGrid3", "ClipGrid"};
  for (int page = 0; page < 4; ++page) {
    auto* sheet = new QWidget;
    sheet->setObjectName(tabs[page]);
    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (page < 3) layout->addWidget(BuildMoveBar(page));
    grids_[page] = new VokGridView(doc_.Page(page), gridNames[page], sheet);
    doc_.Page(page).SetHost(this);
    layout->addWidget(grids_[page]);
    PageControl1->addTab(sheet, captions[page]);
    connect(grids_[page], &VokGridView::cursorMoved, this, [this] { ShowRowStatus(); });
    connect(grids_[page], &VokGridView::keyPressedForEdit, this, [this] { SetModified(); });
    connect(grids_[page]->Model(), &VokTableModel::cellEdited, this, [this] { SetModified(); });
    WatchHelpContext(grids_[page]);
  }
  connect(PageControl1, &QTabWidget::currentChanged, this, [this](int page) {
    doc_.SetCurrentPage(page);
    PageControl1Change();
  });
  WatchHelpContext(PageControl1);
  // The tab bar takes its own mouse moves: unwatched, a tab reached from a move bar would keep
  // the bar's context.
  WatchHelpContext(PageControl1->tabBar());
  setCentralWidget(PageControl1);
}

// The bar on top of a box page: a label and two buttons that send the marked rows to the
// other boxes. Each button stands under the tab of its target box.
QToolBar* TForm1::BuildMoveBar(int page) {
  static const char* const names[3][2] = {
      {"MitteBtn1", "RechtsBtn1"}, {"LinksBtn1", "RechtsBtn2"}, {"LinksBtn2", "MitteBtn2"}};
  static const int lefts[] = {25, 153, 265};
  const char* const barNames[] = {"ToolBar2", "ToolBar3", "ToolBar4"};
  auto* bar = new QToolBar;
  bar->setObjectName(barNames[page]);
  bar->setFixedHeight(29);
  auto* area = new QWidget(bar);
  area->setMinimumWidth(600);
  int k = 0;
  for (int target = 0; target < 3; ++target) {
    if (target == page) continue;
    auto* button = new QToolButton(area);
    button->setObjectName(names[page][k++]);
    button->setGeometry(lefts[target], 2, 25, 25);
    button->setAutoRaise(true);
    button->setIcon(GlyphIcon(target < page ? "◀" : "▶"));
    button->setToolTip(QString("nach \"%1\"").arg(kBoxCaptions[target]));
    button->setEnabled(false);  // moving rows between boxes joins with row editing
  }
  auto* label = new QLabel("markierte Vokabeln neu einordnen", area);
  label->setGeometry(340, 6, 260, 18);
  bar->addWidget(area);
  WatchHelpContext(bar);
  return bar;
}

void TForm1::BuildMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("MainMenu1");
  auto menu = [this, bar](const QString& name, const QString& caption, int context) {
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    m->setProperty("helpContext", context);
    WatchMenuHelpKey(m, [this](int help) { ShowHelp(help); });
    return m;
  };

  QMenu* datei = menu("Datei1", "&Datei", 200);
  AddAction(datei, VokCommand::neu1, "neu", 200, nullptr);
  AddAction(datei, VokCommand::ffnen1, "öffnen", 200, nullptr);
  AddAction(datei, VokCommand::speichern1, "speichern", 200, nullptr);
  AddAction(datei, VokCommand::speichernunter1, "speichern unter", 200, nullptr);
  datei->addSeparator();
  AddAction(datei, VokCommand::VomFTPServerffnen1, "Vom FTP-Server öffnen", 0, nullptr);
  AddAction(datei, VokCommand::AufFTPServerspeichern1, "Auf FTP-Server speichern", 0, nullptr);
  datei->addSeparator();
  AddAction(datei, VokCommand::Lektionhinzufgen2, "Lektion hinzufügen", 200, nullptr, Qt::Key_F3);
  AddAction(datei, VokCommand::Lektionspeichern1, "als Lektion speichern", 0, nullptr);
  AddAction(datei, VokCommand::Lektionkorrigieren1, "Lektion öffnen", 0, nullptr, Qt::Key_F4);
  datei->addSeparator();
  AddAction(datei, VokCommand::Importieren1, "Importieren ...", 205, nullptr);
  AddAction(datei, VokCommand::Exportieren1, "Exportieren ...", 205, nullptr);
  datei->addSeparator();
  AddAction(datei, VokCommand::drucken1, "drucken", 200, nullptr);
  AddAction(datei, VokCommand::Druckereinstellung1, "Druckereinstellung", 200, nullptr);
  datei->addSeparator();
  AddAction(datei, VokCommand::Beenden1, "Beenden", 200, [this] { close(); });

  QMenu* bearbeiten = menu("Bearbeiten1", "&Bearbeiten", 210);
  AddAction(bearbeiten, VokCommand::ausschneiden1, "Zeilen ausschneiden", 210, nullptr);
  AddAction(bearbeiten, VokCommand::kopieren1, "Zeilen kopieren", 210, nullptr);
  AddAction(bearbeiten, VokCommand::einfgen1, "Zeilen einfügen", 210, nullptr);
  AddAction(bearbeiten, VokCommand::lschen1, "Zeilen löschen", 210, nullptr);
  bearbeiten->addSeparator();
  AddAction(bearbeiten, VokCommand::Leerzeileeinfgen1, "leere Zeile einfügen", 210, nullptr, Qt::Key_F5);
  AddAction(bearbeiten, VokCommand::leereZeileanhngen1, "leere Zeile anhängen", 210, nullptr, Qt::Key_F6);
  AddAction(bearbeiten, VokCommand::SpalteninmarkiertenZeilenvertauschen1, "markierte Vokabeln vertauschen",
            210, nullptr, Qt::Key_F8);

  QMenu* suchen = menu("Suchen1", "&Suchen", 220);
  AddAction(suchen, VokCommand::Wrtersuchen1, "Wörter suchen", 220, [this] { Wrtersuchen1Click(); });
  AddAction(suchen, VokCommand::Sortieren1, "Liste sortieren", 220, nullptr);

  QMenu* ansicht = menu("Ansicht1", "&Ansicht", 230);
  mitGitter = AddAction(ansicht, VokCommand::mitGitter, "mit Gitterlinien", 230, [this] { mitGitterClick(1); });
  mitGitter->setCheckable(true);
  AddAction(ansicht, VokCommand::Spaltenvertauschen1, "Spalten vertauschen", 230,
            [this] { Spaltenvertauschen1Click(); });
  ansicht->addSeparator();
  Deutschabdecken = AddAction(ansicht, VokCommand::Deutschabdecken, "Deutsch abdecken", 230,
                              [this] { mitGitterClick(2); });
  Franzsischabdecken = AddAction(ansicht, VokCommand::Franzsischabdecken, "Französisch abdecken", 230,
                                 [this] { mitGitterClick(3); });
  Deutschabdecken->setCheckable(true);
  Franzsischabdecken->setCheckable(true);
  ansicht->addSeparator();
  AddAction(ansicht, VokCommand::Form640, "Formulargröße 640x480", 230, [this] { Form640Click(1); });
  AddAction(ansicht, VokCommand::Form800, "Formulargröße 800x600", 230, [this] { Form640Click(2); });
  ansicht->addSeparator();
  AddAction(ansicht, VokCommand::Hintergrundfarbe1, "Hintergrundfarbe", 230, [this] { Hintergrundfarbe1Click(); });
  AddAction(ansicht, VokCommand::Font1, "Schrift", 230, [this] { Font1Click(); });

  QMenu* test = menu("Test1", "&Test", 240);
  // Two groups of radio items: the test's size and its direction.
  const auto radioGroup = [this, test](std::initializer_list<std::pair<VokCommand, const char*>> items) {
    auto* group = new QActionGroup(this);
    for (const auto& [name, caption] : items) {
      QAction* a = AddAction(test, name, caption, 240, nullptr);
      a->setCheckable(true);
      group->addAction(a);
    }
  };
  radioGroup({{VokCommand::N5Vokabeln1, "5 Vokabeln"},
              {VokCommand::N10Vokabeln1, "10 Vokabeln"},
              {VokCommand::N20Vokabeln1, "20 Vokabeln"}});
  test->addSeparator();
  radioGroup({{VokCommand::insFrnzsische1, "ins Französische"},
              {VokCommand::insDeutsche1, "ins Deutsche"},
              {VokCommand::durcheinander1, "durcheinander"}});
  Command(VokCommand::N5Vokabeln1)->setChecked(true);
  Command(VokCommand::insFrnzsische1)->setChecked(true);

  QMenu* internet = menu("Internet1", "&Internet", 0);
  AddAction(internet, VokCommand::FTPDienststarten1, "FTP-Dienst starten", 0, nullptr);

  QMenu* kreuz = menu("KreuzwortRtsel1", "&Kreuzwort-Rätsel", 0);
  AddAction(kreuz, VokCommand::insFranzsische1, "ins Französische", 0, [this] { insFranzsische1Click(); });
  kreuz->menuAction()->setVisible(false);

  QMenu* hilfe = menu("Hilfe1", "&Hilfe", 280);
  AddAction(hilfe, VokCommand::Hilfebenutzen1, "Inhalt", 280, [this] { ShowHelp(0); });
  AddAction(hilfe, VokCommand::Suchen2, "Suchen", 280, [this] { ShowHelp(-1); });
  AddAction(hilfe, VokCommand::benutzen1, "benutzen", 280, [this] { ShowHelp(-2); });
  hilfe->addSeparator();
  AddAction(hilfe, VokCommand::Hompageaufrufen1, "Homepage aufrufen", 280, [this] {
    if (services_.shell) services_.shell->OpenUrl("https://www.ombrax.de/tirelo/");
  });
  AddAction(hilfe, VokCommand::Downloadaufrufen1, "Download aufrufen", 280, [this] {
    if (services_.shell) services_.shell->OpenUrl("https://www.ombrax.de/tirelo/download/");
  });
  hilfe->addSeparator();
  AddAction(hilfe, VokCommand::Autoren1, "Autoren", 280, [this] {
    if (aboutBox_) aboutBox_->exec();
  });
}

void TForm1::BuildToolBar() {
  ToolBar1 = addToolBar("ToolBar1");
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setMovable(false);
  ToolBar1->setIconSize(QSize(20, 20));
  AddButton(ToolBar1, "ToolButton4", "neu", StdIcon(QStyle::SP_FileIcon), Command(VokCommand::neu1));
  AddButton(ToolBar1, "ToolButton5", "öffnen", StdIcon(QStyle::SP_DialogOpenButton), Command(VokCommand::ffnen1));
  AddButton(ToolBar1, "SaveBtn", "speichern", StdIcon(QStyle::SP_DialogSaveButton), Command(VokCommand::speichern1));
  AddButton(ToolBar1, "ToolButton15", "Vom FTP-Server öffnen", GlyphIcon("⇩"), Command(VokCommand::VomFTPServerffnen1));
  AddButton(ToolBar1, "ToolButton16", "Auf FTP-Server speichern", GlyphIcon("⇧"),
            Command(VokCommand::AufFTPServerspeichern1));
  QToolButton* print = AddButton(ToolBar1, "ToolButton1", "drucken", GlyphIcon("P"));
  print->setEnabled(false);  // until WireCommands finds a printer
  ToolBar1->addSeparator();
  AddButton(ToolBar1, "ToolButton9", "suchen", GlyphIcon("?"), Command(VokCommand::Wrtersuchen1));
  AddButton(ToolBar1, "ToolButton23", "sortieren", GlyphIcon("AZ"), Command(VokCommand::Sortieren1));
  ToolBar1->addSeparator();
  QToolButton* w640 = AddButton(ToolBar1, "W640Btn", "", GlyphIcon("S"));
  connect(w640, &QToolButton::clicked, this, [this] { Form640Click(1); });
  QToolButton* w800 = AddButton(ToolBar1, "ToolButton14", "", GlyphIcon("L"));
  connect(w800, &QToolButton::clicked, this, [this] { Form640Click(2); });
  AddButton(ToolBar1, "To1Btn", "Hintergrundfarbe", GlyphIcon("■", QColor(0x80, 0x80, 0xFF)),
            Command(VokCommand::Hintergrundfarbe1));
  AddButton(ToolBar1, "To2Btn", "Schrift", GlyphIcon("F"), Command(VokCommand::Font1));
  ToolBar1->addSeparator();
  AddButton(ToolBar1, "ToolButton17", "FTP-Dienst starten", GlyphIcon("FTP"), Command(VokCommand::FTPDienststarten1));
  QToolButton* kreuz = AddButton(ToolBar1, "ToolButton13", "", GlyphIcon("#"), Command(VokCommand::insFranzsische1));
  kreuz->setVisible(false);
  ToolBar1->actions().back()->setVisible(false);
  AddButton(ToolBar1, "ToolButton8", "Hilfe", StdIcon(QStyle::SP_DialogHelpButton), Command(VokCommand::Hilfebenutzen1));
  ToolBar1->addSeparator();

  MBtn = AddButton(ToolBar1, "MBtn", "markieren", GlyphIcon("M"));
  SBtn = AddButton(ToolBar1, "SBtn", "schreiben", GlyphIcon("S", QColor(160, 0, 0)));
  for (QToolButton* b : {MBtn, SBtn}) {
    b->setCheckable(true);
    b->setAutoExclusive(true);
  }
  MBtn->setChecked(true);
  connect(MBtn, &QToolButton::clicked, this, [this] { MBtnClick(InputMode::Mark); });
  connect(SBtn, &QToolButton::clicked, this, [this] { MBtnClick(InputMode::Write); });
  QToolButton* home = AddButton(ToolBar1, "Pos1Btn", "an den Anfang", StdIcon(QStyle::SP_ArrowUp));
  connect(home, &QToolButton::clicked, this, [this] { Pos1BtnClick(); });
  QToolButton* end = AddButton(ToolBar1, "EndeBtn", "ans Ende", StdIcon(QStyle::SP_ArrowDown));
  connect(end, &QToolButton::clicked, this, [this] { EndeBtnClick(); });
  ToolBar1->addSeparator();

  int k = 0;
  for (const char* letter : kAccentLetters) {
    const QString text = QString::fromUtf8(letter);
    QToolButton* b = AddButton(ToolBar1, QString("FrenchBtn%1").arg(++k), "", QIcon());
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setProperty("helpContext", 240);
    b->setProperty("accent", true);
    connect(b, &QToolButton::clicked, this, [this, text] { FrenchBtnClick(FromQ(text)); });
    if (!AccentVisible(text)) ToolBar1->actions().back()->setVisible(false);
  }
  QToolButton* titles = AddButton(ToolBar1, "ToolButton12", "", GlyphIcon("⇄"));
  connect(titles, &QToolButton::clicked, this, [this] { ToolButton12Click(); });
  ToolBar1->actions().back()->setVisible(false);
  WatchHelpContext(ToolBar1);
  for (QToolButton* b : ToolBar1->findChildren<QToolButton*>()) WatchHelpContext(b);
}

void TForm1::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar1");
  bar->setSizeGripEnabled(true);
  const int widths[] = {400, 70, 50};
  for (int i = 0; i < 3; ++i) {
    panels_[i] = new QLabel(bar);
    panels_[i]->setObjectName(QString("Panel%1").arg(i));
    panels_[i]->setFrameShape(QFrame::StyledPanel);
    panels_[i]->setFrameShadow(QFrame::Sunken);
    panels_[i]->setFixedWidth(widths[i]);
    bar->addWidget(panels_[i], i == 2 ? 1 : 0);
  }
  panels_[2]->setMinimumWidth(widths[2]);
  panels_[2]->setMaximumWidth(QWIDGETSIZE_MAX);
}

void TForm1::SetFtpService(std::function<void()> open) {
  QAction* action = Command(VokCommand::FTPDienststarten1);
  connect(action, &QAction::triggered, this, [open = std::move(open)] { open(); });
  action->setEnabled(true);
}
