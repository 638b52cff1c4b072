#include "KreuzCls.h"

#include <chrono>

#include "VokText.h"
#include "Win1252.h"
#include "vokGrid.h"

namespace {

// The lengths of the passes, longest first.
constexpr int kPassLengths[] = {13, 10, 9, 8, 7, 6, 5, 4, 3, 2};

bool IsFree(const CrosswordBoard& board, int x, int y) { return board[x][y].letter == kFreeLetter; }

// The board marks free squares with kFreeLetter and patterns mark open squares with "_": a
// word holding either would read as a free square or match any later crossing.
bool Placeable(const std::string& word) { return word.find_first_of("_#") == std::string::npos; }

// Square i of a slot.
void SlotSquare(int x, int y, int i, Direction direction, int& sx, int& sy) {
  sx = direction == Direction::Across ? x + i : x;
  sy = direction == Direction::Across ? y : y + i;
}

}  // namespace

std::string DirectionText(Direction direction) {
  return direction == Direction::Across ? "waagerecht" : "senkrecht";
}

Crossword::Crossword() {
  for (auto& column : typed) column.fill(' ');
}

void ClockRandom::SeedFromClock() {
  engine_.seed(static_cast<std::mt19937::result_type>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

int ClockRandom::Random(int m) {
  if (m <= 1) return 0;
  return std::uniform_int_distribution<int>(0, m - 1)(engine_);
}

bool MatchesPattern(std::string_view pattern, std::string_view text) {
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '_') continue;
    if (i >= text.size()) return false;
    if (win1252::UpperChar(static_cast<unsigned char>(pattern[i])) !=
        win1252::UpperChar(static_cast<unsigned char>(text[i])))
      return false;
  }
  return true;
}

bool SlotAccepts(const CrosswordBoard& board, int x, int y, int length, Direction direction) {
  const bool across = direction == Direction::Across;
  int bx, by, ax, ay;
  SlotSquare(x, y, -1, direction, bx, by);
  SlotSquare(x, y, length, direction, ax, ay);
  if (!IsFree(board, bx, by) || !IsFree(board, ax, ay)) return false;
  const CrosswordCell& start = board[x][y];
  if (across ? start.acrossStart : start.downStart) return false;
  for (int i = 0; i < length; ++i) {
    int sx, sy;
    SlotSquare(x, y, i, direction, sx, sy);
    if (!IsFree(board, sx, sy)) continue;  // a crossing
    if (across && (!IsFree(board, sx, sy - 1) || !IsFree(board, sx, sy + 1))) return false;
    if (!across && (!IsFree(board, sx - 1, sy) || !IsFree(board, sx + 1, sy))) return false;
  }
  return true;
}

std::string SlotPattern(const CrosswordBoard& board, int x, int y, int length, Direction direction) {
  std::string pattern;
  pattern.reserve(length);
  for (int i = 0; i < length; ++i) {
    int sx, sy;
    SlotSquare(x, y, i, direction, sx, sy);
    pattern += board[sx][sy].letter;
  }
  return pattern;
}

void ClearCrossword(Crossword& puzzle) {
  for (auto& column : puzzle.board)
    for (CrosswordCell& cell : column) cell = CrosswordCell{kFreeLetter, 0, true, false, false};
  for (auto& column : puzzle.typed) column.fill(kFreeLetter);
  puzzle.clues.clear();
  puzzle.clueCounter = 0;
}

CrosswordGenerator::CrosswordGenerator(Crossword& puzzle, CrosswordRandom& random,
                                       CrosswordProgress* progress)
    : puzzle_(puzzle), random_(random), progress_(progress) {}

void CrosswordGenerator::NewCrossword(const VokTable& box1, const VokTable& shown) {
  random_.SeedFromClock();
  ClearCrossword(puzzle_);
  UseBoxes(box1, shown);
  for (int length : kPassLengths) PlaceWordsOfLength(length);
}

void CrosswordGenerator::UseBoxes(const VokTable& box1, const VokTable& shown) {
  box1_ = &box1;
  shown_ = &shown;
  BuildIndex();
}

void CrosswordGenerator::BuildIndex() {
  index_ = {};
  for (int r = 1; r < shown_->RowCount(); ++r) {
    const std::string& cell = shown_->Cell(1, r);
    if (Placeable(cell)) index_.cells[cell.size()].push_back(r);
    size_t start = 0;
    for (;;) {
      const size_t slash = cell.find('/', start);
      std::string piece = cell.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
      vok::NormalizeCell(piece);
      const size_t length = piece.size();
      if (Placeable(piece)) index_.pieces[length].push_back({std::move(piece), r});
      if (slash == std::string::npos) break;
      start = slash + 1;
    }
  }
}

void CrosswordGenerator::PlaceWordsOfLength(int length) {
  const int total = CountAlternativesOfLength(*box1_, length);
  if (progress_) {
    progress_->SetProgress(0);
    progress_->SetProgressMax(total);
  }
  if (total == 0) return;
  int fails = 0;
  Direction direction = Direction::Across;
  for (int k = 1; k <= total; ++k) {
    if (fails >= total) return;
    switch (Attempt(length, direction)) {
      case AttemptResult::Placed: fails = 1; break;  // counted from one after a placement
      case AttemptResult::NoWord: ++fails; break;
      case AttemptResult::Rejected: break;
    }
    if (progress_) {
      progress_->SetProgress(k);
      if (k % 10 == 0) progress_->ProcessMessages();
    }
    direction = direction == Direction::Across ? Direction::Down : Direction::Across;
  }
}

CrosswordGenerator::AttemptResult CrosswordGenerator::Attempt(int length, Direction direction) {
  int x, y;
  if (direction == Direction::Across) {
    x = 1 + random_.Random(19 - length);
    y = 1 + random_.Random(20);
  } else {
    x = 1 + random_.Random(20);
    y = 1 + random_.Random(19 - length);
  }
  if (!SlotAccepts(puzzle_.board, x, y, length, direction)) return AttemptResult::Rejected;
  const std::string pattern = SlotPattern(puzzle_.board, x, y, length, direction);
  if (pattern.find(kFreeLetter) == std::string::npos) return AttemptResult::Rejected;
  const std::optional<ChosenWord> chosen = ChooseCrosswordWord(pattern);
  if (!chosen) return AttemptResult::NoWord;
  PlaceWord(x, y, direction, *chosen);
  return AttemptResult::Placed;
}

void CrosswordGenerator::PlaceWord(int x, int y, Direction direction, const ChosenWord& chosen) {
  CrosswordCell& start = puzzle_.board[x][y];
  (direction == Direction::Across ? start.acrossStart : start.downStart) = true;
  // A square that starts both an across and a down word keeps the number it got first.
  if (start.number == 0) start.number = ++puzzle_.clueCounter;
  puzzle_.clues.push_back({start.number, direction, chosen.clue});
  if (progress_) progress_->ClueAdded(puzzle_.clues.back());
  for (size_t i = 0; i < chosen.word.size(); ++i) {
    int sx, sy;
    SlotSquare(x, y, static_cast<int>(i), direction, sx, sy);
    puzzle_.board[sx][sy].letter = chosen.word[i];
    puzzle_.board[sx][sy].blocked = false;
  }
}

std::optional<ChosenWord> CrosswordGenerator::ChooseCrosswordWord(const std::string& pattern) {
  std::string wild = pattern;
  size_t wildcards = 0;
  for (char& c : wild)
    if (c == kFreeLetter) {
      c = '_';
      ++wildcards;
    }
  lastLength_ = wild.size();
  lastFromPieces_ = wildcards == wild.size();
  matches_.clear();
  size_t count = 0;
  if (lastFromPieces_) {
    const auto it = index_.pieces.find(wild.size());
    count = it == index_.pieces.end() ? 0 : it->second.size();
  } else if (const auto it = index_.cells.find(wild.size()); it != index_.cells.end()) {
    for (int row : it->second)
      if (MatchesPattern(wild, shown_->Cell(1, row))) matches_.push_back(row);
    count = matches_.size();
  }
  if (count == 0) return std::nullopt;
  ChosenWord chosen = Candidate(static_cast<size_t>(random_.Random(static_cast<int>(count))));
  puzzle_.lastClue = chosen.clue;
  return chosen;
}

ChosenWord CrosswordGenerator::Candidate(size_t i) const {
  if (lastFromPieces_) {
    const Piece& piece = index_.pieces.at(lastLength_).at(i);
    return {piece.word, shown_->Cell(2, piece.row)};
  }
  const int row = matches_.at(i);
  return {shown_->Cell(1, row), shown_->Cell(2, row)};
}

std::vector<ChosenWord> CrosswordGenerator::LastCandidates() const {
  std::vector<ChosenWord> rows;
  if (!shown_) return rows;
  size_t count = matches_.size();
  if (lastFromPieces_) {
    const auto it = index_.pieces.find(lastLength_);
    count = it == index_.pieces.end() ? 0 : it->second.size();
  }
  for (size_t i = 0; i < count; ++i) rows.push_back(Candidate(i));
  return rows;
}
