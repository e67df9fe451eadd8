// SPDX-License-Identifier: MIT
// The lane schedule against plain bookkeeping: shares that cover every slot
// or bitset word exactly once, with borders on cache lines, however the
// borders were balanced; the bests a lane sees the others show; a lane's
// listed slots in slot order; and the lanes' kept candidates merged in
// slot order.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "brute_force.h"
#include "engine/candidate_bounds.h"
#include "engine/gram_index.h"
#include "engine/lane.h"
#include "engine/lane_search.h"
#include "engine/lanes.h"
#include "engine/prepared_records.h"

namespace vexaro {
namespace {

TEST(LaneSchedule, SharesCoverEverySlotOrWordOnceWithBordersOnCacheLines) {
  std::mt19937 rng(3);
  LaneSchedule schedule(4, 5000);
  for (int round = 0; round < 400; ++round) {
    const int lanes = 1 + static_cast<int>(rng() % 4);
    for (int lane = 0; lane < lanes; ++lane)
      schedule.note_busy(lane, std::chrono::microseconds(rng() % 100));
    if (round % 3) schedule.balance(lanes);
    const int32_t count = 1 + static_cast<int32_t>(rng() % 5000),
                  row = static_cast<int32_t>(rng() % count);
    const int32_t words = static_cast<int32_t>(rng() % (round % 2 ? 64 : 400));
    schedule.share_out(row, count, lanes, words);
    ASSERT_EQ(schedule.by_words(), lanes == 1 || words >= LaneSchedule::kFewestWordsToShare);
    // Each lane owns every word in a share by slots, every slot in one by words.
    std::vector<int> owners(schedule.by_words() ? words : count, 0);
    for (int lane = 0; lane < lanes; ++lane) {
      const Share& s = schedule.share(lane);
      const bool by_words = schedule.by_words();
      ASSERT_TRUE(by_words ? s.from == row + 1 && s.to == count && s.first_word % kLineWords == 0 &&
                                 (s.end_word == words || s.end_word % kLineWords == 0)
                           : s.first_word == 0 && s.end_word == words)
          << "lane " << lane << " of " << lanes << ", slots " << s.from << "-" << s.to << " of "
          << count << ", words " << s.first_word << "-" << s.end_word << " of " << words;
      for (int32_t k = by_words ? s.first_word : s.from; k < (by_words ? s.end_word : s.to); ++k)
        ++owners[k];
    }
    for (int32_t k = 0; k < static_cast<int32_t>(owners.size()); ++k)
      ASSERT_EQ(owners[k], schedule.by_words() || k > row ? 1 : 0) << "slot or word " << k;
  }
}

TEST(LaneSchedule, EachLaneSeesTheBestsTheOthersShowedBeforeItsSlot) {
  std::mt19937 rng(8);
  const int32_t count = 300;
  LaneSchedule schedule(3, count);
  for (int row = 0; row < 200; ++row) {
    const int lanes = 1 + static_cast<int>(rng() % 3);
    schedule.share_out(0, count, lanes, 0);                // forgets the last row's bests
    std::vector<std::map<int32_t, int32_t>> shown(lanes);  // per lane: best by slot
    std::vector<int32_t> next_slot(lanes, 1), best(lanes, -1), asked_at(lanes, 1);
    for (int step = 0; step < 60; ++step) {
      const int lane = static_cast<int>(rng() % lanes);
      if (rng() % 2) {  // a rise of its best, at a later slot
        next_slot[lane] += 1 + static_cast<int32_t>(rng() % 10);
        if (next_slot[lane] >= count) continue;
        best[lane] += 1 + static_cast<int32_t>(rng() % 50);
        schedule.show(lane, next_slot[lane], best[lane]);
        shown[lane][next_slot[lane]] = best[lane];
        continue;
      }
      asked_at[lane] = std::min(count, asked_at[lane] + static_cast<int32_t>(rng() % 12));
      int32_t expected = INT32_MIN;
      for (int other = 0; other < lanes; ++other) {
        for (const auto& [slot, rise] : shown[other])
          if (other != lane && slot < asked_at[lane]) expected = std::max(expected, rise);
      }
      ASSERT_EQ(schedule.shown_before(lane, lanes, asked_at[lane]), expected)
          << "row " << row << " lane " << lane << " of " << lanes << " at slot " << asked_at[lane];
    }
  }
}

TEST(Lane, TakesListedSlotsInSlotOrder) {
  const Settings settings = parse_arguments({}, false);
  const RecordStats stats;
  const int32_t records = 1000;
  Lane lane(item_rules_of(settings), measure_of(settings), stats, records, 0);
  std::mt19937 rng(12);
  for (int round = 0; round < 200; ++round) {
    const int32_t first = static_cast<int32_t>(rng() % records);
    const int32_t end = first + static_cast<int32_t>(rng() % (records - first + 1));
    std::set<int32_t> listed;
    for (int k = static_cast<int>(rng() % 40); k > 0 && first < end; --k) {
      const int32_t slot = first + static_cast<int32_t>(rng() % (end - first));
      lane.list(slot);
      listed.insert(slot);
    }
    lane.take_listed(first, end);
    ASSERT_EQ(lane.block(), std::vector<int32_t>(listed.begin(), listed.end()))
        << first << "-" << end;
    lane.take_listed(first, end);
    ASSERT_TRUE(lane.block().empty()) << "marks left in " << first << "-" << end;
  }
}

// Lanes search their shares one after the other, each seeing the bests the
// earlier ones showed; what they kept comes out in slot order, all of it.
TEST(LaneSearch, MergesWhatTheLanesKeptInSlotOrder) {
  const Settings settings = parse_arguments({}, false);
  std::mt19937 rng(21);
  std::vector<std::string> lines;
  for (int i = 0; i < 4200; ++i)
    lines.push_back(testing::edited(testing::random_text(rng, "abcdefgh", 16), rng, "xyz"));
  const RecordIndex index = index_records(settings, lines);
  const Measure measure = measure_of(settings);
  const PreparedRecords records(item_rules_of(settings), measure, index);
  GramIndex grams(records, index);
  CandidateBounds bounds(measure, index.stats);
  LaneSchedule schedule(3, index.size());
  LaneSearch search(item_rules_of(settings), measure, index, records, bounds, &grams, nullptr,
                    schedule);
  Slots slots(index.size());
  std::iota(slots.begin(), slots.end(), 0);
  for (int32_t row = 0; row < 12; ++row) {
    const int lanes = 1 + row % 3;
    bounds.load_reference(records.reference(slots[row]), index.stored_lengths[slots[row]]);
    grams.retire(slots[row]);
    grams.prepare_row(bounds.reference());
    schedule.share_out(row, index.size(), lanes, grams.words());
    if (!schedule.by_words()) grams.count_words(0, grams.words());  // else each lane its own
    for (int lane = 0; lane < lanes; ++lane) search.search(lane, lanes, slots, row);
    std::vector<int32_t> merged;
    std::map<const Lane*, size_t> taken;
    search.merge(lanes, [&](const Lane& lane, size_t i) {
      EXPECT_EQ(i, taken[&lane]++) << "row " << row;
      merged.push_back(lane.kept_slot(i));
    });
    for (const auto& [lane, count] : taken) ASSERT_EQ(count, lane->kept()) << "row " << row;
    ASSERT_FALSE(merged.empty()) << "row " << row;  // the first slot is always scored
    ASSERT_TRUE(std::is_sorted(merged.begin(), merged.end()))
        << "row " << row << " " << ::testing::PrintToString(merged);
  }
}

}  // namespace
}  // namespace vexaro
