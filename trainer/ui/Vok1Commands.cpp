// The document, lesson and row commands of the main window: each handler picks the current
// table and calls the document object or the row operations.
#include <QCloseEvent>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTabWidget>

#include "DocumentCommands.h"
#include "PrintDialogs.h"
#include "Vok1.h"
#include "Vokunit1.h"
#include "Vokunit1Dlg.h"
#include "VokSortDlg.h"
#include "VokTestDlg.h"
#include <QPushButton>

#include "ChangedCopyQuestion.h"
#include "vokGridEdit.h"
#include "vokPrint.h"
#include "vokSort.h"

void TForm1::CreateDocumentObject() {
  FileClassOperations ops;
  ops.newDocument = [this](const std::filesystem::path& name) {
    ftpServerFile_.clear();
    NewVocabDocument(doc_, *this, name, this);
  };
  ops.read = [this](const std::filesystem::path& path) {
    if (!addMode_) ftpServerFile_.clear();
    return ReadVocabFile(doc_, path, addMode_ ? ReadMode::Add : ReadMode::Replace, FileEnv());
  };
  ops.write = [this](const std::filesystem::path& path) {
    return WriteVocabFile(doc_, path, FileEnv());
  };
  ops.onModifiedChanged = [this](bool modified) { Command(VokCommand::speichern1)->setEnabled(modified); };
  ops.askChanged = [this](const std::string& text) { return AskChangedCopy(this, text); };
  file_ = std::make_unique<tFileClass>(*services_.dialogs, TrainerFileClassSettings(), ops);
  Command(VokCommand::speichern1)->setEnabled(false);
}

// The start-up order: data folder, desktop file or defaults, then the document named on the
// command line, the last one, or a new one. Without a documents folder nothing is kept.
void TForm1::StartDocument() {
  if (services_.folders.documents.empty()) {
    file_->New();
    if (services_.argument) file_->OpenFromPath(*services_.argument);
  } else if (StartTrainerDocument(services_.folders, services_.executableName,
                                  services_.argument, desktop_, *file_)) {
    // A stored size the screen cannot hold gives way to the default one.
    const QRect screenRect = screen() ? screen()->geometry() : QRect(0, 0, 1024, 768);
    const WindowSize size =
        StartupWindowSize(desktop_.view, 96.0 * scale_, screenRect.width(), screenRect.height());
    resize(size.width, size.height);
  }
  ShowStatus(*this, 0, file_->FileNameText());
}

void TForm1::WireCommand(VokCommand command, std::function<void()> handler) {
  QAction* action = Command(command);
  connect(action, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
  action->setEnabled(true);
}

void TForm1::WireCommands() {
  const auto wire = [this](VokCommand command, std::function<void()> handler) {
    WireCommand(command, std::move(handler));
  };
  // Each file command shows the document's name afterwards: it may have changed.
  const auto fileCommand = [this, wire](VokCommand name, std::function<void()> command) {
    wire(name, [this, command] {
      command();
      ShowStatus(*this, 0, file_->FileNameText());
    });
  };
  fileCommand(VokCommand::neu1, [this] { file_->New(); });
  fileCommand(VokCommand::ffnen1, [this] { OpenDocumentCommand(*file_); });
  fileCommand(VokCommand::speichern1, [this] { file_->Save(); });
  fileCommand(VokCommand::speichernunter1, [this] { SaveAsCommand(*file_); });
  fileCommand(VokCommand::Lektionhinzufgen2, [this] { AddLessonCommand(*file_, addMode_); });
  fileCommand(VokCommand::Lektionkorrigieren1, [this] { OpenLessonCommand(*file_); });
  fileCommand(VokCommand::Lektionspeichern1, [this] { Lektionspeichern1Click(); });
  Command(VokCommand::speichern1)->setEnabled(false);

  wire(VokCommand::ausschneiden1, [this] { CutMarkedRows(doc_, this); });
  wire(VokCommand::kopieren1, [this] { CopyMarkedRows(doc_, this); });
  wire(VokCommand::einfgen1, [this] { PasteRows(doc_, this); });
  wire(VokCommand::lschen1, [this] { DeleteMarkedRowsAsked(doc_, *services_.dialogs); });
  wire(VokCommand::Leerzeileeinfgen1, [this] { InsertEmptyRow(doc_); });
  wire(VokCommand::leereZeileanhngen1, [this] {
    AppendEmptyRow(doc_);
    EndeBtnClick();
  });
  wire(VokCommand::SpalteninmarkiertenZeilenvertauschen1, [this] { SwapMarkedVocabulary(doc_); });
  wire(VokCommand::Sortieren1, [this] { Sortieren1Click(); });
  for (VokCommand name : {VokCommand::N5Vokabeln1, VokCommand::N10Vokabeln1, VokCommand::N20Vokabeln1,
                          VokCommand::insFrnzsische1, VokCommand::insDeutsche1, VokCommand::durcheinander1})
    wire(name, [this] { insFrnzsische1Click(); });
  if (services_.printer && services_.printDialogs) {
    wire(VokCommand::drucken1, [this] {
      services_.printDialogs->SetDocumentName(file_->FileNameText());
      PrintWithDialog(PrintSetup(), *services_.printDialogs, CurrentTable());
    });
    wire(VokCommand::Druckereinstellung1, [this] { services_.printDialogs->PrinterSetup(); });
    QToolButton* print = Button("ToolButton1");
    print->setEnabled(true);
    connect(print, &QToolButton::clicked, this, [this] { PrintWholeTable(PrintSetup(), CurrentTable()); });
  }
  connect(menuBar()->findChild<QMenu*>("Bearbeiten1"), &QMenu::aboutToShow, this,
          [this] { Bearbeiten1Click(); });

  for (const char* name : {"MitteBtn1", "RechtsBtn1", "LinksBtn1", "RechtsBtn2", "LinksBtn2", "MitteBtn2"}) {
    QToolButton* button = findChild<QToolButton*>(name);
    button->setEnabled(true);
    connect(button, &QToolButton::clicked, this, [this, button] { MitteBtn1Click(button); });
  }
}

void TForm1::Bearbeiten1Click() {
  const EditMenuEnabling state = EditMenuState(doc_);
  Command(VokCommand::ausschneiden1)->setEnabled(state.cut);
  Command(VokCommand::kopieren1)->setEnabled(state.copy);
  Command(VokCommand::einfgen1)->setEnabled(state.paste);
  Command(VokCommand::lschen1)->setEnabled(state.del);
}

// "als Lektion speichern": every data row gets the lesson code, then the document is saved
// under a name the user confirms, proposed as the code with ".le".
void TForm1::Lektionspeichern1Click() {
  if (!lessonDialog_) return;
  if (const std::optional<std::string> code = lessonDialog_->Ask()) SaveAsLesson(doc_, *file_, *code);
}

// "Liste sortieren": the chosen order, after the table has been tidied.
void TForm1::Sortieren1Click() {
  if (!sortDialog_) return;
  if (const auto options = sortDialog_->Ask()) SortList(CurrentTable(), *options);
}

ListPrintSetup TForm1::PrintSetup() {
  return {*services_.printer, *services_.dialogs, desktop_.view.font, file_->FileNameText()};
}

void TForm1::SetTestDialog(TTestDlg* dialog) {
  testDialog_ = dialog;
  if (!services_.printer) return;
  dialog->TestDruckBtn->setEnabled(true);
  dialog->LsgDruckBtn->setEnabled(true);
  connect(dialog->TestDruckBtn, &QPushButton::clicked, this,
          [this] { PrintWholeTable(PrintSetup(), testDialog_->Test().test); });
  connect(dialog->LsgDruckBtn, &QPushButton::clicked, this,
          [this] { PrintWholeTable(PrintSetup(), testDialog_->Test().solution); });
}

// All six items of the "Test" menu: the checked size and direction, then a test at once.
void TForm1::insFrnzsische1Click() {
  if (!testDialog_) return;
  TestSettings settings;
  settings.size = Command(VokCommand::N20Vokabeln1)->isChecked() ? 20 : Command(VokCommand::N10Vokabeln1)->isChecked() ? 10 : 5;
  settings.direction = Command(VokCommand::insDeutsche1)->isChecked()     ? TestDirection::IntoGerman
                       : Command(VokCommand::durcheinander1)->isChecked() ? TestDirection::Mixed
                                                               : TestDirection::IntoFrench;
  const TestGridLook look{desktop_.view.gridLines, desktop_.view.background, desktop_.view.font,
                          96.0 * scale_};
  testDialog_->StartTest(CurrentTable(), settings, look, *this);
  CurrentGrid()->ShowCursor();
  ShowRowStatus();
}

// "Kreuzwort-Rätsel" / "ins Französische": the crossword window on the box shown. The menu
// and its tool button stay hidden; "tirelo --kreuzwort" reaches the window.
void TForm1::insFranzsische1Click() {
  if (kreuzDlg_) kreuzDlg_->exec();
}

// The last step of the first activation. A failed association changes nothing for the user.
void TForm1::RegisterFileTypes() {
  if (!services_.registerFileType) return;
  services_.registerFileType(".evd", "Vokabel-Datei");
  services_.registerFileType(".le", "Lektion/Lerneinheit");
}

// All six move buttons share this handler; the target box follows from the button's place.
void TForm1::MitteBtn1Click(QToolButton* button) {
  const int target = MoveTargetFromLeft(button->x());
  if (target == 0) return;
  if (MoveMarkedRows(doc_, target, this)) SetRowHeights();
  CurrentGrid()->ShowCursor();
}

bool TForm1::FormCloseQuery() { return file_->CanClose(); }

void TForm1::FormClose() {
  if (services_.folders.documents.empty()) return;
  SaveDesktop(DataFolder(services_.folders), desktop_, *file_, width(), height(), 96.0 * scale_);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

void TForm1::ShowBoxStarts() {
  const int shown = doc_.CurrentPage();
  for (int page = 0; page < VokDocument::kBoxCount; ++page) {
    doc_.SetCurrentPage(page);
    Pos1BtnClick();
  }
  doc_.SetCurrentPage(shown);
}

void TForm1::ShowFirstPage() {
  PageControl1->setCurrentIndex(0);
  doc_.SetCurrentPage(0);
}
