// The server side of the trainer's "Vom FTP-Server öffnen" and "Auf FTP-Server speichern":
// the one download or upload the tool's dialog page makes on OK, on any session. The window
// asks the questions; everything the server is asked happens here, so the benchmark that
// counts the round trips (bench/ftptool/dialog_round_trips.sh) drives the same calls.
#pragma once

#include <functional>
#include <string>

#include "FileIdentity.h"
#include "FtpProfile.h"
#include "FtpServerSave.h"
#include "RemoteSession.h"

// How FtpPar's TransferredFile names the server file remoteName in the session's current
// folder: the server, the user and the folder with the name, the same file whichever dialog
// names it.
std::string FtpServerFileKey(const FtpLoginValues& login, remote::RemoteSession& session,
                             const std::string& remoteName);

struct FtpOpenedServerFile {
  std::string key;            // FtpServerFileKey of the file
  remote::FileIdentity copy;  // the copy as it was right before the download
};

// Downloads remoteName into localPath; raises RemoteError when that fails.
FtpOpenedServerFile FtpOpenServerFile(remote::RemoteSession& session, const FtpLoginValues& login,
                                      const std::string& remoteName, const std::string& localPath);

struct FtpDialogSave {
  std::string localPath;
  std::string remoteName;  // server bytes, in the current folder
  std::string shownName;   // Windows-1252, for the questions
  // The server file the document came from or was last saved to, and that copy; an empty
  // key for a document that has none.
  std::string documentKey;
  remote::FileIdentity documentCopy;
};

struct FtpDialogSaveQuestions {
  // "Die Datei NAME existiert bereits. Ersetzen?" (Windows-1252); true for yes.
  std::function<bool(const std::string& text)> replace;
  ChangedCopyQuestion changed;  // the copy changed since it was seen
};

struct FtpSavedServerFile {
  bool sent = false;       // false: the user declined, nothing reached the server
  std::string remotePath;  // the file itself or the copy beside it
  std::string key;         // FtpServerFileKey of remotePath
  remote::FileIdentity copy;
};

// Saving to the document's own server file asks nothing unless the copy changed meanwhile;
// another existing file is replaced only after the user said yes, and then as it was when
// asked. Raises RemoteError when the upload fails.
FtpSavedServerFile FtpSaveServerFile(remote::RemoteSession& session, const FtpLoginValues& login,
                                     const FtpDialogSave& save, const FtpDialogSaveQuestions& ask);
