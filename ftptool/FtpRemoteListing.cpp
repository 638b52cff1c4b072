#include "FtpRemoteListing.h"

#include "FtpConnection.h"
#include "FtpDateTime.h"
#include "FtpError.h"
#include "FtpNameCodec.h"
#include "FtpRemoteCalls.h"
#include "Win1252.h"

namespace {

// Changes into the path field's directory; on a refusal the field takes the server's
// directory and false comes back.
bool EnterPathField(remote::RemoteSession& session, FtpToolView& view, FtpRemoteSide& side) {
  if (side.PathField.empty()) return true;
  const FtpNameEncoding encoding = FtpNamesOf(session);
  try {
    session.ChangeDir(FtpPathBytes(side, encoding));
    return true;
  } catch (const std::exception&) {
    view.ShowFtpStatus(2, "Verzeichniswechsel verweigert");
    try {
      FtpSetPathBytes(side, session.CurrentDir(), encoding);
    } catch (const std::exception&) {
    }
    return false;
  }
}

void EnterAndList(FtpConnection& connection, FtpToolView& view, FtpRemoteSide& side,
                  FtpSortColumn column, bool listAfterRefusal) {
  view.SetCursor(FtpCursor::Hourglass);
  connection.SetBusy(true);
  const bool entered = EnterPathField(connection.Session(), view, side);
  connection.SetBusy(false);
  view.SetCursor(FtpCursor::Normal);
  if (entered || listAfterRefusal) ListRemoteDirectory(connection, view, side, column);
}

}  // namespace

std::string FtpPathBytes(const FtpRemoteSide& side, FtpNameEncoding encoding) {
  if (!side.PathBytes.empty() && side.PathField == FtpShownName(side.PathBytes, encoding)) return side.PathBytes;
  const auto bytes = FtpServerNameOf(std::string_view(side.PathField), encoding);
  return bytes ? *bytes : win1252::FromUtf8(side.PathField);
}

void FtpSetPathBytes(FtpRemoteSide& side, std::string bytes, FtpNameEncoding encoding) {
  side.PathField = FtpShownName(bytes, encoding);
  side.PathBytes = std::move(bytes);
}

bool ListRemoteRows(remote::RemoteSession& session, FtpToolView& view, FtpRemoteSide& side, FtpSortColumn column) {
  side.Rows.clear();
  side.ListingArea.clear();
  try {
    const FtpNameEncoding encoding = FtpNamesOf(session);
    FtpSetPathBytes(side, session.CurrentDir(), encoding);
    const auto entries = FtpListFolder(session, "", side.ListingArea);
    side.Rows = FtpRemoteRows(entries, side.PathBytes, side.Filter, column, encoding);
    return true;
  } catch (const std::exception& error) {
    view.ShowFtpStatus(2, "A2: " + std::string(error.what()));
    return false;
  }
}

bool ListRemoteDirectory(FtpConnection& connection, FtpToolView& view, FtpRemoteSide& side,
                         FtpSortColumn column) {
  view.SetCursor(FtpCursor::Hourglass);
  connection.SetBusy(true);
  connection.SetListingRunning(true);
  view.ShowFtpStatus(1, "auflisten");
  const bool listed = ListRemoteRows(connection.Session(), view, side, column);
  connection.SetListingRunning(false);
  view.ClearFtpStatus(1, 1);
  view.SetCursor(FtpCursor::Normal);
  connection.SetBusy(false);
  return listed;
}

void ChangeRemoteDirectory(FtpConnection& connection, FtpToolView& view, FtpRemoteSide& side,
                           FtpSortColumn column) {
  if (connection.RefuseWhileBusy()) return;
  if (!connection.EnsureConnection()) {
    if (!connection.NoActionMark()) view.ShowFtpStatus(2, "Keine Verbindung!");
    return;
  }
  EnterAndList(connection, view, side, column, false);
}

void EnterRemoteStartDirectory(FtpConnection& connection, FtpToolView& view, FtpRemoteSide& side,
                               FtpSortColumn column) {
  EnterAndList(connection, view, side, column, true);
}
