// "Importieren ..." and "Exportieren ..." of the main window, with scripted file dialogs and
// the import dialog answered by clicks.
#include <sys/resource.h>
#include <unistd.h>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "AddressSanitizer.h"
#include "MainWindowFixture.h"
#include "QtText.h"
#include "TableFixtures.h"
#include "VokImportDlg.h"
#include "Win1252.h"

namespace {

struct ImportExportTest : MainWindowTest {
  std::filesystem::path dir;
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() / ("import_ui_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    Open();
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::filesystem::path Write(const char* name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
    return dir / name;
  }
  // Runs the import of the file; the dialog, when it comes, is answered by answer.
  void Import(const std::filesystem::path& path, std::function<void(TImportDlg&)> answer = {}) {
    dialogs.fileAnswers.push_back(FileChoice{path, 1});
    TImportDlg* dlg = form->ImportDialog();
    bool asked = false;
    QTimer::singleShot(50, dlg, [&] {
      if (!dlg->isVisible()) return;
      asked = true;
      if (answer) answer(*dlg);
      else dlg->OkBtn->click();
    });
    form->Command(VokCommand::Importieren1)->trigger();
    if (answer) {
      EXPECT_TRUE(asked) << "the import dialog was not shown";
    }
  }
  static std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
};

}  // namespace

TEST_F(ImportExportTest, MenuItemsFollowTheFileCommands) {
  const QList<QAction*> items = form->menuBar()->findChild<QMenu*>("Datei1")->actions();
  const auto at = [&](VokCommand command) { return items.indexOf(form->Command(command)); };
  EXPECT_GT(at(VokCommand::Importieren1), at(VokCommand::Lektionkorrigieren1));
  EXPECT_EQ(at(VokCommand::Exportieren1), at(VokCommand::Importieren1) + 1);
  EXPECT_LT(at(VokCommand::Exportieren1), at(VokCommand::drucken1));
  EXPECT_EQ(form->Command(VokCommand::Importieren1)->text(), "Importieren ...");
  EXPECT_EQ(form->Command(VokCommand::Exportieren1)->text(), "Exportieren ...");
  EXPECT_TRUE(form->Command(VokCommand::Importieren1)->isEnabled());
  EXPECT_TRUE(form->Command(VokCommand::Exportieren1)->isEnabled());
}

TEST_F(ImportExportTest, CsvComesInThroughThePreviewWithTheChosenColumns) {
  FillTable(form->Document().Box(1), {{"L0", "maison", "Haus"}});
  const auto path = Write("list.csv", "Haus;maison;L0\nchien;Hund;L1\n\"Herz\nSeele\";c\xC5\x93ur;L1\n");
  bool previewShown = false;
  Import(path, [&](TImportDlg& dlg) {
    previewShown = dlg.Preview->rowCount() == 3 && dlg.Preview->columnCount() == 3 &&
                   dlg.SeparatorBox->currentText() == "Semikolon" && !dlg.HeaderBox->isChecked();
    // A line break inside a quoted cell is a blank already in the preview.
    EXPECT_EQ(dlg.Preview->item(2, 0)->text(), "Herz Seele");
    EXPECT_EQ(dlg.Preview->horizontalHeaderItem(1)->text(), QStringLiteral("Französisch"));
    dlg.OkBtn->click();
  });
  EXPECT_TRUE(previewShown);
  // "Haus/maison" was there already and is skipped, as adding a lesson file skips it.
  EXPECT_EQ(DataRows(form->Document().Box(1)),
            (std::vector<VokRow>{
                {"L0", "maison", "Haus"}, {"L1", "Hund", "chien"}, {"L1", "c\x9Cur", "Herz Seele"}}));
  EXPECT_TRUE(form->IsModified());
  EXPECT_EQ(form->StatusText(2), ToQ(kFileAdded));
  // The learner is told what arrived and what not.
  ASSERT_FALSE(dialogs.messages.empty());
  EXPECT_EQ(win1252::ToUtf8(dialogs.messages.back().text),
            "2 Zeilen übernommen.\n1 Zeile ausgelassen, schon vorhanden: Haus – maison");
}

// A separator named by the file's header line is offered and kept, though it is none of the
// three the dialog lists.
TEST_F(ImportExportTest, SeparatorNamedByTheFileIsKept) {
  Import(Write("p.txt", "#separator:pipe\nHaus|maison|L1\n"), [](TImportDlg& dlg) {
    EXPECT_EQ(dlg.SeparatorBox->currentText(), "\"|\"");
    EXPECT_EQ(dlg.Preview->columnCount(), 3);
    dlg.OkBtn->click();
  });
  EXPECT_EQ(DataRows(form->Document().Box(1)), (std::vector<VokRow>{{"L1", "maison", "Haus"}}));
}

TEST_F(ImportExportTest, CancelAndBadFilesLeaveTheDocumentUnchanged) {
  FillTable(form->Document().Box(1), {{"", "maison", "Haus"}});
  Import(Write("a.csv", "x;y\n"), [](TImportDlg& dlg) { dlg.CancelBtn->click(); });
  EXPECT_EQ(form->Document().Box(1).RowCount(), 2);
  EXPECT_FALSE(form->IsModified());

  Import(Write("bad.kvtml", "<kvtml version=\"2.0\">\n<entries>\n</kvtml>\n"));
  ASSERT_FALSE(dialogs.messages.empty());
  EXPECT_EQ(dialogs.messages.back().text,
            "XML-Fehler in Zeile 3, Spalte 3: End-Tag passt nicht zum Anfangs-Tag");
  EXPECT_EQ(form->StatusText(2), ToQ(kFileNotRead));
  EXPECT_EQ(form->Document().Box(1).RowCount(), 2);
  EXPECT_FALSE(form->IsModified());
}

TEST_F(ImportExportTest, KvtmlWithoutGermanAndFrenchAsksForTheLanguages) {
  const auto path = Write("l.kvtml", R"(<?xml version="1.0"?><kvtml version="2.0">
<identifiers><identifier id="a"><name>English</name><locale>en</locale></identifier>
<identifier id="b"><name>Latein</name><locale>la</locale></identifier></identifiers>
<entries><entry id="1"><translation id="a"><text>dog</text></translation>
<translation id="b"><text>canis</text><grade fromid="a"><currentgrade>6</currentgrade><count>6</count><errorcount>0</errorcount></grade></translation></entry></entries>
</kvtml>)");
  Import(path, [](TImportDlg& dlg) {
    EXPECT_EQ(dlg.GermanBox->count(), 3);
    EXPECT_EQ(dlg.GermanBox->itemText(2), "Latein (la)");
    EXPECT_FALSE(dlg.OkBtn->isEnabled());  // nothing proposed
    dlg.GermanBox->setCurrentIndex(2);     // Latin as the German column,
    dlg.FrenchBox->setCurrentIndex(1);     // English as the French one
    EXPECT_EQ(dlg.Preview->item(0, 0)->text(), "canis");
    dlg.OkBtn->click();
  });
  // The grade of the translation in the French column is missing: the other one's decides.
  EXPECT_EQ(DataRows(form->Document().Box(3)), (std::vector<VokRow>{{"", "dog", "canis"}}));
}

TEST_F(ImportExportTest, ExportWritesTheShownBoxOrTheWholeDocument) {
  FillTable(form->Document().Box(1), {{"L1", "maison", "Haus"}});
  FillTable(form->Document().Box(2), {{"L2", "chien", "Hund"}});
  ShowPage(1);
  dialogs.messageAnswers.push_back(MsgResult::Yes);
  dialogs.fileAnswers.push_back(FileChoice{dir / "box", 2});  // no extension: the filter's
  form->Command(VokCommand::Exportieren1)->trigger();
  EXPECT_EQ(Read(dir / "box.csv"),
            "\xEF\xBB\xBF"
            "Deutsch;Franz\xC3\xB6sisch;Lektion;Kasten\r\nHund;chien;L2;2\r\n");
  EXPECT_EQ(dialogs.saveRequests.back().title, "Exportieren");

  dialogs.messageAnswers.push_back(MsgResult::No);
  dialogs.fileAnswers.push_back(FileChoice{dir / "all.csv", 4});  // "CSV, Komma"
  form->Command(VokCommand::Exportieren1)->trigger();
  EXPECT_EQ(Read(dir / "all.csv"),
            "\xEF\xBB\xBF"
            "Deutsch,Franz\xC3\xB6sisch,Lektion,Kasten\r\n"
            "Haus,maison,L1,1\r\nHund,chien,L2,2\r\n");
  EXPECT_EQ(form->StatusText(2), "Datei exportiert!");

  dialogs.messageAnswers.push_back(MsgResult::Cancel);
  const size_t requests = dialogs.saveRequests.size();
  form->Command(VokCommand::Exportieren1)->trigger();
  EXPECT_EQ(dialogs.saveRequests.size(), requests);
}

// Lists whose German and French the file does not say: the languages are proposed by name and
// locale, a list of one language goes into the French column, and the preview says so.
TEST_F(ImportExportTest, LanguagesAreProposedByNameAndOneLanguageIsTaken) {
  struct Case {
    const char* identifiers;
    int german, french;        // proposed entries, 0 "(keine)"
    const char* note;          // in the dialog's text
    std::vector<VokRow> rows;  // box 1 afterwards
  };
  const Case cases[] = {
      {R"(<identifier id="0"><name>French</name></identifier><identifier id="1"><name>English</name></identifier>)",
       0,
       1,
       "Die Spalte Deutsch bleibt leer.",
       {{"", "chien", ""}}},
      {R"(<identifier id="0"><name>FranÃ§ais</name><locale>fr</locale></identifier>)",
       0,
       1,
       "Die Liste hat nur eine Sprache",
       {{"", "chien", ""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.identifiers);
    form->Document().Box(1).ReplaceRows({VokRow{"", "", ""}, VokRow{}});
    ResetTable(form->Document().Box(1), 2, 1);
    const auto path = Write("l.kvtml", std::string("<kvtml version=\"2.0\"><identifiers>") + c.identifiers +
                                           "</identifiers><entries><entry id=\"1\"><translation id=\"0\">"
                                           "<text>chien</text></translation><translation id=\"1\"><text>dog"
                                           "</text></translation></entry></entries></kvtml>");
    Import(path, [&](TImportDlg& dlg) {
      EXPECT_EQ(dlg.GermanBox->currentIndex(), c.german);
      EXPECT_EQ(dlg.FrenchBox->currentIndex(), c.french);
      EXPECT_TRUE(dlg.OkBtn->isEnabled());
      EXPECT_TRUE(dlg.Problem->text().contains(QString::fromUtf8(c.note)))
          << dlg.Problem->text().toStdString();
      EXPECT_EQ(dlg.Preview->item(0, 1)->text(), "chien");
      dlg.OkBtn->click();
    });
    EXPECT_EQ(DataRows(form->Document().Box(1)), c.rows);
  }
}

// An Anki export: the preview shows the text as it arrives and names the columns the file names.
TEST_F(ImportExportTest, AnkiExportIsPreviewedAsItArrives) {
  const auto path = Write("deck.txt",
                          "#separator:tab\n#html:true\n#notetype column:1\n#deck column:2\n"
                          "Basic\tFranz\tdie Ziege\tla ch&egrave;vre<br>(f)\n");
  Import(path, [](TImportDlg& dlg) {
    EXPECT_EQ(dlg.GermanBox->currentIndex(), 3);
    EXPECT_EQ(dlg.LessonBox->currentText(), "Spalte 2 (Stapel)");
    EXPECT_EQ(dlg.Preview->item(0, 3)->text(), QString::fromUtf8("la chèvre (f)"));
    dlg.OkBtn->click();
  });
  EXPECT_EQ(DataRows(form->Document().Box(1)),
            (std::vector<VokRow>{{"Franz", A("la chèvre (f)"), "die Ziege"}}));
}

// Memory running out while a list is read ends nothing: the message comes and the document
// stays as it was. The tight address space is set in a child process, so that no other test
// meets it.
TEST_F(ImportExportTest, OutOfMemoryKeepsTheDocument) {
  if (kAddressSanitizer) GTEST_SKIP() << "the address sanitizer needs an unlimited address space";
  FillTable(form->Document().Box(1), {{"L0", "maison", "Haus"}});
  const auto path = Write("big.csv", std::string(48 << 20, 'a'));
  const auto importTight = [&] {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    rlimit tight{};
    getrlimit(RLIMIT_AS, &tight);
    tight.rlim_cur = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (24 << 20);
    dialogs.fileAnswers.push_back(FileChoice{path, 1});
    setrlimit(RLIMIT_AS, &tight);
    form->Command(VokCommand::Importieren1)->trigger();
    const bool kept = !dialogs.messages.empty() &&
                      dialogs.messages.back().text == "Datei nicht eingelesen: zu wenig Speicher" &&
                      DataRows(form->Document().Box(1)) == std::vector<VokRow>{{"L0", "maison", "Haus"}} &&
                      !form->IsModified();
    std::_Exit(kept ? 0 : 1);
  };
  EXPECT_EXIT(importTight(), ::testing::ExitedWithCode(0), "");
}
