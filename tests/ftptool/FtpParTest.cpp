#include "FtpPar.h"

#include <gtest/gtest.h>

#include "Win1252.h"

namespace {

const std::string kEvd = "Eigene Vokabel-Dateien (*.evd)";
const std::string kLe = "Lektion (*.le)";
const std::string kAll = "Alle Dateien (*.*)";

bool Dialog(const std::string& box, const std::string& name) {
  return MatchesFileType(FtpFileList::DialogPage, kTrainerFtpFilter, box, name);
}

}  // namespace

TEST(FileTypeTest, TheTrainersFilterGivesItsThreeItemsInOrder) {
  EXPECT_EQ(FileTypeItems(kTrainerFtpFilter), (std::vector<std::string>{kEvd, kLe, kAll}));
  EXPECT_EQ(FileTypeItems(kAllFilesFilter), std::vector<std::string>{kAll});
  EXPECT_TRUE(FileTypeItems("").empty());
}

TEST(FileTypeTest, EachItemAdmitsItsOwnExtensionInAnyCase) {
  EXPECT_TRUE(Dialog(kEvd, "lektion3.evd"));
  EXPECT_TRUE(Dialog(kEvd, "LEKTION3.EVD"));
  EXPECT_FALSE(Dialog(kEvd, "lektion3.le"));
  EXPECT_FALSE(Dialog(kEvd, "lektion3.evd.bak"));
  EXPECT_FALSE(Dialog(kEvd, "evd"));

  EXPECT_TRUE(Dialog(kLe, "Kapitel 1.le"));
  EXPECT_FALSE(Dialog(kLe, "Kapitel 1.evd"));
  EXPECT_FALSE(Dialog(kLe, "Kapitel.lex"));

  for (const char* name : {"a.evd", "index.html", ".htaccess", "a.", "archiv.tar.gz"})
    EXPECT_TRUE(Dialog(kAll, name)) << name;
}

TEST(FileTypeTest, NamesWithoutExtensionPassOnlyUnderAllFiles) {
  EXPECT_TRUE(Dialog(kAll, "README"));
  EXPECT_FALSE(Dialog(kEvd, "README"));
  EXPECT_FALSE(Dialog(kLe, "README"));
  // A dot in a folder name is no extension of the file.
  EXPECT_TRUE(Dialog(kAll, "alt.v/README"));
  EXPECT_FALSE(HasExtension("alt.v/README"));
}

TEST(FileTypeTest, SeveralMasksAreTriedInTurn) {
  const std::string web = "Web (*.htm;*.html;*.php)";
  EXPECT_TRUE(Dialog(web, "a.htm"));
  EXPECT_TRUE(Dialog(web, "a.html"));
  EXPECT_TRUE(Dialog(web, "a.php"));
  EXPECT_FALSE(Dialog(web, "a.gif"));
  EXPECT_FALSE(Dialog("Vokabeln (lek?.evd)", "lek1.evd"));  // no "*": nothing passes
  EXPECT_TRUE(Dialog("Vokabeln (*lek?.evd)", "lek1.evd"));
  EXPECT_FALSE(Dialog("Vokabeln (*lek?.evd)", "lek12.evd"));
  EXPECT_FALSE(Dialog("", "a.evd"));
}

TEST(FileTypeTest, BrowserListAdmitsEverythingWithoutFilterText) {
  EXPECT_TRUE(MatchesFileType(FtpFileList::Browser, "", kEvd, "a.le"));
  EXPECT_TRUE(MatchesFileType(FtpFileList::Browser, " ", kEvd, "a.le"));
  EXPECT_FALSE(MatchesFileType(FtpFileList::Browser, kTrainerFtpFilter, kEvd, "a.le"));
  EXPECT_FALSE(MatchesFileType(FtpFileList::DialogPage, "", kEvd, "a.le"));
}

TEST(FileTypeTest, MaskMatchingIsNotExponential) {
  // Many stars against a long name that almost matches: a naive recursive match takes ages.
  const std::string name(5000, 'a');
  EXPECT_FALSE(MatchesMask(name, "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(MatchesMask(name + "b", "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(MatchesMask(A("Übung.EVD"), A("ü*.evd")));  // "Ü" and "ü" fold
}

TEST(FtpParTest, SaveNamesWithoutExtensionGetTheDefaultExtension) {
  EXPECT_EQ(WithDefaultExtension("lektion3", "evd"), "lektion3.evd");
  EXPECT_EQ(WithDefaultExtension("lektion3.le", "evd"), "lektion3.le");
  EXPECT_EQ(WithDefaultExtension("neu.", "evd"), "neu.");
  EXPECT_EQ(WithDefaultExtension("alt.v/lektion3", "evd"), "alt.v/lektion3.evd");

  EXPECT_TRUE(IsDialogFileName("lektion3"));
  for (const char* bad : {"", " lektion3", "\tx", "*.evd", "lek?.evd"})
    EXPECT_FALSE(IsDialogFileName(bad)) << bad;
}

TEST(FtpParTest, ModesSetTheBlockAndTheWindowsLook) {
  FtpPar par;
  par.SetSaveMode("/tmp/x");
  EXPECT_EQ(par.Mode, FtpToolMode::Save);
  EXPECT_EQ(par.Filter, kTrainerFtpFilter);
  EXPECT_EQ(par.DefaultExt, "evd");
  par.SetServiceMode();
  EXPECT_EQ(par.Filter, kAll);

  const FtpModeLook service = ModeLook(FtpToolMode::Service, 120);
  EXPECT_EQ(service.Caption, "FTP-Dienst (File Transfer Protocol)");
  EXPECT_TRUE(service.TabAnmeldung && service.TabVerzeichnisse && service.TabLogbuch);
  EXPECT_FALSE(service.TabEinzel || service.TabDialog || service.EntersDialogPage);
  EXPECT_TRUE(service.ToolBarAndMenu);
  EXPECT_FALSE(service.FixedSize);
  EXPECT_EQ(service.PageShown, kPageAnmeldung);

  const FtpModeLook open = ModeLook(FtpToolMode::Open, 96);
  EXPECT_EQ(open.Caption, A("FTP-Dienst (Datei öffnen)"));
  EXPECT_EQ(open.DialogCaption, A("Öffnen (Ftp)"));
  EXPECT_EQ(open.DialogImageIndex, 26);
  EXPECT_FALSE(open.TabAnmeldung || open.TabVerzeichnisse || open.TabEinzel || open.TabLogbuch);
  EXPECT_TRUE(open.TabDialog && open.EntersDialogPage);
  EXPECT_FALSE(open.ToolBarAndMenu);
  EXPECT_EQ(open.PageShown, kPageDialog);
  EXPECT_EQ(open.FixedSize, (FtpWindowSize{500, 400}));

  const FtpModeLook save = ModeLook(FtpToolMode::Save, 120);
  EXPECT_EQ(save.Caption, "FTP-Dienst (Datei speichern)");
  EXPECT_EQ(save.DialogCaption, "Speichern (Ftp)");
  EXPECT_EQ(save.DialogImageIndex, 27);
  EXPECT_EQ(save.FixedSize, (FtpWindowSize{625, 500}));
  // 520.83 x 416.67 at 100 dpi; the ties 437.5 at 84 dpi and 412.5 at 99 dpi go to even.
  EXPECT_EQ(ModeLook(FtpToolMode::Save, 100).FixedSize, (FtpWindowSize{521, 417}));
  EXPECT_EQ(ModeLook(FtpToolMode::Save, 84).FixedSize, (FtpWindowSize{438, 350}));
  EXPECT_EQ(ModeLook(FtpToolMode::Save, 99).FixedSize, (FtpWindowSize{516, 412}));
}

TEST(FtpParTest, TrainerStatusTexts) {
  EXPECT_EQ(DownloadedStatusText("lektion3.evd"), "lektion3.evd heruntergeladen");
  EXPECT_EQ(UploadedStatusText("lektion3.evd"), "als lektion3.evd hochgeladen");
}
