// One list of scenarios run through ladeko-ftp against every server of Servers(): log-in in
// each way the server allows, the listing parsed against the folder, every single command, and a
// tree of awkward names both ways. Each scenario works in a folder of its own; a line per
// scenario closes the test, so the output is the server's row of the matrix.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <ctime>
#include <iostream>
#include <regex>
#include <sstream>

#include "MatrixScene.h"
#include "SshFixture.h"

namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// ladeko-ftp succeeded and printed this line first.
void ExpectPrinted(const LadekoOutcome& run, const std::string& line) {
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output.substr(0, run.output.find('\n') + 1), line + "\n") << run.output;
}

void ExpectDone(const LadekoOutcome& run) { EXPECT_EQ(run.status, 0) << run.output; }

std::uint32_t Mode(const fs::path& path) {
  struct stat info {};
  ::lstat(path.c_str(), &info);
  return info.st_mode & 07777;
}

std::string LocalTime(std::int64_t seconds, const char* format) {
  const std::time_t when = seconds;
  std::tm local{};
  ::localtime_r(&when, &local);
  char text[32];
  std::strftime(text, sizeof text, format, &local);
  return text;
}

// Each entry of the folder as ladeko-ftp's ls should show it: "type size date time", the size
// only for files; a listing of a time older than six months has no time of day but midnight.
void ExpectListedAsOnDisk(const fs::path& folder, const std::string& listing) {
  std::map<std::string, std::string> shown;
  std::istringstream lines(listing);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string type, size, date, time;
    words >> type >> size >> date >> time;
    std::string name;
    std::getline(words >> std::ws, name);
    if (type == "l") name = name.substr(0, name.find(" -> "));
    shown[name] = type + " " + (type == "-" ? size : "*") + " " + date + " " + time;
  }
  const std::int64_t sixMonthsAgo =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
          .count() -
      183 * 86400;
  std::size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    ++entries;
    const std::string name = entry.path().filename().string();
    struct stat info {};
    ::lstat(entry.path().c_str(), &info);
    const char type = S_ISLNK(info.st_mode) ? 'l' : S_ISDIR(info.st_mode) ? 'd' : '-';
    const std::string head = std::string(1, type) + " " + (type == '-' ? std::to_string(info.st_size) : "*") +
                             " " + LocalTime(info.st_mtime, "%Y-%m-%d") + " ";
    const std::string exact = head + LocalTime(info.st_mtime, "%H:%M");
    const bool old = info.st_mtime < sixMonthsAgo;
    EXPECT_TRUE(shown[name] == exact || (old && shown[name] == head + "00:00"))
        << name << ": \"" << shown[name] << "\" statt \"" << exact << "\"\n"
        << listing;
  }
  EXPECT_EQ(shown.size(), entries) << listing;
}

// The commands of an upload in a --trace: those that touch a file (the look-up of an old one,
// MLST or LIST, the upload, the mode, the rename), temporary names as ".NAME.~ladeko-*".
// Commands sent before the answer to the one before are joined by " + ".
std::vector<std::string> UploadCommands(const std::string& trace) {
  static const std::regex sent("Sent [0-9. :]+: (MLST|LIST|STOR|SITE CHMOD [0-7]+|RNFR|RNTO|DELE) (.*)<EOL>");
  static const std::regex scratch("~ladeko-[0-9a-f]{8}");
  std::vector<std::string> commands;
  bool joined = false;
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    const bool wanted = std::regex_match(line, match, sent);
    if (wanted) {
      const std::string verb = match[1] == "LIST" ? "MLST" : match[1].str();
      const std::string command = verb + " " + std::regex_replace(match[2].str(), scratch, "~ladeko-*");
      if (joined && !commands.empty()) commands.back() += " + " + command;
      else commands.push_back(command);
    }
    joined = line.rfind("Sent ", 0) == 0;
  }
  return commands;
}

struct Scenario {
  const char* name;
  void (*run)(const Scene&);
};

const Scenario kScenarios[] = {
    {"login", [](const Scene& s) { ExpectPrinted(s.Run({"pwd"}), s.remote); }},
    {"login_plain",
     [](const Scene& s) {
       // Over SSH there is no other way than the one of "login".
       const auto plain = s.Ftp() ? std::vector<std::string>{"--no-tls"} : std::vector<std::string>{};
       const LadekoOutcome run = s.Run({"pwd"}, plain);
       if (s.server.secure == Secure::TlsRequired) EXPECT_EQ(run.status, 1) << run.output;
       else ExpectPrinted(run, s.remote);
     }},
    {"login_tls_pinned",
     [](const Scene& s) {
       const LadekoOutcome run = s.RunWith(s.server.login, s.server.pinned, {"--trace"}, {"pwd"});
       if (s.server.secure == Secure::None) {
         EXPECT_EQ(run.status, 1) << run.output;
         return;
       }
       EXPECT_EQ(run.status, 0) << run.output;
       EXPECT_TRUE(Contains(run.output, "\n" + s.remote + "\n")) << run.output;
       EXPECT_TRUE(Contains(run.output, s.server.encryptedTrace)) << run.output;
     }},
    {"wrong_password",
     [](const Scene& s) {
       const LadekoOutcome run = s.RunWith(s.server.wrongLogin, s.server.trust, {}, {"pwd"});
       EXPECT_EQ(run.status, 1) << run.output;
       EXPECT_FALSE(Contains(run.output, s.remote)) << run.output;
     }},
    {"pwd",
     [](const Scene& s) {
       fs::create_directories(s.here / "Unter Ordner");
       ExpectPrinted(s.Run({"cd", "Unter Ordner", "pwd"}), s.remote + "/Unter Ordner");
     }},
    {"list",
     [](const Scene& s) {
       Put(s.here / "leer.txt", "");
       Put(s.here / "alt.evd", Bytes(100, 1));
       SetTime(s.here / "alt.evd", 1552645200);  // 2019-03-15 10:20 UTC
       Put(s.here / "neu.evd", Bytes(1234567, 2));
       SetTime(s.here / "neu.evd", std::time(nullptr) - 3 * 86400 - 17 * 60);
       Put(s.here / "name with spaces.txt", "zehn Bytes");
       Put(s.here / "two  blanks", "abc");
       fs::create_directories(s.here / "Ordner");
       fs::create_symlink("neu.evd", s.here / "verweis");
       const LadekoOutcome run = s.Run({"ls"});
       ExpectDone(run);
       ExpectListedAsOnDisk(s.here, run.output);
     }},
    {"get",
     [](const Scene& s) {
       Put(s.here / "Lektion 1.evd", Bytes(300000, 3));
       ExpectDone(s.Run({"get", "Lektion 1.evd", (s.local / "zurück.evd").string()}));
       EXPECT_EQ(Get(s.local / "zurück.evd"), Get(s.here / "Lektion 1.evd"));
     }},
    {"put",
     [](const Scene& s) {
       Put(s.local / "Lektion 2.evd", Bytes(300000, 4));
       ExpectDone(s.Run({"put", (s.local / "Lektion 2.evd").string(), "Lektion 2.evd"}));
       EXPECT_EQ(Get(s.here / "Lektion 2.evd"), Get(s.local / "Lektion 2.evd"));
     }},
    {"put_if_unchanged",
     [](const Scene& s) {
       // The copy a script saw: its size and time as MDTM gives them (UTC).
       Put(s.here / "Lektion 4.evd", "vom anderen Rechner");
       SetTime(s.here / "Lektion 4.evd", 1700000000);  // 2023-11-14 22:13:20 UTC
       Put(s.local / "Lektion 4.evd", Bytes(5000, 8));
       const auto put = [&](const std::string& sizeAndTime) {
         return s.Run({"put", (s.local / "Lektion 4.evd").string(), "Lektion 4.evd"},
                      {"--if-unchanged", sizeAndTime});
       };
       const LadekoOutcome refused = put("19,20231114221321");
       EXPECT_EQ(refused.status, 4) << refused.output;
       EXPECT_EQ(Get(s.here / "Lektion 4.evd"), "vom anderen Rechner");
       ExpectDone(put("19,20231114221320"));
       EXPECT_EQ(Get(s.here / "Lektion 4.evd"), Get(s.local / "Lektion 4.evd"));
     }},
    {"put_replacing_keeps_permissions",
     [](const Scene& s) {
       Put(s.here / "Lektion 3.evd", "alt");
       fs::permissions(s.here / "Lektion 3.evd", fs::perms(0640));
       Put(s.local / "neu.evd", Bytes(5000, 5));
       const LadekoOutcome run = s.Run({"put", (s.local / "neu.evd").string(), "Lektion 3.evd"});
       // Replaced with its mode kept, or (a server that cannot set modes) refused and untouched.
       const std::string expected = run.status == 0 ? Get(s.local / "neu.evd") : "alt";
       if (run.status != 0) {
         EXPECT_TRUE(Contains(run.output, "Direkt")) << run.output;
       }
       EXPECT_EQ(Get(s.here / "Lektion 3.evd"), expected);
       EXPECT_EQ(Mode(s.here / "Lektion 3.evd"), 0640u);
     }},
    {"put_commands",
     [](const Scene& s) {
       if (!s.Ftp()) return;
       // Into a folder the walk made: nothing to look up. Replacing: the old file's mode is
       // looked up and kept. RNFR and RNTO go out together, after the upload's last answer.
       Put(s.local / "Baum" / "neu.evd", Bytes(3000, 9));
       Put(s.here / "alt.evd", "alt");
       fs::permissions(s.here / "alt.evd", fs::perms(0644));
       Put(s.local / "alt.evd", Bytes(4000, 10));
       const std::vector<std::string> trace = {"--trace", "--connections", "1"};
       const struct {
         LadekoOutcome run;
         std::vector<std::string> expected;
       } cases[] = {
           {s.Run({"putdir", (s.local / "Baum").string()}, trace),
            {"STOR .neu.evd.~ladeko-*", "RNFR .neu.evd.~ladeko-* + RNTO neu.evd"}},
           {s.Run({"put", (s.local / "alt.evd").string(), "alt.evd"}, trace),
            {"MLST alt.evd", "STOR .alt.evd.~ladeko-*", "SITE CHMOD 644 .alt.evd.~ladeko-*",
             "RNFR .alt.evd.~ladeko-* + RNTO alt.evd"}},
       };
       for (const auto& c : cases) {
         ExpectDone(c.run);
         EXPECT_EQ(UploadCommands(c.run.output), c.expected) << c.run.output;
       }
       EXPECT_EQ(TreeDifference(s.local / "Baum", s.here / "Baum"), "");
       EXPECT_EQ(Get(s.here / "alt.evd"), Get(s.local / "alt.evd"));
     }},
    {"append",
     [](const Scene& s) {
       Put(s.here / "Liste.txt", "erste Zeile\n");
       Put(s.local / "mehr.txt", "zweite Zeile\n");
       const LadekoOutcome run = s.Run({"append", (s.local / "mehr.txt").string(), "Liste.txt"});
       // SFTP has no append: a usage error, refused before connecting.
       if (!s.Ftp()) EXPECT_EQ(run.status, 2) << run.output;
       else ExpectDone(run);
       EXPECT_EQ(Get(s.here / "Liste.txt"), s.Ftp() ? "erste Zeile\nzweite Zeile\n" : "erste Zeile\n");
     }},
    {"mkdir",
     [](const Scene& s) {
       ExpectDone(s.Run({"mkdir", "Neuer Ordner"}));
       EXPECT_TRUE(fs::is_directory(s.here / "Neuer Ordner"));
     }},
    {"rmdir",
     [](const Scene& s) {
       fs::create_directories(s.here / "Alter Ordner");
       ExpectDone(s.Run({"rmdir", "Alter Ordner"}));
       EXPECT_FALSE(fs::exists(s.here / "Alter Ordner"));
     }},
    {"rm",
     [](const Scene& s) {
       Put(s.here / "weg damit.txt", "x");
       ExpectDone(s.Run({"rm", "weg damit.txt"}));
       EXPECT_FALSE(fs::exists(s.here / "weg damit.txt"));
     }},
    {"rename",
     [](const Scene& s) {
       Put(s.here / "vorher.txt", Bytes(2000, 6));
       const std::string bytes = Get(s.here / "vorher.txt");
       ExpectDone(s.Run({"rename", "vorher.txt", "nachher Ü.txt"}));
       EXPECT_FALSE(fs::exists(s.here / "vorher.txt"));
       EXPECT_EQ(Get(s.here / "nachher Ü.txt"), bytes);
     }},
    {"size",
     [](const Scene& s) {
       Put(s.here / "groß.bin", Bytes(123457, 7));
       ExpectPrinted(s.Run({"size", "groß.bin"}), "123457");
     }},
    {"tree_up",
     [](const Scene& s) {
       WriteTree(s.local / "Baum");
       ExpectDone(s.Run({"putdir", (s.local / "Baum").string()}));
       EXPECT_EQ(TreeDifference(s.local / "Baum", s.here / "Baum"), "");
     }},
    {"tree_down",
     [](const Scene& s) {
       WriteTree(s.here / "Baum");
       fs::create_directories(s.local / "zurück");
       ExpectDone(s.Run({"getdir", "Baum", (s.local / "zurück").string()}));
       EXPECT_EQ(TreeDifference(s.here / "Baum", s.local / "zurück" / "Baum"), "");
     }},
};

class ServerMatrix : public testing::TestWithParam<ServerConfiguration> {};

int FailureCount() {
  const testing::TestResult& result = *testing::UnitTest::GetInstance()->current_test_info()->result();
  int failures = 0;
  for (int i = 0; i < result.total_part_count(); ++i)
    failures += result.GetTestPartResult(i).failed() ? 1 : 0;
  return failures;
}

}  // namespace

void PrintTo(const ServerConfiguration& configuration, std::ostream* out) { *out << configuration.name; }

TEST_P(ServerMatrix, EveryScenario) {
  const ServerUnderTest server = GetParam().start();
  ASSERT_EQ(server.problem, "") << GetParam().name << " did not start: every scenario fails";
  std::string row;
  for (const Scenario& scenario : kScenarios) {
    SCOPED_TRACE(GetParam().name + " / " + scenario.name);
    const int before = FailureCount();
    const auto start = std::chrono::steady_clock::now();
    TempFolder local;
    scenario.run(Scene(server, scenario.name, local.Path()));
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count();
    row += std::string("[ matrix   ] ") + GetParam().name + " " + scenario.name +
           (FailureCount() == before ? " ok " : " FAILED ") + std::to_string(ms) + " ms\n";
  }
  std::cout << row;
}

INSTANTIATE_TEST_SUITE_P(Servers, ServerMatrix, testing::ValuesIn(Servers()),
                         [](const testing::TestParamInfo<ServerConfiguration>& info) {
                           return info.param.name;
                         });
