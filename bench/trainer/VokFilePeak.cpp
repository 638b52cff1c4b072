// Peak memory of ReadVocabFile, measured from outside (heaptrack, /usr/bin/time -v):
//   vokfile_peak write FILE   writes the benchmark file of 3 x 100 000 rows
//   vokfile_peak read FILE    reads it once into a new document and prints the in-memory size
//                             of the rows read
//   vokfile_peak tiny FILE    writes a damaged file of 20 MB: box 1 of 10 million empty rows
//                             (2 bytes each), which a read must refuse within its budget
//   vokfile_peak none FILE    does nothing, for the baseline of the process itself

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "BenchVocab.h"
#include "vokdisk.h"

namespace {

// The bytes the rows take: the row arrays themselves and every text too long to sit inside its
// string.
std::size_t RowBytes(const VokDocument& doc) {
  std::size_t bytes = 0;
  for (int box = 1; box <= VokDocument::kBoxCount; ++box) {
    const VokTable& t = doc.Box(box);
    bytes += static_cast<std::size_t>(t.RowCount()) * sizeof(VokRow);
    for (int r = 0; r < t.RowCount(); ++r)
      for (const std::string& cell : t.Row(r))
        if (cell.capacity() > std::string().capacity()) bytes += cell.capacity() + 1;
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "vokfile_peak write|tiny|read|none FILE\n");
    return 2;
  }
  const std::filesystem::path path = argv[2];
  if (std::strcmp(argv[1], "write") == 0) {
    VokDocument doc;
    for (int box = 1; box <= 3; ++box) bench::FillBox(doc.Box(box), static_cast<unsigned>(box), 100000);
    return WriteVocabFile(doc, path, VokFileEnv{}) ? 0 : 1;
  }
  if (std::strcmp(argv[1], "tiny") == 0) {
    vokfile::Writer out;
    constexpr int kRows = 10'000'000;
    out.Reserve(2 * kRows + 64);
    out.Integer(kRows);
    for (int r = 0; r < kRows; ++r) out.String("");
    for (int box = 2; box <= 3; ++box) {
      out.Integer(2);
      out.String("Lektion\r\nFranz\xF6sisch\r\nDeutsch\r\n");
      out.String("");
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 1;
    const std::string& bytes = out.Bytes();
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok ? 0 : 1;
  }
  if (std::strcmp(argv[1], "read") == 0) {
    VokDocument doc;
    if (!ReadVocabFile(doc, path, ReadMode::Replace, VokFileEnv{})) {
      std::printf("file %ju bytes: Datei nicht eingelesen\n",
                  static_cast<std::uintmax_t>(std::filesystem::file_size(path)));
      return 1;
    }
    std::printf("file %ju bytes, rows %d, rows in memory %zu bytes\n",
                static_cast<std::uintmax_t>(std::filesystem::file_size(path)),
                doc.Box(1).RowCount() + doc.Box(2).RowCount() + doc.Box(3).RowCount(), RowBytes(doc));
    return 0;
  }
  return 0;
}
