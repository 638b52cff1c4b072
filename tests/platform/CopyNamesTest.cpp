// The next free name of a kept copy: the same rule on the server and on the local disk.
#include <gtest/gtest.h>

#include <set>

#include "CopyNames.h"

namespace {

TEST(CopyNamesTest, NextFreeNameCountsOnPastTakenNames) {
  struct Case {
    const char* path;
    std::set<std::string> taken;
    const char* expected;
  };
  const Case cases[] = {
      {"Lektion 3.evd", {}, "Lektion 3 (2).evd"},
      {"Lektion 3.evd", {"Lektion 3 (2).evd"}, "Lektion 3 (3).evd"},
      {"/srv/a/Lektion 3.evd",
       {"/srv/a/Lektion 3 (2).evd", "/srv/a/Lektion 3 (3).evd"},
       "/srv/a/Lektion 3 (4).evd"},
      {"Lektion 3 (2).evd", {}, "Lektion 3 (3).evd"},
      {"Lektion (0).evd", {}, "Lektion (0) (2).evd"},
      {"ohne", {}, "ohne (2)"},
      {"ordner.neu/ohne", {}, "ordner.neu/ohne (2)"},
      {".evd", {}, ".evd (2)"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NextFreeName(c.path, [&](const std::string& name) { return c.taken.count(name) > 0; }),
              c.expected)
        << c.path;
}

TEST(CopyNamesTest, ServerCopyNameCarriesTheDateInLocalTime) {
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(ServerCopyName("/home/a/Lektion 3.evd", 1765299000),
            "/home/a/Lektion 3 (Server 09.12.2025 16-50).evd");
}

}  // namespace
