#pragma once
// "Importieren": the dialog that asks how a word list is read. For CSV/TSV it shows the first
// records as a preview, as the text will arrive (HTML decoded), with the separator, the
// encoding, the header row and which column holds German, French and the lesson (any column,
// named as the file names it); rows that will be left out are told below. For a KVTML file
// whose German and French it cannot tell, or that has one language only, it proposes the
// languages found by locale and name, lets the learner choose ("(keine)" leaves a column
// empty) and previews the first rows. The rules live in the core (CsvList, KvtmlList); the
// dialog only holds the choice.

#include <QDialog>
#include <string>

#include "CsvList.h"
#include "KvtmlList.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QWidget;

class TImportDlg : public QDialog {
 public:
  explicit TImportDlg(QWidget* parent = nullptr);

  // Shows the preview of the text; on OK options hold the choice. False on Cancel.
  bool AskCsv(const std::string& bytes, CsvOptions& options);
  // Asks for the German and the French identifier of the file (bytes), with a preview of the
  // rows they give. False on Cancel.
  bool AskLanguages(const std::string& bytes, const KvtmlFile& file, KvtmlPair& pair);

  QComboBox* SeparatorBox = nullptr;
  QComboBox* EncodingBox = nullptr;
  QCheckBox* HeaderBox = nullptr;
  QComboBox* GermanBox = nullptr;
  QComboBox* FrenchBox = nullptr;
  QComboBox* LessonBox = nullptr;
  QTableWidget* Preview = nullptr;
  QLabel* Problem = nullptr;
  QPushButton* OkBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

 private:
  CsvOptions ChosenOptions() const;
  void Reparse();    // separator, encoding or header changed
  void ShowRoles();  // a column choice changed
  void FillColumnBoxes(int columns, const CsvColumns& chosen);
  QString ColumnCaption(int column) const;
  void ShowIssues();
  KvtmlPair ChosenLanguages() const;
  void ShowLanguageRows();  // a language choice changed

  QWidget* csvPart_ = nullptr;
  QLabel* lessonLabel_ = nullptr;
  std::string bytes_;
  CsvTable table_;
  const KvtmlFile* kvtml_ = nullptr;  // while the languages are asked
  bool filling_ = false;
};
