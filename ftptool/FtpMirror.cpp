#include "FtpMirror.h"

#include <system_error>
#include <utility>

#include "FtpError.h"
#include "FtpLocalPaths.h"
#include "FtpNameCodec.h"
#include "FtpRemoteCalls.h"
#include "FtpTreeWalk.h"
#include "Win1252.h"

namespace fs = std::filesystem;

void FtpStreamView::AddLogLine(const std::string& line) { out_ << win1252::ToUtf8(line) << '\n'; }

FtpTreeTally MirrorGetDir(remote::RemoteSession& session, const std::string& remoteDir,
                          const fs::path& localParent, std::ostream& log, FtpWalkHooks hooks) {
  std::string path = remoteDir;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  // The last name becomes a local folder: it must not lead out of the local parent.
  const FtpNameEncoding encoding = FtpNamesOf(session);
  if (!FtpIsSafeLocalName(name))
    throw FtpError(win1252::FromUtf8(FtpUnsafeNameLine(FtpPrintableName(name, encoding))));
  if (slash != std::string::npos) {
    try {
      session.ChangeDir(slash == 0 ? "/" : path.substr(0, slash));
    } catch (const remote::RemoteError& error) {
      if (!error.Refused()) throw;
      throw FtpError("Verzeichniswechsel verweigert");
    }
  }
  FtpStreamView view(log);
  FtpTreeWalker walker(session, view, std::move(hooks));
  if (!walker.DownloadTree(localParent / FtpLocalNameOf(name, encoding).Name, name))
    throw FtpError("Verzeichniswechsel verweigert");
  return walker.Tally();
}

FtpTreeTally MirrorPutDir(remote::RemoteSession& session, const fs::path& localDir, std::ostream& log,
                          FtpPutMode mode, FtpWalkHooks hooks) {
  std::error_code ec;
  const fs::path folder = localDir.has_filename() ? localDir : localDir.parent_path();
  if (!fs::is_directory(folder, ec))
    throw FtpError(A("Verzeichnis kann nicht gelesen werden: ") + PathText(folder));
  FtpStreamView view(log);
  FtpTreeWalker walker(session, view, std::move(hooks));
  walker.UploadTree(folder, mode);
  return walker.Tally();
}
