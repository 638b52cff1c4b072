#include "FtpSelectionTransfer.h"

#include <system_error>

#include "FtpConnection.h"
#include "FtpDeleteQuestion.h"
#include "FtpError.h"
#include "FtpLocalPaths.h"
#include "FtpNameCodec.h"
#include "FtpPrintable.h"
#include "FtpRemoteCalls.h"
#include "FtpStatusTexts.h"
#include "FtpTreeWalk.h"
#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

bool IsDirectoryRow(const FtpSelectedRow& row) { return row.Image == 0; }
bool IsSpecialRow(const FtpSelectedRow& row) { return row.Image == 1 || row.Image == 2; }

FtpWalkHooks WalkHooks(FtpConnection& connection) {
  return {[&connection] { return connection.AbortRequested(); },
          [&connection](std::int64_t bytes) { connection.SetExpectedSize(bytes); },
          {}};
}

// A row's caption in an error text (Windows-1252): a line end in a name shows escaped.
std::string ShownCaption(const FtpSelectedRow& row) {
  return win1252::FromUtf8(FtpPrintableText(row.Caption));
}

std::int64_t SizeValue(const std::string& text) {
  try {
    return std::stoll(text);
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace

std::string FtpMarkerMissingText(const std::string& markerName) {
  return "Keine Datei \"" + markerName + "\" gefunden";
}

FtpSelectionCommands::FtpSelectionCommands(FtpConnection& connection, FtpToolView& view, Dialogs& dialogs,
                                           FtpSelectionHost host)
    : connection_(connection), view_(view), dialogs_(dialogs), host_(std::move(host)) {}

bool FtpSelectionCommands::Confirm(const std::string& question) {
  return dialogs_.Message("Ladeko", question, MsgButtons::YesNo, MsgIcon::Question) == MsgResult::Yes;
}

void FtpSelectionCommands::Inform(const std::string& text) {
  dialogs_.Message("Ladeko", text, MsgButtons::Ok, MsgIcon::Information);
}

bool FtpSelectionCommands::TransferSelection(FtpTag tag, const FtpSelection& selection, bool noRefresh,
                                             bool withMarker, const std::string& markerName) {
  if (connection_.RefuseWhileBusy()) return false;
  std::string text;
  bool result = false;
  if (selection.Editing) {
    text = "Erst Editieren beenden";
  } else if (selection.Rows.empty()) {
    text = A("Nichts ausgewählt");
  } else if (!connection_.EnsureConnection()) {
    // After a reconnect that fell back to the start directory the check has spoken itself.
    if (!connection_.NoActionMark()) text = "Keine Verbindung!";
  } else {
    view_.SetCursor(FtpCursor::Hourglass);
    connection_.SetBusy(true);
    const bool reconnected = RunTransfer(tag, selection, withMarker, markerName, result, text);
    if (reconnected && !noRefresh) {
      if (tag == FtpTag::Local && host_.ListRemoteDirectory) host_.ListRemoteDirectory();
      if (tag != FtpTag::Local && host_.ListLocalDirectory) host_.ListLocalDirectory();
    }
    view_.SetCursor(FtpCursor::Normal);
    connection_.SetBusy(false);
    if (!reconnected) return false;
  }
  if (!text.empty()) {
    view_.ShowFtpStatus(2, text);
    view_.AddTrimmedLogLine(text);
    if (host_.CopyLogToClipboard) host_.CopyLogToClipboard();
  }
  return result;
}

bool FtpSelectionCommands::RunTransfer(FtpTag tag, const FtpSelection& selection, bool withMarker,
                                       const std::string& markerName, bool& result, std::string& text) {
  remote::RemoteSession& session = connection_.Session();
  result = true;
  skipped_ = 0;
  bool markerFound = false;
  try {
    if (tag == FtpTag::Remote && withMarker) {
      try {
        session.Delete(FtpServerPathOfText(markerName, connection_.NameEncoding()));  // a stored name
        markerFound = true;
      } catch (const remote::RemoteError& error) {
        if (!error.Refused()) throw;
      }
    }
    for (const auto& row : selection.Rows) {
      if (IsSpecialRow(row)) continue;
      if (tag != FtpTag::Local && withMarker && !markerFound) {
        result = false;
        continue;
      }
      TransferRow(tag, row);
    }
    if (tag == FtpTag::Local) text = FtpTransferEndText("Hochladen beendet", skipped_);
    else
      text = withMarker && !markerFound ? FtpMarkerMissingText(markerName)
                                        : FtpTransferEndText("Herunterladen beendet", skipped_);
    return true;
  } catch (const std::exception& error) {
    text = A("Übertragung abgebrochen");
    result = false;
    view_.AddTrimmedLogLine(error.what());
  }
  // The connection may be in any state after a failure; it starts afresh, with the checks
  // and the trust of every connect, and goes back to where the lists say it is.
  if (!connection_.Reconnect()) return false;
  view_.AddTrimmedLogLine(A("=======> Übertragung abgebrochen, neu verbunden!"));
  if (!ReturnToRemoteDirectory()) text = A(ftptexts::kBackInDirectoryFailed) + connection_.RemotePathField();
  return true;
}

// A fresh connection starts in the server's start directory, while the remote list still
// shows the folder it came from: a command on its rows would hit the wrong files.
bool FtpSelectionCommands::ReturnToRemoteDirectory() {
  const std::string path = connection_.RemotePathField ? connection_.RemotePathField() : std::string();
  try {
    if (!path.empty()) connection_.Session().ChangeDir(path);
  } catch (const std::exception&) {
    if (host_.ClearRemoteList) host_.ClearRemoteList();
    return false;
  }
  if (host_.ListRemoteDirectory) host_.ListRemoteDirectory();
  return true;
}

// The local path of a row: a local row's own name, or the name a download gives a remote
// row's server bytes (logged when bytes had to be escaped).
fs::path FtpSelectionCommands::LocalPathOf(FtpTag tag, const FtpSelectedRow& row) {
  const fs::path base = FtpFolderOfField(host_.LocalPathField ? host_.LocalPathField() : "");
  if (tag == FtpTag::Local) return base / fs::path(row.Exact());
  const FtpLocalName local = FtpLocalNameOf(row.Exact(), connection_.NameEncoding());
  if (local.Escaped) view_.AddTrimmedLogLineUtf8(FtpEscapedNameLine(row.Exact(), local));
  return base / local.Name;
}

void FtpSelectionCommands::TransferRow(FtpTag tag, const FtpSelectedRow& row) {
  remote::RemoteSession& session = connection_.Session();
  FtpTreeWalker walker(session, view_, WalkHooks(connection_));
  if (tag != FtpTag::Local && !FtpIsSafeLocalName(row.Exact())) {
    view_.AddTrimmedLogLineUtf8(FtpUnsafeNameLine(FtpPrintableText(row.Caption)));
    return;
  }
  const fs::path local = LocalPathOf(tag, row);
  if (IsDirectoryRow(row)) {
    if (tag == FtpTag::Local) walker.UploadTree(local);
    else walker.DownloadTree(local, row.Exact());
    skipped_ += walker.Tally().Skipped.size();
    return;
  }
  // Refused before anything is sent, rather than sent with "?" for what the server lacks.
  const auto remoteName = tag == FtpTag::Local ? FtpServerNameOf(local.filename(), connection_.NameEncoding())
                                               : std::optional<std::string>(row.Exact());
  if (!remoteName) throw FtpError(FtpNotWritableText(local.filename().native()));
  connection_.SetExpectedSize(SizeValue(row.SizeText));
  view_.ShowFtpStatus(1, row.SizeText);
  view_.ShowFtpStatusUtf8(2, FtpPrintableText(row.Caption));
  if (tag == FtpTag::Local) {
    view_.AddTrimmedLogLineUtf8("Uploadstart: " + FtpPrintableText(row.Caption) + "   " + row.SizeText);
    session.Put(local.string(), *remoteName);
  } else {
    view_.AddTrimmedLogLineUtf8("Downloadstart: " + FtpPrintableText(row.Caption) + "   " + row.SizeText);
    session.Get(*remoteName, local.string());
  }
}

void FtpSelectionCommands::DeleteSelection(FtpTag tag, const FtpSelection& selection) {
  const bool remote = tag != FtpTag::Local;
  if (remote && connection_.RefuseWhileBusy()) return;
  if (selection.Editing) return view_.ShowFtpStatus(2, "Erst Editieren beenden");
  if (selection.Rows.empty()) return view_.ShowFtpStatus(2, A("Nichts ausgewählt"));
  if (remote && !connection_.EnsureConnection()) {
    if (!connection_.NoActionMark()) view_.ShowFtpStatus(2, "Nicht verbunden");
    return;
  }
  const auto countFolder = [&](const FtpSelectedRow& row) -> std::optional<FtpTreeCount> {
    if (remote) return FtpCountRemoteTree(connection_.Session(), row.Exact());
    return FtpCountLocalTree(FtpFolderOfField(host_.LocalPathField ? host_.LocalPathField() : "") /
                             row.Exact());
  };
  if (!Confirm(win1252::FromUtf8(FtpDeleteQuestionText(FtpDeleteItems(selection.Rows, countFolder))))) return;

  view_.ClearFtpStatus(2, 2);
  view_.SetCursor(FtpCursor::Hourglass);
  connection_.SetBusy(true);
  bool failed = true;
  try {
    for (const auto& row : selection.Rows) {
      if (IsSpecialRow(row)) continue;
      DeleteRow(tag, row);
    }
    failed = false;
  } catch (const FtpDeleteRefusal& refusal) {
    Inform(refusal.what());
    view_.ShowFtpStatus(2, A("Löschen abgebrochen"));
  } catch (const std::exception&) {
    view_.ShowFtpStatus(2, A("Löschen abgebrochen"));
  }
  // A tree walk stopped below the listed folder left the server there: the refreshed list and
  // the next command on its rows would be in the wrong folder.
  if (remote && failed) ReturnToRemoteDirectory();
  if (remote && host_.ListRemoteDirectory) host_.ListRemoteDirectory();
  if (!remote && host_.ListLocalDirectory) host_.ListLocalDirectory();
  view_.SetCursor(FtpCursor::Normal);
  connection_.SetBusy(false);
}

void FtpSelectionCommands::DeleteRow(FtpTag tag, const FtpSelectedRow& row) {
  // A remote caption is a name from the server: one that leads out of the current directory
  // ("../x", "a/b") is not sent.
  const std::string shown = ShownCaption(row);
  if (tag != FtpTag::Local && !FtpIsSafeLocalName(row.Exact())) {
    view_.AddTrimmedLogLineUtf8(FtpUnsafeNameLine(FtpPrintableText(row.Caption)));
    return;
  }
  remote::RemoteSession& session = connection_.Session();
  FtpTreeWalker walker(session, view_, WalkHooks(connection_));
  if (tag == FtpTag::Local) {
    const fs::path base = FtpFolderOfField(host_.LocalPathField ? host_.LocalPathField() : "");
    const fs::path local = base / fs::path(row.Exact());
    if (IsDirectoryRow(row)) {
      walker.DeleteLocalTree(local);
    } else {
      std::error_code ec;
      if (!fs::remove(local, ec) || ec) throw FtpError(A("Datei kann nicht gelöscht werden: ") + shown);
    }
  } else if (IsDirectoryRow(row)) {
    walker.DeleteRemoteTree(row.Exact());
  } else {
    session.Delete(row.Exact());
  }
  view_.ShowFtpStatusUtf8(2, FtpPrintableText(row.Caption) + " gelöscht");
  view_.AddTrimmedLogLineUtf8(FtpPrintableText(row.Caption) + " gelöscht");
}

void FtpSelectionCommands::htDelBtnClick() {
  view_.ClearFtpStatus(2, 2);
  if (!connection_.EnsureConnection()) return view_.ShowFtpStatus(2, "Nicht verbunden");
  if (!Confirm(A(".htaccess und .htpasswd wirklich löschen, wenn vorhanden?"))) return;
  remote::RemoteSession& session = connection_.Session();
  for (const char* name : {".htaccess", ".htpasswd"}) {
    try {
      session.Delete(name);
      view_.ShowFtpStatus(2, std::string(name) + A(" gelöscht"));
    } catch (const std::exception&) {
      Inform(std::string("kein ") + name + " vorhanden");
    }
  }
}

void FtpSelectionCommands::htDownBtnClick() {
  if (!connection_.EnsureConnection()) return view_.ShowFtpStatus(2, "Nicht verbunden");
  if (!Confirm(A(".htaccess und .htpasswd im aktuellen Computer-Verzeichnis\n"
                 "werden in jedem Fall überschrieben.\nWirklich ausführen?")))
    return;
  view_.ClearFtpStatus(2, 2);
  const fs::path base = FtpFolderOfField(host_.LocalPathField ? host_.LocalPathField() : "");
  remote::RemoteSession& session = connection_.Session();
  for (const char* name : {".htaccess", ".htpasswd"}) {
    try {
      session.Get(name, (base / name).string());
      view_.ShowFtpStatus(2, name);
    } catch (const std::exception&) {
      Inform(std::string("kein ") + name);
    }
  }
  if (host_.ListLocalDirectory) host_.ListLocalDirectory();
}
