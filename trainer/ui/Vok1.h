#pragma once
// The trainer's main window: four pages with the three learning boxes and the hidden
// clipboard table, the main tool bar, the menu and the status bar. Handlers pick the current
// table and call the plain operations of the trainer's core.

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "Dialogs.h"
#include "FileIdentity.h"
#include "Folders.h"
#include "Shell.h"
#include "StatusLine.h"
#include "ViewSettings.h"
#include "VokCommands.h"
#include "VokDocument.h"
#include "VokGridView.h"
#include "filecls.h"
#include "vokPrint.h"
#include "vokdisk.h"
#include "vokdiskDesktop.h"

class HelpViewer;
class QDialog;
struct FtpPar;
class TAboutBox;
class TFindDialog;
class Tvokdlg1;
class TImportDlg;
struct ExchangeRow;
struct ImportSummary;
class TSortDlg;
class TTestDlg;
class PrintCanvas;
class PrintDialogs;

class TForm1 : public QMainWindow,
               private VokTableHost,
               private StatusView,
               private VokFileWindow {
  Q_OBJECT

 public:
  struct Services {
    Dialogs* dialogs = nullptr;
    Shell* shell = nullptr;
    PrintCanvas* printer = nullptr;
    PrintDialogs* printDialogs = nullptr;
    HelpViewer* help = nullptr;
    Folders folders;  // an empty documents folder keeps no settings (tests)
    std::string executableName;
    std::optional<std::filesystem::path> argument;  // the file named on the command line
    // Associates a file type with the program (ext, description); none in tests.
    std::function<bool(const std::string&, const std::string&)> registerFileType;
  };

  explicit TForm1(Services services, QWidget* parent = nullptr);
  ~TForm1() override;

  VokDocument& Document() { return doc_; }
  VokTable& CurrentTable() { return doc_.Current(); }
  VokGridView* Grid(int page) { return grids_.at(page); }
  VokGridView* CurrentGrid() { return grids_.at(doc_.CurrentPage()); }
  ViewSettings& View() { return desktop_.view; }
  tFileClass& File() { return *file_; }
  // A menu command by type; every one exists once the window is built.
  QAction* Command(VokCommand command) const { return commands_[static_cast<std::size_t>(command)]; }
  // A control by object name, for tests.
  QAction* Action(const QString& objectName) const;
  QToolButton* Button(const QString& objectName) const;
  QString StatusText(int panel) const;
  int HelpContext() const { return helpContext_; }
  bool IsModified() const { return file_->Modified(); }

  // Screen pixels per inch; 96 unless a test or the screen says otherwise.
  void SetScreenDpi(double dpi);
  double Scale() const { return scale_; }

  // The title window is closed on the first activation.
  void SetTitleWindow(QWidget* title) { titleWindow_ = title; }
  void SetAboutBox(TAboutBox* about) { aboutBox_ = about; }
  // The FTP tool in service mode ("FTP-Dienst starten"); the command is enabled once it is set.
  void SetFtpService(std::function<void()> open);
  // The FTP tool as a file dialog: the mode block shared with the tool and its modal show
  // (true when it ended with OK). "Vom FTP-Server öffnen" and "Auf FTP-Server speichern" are
  // enabled once it is set.
  void SetFtpDialog(FtpPar* par, std::function<bool()> showModal);
  void SetLessonDialog(Tvokdlg1* dialog) { lessonDialog_ = dialog; }
  void SetSortDialog(TSortDlg* dialog) { sortDialog_ = dialog; }
  void SetTestDialog(TTestDlg* dialog);
  void SetCrosswordDialog(QDialog* dialog) { kreuzDlg_ = dialog; }

  // First activation: settings, tables, window size, first page.
  void FormActivate();
  void ApplyViewSettings();
  void ApplySizePreset();
  void SetModified();

  // View, input and help commands (Vok1.cpp).
  void mitGitterClick(int tag);
  void Spaltenvertauschen1Click();
  void Form640Click(int tag);
  void Hintergrundfarbe1Click();
  void Font1Click();
  void MBtnClick(InputMode mode);
  void Pos1BtnClick();
  void EndeBtnClick();
  void FrenchBtnClick(const std::string& letter);
  void ToolButton12Click();
  void PageControl1Change();
  void ShowRowStatus();
  void ShowHelp(int context);
  void Wrtersuchen1Click();

  // Document and row commands (Vok1Commands.cpp).
  void Lektionspeichern1Click();
  void Sortieren1Click();
  void insFrnzsische1Click();
  void insFranzsische1Click();  // the crossword window, modal
  void RegisterFileTypes();      // ".evd" then ".le"; the results are ignored
  void Bearbeiten1Click();
  void MitteBtn1Click(QToolButton* button);
  bool FormCloseQuery();
  void FormClose();

  // Word lists of other trainers (Vok1Exchange.cpp).
  void Importieren1Click();
  void Exportieren1Click();
  TImportDlg* ImportDialog() { return importDialog_; }

  // Vocabulary on an FTP server (Vok1Ftp.cpp).
  void VomFTPServerffnen1Click();
  void AufFTPServerspeichern1Click();
  void FindDialog1Find();
  TFindDialog* FindWindow() { return FindDialog1; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Keeps the framed window within the screen (FrameFit).
  void moveEvent(QMoveEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Building the window (Vok1Build.cpp).
  void BuildPages();
  void BuildMenu();
  void BuildToolBar();
  void BuildStatusBar();
  QAction* AddAction(QMenu* menu, VokCommand command, const QString& caption, int helpContext,
                     std::function<void()> handler, const QKeySequence& shortcut = {});
  void WireCommand(VokCommand command, std::function<void()> handler);
  QToolButton* AddButton(QToolBar* bar, const QString& name, const QString& hint,
                         const QIcon& icon, QAction* action = nullptr);
  QToolBar* BuildMoveBar(int page);
  void WatchHelpContext(QWidget* widget);

  // VokTableHost
  void FocusRow(VokTable& table, int row) override;
  void ShowEnd(VokTable& table) override;
  void MarkModified() override { SetModified(); }

  // VokFileWindow
  void ShowBoxStarts() override;
  void ShowFirstPage() override;
  void RefreshTableViews() override { ApplyViewSettings(); }
  VokFileEnv FileEnv() { return {this, services_.dialogs, this}; }
  void CreateDocumentObject();
  void StartDocument();
  void WireCommands();
  void WireExchangeCommands();
  bool AskListRows(const std::string& bytes, std::vector<ExchangeRow>& rows, ImportSummary& summary);
  void ExchangeFailed(const std::string& message);
  ListPrintSetup PrintSetup();

  // StatusView
  int PanelWidth(int panel) const override;
  int TextWidth(const std::string& text) const override;
  void SetPanelText(int panel, const std::string& text) override;

  void SetRowHeights();
  void SetColumnWidths();
  void UpdateCovering();
  void ScrollToCursor(VokGridView* grid);
  // Boxes read from elsewhere take the place of the document's, as the reader shows them.
  void TakeBoxes(VokDocument& read);

  Services services_;
  VokDocument doc_;
  TrainerDesktop desktop_;
  std::unique_ptr<tFileClass> file_;
  bool addMode_ = false;
  Tvokdlg1* lessonDialog_ = nullptr;
  TImportDlg* importDialog_ = nullptr;
  TSortDlg* sortDialog_ = nullptr;
  TTestDlg* testDialog_ = nullptr;
  QDialog* kreuzDlg_ = nullptr;
  FtpPar* ftpPar_ = nullptr;
  std::function<bool()> showFtpDialog_;
  // The server file the document was opened from or last saved to (the tool's name of it);
  // emptied when another document takes its place.
  std::string ftpServerFile_;
  // That file's server copy as it was opened or last saved (a change since asks before saving).
  remote::FileIdentity ftpServerCopy_;
  std::array<VokGridView*, 4> grids_{};
  QTabWidget* PageControl1 = nullptr;
  TFindDialog* FindDialog1 = nullptr;
  QToolBar* ToolBar1 = nullptr;
  std::array<QLabel*, 3> panels_{};
  std::array<QAction*, kVokCommandCount> commands_{};
  QAction* mitGitter = nullptr;
  QAction* Deutschabdecken = nullptr;
  QAction* Franzsischabdecken = nullptr;
  QToolButton* MBtn = nullptr;
  QToolButton* SBtn = nullptr;
  QWidget* titleWindow_ = nullptr;
  TAboutBox* aboutBox_ = nullptr;
  double scale_ = 1.0;
  int helpContext_ = 100;
  bool activated_ = false;
};
