// SPDX-License-Identifier: MIT
// The library's pair score, Scorer, best_match, matches and extract against the
// literal scorer, on random and near-duplicate records under every scoring
// option, with the statistics the program would gather.
#include <gtest/gtest.h>
#include <vexaro/vexaro.h>

#include <algorithm>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "api/api_internal.h"
#include "library_cases.h"
#include "literal_pair.h"
#include "records/record_index.h"
#include "records/settings.h"
#include "records/streams.h"

namespace vexaro {
namespace {

using testing::kOptionSets;
using testing::random_records;

std::string trace(const std::vector<std::string>& args) { return ::testing::PrintToString(args); }

// The free score takes its statistics from its two records; a Scorer from
// what it is given, and with a cutoff it is exact above it and never above
// it below. Each Scorer meets candidates shorter and longer than its
// reference, so it rebuilds and keeps its tables in every order.
TEST(Library, PairScoresEqualTheLiteralScorer) {
  std::mt19937 rng(2024);
  for (const auto& args : kOptionSets) {
    SCOPED_TRACE(trace(args));
    const Options options = Options::from_arguments(args);
    const Settings settings = parse_arguments(args, false);
    const std::vector<std::string> records = random_records(rng, 48, 2010);
    for (size_t i = 0; i + 1 < records.size(); i += 2) {
      const RecordStats two = index_records(settings, {records[i], records[i + 1]}).stats;
      ASSERT_EQ(score(options, records[i], records[i + 1]),
                testing::literal_pair_score(settings, two, records[i], records[i + 1]))
          << records[i] << " | " << records[i + 1];
    }
    const RecordStats all = index_records(settings, records).stats;
    const Statistics statistics = Statistics::of(options, records);
    for (size_t r = 0; r < records.size(); r += 7) {
      Scorer scorer(options, records[r], statistics);
      for (const std::string& candidate : records) {
        const int expected = testing::literal_pair_score(settings, all, records[r], candidate);
        ASSERT_EQ(scorer.score(candidate), expected) << records[r] << " | " << candidate;
        for (const int cutoff : {expected - 1, expected, expected - 30 + int(rng() % 60)}) {
          const int found = scorer.score(candidate, cutoff);
          if (expected > cutoff) {
            ASSERT_EQ(found, expected) << "cutoff " << cutoff << ": " << candidate;
          } else {
            ASSERT_LE(found, cutoff) << candidate;
          }
        }
      }
    }
  }
}

// Every byte value in a record and changed in its candidate: the records
// are prepared by the same filter and fold as the literal scorer's.
TEST(Library, EveryByteIsPreparedAsTheLiteralScorerDoes) {
  for (const auto& args : kOptionSets) {
    SCOPED_TRACE(trace(args));
    const Options options = Options::from_arguments(args);
    const Settings settings = parse_arguments(args, false);
    const RecordStats stats = index_records(settings, {"abcdef", "\x01\xff"}).stats;
    Statistics statistics;
    statistics.add(options, "abcdef");
    statistics.add(options, "\x01\xff");
    for (int b = 1; b < 256; ++b) {
      const std::string reference = "xyzab" + std::string(1, char(b)) + "cdxyz";
      Scorer scorer(options, reference, statistics);
      for (const int changed : {b, b ^ 0x20, b ^ 0x80}) {
        if (changed == 0) continue;
        const std::string candidate = "xyzab" + std::string(1, char(changed)) + "cdxyz";
        ASSERT_EQ(scorer.score(candidate),
                  testing::literal_pair_score(settings, stats, reference, candidate))
            << b << " against " << changed;
      }
    }
  }
}

// Lists of choices shared between three threads or scored on one, against
// the literal score of every choice; the short ones also against the
// ordering, which puts the best choice right after the query.
TEST(Library, OneToManyCallsFollowTheLiteralScores) {
  std::mt19937 rng(99);
  for (const auto& args : kOptionSets) {
    SCOPED_TRACE(trace(args));
    const Options options = Options::from_arguments(args);
    const Settings settings = parse_arguments(args, false);
    for (const size_t count : {1, 9, 700}) {
      std::vector<std::string> records = random_records(rng, count + 1, 150);
      const std::string query = records[rng() % records.size()];
      records[0] = query;
      const RecordStats stats = index_records(settings, records).stats;
      const std::vector<std::string> choices(records.begin() + 1, records.end());
      std::vector<Match> expected;
      for (size_t i = 0; i < choices.size(); ++i) {
        expected.push_back(
            {i, testing::literal_pair_score(settings, stats, query, choices[i]), {}});
      }
      std::stable_sort(expected.begin(), expected.end(),
                       [](const Match& a, const Match& b) { return a.score > b.score; });
      const int min_score = expected[expected.size() / 3].score;
      const size_t count_above = std::count_if(expected.begin(), expected.end(),
                                               [&](const Match& m) { return m.score > min_score; });
      for (const int threads : {1, 3}) {
        const auto best = find_best_match(options, query, choices, nullptr, threads);
        ASSERT_TRUE(best.has_value());
        EXPECT_EQ(best->index, expected[0].index);
        EXPECT_EQ(best->score, expected[0].score);
        const auto above = find_matches(options, query, choices, min_score, nullptr, threads);
        ASSERT_EQ(above.size(), count_above);
        for (size_t k = 0; k < above.size(); ++k) {
          EXPECT_EQ(above[k].index, expected[k].index);
          EXPECT_EQ(above[k].score, expected[k].score);
        }
        for (const size_t limit : {size_t{0}, size_t{1}, size_t{5}, choices.size() + 1}) {
          const auto best_few = find_extract(options, query, choices, limit, nullptr, threads);
          ASSERT_EQ(best_few.size(), std::min(limit, expected.size()));
          for (size_t k = 0; k < best_few.size(); ++k) {
            EXPECT_EQ(best_few[k].index, expected[k].index);
            EXPECT_EQ(best_few[k].score, expected[k].score);
          }
        }
      }
      const std::optional<Match> best = best_match(options, query, choices);
      EXPECT_EQ(best->index, expected[0].index);
      EXPECT_EQ(matches(options, query, choices, min_score).size(), count_above);
      if (count == 9 && best->score > -1) {
        const Ordering sorted = order(options, records);
        EXPECT_EQ(sorted.order[1], best->index + 1);
        EXPECT_EQ(sorted.scores[1], best->score);
      }
    }
  }
}

// A tie between choices that different threads score. The choices come in
// chunks of 64: the first holds short ones, the second long near-duplicates
// of the query, each closer than the one before so that each is scored
// exactly, and then a copy of the query; every later chunk starts with a
// copy. While one thread works through the second chunk, the others find
// later copies.
TEST(Library, TiesGoToTheEarliestChoiceWhicheverThreadFindsIt) {
  const Options options;
  std::mt19937 rng(7);
  std::string query;
  while (query.size() < 1900) query += "abcAB -x"[rng() % 8];
  std::vector<std::string> choices = random_records(rng, 64, 30);
  for (int i = 64; i < 127; ++i) {
    std::string near = query;
    for (int edit = 0; edit < 2 * (127 - i); ++edit) near[rng() % near.size()] = 'z';
    choices.push_back(near);
  }
  while (choices.size() < 1200) choices.push_back(random_records(rng, 1, 30)[0]);
  for (size_t i = 127; i < choices.size(); i += i == 127 ? 1 : 64) choices[i] = query;
  for (int round = 0; round < 20; ++round) {
    const std::optional<Match> best = find_best_match(options, query, choices, nullptr, 3);
    ASSERT_TRUE(best.has_value());
    EXPECT_EQ(best->index, 127u);
    EXPECT_EQ(best->score, 1000);
    const std::vector<Match> three = find_extract(options, query, choices, 3, nullptr, 3);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(three[0].index, 127u);
    EXPECT_EQ(three[1].index, 128u);
    EXPECT_EQ(three[2].index, 192u);
    EXPECT_EQ(three[2].score, 1000);
  }
}

// Statistics given by the caller replace those of the query and choices.
TEST(Library, OneToManyCallsReadTheStatisticsGiven) {
  std::mt19937 rng(5);
  for (const auto& args : {std::vector<std::string>{"-b"}, {"-f", "-p"}, {"-a9999"}}) {
    SCOPED_TRACE(trace(args));
    const Options options = Options::from_arguments(args);
    const Settings settings = parse_arguments(args, false);
    const std::vector<std::string> choices = random_records(rng, 600, 150);
    const std::vector<std::string> data_set = random_records(rng, 30, 1500);
    const RecordStats stats = index_records(settings, data_set).stats;
    const Statistics statistics = Statistics::of(options, data_set);
    const std::string& query = choices[17];
    int best_score = INT32_MIN;
    size_t best_index = 0, above = 0;
    for (size_t i = 0; i < choices.size(); ++i) {
      const int score = testing::literal_pair_score(settings, stats, query, choices[i]);
      if (score > best_score) {
        best_score = score;
        best_index = i;
      }
      above += score > 100;
    }
    const std::optional<Match> best = best_match(options, query, choices, statistics);
    ASSERT_TRUE(best.has_value());
    EXPECT_EQ(best->index, best_index);
    EXPECT_EQ(best->score, best_score);
    EXPECT_EQ(find_best_match(options, query, choices, &statistics, 2)->index, best_index);
    EXPECT_EQ(matches(options, query, choices, 100, statistics).size(), above);
    EXPECT_EQ(find_matches(options, query, choices, 100, &statistics, 2).size(), above);
  }
}

// The statistics of a list of records are those the program's scan gathers
// from an input of these records, one a line.
TEST(Library, StatisticsAreTheScans) {
  std::mt19937 rng(31);
  for (const auto& args : {std::vector<std::string>{}, {"-w32,120"}, {"-n"}, {"-b", "-w1"}}) {
    SCOPED_TRACE(trace(args));
    std::vector<std::string> records = random_records(rng, 40, 2600);
    std::string input;
    for (const std::string& record : records) input += record + "\n";
    const Settings settings = parse_arguments(args, false);
    MemorySource source(input);
    StringSink diagnostics;
    RecordIndex index;
    ASSERT_EQ(scan_records(settings, source, diagnostics, index), ScanStatus::ok);
    const Statistics statistics = Statistics::of(Options::from_arguments(args), records);
    EXPECT_EQ(statistics.min_byte, index.stats.min_byte);
    EXPECT_EQ(statistics.max_byte, index.stats.max_byte);
    EXPECT_EQ(statistics.records, uint64_t(index.stats.record_count));
    EXPECT_EQ(statistics.stored_bytes, uint64_t(index.stats.stored_bytes));
  }
}

TEST(Library, RefusesWhatTheProgramCouldNotHold) {
  const Options options;
  const std::string zero("a\0b", 3);
  EXPECT_THROW(Scorer(options, "", Statistics()), std::invalid_argument);
  Scorer scorer(options, "abc", Statistics());
  EXPECT_THROW(scorer.score(zero), std::invalid_argument);
  EXPECT_THROW(best_match(options, "", {"abc"}), std::invalid_argument);
  EXPECT_THROW(Statistics().add(options, zero), std::invalid_argument);
  // A bad choice is found wherever it lies, also among choices the threads share.
  std::vector<std::string> choices(900, "abcd");
  choices[811] = "";
  EXPECT_THROW(best_match(options, "abc", choices), std::invalid_argument);
  EXPECT_THROW(matches(options, "abc", choices, 0), std::invalid_argument);
  EXPECT_THROW(extract(options, "abc", choices, 0), std::invalid_argument);
  EXPECT_THROW(find_best_match(options, "abc", choices, nullptr, 3), std::invalid_argument);
  EXPECT_FALSE(best_match(options, "abc", {}).has_value());
  EXPECT_TRUE(matches(options, "abc", {}, -1000).empty());
  EXPECT_TRUE(extract(options, "abc", {}, 5).empty());
}

}  // namespace
}  // namespace vexaro
