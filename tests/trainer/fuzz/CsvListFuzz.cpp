// libFuzzer target for the CSV/TSV reader: any bytes, under any of the options, are taken or
// refused with a message; rows taken and written as CSV come back the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "CsvList.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks the options, the rest is the text.
  CsvOptions options;
  const std::uint8_t pick = data[0];
  const char separators[] = {0, '\t', ';', ','};
  options.separator = separators[pick & 3];
  options.encoding = static_cast<CsvEncoding>((pick >> 2) % 3);
  options.header = static_cast<CsvHeader>((pick >> 4) % 3);
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  CsvTable table;
  std::string error;
  if (!ReadCsvTable(text, options, table, error)) {
    Check(!error.empty());
    return 0;
  }
  Check(table.lines.size() == table.records.size());
  std::vector<ExchangeRow> rows;
  if (!CsvRows(table, table.columns, rows, error)) {
    Check(!error.empty());
    return 0;
  }
  CsvTable again;
  Check(ReadCsvTable(WriteCsv(rows), CsvOptions{}, again, error));
  std::vector<ExchangeRow> back;
  Check(CsvRows(again, again.columns, back, error));
  Check(back == rows);
  return 0;
}
