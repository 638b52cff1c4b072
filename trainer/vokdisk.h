#pragma once
// Vocabulary files (".evd") and lesson files (".le"): the three learning boxes one after the
// other, each as a tagged row count followed by the tagged row texts, header row first. The
// clipboard table is never stored.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "Dialogs.h"
#include "StatusLine.h"
#include "VokDocument.h"
#include "VokFileCodec.h"

// Replace: the file's boxes take the place of the document's. Add: the file's box k is merged
// into box k of the document, staged through the clipboard table ("Lektion hinzufügen").
enum class ReadMode { Replace, Add };

// What reading a file asks of the main window besides the status bar.
class VokFileWindow {
 public:
  virtual ~VokFileWindow() = default;
  virtual void ShowBoxStarts() = 0;      // every box shows its first row
  virtual void ShowFirstPage() = 0;      // box 1 becomes the page shown
  virtual void RefreshTableViews() = 0;  // views redrawn with the current display settings
};

// What one read may make of a file: the rows (96 bytes each) and the texts too long to sit in
// their strings, counted as they are made. A row of real words takes 100 to 200 bytes, so
// three boxes of 200 000 rows need about 100 MB; a damaged file of empty rows would otherwise
// take some fifty times its size, whatever that size is.
inline constexpr std::size_t kVokReadBudget = std::size_t{256} << 20;

class VokReadBudget {
 public:
  explicit VokReadBudget(std::size_t bytes) : left_(bytes) {}
  bool Take(std::size_t bytes) {
    if (bytes > left_) return false;
    left_ -= bytes;
    return true;
  }

 private:
  std::size_t left_;
};

// The window parts the file operations report to; each may be null (tools, tests).
struct VokFileEnv {
  StatusView* status = nullptr;
  Dialogs* dialogs = nullptr;
  VokFileWindow* window = nullptr;
  std::size_t readBudget = kVokReadBudget;
};

inline const std::string kFileSaved = "Datei gespeichert!";
inline const std::string kFileAdded = "Datei hinzugef\xFCgt!";
inline const std::string kFileNotRead = "Datei nicht eingelesen";

// The message box text when a file cannot be written; fileName without folder.
std::string WriteFailedText(const std::string& fileName);

// One row item of a file, as stored, appended as a new row: what converting it to
// Windows-1252 and SplitRowText give, in one pass over its bytes. With tidyWords the two word
// cells are tidied as NormalizeCell does. scratch is working storage, reused from row to row.
void AppendRowItem(const vokfile::RawString& item, std::vector<VokRow>& rows, bool tidyWords,
                   std::string& scratch);

// Reads a vocabulary file into the document. A file that cannot be opened, or an item that
// is damaged or cut short, stops the read with "Datei nicht eingelesen" and false; boxes
// read before the damage are still replaced (or their rows added). A file whose rows would
// take more than env.readBudget fails the same way and leaves the document as it was.
bool ReadVocabFile(VokDocument& doc, const std::filesystem::path& path, ReadMode mode,
                   const VokFileEnv& env);

// Tidies the boxes (CompactAllBoxes) and writes them. The old file is replaced only once the
// new one is completely written; on failure it stays untouched, the message box says so and
// the result is false.
bool WriteVocabFile(VokDocument& doc, const std::filesystem::path& path, const VokFileEnv& env);

// The bytes of a file holding the three boxes as they stand (no tidying).
std::string EncodeVocabFile(const VokDocument& doc);

// Fills the document from the bytes of a file, box by box, as ReadVocabFile does before it
// tidies the boxes, within kVokReadBudget. False at the first damaged item; boxes before it
// are filled. In Add
// mode status receives the transfer messages of AppendRows.
bool DecodeVocabFile(std::string_view bytes, VokDocument& doc, ReadMode mode,
                     StatusView* status);
