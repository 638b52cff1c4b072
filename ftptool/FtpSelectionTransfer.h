// The commands on the rows selected in a browser list: transferring them (whole trees for
// directory rows), deleting them, and the two commands for the web server's ".htaccess" and
// ".htpasswd". They hold the busy state for their run and report through the view.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "Dialogs.h"
#include "FtpToolView.h"

class FtpConnection;

// One selected row, as the list shows it: Caption is the display text (UTF-8), Name the
// entry's exact bytes (server bytes or the local file-system name). A row made from a name
// alone leaves Name empty; its caption is then the name.
struct FtpSelectedRow {
  std::string Caption;
  std::string SizeText;
  int Image = -1;
  std::string Name{};  // empty: the caption is the name

  const std::string& Exact() const { return Name.empty() ? Caption : Name; }
};

// The selection of one list, in list order, and whether a caption is being edited.
struct FtpSelection {
  std::vector<FtpSelectedRow> Rows;
  bool Editing = false;
};

// The sides by the tag of the control that started a command.
enum class FtpTag { Local = 1, Remote = 2, DialogList = 3 };

// What the commands need of the window besides the connection and the view.
struct FtpSelectionHost {
  std::function<std::string()> LocalPathField;  // VerzEdit1
  std::function<void()> ListLocalDirectory;
  std::function<void()> ListRemoteDirectory;
  std::function<void()> CopyLogToClipboard;     // the whole log book, after each transfer
  std::function<void()> ClearRemoteList;       // when the server is not where the list says
};

class FtpSelectionCommands {
 public:
  FtpSelectionCommands(FtpConnection& connection, FtpToolView& view, Dialogs& dialogs,
                       FtpSelectionHost host);

  // Uploads (tag 1) or downloads (tag 2) the selected rows. True when the run ended without
  // an error and was not refused by the marker rule; entries a tree left out are counted in
  // the end text ("Herunterladen beendet, 2 übersprungen ...") and listed in the log book.
  // With withMarker a download first deletes the marker file on the server and transfers only
  // when that worked. A failure stops the run, reconnects and logs
  // "=======> Übertragung abgebrochen, neu verbunden!".
  bool TransferSelection(FtpTag tag, const FtpSelection& selection, bool noRefresh, bool withMarker,
                         const std::string& markerName = "neu.txt");

  // DelBtn1Click and the Delete key: deletes the selected rows after "Wirklich löschen?".
  void DeleteSelection(FtpTag tag, const FtpSelection& selection);

  void htDelBtnClick();
  void htDownBtnClick();

 private:
  // Steps inside the busy state; false when the reconnect after a failure failed too.
  bool RunTransfer(FtpTag tag, const FtpSelection& selection, bool withMarker,
                   const std::string& markerName, bool& result, std::string& text);
  // Back into the remote path field's directory after a reconnect, listed again; false (and
  // the remote list cleared) when the server refuses it.
  bool ReturnToRemoteDirectory();
  void TransferRow(FtpTag tag, const FtpSelectedRow& row);
  std::filesystem::path LocalPathOf(FtpTag tag, const FtpSelectedRow& row);
  void DeleteRow(FtpTag tag, const FtpSelectedRow& row);
  bool Confirm(const std::string& question);
  void Inform(const std::string& text);

  FtpConnection& connection_;
  FtpToolView& view_;
  Dialogs& dialogs_;
  FtpSelectionHost host_;
  std::size_t skipped_ = 0;  // entries the trees of the running transfer left out
};

// The result text of a marked-rows download whose marker was not on the server.
std::string FtpMarkerMissingText(const std::string& markerName);
