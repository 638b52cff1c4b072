// Row transfers and vocabulary files at the sizes learners reach with imported word lists:
// AppendRows and MoveMarkedRows of 100 000 rows into a box of 100 000, ReadVocabFile and
// WriteVocabFile of 3 x 100 000 rows, beside reading the same bytes without parsing.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "BenchVocab.h"
#include "vokGrid.h"
#include "vokGridEdit.h"
#include "vokdisk.h"

namespace {

constexpr int kRows = 100000;

using bench::FillBox;

void BM_AppendRowsNew(benchmark::State& state) {
  VokTable src, dst;
  FillBox(src, 1, kRows);
  for (auto _ : state) {
    state.PauseTiming();
    FillBox(dst, 2, kRows);
    state.ResumeTiming();
    benchmark::DoNotOptimize(AppendRows(src, 1, kRows, dst, nullptr));
  }
}
BENCHMARK(BM_AppendRowsNew)->Unit(benchmark::kMillisecond);

void BM_AppendRowsAllPresent(benchmark::State& state) {
  VokTable src, dst;
  FillBox(src, 1, kRows);
  FillBox(dst, 1, kRows);
  for (auto _ : state) benchmark::DoNotOptimize(AppendRows(src, 1, kRows, dst, nullptr));
}
BENCHMARK(BM_AppendRowsAllPresent)->Unit(benchmark::kMillisecond);

void BM_MoveMarkedRows(benchmark::State& state) {
  VokDocument doc;
  for (auto _ : state) {
    state.PauseTiming();
    FillBox(doc.Box(1), 1, kRows);
    FillBox(doc.Box(2), 2, kRows);
    doc.SetCurrentPage(0);
    doc.Box(1).marked = {1, 1, 2, kRows};
    state.ResumeTiming();
    benchmark::DoNotOptimize(MoveMarkedRows(doc, 2, nullptr));
  }
}
BENCHMARK(BM_MoveMarkedRows)->Unit(benchmark::kMillisecond);

struct BigFile {
  std::filesystem::path path = std::filesystem::temp_directory_path() / "tirelo_bench.evd";
  VokDocument doc;
  BigFile() {
    for (int box = 1; box <= 3; ++box) FillBox(doc.Box(box), static_cast<unsigned>(box), kRows);
    WriteVocabFile(doc, path, VokFileEnv{});
  }
  ~BigFile() { std::filesystem::remove(path); }
};

BigFile& File() {
  static BigFile file;
  return file;
}

void BM_WriteVocabFile(benchmark::State& state) {
  BigFile& file = File();
  for (auto _ : state) benchmark::DoNotOptimize(WriteVocabFile(file.doc, file.path, VokFileEnv{}));
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(std::filesystem::file_size(file.path)));
}
BENCHMARK(BM_WriteVocabFile)->Unit(benchmark::kMillisecond);

void BM_EncodeVocabFile(benchmark::State& state) {
  BigFile& file = File();
  for (auto _ : state) benchmark::DoNotOptimize(EncodeVocabFile(file.doc));
}
BENCHMARK(BM_EncodeVocabFile)->Unit(benchmark::kMillisecond);

void BM_ReadVocabFile(benchmark::State& state) {
  BigFile& file = File();
  VokDocument doc;
  for (auto _ : state) benchmark::DoNotOptimize(ReadVocabFile(doc, file.path, ReadMode::Replace, VokFileEnv{}));
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(std::filesystem::file_size(file.path)));
}
BENCHMARK(BM_ReadVocabFile)->Unit(benchmark::kMillisecond);

// The floor for ReadVocabFile: the same bytes read into memory, nothing parsed.
void BM_ReadBytesOnly(benchmark::State& state) {
  BigFile& file = File();
  for (auto _ : state) {
    std::ifstream in(file.path, std::ios::binary);
    std::string bytes;
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
      bytes.append(chunk, static_cast<size_t>(in.gcount()));
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(std::filesystem::file_size(file.path)));
}
BENCHMARK(BM_ReadBytesOnly)->Unit(benchmark::kMillisecond);

void BM_AddVocabFileTwice(benchmark::State& state) {
  BigFile& file = File();
  VokDocument doc;
  for (auto _ : state) {
    state.PauseTiming();
    ReadVocabFile(doc, file.path, ReadMode::Replace, VokFileEnv{});
    state.ResumeTiming();
    benchmark::DoNotOptimize(ReadVocabFile(doc, file.path, ReadMode::Add, VokFileEnv{}));
  }
}
BENCHMARK(BM_AddVocabFileTwice)->Unit(benchmark::kMillisecond);

}  // namespace
