// The FTP tool's connection with an sftp:// host, driven as the window drives it: connect and
// list, a tree down and up through the selection commands (links left alone), a download cut
// by the server and the reconnect after it, the abort of a stalled download, and the
// profiles that are refused before anything of the user's is sent.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>

#include "AbortAftermath.h"
#include "FtpBrowserRows.h"
#include "FtpConnection.h"
#include "FtpLocalPaths.h"
#include "FtpSftpHost.h"
#include "FtpRemoteCalls.h"
#include "FtpRemoteListing.h"
#include "FtpSelectionTransfer.h"
#include "FtpSingleTransfer.h"
#include "FtpStatusTexts.h"
#include "FtpTreeWalk.h"
#include "RecordingToolView.h"
#include "ScriptedDialogs.h"
#include "SftpTestSession.h"
#include "Win1252.h"

namespace {

using Clock = std::chrono::steady_clock;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string LocalUserName() { return Loopback(0).user; }

// The log book as one text, to search in.
std::string LogText(const RecordingToolView& view) {
  std::string text;
  for (std::size_t i = 0; i < view.log.Size(); ++i) text += view.log.Line(i) + "\n";
  return text;
}

// A view that also tells the test of each trimmed log line as it comes.
struct WatchedView : RecordingToolView {
  std::function<void(const std::string&)> onLog;
  void AddTrimmedLogLine(const std::string& line) override {
    RecordingToolView::AddTrimmedLogLine(line);
    if (onLog) onLog(line);
  }
};

// The user's home as ssh sees it, of the test's own: known_hosts and the key where the tool
// looks for them, and no agent.
class OwnHome {
 public:
  OwnHome() {
    if (const char* home = std::getenv("HOME")) old_ = home;
    if (const char* agent = std::getenv("SSH_AUTH_SOCK")) agent_ = agent;
    fs::create_directories(Ssh());
    ::setenv("HOME", folder_.Path().c_str(), 1);
    ::unsetenv("SSH_AUTH_SOCK");
  }
  ~OwnHome() {
    ::setenv("HOME", old_.c_str(), 1);
    if (!agent_.empty()) ::setenv("SSH_AUTH_SOCK", agent_.c_str(), 1);
  }
  fs::path Ssh() const { return folder_.Path() / ".ssh"; }

 private:
  TempFolder folder_;
  std::string old_, agent_;
};

struct Tool {
  explicit Tool(std::uint16_t port, const std::string& password = "") {
    login.Host = "sftp://127.0.0.1";
    login.Port = std::to_string(port);
    login.User = LocalUserName();
    login.Password = password;
    connection.Login = [this] { return login; };
  }
  // The paramiko server's key known from a file in folder, the server's password "p".
  Tool(const ParamikoServer& server, const fs::path& folder) : Tool(server.Port(), "p") {
    WriteText(folder / "known_hosts", server.KnownHostsLine());
    connection.KnownHostsFile = (folder / "known_hosts").string();
  }
  // The selection commands, the local list showing folder.
  FtpSelectionCommands Commands(const fs::path& folder) {
    FtpSelectionHost host;
    host.LocalPathField = [folder] { return PathText(folder); };
    return FtpSelectionCommands(connection, view, dialogs, host);
  }
  // A folder row of the list; names on SFTP are their own caption.
  static FtpSelection Rows(const std::string& name) { return {{{name, "", 0, name}}, false}; }

  FtpClient client;
  WatchedView view;
  FtpConnection connection{client, view, [] { return 45000.5; }};
  FtpLoginValues login;
  ScriptedDialogs dialogs;
};

// A server that stops sending the 1 MiB file "gross" after 64 KiB, and the tool aimed at it.
struct StallingServer {
  StallingServer() { WriteText(server.Files() / "gross", std::string(1 << 20, 'x')); }
  ParamikoServer server{{"--password", "p", "--stall-after", "65536"}};
  TempFolder local;
  Tool tool{server, local.Path()};
};

void MakeTree(const fs::path& root, const fs::path& outside) {
  fs::create_directories(root / "Unter" / "\xE6\x97\xA5\xE6\x9C\xAC");
  fs::create_directories(root / "leer");
  WriteText(root / "\xC3\x9C" "bung \xC3\xA9t\xC3\xA9.txt", "Vokabeln\n");
  std::string bytes(300000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31 + i / 977);
  WriteText(root / "Unter" / "\xE6\x97\xA5\xE6\x9C\xAC" / "\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF.bin", bytes);
  fs::create_directory_symlink(outside, root / "Verweis");
}

int DiffTrees(const fs::path& a, const fs::path& b, const std::string& leftOut) {
  int status = -1;
  const std::string out = RunProgram({"diff", "-r", "-x", leftOut, a.string(), b.string()}, &status, {}, true);
  EXPECT_EQ(out, "");
  return status;
}

}  // namespace

// One session through the whole visit: the server's listing from the attributes, a tree
// down and the same tree up again under another UTF-8 name, byte for byte, no link walked;
// then the server cuts the session in the middle of a file, the run stops with the old
// local file intact, the tool connects again by itself and the file then comes whole.
TEST(ToolOverSftp, ListTreesAndReconnectAfterACut) {
  SshdServer server;
  ASSERT_TRUE(server.Running());
  OwnHome home;
  WriteText(home.Ssh() / "known_hosts", server.KnownHostsLine());
  fs::copy_file(server.UserKey(), home.Ssh() / "id_ed25519");
  ::chmod((home.Ssh() / "id_ed25519").c_str(), 0600);
  TempFolder local;
  const fs::path outside = local.Path() / "draussen";
  fs::create_directories(outside);
  WriteText(outside / "geheim.txt", "bleibt hier");
  MakeTree(server.Files() / "Quelle", outside);
  fs::create_directory_symlink(server.Files() / "Quelle", server.Files() / "Abk\xC3\xBCrzung");

  Tool tool(server.Port());
  ASSERT_TRUE(tool.connection.Connect()) << LogText(tool.view);
  EXPECT_EQ(tool.view.panels[2], A(ftptexts::kConnected));
  EXPECT_EQ(tool.view.connectedShown, 1);
  EXPECT_TRUE(tool.connection.OverSftp());
  EXPECT_EQ(tool.connection.NameEncoding(), FtpNameEncoding::Utf8);

  FtpRemoteSide side;
  side.PathField = server.Files().string();
  ChangeRemoteDirectory(tool.connection, tool.view, side, FtpSortColumn::Name);
  EXPECT_EQ(side.PathField, fs::canonical(server.Files()).string());
  std::map<std::string, int> images;
  for (const FtpBrowserRow& row : side.Rows) images[row.Caption] = row.Image;
  EXPECT_EQ(images.at("Quelle"), 0);
  ASSERT_TRUE(images.count("Abk\xC3\xBCrzung"));
  EXPECT_NE(images.at("Abk\xC3\xBCrzung"), 0) << "a link is no folder row";
  bool linkLine = false;
  for (const std::string& line : side.ListingArea) linkLine |= line[0] == 'l' && Contains(line, "Abk\xC3\xBCrzung");
  EXPECT_TRUE(linkLine);

  FtpSelectionCommands commands = tool.Commands(local.Path());
  ASSERT_TRUE(commands.TransferSelection(FtpTag::Remote, tool.Rows("Quelle"), true, false)) << LogText(tool.view);
  EXPECT_EQ(DiffTrees(server.Files() / "Quelle", local.Path() / "Quelle", "Verweis"), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(local.Path() / "Quelle" / "Verweis")));
  EXPECT_TRUE(Contains(LogText(tool.view), win1252::FromUtf8(FtpSkippedLinkLine("Verweis"))));

  const std::string back = "Zur\xC3\xBC" "ck";
  fs::rename(local.Path() / "Quelle", local.Path() / back);
  fs::create_directory_symlink(outside, local.Path() / back / "Verweis");
  ASSERT_TRUE(commands.TransferSelection(FtpTag::Local, tool.Rows(back), true, false)) << LogText(tool.view);
  EXPECT_EQ(DiffTrees(local.Path() / back, server.Files() / back, "Verweis"), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(server.Files() / back / "Verweis")));
  EXPECT_EQ(tool.connection.Session().CurrentDir(), fs::canonical(server.Files()).string());

  std::string big(8 << 20, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i ^ (i >> 11));
  WriteText(server.Files() / "gross.bin", big);
  WriteText(local.Path() / "gross.bin", "alt");
  int cuts = 0;
  tool.view.onProgress = [&](std::int64_t) {
    if (cuts == 0) cuts = server.CutSessions();
  };
  tool.connection.RemotePathField = [&] { return server.Files().string(); };
  const FtpSelection file{{{"gross.bin", std::to_string(big.size()), 5, "gross.bin"}}, false};
  EXPECT_FALSE(commands.TransferSelection(FtpTag::Remote, file, true, false));
  EXPECT_GT(cuts, 0);
  EXPECT_EQ(ReadText(local.Path() / "gross.bin"), "alt");
  EXPECT_TRUE(Contains(LogText(tool.view), A("=======> Übertragung abgebrochen, neu verbunden!"))) << LogText(tool.view);
  EXPECT_TRUE(tool.connection.Session().Connected());
  tool.view.onProgress = nullptr;
  ASSERT_TRUE(commands.TransferSelection(FtpTag::Remote, file, true, false)) << LogText(tool.view);
  EXPECT_EQ(ReadText(local.Path() / "gross.bin"), big);

  // Cut while idle: the next action finds it gone and, as the profile allows, connects again.
  EXPECT_GT(server.CutSessions(), 0);
  tool.login.Reconnect.AutoReset = true;
  EXPECT_TRUE(tool.connection.EnsureConnection());
  EXPECT_TRUE(Contains(LogText(tool.view), std::string(ftptexts::kRequest) + ftptexts::kDroppedByHost));
  EXPECT_TRUE(ListRemoteDirectory(tool.connection, tool.view, side, FtpSortColumn::Name));
  EXPECT_EQ(side.PathField, fs::canonical(server.Files()).string());
}

// The abort button during a download the server has stopped sending: the transfer fails
// within a second, and the run connects again as after any failure.
TEST(ToolOverSftp, AbortOfAStalledDownloadTakesLessThanASecond) {
  StallingServer stalling;
  Tool& tool = stalling.tool;
  const TempFolder& local = stalling.local;
  ASSERT_TRUE(tool.connection.Connect()) << LogText(tool.view);
  EXPECT_EQ(tool.connection.Session().CurrentDir(), "/") << "the server's root is its folder";

  Clock::time_point asked{}, failed{};
  tool.connection.SetPump([&] {
    if (tool.view.progressPosition > 0 && asked == Clock::time_point{}) {
      asked = Clock::now();
      tool.connection.RequestAbort();
    }
  });
  tool.view.onLog = [&](const std::string& line) {
    if (line == "Transfer abgebrochen" && failed == Clock::time_point{}) failed = Clock::now();
  };
  FtpSelectionCommands commands = tool.Commands(local.Path());
  const FtpSelection file{{{"gross", "1048576", 5, "gross"}}, false};
  EXPECT_FALSE(commands.TransferSelection(FtpTag::Remote, file, true, false));
  ASSERT_NE(asked, Clock::time_point{});
  ASSERT_NE(failed, Clock::time_point{}) << LogText(tool.view);
  EXPECT_LT(failed - asked, std::chrono::seconds(1));
  EXPECT_FALSE(fs::exists(local.Path() / "gross"));
  EXPECT_TRUE(tool.connection.Session().Connected()) << "connected again after the abort";
  EXPECT_FALSE(tool.connection.Busy());
}

// The abort of a single download ends the session (the answers still in flight cannot be
// trusted); the tool then counts it as ended by the user, as over FTP, not as dropped by the
// host, and only the option to connect when there is none connects again.
TEST(ToolOverSftp, AbortedDownloadLeavesTheToolDisconnectedAsOverFtp) {
  StallingServer stalling;
  Tool& tool = stalling.tool;
  const TempFolder& local = stalling.local;
  ASSERT_TRUE(tool.connection.Connect()) << LogText(tool.view);
  ASSERT_NE(tool.connection.ConnectedSince(), 0);
  tool.connection.SetPump([&] {
    if (tool.view.progressPosition > 0 && !tool.connection.AbortRequested()) tool.connection.RequestAbort();
  });
  FtpSingleTransfer single(tool.connection, tool.view, [] { return 45000.5; });
  FtpSingleTransferFields fields;
  fields.DownDateiEdit2 = "gross";
  fields.DownDateiEdit1 = (local.Path() / "gross").string();
  fields.OverwriteBox = true;
  EXPECT_FALSE(single.TransferSingleFile(FtpTag::Remote, fields, ""));
  tool.connection.SetPump(nullptr);
  EXPECT_EQ(tool.view.panels[2], A("Transfer abgebrochen")) << LogText(tool.view);
  EXPECT_FALSE(fs::exists(local.Path() / "gross"));
  ExpectEndedByAbort(tool.connection, tool.view, tool.login.Reconnect);
  EXPECT_EQ(tool.connection.Session().CurrentDir(), "/");
}

// A server that goes away as the walk enters a folder, or ends its SFTP side and keeps the
// SSH connection, has not refused that folder: skipping it would report the tree as fetched
// over a dead session. The run stops, says so and connects again, as over FTP after a 421.
TEST(ToolOverSftp, SessionClosedOnEnteringAFolderStopsTheRun) {
  for (const char* closing : {"--close-on-enter", "--end-sftp-on-enter"}) {
    SCOPED_TRACE(closing);
    ParamikoServer server({"--password", "p", closing, "Unter"});
    TempFolder local;
    fs::create_directories(server.Files() / "Unter" / "tiefer");
    WriteText(server.Files() / "Unter" / "a.txt", "a");
    Tool tool(server, local.Path());
    ASSERT_TRUE(tool.connection.Connect()) << LogText(tool.view);
    FtpSelectionCommands commands = tool.Commands(local.Path());
    EXPECT_FALSE(commands.TransferSelection(FtpTag::Remote, tool.Rows("Unter"), true, false));
    EXPECT_EQ(tool.view.panels[2], A("Übertragung abgebrochen")) << LogText(tool.view);
    EXPECT_TRUE(Contains(LogText(tool.view), A("=======> Übertragung abgebrochen, neu verbunden!")));
    const auto& panel2 = tool.view.panel2History;
    EXPECT_NE(std::find(panel2.begin(), panel2.end(), A(ftptexts::kDisconnected)), panel2.end());
    EXPECT_TRUE(tool.connection.Session().Connected());
    EXPECT_FALSE(fs::exists(local.Path() / "Unter" / "a.txt"));
  }
}

// Refused before the log-in, with the reason in the status panel and the log book, and the
// server never asked for a log-in: a proxy, a changed host key, an unknown one nobody
// accepted. An unknown key the window's question accepts connects.
TEST(ToolOverSftp, RefusalsBeforeAnythingIsSent) {
  ParamikoServer server({"--password", "p"});
  TempFolder local;
  const fs::path known = local.Path() / "known_hosts";
  const auto refused = [&](Tool& tool, const std::string& panelStart) {
    tool.connection.KnownHostsFile = known.string();
    EXPECT_FALSE(tool.connection.Connect());
    EXPECT_EQ(tool.view.panels[2].rfind(panelStart, 0), 0u) << tool.view.panels[2];
    EXPECT_TRUE(Contains(LogText(tool.view), panelStart)) << LogText(tool.view);
    EXPECT_NE(tool.view.connectedShown, 1);
    EXPECT_FALSE(tool.connection.Busy());
    EXPECT_FALSE(fs::exists(server.AuthLog())) << ReadText(server.AuthLog());
  };

  WriteText(known, server.KnownHostsLine());
  Tool proxied(server.Port(), "p");
  proxied.login.ProxyMode = 2;
  proxied.login.ProxyHost = "127.0.0.2";
  refused(proxied, A(ftptexts::kNoSftpViaProxy));

  MakeKey(local.Path() / "fremd");
  WriteText(known, KnownLine(server.Port(), local.Path() / "fremd.pub"));
  Tool changed(server.Port(), "p");
  int asked = 0;
  changed.connection.AskHostKey = [&](const std::string&, const HostKeyCheck&) {
    ++asked;
    return HostKeyDecision::AcceptOnce;
  };
  refused(changed, "WARNUNG");
  EXPECT_EQ(asked, 0) << "a changed key is not put to the user";

  WriteText(known, "");
  Tool unknown(server.Port(), "p");
  refused(unknown, "Der Schl\xFCssel des Servers");

  Tool accepted(server.Port(), "p");
  accepted.connection.KnownHostsFile = known.string();
  std::string fingerprint;
  accepted.connection.AskHostKey = [&](const std::string&, const HostKeyCheck& check) {
    fingerprint = check.fingerprint;
    return HostKeyDecision::AcceptOnce;
  };
  EXPECT_TRUE(accepted.connection.Connect()) << LogText(accepted.view);
  EXPECT_EQ(fingerprint, KeyFingerprint(server.HostKey().string() + ".pub"));
  EXPECT_EQ(ReadText(known), "") << "accepted once is not written down";
}

// Which port and user an SFTP profile reaches, by the URL and the FTP-style fields.
TEST(ToolOverSftp, PortAndUserRules) {
  struct Case {
    const char* host;
    const char* portText;
    std::uint16_t port;
  };
  for (const Case& c : {Case{"sftp://nas", "", 22}, Case{"sftp://nas", "21", 22}, Case{"sftp://nas", "2222", 2222},
                        Case{"sftp://nas", "x1", 22}, Case{"sftp://nas", "70000", 22},
                        Case{"SFTP://nas:2200", "21", 2200}, Case{"sftp://[::1]:23", "2222", 23}}) {
    const auto target = ParseSftpHost(c.host);
    ASSERT_TRUE(target) << c.host;
    EXPECT_EQ(SftpPortOf(*target, PortFromText(c.portText)), c.port) << c.host << " " << c.portText;
  }
  EXPECT_EQ(ParseSftpHost("sftp://[::1]")->host, "::1");
  EXPECT_FALSE(ParseSftpHost("ftp://nas"));
  EXPECT_FALSE(ParseSftpHost("sftp.example.org"));
  EXPECT_EQ(SftpUserOf(*ParseSftpHost("sftp://pi@nas"), "anna"), "pi");
  EXPECT_EQ(SftpUserOf(*ParseSftpHost("sftp://nas"), "anna"), "anna");
  EXPECT_EQ(SftpUserOf(*ParseSftpHost("sftp://nas"), "Anonymous"), LocalUserName());
  EXPECT_EQ(SftpUserOf(*ParseSftpHost("sftp://nas"), ""), LocalUserName());

  // A host field the tool cannot read is said so, and nothing is connected.
  Tool bad(22);
  bad.login.Host = "sftp://nas:0";
  EXPECT_FALSE(bad.connection.Connect());
  EXPECT_EQ(bad.view.panels[2], A("Ungültige SFTP-Adresse: ") + "sftp://nas:0");
  EXPECT_FALSE(bad.connection.Busy());
}

// The automatic transfers' single files over SFTP: a download replaces the local file and
// records the source's date as the scheduler will list it again (from the attributes, in the
// same day count as a local file's time), an upload replaces the server's file and records
// the local source's time; the labels carry both.
TEST(ToolOverSftp, SingleTransfersRecordWhatTheSchedulerCompares) {
  // A zone away from UTC, so that a date taken in the wrong zone shows; the zone of the other
  // tests is read again once the variable is back.
  const struct ZoneReread { ~ZoneReread() { ::tzset(); } } reread;
  const ScopedEnv zone("TZ", "Europe/Berlin");
  ::tzset();
  ParamikoServer server({"--password", "p"});
  TempFolder local;
  Tool tool(server, local.Path());
  WriteText(server.Files() / "Liste.evd", "vom Server");
  const fs::file_time_type serverTime = fs::file_time_type::clock::now() - std::chrono::hours(30);
  fs::last_write_time(server.Files() / "Liste.evd", serverTime);
  WriteText(local.Path() / "Liste.evd", "alt");
  WriteText(local.Path() / "neu.evd", "von hier");
  WriteText(server.Files() / "Ziel.evd", "alt");
  ASSERT_TRUE(tool.connection.Connect()) << LogText(tool.view);

  FtpSingleTransfer single(tool.connection, tool.view, [] { return 45000.5; });
  FtpSingleTransferFields fields;
  fields.DownDateiEdit2 = "Liste.evd";
  fields.DownDateiEdit1 = (local.Path() / "Liste.evd").string();
  fields.UpDateiEdit1 = (local.Path() / "neu.evd").string();
  fields.UpDateiEdit2 = "Ziel.evd";
  const std::string downLabel = single.RunSingleTransfer(FtpTag::Remote, fields, "");
  EXPECT_EQ(ReadText(local.Path() / "Liste.evd"), "vom Server") << LogText(tool.view);
  const double listed = single.Record().LastDownloadSourceDate;
  // Whole seconds: the server's attributes carry no fractions.
  EXPECT_NEAR(listed, FtpFileTimeDayCount(serverTime), 1.0 / 86400);
  EXPECT_EQ(FtpRemoteFileDate(tool.connection.Session(), "Liste.evd"), listed);
  EXPECT_TRUE(Contains(downLabel, " (" + FtpDateText(listed) + ")")) << downLabel;

  const std::string upLabel = single.RunSingleTransfer(FtpTag::Local, fields, "");
  EXPECT_EQ(ReadText(server.Files() / "Ziel.evd"), "von hier") << LogText(tool.view);
  EXPECT_EQ(single.Record().LastUploadSourceTime, FtpFileTimeDayCount(fs::last_write_time(local.Path() / "neu.evd")));
  EXPECT_TRUE(Contains(upLabel, "Letztes Hochladen ")) << upLabel;
  const auto entries = fs::directory_iterator(server.Files());
  EXPECT_EQ(std::distance(fs::begin(entries), fs::end(entries)), 2) << "a temporary name was left";
}

// A tree without end on the server: fetching and deleting stop at the depth limit as over FTP,
// and the stopped delete leaves the server back in the folder the list shows.
TEST(ToolOverSftp, EndlessTreeStopsAtTheDepthLimit) {
  const std::string limitText = A("Verzeichnisbaum tiefer als 100 Ebenen, abgebrochen bei \"t\"");
  ParamikoServer server({"--password", "p", "--endless", "t"});
  TempFolder local;
  Tool tool(server, local.Path());
  tool.connection.RemotePathField = [] { return std::string("/"); };
  ASSERT_TRUE(tool.connection.Connect()) << LogText(tool.view);
  FtpSelectionCommands commands = tool.Commands(local.Path());
  EXPECT_FALSE(commands.TransferSelection(FtpTag::Remote, tool.Rows("t"), true, false));
  EXPECT_TRUE(Contains(LogText(tool.view), limitText)) << LogText(tool.view);
  std::size_t depth = 0;
  for (fs::path folder = local.Path() / "t"; fs::is_directory(folder / "t"); folder /= "t") ++depth;
  EXPECT_EQ(depth, 99u) << "100 levels below the parent";

  tool.dialogs.messageAnswers = {MsgResult::Yes};
  commands.DeleteSelection(FtpTag::Remote, tool.Rows("t"));
  ASSERT_FALSE(tool.dialogs.messages.empty());
  EXPECT_EQ(tool.dialogs.messages.back().text, limitText);
  EXPECT_EQ(tool.view.panels[2], A("Löschen abgebrochen"));
  EXPECT_EQ(tool.connection.Session().CurrentDir(), "/");
}
