// The client against a real server: Debian's pyftpdlib on loopback with a temporary home.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "FtpClient.h"
#include "FtpError.h"
#include "FtpExpect.h"
#include "FtpTexts.h"
#include "PyftpdSuite.h"
#include "TestFiles.h"

namespace fs = std::filesystem;
namespace texts = ftp::texts;

namespace {

class FtpRealServer : public PyftpdClientSuite {
 protected:
  ScratchFolder folder;
};

// Transfers in both data-connection modes and at the block-size edges.
class FtpRealTransfer : public FtpRealServer,
                        public testing::WithParamInterface<std::tuple<bool, std::size_t>> {};

}  // namespace

TEST_F(FtpRealServer, LogsInAndWalksDirectories) {
  EXPECT_EQ(client.LoginMsg().NumericCode, 230);
  EXPECT_EQ(client.SystemDesc(), "UNIX Type: L8");
  EXPECT_EQ(client.RetrieveCurrentDir(), "/");
  client.MakeDir("Lektionen");
  EXPECT_TRUE(fs::is_directory(Home() / "Lektionen"));
  client.ChangeDir("Lektionen");
  EXPECT_EQ(client.RetrieveCurrentDir(), "/Lektionen");
  client.MakeDir("mit Blank");
  client.ChangeDir("mit Blank");
  EXPECT_EQ(client.RetrieveCurrentDir(), "/Lektionen/mit Blank");
  client.ChangeDirUp();
  client.RemoveDir("mit Blank");
  EXPECT_FALSE(fs::exists(Home() / "Lektionen" / "mit Blank"));
  client.ChangeDirUp();
  EXPECT_EQ(client.RetrieveCurrentDir(), "/");
  EXPECT_THROW(client.ChangeDir("gibt-es-nicht"), FtpReplyError);
  EXPECT_TRUE(client.Connected());
}

TEST_F(FtpRealServer, WrongPasswordIsRefused) {
  FtpClient other;
  Aim(other);
  other.Password = "falsch";
  try {
    other.Connect();
    FAIL();
  } catch (const FtpReplyError& error) {
    EXPECT_EQ(error.Code(), 530);
  }
  EXPECT_FALSE(other.Connected());
}

TEST_F(FtpRealServer, DeleteRenameAndSize) {
  WriteFile((Home() / "alt.evd").string(), "12345");
  EXPECT_EQ(client.Size("alt.evd"), 5);
  EXPECT_EQ(client.Size("fehlt.evd"), -1);
  client.Rename("alt.evd", "neu.evd");
  EXPECT_FALSE(fs::exists(Home() / "alt.evd"));
  EXPECT_EQ(ReadFile((Home() / "neu.evd").string()), "12345");
  client.Delete("neu.evd");
  EXPECT_FALSE(fs::exists(Home() / "neu.evd"));
  try {
    client.Delete("neu.evd");
    FAIL();
  } catch (const FtpReplyError& error) {
    EXPECT_EQ(error.Code(), 550);
  }
}

TEST_F(FtpRealServer, ListingIsParsed) {
  WriteFile((Home() / "vokabeln.evd").string(), std::string(1234, 'v'));
  WriteFile((Home() / "zwei  Blanks.le").string(), "x");
  fs::create_directory(Home() / "Lektionen");
  fs::create_symlink("vokabeln.evd", Home() / "verweis");
  std::vector<std::string> lines;
  client.List(&lines, "", FtpListDetail::Details);
  EXPECT_EQ(lines.size(), 4u);
  const FtpListItems& items = client.DirectoryListing();
  EXPECT_EQ(items.ListFormat, FtpListFormat::flfUnix);
  ASSERT_EQ(items.Count(), 4u);
  std::map<std::string, const FtpListItem*> byName;
  for (const auto& item : items) byName[item.FileName] = &item;
  ASSERT_TRUE(byName.count("vokabeln.evd"));
  EXPECT_EQ(byName["vokabeln.evd"]->Size, 1234);
  EXPECT_EQ(byName["vokabeln.evd"]->ItemType, FtpItemType::File);
  ASSERT_TRUE(byName.count("Lektionen"));
  EXPECT_EQ(byName["Lektionen"]->ItemType, FtpItemType::Directory);
  ASSERT_TRUE(byName.count("verweis"));
  EXPECT_EQ(byName["verweis"]->ItemType, FtpItemType::SymbolicLink);
  EXPECT_EQ(byName["verweis"]->LinkedItemName, "vokabeln.evd");
  EXPECT_TRUE(byName.count("zwei  Blanks.le")) << "a name comes back exactly as sent";

  // A file written just now is listed with today's date.
  const FtpCivilDate today = FtpToday();
  const FtpCivilDateTime listed = FtpDecodeDateTime(byName["vokabeln.evd"]->ModifiedDate);
  EXPECT_EQ(listed.Date.Year, today.Year);
  EXPECT_EQ(listed.Date.Month, today.Month);

  client.List(&lines, "vokabeln.evd", FtpListDetail::NamesOnly);
  EXPECT_EQ(lines, (std::vector<std::string>{"vokabeln.evd"}));
  EXPECT_TRUE(client.DirectoryListing().Empty()) << "the next listing discards the parsed one";
}

TEST_P(FtpRealTransfer, UploadDownloadAppendAndUnique) {
  const auto [passive, size] = GetParam();
  client.Passive = passive;
  const std::string bytes = RandomBytes(size, static_cast<unsigned>(size));
  const std::string source = folder.File("quelle.bin");
  WriteFile(source, bytes);

  client.Put(source, "kopie.bin", FtpPutMode::Store);
  EXPECT_EQ(ReadFile((Home() / "kopie.bin").string()), bytes);

  const std::string target = folder.File("zurueck.bin");
  WriteFile(target, "ein alter Inhalt, der verschwinden muss");
  std::int64_t worked = 0;
  client.OnWork = [&](FtpWorkMode mode, std::int64_t done) {
    EXPECT_EQ(mode, FtpWorkMode::Read);
    EXPECT_LE(done - worked, 32768);
    worked = done;
  };
  client.Get("kopie.bin", target, FtpOverwrite::Yes);
  client.OnWork = nullptr;
  EXPECT_EQ(ReadFile(target), bytes);
  EXPECT_EQ(worked, static_cast<std::int64_t>(size));

  client.Put(source, "kopie.bin", FtpPutMode::Append);
  EXPECT_EQ(ReadFile((Home() / "kopie.bin").string()), bytes + bytes);

  client.Put(source, "", FtpPutMode::Store);
  std::vector<std::string> names;
  client.List(&names, "", FtpListDetail::NamesOnly);
  ASSERT_EQ(names.size(), 2u);
  const std::string unique = names[0] == "kopie.bin" ? names[1] : names[0];
  EXPECT_EQ(ReadFile((Home() / unique).string()), bytes);
  EXPECT_EQ(client.Size("kopie.bin"), static_cast<std::int64_t>(2 * size));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FtpRealTransfer,
    testing::Combine(testing::Bool(), testing::Values(0u, 1u, 32768u, 5u * 1024 * 1024 + 7)),
    [](const testing::TestParamInfo<std::tuple<bool, std::size_t>>& info) {
      return std::string(std::get<0>(info.param) ? "Passive" : "Active") + "_" +
             std::to_string(std::get<1>(info.param));
    });

TEST_F(FtpRealServer, AbortStopsADownloadAndTheSessionGoesOn) {
  const std::size_t size = 16u * 1024 * 1024;
  WriteFile((Home() / "gross.bin").string(), RandomBytes(size));
  const std::string target = folder.File("gross.bin");
  int ends = 0;
  client.OnWork = [&](FtpWorkMode, std::int64_t) { client.Abort(); };
  client.OnWorkEnd = [&](FtpWorkMode) { ++ends; };
  EXPECT_EQ(ErrorText([&] { client.Get("gross.bin", target, FtpOverwrite::Yes); }), texts::kNotConnected) << "an aborted download reported success";
  EXPECT_EQ(ends, 1);
  EXPECT_FALSE(fs::exists(target));  // no half-downloaded file is left behind
  client.OnWork = nullptr;
  EXPECT_TRUE(client.Connected());
  // The replies to the aborted RETR and to ABOR must not be taken for later answers.
  EXPECT_EQ(client.RetrieveCurrentDir(), "/");
  client.Noop();
  client.Get("gross.bin", target, FtpOverwrite::Yes);
  EXPECT_EQ(fs::file_size(target), size);
}

TEST_F(FtpRealServer, AbortStopsAnUpload) {
  const std::string source = folder.File("gross.bin");
  WriteFile(source, RandomBytes(16u * 1024 * 1024));
  client.OnWork = [&](FtpWorkMode, std::int64_t) { client.Abort(); };
  EXPECT_THROW(client.Put(source, "gross.bin", FtpPutMode::Store), FtpError);
  client.OnWork = nullptr;
  EXPECT_EQ(client.RetrieveCurrentDir(), "/");
}

TEST_F(FtpRealServer, ServerGoingAwayEndsTheConnection) {
  // A server of its own, so the shared one stays alive for the other tests.
  PyftpdServer doomed;
  ASSERT_TRUE(doomed.Running()) << doomed.Problem();
  FtpClient other;
  Aim(other);
  other.Port = doomed.Port();
  int disconnects = 0;
  other.OnDisconnected = [&] { ++disconnects; };
  other.Connect();
  doomed.Kill();
  EXPECT_THROW(other.Noop(), FtpError);
  EXPECT_FALSE(other.Connected());
  EXPECT_EQ(disconnects, 1);
}
