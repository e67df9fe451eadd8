// SPDX-License-Identifier: MIT
// A run past 65536 records, where the gram index's postings turn 32-bit:
// the same bytes on 1, 2 and 3 threads, sampled rows checked against the
// library's scorer, and the progress display against the per-candidate
// rule of the ordering.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/fast_search.h"
#include "run_in_memory.h"
#include "vexaro/vexaro.h"

namespace vexaro {
namespace {

constexpr int32_t kRecords = 66000;

// Five-letter records, scattered so that neighbours in the input are rarely
// alike; deterministic.
std::vector<std::string> many_records() {
  std::vector<std::string> records;
  for (int32_t i = 0; i < kRecords; ++i) {
    int64_t x = int64_t{i} * 40503 % 70001;
    std::string record(5, 'a');
    for (int k = 3; k >= 0; --k, x /= 26) record[k] = static_cast<char>('a' + x % 26);
    record[4] = static_cast<char>('a' + i * 7 % 26);
    records.push_back(record);
  }
  return records;
}

testing::Outcome run_on_threads(const std::string& input, int threads) {
  auto engine = [threads](const Settings& s, const RecordIndex& index) {
    return make_fast_search(s, index, threads);
  };
  return testing::run_in_memory(input, {"-d"}, engine, std::to_string(kRecords));
}

// The lines of a -d report, without the mean line: header score and record.
std::vector<std::pair<int, std::string>> report_lines(const std::string& output) {
  std::vector<std::pair<int, std::string>> lines;
  size_t at = 0;
  for (size_t end; (end = output.find('\n', at)) != std::string::npos && end > at; at = end + 1)
    lines.emplace_back(std::stoi(output.substr(at, 4)), output.substr(at + 5, end - at - 5));
  return lines;
}

// The progress a row shows, candidate by candidate as the ordering defines
// it; `shown` is the candidate percentage last shown before the row.
std::string literal_progress(int32_t row, int32_t count, uint8_t& shown) {
  std::string text;
  const unsigned row_percent = static_cast<unsigned>(int64_t{row} * 100 / count);
  for (int32_t j = row + 1; j < count; ++j) {
    const auto p = static_cast<uint8_t>(j * 100 / count);
    if (p == shown) continue;
    shown = p;
    text.append("\r").append(std::to_string(row_percent));
    text.append("%:").append(std::to_string(p)).append("%");
  }
  return text;
}

TEST(ManyRecords, PastTheNarrowRanks) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "too slow under the sanitizers";
#endif
  const std::vector<std::string> records = many_records();
  std::string input;
  for (const std::string& record : records) input += record + "\n";
  const testing::Outcome one = run_on_threads(input, 1);
  for (const int threads : {2, 3}) {
    const testing::Outcome more = run_on_threads(input, threads);
    EXPECT_EQ(more.output, one.output) << threads;
    EXPECT_EQ(more.diagnostics, one.diagnostics) << threads;
    EXPECT_EQ(more.status, one.status) << threads;
  }

  const auto lines = report_lines(one.output);
  ASSERT_EQ(lines.size(), records.size());
  const Options options;
  const Statistics statistics = Statistics::of(options, records);
  for (size_t row = 0; row + 1 < lines.size(); row += 3217) {
    Scorer scorer(options, lines[row].second, statistics);
    const int header = lines[row + 1].first;
    EXPECT_EQ(scorer.score(lines[row + 1].second), header) << row;
    for (size_t later = row + 2; later < lines.size(); ++later)
      ASSERT_LE(scorer.score(lines[later].second, header), header) << row << " " << later;
  }

  // Each row's diagnostics begin with the erase; its progress follows the echo.
  const std::string erase = "\r       ";
  std::vector<std::string> progress;
  for (size_t at = one.diagnostics.find(erase); at != std::string::npos;) {
    const size_t next = one.diagnostics.find(erase, at + 1);
    const std::string row = one.diagnostics.substr(at, next - at);
    progress.push_back(row.substr(row.rfind('\n') + 1));
    at = next;
  }
  ASSERT_EQ(progress.size(), records.size());
  // The candidate percentage carries over from row to row: read it back.
  uint8_t shown = 1;
  for (int32_t row = 0; row < kRecords; ++row) {
    if (row % 1999 == 0 || row + 3 > kRecords) {
      uint8_t carried = shown;
      EXPECT_EQ(progress[row], literal_progress(row, kRecords, carried)) << row;
    }
    const size_t colon = progress[row].rfind(':');
    if (colon != std::string::npos)
      shown = static_cast<uint8_t>(std::stoi(progress[row].substr(colon + 1)));
  }
}

}  // namespace
}  // namespace vexaro
