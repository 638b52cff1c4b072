// "Vom FTP-Server öffnen" and "Auf FTP-Server speichern": the FTP tool, shown as a file dialog,
// moves one vocabulary file between the server and a scratch file of this transfer, which
// the trainer reads or writes with its ordinary vocabulary-file routines.
#include <optional>

#include "FtpPar.h"
#include "FtpScratchFile.h"
#include "Vok1.h"
#include "Win1252.h"

namespace {

// A scratch file for one transfer, or nothing after its error box.
std::optional<FtpScratchFile> MakeScratchFile(Dialogs& dialogs) {
  try {
    return std::optional<FtpScratchFile>(std::in_place);
  } catch (const FtpScratchError& error) {
    dialogs.Message("Tirelo V", error.what(), MsgButtons::Ok, MsgIcon::Error);
    return std::nullopt;
  }
}

}  // namespace

void TForm1::SetFtpDialog(FtpPar* par, std::function<bool()> showModal) {
  const bool wired = static_cast<bool>(showFtpDialog_);
  ftpPar_ = par;
  showFtpDialog_ = std::move(showModal);
  if (wired) return;  // the commands call whatever was set last
  const auto wire = [this](VokCommand name, void (TForm1::*command)()) {
    WireCommand(name, [this, command] { (this->*command)(); });
  };
  wire(VokCommand::VomFTPServerffnen1, &TForm1::VomFTPServerffnen1Click);
  wire(VokCommand::AufFTPServerspeichern1, &TForm1::AufFTPServerspeichern1Click);
}

// The download lands in a scratch file and is read into a document of its own: only a
// complete read replaces the learner's boxes, so a failed transfer or a damaged file leaves
// the open document exactly as it was.
void TForm1::VomFTPServerffnen1Click() {
  if (!ftpPar_ || !showFtpDialog_ || !file_->QuerySave()) return;
  std::optional<FtpScratchFile> scratch = MakeScratchFile(*services_.dialogs);
  if (!scratch) return;
  ftpPar_->SetOpenMode(scratch->Path());
  if (!showFtpDialog_()) return;

  VokDocument read;
  if (!ReadVocabFile(read, scratch->Path(), ReadMode::Replace, VokFileEnv{})) {
    ShowStatus(*this, 2, kFileNotRead);
    return;
  }
  TakeBoxes(read);
  file_->MarkUntitled();
  ftpServerFile_ = ftpPar_->TransferredFile;
  ftpServerCopy_ = ftpPar_->TransferredCopy;
  ShowStatus(*this, 0, file_->FileNameText() + " (" + PathText(file_->GetOpenFolder()) + ")");
  ShowRowStatus();
  ShowStatus(*this, 2, DownloadedStatusText(ftpPar_->TransferredName));
  SetModified();
}

void TForm1::TakeBoxes(VokDocument& read) {
  for (int box = 1; box <= VokDocument::kBoxCount; ++box) {
    VokTable& from = read.Box(box);
    VokTable& to = doc_.Box(box);
    to.ReplaceRows(std::move(from.MutableRows()));
    to.cursorRow = from.cursorRow;
    to.cursorCol = from.cursorCol;
    to.marked = from.marked;
  }
  ShowBoxStarts();
  doc_.SetCurrentPage(0);
  ShowFirstPage();
  ApplyViewSettings();
  // The grids mark the rows the file names, as the status line does.
  for (VokGridView* grid : grids_) grid->ShowCursor();
}

// The vocabulary is written to the scratch file first; a failed write stops the save there,
// so the dialog never offers to send an empty or partial file over the server's copy.
void TForm1::AufFTPServerspeichern1Click() {
  if (!ftpPar_ || !showFtpDialog_) return;
  std::optional<FtpScratchFile> scratch = MakeScratchFile(*services_.dialogs);
  if (!scratch) return;
  const std::string proposed = file_->IsUntitled() ? std::string() : PathText(file_->FileName().filename());
  ftpPar_->SetSaveMode(scratch->Path(), proposed, ftpServerFile_, ftpServerCopy_);
  // The scratch file is no saved document: its writer says nothing itself, and the box names
  // the document.
  if (!WriteVocabFile(doc_, scratch->Path(), VokFileEnv{})) {
    services_.dialogs->Message("Tirelo V", FtpScratchWriteFailedText(PathText(file_->FileName().filename())),
                               MsgButtons::Ok, MsgIcon::Error);
    ShowStatus(*this, 2, kNotUploadedStatusText);
    return;
  }
  ShowStatus(*this, 0, file_->FileNameText());
  // Refused, failed or cancelled, nothing reached the server; the document stays modified.
  if (!showFtpDialog_()) return ShowStatus(*this, 2, kNotUploadedStatusText);
  ftpServerFile_ = ftpPar_->TransferredFile;
  ftpServerCopy_ = ftpPar_->TransferredCopy;
  ShowStatus(*this, 2, UploadedStatusText(ftpPar_->TransferredName));
}
