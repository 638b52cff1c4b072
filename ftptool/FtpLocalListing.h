// The local list (ListView1): the rows of one local folder, and the directory changes of the
// local path field VerzEdit1.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "FtpBrowserRows.h"
#include "FtpToolView.h"

// The rows of a folder: the current-directory row under the folder's last name with the
// folder's date, ".." (except at the root), a row per directory with its date, and a row per
// file with its size and date. File rows get the images 10, 11, ... in the order they were
// found, one shell icon each. Raises FtpError when the folder cannot be read.
FtpBrowserRows FtpLocalRows(const std::filesystem::path& folder, FtpSortColumn column);

// What the local side of the window keeps: the path field and the last folder that listed.
struct FtpLocalSide {
  std::string PathField;      // VerzEdit1
  std::string LastGoodFolder;
  FtpBrowserRows Rows;
};

// ListLocalDirectory: lists PathField; success stores it as the last good folder, a failure
// shows "A1: " and the error text in status panel 2 and leaves the rows empty.
bool ListLocalDirectory(FtpLocalSide& side, FtpToolView& view, FtpSortColumn column);

// ChangeLocalDirectory: lists PathField if it names a folder; otherwise the last good folder
// comes back into PathField, "Wechsel ins Verzeichnis fehlgeschlagen" goes to status panel 2,
// the profile's modified mark is cleared (clearModified) and that folder is listed again.
bool ChangeLocalDirectory(FtpLocalSide& side, FtpToolView& view, FtpSortColumn column,
                          const std::function<void()>& clearModified);

// The path field after a double click on a row (directory: joined, "..": the parent,
// current directory: unchanged); ChangeLocalDirectory follows.
std::string FtpLocalFieldAfterOpen(const std::string& pathField, const FtpBrowserRow& row);
