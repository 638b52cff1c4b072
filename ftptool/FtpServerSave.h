// Saving a document back to the server file it was opened from without losing what another
// computer saved there meanwhile: the copy is checked before the upload and right before the
// rename; when it changed, the user chooses (ChangedCopyChoice) to overwrite it, to keep both
// with the document under the next free name ("NAME (2).evd"), or to send nothing.
#pragma once

#include <functional>
#include <string>

#include "CopyNames.h"
#include "FileIdentity.h"
#include "RemoteSession.h"

// Asked with the question's text (Windows-1252); the same question the local save asks.
using ChangedCopyQuestion = std::function<ChangedCopyChoice(const std::string& text)>;

struct ServerSaveOutcome {
  bool sent = false;          // false: the user cancelled, nothing reached the server
  std::string remotePath;     // where the document went: the file itself or the copy
  remote::FileIdentity copy;  // that file as the server now has it, to remember for the next save
};

// shownName names the file in the question (Windows-1252). expected is the copy the document
// was opened from or last saved as; one that does not exist (a new file) must still be free.
// seenNow: expected was read from the server right before (PutIfSameCopy).
ServerSaveOutcome SaveToServerFile(remote::RemoteSession& session, const std::string& localPath,
                                   const std::string& remotePath, const std::string& shownName,
                                   remote::FileIdentity expected, const ChangedCopyQuestion& ask,
                                   bool seenNow = false);

// The first "NAME (N).EXT" beside remotePath that the server does not have.
std::string FreeServerName(remote::RemoteSession& session, const std::string& remotePath);
