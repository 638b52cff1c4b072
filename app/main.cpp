// Start-up of Tirelo V: the title window first, then the windows in their fixed order, a
// pause so the title stays readable, then the message loop until the main window closes.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>
#include <thread>

#include "Clock.h"
#include "FTP1.h"
#include "FtpPar.h"
#include "HelpViewer.h"
#include "NoCoreFiles.h"
#include "ProgramIdentity.h"
#include "QtDialogs.h"
#include "QtPrintDialogs.h"
#include "QtPrinter.h"
#include "QtShell.h"
#include "ScratchLedger.h"
#include "Vok1.h"
#include "VokInfo.h"
#include "VokKreuz1.h"
#include "VokKreuz2.h"
#include "VokSortDlg.h"
#include "VokTestDlg.h"
#include "Voktitel.h"
#include "Vokunit1Dlg.h"
#include "XdgFileTypes.h"
#include "vokdiskDesktop.h"

namespace {

// The files the program ships; a build keeps them in "programdata" beside the program, an
// installed program in share/tirelo under its prefix.
QString ProgramDataFolder() {
  const QString beside = QCoreApplication::applicationDirPath() + "/programdata";
  const QString installed = QCoreApplication::applicationDirPath() + "/../share/tirelo";
  if (!QDir(beside).exists() && QDir(installed).exists()) return QDir(installed).canonicalPath();
  return beside;
}

// The icon the file-type association gives the program and its types.
std::filesystem::path IconFile() {
  const QString dir = QCoreApplication::applicationDirPath();
  for (const QString& icon : {dir + "/tirelo.svg", dir + "/../share/icons/hicolor/scalable/apps/tirelo.svg"})
    if (QFileInfo::exists(icon)) return icon.toStdString();
  return {};
}

// "--kreuzwort" opens the crossword window, whose menu the main window keeps hidden.
constexpr char kCrosswordSwitch[] = "--kreuzwort";

constexpr char kUsage[] =
    "Aufruf: tirelo [--kreuzwort] [DATEI]\n"
    "Startet Tirelo V, die Vokabeltrainerin Französisch. DATEI (eine Vokabel-Datei .evd oder\n"
    "eine Lektion .le) wird beim Start geöffnet, ohne DATEI das zuletzt offene Dokument.\n"
    "Optionen: --kreuzwort  öffnet nach dem Start das Kreuzwort-Rätsel zum gezeigten Kasten\n"
    "          --help       zeigt diesen Text\n"
    "          --version    zeigt die Version\n";

// "--help" and "--version" answer on the terminal before any window, so they work without
// a display too.
std::optional<int> AnswerOnTerminal(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") return std::fputs(kUsage, stdout) < 0 ? 1 : 0;
    if (argument == "--version") return std::puts("tirelo (Tirelo V) " TIRELO_VERSION) < 0 ? 1 : 0;
  }
  return std::nullopt;
}

QString HelpFolder(const QString& name = QStringLiteral("vokhelp")) {
  const QString shipped = ProgramDataFolder() + "/help/" + name;
  if (QDir(shipped).exists()) return shipped;
  return QStringLiteral(TIRELO_SOURCE_DIR "/help/") + name;
}

Folders SystemFolders() {
  Folders folders;
  folders.documents =
      QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
  folders.program = ProgramDataFolder().toStdString();
  return folders;
}

// Blocks without processing messages until more than a second has passed.
void WaitAfterStart(std::uint32_t start) {
  while (std::abs(static_cast<long long>(timebase::TickCount()) - static_cast<long long>(start)) <= 1000)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace

// Qt's own dialogs (file, colour, font, print) speak German like the rest of the program.
void LoadGermanQtTexts(QApplication& app) {
  auto* translator = new QTranslator(&app);
  if (translator->load(QLocale(QLocale::German), "qtbase", "_",
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(translator);
}

int main(int argc, char** argv) {
  if (const std::optional<int> status = AnswerOnTerminal(argc, argv)) return *status;
  ForbidCoreFiles();  // the FTP tool keeps passwords in memory
  // The FTP tool's uploads remember their scratch files on servers, shared with ladeko-ftp.
  remote::ScratchLedger::Program() = std::make_shared<remote::ScratchLedger>(remote::DefaultScratchLedgerFile());
  QApplication app(argc, argv);
  LoadGermanQtTexts(app);
  ApplyProgramIdentity(TireloIdentity());

  auto* titel = new TTitel;
  titel->show();
  titel->repaint();
  QApplication::processEvents();

  QtDialogs dialogs;
  QtShell shell;
  HelpViewer help(HelpFolder(), "Tirelo V - Hilfe");

  QtPrinter printer(dialogs);
  QtPrintDialogs printDialogs(printer);
  QStringList arguments = QCoreApplication::arguments();
  const bool openCrossword = arguments.removeAll(kCrosswordSwitch) > 0;
  std::optional<std::filesystem::path> argument;
  if (arguments.size() > 1) argument = arguments.at(1).toStdString();
  const std::string executable = QCoreApplication::applicationFilePath().toStdString();
  const std::filesystem::path icon = IconFile();
  TForm1::Services services{
      .dialogs = &dialogs,
      .shell = &shell,
      .printer = &printer,
      .printDialogs = &printDialogs,
      .help = &help,
      .folders = SystemFolders(),
      .executableName = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString(),
      .argument = argument,
      .registerFileType = [executable, icon](const std::string& ext, const std::string& description) {
        return RegisterTrainerFileType(ext, description, executable, icon);
      }};
  TForm1 form1(services);
  dialogs.SetParent(&form1);
  Tvokdlg1 vokdlg1(dialogs, &form1);
  form1.SetLessonDialog(&vokdlg1);
  TSortDlg sortDlg(&form1);
  form1.SetSortDialog(&sortDlg);
  TTestDlg testDlg(&form1);
  form1.SetTestDialog(&testDlg);
  TAboutBox aboutBox(&form1);
  form1.SetAboutBox(&aboutBox);
  TKreuzDlg kreuzDlg(form1.Document(), &form1);
  form1.SetCrosswordDialog(&kreuzDlg);
  TKreuzForm kreuzForm(kreuzDlg.Puzzle(), &printer,
                       [&printer] { return printer.Printer().resolution() / 254.0; }, &kreuzDlg);
  kreuzDlg.SetTaskList(&kreuzForm);
  FtpPar ftpPar;  // the tool mode block, written by the trainer, read by the tool
  HelpViewer ftpHelp(HelpFolder("ftphelp"), "Ladeko - Hilfe");
  TFTPForm1 ftpForm1({&dialogs, &shell, &ftpHelp, &ftpPar, &printer, &printDialogs,
                      DataFolder(services.folders)},
                     &form1);
  form1.SetFtpService([&ftpForm1] { ftpForm1.FTPDienststarten(); });
  form1.SetFtpDialog(&ftpPar, [&ftpForm1] { return ftpForm1.exec() == QDialog::Accepted; });
  form1.SetTitleWindow(titel);

  const std::uint32_t start = timebase::TickCount();
  WaitAfterStart(start);

  form1.show();
  if (openCrossword) QTimer::singleShot(0, &form1, [&form1] { form1.insFranzsische1Click(); });
  return app.exec();
}
