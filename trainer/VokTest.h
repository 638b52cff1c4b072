#pragma once
// The written vocabulary test: drawing questions from a box, marking the answers and grading.
// The test window (TTestDlg) shows a VokTest and calls these operations; nothing of a test is
// stored.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "VokTable.h"

// Which word the learner has to write.
enum class TestDirection {
  IntoFrench,  // "ins Französische": the French word is asked
  IntoGerman,  // "ins Deutsche": the German word is asked
  Mixed,       // "durcheinander": column 1 or 2 at random, per question
};

// The checked items of the "Test" menu.
struct TestSettings {
  int size = 5;  // 5, 10 or 20 words
  TestDirection direction = TestDirection::IntoFrench;
};

// A uniform pseudo-random integer from low to high inclusive.
using RandomSource = std::function<int(int low, int high)>;

// A uniform generator seeded from the clock; every call of this function seeds a new one.
RandomSource ClockSeededRandom();

inline constexpr int kMaxQuestions = 20;

// One test, held by the test window until the next test replaces it.
struct VokTest {
  int n = 0;           // number of questions, 0 before the first test
  VokTable test;       // the drawn rows with the asked cell emptied; answers go there
  VokTable solution;   // the drawn rows, all three cells
  std::array<std::uint8_t, kMaxQuestions + 1> asked{};  // entry i (1..n): asked column 1 or 2
  std::vector<std::string> marks;  // entry 0 the title, entries 1..n "r", "f" or empty
  std::string result;              // the result line

  bool corrected = false;
};

// Shown in the main window's third status field when the box has nothing to ask.
inline const std::string kNoVocabulary = "Keine Vokabeln vorhanden";
// The result line before correction.
inline const std::string kResultPending = "Ergebnis:";
inline const std::string kMarkTitle = "K";
inline const std::string kMarkRight = "r";
inline const std::string kMarkWrong = "f";

// Compacts the box (CountVocabRows), then draws min(size, vocabulary rows) different rows at
// random into a fresh test. Returns false, leaving the test as it was, when the box holds no
// vocabulary; the caller then shows kNoVocabulary.
bool DrawTest(VokTable& box, const TestSettings& settings, const RandomSource& random,
              VokTest& test);

// Deletes each remark in parentheses, from the first "(" through the first ")" after it, until
// no "(" is left. An unclosed "(" drops the rest of the text.
std::string StripRemarks(std::string_view text);

// True when every alternative (split at "/") the learner wrote is one of the alternatives of
// the solution, remarks in parentheses left out. Letter case and accents count.
bool AnswerMatches(std::string_view answer, std::string_view solution);

// 100 - errors / n x 100, rounded to the nearest integer, a half to the even neighbour.
int PercentRight(int errors, int n);

// The German school grade 1 (best) to 6 for a percentage of right answers.
int GradeFor(int percent);

// "2 Fehler (80% richtig) Note: 2".
std::string ResultLine(int errors, int percent, int grade);

// Tidies answers and solution (TrimTable), marks every row "r" or "f" and sets the result
// line. May be run any number of times; each run marks the answers as they stand.
void CorrectTest(VokTest& test);
