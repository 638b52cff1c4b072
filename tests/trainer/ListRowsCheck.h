// The check every list reader's table of cases shares: the rows read against the expected
// (German, French, lesson in UTF-8, with their boxes), and the summary's lines after its first.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "ExchangeRows.h"
#include "Win1252.h"

inline void ExpectListRows(const std::vector<ExchangeRow>& rows,
                           const std::vector<std::array<const char*, 3>>& expectedRows,
                           const std::vector<int>& boxes, ImportSummary summary,
                           const char* expectedSummary) {
  const auto a = [](const char* utf8) { return win1252::FromUtf8(utf8); };
  std::vector<ExchangeRow> expected;
  for (size_t i = 0; i < expectedRows.size(); ++i)
    expected.push_back(
        {a(expectedRows[i][0]), a(expectedRows[i][1]), a(expectedRows[i][2]), boxes.empty() ? 1 : boxes[i]});
  EXPECT_EQ(rows, expected);
  if (!expectedSummary) return;
  summary.taken = rows.size();
  const std::string text = win1252::ToUtf8(SummaryText(summary));
  EXPECT_EQ(text.substr(text.find('\n') + 1), expectedSummary);
}
