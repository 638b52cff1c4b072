#include "VokTest.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>

#include "Layout.h"
#include "vokGrid.h"

using vok::Normalized;

RandomSource ClockSeededRandom() {
  const auto seed = static_cast<std::uint64_t>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  auto engine = std::make_shared<std::mt19937>(static_cast<std::uint32_t>(seed ^ (seed >> 32)));
  return [engine](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(*engine);
  };
}

namespace {

// A source that strays outside its range is held to it, so a bad source cannot index past the
// box.
int Draw(const RandomSource& random, int low, int high) {
  return std::clamp(random(low, high), low, high);
}

int AskedColumn(const VokTable& box, TestDirection direction, const RandomSource& random) {
  switch (direction) {
    case TestDirection::IntoFrench:
      return FrenchColumn(box);
    case TestDirection::IntoGerman:
      return GermanColumn(box);
    case TestDirection::Mixed:
      break;
  }
  return Draw(random, 1, 2);
}

// The alternatives of a text split at every "/", each tidied.
std::vector<std::string> Alternatives(std::string_view text) {
  std::vector<std::string> pieces;
  size_t start = 0;
  for (;;) {
    const size_t slash = text.find('/', start);
    const size_t end = slash == std::string_view::npos ? text.size() : slash;
    pieces.push_back(Normalized(std::string(text.substr(start, end - start))));
    if (slash == std::string_view::npos) break;
    start = slash + 1;
  }
  return pieces;
}

}  // namespace

bool DrawTest(VokTable& box, const TestSettings& settings, const RandomSource& random,
              VokTest& test) {
  const int b = CountVocabRows(box);
  const int n = std::min({settings.size, b, kMaxQuestions});
  if (n < 1) return false;

  const int germanColumn = GermanColumn(box);
  ResetTable(test.test, germanColumn, n + 1);
  ResetTable(test.solution, germanColumn, n + 1);
  test.n = n;
  test.asked.fill(0);

  std::vector<int> used;
  used.reserve(static_cast<size_t>(n));
  for (int i = 1; i <= n; ++i) {
    int e = Draw(random, 1, b);
    while (std::find(used.begin(), used.end(), e) != used.end()) e = Draw(random, 1, b);
    used.push_back(e);

    const VokRow& row = box.Row(e);
    test.solution.SetRow(i, row);
    const int f = AskedColumn(box, settings.direction, random);
    test.asked[static_cast<size_t>(i)] = static_cast<std::uint8_t>(f);
    VokRow question = row;
    question[static_cast<size_t>(f)].clear();
    test.test.SetRow(i, std::move(question));
  }

  test.marks.assign(static_cast<size_t>(n) + 1, std::string());
  test.result = kResultPending;
  test.corrected = false;
  test.test.cursorRow = 1;
  test.test.cursorCol = test.asked[1];
  test.test.marked = {test.asked[1], 1, test.asked[1], 1};
  return true;
}

std::string StripRemarks(std::string_view text) {
  std::string s(text);
  for (size_t open; (open = s.find('(')) != std::string::npos;) {
    const size_t close = s.find(')', open);
    s.erase(open, close == std::string::npos ? std::string::npos : close - open + 1);
  }
  return s;
}

bool AnswerMatches(std::string_view answer, std::string_view solution) {
  const std::vector<std::string> allowed = Alternatives(StripRemarks(solution));
  for (const std::string& given : Alternatives(StripRemarks(answer))) {
    if (std::find(allowed.begin(), allowed.end(), given) == allowed.end()) return false;
  }
  return true;
}

int PercentRight(int errors, int n) {
  if (n < 1) return 0;
  return layout::RoundHalfEven(100.0 - static_cast<double>(errors) / n * 100.0);
}

int GradeFor(int percent) {
  if (percent >= 86) return 1;
  if (percent >= 72) return 2;
  if (percent >= 56) return 3;
  if (percent >= 41) return 4;
  if (percent >= 26) return 5;
  return 6;
}

std::string ResultLine(int errors, int percent, int grade) {
  return std::to_string(errors) + " Fehler (" + std::to_string(percent) +
         "% richtig) Note: " + std::to_string(grade);
}

void CorrectTest(VokTest& test) {
  if (test.n < 1) return;
  TrimTable(test.test);
  TrimTable(test.solution);
  test.marks.assign(static_cast<size_t>(test.n) + 1, std::string());
  test.marks[0] = kMarkTitle;
  int errors = 0;
  for (int r = 1; r <= test.n; ++r) {
    const int f = test.asked[static_cast<size_t>(r)];
    const bool right = AnswerMatches(test.test.Cell(f, r), test.solution.Cell(f, r));
    if (!right) ++errors;
    test.marks[static_cast<size_t>(r)] = right ? kMarkRight : kMarkWrong;
  }
  const int percent = PercentRight(errors, test.n);
  test.result = ResultLine(errors, percent, GradeFor(percent));
  test.corrected = true;
}
