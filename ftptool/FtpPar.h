// The tool mode block: the trainer writes it before it shows the FTP tool, the tool reads it
// at every activation of its window. In service mode ("FTP-Dienst starten") the whole tool is
// shown; in open and save mode the window turns into a compact file dialog showing only its
// dialog page (TabSheet5) with the server's current directory, a file name and a file type.
//
// One block exists for the whole program: the start-up code owns it and hands it to the
// trainer's window and to the tool's window.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "FileIdentity.h"
#include "FtpWindowSize.h"

enum class FtpToolMode { Service = 1, Open = 2, Save = 3 };

// The filter text of both dialog modes: items separated by "|", each a description whose
// masks stand in parentheses at its end, several masks separated by ";".
inline const std::string kTrainerFtpFilter =
    "Eigene Vokabel-Dateien (*.evd)|Lektion (*.le)|Alle Dateien (*.*)";
// The filter text of service mode.
inline const std::string kAllFilesFilter = "Alle Dateien (*.*)";

struct FtpPar {
  FtpToolMode Mode = FtpToolMode::Service;
  std::string Filter = kAllFilesFilter;
  std::string DefaultExt;                // appended to a name without extension in save mode
  std::filesystem::path DownloadTarget;  // open mode: where the chosen remote file goes
  std::filesystem::path UploadSource;    // save mode: the local file that is sent
  std::string ProposedName;              // save mode: FileEdit starts with it unless empty
  std::string TransferredName;           // written by the tool: the last dialog transfer's name
  // The server file a dialog transfer went to or came from, as the tool names it (server, user,
  // folder and name): written by the tool with TransferredName. The trainer hands the one of
  // its open document back in save mode, so that saving over that file asks nothing.
  std::string TransferredFile;
  std::string DocumentServerFile;
  // The server copy of TransferredFile as the transfer found or left it (written by the tool),
  // and the one the document was opened from or last saved as (handed back in save mode):
  // saving over a copy that changed meanwhile asks first.
  remote::FileIdentity TransferredCopy;
  remote::FileIdentity DocumentCopy;

  // FTPDienststarten1Click.
  void SetServiceMode();
  // VomFTPServerffnen1Click: the remote file the user picks is downloaded to target.
  void SetOpenMode(const std::filesystem::path& target);
  // AufFTPServerspeichern1Click: source is uploaded under the name the user gives ("evd"
  // appended when it has no extension); proposedName (no folder) is offered first;
  // documentServerFile is the server file the document belongs to (empty: none).
  void SetSaveMode(const std::filesystem::path& source, const std::string& proposedName = {},
                   const std::string& documentServerFile = {}, const remote::FileIdentity& documentCopy = {});
};

// The page indices of the tool window's page control.
enum FtpPage {
  kPageAnmeldung = 0,
  kPageVerzeichnisse = 1,
  kPageEinzel = 2,
  kPageLogbuch = 3,
  kPageDialog = 4
};

// What the window shows at activation in a mode.
struct FtpModeLook {
  std::string Caption;
  bool TabAnmeldung = false, TabVerzeichnisse = false, TabEinzel = false, TabLogbuch = false;
  bool TabDialog = false;                  // TabSheet5
  std::string DialogCaption;               // "Öffnen (Ftp)" / "Speichern (Ftp)"; empty in service mode
  int DialogImageIndex = -1;               // 26 / 27; -1 in service mode
  int PageShown = kPageAnmeldung;          // the page made active on activation
  bool ToolBarAndMenu = false;             // ToolBar1 and the main menu's items
  std::optional<FtpWindowSize> FixedSize;  // in screen pixels; none: the user sizes the window
  bool EntersDialogPage = false;           // EnterDialogPage is queued
};

// The look of a mode on a screen of the given dots per inch: the fixed 500 x 400 of the
// dialog modes are scaled by dpi / 96, rounded to the nearest pixel (ties to even).
FtpModeLook ModeLook(FtpToolMode mode, int screenDpi);

// Filling the file-type box: one item per piece between the "|"; the first is the box's text.
std::vector<std::string> FileTypeItems(const std::string& filter);

// Which list a file-type test is for.
enum class FtpFileList { DialogPage, Browser };

// The file-type test that ListRemoteDirectory applies to file rows (directories always pass).
// filter is the mode block's filter text, boxText the file-type box's current text. On the
// browser's list an empty filter text (one that sorts at or before "!") admits every name.
bool MatchesFileType(FtpFileList list, const std::string& filter, const std::string& boxText,
                     const std::string& name);

// "*" any run of characters, "?" one character; letter case ignored (Windows-1252).
bool MatchesMask(const std::string& name, const std::string& mask);

// True when the name has an extension: a "." after its last "/" or "\".
bool HasExtension(const std::string& name);
// Save mode: a name without extension gets "." and the default extension.
std::string WithDefaultExtension(const std::string& name, const std::string& defaultExt);

// OK of the dialog page does nothing for an empty name, one beginning with a blank or a
// control character, or one containing "*" or "?".
bool IsDialogFileName(const std::string& name);

// The trainer's status panel 2 after a dialog transfer.
std::string DownloadedStatusText(const std::string& remoteName);  // name " heruntergeladen"
std::string UploadedStatusText(const std::string& remoteName);    // "als " name " hochgeladen"
// After a save dialog that did not upload (cancelled, refused or failed).
inline const std::string kNotUploadedStatusText = "Datei nicht hochgeladen";
