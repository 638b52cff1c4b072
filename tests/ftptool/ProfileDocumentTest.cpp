// The profile document's flows: the prompt about changes, the loading flag, and what a failed
// read or write leaves behind.
#include <gtest/gtest.h>

#include <vector>

#include "FtpFilecls.h"
#include "ScriptedDialogs.h"

namespace {

class ProfileDocumentFlows : public ::testing::Test {
 protected:
  ProfileDocument& Document() { return document_; }

  ScriptedDialogs dialogs_;
  std::vector<std::string> calls_;
  bool readResult_ = true, writeResult_ = true;
  bool loadingDuringRead_ = false, loadingDuringNew_ = false;
  std::vector<bool> modifiedShown_;
  ProfileDocument document_{dialogs_, ProfileDocumentActions{
      [this](const std::filesystem::path& name) {
        loadingDuringNew_ = document_.Loading();
        calls_.push_back("new " + name.string());
      },
      [this](const std::filesystem::path& path) {
        loadingDuringRead_ = document_.Loading();
        calls_.push_back("read " + path.string());
        return readResult_;
      },
      [this](const std::filesystem::path& path) {
        calls_.push_back("write " + path.string());
        return writeResult_;
      },
      [this](bool modified) { modifiedShown_.push_back(modified); }}};
};

}  // namespace

TEST_F(ProfileDocumentFlows, QuerySaveAsksOnlyWhenModified) {
  EXPECT_TRUE(document_.QuerySave());
  EXPECT_TRUE(dialogs_.messages.empty());
  document_.SetFileName("/p/zugang.ftpz");
  document_.SetModified();
  dialogs_.messageAnswers = {MsgResult::Cancel, MsgResult::No, MsgResult::Yes};
  EXPECT_FALSE(document_.QuerySave());
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text, "Datei \"zugang.ftpz\" wurde ge\xE4ndert. Speichern?");
  EXPECT_EQ(dialogs_.messages[0].buttons, MsgButtons::YesNoCancel);
  EXPECT_TRUE(document_.QuerySave());
  EXPECT_TRUE(calls_.empty());
  EXPECT_TRUE(document_.QuerySave());
  EXPECT_EQ(calls_, std::vector<std::string>{"write /p/zugang.ftpz"});
  EXPECT_FALSE(document_.Modified());
  EXPECT_EQ(modifiedShown_, (std::vector<bool>{true, false}));
}

TEST_F(ProfileDocumentFlows, NewAndOpenRunWithTheLoadingFlag) {
  document_.SetModified();
  dialogs_.messageAnswers = {MsgResult::No};
  ASSERT_TRUE(document_.NewDocument());
  EXPECT_TRUE(loadingDuringNew_);
  EXPECT_FALSE(document_.Loading());
  EXPECT_FALSE(document_.Modified());
  EXPECT_TRUE(document_.IsUntitled());

  dialogs_.fileAnswers = {FileChoice{"/daten/server.ftpz", 1}};
  ASSERT_TRUE(document_.OpenDocument());
  EXPECT_TRUE(loadingDuringRead_);
  EXPECT_EQ(document_.FileName(), "/daten/server.ftpz");
  EXPECT_EQ(document_.LastDirectory(), "/daten");
  ASSERT_EQ(dialogs_.openRequests.size(), 1u);
  EXPECT_EQ(dialogs_.openRequests[0].filter, "FTP-Zugang (*.ftpz)|*.ftpz|Alle Dateien (*.*)|*.*|");
  EXPECT_EQ(dialogs_.openRequests[0].defaultExt, "ftpz");
  EXPECT_EQ(dialogs_.openRequests[0].fileName, "");

  // The next open proposes the open profile in its folder.
  document_.SetLastDirectory("/anderswo");
  dialogs_.fileAnswers = {std::nullopt};
  EXPECT_FALSE(document_.OpenDocument());
  EXPECT_EQ(dialogs_.openRequests[1].fileName, "server.ftpz");
  EXPECT_EQ(dialogs_.openRequests[1].initialDir, "/daten");
}

TEST_F(ProfileDocumentFlows, FailedOpenKeepsTheProfileItsName) {
  document_.SetFileName("/daten/alt.ftpz");
  document_.SetModified();
  dialogs_.messageAnswers = {MsgResult::No};
  dialogs_.fileAnswers = {FileChoice{"/daten/kaputt.ftpz", 1}};
  readResult_ = false;
  EXPECT_FALSE(document_.OpenDocument());
  EXPECT_EQ(document_.FileName(), "/daten/alt.ftpz");
  EXPECT_TRUE(document_.Modified());
}

TEST_F(ProfileDocumentFlows, SaveOfAnUntitledProfileAsksForAName) {
  document_.SetModified();
  dialogs_.fileAnswers = {FileChoice{"/daten/neu.ftpz", 1}};
  ASSERT_TRUE(document_.SaveDocument());
  ASSERT_EQ(dialogs_.saveRequests.size(), 1u);
  EXPECT_EQ(dialogs_.saveRequests[0].fileName, "");
  EXPECT_EQ(calls_, std::vector<std::string>{"write /daten/neu.ftpz"});
  EXPECT_EQ(document_.LastDirectory(), "/daten");
  EXPECT_FALSE(document_.Modified());
  // A named profile is written in place.
  document_.SetModified();
  ASSERT_TRUE(document_.SaveDocument());
  EXPECT_EQ(dialogs_.saveRequests.size(), 1u);
}

TEST_F(ProfileDocumentFlows, FailedSaveAsKeepsTheChangesMarked) {
  document_.SetModified();
  writeResult_ = false;
  dialogs_.fileAnswers = {FileChoice{"/schreibgeschuetzt/p.ftpz", 1}};
  EXPECT_FALSE(document_.SaveDocumentAs());
  EXPECT_TRUE(document_.Modified());
  dialogs_.fileAnswers = {std::nullopt};
  EXPECT_FALSE(document_.SaveDocumentAs());
  EXPECT_EQ(dialogs_.saveRequests[1].fileName, "p.ftpz");
}
