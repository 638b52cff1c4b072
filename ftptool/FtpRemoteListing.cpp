#include "FtpRemoteListing.h"

#include "FtpConnection.h"
#include "FtpDateTime.h"
#include "FtpError.h"

namespace {

// Changes into the path field's directory; on a refusal the field takes the server's
// directory and false comes back.
bool EnterPathField(FtpClient& client, FtpToolView& view, FtpRemoteSide& side) {
  if (side.PathField.empty()) return true;
  try {
    client.ChangeDir(side.PathField);
    return true;
  } catch (const FtpError&) {
    view.ShowFtpStatus(2, "Verzeichniswechsel verweigert");
    try {
      side.PathField = client.RetrieveCurrentDir();
    } catch (const FtpError&) {
    }
    return false;
  }
}

void EnterAndList(FtpConnection& connection, FtpToolView& view, FtpRemoteSide& side,
                  FtpSortColumn column, bool listAfterRefusal) {
  view.SetCursor(FtpCursor::Hourglass);
  connection.SetBusy(true);
  const bool entered = EnterPathField(connection.Client(), view, side);
  connection.SetBusy(false);
  view.SetCursor(FtpCursor::Normal);
  if (entered || listAfterRefusal) ListRemoteDirectory(connection, view, side, column);
}

}  // namespace

bool ListRemoteRows(FtpClient& client, FtpToolView& view, FtpRemoteSide& side, FtpSortColumn column) {
  side.Rows.clear();
  side.ListingArea.clear();
  try {
    side.PathField = client.RetrieveCurrentDir();
    client.List(&side.ListingArea, "", FtpListDetail::Details);
    const auto entries =
        FtpPairListing(side.ListingArea, client.DirectoryListing(), FtpToday().Year);
    side.Rows = FtpRemoteRows(entries, side.PathField, side.Filter, column);
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
  const bool listed = ListRemoteRows(connection.Client(), view, side, column);
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
