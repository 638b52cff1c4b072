#pragma once
// The page "Verzeichnisse / Dateien": the local list ListView1 and the remote list ListView2
// with their path fields and buttons, the transfer and delete commands on the marked rows, and
// drag and drop between the lists. The rows, their order and every server and file action are
// core code; this page shows rows and calls it.
#include <QObject>
#include <memory>
#include <optional>

#include "FtpBrowserRows.h"
#include "FtpLocalListing.h"
#include "FtpProfile.h"
#include "FtpRemoteListing.h"
#include "FtpSelectionTransfer.h"

class TFTPForm1;
class QWidget;
class QLabel;
class QLineEdit;
class QPushButton;
class FtpBrowserListView;
class FtpRemoteListView;

class FtpBrowserPage : public QObject {
  Q_OBJECT

 public:
  FtpBrowserPage(TFTPForm1& window, QWidget* page);
  ~FtpBrowserPage() override;

  // Start-up of the window on each show: the list columns are set up.
  void StartUp();
  // The page layout after a resize of the window.
  void Layout();

  // What the other pages and the scheduler use.
  FtpSelection MarkedRows(FtpTag tag) const;
  std::optional<FtpSelectedRow> CurrentRow(FtpTag tag) const;
  FtpSelectionCommands& SelectionCommands() { return *commands_; }
  FtpLocalSide& Local() { return local_; }
  FtpRemoteSide& Remote() { return remote_; }
  void ListLocal();
  void ListRemote();
  FtpSortColumn SortColumn() const { return sortColumn_; }
  void SetSortColumn(FtpSortColumn column) { sortColumn_ = column; }

  // The profile's part this page shows; a folder text the record cannot hold is named in
  // unwritable.
  FtpFolderValues ReadFolders(std::string& unwritable) const;
  void ShowFolders(const FtpFolderValues& folders);

  // The commands of the page's controls.
  void ChangeLocal();      // Enter in VerzEdit1, ListBtn1
  void ChangeRemote();     // Enter in VerzEdit2, ListBtn2
  void ListView1DblClick(int row);
  void NeuBtn2Click(FtpTag tag);
  void ExploreBtnClick();
  void DownTBtnClick(FtpTag tag);
  void DelBtn1Click(FtpTag tag);
  void DropOnto(FtpTag target, int sourceTag);
  void RenameLocal(int row, const std::string& newText);

  bool eventFilter(QObject* watched, QEvent* event) override;

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* VerzEdit1 = nullptr;
  QLineEdit* VerzEdit2 = nullptr;
  FtpBrowserListView* ListView1 = nullptr;
  FtpRemoteListView* ListView2 = nullptr;
  QPushButton* ListBtn1 = nullptr;
  QPushButton* ListBtn2 = nullptr;
  QPushButton* ExploreBtn = nullptr;
  QPushButton* NeuBtn1 = nullptr;
  QPushButton* NeuBtn2 = nullptr;
  QPushButton* DelBtn1 = nullptr;
  QPushButton* DelBtn2 = nullptr;
  QPushButton* HochBtn = nullptr;
  QPushButton* HerunterBtn = nullptr;
  QPushButton* htDelBtn = nullptr;
  QPushButton* htDownBtn = nullptr;

 private:
  void BuildControls();
  void WireLists();
  void WireWindow();
  FtpBrowserListView* List(FtpTag tag) const;
  void ReadLocalField();
  void ShowLocal();
  void MarkFolderChanged();
  bool OnBrowserPage() const;
  static void HideCurrentFolderRow(FtpBrowserListView* list);

  TFTPForm1& window_;
  QWidget* page_;
  FtpLocalSide local_;
  FtpRemoteSide remote_;
  FtpSortColumn sortColumn_ = FtpSortColumn::Name;
  std::unique_ptr<FtpSelectionCommands> commands_;
};
