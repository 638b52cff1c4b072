// The FTP client seen as a remote session: the tool's core can drive FTP and SFTP alike.
// FtpClient keeps every behaviour of its own; this only maps calls, hooks and errors.
#pragma once

#include "FtpClient.h"
#include "FtpLanes.h"
#include "FtpOwnCalls.h"
#include "RemoteSession.h"

class FtpRemoteSession : public remote::RemoteSession, private FtpOwnCalls {
 public:
  // Connect puts the whole access into the client (proxy and TLS too); settings the access
  // does not name (passive mode, the name encoding, the trust hooks) stay on the client.
  // A hook left empty leaves the client's own callback as its owner set it.
  explicit FtpRemoteSession(FtpClient& client) : client_(client), lanes_(client) {}

  FtpClient& Client() { return client_; }
  // Control connections a folder's files may use at once, the own one included (FtpLanes.h);
  // 1, the default, carries them one after another over the own connection.
  void SetConnections(int count) { lanes_.SetConnections(count); }
  // Ends the further connections (the owner closed the own one by itself).
  void CloseLanes() { lanes_.Close(); }

  void Connect(const remote::RemoteAccess& access) override;
  void Login() override;
  void Disconnect() override;
  bool Connected() const override { return client_.Connected(); }
  bool Utf8Names() const override { return client_.NameEncoding() == FtpNameEncoding::Utf8; }
  FtpOwnCalls* FtpCalls() override { return this; }
  void KeepAlive() override;
  std::string CurrentDir() override;
  void ChangeDir(const std::string& path) override;
  void ChangeDirUp() override;
  std::vector<remote::RemoteEntry> List(const std::string& path = "") override;
  std::int64_t Size(const std::string& path) override;
  remote::FileIdentity Identify(const std::string& path) override;
  void Get(const std::string& remotePath, const std::string& localPath) override;
  void GetAt(const std::string& remotePath, int folderFd, const std::string& localName) override;
  void Put(const std::string& localPath, const std::string& remotePath) override;
  void MakeDir(const std::string& path) override;
  void RemoveDir(const std::string& path) override;
  void Delete(const std::string& path) override;
  void Rename(const std::string& from, const std::string& to) override;
  void Abort() override;
  void GetManyAt(const std::vector<remote::BatchGet>& files, int folderFd,
                 const remote::BatchReport& report) override;
  void PutMany(const std::vector<remote::BatchPut>& files, const remote::BatchReport& report) override;

 private:
  const FtpListItems& ListLines(const std::string& path, std::vector<std::string>& lines,
                                FtpListDetail detail) override;
  void PutInMode(const std::string& localPath, const std::string& remotePath, FtpPutMode mode) override;
  void GetTo(const std::string& remotePath, const std::string& localPath, FtpOverwrite overwrite) override;
  void UseSettings(const FtpTransferSettings& settings) override;
  void PutOne(const remote::BatchPut& file) override;
  static FtpPutTarget PutTarget(const remote::BatchPut& file);
  void InstallHooks();
  template <typename Call>
  auto Guarded(Call&& call) -> decltype(call());
  remote::RemoteError SessionError(const FtpError& error) const;
  bool OverLanes(std::size_t files, FtpWorkMode mode, std::int64_t totalBytes,
                 const remote::BatchReport& report, const FtpLaneBatch::FileTransfer& transfer);

  FtpClient& client_;
  bool aborted_ = false;
  FtpLanes lanes_;
};

// A parsed FTP listing entry as a neutral one (time converted from the listed local time).
remote::RemoteEntry FtpToRemoteEntry(const FtpListItem& item);
