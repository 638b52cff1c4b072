#include "ftpdiskPrint.h"

#include <gtest/gtest.h>

#include "Clock.h"
#include "RecordingPrinter.h"
#include "ScriptedDialogs.h"

namespace {

// The recording device: page 3000 x 4500, so line height 63, left 300, top 300, bottom 4200.
class AccessPrintTest : public ::testing::Test {
 protected:
  AccessPrintTest() {
    f_.Login.Host = "ftp.example.de";
    f_.Login.Port = "21";
    f_.Login.User = "lern";
    f_.Login.Password = "Geheim7";
    f_.Login.ProxyMode = 4;
    f_.Login.ProxyHost = "proxy.example.de";
    f_.Login.ProxyPort = "8021";
    f_.Login.ProxyUser = "pu";
    f_.Login.ProxyPassword = "xy";
    f_.FileName = "/home/lern/Zugang.ftpz";
    f_.Today = timebase::EncodeDayCount({2024, 5, 6, 14, 30});
    font_.name = "Tahoma";
    font_.size = 8;
  }

  // Prints with the dialog answered by typed (or cancelled when empty).
  void Print(int copies, std::optional<RepeatedPasswords> typed) {
    PrintAccessData(printer_, dialogs_, font_, copies, f_, [&] {
      ++dialogShown_;
      return typed;
    });
  }
  std::vector<std::string> Texts(size_t page = 0) const { return printer_.PageTexts(0, page); }

  RecordingPrinter printer_;
  ScriptedDialogs dialogs_;
  FontDesc font_;
  AccessDataFields f_;
  int dialogShown_ = 0;
};

}  // namespace

TEST_F(AccessPrintTest, OnePageHoldsTheElevenLinesAtTheirPositions) {
  Print(1, RepeatedPasswords{"Geheim7", "xy"});
  ASSERT_EQ(printer_.jobs.size(), 1u);
  const RecordingPrinter::Job& job = printer_.jobs[0];
  EXPECT_EQ(job.title, "/home/lern/Zugang.ftpz");
  EXPECT_TRUE(job.ended);
  ASSERT_EQ(job.pages.size(), 1u);
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "Ausdruck der Datei Zugang.ftpz vom 06.05.2024", "Host: ftp.example.de",
                         "Port: 21", "User: lern", "Passwort: Geheim7",
                         "Proxy-Einstellungen: UserPass", "Proxy-Host: proxy.example.de",
                         "Proxy-Port: 8021", "Proxy-User: pu", "Proxy-Passwort: xy"}));
  const auto& texts = job.pages[0].texts;
  EXPECT_EQ(texts[0].y, 300);
  EXPECT_EQ(texts[1].y, 300 + 2 * 63);  // after the empty line
  EXPECT_EQ(texts[9].y, 300 + 10 * 63);
  for (const auto& t : texts) EXPECT_EQ(t.x, 300);
  EXPECT_EQ(texts[0].font.size, 9);
  EXPECT_EQ(texts[0].font.name, "Tahoma");
}

TEST_F(AccessPrintTest, ThreeCopiesGiveThreeIdenticalPages) {
  Print(3, RepeatedPasswords{});
  const RecordingPrinter::Job& job = printer_.jobs.at(0);
  ASSERT_EQ(job.pages.size(), 3u);
  for (size_t p = 1; p < 3; ++p) {
    ASSERT_EQ(job.pages[p].texts.size(), job.pages[0].texts.size());
    for (size_t i = 0; i < job.pages[0].texts.size(); ++i) {
      EXPECT_EQ(job.pages[p].texts[i].text, job.pages[0].texts[i].text);
      EXPECT_EQ(job.pages[p].texts[i].y, job.pages[0].texts[i].y);
    }
  }
  EXPECT_EQ(dialogShown_, 1);
}

TEST_F(AccessPrintTest, PasswordsNotRepeatedExactlyPrintAsHashRows) {
  Print(1, RepeatedPasswords{"geheim7", ""});  // wrong letter case, proxy password not typed
  EXPECT_EQ(Texts()[4], "Passwort: #######");
  EXPECT_EQ(Texts()[9], "Proxy-Passwort: ##");

  EXPECT_EQ(PasswordPart("Geheim7", "Geheim7 "), "#######");
  EXPECT_EQ(PasswordPart("", ""), "");
  EXPECT_EQ(PasswordPart("", "irgendwas"), "");
}

TEST_F(AccessPrintTest, EmptyPasswordPrintsNothingAfterItsLabel) {
  f_.Login.Password.clear();
  f_.Login.ProxyMode = 9;  // not an item of the group
  Print(1, RepeatedPasswords{});
  EXPECT_EQ(Texts()[4], "Passwort: ");
  EXPECT_EQ(Texts()[5], "Proxy-Einstellungen: ");
  EXPECT_EQ(ProxyModeName(0), "kein Proxy");
  EXPECT_EQ(ProxyModeName(5), "Transparent");
}

TEST_F(AccessPrintTest, BusyPrinterOrCancelledDialogPrintsNothing) {
  printer_.earlierJobRunning = true;
  Print(1, RepeatedPasswords{});
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text,
            "Ein fr\xFCherer Druckauftrag ist noch nicht beendet. Bitte warten und neu anfordern!");
  EXPECT_EQ(dialogs_.messages[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(dialogShown_, 0);

  printer_.earlierJobRunning = false;
  Print(1, std::nullopt);
  EXPECT_EQ(dialogShown_, 1);
  EXPECT_TRUE(printer_.jobs.empty());
}

TEST_F(AccessPrintTest, LinesBelowTheBottomLimitContinueOnANewPage) {
  // Height 450: top 30, bottom 420; the seventh line at 408 moves the position to 471.
  printer_.pageHeight = 450;
  Print(2, RepeatedPasswords{});
  const RecordingPrinter::Job& job = printer_.jobs.at(0);
  ASSERT_EQ(job.pages.size(), 4u);
  EXPECT_EQ(job.pages[0].texts.size(), 6u);
  EXPECT_EQ(job.pages[0].texts.back().y, 408);
  EXPECT_EQ(job.pages[1].texts.size(), 4u);
  EXPECT_EQ(job.pages[1].texts.front().text, "Proxy-Host: proxy.example.de");
  EXPECT_EQ(job.pages[1].texts.front().y, 30);
  EXPECT_EQ(job.pages[2].texts.front().y, 30);  // the second copy starts at the top

  const AccessPrintLayout m = ComputeAccessPrintLayout(4958, 7015);
  EXPECT_EQ(m.LineHeight, 108);
  EXPECT_EQ(m.Left, 495);
  EXPECT_EQ(m.Top, 467);
  EXPECT_EQ(m.Bottom, 6538);
}
