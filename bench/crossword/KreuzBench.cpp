// Generating a crossword from large boxes: each attempt looks only at the words of its length.
#include <benchmark/benchmark.h>

#include <random>

#include "KreuzCls.h"
#include "vokGrid.h"

namespace {

class FixedRandom : public CrosswordRandom {
 public:
  void SeedFromClock() override { engine_.seed(42); }
  int Random(int m) override { return std::uniform_int_distribution<int>(0, m - 1)(engine_); }

 private:
  std::mt19937 engine_{42};
};

// Words of 2 to 14 letters, some with two alternatives, a clue each.
void FillBox(VokTable& box, int words) {
  std::mt19937 gen(7);
  const std::string letters = "abcdeeeefghiilmnnoprrssttuuv";
  ResetTable(box, 2, words + 1);
  for (int r = 1; r <= words; ++r) {
    auto word = [&] {
      std::string w(2 + gen() % 13, ' ');
      for (char& c : w) c = letters[gen() % letters.size()];
      return w;
    };
    box.SetCell(1, r, gen() % 5 == 0 ? word() + "/" + word() : word());
    box.SetCell(2, r, "Hinweis " + std::to_string(r));
  }
}

void BM_NewCrossword(benchmark::State& state) {
  VokTable box;
  FillBox(box, static_cast<int>(state.range(0)));
  FixedRandom random;
  for (auto _ : state) {
    Crossword puzzle;
    CrosswordGenerator(puzzle, random).NewCrossword(box, box);
    benchmark::DoNotOptimize(puzzle.clues.size());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_NewCrossword)->Arg(200)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
