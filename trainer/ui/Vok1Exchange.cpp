// "Importieren ..." and "Exportieren ...": word lists of other trainers (KVTML, CSV/TSV) into
// the boxes and out of them. The file is read and turned into rows completely before the
// document is touched, so a list that cannot be taken leaves the boxes as they were; running
// out of memory is such a case too, reported like any other. After an import a message says
// what was taken and what was left out.
#include <QAction>
#include <algorithm>
#include <ctime>
#include <new>

#include "ListExchange.h"
#include "PathText.h"
#include "Vok1.h"
#include "VokImportDlg.h"
#include "Win1252.h"

namespace {

const std::string kListFilter =
    "Wortlisten (*.kvtml *.csv *.tsv *.txt)|*.kvtml;*.csv;*.tsv;*.txt|alle Dateien (*.*)|*.*|";
const std::string kExportFilter =
    "KVTML 2.0 (*.kvtml)|*.kvtml|CSV, Semikolon (*.csv)|*.csv|TSV, wie tirelo-evd (*.tsv)|*.tsv|"
    "CSV, Komma (*.csv)|*.csv|";
const ListFormat kFilterFormats[] = {ListFormat::Kvtml, ListFormat::Csv, ListFormat::Tsv, ListFormat::Csv};
const char* const kExtensions[] = {".kvtml", ".csv", ".tsv", ".csv"};
constexpr int kCommaFilter = 4;

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
bool TForm1::AskListRows(const std::string& bytes, std::vector<ExchangeRow>& rows, ImportSummary& summary) {
  std::string error;
  switch (DetectListKind(bytes)) {
    case ListKind::Kvtml: {
      KvtmlFile list;
      if (!ReadKvtml(bytes, list, error)) break;
      std::optional<KvtmlPair> pair = FindGermanFrench(list);
      if (!pair || pair->german.empty() || pair->french.empty()) {
        KvtmlPair chosen;
        if (!importDialog_->AskLanguages(bytes, list, chosen)) return false;
        pair = chosen;
      }
      summary.notes = LanguageNotes(list, *pair);
      if (KvtmlRows(bytes, *pair, rows, error, &summary)) return true;
      break;
    }
    case ListKind::EvdText:
      if (EvdTextRows(bytes, rows, error)) return true;
      break;
    case ListKind::Csv: {
      CsvOptions options;
      if (!importDialog_->AskCsv(bytes, options)) return false;
      CsvTable table;
      if (ReadCsvTable(bytes, options, table, error) && CsvRows(table, table.columns, rows, error, &summary))
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
  bool adding = false;
  try {
    std::string bytes, error;
    if (!ReadExchangeFile(choice->path, bytes, error)) {
      ExchangeFailed(error);
      return;
    }
    std::vector<ExchangeRow> rows;
    ImportSummary summary;
    if (!AskListRows(bytes, rows, summary)) return;
    std::string().swap(bytes);  // the rows hold what is needed
    adding = true;
    AddExchangeRows(doc_, std::move(rows), this, &summary);
    ShowFirstPage();
    RefreshTableViews();
    ShowStatus(*this, 1, "");
    SetModified();
    services_.dialogs->Message("Importieren", SummaryText(summary), MsgButtons::Ok, MsgIcon::Information);
  } catch (const std::bad_alloc&) {
    // The rows are staged before any box changes; should memory run out while they are
    // appended, the boxes keep what arrived and the document stays open.
    if (adding) {
      RefreshTableViews();
      SetModified();
    }
    ExchangeFailed(kOutOfMemoryText);
  }
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
  const std::string documentName = PathText(file_->FileName().stem());
  FileDialogRequest request;
  request.title = "Exportieren";
  request.filter = kExportFilter;
  request.initialDir = file_->GetOpenFolder();
  request.fileName = documentName;
  request.defaultExt = "kvtml";
  request.confirmOverwrite = true;
  const std::optional<FileChoice> choice = services_.dialogs->SaveFile(request);
  if (!choice) return;
  std::filesystem::path path = choice->path;
  std::optional<ListFormat> format = FormatOfPath(path);
  const int entry = std::clamp(choice->filterIndex, 1, kCommaFilter) - 1;
  if (!format) {
    // A name without one of the three extensions gets the one of the chosen filter entry.
    format = kFilterFormats[entry];
    path += kExtensions[entry];
  }
  ExportOptions options;
  options.title = documentName;
  options.savedAt = SaveTimeText(std::time(nullptr));
  if (entry + 1 == kCommaFilter) options.csv.separator = ',';
  std::string text, error;
  if (!ExportListText(doc_, onlyBox, *format, options, text, error) ||
      !WriteExchangeFile(path, text, error)) {
    services_.dialogs->Message("Tirelo V", error, MsgButtons::Ok, MsgIcon::Error);
    return;
  }
  ShowStatus(*this, 2, "Datei exportiert!");
}
