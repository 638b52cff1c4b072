#include "FtpTransferPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "Clock.h"
#include "FTP1.h"
#include "FtpBrowserPage.h"
#include "FtpLoginPage.h"
#include "FtpStoredText.h"
#include "QtText.h"

namespace {

// The profile's start times are day counts; the pickers show their time of day.
QTime TimeOfDay(double dayCount) {
  double whole = 0;
  const double fraction = std::fabs(std::modf(dayCount, &whole));
  const auto ms = static_cast<int>(std::llround(fraction * 86400000.0) % 86400000);
  return QTime::fromMSecsSinceStartOfDay(ms);
}

double DayFraction(const QTime& time) { return time.msecsSinceStartOfDay() / 86400000.0; }

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QLineEdit* Edit(const char* name) { return Named(new QLineEdit, name); }

QTimeEdit* TimePicker(const char* name) {
  auto* picker = Named(new QTimeEdit, name);
  picker->setDisplayFormat("HH:mm");
  return picker;
}

QSpinBox* Spin(const char* name, int minimum) {
  auto* spin = Named(new QSpinBox, name);
  spin->setRange(minimum, 360);
  spin->setSingleStep(5);
  spin->setValue(5);
  return spin;
}

QLabel* Label(const char* name, const QString& text) { return Named(new QLabel(text), name); }

QPushButton* Chooser(const char* name) {
  auto* button = Named(new QPushButton("..."), name);
  button->setMaximumWidth(32);
  return button;
}

// The option, the command and its result line of a transfer group, side by side.
QHBoxLayout* ButtonRow(QWidget* option, QPushButton* command, QLabel* result) {
  auto* row = new QHBoxLayout;
  row->addWidget(option);
  row->addWidget(command);
  row->addWidget(result, 1);
  return row;
}

// The start time and the interval of an automatic side, one above the other from the row.
void AddTimes(QGridLayout* grid, int row, QLabel* start, QTimeEdit* time, QLabel* repeat,
              QSpinBox* spin, QLabel* min) {
  grid->addWidget(start, row, 0);
  grid->addWidget(time, row, 1);
  grid->addWidget(repeat, row + 1, 0);
  grid->addWidget(spin, row + 1, 1);
  grid->addWidget(min, row + 1, 2);
}

}  // namespace

FtpTransferPage::FtpTransferPage(TFTPForm1& window, QWidget* page)
    : window_(window), page_(page), now_([] { return timebase::NowDayCount(); }) {
  auto clock = [this] { return now_(); };
  single_ = std::make_unique<FtpSingleTransfer>(window_.Connection(), window_, clock);
  FtpSchedulerHost& host = *this;
  scheduler_ = std::make_unique<FtpScheduler>(host, window_, clock);

  // The page may be smaller than its controls (the 640 x 480 window size): it scrolls then
  // rather than pushing the window beyond the size the size commands set.
  auto* scroll = new QScrollArea;
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  auto* content = new QWidget;
  auto* grid = new QGridLayout(content);
  grid->addWidget(BuildUpBox(), 0, 0, 1, 2);
  grid->addWidget(BuildDownBox(), 1, 0, 1, 2);
  grid->addWidget(BuildAutoDownBox(), 2, 0);
  grid->addWidget(BuildAutoUpBox(), 2, 1);
  grid->setRowStretch(3, 1);
  scroll->setWidget(content);
  auto* pageLayout = new QVBoxLayout(page_);
  pageLayout->setContentsMargins(0, 0, 0, 0);
  pageLayout->addWidget(scroll);
  window_.WatchHelpContext(page_, 320);
  window_.WatchHelpContext(OneUpBox, 320);
  window_.WatchHelpContext(OneDownBox, 320);

  ConnectChanges();
  // A new profile keeps the single transfer's options of the one before; the first one
  // starts with the page's own (overwrite on), not with an empty record's.
  window_.Profile().SetBool(profilefield::OverwriteTarget, OverwriteBox->isChecked());
  window_.Profile().SetBool(profilefield::AppendTarget, AppendBox->isChecked());
  ApplyEnabled();

  WireBrowser();
  WireToolBar();
  window_.ToolButton3->setEnabled(true);
  connect(window_.ToolButton3, &QToolButton::clicked, this, [this] { ToolButton3Click(); });
  // Runs for as long as the window exists, shown or hidden: a loaded profile's automatic
  // transfers go on while the trainer has the tool closed.
  timer2_ = new QTimer(this);
  timer2_->setObjectName("Timer2");
  timer2_->setInterval(kTimer2IntervalMs);
  connect(timer2_, &QTimer::timeout, this, [this] { Timer2Timer(); });
  timer2_->start();
}

FtpTransferPage::~FtpTransferPage() = default;

// The marked rows and the local folder come from the page "Verzeichnisse / Dateien".
void FtpTransferPage::WireBrowser() {
  FtpBrowserPage& browser = window_.BrowserPage();
  SetMarkedRowsTransfer([&browser](bool withMarker, const std::string& markerName) {
    return browser.SelectionCommands().TransferSelection(
        FtpTag::Remote, browser.MarkedRows(FtpTag::Remote), true, withMarker, markerName);
  });
  LastGoodLocalFolder = [&browser] {
    const FtpLocalSide& local = browser.Local();
    return local.LastGoodFolder.empty() ? local.PathField : local.LastGoodFolder;
  };
  LocalPathField = [&browser] { return browser.Local().PathField; };
}

// The tool bar's and the menu's transfer commands run the single transfer on this page.
void FtpTransferPage::WireToolBar() {
  const struct { QAction* action; QToolButton* button; FtpTag tag; } commands[] = {
      {window_.Command(FtpCommand::Downstarten1), window_.DownTBtn, FtpTag::Remote},
      {window_.Command(FtpCommand::Upstarten1), window_.UpTBtn, FtpTag::Local}};
  for (const auto& c : commands) {
    const FtpTag tag = c.tag;
    auto run = [this, tag] {
      if (window_.PageControl()->currentWidget() != page_) return;
      if (!window_.Connection().RefuseWhileBusy()) TransferSingleFile(tag);
    };
    connect(c.action, &QAction::triggered, this, run);
    connect(c.button, &QToolButton::clicked, this, run);
  }
}

void FtpTransferPage::StartUp() {
  single_->ResetRecord(timebase::EncodeDayCount({2008, 1, 1, 12, 0, 0, 0}));
}

void FtpTransferPage::Layout() {}

QGroupBox* FtpTransferPage::BuildUpBox() {
  OneUpBox = Named(new QGroupBox("Hochladen"), "OneUpBox");
  UpDateiEdit1 = Edit("UpDateiEdit1");
  UpDateiEdit2 = Edit("UpDateiEdit2");
  QuellBtn = Chooser("QuellBtn");
  AppendBox = Named(new QCheckBox(ToQ(A("An Zieldatei anhängen"))), "AppendBox");
  UpBtn = Named(new QPushButton("Hochladen"), "UpBtn");
  Label19 = Label("Label19", "");
  auto* grid = new QGridLayout(OneUpBox);
  grid->addWidget(new QLabel("Quelldatei auf lokalem Computer"), 0, 0);
  grid->addWidget(UpDateiEdit1, 0, 1);
  grid->addWidget(QuellBtn, 0, 2);
  grid->addWidget(new QLabel("Zieldatei auf Internet-Server"), 1, 0);
  grid->addWidget(UpDateiEdit2, 1, 1, 1, 2);
  grid->addLayout(ButtonRow(AppendBox, UpBtn, Label19), 2, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  connect(QuellBtn, &QPushButton::clicked, this, [this] { QuellBtnClick(); });
  connect(UpBtn, &QPushButton::clicked, this, [this] { DownBtnClick(FtpTag::Local); });
  return OneUpBox;
}

QGroupBox* FtpTransferPage::BuildDownBox() {
  OneDownBox = Named(new QGroupBox("Herunterladen"), "OneDownBox");
  DownDateiEdit2 = Edit("DownDateiEdit2");
  DownDateiEdit1 = Edit("DownDateiEdit1");
  CopyDateiEdit1 = Edit("CopyDateiEdit1");
  ZielBtn = Chooser("ZielBtn");
  BitBtn2 = Chooser("BitBtn2");
  OverwriteBox = Named(new QCheckBox(ToQ(A("Zieldatei überschreiben"))), "OverwriteBox");
  OverwriteBox->setChecked(true);
  DownBtn = Named(new QPushButton("Herunterladen"), "DownBtn");
  Label18 = Label("Label18", "");
  auto* grid = new QGridLayout(OneDownBox);
  grid->addWidget(new QLabel("Quell-Datei auf Internet-Server"), 0, 0);
  grid->addWidget(DownDateiEdit2, 0, 1, 1, 2);
  grid->addWidget(new QLabel("Zieldatei auf lokalem Computer"), 1, 0);
  grid->addWidget(DownDateiEdit1, 1, 1);
  grid->addWidget(ZielBtn, 1, 2);
  grid->addWidget(new QLabel("Kopie auf lokalem Computer"), 2, 0);
  grid->addWidget(CopyDateiEdit1, 2, 1);
  grid->addWidget(BitBtn2, 2, 2);
  grid->addLayout(ButtonRow(OverwriteBox, DownBtn, Label18), 3, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  connect(ZielBtn, &QPushButton::clicked, this, [this] { ZielBtnClick(); });
  connect(BitBtn2, &QPushButton::clicked, this, [this] { ZielBtnClick(); });
  connect(DownBtn, &QPushButton::clicked, this, [this] { DownBtnClick(FtpTag::Remote); });
  return OneDownBox;
}

QGroupBox* FtpTransferPage::BuildAutoDownBox() {
  auto* box = Named(new QGroupBox("Automatik Herunterladen"), "AutoDownBox");
  AutoDownBtn = Named(new QPushButton("Autom. Herunterladen"), "AutoDownBtn");
  AutoDownBtn->setCheckable(true);
  DateTimePicker1 = TimePicker("DateTimePicker1");
  SpinEdit1 = Spin("SpinEdit1", 1);
  StartLabel1 = Label("StartLabel1", "Startzeit");
  RepeatLabel1 = Label("RepeatLabel1", "Wiederholung ");
  MinLabel1 = Label("MinLabel1", "min");
  AutoEinzelDownRadioBtn = Named(new QRadioButton("Einzelbearbeitung"), "AutoEinzelDownRadioBtn");
  MarkierungAutoDownRadioBtn =
      Named(new QRadioButton("Markierungen im Verzeichnis"), "MarkierungAutoDownRadioBtn");
  AutoEinzelDownRadioBtn->setChecked(true);
  auto* modes = new QButtonGroup(box);
  modes->addButton(AutoEinzelDownRadioBtn);
  modes->addButton(MarkierungAutoDownRadioBtn);
  NeudateiCB = Named(new QCheckBox("mit \"Neu-Datei\""), "NeudateiCB");
  NeuDateiLabel = Label("NeuDateiLabel", "Neu-Dateiname: ");
  NeuDateiEdit = Edit("NeuDateiEdit");
  NeuDateiEdit->setText("neu.txt");
  auto* grid = new QGridLayout(box);
  grid->addWidget(AutoDownBtn, 0, 0, 1, 3);
  AddTimes(grid, 1, StartLabel1, DateTimePicker1, RepeatLabel1, SpinEdit1, MinLabel1);
  grid->addWidget(AutoEinzelDownRadioBtn, 3, 0, 1, 3);
  grid->addWidget(MarkierungAutoDownRadioBtn, 4, 0, 1, 3);
  grid->addWidget(NeudateiCB, 5, 0, 1, 3);
  grid->addWidget(NeuDateiLabel, 6, 0);
  grid->addWidget(NeuDateiEdit, 6, 1, 1, 2);
  grid->setColumnStretch(2, 1);
  return box;
}

QGroupBox* FtpTransferPage::BuildAutoUpBox() {
  auto* box = Named(new QGroupBox("Automatik Hochladen"), "AutoUpBox");
  AutoUpBtn = Named(new QPushButton("Autom. Hochladen"), "AutoUpBtn");
  AutoUpBtn->setCheckable(true);
  DateTimePicker2 = TimePicker("DateTimePicker2");
  SpinEdit2 = Spin("SpinEdit2", 5);
  StartLabel2 = Label("StartLabel2", "Startzeit");
  RepeatLabel2 = Label("RepeatLabel2", "Wiederholung ");
  MinLabel2 = Label("MinLabel2", "min");
  auto* grid = new QGridLayout(box);
  grid->addWidget(AutoUpBtn, 0, 0, 1, 3);
  AddTimes(grid, 1, StartLabel2, DateTimePicker2, RepeatLabel2, SpinEdit2, MinLabel2);
  grid->setColumnStretch(2, 1);
  grid->setRowStretch(3, 1);
  return box;
}

void FtpTransferPage::ConnectChanges() {
  for (QPushButton* b : {AutoDownBtn, AutoUpBtn})
    connect(b, &QPushButton::toggled, this, [this] { AutoDownBtnClick(); });
  for (QTimeEdit* t : {DateTimePicker1, DateTimePicker2})
    connect(t, &QTimeEdit::timeChanged, this, [this] { DateTimePicker1Change(); });
  for (QSpinBox* s : {SpinEdit1, SpinEdit2})
    connect(s, &QSpinBox::valueChanged, this, [this] { DateTimePicker1Change(); });
  for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
           AutoEinzelDownRadioBtn, MarkierungAutoDownRadioBtn, NeudateiCB})
    connect(b, &QAbstractButton::toggled, this, [this] { AutoEinzelDownRadioBtnClick(); });
  connect(NeuDateiEdit, &QLineEdit::textChanged, this, [this] { AutoEinzelDownRadioBtnClick(); });
}

void FtpTransferPage::AutoDownBtnClick() {
  ApplyEnabled();
  MarkModified();
}

void FtpTransferPage::AutoEinzelDownRadioBtnClick() {
  MarkModified();
  ApplyEnabled();
}

void FtpTransferPage::DateTimePicker1Change() { MarkModified(); }

void FtpTransferPage::MarkModified() {
  if (!showing_ && !window_.Document().Loading()) window_.Document().SetModified();
}

void FtpTransferPage::ApplyEnabled() {
  const AutoControlsEnabled e = EnabledAutoControls(ReadAuto());
  for (QWidget* w : std::initializer_list<QWidget*>{DateTimePicker1, SpinEdit1, StartLabel1,
                                                    RepeatLabel1, MinLabel1})
    w->setEnabled(e.DownTimes);
  for (QWidget* w : std::initializer_list<QWidget*>{DateTimePicker2, SpinEdit2, StartLabel2,
                                                    RepeatLabel2, MinLabel2})
    w->setEnabled(e.UpTimes);
  NeudateiCB->setEnabled(e.NewFileBox);
  NeuDateiEdit->setEnabled(e.NewFileName);
  NeuDateiLabel->setEnabled(e.NewFileName);
  // Without a browser list to take the marked rows from, that mode is not offered.
  MarkierungAutoDownRadioBtn->setEnabled(static_cast<bool>(transferMarkedRows_) ||
                                         MarkierungAutoDownRadioBtn->isChecked());
}

void FtpTransferPage::SetMarkedRowsTransfer(MarkedRowsTransfer transfer) {
  transferMarkedRows_ = std::move(transfer);
  ApplyEnabled();
}

// ---- The profile's parts of this page ----

FtpSingleTransferFields FtpTransferPage::ReadSingle(std::string& unwritable) const {
  for (const QLineEdit* edit : {UpDateiEdit1, UpDateiEdit2, DownDateiEdit1, DownDateiEdit2, CopyDateiEdit1})
    FromQStored(edit->text(), unwritable);
  return Fields();
}

FtpAutoTransferValues FtpTransferPage::ReadAuto() const {
  FtpAutoTransferValues v;
  v.AutoDownload = AutoDownBtn->isChecked();
  v.DownStartTime = DayFraction(DateTimePicker1->time());
  v.DownRepeatMinutes = SpinEdit1->value();
  v.AutoUpload = AutoUpBtn->isChecked();
  v.UpStartTime = DayFraction(DateTimePicker2->time());
  v.UpRepeatMinutes = SpinEdit2->value();
  v.DownSingleMode = !MarkierungAutoDownRadioBtn->isChecked();
  v.DownWithNewFile = NeudateiCB->isChecked();
  v.NewFileName = FromQ(NeuDateiEdit->text());
  return v;
}

void FtpTransferPage::ShowParts(const FtpSingleTransferFields& single, const FtpAutoTransferValues& v) {
  showing_ = true;
  ShowFields(single);
  AutoDownBtn->setChecked(v.AutoDownload);
  DateTimePicker1->setTime(TimeOfDay(v.DownStartTime));
  SpinEdit1->setValue(v.DownRepeatMinutes);
  AutoUpBtn->setChecked(v.AutoUpload);
  DateTimePicker2->setTime(TimeOfDay(v.UpStartTime));
  SpinEdit2->setValue(v.UpRepeatMinutes);
  (v.DownSingleMode ? AutoEinzelDownRadioBtn : MarkierungAutoDownRadioBtn)->setChecked(true);
  NeudateiCB->setChecked(v.DownWithNewFile);
  NeuDateiEdit->setText(ToQ(v.NewFileName));
  ApplyEnabled();
  showing_ = false;
}
