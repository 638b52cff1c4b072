#include "Vokunit1.h"

#include "DocumentCommands.h"
#include "Win1252.h"

namespace {
constexpr char kBackspace = 8;

bool IsSmallLetter(char c) { return c >= 'a' && c <= 'z'; }
}  // namespace

std::string LessonCode(const std::string& title, int schoolClass, int lesson,
                       const std::string& suffix) {
  return title + "-" + std::to_string(schoolClass) + "-" + std::to_string(lesson) + suffix;
}

void TagLessonRows(VokDocument& doc, const std::string& code) {
  for (int box = 1; box <= VokDocument::kBoxCount; ++box) {
    VokTable& t = doc.Box(box);
    auto& rows = t.MutableRows();
    for (size_t r = 1; r < rows.size(); ++r) rows[r][0] = code;
    t.NotifyCellsChanged(1, t.RowCount() - 1, 0, 0);
  }
}

std::string LessonFileName(const std::string& code) { return code + ".le"; }

bool SaveAsLesson(VokDocument& doc, tFileClass& file, const std::string& code) {
  TagLessonRows(doc, code);
  file.SetSaveFilterIndex(kAllFilesFilter);
  const bool saved = file.SaveAs(LessonFileName(code));
  file.SetSaveFilterIndex(kVocabFilesFilter);
  return saved;
}

bool TitleAcceptsKey(char c) {
  return c == kBackspace || static_cast<unsigned char>(c) >= static_cast<unsigned char>('0');
}

bool SuffixAcceptsKey(char c) { return c == kBackspace || IsSmallLetter(c); }

std::string TitleFieldText(const std::string& text) {
  std::string kept;
  for (char c : text) {
    if (c != kBackspace && TitleAcceptsKey(c) && kept.size() < LessonFields::kTitleMax)
      kept.push_back(static_cast<char>(win1252::UpperChar(static_cast<unsigned char>(c))));
  }
  return kept;
}

std::string SuffixFieldText(const std::string& text) {
  std::string kept;
  for (char c : text)
    if (IsSmallLetter(c) && kept.size() < LessonFields::kSuffixMax) kept.push_back(c);
  return kept;
}

void LessonDialogState::PressOk() {
  code_ = LessonCode(fields.title, fields.schoolClass, fields.lesson, fields.suffix);
  okPressed_ = true;
}

bool LessonDialogState::CanClose(Dialogs& dialogs) {
  if (!okPressed_ || !fields.title.empty()) return true;
  dialogs.Message("Tirelo V", kFillInTitle, MsgButtons::Ok, MsgIcon::Warning);
  okPressed_ = false;
  return false;
}
