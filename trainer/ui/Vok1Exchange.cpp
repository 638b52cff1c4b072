// "Importieren ..." and "Exportieren ...": word lists of other trainers (KVTML, CSV/TSV) into
// the boxes and out of them. The file is read and turned into rows completely before the
// document is touched, so a list that cannot be taken leaves the boxes as they were.
#include <QAction>
#include <algorithm>

#include "ListExchange.h"
#include "Vok1.h"
#include "VokImportDlg.h"
#include "Win1252.h"

namespace {

const std::string kListFilter =
    "Wortlisten (*.kvtml *.csv *.tsv *.txt)|*.kvtml;*.csv;*.tsv;*.txt|alle Dateien (*.*)|*.*|";
const std::string kExportFilter =
    "KVTML 2.0 (*.kvtml)|*.kvtml|CSV (*.csv)|*.csv|TSV, wie tirelo-evd (*.tsv)|*.tsv|";
const ListFormat kFilterFormats[] = {ListFormat::Kvtml, ListFormat::Csv, ListFormat::Tsv};
const char* const kExtensions[] = {".kvtml", ".csv", ".tsv"};

}  // namespace

void TForm1::WireExchangeCommands() {
  importDialog_ = new TImportDlg(this);
  const auto wire = [this](VokCommand name, void (TForm1::*command)()) {
    WireCommand(name, [this, command] { (this->*command)(); });
  };
  wire(VokCommand::Importieren1, &TForm1::Importieren1Click);
  wire(VokCommand::Exportieren1, &TForm1::Exportieren1Click);
}

void TForm1::ExchangeFailed(const std::string& message) {
  ShowStatus(*this, 2, kFileNotRead);
  services_.dialogs->Message("Tirelo V", message, MsgButtons::Ok, MsgIcon::Error);
}

// The rows of a list; the dialog asks what the file does not say. False after Cancel or an
// error (reported here).
bool TForm1::AskListRows(const std::string& bytes, std::vector<ExchangeRow>& rows) {
  std::string error;
  switch (DetectListKind(bytes)) {
    case ListKind::Kvtml: {
      KvtmlFile list;
      if (!ReadKvtml(bytes, list, error)) break;
      std::optional<KvtmlPair> pair = FindGermanFrench(list);
      if (!pair) {
        KvtmlPair chosen;
        if (!importDialog_->AskLanguages(list, chosen)) return false;
        pair = chosen;
      }
      if (KvtmlRows(list, *pair, rows, error)) return true;
      break;
    }
    case ListKind::EvdText:
      if (EvdTextRows(bytes, rows, error)) return true;
      break;
    case ListKind::Csv: {
      CsvOptions options;
      if (!importDialog_->AskCsv(bytes, options)) return false;
      CsvTable table;
      if (ReadCsvTable(bytes, options, table, error) && CsvRows(table, table.columns, rows, error))
        return true;
      break;
    }
  }
  ExchangeFailed(error);
  return false;
}

void TForm1::Importieren1Click() {
  FileDialogRequest request;
  request.title = "Importieren";
  request.filter = kListFilter;
  request.initialDir = file_->GetOpenFolder();
  request.mustExist = true;
  const std::optional<FileChoice> choice = services_.dialogs->OpenFile(request);
  if (!choice) return;
  std::string bytes, error;
  if (!ReadExchangeFile(choice->path, bytes, error)) {
    ExchangeFailed(error);
    return;
  }
  std::vector<ExchangeRow> rows;
  if (!AskListRows(bytes, rows)) return;
  AddExchangeRows(doc_, rows, this);
  ShowFirstPage();
  RefreshTableViews();
  ShowStatus(*this, 1, "");
  SetModified();
}

// The shown box or all three; the clipboard page always exports the whole document.
void TForm1::Exportieren1Click() {
  int onlyBox = 0;
  if (doc_.CurrentPage() < VokDocument::kBoxCount) {
    const MsgResult answer = services_.dialogs->Message(
        "Tirelo V", A("Nur den angezeigten Kasten exportieren?\n(Nein: alle drei Kästen)"),
        MsgButtons::YesNoCancel, MsgIcon::Question);
    if (answer == MsgResult::Cancel) return;
    if (answer == MsgResult::Yes) onlyBox = doc_.CurrentPage() + 1;
  }
  FileDialogRequest request;
  request.title = "Exportieren";
  request.filter = kExportFilter;
  request.initialDir = file_->GetOpenFolder();
  request.fileName = win1252::FromUtf8(file_->FileName().stem().string());
  request.defaultExt = "kvtml";
  request.confirmOverwrite = true;
  const std::optional<FileChoice> choice = services_.dialogs->SaveFile(request);
  if (!choice) return;
  std::filesystem::path path = choice->path;
  std::optional<ListFormat> format = FormatOfPath(path);
  if (!format) {
    // A name without one of the three extensions gets the one of the chosen filter entry.
    const int entry = std::clamp(choice->filterIndex, 1, 3) - 1;
    format = kFilterFormats[entry];
    path += kExtensions[entry];
  }
  std::string text, error;
  const std::string title = win1252::FromUtf8(file_->FileName().stem().string());
  if (!ExportListText(doc_, onlyBox, *format, title, text, error) ||
      !WriteExchangeFile(path, text, error)) {
    services_.dialogs->Message("Tirelo V", error, MsgButtons::Ok, MsgIcon::Error);
    return;
  }
  ShowStatus(*this, 2, "Datei exportiert!");
}
