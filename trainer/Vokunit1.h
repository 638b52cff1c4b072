#pragma once
// Lesson codes: the tag every row of a lesson file carries ("ABC-7-12b"), the input rules of
// the lesson dialog ("Eingabe der Lerneinheit"), and tagging the boxes with a code before the
// document is saved as a lesson.

#include <string>

#include "Dialogs.h"
#include "VokDocument.h"
#include "filecls.h"

// title + "-" + class + "-" + lesson + suffix; the numbers in decimal without leading zeros.
std::string LessonCode(const std::string& title, int schoolClass, int lesson,
                       const std::string& suffix);

// Puts the code into the lesson cell of every data row of boxes 1, 2 and 3. The document's
// modified flag is left alone.
void TagLessonRows(VokDocument& doc, const std::string& code);

// The name the save dialog proposes for a lesson file.
std::string LessonFileName(const std::string& code);

// "als Lektion speichern" once the lesson dialog gave a code: tags the boxes, then the save
// dialog on "alle Dateien (*.*)" proposing code + ".le"; afterwards the first filter entry
// again. If the user cancels, the tags stay and the document keeps its name.
bool SaveAsLesson(VokDocument& doc, tFileClass& file, const std::string& code);

// The dialog's fields and their limits. Texts are Windows-1252.
struct LessonFields {
  static constexpr size_t kTitleMax = 3;
  static constexpr size_t kSuffixMax = 1;
  static constexpr int kClassMin = 7, kClassMax = 10;
  static constexpr int kLessonMin = 1, kLessonMax = 30;

  std::string title;  // upper case
  int schoolClass = kClassMin;
  int lesson = kLessonMin;
  std::string suffix;  // a to z
};

// A typed character the title field takes: Backspace, or any code from the digit zero up.
bool TitleAcceptsKey(char c);
// A typed character the suffix field takes: Backspace or a to z.
bool SuffixAcceptsKey(char c);

// The title as the field keeps it: characters below the digit zero dropped, upper case, at
// most three characters. Used for typed and pasted text alike.
std::string TitleFieldText(const std::string& text);
// The suffix as the field keeps it: only a to z, at most one character.
std::string SuffixFieldText(const std::string& text);

// The dialog's OK/close rule. OK builds the code and sets the OK mark; closing is refused
// while the OK mark is set and the title is empty: the message is shown and the mark cleared,
// so Cancel then closes normally.
class LessonDialogState {
 public:
  LessonFields fields;

  void Shown() { okPressed_ = false; }  // each showing starts without the OK mark
  void PressOk();
  bool CanClose(Dialogs& dialogs);
  bool OkPressed() const { return okPressed_; }
  const std::string& Code() const { return code_; }

 private:
  bool okPressed_ = false;
  std::string code_;
};

inline const std::string kFillInTitle = "Bitte Titel-Feld ausf\xFCllen";
