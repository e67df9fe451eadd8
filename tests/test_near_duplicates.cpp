// SPDX-License-Identifier: MIT
// Near-duplicates against the literal scorer and engine: long items that
// differ by a few edits follow the automaton's item and wait as a few runs
// in the scan, repeated records are twins, and texts that repeat their own
// pieces make every shortcut meet a place that occurs more than once.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "cli/program.h"
#include "engine/fast_search.h"
#include "engine/pair_scorer.h"
#include "records/record_index.h"
#include "records/settings.h"
#include "records/streams.h"
#include "run_in_memory.h"
#include "scoring/item.h"
#include "scoring/literal_scorer.h"
#include "scoring/literal_search.h"
#include "scoring/score_formula.h"

namespace vexaro {
namespace {

const uint8_t* bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.c_str()); }

// Texts of three kinds: word-like prose, a short period repeated, and two
// letters; long enough that a pattern passes 256 bytes. A marker stands
// inside, where an omit list blanks long shared pieces in two.
std::string base_text(std::mt19937& rng, size_t length) {
  static const char* words[] = {"the", "record",  "shall", "be",      "sorted", "by",
                                "its", "nearest", "kin",   "license", "Free",   "software"};
  std::string text;
  switch (rng() % 3) {
    case 0:
      while (text.size() < length) text += std::string(words[rng() % 12]) + " ";
      break;
    case 1:
      while (text.size() < length) text += "abcab";
      break;
    default:
      while (text.size() < length) text += "ab"[rng() % 2];
  }
  text = text.substr(0, length);
  text.insert(length / 3 + rng() % (length / 3), "Mark");
  return text;
}

// One to ten edits: a byte replaced, bytes inserted or deleted, a block
// moved elsewhere.
std::string edited(std::string text, std::mt19937& rng) {
  for (int edits = 1 + rng() % 10; edits > 0 && text.size() > 20; --edits) {
    const size_t at = rng() % (text.size() - 10);
    switch (rng() % 4) {
      case 0:
        text[at] = "xqzE"[rng() % 4];
        break;
      case 1:
        text.insert(at, std::string(1 + rng() % 6, 'y'));
        break;
      case 2:
        text.erase(at, 1 + rng() % 6);
        break;
      default: {
        const std::string block = text.substr(at, 5 + rng() % 40);
        text.erase(at, block.size());
        text.insert(rng() % text.size(), block);
      }
    }
  }
  return text;
}

const std::vector<std::vector<std::string>> kOptionSets = {
    {}, {"-p"}, {"-a"}, {"-p", "-a3", "-f"}, {"-m"}, {"-v"}, {"-ok;ab"}, {"-b"},
};

TEST(NearDuplicates, LongPairsScoreAsTheLiteralScorer) {
  const RecordStats stats{.min_byte = 65,
                          .max_byte = 122,
                          .record_count = 10,
                          .stored_bytes = 6000,
                          .twice_mean_length = 1200};
  std::mt19937 rng(2026);
  for (const auto& args : kOptionSets) {
    const Settings s = parse_arguments(args, false);
    LiteralScorer literal(s, stats);
    PairScorer fast(item_rules_of(s), measure_of(s), stats);
    for (int round = 0; round < 10; ++round) {
      // Searched items of up to 256 bytes meet the bit lookups, longer
      // ones the automaton.
      const std::string base =
          round % 2 ? base_text(rng, 140 + rng() % 110) : base_text(rng, 280 + rng() % 400);
      const std::string reference = edited(base, rng);
      const PreparedItem ref = prepared(item_rules_of(s), bytes(reference));
      // The row's reference meets shorter and longer versions of itself.
      for (int j = 0; j < 4; ++j) {
        const std::string candidate = edited(base, rng);
        const int32_t expected = literal.score(bytes(reference), bytes(candidate), 600, 610);
        const PreparedItem cand = prepared(item_rules_of(s), bytes(candidate));
        const std::string context =
            ::testing::PrintToString(args) + "\n" + reference + "\n" + candidate;
        ASSERT_EQ(fast.score(ref.view(), cand.view(), 600, 610, -1), expected) << context;
        const int32_t near = fast.score(ref.view(), cand.view(), 600, 610, expected - 1);
        ASSERT_EQ(near, expected) << context;
        ASSERT_LE(fast.score(ref.view(), cand.view(), 600, 610, expected), expected) << context;
      }
    }
  }
}

TEST(NearDuplicates, SingleModeFindsTheLiteralSubstring) {
  const Settings s = parse_arguments({"-a9999"}, false);
  RecordStats stats;
  stats.record_count = 4;
  stats.stored_bytes = 2000;
  std::mt19937 rng(77);
  LiteralScorer literal(s, stats);
  PairScorer fast(item_rules_of(s), measure_of(s), stats);
  for (int round = 0; round < 20; ++round) {
    const std::string base = base_text(rng, 300 + rng() % 300);
    const std::string reference = edited(base, rng), candidate = edited(base, rng);
    literal.start_row();
    literal.score(bytes(reference), bytes(candidate), 5, 5);
    // The hit points into one of the prepared items, which must outlive it.
    const PreparedItem ref = prepared(item_rules_of(s), bytes(reference)),
                       cand = prepared(item_rules_of(s), bytes(candidate));
    const LongestHit hit = fast.longest_hit(ref.view(), cand.view());
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(hit.bytes), hit.length),
              literal.longest_substring())
        << reference << "\n"
        << candidate;
  }
}

// Versions of one text, and lines repeated exactly or differing only in
// bytes that preparation drops or folds, so that twins stand in every order.
std::string versions_and_copies(std::mt19937& rng) {
  std::string input;
  const std::string base = base_text(rng, 300);
  for (int i = 0; i < 14; ++i) input += edited(base, rng) + "\n";
  const std::string lines[] = {"Same line again", "same LINE again", "same line, again!"};
  for (int i = 0; i < 16; ++i) {
    input += lines[rng() % 3] + "\n";
    if (rng() % 4 == 0) input += edited(base, rng) + "\n";
  }
  return input;
}

TEST(NearDuplicates, WholeRunsMatchTheLiteralEngineOnEveryThreadCount) {
  std::mt19937 rng(99);
  for (const auto& options : std::vector<std::vector<std::string>>{
           {"-dr"}, {"-d", "-p", "-a"}, {"-d", "-a9999"}, {"-d", "-f", "-r"}, {"-d", "-m"}}) {
    const std::string input = versions_and_copies(rng);
    const testing::Outcome expected = testing::run_in_memory(input, options, make_literal_search);
    for (int threads : {1, 2, 3}) {
      const testing::Outcome fast = testing::run_in_memory(
          input, options, [threads](const Settings& s, const RecordIndex& i) {
            return make_fast_search(s, i, threads, true);
          });
      const std::string context =
          ::testing::PrintToString(options) + " threads " + std::to_string(threads) + "\n" + input;
      ASSERT_EQ(fast.output, expected.output) << context;
      ASSERT_EQ(fast.diagnostics, expected.diagnostics) << context;
      ASSERT_EQ(fast.status, expected.status) << context;
    }
  }
}

}  // namespace
}  // namespace vexaro
