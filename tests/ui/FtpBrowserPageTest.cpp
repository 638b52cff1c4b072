// The page "Verzeichnisse / Dateien" against pyftpdlib on loopback: both lists, navigation,
// transfers of whole trees through the page's buttons, deletion, new directories, renaming in
// place, the shared sort column and drops between the lists.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "FTP1.h"
#include "FtpBrowserPage.h"
#include "FtpConnectionPanel.h"
#include "FtpLoginForServer.h"
#include "FtpLogPage.h"
#include "FtpLoginPage.h"
#include "FtpRemoteListView.h"
#include "FtpStoredText.h"
#include "PyftpdSuite.h"
#include "ScriptedDialogs.h"
#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Captions(const FtpBrowserRows& rows) {
  std::vector<std::string> captions;
  for (const auto& row : rows) captions.push_back(row.Caption);
  return captions;
}

int RowOf(const FtpBrowserRows& rows, const std::string& caption) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].Caption == caption) return static_cast<int>(i);
  return -1;
}

class FtpBrowserPageTest : public PyftpdSuite {
 protected:
  void SetUp() override {
    PyftpdSuite::SetUp();
    local = fs::temp_directory_path() / ("tirelo-browser-page-" + std::to_string(::getpid()));
    fs::remove_all(local);
    fs::create_directories(local);
    form.PageControl()->setCurrentWidget(form.TabSheet2Page());
    // Every step of every test here keeps both list models consistent, or the program stops.
    for (QAbstractItemModel* model : {page().ListView1->model(), page().ListView2->model()})
      modelTesters.push_back(std::make_unique<QAbstractItemModelTester>(
          model, QAbstractItemModelTester::FailureReportingMode::Fatal));
  }
  void TearDown() override { fs::remove_all(local); }

  FtpBrowserPage& page() { return form.BrowserPage(); }

  void ShowLocal(const fs::path& folder) {
    page().VerzEdit1->setText(QString::fromStdString(folder.string()));
    page().ChangeLocal();
  }

  void ConnectToServer() {
    FillLoginForServer(form, server_->Port());
    ASSERT_TRUE(form.Connection().Connect());
    form.ConnectionPanel().EnterRemoteStartDirectory();
  }

  void Mark(FtpBrowserListView* list, const FtpBrowserRows& rows, const std::string& caption) {
    const int row = RowOf(rows, caption);
    ASSERT_GE(row, 0) << caption;
    list->SelectRow(row);
  }

  ScriptedDialogs dialogs;
  FtpPar par;
  TFTPForm1 form{{&dialogs, nullptr, nullptr, &par, nullptr, nullptr, {}, 1.0}};
  fs::path local;
  std::vector<std::unique_ptr<QAbstractItemModelTester>> modelTesters;
};

TEST_F(FtpBrowserPageTest, ConnectingListsTheServerAndDoubleClicksMoveThroughFolders) {
  fs::create_directories(server_->Home() / "sub");
  WriteFile(server_->Home() / "sub" / "inner.txt", "x");
  WriteFile(server_->Home() / "top.zip", "zz");
  ConnectToServer();
  const FtpRemoteSide& remote = page().Remote();
  // The server lists no "." and ".."; the list has both in front all the same.
  EXPECT_EQ(Captions(remote.Rows), (std::vector<std::string>{"..", ".", "sub", "top.zip"}));
  EXPECT_EQ(remote.Rows[3].Image, 9);
  EXPECT_EQ(page().VerzEdit2->text(), "/");
  EXPECT_EQ(page().ListView2->model()->rowCount(), 4);

  page().ListView2->DoubleClickRow(RowOf(remote.Rows, "sub"));
  EXPECT_EQ(page().VerzEdit2->text(), "/sub");
  EXPECT_EQ(Captions(remote.Rows), (std::vector<std::string>{"..", "sub", "inner.txt"}));
  // A download that fails (the file went away) reconnects into the folder the list shows.
  ShowLocal(local);
  Mark(page().ListView2, remote.Rows, "inner.txt");
  fs::remove(server_->Home() / "sub" / "inner.txt");
  form.Command(FtpCommand::Downstarten1)->trigger();
  EXPECT_EQ(form.Connection().Session().CurrentDir(), "/sub");
  EXPECT_EQ(page().VerzEdit2->text(), "/sub");
  page().ListView2->DoubleClickRow(RowOf(remote.Rows, ".."));
  EXPECT_EQ(page().VerzEdit2->text(), "/");

  // A folder that went away meanwhile: the message box, the list stays.
  fs::remove_all(server_->Home() / "sub");
  page().ListView2->DoubleClickRow(RowOf(remote.Rows, "sub"));
  ASSERT_FALSE(dialogs.messages.empty());
  EXPECT_EQ(dialogs.messages.back().text, "Verzeichniswechsel fehlgeschlagen");
  page().ListView2->DoubleClickRow(-1);
  EXPECT_EQ(form.StatusText(2), QString::fromUtf8("Nichts ausgewählt!"));

  page().VerzEdit2->setText("/missing");
  page().ChangeRemote();
  EXPECT_EQ(form.StatusText(2), "Verzeichniswechsel verweigert");
  EXPECT_EQ(page().VerzEdit2->text(), "/");
}

TEST_F(FtpBrowserPageTest, LocalListNavigatesAndRestoresAFolderThatDoesNotExist) {
  fs::create_directories(local / "inner");
  WriteFile(local / "b.txt", "12345");
  ShowLocal(local);
  const FtpLocalSide& side = page().Local();
  EXPECT_EQ(Captions(side.Rows), (std::vector<std::string>{"..", local.filename().string(), "inner", "b.txt"}));
  // Local files show an icon of their own.
  const QModelIndex file = page().ListView1->model()->index(3, 0);
  EXPECT_FALSE(page().ListView1->model()->data(file, Qt::DecorationRole).value<QIcon>().isNull());

  page().ListView1DblClick(RowOf(side.Rows, "inner"));
  EXPECT_EQ(fs::path(page().VerzEdit1->text().toStdString()), local / "inner");
  page().ListView1DblClick(RowOf(side.Rows, ".."));
  EXPECT_EQ(fs::path(page().VerzEdit1->text().toStdString()), local);

  page().VerzEdit1->setText(QString::fromStdString((local / "nothing").string()));
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(page().VerzEdit1, &enter);
  EXPECT_EQ(form.StatusText(2), "Wechsel ins Verzeichnis fehlgeschlagen");
  EXPECT_EQ(fs::path(page().VerzEdit1->text().toStdString()), local);
  EXPECT_EQ(RowOf(side.Rows, "b.txt"), 3);
}

TEST_F(FtpBrowserPageTest, TreesGoUpAndDownThroughTheButtonsByteForByte) {
  fs::create_directories(local / "tree" / "deeper");
  const std::string binary("\x00\x01\xff\r\n\x7f", 6);
  WriteFile(local / "tree" / "a.txt", "alpha\r\n");
  WriteFile(local / "tree" / "deeper" / "b.bin", binary);
  ShowLocal(local);
  ConnectToServer();

  Mark(page().ListView1, page().Local().Rows, "tree");
  page().HochBtn->click();
  EXPECT_EQ(form.StatusText(2), "Hochladen beendet");
  EXPECT_EQ(ReadFile(server_->Home() / "tree" / "a.txt"), "alpha\r\n");
  EXPECT_EQ(ReadFile(server_->Home() / "tree" / "deeper" / "b.bin"), binary);
  EXPECT_GE(RowOf(page().Remote().Rows, "tree"), 0);  // the remote list was refreshed

  fs::remove_all(local / "tree");
  page().ListLocal();
  Mark(page().ListView2, page().Remote().Rows, "tree");
  QAction* start = form.Command(FtpCommand::Downstarten1);
  ASSERT_NE(start, nullptr);
  EXPECT_TRUE(start->isEnabled());
  start->trigger();
  EXPECT_EQ(form.StatusText(2), "Herunterladen beendet");
  EXPECT_EQ(ReadFile(local / "tree" / "a.txt"), "alpha\r\n");
  EXPECT_EQ(ReadFile(local / "tree" / "deeper" / "b.bin"), binary);
  EXPECT_GE(RowOf(page().Local().Rows, "tree"), 0);

  // Off the page the tool bar command leaves the marked rows alone.
  fs::remove_all(local / "tree");
  form.PageControl()->setCurrentWidget(form.TabSheet4Page());
  form.Button("DownTBtn")->click();
  EXPECT_FALSE(fs::exists(local / "tree"));
}

TEST_F(FtpBrowserPageTest, DeleteKeyAsksFirstAndDeletesOnYes) {
  WriteFile(server_->Home() / "old.txt", "o");
  fs::create_directories(server_->Home() / "olddir");
  WriteFile(server_->Home() / "olddir" / "x", "x");
  ConnectToServer();
  QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);

  Mark(page().ListView2, page().Remote().Rows, "old.txt");
  dialogs.messageAnswers.push_back(MsgResult::No);
  QApplication::sendEvent(page().ListView2, &del);
  ASSERT_FALSE(dialogs.messages.empty());
  EXPECT_EQ(dialogs.messages.back().text, A("Wirklich löschen?\n\nDatei \"old.txt\""));
  EXPECT_TRUE(fs::exists(server_->Home() / "old.txt"));

  page().ListView2->SelectRow(RowOf(page().Remote().Rows, "old.txt"));
  page().ListView2->selectionModel()->select(
      page().ListView2->model()->index(RowOf(page().Remote().Rows, "olddir"), 0),
      QItemSelectionModel::Select | QItemSelectionModel::Rows);
  fs::create_directories(server_->Home() / "olddir" / "in" / "deeper");
  WriteFile(server_->Home() / "olddir" / "in" / "y", "y");
  dialogs.messageAnswers.push_back(MsgResult::Yes);
  QApplication::sendEvent(page().ListView2, &del);
  EXPECT_EQ(dialogs.messages.back().text,
            A("Wirklich löschen?\n\nOrdner \"olddir\" mit 2 Dateien und 2 Ordnern\nDatei \"old.txt\""));
  EXPECT_FALSE(fs::exists(server_->Home() / "old.txt"));
  EXPECT_FALSE(fs::exists(server_->Home() / "olddir"));
  EXPECT_EQ(RowOf(page().Remote().Rows, "old.txt"), -1);

  // The local list deletes through the same key.
  WriteFile(local / "gone.txt", "g");
  ShowLocal(local);
  fs::create_directories(local / "Ordner" / "leer");
  ShowLocal(local);
  Mark(page().ListView1, page().Local().Rows, "gone.txt");
  page().ListView1->selectionModel()->select(
      page().ListView1->model()->index(RowOf(page().Local().Rows, "Ordner"), 0),
      QItemSelectionModel::Select | QItemSelectionModel::Rows);
  dialogs.messageAnswers.push_back(MsgResult::Yes);
  QApplication::sendEvent(page().ListView1, &del);
  EXPECT_EQ(dialogs.messages.back().text,
            A("Wirklich löschen?\n\nOrdner \"Ordner\" mit 0 Dateien und 1 Ordner\nDatei \"gone.txt\""));
  EXPECT_FALSE(fs::exists(local / "gone.txt"));
}

TEST_F(FtpBrowserPageTest, NewDirectoryOnBothSidesAndItsFailure) {
  ShowLocal(local);
  dialogs.inputAnswers.push_back(std::string("neu"));
  page().NeuBtn1->click();
  EXPECT_TRUE(fs::is_directory(local / "neu"));
  EXPECT_GE(RowOf(page().Local().Rows, "neu"), 0);

  // No connection yet: the remote button says so and asks nothing.
  page().NeuBtn2->click();
  EXPECT_EQ(form.StatusText(2), "Keine Verbindung!");

  ConnectToServer();
  dialogs.inputAnswers.push_back(std::string("fern"));
  page().NeuBtn2->click();
  EXPECT_TRUE(fs::is_directory(server_->Home() / "fern"));
  EXPECT_GE(RowOf(page().Remote().Rows, "fern"), 0);

  dialogs.inputAnswers.push_back(std::string("fern"));
  page().NeuBtn2->click();
  EXPECT_EQ(form.StatusText(2), "Verzeichnis konnte nicht angelegt werden!");
  // A name that would leave the folder is refused.
  dialogs.inputAnswers.push_back(std::string("../draussen"));
  page().NeuBtn1->click();
  EXPECT_EQ(form.StatusText(2), "Verzeichnis konnte nicht angelegt werden!");
  EXPECT_FALSE(fs::exists(local.parent_path() / "draussen"));
}

TEST_F(FtpBrowserPageTest, RenamingInPlaceOnBothSides) {
  WriteFile(server_->Home() / "alt.txt", "a");
  WriteFile(local / "lokal.txt", "l");
  ShowLocal(local);
  ConnectToServer();

  QAbstractItemModel* remote = page().ListView2->model();
  // The current directory and ".." keep their captions.
  EXPECT_FALSE(remote->flags(remote->index(0, 0)) & Qt::ItemIsEditable);
  EXPECT_FALSE(remote->flags(remote->index(1, 0)) & Qt::ItemIsEditable);
  const int row = RowOf(page().Remote().Rows, "alt.txt");
  EXPECT_TRUE(remote->flags(remote->index(row, 0)) & Qt::ItemIsEditable);
  remote->setData(remote->index(row, 0), "neu.txt", Qt::EditRole);
  QApplication::processEvents();
  EXPECT_TRUE(fs::exists(server_->Home() / "neu.txt"));
  EXPECT_GE(RowOf(page().Remote().Rows, "neu.txt"), 0);

  // A text that starts with a blank changes nothing but the list is read again.
  WriteFile(server_->Home() / "spaeter.txt", "s");
  remote->setData(remote->index(RowOf(page().Remote().Rows, "neu.txt"), 0), " x", Qt::EditRole);
  QApplication::processEvents();
  EXPECT_TRUE(fs::exists(server_->Home() / "neu.txt"));
  EXPECT_GE(RowOf(page().Remote().Rows, "spaeter.txt"), 0);

  QAbstractItemModel* localModel = page().ListView1->model();
  localModel->setData(localModel->index(RowOf(page().Local().Rows, "lokal.txt"), 0), "neu.txt",
                      Qt::EditRole);
  QApplication::processEvents();
  EXPECT_TRUE(fs::exists(local / "neu.txt"));
  EXPECT_FALSE(fs::exists(local / "lokal.txt"));
  localModel->setData(localModel->index(RowOf(page().Local().Rows, "neu.txt"), 0), "a/b",
                      Qt::EditRole);
  QApplication::processEvents();
  EXPECT_EQ(dialogs.messages.back().text, "Umbenennung fehlgeschlagen");
  EXPECT_TRUE(fs::exists(local / "neu.txt"));
}

TEST_F(FtpBrowserPageTest, HeaderClickSortsAndTheColumnHoldsForTheOtherList) {
  WriteFile(local / "gross.txt", std::string(300, 'g'));
  WriteFile(local / "klein.txt", "k");
  fs::create_directories(local / "ordner");
  ShowLocal(local);
  page().ListView1->header()->sectionClicked(1);
  EXPECT_EQ(page().SortColumn(), FtpSortColumn::Size);
  const std::string here = local.filename().string();
  EXPECT_EQ(Captions(page().Local().Rows),
            (std::vector<std::string>{"..", here, "ordner", "klein.txt", "gross.txt"}));
  EXPECT_EQ(page().ListView1->model()->data(page().ListView1->model()->index(4, 0)).toString(),
            "gross.txt");

  WriteFile(server_->Home() / "zwei.txt", "22");
  WriteFile(server_->Home() / "eins.txt", "1111");
  ConnectToServer();
  EXPECT_EQ(Captions(page().Remote().Rows),
            (std::vector<std::string>{"..", ".", "zwei.txt", "eins.txt"}));
  page().ListView2->header()->sectionClicked(0);
  EXPECT_EQ(Captions(page().Remote().Rows),
            (std::vector<std::string>{"..", ".", "eins.txt", "zwei.txt"}));
}

TEST_F(FtpBrowserPageTest, DropsTransferTheOtherListsSelection) {
  WriteFile(local / "hoch.txt", "up");
  WriteFile(server_->Home() / "runter.txt", "down");
  ShowLocal(local);
  ConnectToServer();

  Mark(page().ListView1, page().Local().Rows, "hoch.txt");
  FtpRowModel& localModel = page().ListView1->Model();
  std::unique_ptr<QMimeData> drag(localModel.mimeData({localModel.index(3, 0)}));
  // A list does not take its own rows.
  EXPECT_FALSE(localModel.dropMimeData(drag.get(), Qt::CopyAction, -1, -1, {}));
  EXPECT_TRUE(page().ListView2->Model().dropMimeData(drag.get(), Qt::CopyAction, -1, -1, {}));
  EXPECT_EQ(ReadFile(server_->Home() / "hoch.txt"), "up");
  EXPECT_GE(RowOf(page().Remote().Rows, "hoch.txt"), 0);

  Mark(page().ListView2, page().Remote().Rows, "runter.txt");
  FtpRowModel& remoteModel = page().ListView2->Model();
  std::unique_ptr<QMimeData> back(remoteModel.mimeData({remoteModel.index(2, 0)}));
  EXPECT_TRUE(localModel.dropMimeData(back.get(), Qt::CopyAction, -1, -1, {}));
  EXPECT_EQ(ReadFile(local / "runter.txt"), "down");
}

TEST_F(FtpBrowserPageTest, DropRuleRefusesTheTopRowsAndSpecialSources) {
  for (int i = 0; i < 12; ++i) WriteFile(local / ("f" + std::to_string(i)), "x");
  for (int i = 0; i < 12; ++i) WriteFile(server_->Home() / ("r" + std::to_string(i)), "x");
  ShowLocal(local);
  ConnectToServer();
  form.resize(800, 600);
  form.show();
  QApplication::processEvents();

  FtpBrowserListView* target = page().ListView2;
  const QPoint firstRow = target->visualRect(target->model()->index(0, 0)).center();
  const QPoint secondRow = target->visualRect(target->model()->index(1, 0)).center();
  const QPoint lower = target->visualRect(target->model()->index(6, 0)).center();
  Mark(page().ListView1, page().Local().Rows, "f3");
  EXPECT_FALSE(target->AcceptsDrop(page().ListView1, firstRow));
  EXPECT_FALSE(target->AcceptsDrop(page().ListView1, secondRow));
  EXPECT_TRUE(target->AcceptsDrop(page().ListView1, lower));
  EXPECT_FALSE(target->AcceptsDrop(target, lower));
  page().ListView1->SelectRow(0);  // ".."
  EXPECT_FALSE(target->AcceptsDrop(page().ListView1, lower));
  page().ListView1->SelectRow(1);  // the current directory
  EXPECT_FALSE(target->AcceptsDrop(page().ListView1, lower));
  form.hide();
}

TEST_F(FtpBrowserPageTest, WhileBusyTheRemoteSideRefusesKeysClicksAndEditing) {
  fs::create_directories(server_->Home() / "sub");
  ConnectToServer();
  form.Connection().SetBusy(true);
  page().VerzEdit2->setText("/");
  QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QApplication::sendEvent(page().VerzEdit2, &key);
  EXPECT_EQ(page().VerzEdit2->text(), "/");
  EXPECT_EQ(form.StatusText(2), "Bitte warten!");

  form.ClearFtpStatus(2, 2);
  page().ListView2->DoubleClickRow(RowOf(page().Remote().Rows, "sub"));
  EXPECT_EQ(form.StatusText(2), "Bitte warten!");
  EXPECT_EQ(page().VerzEdit2->text(), "/");

  const QModelIndex row = page().ListView2->model()->index(RowOf(page().Remote().Rows, "sub"), 0);
  page().ListView2->setCurrentIndex(row);
  page().ListView2->edit(row);
  EXPECT_FALSE(page().ListView2->Selection().Editing);
  form.Connection().SetBusy(false);
}

TEST_F(FtpBrowserPageTest, ProfileFoldersFillTheFieldsAndAreReadBack) {
  WriteFile(local / "p.txt", "p");
  FtpFolderValues shown;
  shown.LocalDir = local.string();
  shown.RemoteDir = "/web";
  page().ShowFolders(shown);
  EXPECT_EQ(page().VerzEdit2->text(), "/web");
  EXPECT_GE(RowOf(page().Local().Rows, "p.txt"), 0);

  page().VerzEdit2->setText("/anders");
  std::string unwritable;
  const FtpFolderValues read = page().ReadFolders(unwritable);
  EXPECT_EQ(read.LocalDir, local.string());
  EXPECT_EQ(read.RemoteDir, "/anders");
}

}  // namespace

// pyftpdlib speaks UTF-8: the lists show the decoded names in the learner's order, the path
// field the decoded path, and transfers and renames keep every name exactly.
TEST_F(FtpBrowserPageTest, UmlautAndForeignNamesShowDecodedAndTravelExactly) {
  const std::string uebungen = "\xC3\x9C" "bungen", groesse = "Gr\xC3\xB6\xC3\x9F" "e_\xC3\xA4.txt";
  const std::string lodz = "\xC5\x81\xC3\xB3" "d\xC5\xBA.evd", nihongo = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";
  fs::create_directories(server_->Home() / uebungen);
  WriteFile(server_->Home() / uebungen / groesse, "gross");
  WriteFile(server_->Home() / uebungen / lodz, "lodz");
  fs::create_directory(server_->Home() / uebungen / nihongo);
  WriteFile(server_->Home() / uebungen / "Zebra.txt", "z");
  WriteFile(server_->Home() / uebungen / "Apfel.txt", "a");
  ShowLocal(local);
  ConnectToServer();
  ASSERT_EQ(form.Client().NameEncoding(), FtpNameEncoding::Utf8);

  page().ListView2->DoubleClickRow(RowOf(page().Remote().Rows, uebungen));
  EXPECT_EQ(page().VerzEdit2->text(), QString::fromUtf8("/Übungen"));
  EXPECT_EQ(Captions(page().Remote().Rows),
            (std::vector<std::string>{"..", uebungen, nihongo, "Apfel.txt", groesse, lodz, "Zebra.txt"}));
  const QAbstractItemModel* model = page().ListView2->model();
  EXPECT_EQ(model->data(model->index(RowOf(page().Remote().Rows, lodz), 0)).toString(),
            QString::fromUtf8("Łódź.evd"));

  for (const std::string& name : {groesse, lodz}) {
    page().ListView2->clearSelection();
    Mark(page().ListView2, page().Remote().Rows, name);
    form.Command(FtpCommand::Downstarten1)->trigger();
    EXPECT_EQ(form.StatusText(2), "Herunterladen beendet") << name;
  }
  EXPECT_EQ(ReadFile(local / groesse), "gross");
  EXPECT_EQ(ReadFile(local / lodz), "lodz");
  // The log book and the panels show the names as they are, not with "?" for what
  // Windows-1252 lacks.
  const FtpLogBook& book = form.LogPage().LogBook();
  EXPECT_NE(std::find(book.Lines().begin(), book.Lines().end(), "Downloadstart: " + lodz + "   4"),
            book.Lines().end());
  fs::create_directory(local / nihongo);
  page().ListLocal();
  page().ListView1->clearSelection();
  Mark(page().ListView1, page().Local().Rows, nihongo);
  dialogs.messageAnswers.push_back(MsgResult::Yes);
  page().DelBtn1->click();
  EXPECT_EQ(form.StatusText(2), QString::fromStdString(nihongo + " gelöscht"));
  EXPECT_EQ(book.Lines().back(), nihongo + " gelöscht");

  // Renamed in place: the new text reaches the server as UTF-8.
  QAbstractItemModel* remote = page().ListView2->model();
  remote->setData(remote->index(RowOf(page().Remote().Rows, "Zebra.txt"), 0), QString::fromUtf8("Zäbra.txt"),
                  Qt::EditRole);
  QApplication::processEvents();
  EXPECT_TRUE(fs::exists(server_->Home() / uebungen / "Z\xC3\xA4" "bra.txt"));

  // The local list shows the downloaded names decoded and uploads them under the same bytes.
  fs::remove(server_->Home() / uebungen / lodz);
  page().ListLocal();
  page().ListView1->clearSelection();
  Mark(page().ListView1, page().Local().Rows, lodz);
  page().HochBtn->click();
  EXPECT_EQ(form.StatusText(2), "Hochladen beendet");
  EXPECT_EQ(ReadFile(server_->Home() / uebungen / lodz), "lodz");
}

// A profile opened while the list shows another server's rows: the rows go, as with "- neu",
// so no command can act on a row of the server shown before.
TEST_F(FtpBrowserPageTest, OpeningAProfileEmptiesTheRemoteList) {
  WriteFile(server_->Home() / "fremd.txt", "f");
  ConnectToServer();
  ASSERT_NE(RowOf(page().Remote().Rows, "fremd.txt"), -1);
  const fs::path profile = local / "anderer.ftpz";
  ASSERT_TRUE(form.Profiles().WriteProfile(profile));
  ASSERT_TRUE(form.Profiles().ReadProfile(profile));
  EXPECT_TRUE(page().Remote().Rows.empty());
  EXPECT_EQ(page().ListView2->model()->rowCount(), 0);
}

TEST(FtpStoredFields, ATextTheRecordCannotHoldIsNamedForTheRefusal) {
  std::string unwritable;
  EXPECT_EQ(FromQStored(QString::fromUtf8("/Übungen"), unwritable), A("/Übungen"));
  EXPECT_TRUE(unwritable.empty());
  EXPECT_EQ(FromQStored(QString::fromUtf8("/Łódź"), unwritable), A("/?ód?"));
  EXPECT_EQ(unwritable, A("/?ód?"));
  FromQStored(QString::fromUtf8("日本語"), unwritable);
  EXPECT_EQ(unwritable, A("/?ód?")) << "the first one is named";
}
