// SPDX-License-Identifier: MIT
// Matching statistics against substring search: from the longest piece
// ending at each pattern byte, the longest from each start, the blank-free
// runs, and the runs of starts the scan waits on, taken from the starts
// and, for long patterns without blanks, from the ends of the pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "brute_force.h"
#include "engine/matching_statistics.h"
#include "scoring/score_formula.h"

namespace vexaro {
namespace {

using testing::view_of;

// Every start whose longest window has `shortest` bytes or more lies in
// exactly one run, in order, and its window ends where the run's do.
void expect_runs(MatchingStatistics& stats, const std::vector<int32_t>& window, int32_t start,
                 int32_t shortest, const std::string& context) {
  const int32_t n = static_cast<int32_t>(window.size());
  std::vector<std::array<int32_t, 3>> runs;
  stats.for_each_run(n, start, shortest, [&](int32_t first, int32_t last, int32_t end) {
    runs.push_back({first, last, end});
  });
  std::vector<int32_t> runs_of(n, 0);
  int32_t after = 0;
  for (const auto [first, last, end] : runs) {
    ASSERT_TRUE(after <= first && first <= last && last < n) << context << first << " " << last;
    for (int32_t P = first; P <= last; ++P) {
      ASSERT_EQ(P + window[P], end) << context << "run " << first << "-" << last << " start " << P;
      ++runs_of[P];
    }
    after = last + 1;
  }
  for (int32_t P = 0; P < n; ++P)
    ASSERT_EQ(runs_of[P], window[P] >= shortest ? 1 : 0) << context << "start " << P;
}

TEST(MatchingStatistics, StartsRunsAndBlanksAsBySearch) {
  auto stats = std::make_unique<MatchingStatistics>();
  std::mt19937 rng(31);
  for (int round = 0; round < 400; ++round) {
    const std::string alphabet = round % 2 ? "ab" : "abcdefgh";
    const size_t length = round % 4 == 0 ? 256 + rng() % 300 : 1 + rng() % 40;
    std::string searched = testing::random_text(rng, alphabet, length);
    std::string pattern = round % 3 ? testing::edited(searched, rng, alphabet)
                                    : testing::random_text(rng, alphabet, length);
    if (pattern.empty()) pattern = "a";
    // An omit list blanks bytes of both items in a third of the rounds.
    const bool blanks = round % 3 == 1;
    for (int k = blanks ? 1 + rng() % 4 : 0; k > 0; --k) pattern[rng() % pattern.size()] = kBlank;
    if (blanks) searched[rng() % searched.size()] = kBlank;
    const int32_t n = static_cast<int32_t>(pattern.size()), shortest = round % 5 ? 3 : 1;

    const std::vector<int32_t> ending = testing::longest_ending(searched, pattern);
    const std::vector<int32_t> starting = testing::longest_starting(searched, pattern);
    const int32_t longest_common = *std::max_element(ending.begin(), ending.end());
    const int32_t start = round % 2 ? start_length_from_lcs(n, shortest, longest_common)
                                    : static_cast<int32_t>(rng() % (n + 1));
    std::vector<int32_t> window(n);
    for (int32_t P = n - 1, unblanked = 0; P >= 0; --P) {
      unblanked = pattern[P] == kBlank ? 0 : unblanked + 1;
      window[P] = std::min({starting[P], start, unblanked});
    }
    const std::string context = "pattern " + testing::shown(pattern) + "\nsearched " +
                                testing::shown(searched) + "\nstart " + std::to_string(start) +
                                " shortest " + std::to_string(shortest) + ": ";

    stats->measure_blank_free(view_of(pattern), blanks);
    std::copy(ending.begin(), ending.end(), stats->end_len.begin());
    stats->starts_made = false;
    expect_runs(*stats, window, start, shortest, context);
    stats->ensure_starts(n);
    for (int32_t P = 0; P < n; ++P) {
      ASSERT_EQ(stats->start_len[P], starting[P]) << context << "start " << P;
      ASSERT_EQ(stats->longest_window(P, start), window[P]) << context << "start " << P;
    }
    expect_runs(*stats, window, start, shortest, context);  // now from the starts
    std::vector<uint64_t> alive(kItemWords, 0);
    stats->alive_bits(n, alive.data());
    for (int32_t P = 0; P < kItemWords * kWordBits; ++P)
      ASSERT_EQ(test_bit(alive.data(), P), P < n && pattern[P] != kBlank)
          << context << "byte " << P;
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace vexaro
