// The selection transfer, deletion and the single-file transfer over the tool's connection,
// against pyftpdlib on loopback.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Clock.h"
#include "FtpConnection.h"
#include "FtpRemoteListing.h"
#include "FtpSelectionTransfer.h"
#include "FtpSingleTransfer.h"
#include "FtpStatusTexts.h"
#include "PyftpdSuite.h"
#include "RecordingToolView.h"
#include "ScriptedDialogs.h"
#include "TestFiles.h"
#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

class ToolTransfer : public PyftpdSuite {
 protected:
  void SetUp() override {
    PyftpdSuite::SetUp();
    if (HasFatalFailure()) return;
    AimAt(*server_);
    conn.Login = [this] { return settings; };
    ASSERT_TRUE(conn.Connect());
  }

  void AimAt(const PyftpdServer& server) {
    settings.Host = "127.0.0.1";
    settings.Port = std::to_string(server.Port());
    settings.User = PyftpdServer::kUser;
    settings.Password = PyftpdServer::kPassword;
    client.Passive = true;
    client.ReadTimeout = 20000;  // only so a broken test cannot hang
  }

  static fs::path Home() { return server_->Home(); }
  std::string Local(const std::string& name) const { return folder.File(name); }
  std::string LastLog(std::size_t back) const { return view.log.Line(view.log.Size() - 1 - back); }

  FtpClient client;
  RecordingToolView view;
  ScriptedDialogs dialogs;
  ScratchFolder folder;
  FtpLoginValues settings;
  double now = timebase::EncodeDayCount({2024, 5, 1, 10, 0, 0, 0});
  FtpConnection conn{client, view, [this] { return now; }};
  int localListings = 0, remoteListings = 0, clipboardCopies = 0, remoteClears = 0;
  FtpSelectionCommands commands{
      conn, view, dialogs,
      {[this] { return folder.File(""); }, [this] { ++localListings; },
       [this] { ++remoteListings; }, [this] { ++clipboardCopies; }, [this] { ++remoteClears; }}};
};


FtpSelection Rows(std::vector<FtpSelectedRow> rows) { return {std::move(rows), false}; }

}  // namespace

TEST_F(ToolTransfer, SelectedFilesAndTreesGoDownWithoutTheSpecialRows) {
  WriteFile((Home() / "eins.txt").string(), "eins");
  fs::create_directories(Home() / "Ordner" / "Unter");
  WriteFile((Home() / "Ordner" / "Unter" / "tief.txt").string(), "tief");
  const auto selection = Rows({{"..", "", 2}, {"hier", "", 1}, {"eins.txt", "4", -1},
                               {"Ordner", "", 0}});
  EXPECT_TRUE(commands.TransferSelection(FtpTag::Remote, selection, false, false));
  EXPECT_EQ(ReadFile(Local("eins.txt")), "eins");
  EXPECT_EQ(ReadFile(Local("Ordner/Unter/tief.txt")), "tief");
  EXPECT_FALSE(fs::exists(Local("..hier")));
  EXPECT_EQ(view.panels[2], "Herunterladen beendet");
  EXPECT_EQ(LastLog(0), "Herunterladen beendet");
  EXPECT_TRUE(view.log.Size() > 1 && !view.LinesStartingWith("Downloadstart: eins.txt   4").empty());
  EXPECT_EQ(localListings, 1);
  EXPECT_EQ(clipboardCopies, 1);
  EXPECT_FALSE(conn.Busy());
  EXPECT_EQ(view.cursor, FtpCursor::Normal);

  // And up again under another name.
  fs::rename(Local("Ordner"), Local("Kopie"));
  EXPECT_TRUE(commands.TransferSelection(FtpTag::Local, Rows({{"Kopie", "", 0}}), false, false));
  EXPECT_EQ(ReadFile((Home() / "Kopie" / "Unter" / "tief.txt").string()), "tief");
  EXPECT_EQ(view.panels[2], "Hochladen beendet");
  EXPECT_EQ(remoteListings, 1);
}

TEST_F(ToolTransfer, AFailureInTheMiddleStopsTheRunAndReconnects) {
  WriteFile((Home() / "a.txt").string(), "a");
  WriteFile((Home() / "c.txt").string(), "c");
  const auto selection = Rows({{"a.txt", "1", 4}, {"weg.txt", "1", 4}, {"c.txt", "1", 4}});
  EXPECT_FALSE(commands.TransferSelection(FtpTag::Remote, selection, true, false));
  EXPECT_EQ(ReadFile(Local("a.txt")), "a");
  EXPECT_FALSE(fs::exists(Local("c.txt")));  // the rest was not processed
  EXPECT_EQ(LastLog(1), A("=======> Übertragung abgebrochen, neu verbunden!"));
  EXPECT_EQ(LastLog(0), A("Übertragung abgebrochen"));
  EXPECT_EQ(view.panels[2], A("Übertragung abgebrochen"));
  EXPECT_EQ(view.connectedShown, 1);
  EXPECT_EQ(clipboardCopies, 1);
  EXPECT_EQ(localListings, 0);  // noRefresh
  EXPECT_FALSE(conn.Busy());
  EXPECT_TRUE(client.Connected());
  client.Noop();  // the new connection works
}

// The reconnect after a failure starts in the server's start directory; the list still shows
// the folder the user was in, so the next command on its rows must act there.
TEST_F(ToolTransfer, TheReconnectGoesBackToTheListedFolderOrClearsTheList) {
  fs::create_directories(Home() / "pub");
  WriteFile((Home() / "victim.txt").string(), "oben");
  WriteFile((Home() / "pub" / "victim.txt").string(), "unten");
  std::string field = "/pub";
  conn.RemotePathField = [&] { return field; };
  client.ChangeDir("/pub");
  EXPECT_FALSE(commands.TransferSelection(FtpTag::Remote, Rows({{"fehlt.txt", "1", 4}}), true, false));
  EXPECT_EQ(LastLog(1), A("=======> Übertragung abgebrochen, neu verbunden!"));
  EXPECT_EQ(client.RetrieveCurrentDir(), "/pub");
  EXPECT_EQ(remoteListings, 1) << "the folder is listed again";
  dialogs.messageAnswers = {MsgResult::Yes};
  commands.DeleteSelection(FtpTag::Remote, Rows({{"victim.txt", "5", 4}}));
  EXPECT_FALSE(fs::exists(Home() / "pub" / "victim.txt"));
  EXPECT_TRUE(fs::exists(Home() / "victim.txt")) << "the row meant the file in /pub";

  // The listed folder is gone on the new connection: the list is cleared, and the user hears why.
  field = "/weg";
  EXPECT_FALSE(commands.TransferSelection(FtpTag::Remote, Rows({{"fehlt.txt", "1", 4}}), true, false));
  EXPECT_EQ(remoteClears, 1);
  EXPECT_TRUE(view.LinesStartingWith(A("=======> Übertragung abgebrochen, neu verbunden!")).size() == 2);
  EXPECT_EQ(view.panels[2], A(ftptexts::kBackInDirectoryFailed) + "/weg");
  EXPECT_EQ(LastLog(0), A(ftptexts::kBackInDirectoryFailed) + "/weg");
  EXPECT_FALSE(conn.Busy());
  EXPECT_TRUE(client.Connected());
}

TEST_F(ToolTransfer, AStoppedServerEndsTheCommandWithTheConnectionError) {
  PyftpdServer doomed;
  ASSERT_TRUE(doomed.Running()) << doomed.Problem();
  client.Disconnect();
  AimAt(doomed);
  ASSERT_TRUE(conn.Connect());
  WriteFile((doomed.Home() / "gross.bin").string(), RandomBytes(3'000'000));
  WriteFile((doomed.Home() / "danach.txt").string(), "danach");
  view.onProgress = [&](std::int64_t) {
    if (doomed.Running()) doomed.Kill();
  };
  const auto selection = Rows({{"gross.bin", "3000000", -1}, {"danach.txt", "6", 4}});
  EXPECT_FALSE(commands.TransferSelection(FtpTag::Remote, selection, false, false));
  EXPECT_FALSE(fs::exists(Local("danach.txt")));
  EXPECT_FALSE(conn.Busy());
  EXPECT_EQ(view.cursor, FtpCursor::Normal);
  EXPECT_FALSE(view.panels[2].empty());
  EXPECT_NE(view.panels[2], "Herunterladen beendet");
  EXPECT_TRUE(view.LinesStartingWith(A("=======> Übertragung abgebrochen")).empty());
  EXPECT_FALSE(client.Connected());  // the reconnect found no server
}

TEST_F(ToolTransfer, TheMarkerRuleDownloadsOnlyWhenTheMarkerWasThere) {
  WriteFile((Home() / "daten.evd").string(), "Vokabeln");
  const auto selection = Rows({{"daten.evd", "8", -1}});
  EXPECT_FALSE(commands.TransferSelection(FtpTag::Remote, selection, true, true, "neu.txt"));
  EXPECT_FALSE(fs::exists(Local("daten.evd")));
  EXPECT_EQ(view.panels[2], "Keine Datei \"neu.txt\" gefunden");
  EXPECT_EQ(LastLog(0), "Keine Datei \"neu.txt\" gefunden");

  WriteFile((Home() / "neu.txt").string(), "");
  EXPECT_TRUE(commands.TransferSelection(FtpTag::Remote, selection, true, true, "neu.txt"));
  EXPECT_EQ(ReadFile(Local("daten.evd")), "Vokabeln");
  EXPECT_FALSE(fs::exists(Home() / "neu.txt"));
}

TEST_F(ToolTransfer, RefusalsComeBeforeAnyServerTraffic) {
  EXPECT_FALSE(commands.TransferSelection(FtpTag::Remote, {{{"a", "", 4}}, true}, false, false));
  EXPECT_EQ(view.panels[2], "Erst Editieren beenden");
  EXPECT_FALSE(commands.TransferSelection(FtpTag::Remote, Rows({}), false, false));
  EXPECT_EQ(view.panels[2], A("Nichts ausgewählt"));
  conn.SetBusy(true);
  EXPECT_FALSE(commands.TransferSelection(FtpTag::Remote, Rows({{"a", "", 4}}), false, false));
  EXPECT_EQ(view.panels[2], "Bitte warten!");
  conn.SetBusy(false);
  // A caption from the server that would lead out of the local folder is not used.
  WriteFile((Home() / "x").string(), "x");
  EXPECT_TRUE(commands.TransferSelection(FtpTag::Remote, Rows({{"../x", "1", -1}}), true, false));
  EXPECT_FALSE(fs::exists(fs::path(Local("")).parent_path() / "x"));
}

TEST_F(ToolTransfer, DeletingSelectedRowsOnBothSides) {
  fs::create_directories(Home() / "Baum" / "Ast");
  WriteFile((Home() / "Baum" / "Ast" / "blatt.txt").string(), "b");
  WriteFile((Home() / "datei.txt").string(), "d");
  dialogs.messageAnswers = {MsgResult::No, MsgResult::Yes};
  const auto remote = Rows({{"..", "", 2}, {"Baum", "", 0}, {"datei.txt", "1", 4}});
  commands.DeleteSelection(FtpTag::Remote, remote);  // answered No
  EXPECT_TRUE(fs::exists(Home() / "datei.txt"));
  commands.DeleteSelection(FtpTag::Remote, remote);
  EXPECT_FALSE(fs::exists(Home() / "Baum"));
  EXPECT_FALSE(fs::exists(Home() / "datei.txt"));
  EXPECT_EQ(dialogs.messages.back().text,
            A("Wirklich löschen?\n\nOrdner \"Baum\" mit 1 Datei und 1 Ordner\nDatei \"datei.txt\""));
  EXPECT_EQ(view.panels[2], A("datei.txt gelöscht"));
  EXPECT_EQ(remoteListings, 1);

  // A directory that is not there: message box, "Löschen abgebrochen".
  dialogs.messageAnswers = {MsgResult::Yes, MsgResult::Ok};
  commands.DeleteSelection(FtpTag::Remote, Rows({{"fehlt", "", 0}}));
  EXPECT_EQ(dialogs.messages.back().text, "Change fehlt fehlgeschlage");
  EXPECT_EQ(view.panels[2], A("Löschen abgebrochen"));

  fs::create_directories(Local("Lokal/Unter"));
  WriteFile(Local("Lokal/Unter/x.txt"), "x");
  WriteFile(Local("lose.txt"), "l");
  dialogs.messageAnswers = {MsgResult::Yes};
  commands.DeleteSelection(FtpTag::Local, Rows({{"Lokal", "", 0}, {"lose.txt", "1", 10}}));
  EXPECT_FALSE(fs::exists(Local("Lokal")));
  EXPECT_FALSE(fs::exists(Local("lose.txt")));
  EXPECT_EQ(localListings, 1);
  EXPECT_FALSE(conn.Busy());
}

TEST_F(ToolTransfer, SingleDownloadToABlankTargetAndTheAccessFile) {
  FtpSingleTransfer single(conn, view, [this] { return now; });
  fs::create_directory(Home() / "sub");
  WriteFile((Home() / "sub" / "lektion.evd").string(), "Lektion 1");
  WriteFile((Home() / ".htaccess").string(), "Deny from all");
  FtpSingleTransferFields fields;
  fields.DownDateiEdit2 = "sub/lektion.evd";
  fields.CopyDateiEdit1 = Local("kopie.evd");
  const std::string label = single.RunSingleTransfer(FtpTag::Remote, fields, Local("ziel"));
  EXPECT_EQ(fields.DownDateiEdit1, Local("ziel") + "/lektion.evd");
  // The last good folder does not exist yet: the download fails with the client's text.
  EXPECT_NE(view.panels[2], "Herunterladen beendet");

  fs::create_directory(Local("ziel"));
  fields.DownDateiEdit1.clear();
  const std::string second = single.RunSingleTransfer(FtpTag::Remote, fields, Local("ziel") + "/");
  EXPECT_EQ(ReadFile(Local("ziel/lektion.evd")), "Lektion 1");
  EXPECT_EQ(ReadFile(Local("kopie.evd")), "Lektion 1");
  EXPECT_EQ(view.panels[2], "Herunterladen beendet");
  EXPECT_EQ(second.substr(0, 40), "Letztes Herunterladen 10:00:00 Uhr+Kopie");
  EXPECT_GT(single.Record().LastDownloadSourceDate, 0);
  EXPECT_EQ(label.find("+Kopie"), std::string::npos);

  fields = {};
  fields.DownDateiEdit2 = ".htaccess";
  view.panels[2] = "vorher";
  single.TransferSingleFile(FtpTag::Remote, fields, Local(""));
  EXPECT_FALSE(fs::exists(Local(".htaccess")));
  EXPECT_EQ(view.panels[2], "");

  fields.DownDateiEdit2 = "gibtsnicht.evd";
  single.TransferSingleFile(FtpTag::Remote, fields, Local(""));
  EXPECT_EQ(view.panels[2], "Datei nicht vorhanden");
  fields.DownDateiEdit2 = " mit Blank";
  single.TransferSingleFile(FtpTag::Remote, fields, Local(""));
  EXPECT_EQ(view.panels[2], "Quelldatei fehlt!");
}

TEST_F(ToolTransfer, SingleUploadAppendsAndRecordsTheSourceTime) {
  FtpSingleTransfer single(conn, view, [this] { return now; });
  WriteFile(Local("quelle.txt"), "Teil 2");
  WriteFile((Home() / "quelle.txt").string(), "Teil 1, ");
  FtpSingleTransferFields fields;
  fields.UpDateiEdit1 = Local("quelle.txt");
  fields.AppendBox = true;
  const std::string label = single.RunSingleTransfer(FtpTag::Local, fields, "");
  EXPECT_EQ(fields.UpDateiEdit2, "quelle.txt");
  EXPECT_EQ(ReadFile((Home() / "quelle.txt").string()), "Teil 1, Teil 2");
  EXPECT_EQ(view.panels[2], "Hochladen beendet");
  EXPECT_EQ(view.LinesStartingWith("Uploadstart: ").back(),
            "Uploadstart: " + Local("quelle.txt") + "   6");
  EXPECT_GT(single.Record().LastUploadSourceTime, 0);
  EXPECT_EQ(label.rfind("Letztes Hochladen 10:00:00 Uhr (", 0), 0u);

  fields.UpDateiEdit1 = Local("fehlt.txt");
  single.TransferSingleFile(FtpTag::Local, fields, "");
  EXPECT_EQ(view.panels[2], "Datei nicht vorhanden");
}

TEST_F(ToolTransfer, RemoteListingFillsTheRowsAndEndsTheBusyState) {
  fs::create_directories(Home() / "Lektionen" / "Ordner");
  WriteFile((Home() / "Lektionen" / "vok.evd").string(), "12345");
  FtpRemoteSide side;
  side.PathField = "/Lektionen";
  ChangeRemoteDirectory(conn, view, side, FtpSortColumn::Name);
  EXPECT_EQ(side.PathField, "/Lektionen");
  ASSERT_EQ(side.Rows.size(), 4u);
  EXPECT_EQ(side.Rows[0].Caption, "..");
  EXPECT_EQ(side.Rows[1].Caption, "Lektionen");
  EXPECT_EQ(side.Rows[1].Image, 1);
  EXPECT_EQ(side.Rows[2].Caption, "Ordner");
  EXPECT_EQ(side.Rows[3].Caption, "vok.evd");
  EXPECT_EQ(side.Rows[3].SizeText, "5");
  EXPECT_EQ(view.panels[1], "");
  EXPECT_FALSE(conn.Busy());

  side.PathField = "/gibtsnicht";
  ChangeRemoteDirectory(conn, view, side, FtpSortColumn::Name);
  EXPECT_EQ(view.panels[2], "Verzeichniswechsel verweigert");
  EXPECT_EQ(side.PathField, "/Lektionen");
  EXPECT_EQ(side.Rows.size(), 4u);  // the list stays as it was
}

// pyftpdlib speaks UTF-8; the record's fields hold Windows-1252.
TEST_F(ToolTransfer, StoredNamesWithUmlautsReachAUtf8ServerAsItsOwnBytes) {
  ASSERT_EQ(client.NameEncoding(), FtpNameEncoding::Utf8);
  FtpSingleTransfer single(conn, view, [this] { return now; });
  WriteFile(Local("quelle.evd"), "Inhalt");
  FtpSingleTransferFields fields;
  fields.UpDateiEdit1 = Local("quelle.evd");
  fields.UpDateiEdit2 = A("Lösung.evd");
  single.RunSingleTransfer(FtpTag::Local, fields, "");
  EXPECT_EQ(ReadFile((Home() / "L\xC3\xB6sung.evd").string()), "Inhalt");

  FtpSingleTransferFields down;
  down.DownDateiEdit2 = A("Lösung.evd");
  down.DownDateiEdit1 = A(Local("zurück.evd"));  // the field holds Windows-1252
  single.RunSingleTransfer(FtpTag::Remote, down, "");
  EXPECT_EQ(ReadFile(Local("zur\xC3\xBC" "ck.evd")), "Inhalt");
  EXPECT_GT(single.Record().LastDownloadSourceDate, 0) << "the listing of the stored name found it";

  // The marker of the automatic download is a stored name too.
  WriteFile((Home() / "neu\xC3\xA4.txt").string(), "");
  EXPECT_TRUE(commands.TransferSelection(FtpTag::Remote, Rows({{"L\xC3\xB6sung.evd", "6", 4, "L\xC3\xB6sung.evd"}}),
                                         true, true, A("neuä.txt")));
  EXPECT_FALSE(fs::exists(Home() / "neu\xC3\xA4.txt"));
  EXPECT_EQ(ReadFile(Local("L\xC3\xB6sung.evd")), "Inhalt");
}

TEST_F(ToolTransfer, ALocalNameTheServerCannotCarryIsRefusedBeforeAnythingIsSent) {
  conn.Disconnect();
  client.NameEncodingMode = FtpNameEncodingMode::Windows1252;
  ASSERT_TRUE(conn.Connect());
  const std::string lodz = "\xC5\x81\xC3\xB3" "d\xC5\xBA.evd";
  WriteFile(Local(lodz), "lodz");
  fs::create_directory(Local("Baum"));
  WriteFile(Local("Baum/" + lodz), "lodz");
  WriteFile(Local("Baum/gut.txt"), "gut");
  std::vector<std::string> sent;
  const auto log = client.OnLog;
  client.OnLog = [&](const std::string& line) {
    if (line.rfind("Sent ", 0) == 0) sent.push_back(line);
    if (log) log(line);
  };
  EXPECT_FALSE(commands.TransferSelection(FtpTag::Local, Rows({{lodz, "4", 10, lodz}}), true, false));
  EXPECT_FALSE(commands.TransferSelection(FtpTag::Local, Rows({{"Baum", "", 0, "Baum"}}), true, false));
  for (const auto& line : sent) {
    EXPECT_EQ(line.find("STOR"), std::string::npos) << line;
    EXPECT_EQ(line.find("MKD"), std::string::npos) << line;
  }
  EXPECT_TRUE(fs::is_empty(Home()));
  EXPECT_EQ(view.LinesStartingWith("Der Name").size(), 2u) << "the file and the tree say why";
}
