// ladeko-ftp's tree commands over SFTP against the sshd fixture: a tree with UTF-8 names goes
// up with putdir and comes back with getdir byte for byte, while links on either side are
// left alone and nothing outside the trees is written.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>

#include "SftpTestSession.h"

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string Bytes(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 2654435761u + seed) >> 13);
  return bytes;
}

// diff -r of two trees, the given names left out; its output must be empty.
void ExpectSameTree(const fs::path& a, const fs::path& b, const std::vector<std::string>& leftOut) {
  std::vector<std::string> argv{"diff", "-r"};
  for (const std::string& name : leftOut) argv.insert(argv.end(), {"-x", name});
  argv.insert(argv.end(), {a.string(), b.string()});
  int status = -1;
  EXPECT_EQ(RunProgram(argv, &status, {}, true), "");
  EXPECT_EQ(status, 0);
}

}  // namespace

TEST(LadekoSftpTree, PutdirThenGetdirGiveTheTreeBackByteForByte) {
  SshdServer server;
  ASSERT_TRUE(server.Running());
  TempFolder local;
  const fs::path known = local.Path() / "known_hosts";
  WriteText(known, server.KnownHostsLine());
  // Options of the call ("--direct") go before the host, as the command line wants them.
  const auto ladeko = [&](std::vector<std::string> args, int* status) {
    const auto host = std::find_if(args.begin(), args.end(), [](const std::string& arg) { return arg.rfind("--", 0) != 0; });
    args.insert(host, "sftp://127.0.0.1:" + std::to_string(server.Port()));
    return LadekoOnSshd(server, known, local.Path(), std::move(args), status);
  };

  const fs::path outside = local.Path() / "draussen";
  fs::create_directories(outside);
  WriteText(outside / "geheim.txt", "nicht hochladen");
  const std::string treeName = "W\xC3\xB6rter \xE6\x97\xA5\xE6\x9C\xAC";
  const fs::path tree = local.Path() / treeName;
  fs::create_directories(tree / "Lekti\xC3\xB3n" / "tief" / "tiefer");
  fs::create_directories(tree / "leer");
  WriteText(tree / "\xC3\x9C" "bung.evd", "Vokabeln\n");
  WriteText(tree / "Lekti\xC3\xB3n" / "gro\xC3\x9F.bin", Bytes(3 << 20, 7));  // many reads in flight
  WriteText(tree / "Lekti\xC3\xB3n" / "tief" / "tiefer" / "\xE2\x82\xAC.txt", "");
  fs::create_directory_symlink(outside, tree / "Verweis");
  fs::create_symlink(outside / "geheim.txt", tree / "Lekti\xC3\xB3n" / "geheim");

  int status = -1;
  const std::string files = server.Files().string();
  const std::string up = ladeko({"cd", files, "putdir", tree.string()}, &status);
  ASSERT_EQ(status, 3) << up;  // the two links are left out, and said so
  EXPECT_TRUE(Contains(up, "Hochgeladen: 3 Dateien, 5 Ordner, 2 übersprungen\n")) << up;
  EXPECT_TRUE(Contains(up, "Uploadstart: gro\xC3\x9F.bin   3145728")) << up;
  ExpectSameTree(tree, server.Files() / treeName, {"Verweis", "geheim"});
  EXPECT_FALSE(fs::exists(fs::symlink_status(server.Files() / treeName / "Verweis")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(server.Files() / treeName / "Lekti\xC3\xB3n" / "geheim")));
  EXPECT_TRUE(Contains(up, "Verkn\xC3\xBCpfung nach au\xC3\x9F" "erhalb \xC3\xBC" "bersprungen: \"geheim\"")) << up;
  for (const auto& entry : fs::directory_iterator(server.Files() / treeName))
    EXPECT_NE(entry.path().filename().string().rfind(".", 0), 0u) << "a temporary name was left: " << entry.path();

  // On the server a link out of the tree, and a file whose local name is a link out of the
  // target: neither is followed.
  fs::create_directory_symlink(outside, server.Files() / treeName / "Zeiger");
  WriteText(server.Files() / treeName / "Falle", "vom Server");
  const fs::path back = local.Path() / "zur\xC3\xBC" "ck";
  fs::create_directories(back / treeName);
  fs::create_symlink(outside / "falle.txt", back / treeName / "Falle");
  const std::string down = ladeko({"getdir", files + "/" + treeName, back.string()}, &status);
  ASSERT_EQ(status, 3) << down;
  ExpectSameTree(tree, back / treeName, {"Verweis", "geheim", "Zeiger", "Falle"});
  EXPECT_FALSE(fs::exists(fs::symlink_status(back / treeName / "Zeiger")));
  EXPECT_TRUE(Contains(down, "Verkn\xC3\xBCpfung \xC3\xBC" "bersprungen: \"Zeiger\"")) << down;
  EXPECT_TRUE(Contains(down, "Lokale Verkn\xC3\xBCpfung nicht \xC3\xBC" "berschrieben")) << down;
  EXPECT_FALSE(fs::exists(outside / "falle.txt"));
  EXPECT_EQ(std::distance(fs::directory_iterator(outside), fs::directory_iterator()), 1);

  const std::string missing = ladeko({"getdir", files + "/fehlt", back.string()}, &status);
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(Contains(missing, "Verzeichniswechsel verweigert")) << missing;
  // Writing straight into the target is FTP's; over SFTP it is refused before anything goes.
  fs::create_directories(local.Path() / "neu");
  WriteText(local.Path() / "neu" / "a.txt", "a");
  for (const std::string command : {"putdir", "put"}) {
    const fs::path source = command == "put" ? local.Path() / "neu" / "a.txt" : local.Path() / "neu";
    const std::string direct = ladeko({"--direct", "cd", files, command, source.string()}, &status);
    EXPECT_EQ(status, 1) << command;
    EXPECT_TRUE(Contains(direct, "Direktes Speichern ist \xC3\xBC" "ber SFTP nicht m\xC3\xB6glich.")) << direct;
  }
  const std::string ascii = ladeko({"--ascii", "cd", files, "put", (local.Path() / "neu" / "a.txt").string()}, &status);
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(Contains(ascii, "Die Text\xC3\xBC" "bertragung (--ascii) ist \xC3\xBC" "ber SFTP nicht m\xC3\xB6glich.")) << ascii;
  EXPECT_FALSE(fs::exists(server.Files() / "neu"));
  EXPECT_FALSE(fs::exists(server.Files() / "a.txt"));
}

// Many files of one folder are in flight at once, more than the program may hold open; a file
// the server refuses among them (its target is a folder, so the rename fails) is counted and
// named, the others arrive whole, and the way back brings exactly what went up.
TEST(LadekoSftpTree, ARefusedFileAmongManyInFlightIsCountedAndTheRestArrive) {
  SshdServer server;
  ASSERT_TRUE(server.Running());
  TempFolder local;
  const fs::path known = local.Path() / "known_hosts";
  WriteText(known, server.KnownHostsLine());
  const auto ladeko = [&](std::vector<std::string> args, int* status) {
    args.insert(args.begin(), "sftp://127.0.0.1:" + std::to_string(server.Port()));
    return LadekoOnSshd(server, known, local.Path(), std::move(args), status);
  };
  const fs::path tree = local.Path() / "viele";
  fs::create_directories(tree);
  // Sizes around the block edges: empty, one byte, exactly one and two write blocks, more.
  const std::vector<std::size_t> sizes{0, 1, 32767, 32768, 32769, 65536, 200000, 7, 4096, 131072};
  for (int i = 0; i < 120; ++i)
    WriteText(tree / ("d" + std::to_string(i)),
              Bytes(sizes[static_cast<std::size_t>(i) % sizes.size()] + i, i));
  fs::create_directories(server.Files() / "viele" / "d17" / "besetzt");

  int status = -1;
  // More files than the program may hold open: a finished file must not keep its descriptor.
  rlimit limits{};
  ::getrlimit(RLIMIT_NOFILE, &limits);
  const rlimit few{64, limits.rlim_max};
  ::setrlimit(RLIMIT_NOFILE, &few);
  const std::string up = ladeko({"cd", server.Files().string(), "putdir", tree.string()}, &status);
  ::setrlimit(RLIMIT_NOFILE, &limits);
  ASSERT_EQ(status, 3) << up;
  EXPECT_TRUE(Contains(up, "Hochgeladen: 119 Dateien, 1 Ordner, 1 übersprungen\n")) << up;
  EXPECT_TRUE(Contains(up, "d17")) << up;
  int temporaries = 0;
  for (const auto& entry : fs::directory_iterator(server.Files() / "viele")) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(".d17.~ladeko-", 0) == 0) ++temporaries;  // the refused file's new contents, named
    else EXPECT_NE(name.rfind(".", 0), 0u) << "a temporary name was left: " << name;
  }
  EXPECT_EQ(temporaries, 1);
  fs::remove_all(server.Files() / "viele" / "d17");
  for (const auto& entry : fs::directory_iterator(server.Files() / "viele"))
    if (entry.path().filename().string().rfind(".", 0) == 0) fs::remove(entry.path());
  fs::remove(tree / "d17");
  ExpectSameTree(tree, server.Files() / "viele", {});

  const fs::path back = local.Path() / "zurueck";
  fs::create_directories(back);
  const std::string down = ladeko({"getdir", server.Files().string() + "/viele", back.string()}, &status);
  ASSERT_EQ(status, 0) << down;
  ExpectSameTree(tree, back / "viele", {});
}
