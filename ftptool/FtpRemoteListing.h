// The remote list (ListView2, or the dialog page's list): filling it from the server and the
// directory changes of its path field.
#pragma once

#include <string>
#include <vector>

#include "FtpBrowserRows.h"
#include "FtpClient.h"
#include "FtpListPairing.h"
#include "FtpToolView.h"
#include "RemoteSession.h"

class FtpConnection;

// What the window keeps of a remote list.
struct FtpRemoteSide {
  std::string PathField;                 // VerzEdit2 (or VerzEdit on the dialog page), UTF-8
  std::string PathBytes;                 // the server's own bytes of the last directory it named
  FtpBrowserRows Rows;
  std::vector<std::string> ListingArea;  // FTPMemo: the raw lines of the last listing
  FtpFileFilter Filter;                  // the dialog page's file-type filter; empty: all files
};

// The server bytes of the path field: the server's own bytes while the field still shows
// them (so bytes that do not decode survive), else the typed text in the encoding; a
// character the encoding cannot carry goes as "?", and the server's refusal shows.
std::string FtpPathBytes(const FtpRemoteSide& side, FtpNameEncoding encoding);
// The field set from the server's bytes of a directory.
void FtpSetPathBytes(FtpRemoteSide& side, std::string bytes, FtpNameEncoding encoding);

// The listing itself on a session: the server's current directory into the path field, the
// listing lines into the listing area, the rows built and sorted. A failure shows "A2: " and the error
// text in status panel 2. Does not touch the busy state.
bool ListRemoteRows(remote::RemoteSession& session, FtpToolView& view, FtpRemoteSide& side, FtpSortColumn column);

// ListRemoteDirectory: the listing with hourglass, busy state and "auflisten" in status
// panel 1, all three reset at the end whatever happened.
bool ListRemoteDirectory(FtpConnection& connection, FtpToolView& view, FtpRemoteSide& side,
                         FtpSortColumn column);

// ChangeRemoteDirectory: checks the connection ("Keine Verbindung!"), changes into the path
// field's directory and lists it; a refused change shows "Verzeichniswechsel verweigert" and
// the server's directory in the path field, and the list stays as it was.
void ChangeRemoteDirectory(FtpConnection& connection, FtpToolView& view, FtpRemoteSide& side,
                           FtpSortColumn column);

// EnterRemoteStartDirectory: the same right after connecting, without the check; the list is
// refreshed even after a refusal.
void EnterRemoteStartDirectory(FtpConnection& connection, FtpToolView& view, FtpRemoteSide& side,
                               FtpSortColumn column);
