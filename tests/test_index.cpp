// SPDX-License-Identifier: MIT
// The index of choices against the literal scorer: every query form, on
// random lists with near-duplicates and exact copies, under every option
// set, on one thread and on several.
#include <gtest/gtest.h>
#include <vexaro/vexaro.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "library_cases.h"
#include "literal_pair.h"
#include "records/record_index.h"
#include "records/settings.h"

namespace vexaro {
namespace {

using testing::kOptionSets;
using testing::random_records;

// Random records with exact copies of earlier ones among them, which the
// index keeps as twins.
std::vector<std::string> choices_with_copies(std::mt19937& rng, size_t count, size_t longest) {
  std::vector<std::string> choices = random_records(rng, count, longest);
  for (size_t i = 1; i < choices.size(); ++i) {
    if (rng() % 6 == 0) choices[i] = choices[rng() % i];
  }
  return choices;
}

// A choice as it is, a choice changed a little, and a record of its own.
std::vector<std::string> queries_for(std::mt19937& rng, const std::vector<std::string>& choices) {
  std::string changed = choices[rng() % choices.size()];
  changed[rng() % changed.size()] = 'z';
  return {choices[rng() % choices.size()], changed, random_records(rng, 1, 150)[0]};
}

// Every choice with its literal score against the query, the best first,
// ties in the order of the choices.
std::vector<Match> literal_ranking(const Settings& settings, const RecordStats& stats,
                                   std::string_view query,
                                   const std::vector<std::string>& choices) {
  std::vector<Match> ranking;
  for (size_t i = 0; i < choices.size(); ++i) {
    testing::LiteralPair pair = testing::literal_pair(settings, stats, query, choices[i]);
    if (!measure_of(settings).longest_substrings()) pair.substring.clear();
    ranking.push_back({i, pair.score, pair.substring});
  }
  std::stable_sort(ranking.begin(), ranking.end(),
                   [](const Match& a, const Match& b) { return a.score > b.score; });
  return ranking;
}

void expect_same(const std::vector<Match>& found, const std::vector<Match>& expected) {
  ASSERT_EQ(found.size(), expected.size());
  for (size_t k = 0; k < found.size(); ++k) {
    EXPECT_EQ(found[k].index, expected[k].index) << "place " << k;
    EXPECT_EQ(found[k].score, expected[k].score) << "place " << k;
    EXPECT_EQ(found[k].substring, expected[k].substring) << "place " << k;
  }
}

std::vector<Match> first(const std::vector<Match>& ranking, size_t limit) {
  return {ranking.begin(), ranking.begin() + std::min(limit, ranking.size())};
}

std::vector<Match> above(const std::vector<Match>& ranking, int min_score) {
  std::vector<Match> found;
  for (const Match& m : ranking) {
    if (m.score > min_score) found.push_back(m);
  }
  return found;
}

// One index against the literal ranking of each query: the best match, the
// first 0, 1, 5 and all choices, and the choices above three scores.
void check_queries(const Index& index, const Settings& settings, const RecordStats& stats,
                   const std::vector<std::string>& choices,
                   const std::vector<std::string>& queries) {
  std::vector<std::optional<Match>> bests;
  for (const std::string& query : queries) {
    SCOPED_TRACE(query);
    const std::vector<Match> ranking = literal_ranking(settings, stats, query, choices);
    const std::optional<Match> best = index.best_match(query);
    ASSERT_TRUE(best.has_value());
    expect_same({*best}, first(ranking, 1));
    bests.push_back(best);
    for (const size_t limit : {size_t{0}, size_t{1}, size_t{5}, choices.size(), choices.size() + 2})
      expect_same(index.extract(query, limit), first(ranking, limit));
    for (const size_t place : {size_t{0}, ranking.size() / 3, ranking.size() - 1}) {
      expect_same(index.matches(query, ranking[place].score), above(ranking, ranking[place].score));
    }
    expect_same(index.matches(query, ranking.back().score - 1), ranking);
  }
  const std::vector<std::optional<Match>> batch = index.best_matches(queries);
  ASSERT_EQ(batch.size(), queries.size());
  for (size_t q = 0; q < queries.size(); ++q) expect_same({*batch[q]}, {*bests[q]});
}

TEST(Index, EveryQueryFormFollowsTheLiteralScores) {
  std::mt19937 rng(26);
  for (const auto& args : kOptionSets) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const Options options = Options::from_arguments(args);
    const Settings settings = parse_arguments(args, false);
    for (const size_t count : {1, 9, 300}) {
      const std::vector<std::string> choices = choices_with_copies(rng, count, 150);
      const RecordStats stats = index_records(settings, choices).stats;
      const std::vector<std::string> queries = queries_for(rng, choices);
      for (const int threads : {1, 2}) {
        const Index index(options, choices, std::nullopt, threads);
        ASSERT_EQ(index.size(), choices.size());
        check_queries(index, settings, stats, choices, queries);
      }
    }
  }
}

// Enough choices for the gram index's counts to be taken block by block,
// the blocks of the query's length first, under the measures it serves.
TEST(Index, ChoicesCountedBlockByBlockFollowTheLiteralScores) {
  std::mt19937 rng(28);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"-p", "-a3", "-f"}, {"-a9999"}}) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const Settings settings = parse_arguments(args, false);
    const std::vector<std::string> choices = choices_with_copies(rng, 5000, 40);
    const RecordStats stats = index_records(settings, choices).stats;
    const Index index(Options::from_arguments(args), choices, std::nullopt, 2);
    check_queries(index, settings, stats, choices, queries_for(rng, choices));
  }
}

// The scores are a Scorer's with the index's statistics, given or the choices'.
TEST(Index, ScoresAreAScorersWithTheIndexsStatistics) {
  std::mt19937 rng(27);
  for (const auto& args : kOptionSets) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const Options options = Options::from_arguments(args);
    const std::vector<std::string> choices = random_records(rng, 200, 400);
    const std::vector<std::string> data_set = random_records(rng, 20, 900);
    for (const std::optional<Statistics>& given :
         {std::optional<Statistics>(), std::optional(Statistics::of(options, data_set))}) {
      const Index index(options, choices, given, 1);
      const Statistics statistics = given ? *given : Statistics::of(options, choices);
      EXPECT_EQ(index.statistics().stored_bytes, statistics.stored_bytes);
      const std::string query = queries_for(rng, choices)[1];
      Scorer scorer(options, query, statistics);
      for (const Match& match : index.matches(query, INT32_MIN)) {
        ASSERT_EQ(match.score, scorer.score(choices[match.index])) << choices[match.index];
      }
    }
  }
}

// Callers on several threads share one index and its pool, each asking
// for its own number of the pool's threads; all see the one-thread results.
TEST(Index, CallersOnSeveralThreadsShareOneIndex) {
  std::mt19937 rng(29);
  const std::vector<std::string> choices = choices_with_copies(rng, 3000, 60);
  std::vector<std::string> queries;
  for (int q = 0; q < 12; ++q) queries.push_back(queries_for(rng, choices)[q % 3]);
  const Index index(Options(), choices, std::nullopt, 3);
  const std::vector<std::optional<Match>> expected = index.best_matches(queries, 1);
  std::vector<std::vector<std::optional<Match>>> found(4);
  std::vector<std::thread> callers;
  for (int c = 0; c < 4; ++c) {
    callers.emplace_back([&, c] {
      for (int round = 0; round < 3; ++round) found[c] = index.best_matches(queries, c);
      for (size_t q = 0; q < queries.size(); ++q) found[c][q] = index.best_match(queries[q]);
    });
  }
  for (std::thread& caller : callers) caller.join();
  for (const auto& each : found) {
    for (size_t q = 0; q < queries.size(); ++q) expect_same({*each[q]}, {*expected[q]});
  }
}

TEST(Index, TakesRangesOfTextAndRefusesWhatNoRecordHolds) {
  const std::vector<std::string_view> views = {"apple pie", "banana split", "apple pies"};
  const char* const pointers[] = {"apple pie", "banana split", "apple pies"};
  const Index from_views(Options(), views), from_pointers(Options(), pointers);
  const Index from_list(Options(), {"apple pie", "banana split", "apple pies"});
  EXPECT_EQ(from_views.best_match("apple pies")->index, 2u);
  EXPECT_EQ(from_pointers.best_match("banana")->index, 1u);
  EXPECT_EQ(from_list.choice(1), "banana split");
  EXPECT_FALSE(Index(Options(), std::vector<std::string>()).best_match("x").has_value());
  try {
    const Index bad(Options(), {"abc", "def", std::string_view("g\0h", 3)});
    FAIL() << "a choice with a zero byte was taken";
  } catch (const std::invalid_argument& error) {
    EXPECT_NE(std::string(error.what()).find("choice 2"), std::string::npos) << error.what();
  }
  EXPECT_THROW(Index(Options(), {"abc", ""}), std::invalid_argument);
  EXPECT_THROW(from_list.best_match(""), std::invalid_argument);
  EXPECT_THROW(from_list.best_matches({"a", "b", ""}), std::invalid_argument);
  Index moved(Options(), {"abc"});
  const Index taker = std::move(moved);
  EXPECT_THROW(moved.best_match("abc"), std::logic_error);  // NOLINT: moved from on purpose
  EXPECT_EQ(taker.best_match("abc")->score, 1000);
}

}  // namespace
}  // namespace vexaro
