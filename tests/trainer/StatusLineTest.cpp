#include <gtest/gtest.h>

#include "StatusLine.h"

namespace {
int CharCount(const std::string& s) { return static_cast<int>(s.size()); }

struct FakeStatus : StatusView {
  int width = 100;
  std::string texts[3];
  int PanelWidth(int) const override { return width; }
  int TextWidth(const std::string& s) const override { return CharCount(s); }
  void SetPanelText(int panel, const std::string& text) override { texts[panel] = text; }
};
}  // namespace

TEST(ShortenPath, ReplacesFoldersFromTheLeftUntilItFits) {
  const std::string path = "/home/anna/Dokumente/Vokabeln/lektion7.evd";
  EXPECT_EQ(ShortenPath(path, 100, CharCount), path);
  EXPECT_EQ(ShortenPath(path, 35, CharCount), ".../Dokumente/Vokabeln/lektion7.evd");
  EXPECT_EQ(ShortenPath(path, 25, CharCount), ".../Vokabeln/lektion7.evd");
  EXPECT_EQ(ShortenPath(path, 5, CharCount), ".../lektion7.evd");
}

TEST(ShortenPath, KeepsDriveAndNeverCutsNamesWithoutFolders) {
  EXPECT_EQ(ShortenPath("C:\\Eigene\\Vok\\datei.evd", 18, CharCount), "C:\\...\\datei.evd");
  EXPECT_EQ(ShortenPath("C:\\Eigene\\Vok\\datei.evd", 20, CharCount), "C:\\...\\Vok\\datei.evd");
  EXPECT_EQ(ShortenPath("unbenannt-mit-sehr-langem-Namen", 5, CharCount),
            "unbenannt-mit-sehr-langem-Namen");
}

TEST(ShortenPath, NeverMakesATextWider) {
  EXPECT_EQ(ShortenPath("/lektion7.evd", 5, CharCount), "/lektion7.evd");
  EXPECT_EQ(ShortenPath("C:\\datei.evd", 5, CharCount), "C:\\datei.evd");
  EXPECT_EQ(ShortenPath("/a/datei.evd", 5, CharCount), "/a/datei.evd");  // ".../" is wider than "/a/"
  EXPECT_EQ(ShortenPath("/a/bbbbbbbbbb/datei.evd", 5, CharCount), ".../datei.evd");
}

TEST(ShowStatus, ShortensToPanelWidthLessForty) {
  FakeStatus status;
  status.width = 60;  // 20 characters fit
  ShowStatus(status, 0, "/a/bbbbbbbbbb/cccc/file.evd");
  EXPECT_EQ(status.texts[0], ".../cccc/file.evd");
  ShowStatus(status, 2, "");
  EXPECT_EQ(status.texts[2], "");
  ShowStatus(status, 1, RowStatusText(12));
  EXPECT_EQ(status.texts[1], "Zeile: 12");
}

TEST(ShortenPath, KeepsTheLeadInBeforeAParenthesis) {
  EXPECT_EQ(ShortenPath("unbenannt (/home/anna/Dokumente)", 40, CharCount), "unbenannt (/home/anna/Dokumente)");
  EXPECT_EQ(ShortenPath("unbenannt (/home/anna/Dokumente)", 26, CharCount), "unbenannt (.../Dokumente)");
  EXPECT_EQ(ShortenPath("unbenannt (C:\\Eigene\\Vok\\Lektionen)", 30, CharCount),
            "unbenannt (C:\\...\\Lektionen)");
}

TEST(ShowStatus, CutsAPlainTextOnlyWhereTheViewAsksForIt) {
  struct CuttingStatus : FakeStatus {
    bool CutsPlainText(int panel) const override { return panel == 1; }
  } status;
  status.width = 50;  // 10 characters fit
  ShowStatus(status, 1, "keine Aktion heute");
  EXPECT_EQ(status.texts[1], "keine Akti");
  ShowStatus(status, 2, "keine Aktion heute");
  EXPECT_EQ(status.texts[2], "keine Aktion heute");
  ShowStatus(status, 1, "/a/bbbbbbbbbbbbbbbbbbb.evd");  // a path keeps its file name whole
  EXPECT_EQ(status.texts[1], "/a/bbbbbbbbbbbbbbbbbbb.evd");
}
