// A session with a remote file server, whatever protocol carries it (FTP, SFTP). The FTP
// tool's core talks to servers through this interface only; each protocol's client library
// implements it. Standard library only.
//
// Everything runs on the caller's thread. Every wait is cut into slices with hooks.pump called
// in between (at least every 100 ms), so a window stays usable; Abort() may be called from the
// pump and makes the running transfer fail within a second. Failures raise RemoteError, whose
// what() is the German text the user sees, as Windows-1252 bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "RemoteAccess.h"
#include "RemoteBatch.h"
#include "RemoteError.h"

// FTP's own calls beyond this interface (ftpclient/FtpOwnCalls.h), reported by FTP sessions.
class FtpOwnCalls;

namespace remote {

struct FileIdentity;  // FileIdentity.h

enum class EntryType { File, Directory, Link };

// One entry of a listing. Names are the server's bytes (UTF-8 on SFTP).
struct RemoteEntry {
  std::string name;
  EntryType type = EntryType::File;
  std::int64_t size = -1;         // -1 when the server gives none
  std::int64_t mtime = -1;        // seconds since 1970 UTC; -1 when unknown
  std::uint32_t permissions = 0;  // the POSIX mode bits (07777); 0 when unknown
  std::string linkTarget;         // for a link, where it points, when the server told
};

enum class WorkMode { Read, Write };

struct RemoteHooks {
  std::function<void()> pump;                      // runs between wait slices
  std::function<void(const std::string&)> log;     // protocol lines for the log book
  std::function<void(const std::string&)> status;  // "Verbunden.", "Verbindung aufgehoben."
  std::function<void(WorkMode, std::int64_t expected)> workBegin;
  std::function<void(WorkMode, std::int64_t done)> work;
  std::function<void(WorkMode)> workEnd;
  // The connection has ended, whichever side ended it (Disconnect, a lost connection, a
  // failure that leaves the session untrustworthy); the owner stops calling it connected.
  std::function<void()> disconnected;
  // Called by Put once the new contents are complete under the temporary name, right before
  // they take the target's place; raising here (CopyChangedError) deletes the temporary file
  // and leaves the target as it is. The session may be used from it (Identify).
  std::function<void(const std::string& target)> beforeReplace;
};

class RemoteSession {
 public:
  virtual ~RemoteSession() = default;

  RemoteHooks hooks;

  // Opens the connection and checks the server's identity (certificate, host key).
  virtual void Connect(const RemoteAccess& access) = 0;
  virtual void Login() = 0;
  // Ends the session politely when it can; never raises.
  virtual void Disconnect() = 0;
  virtual bool Connected() const = 0;
  // Whether the server's name bytes are UTF-8: always on SFTP; on FTP as the log-in settled
  // it (else Windows-1252). Callers decode names for display and encode typed ones by it.
  virtual bool Utf8Names() const { return true; }
  // What only FTP can do (its listing text, Append and Direct uploads, a download that keeps
  // an existing file); nullptr on every other protocol. Callers ask instead of casting.
  virtual FtpOwnCalls* FtpCalls() { return nullptr; }
  // Keeps an idle connection alive (FTP NOOP, SSH keep-alive); raises when it is gone.
  virtual void KeepAlive() = 0;

  virtual std::string CurrentDir() = 0;
  virtual void ChangeDir(const std::string& path) = 0;
  virtual void ChangeDirUp() = 0;
  // The entries of a folder (empty: the current one), without "." and "..". Links are
  // reported as links, never followed.
  virtual std::vector<RemoteEntry> List(const std::string& path = "") = 0;
  // A hint that these folders (relative to the current one) are listed soon: a protocol that
  // can ask for many at once (SFTP) lists them now, and List answers each from that once. An
  // empty hint drops what was not taken; so does any change on the server. By default nothing.
  virtual void ListAhead(const std::vector<std::string>& paths) { (void)paths; }
  // -1 when the server gives no size.
  virtual std::int64_t Size(const std::string& path) = 0;
  // What the server's copy of a file is now: size and modification time at the best
  // precision the server gives, else its listing line; exists is false where there is none.
  virtual FileIdentity Identify(const std::string& path) = 0;

  // Downloads into a local path; the old file there gives way only once every byte is on
  // disk (a link of that name is followed to its file, as a save would).
  virtual void Get(const std::string& remotePath, const std::string& localPath) = 0;
  // Get, telling what the server's copy was as the download began (as Identify tells it):
  // by default Identify, then Get; SFTP takes it from the file it opened, asking nothing more.
  virtual FileIdentity GetIdentified(const std::string& remotePath, const std::string& localPath);
  // Downloads into the entry localName of an open folder without following any link.
  virtual void GetAt(const std::string& remotePath, int folderFd, const std::string& localName) = 0;
  // Uploads under a temporary name beside the target and renames it over the target once
  // complete; a failure leaves the server's old file as it was.
  virtual void Put(const std::string& localPath, const std::string& remotePath) = 0;

  virtual void MakeDir(const std::string& path) = 0;
  virtual void RemoveDir(const std::string& path) = 0;
  virtual void Delete(const std::string& path) = 0;
  virtual void Rename(const std::string& from, const std::string& to) = 0;

  // Makes the running transfer fail ("Transfer abgebrochen"); callable from hooks.pump.
  virtual void Abort() = 0;

  // The files of one folder (RemoteBatch.h); by default one after the other through GetAt and
  // Put, each error of a file handed to report.finished, which may raise to end the batch.
  virtual void GetManyAt(const std::vector<BatchGet>& files, int folderFd, const BatchReport& report);
  virtual void PutMany(const std::vector<BatchPut>& files, const BatchReport& report);

 protected:
  // One file of the default PutMany; by default Put, which knows nothing of a new folder.
  virtual void PutOne(const BatchPut& file) { Put(file.localPath, file.remotePath); }
};

}  // namespace remote
