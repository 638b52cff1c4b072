// ladeko-ftp with an sftp:// host against the sshd fixture: host keys by file and by
// fingerprint, the commands under UTF-8 names, and what SFTP does not offer.
#include <gtest/gtest.h>

#include "FTPkey.h"
#include "FtpProtocol.h"
#include "LadekoOptions.h"
#include "LadekoSftp.h"
#include "LoopbackPorts.h"
#include "SftpTestSession.h"
#include "ftpdisk.h"

namespace {

struct Outcome {
  int status = -1;
  std::string output;  // standard output and error
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(LadekoSftp, HostForms) {
  const auto target = [](const std::string& text) { return ParseSftpHost(text); };
  EXPECT_FALSE(target("ftp.example.org").has_value());
  ASSERT_TRUE(target("sftp://pi@192.168.1.5").has_value());
  EXPECT_EQ(target("sftp://pi@192.168.1.5")->user, "pi");
  EXPECT_EQ(target("sftp://pi@192.168.1.5")->port, 0);
  EXPECT_EQ(target("SFTP://[::1]:2222/")->host, "::1");
  EXPECT_EQ(target("SFTP://[::1]:2222/")->port, 2222);
  EXPECT_EQ(target("sftp://a@b@nas:22")->user, "a@b");
  EXPECT_EQ(target("sftp://a@b@nas:22")->host, "nas");
  for (const char* bad : {"sftp://", "sftp://user@", "sftp://nas:0", "sftp://nas:x", "sftp://nas:", "sftp://nas/pfad"})
    EXPECT_THROW(target(bad), std::invalid_argument) << bad;
}

TEST(LadekoSftp, CommandsOverSsh) {
  SshdServer server;
  ASSERT_TRUE(server.Running());
  TempFolder local;
  const std::string host = "sftp://127.0.0.1:" + std::to_string(server.Port());
  const std::string fingerprint = KeyFingerprint(server.HostPublicKey());
  const fs::path known = local.Path() / "known_hosts";
  const auto ladeko = [&](std::vector<std::string> args) {
    Outcome run;
    run.output = LadekoOnSshd(server, known, local.Path(), std::move(args), &run.status);
    return run;
  };

  Outcome refused = ladeko({host, "pwd"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(Contains(refused.output, "unbekannt") && Contains(refused.output, fingerprint)) << refused.output;
  refused = ladeko({"--fingerprint", "SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", host, "pwd"});
  EXPECT_EQ(refused.status, 1) << refused.output;

  const std::string name = "Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5.bin";
  std::string content(200000, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 + i / 251);
  WriteText(local.Path() / name, content);
  const std::string files = server.Files().string();
  const auto pinned = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--fingerprint", fingerprint, host, "cd", files});
    return ladeko(args);
  };
  ASSERT_EQ(pinned({"put", (local.Path() / name).string()}).status, 0);
  EXPECT_EQ(ReadText(server.Files() / name), content);
  ASSERT_EQ(pinned({"mkdir", "Ordner"}).status, 0);
  ASSERT_EQ(pinned({"rename", name, "Ordner/" + name}).status, 0);
  const Outcome listed = pinned({"cd", "Ordner", "ls"});
  EXPECT_EQ(listed.status, 0);
  EXPECT_TRUE(Contains(listed.output, "- 200000 ") && Contains(listed.output, " " + name + "\n")) << listed.output;
  EXPECT_EQ(pinned({"size", "Ordner/" + name}).output, "200000\n");
  EXPECT_EQ(pinned({"cd", "Ordner", "pwd"}).output, fs::canonical(server.Files()).string() + "/Ordner\n");

  // Known from the file now: no fingerprint needed.
  WriteText(known, server.KnownHostsLine());
  const fs::path back = local.Path() / "zur\xC3\xBC" "ck";
  ASSERT_EQ(ladeko({host, "cd", files, "get", "Ordner/" + name, back.string()}).status, 0);
  EXPECT_EQ(ReadText(back), content);
  ASSERT_EQ(ladeko({host, "cd", files, "rm", "Ordner/" + name}).status, 0);
  ASSERT_EQ(ladeko({host, "cd", files, "rmdir", "Ordner"}).status, 0);
  EXPECT_TRUE(fs::is_empty(server.Files()));

  const Outcome missing = ladeko({host, "get", files + "/fehlt", back.string()});
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(Contains(missing.output, "nicht gefunden")) << missing.output;
  EXPECT_EQ(ReadText(back), content);
  const Outcome appended = ladeko({host, "cd", files, "append", back.string(), "x"});
  EXPECT_EQ(appended.status, 2);
  EXPECT_TRUE(Contains(appended.output, "append über SFTP ist nicht verfügbar")) << appended.output;
}

// The forms --fingerprint takes for an SSH key: as ssh prints it, bare, padded; nothing else.
TEST(LadekoSftp, FingerprintForms) {
  const std::string hash = "q+3/Vb0cY9kTz1xW/7Hr+oUeNpLmA4sJfG2dK8iE5aQ";
  for (const std::string& taken : {"SHA256:" + hash, hash, "sha256:" + hash, hash + "="})
    EXPECT_EQ(SshFingerprintOption(taken), "SHA256:" + hash) << taken;
  for (const std::string& refused :
       {"MD5:" + hash, hash.substr(1), hash + "A", "SHA256:" + hash.substr(0, 42) + "-", std::string("aa:bb:cc")})
    EXPECT_THROW(SshFingerprintOption(refused), UsageError) << refused;
}

// What ladeko-ftp says about a host known only by a key of another type, and about command
// lines it refuses: usage errors before any connection (status 2, the reason, not the whole
// usage), a local folder that is not there, a key whose passphrase no terminal can give.
TEST(LadekoSftp, RefusalsSayWhatIsWrong) {
  SshdServer server({.hostKeyType = "rsa", .password = "", .extraConfig = ""});
  ASSERT_TRUE(server.Running());
  TempFolder local;
  const fs::path known = local.Path() / "known_hosts";
  MakeKey(local.Path() / "old");
  WriteText(known, KnownLine(server.Port(), local.Path() / "old.pub"));
  MakeKey(local.Path() / "locked", "geheim");
  const std::string host = "sftp://127.0.0.1:" + std::to_string(server.Port());
  const std::string nobody = "sftp://127.0.0.1:" + std::to_string(FreeLoopbackPort());
  const std::string fingerprint = KeyFingerprint(server.HostPublicKey());
  const std::string missing = (local.Path() / "fehlt").string();
  struct Case {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> said;
  };
  const Case cases[] = {
      {{host, "pwd"},
       1,
       {"ssh-rsa-Schl\xC3\xBCssel", "anderer Typen bekannt", "--fingerprint " + fingerprint + " "}},
      {{"--fingerprint", fingerprint.substr(7), host, "pwd"}, 0, {"/"}},
      {{"--fingerprint", "aa:bb", nobody, "pwd"}, 2, {"aa:bb", "SHA256: und 43 Zeichen"}},
      {{nobody, "cd", "x", "append", missing, "y"},
       2,
       {"append \xC3\xBC"
        "ber SFTP ist nicht verf\xC3\xBCgbar"}},
      {{"--port", "0", nobody, "pwd"},
       2,
       {"\xE2\x80\x9E"
        "0\xE2\x80\x9C f\xC3\xBCr --port",
        "1 bis 65535"}},
      {{"--port", "70000", nobody, "pwd"}, 2, {"70000", "1 bis 65535"}},
      {{nobody, "getdir", "x", missing + "/unten"},
       1,
       {"Den lokalen Ordner gibt es nicht: " + missing + "/unten\n"}},
      {{"--fingerprint", fingerprint, "--identity", (local.Path() / "locked").string(), host, "pwd"},
       1,
       {"durch eine Passphrase gesch\xC3\xBCtzt", "Ohne Terminal"}},
  };
  for (const Case& c : cases) {
    int status = -1;
    const std::string output = LadekoOnSshd(server, known, local.Path(), c.args, &status);
    EXPECT_EQ(status, c.status) << output;
    for (const std::string& part : c.said) EXPECT_TRUE(Contains(output, part)) << part << " in:\n" << output;
    EXPECT_FALSE(Contains(output, "Aufruf:")) << output;
    EXPECT_FALSE(Contains(output, "Verbindung mit")) << output;  // none was tried
  }
}

// A profile the window saved for SFTP reaches its server from the command line too: by the
// protocol chosen on "Anmeldung" (kept beside the profile) or by a host written "sftp://".
TEST(LadekoSftp, AProfileSavedForSftpRunsItsCommands) {
  SshdServer server;
  ASSERT_TRUE(server.Running());
  TempFolder local;
  const fs::path known = local.Path() / "known_hosts";
  WriteText(known, server.KnownHostsLine());
  const std::string port = std::to_string(server.Port());
  struct Saved {
    FtpProtocol protocol;
    std::string host, port;
  };
  const Saved profiles[] = {
      {FtpProtocol::Sftp, "127.0.0.1", port},
      {FtpProtocol::FtpTlsIfOffered, "sftp://127.0.0.1:" + port, "21"},
  };
  for (const Saved& saved : profiles) {
    FtpAccessProfile profile;
    ResetProfileFields(profile, "", ftpkey::RandomFiller());
    FtpProfileValues values = ProfileValues(profile);
    values.Login.Host = saved.host;
    values.Login.Port = saved.port;
    values.Login.User = "";  // the local user, as ssh takes it
    StoreProfileValues(profile, values, ftpkey::RandomFiller());
    const fs::path file = local.Path() / "nas.ftpz";
    ASSERT_TRUE(WriteProfileFile(file, profile) && WriteProtocolRecord(file, saved.protocol));
    int status = -1;
    const std::string output =
        LadekoOnSshd(server, known, local.Path(),
                     {"--profile", file.string(), "cd", server.Files().string(), "pwd"}, &status);
    EXPECT_EQ(status, 0) << saved.host << "\n" << output;
    EXPECT_EQ(output, fs::canonical(server.Files()).string() + "\n") << saved.host;
  }
}
