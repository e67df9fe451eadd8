// SPDX-License-Identifier: MIT
// Twins against a plain grouping of the records, and what the gram index
// lists through a sequence of retirements and exchanges: every candidate
// without a twin, and of each twin class only the member first among the
// row's candidates, handed out by the slot it stands in.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "brute_force.h"
#include "engine/gram_index.h"
#include "engine/prepared_records.h"
#include "engine/slot_state.h"

namespace vexaro {
namespace {

// Per record, a number for what twins share: the prepared candidate and
// the stored length.
std::vector<int32_t> twin_keys(const Settings& settings, const std::vector<std::string>& lines) {
  std::map<std::pair<std::string, size_t>, int32_t> numbers;
  std::vector<int32_t> keys;
  for (const std::string& line : lines) {
    const PreparedItem item = prepared(item_rules_of(settings), testing::view_of(line).bytes);
    const std::string candidate(reinterpret_cast<const char*>(item.bytes.data()), item.length);
    const auto number = static_cast<int32_t>(numbers.size());
    keys.push_back(numbers.emplace(std::pair(candidate, line.size()), number).first->second);
  }
  return keys;
}

TEST(TwinSlots, OnlyTheFirstMemberOfAClassIsListedThroughRowsAndExchanges) {
  const Settings settings = parse_arguments({}, false);
  std::mt19937 rng(16000);
  for (const int count : {2, 5, 40, 90, 300, 1100}) {
    // Letters, capitals and bytes that preparation drops: many prepare alike.
    std::vector<std::string> lines;
    while (lines.size() < static_cast<size_t>(count))
      lines.push_back(testing::random_text(rng, "abA -", 1 + rng() % 5));
    const RecordIndex index = index_records(settings, lines);
    const PreparedRecords records(item_rules_of(settings), measure_of(settings), index);
    const std::vector<int32_t> key = twin_keys(settings, lines);
    std::vector<int32_t> sharing(count, 0);  // per key: its records
    for (const int32_t k : key) ++sharing[k];
    for (int32_t r = 0; r < count; ++r) {
      const int32_t twin = records.twin_class(r);
      ASSERT_EQ(twin >= 0, sharing[key[r]] > 1) << "record " << r << " " << lines[r];
      for (int32_t other = 0; other < r; ++other)
        ASSERT_EQ(twin >= 0 && twin == records.twin_class(other), key[r] == key[other])
            << lines[r] << " | " << lines[other];
    }
    GramIndex grams(records, index);
    SlotState state(records, index, measure_of(settings), &grams);
    Slots slots(count);
    std::iota(slots.begin(), slots.end(), 0);
    auto expect_listed = [&](int32_t row, const std::string& step) {
      std::vector<int32_t> expected, listed;
      std::vector<bool> met(count, false);  // per key
      for (int32_t j = row + 1; j < count; ++j) {
        if (!met[key[slots[j]]]) expected.push_back(j);
        met[key[slots[j]]] = true;
      }
      grams.collect(
          0, grams.words(), [](int32_t) { return 0; },
          [&](int32_t slot) { listed.push_back(slot); });
      std::sort(listed.begin(), listed.end());
      ASSERT_EQ(listed, expected) << count << " records, row " << row << " " << step;
    };
    expect_listed(-1, "before the first");
    for (int32_t row = 0; row + 1 < count; ++row) {
      state.begin_row(slots, row, records.reference(slots[row]));
      expect_listed(row, "begun");
      // Improvements move into slot row+1, as a row exchanges them.
      for (int k = static_cast<int>(rng() % 4); k > 0; --k) {
        const int32_t j = row + 1 + static_cast<int32_t>(rng() % (count - row - 1));
        state.exchange(slots, j, row + 1);
        expect_listed(row, "after exchanging slot " + std::to_string(j));
      }
      if (HasFatalFailure()) return;
    }
  }
}

}  // namespace
}  // namespace vexaro
