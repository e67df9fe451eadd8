// SPDX-License-Identifier: MIT
// The fast pair scorer against the literal one, on random and adversarial
// pairs under every scoring option: longest hits, and a long reference
// that keeps its tables between candidates. Scores above a threshold meet
// the literal ones through each window lookup in test_descending_scan.cpp,
// and through the library in test_api_matching.cpp.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/pair_scorer.h"
#include "engine/prepared_records.h"
#include "engine/slot_prefixes.h"
#include "records/record_index.h"
#include "records/settings.h"
#include "scoring/item.h"
#include "scoring/literal_scorer.h"
#include "scoring/score_formula.h"

namespace vexaro {
namespace {

const std::vector<std::vector<std::string>> kOptionSets = {
    {},          {"-p"},
    {"-a"},      {"-p", "-a"},
    {"-a1"},     {"-a5000"},
    {"-f"},      {"-p", "-a3", "-f"},
    {"-m"},      {"-m", "-p", "-a"},
    {"-b"},      {"-v"},
    {"-oab;ba"}, {"-oaa;bab;c", "-p"},
    {"-w32"},    {"-s2", "-n"},
};

RecordStats test_stats() {
  return {.min_byte = 40,
          .max_byte = 122,
          .record_count = 10,
          .stored_bytes = 95,
          .twice_mean_length = 18};
}

// Items from few letters, so that long common pieces, repeats and ties abound.
std::string random_item(std::mt19937& rng) {
  static const std::string alphabets[] = {"ab", "abc", "aAbB c", "abcdefghij", "xyz\t\x01\xc3\xe3"};
  const std::string& alphabet = alphabets[rng() % 5];
  const size_t length = rng() % 8 == 0 ? 100 + rng() % 500 : rng() % 40;
  std::string item;
  while (item.size() < length) {
    if (!item.empty() && rng() % 4 == 0) {  // copy an earlier piece: a repeat
      size_t from = rng() % item.size();
      item += item.substr(from, 1 + rng() % 12);
    } else {
      item += alphabet[rng() % alphabet.size()];
    }
  }
  return item.substr(0, length);
}

// Two items that share pieces: one is the other with edits.
std::pair<std::string, std::string> random_pair(std::mt19937& rng) {
  std::string a = random_item(rng);
  if (rng() % 3 == 0) return {a, random_item(rng)};
  std::string b = a;
  for (int edits = rng() % 6; edits > 0 && !b.empty(); --edits) {
    const size_t at = rng() % b.size();
    if (rng() % 2)
      b.erase(at, 1 + rng() % 3);
    else
      b.insert(at, 1, "axq"[rng() % 3]);
  }
  if (rng() % 4 == 0) b = b.substr(b.size() / 2) + b.substr(0, b.size() / 2);  // order changes
  return {a, b};
}

const uint8_t* bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.c_str()); }

PreparedItem prepare(const Settings& s, const std::string& raw) {
  return prepared(item_rules_of(s), bytes(raw));
}

// Longest substrings: a row's scores and recorded substring follow from the first
// hit of each candidate alone.
TEST(FastScorer, LongestHitsReproduceTheLiteralRow) {
  const RecordStats stats = test_stats();
  std::mt19937 rng(777);
  for (const auto& extra : kOptionSets) {
    std::vector<std::string> args = extra;
    args.push_back("-a9999");
    const Settings s = parse_arguments(args, false);
    if (s.byte_difference) continue;
    LiteralScorer literal(s, stats);
    PairScorer fast(item_rules_of(s), measure_of(s), stats);
    for (int row = 0; row < 40; ++row) {
      literal.start_row();
      std::string reference = random_item(rng);
      const PreparedItem ref = prepare(s, reference);
      std::string longest;
      for (int j = 0; j < 8; ++j) {
        std::string cand = j % 2 ? random_pair(rng).second : random_item(rng);
        if (j % 3 == 0) cand = reference.substr(rng() % (reference.size() + 1)) + cand;
        const int32_t expected =
            literal.score(j == 0 ? bytes(reference) : nullptr, bytes(cand), 5, 5);
        const PreparedItem c = prepare(s, cand);
        const LongestHit hit = fast.longest_hit(ref.view(), c.view());
        if (hit.length > static_cast<int32_t>(longest.size())) {
          longest.assign(reinterpret_cast<const char*>(hit.bytes), hit.length);
        }
        ASSERT_EQ(longest_substring_score(stats, static_cast<int32_t>(longest.size())), expected);
        ASSERT_EQ(longest, literal.longest_substring()) << "ref " << reference << " cand " << cand;
      }
    }
  }
}

// A row's long reference against candidates both longer and shorter, so
// that its kept automaton serves both as the searched item and as the
// pattern a longer candidate is walked through.
TEST(FastScorer, LongReferenceMeetsLongerAndShorterCandidates) {
  const RecordStats stats = test_stats();
  std::mt19937 rng(4242);
  for (const auto& args : kOptionSets) {
    const Settings s = parse_arguments(args, false);
    LiteralScorer literal(s, stats);
    PairScorer fast(item_rules_of(s), measure_of(s), stats);
    for (int row = 0; row < 12; ++row) {
      std::string reference;
      while (reference.size() < 200) reference += random_item(rng);
      const PreparedItem ref = prepare(s, reference);
      for (int j = 0; j < 8; ++j) {
        std::string cand = random_pair(rng).second;
        const size_t cut = rng() % reference.size();
        cand = j % 2 ? cand + reference.substr(cut) + reference.substr(0, cut)
                     : reference.substr(cut, reference.size() / 3) + cand;
        const int32_t expected = literal.score(bytes(reference), bytes(cand), 7, 9);
        const PreparedItem c = prepare(s, cand);
        ASSERT_EQ(fast.score(ref.view(), c.view(), 7, 9, -1), expected)
            << "args " << ::testing::PrintToString(args) << " ref " << reference << " cand "
            << cand;
      }
    }
  }
}

TEST(FastScorer, StartLengthFollowsTheDoublingProbe) {
  struct Case {
    int32_t n, shortest_piece, lcs, start;
  };
  const Case cases[] = {
      {12, 3, 12, 11}, {13, 3, 13, 13},  {24, 3, 24, 23},  {8, 3, 8, 8}, {10, 3, 5, 5},
      {10, 3, 2, 2},   {100, 3, 11, 11}, {100, 3, 12, 23}, {4, 1, 4, 3}, {5, 1, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(start_length_from_lcs(c.n, c.shortest_piece, c.lcs), c.start)
        << c.n << " " << c.shortest_piece << " " << c.lcs;
  }
}

// Under -b a row reads its candidates' first bytes in slot order: every
// score it reports above the best must be the literal one, and no
// candidate that beats the best may be reported below it. Items straddle
// the width of the kept bytes, and byte ranges include the empty and the
// inverted ones, where differences do not lower a score.
TEST(SlotPrefixes, ReportsExactlyTheCandidatesThatBeatTheBest) {
  const Settings settings = parse_arguments({"-b"}, false);
  std::mt19937 rng(11);
  std::vector<std::string> texts = {"", "a"};
  for (int n = 1; n <= 80; n += 1 + static_cast<int>(rng() % 3)) {
    std::string text(n, 'a');
    for (char& c : text) c = static_cast<char>('a' + rng() % 6);
    texts.push_back(text);
    texts.push_back(text.substr(0, n / 2) + std::string(n - n / 2, 'c'));
  }
  const RecordIndex index = index_records(settings, texts);
  const PreparedRecords records(item_rules_of(settings), measure_of(settings), index);
  Slots slots(index.size());
  for (int32_t j = 0; j < index.size(); ++j) slots[j] = index.size() - 1 - j;
  for (const auto& [min_byte, max_byte] : {std::pair{97, 102}, {0, 255}, {100, 100}, {200, 50}}) {
    RecordStats stats = index.stats;
    stats.min_byte = static_cast<uint8_t>(min_byte);
    stats.max_byte = static_cast<uint8_t>(max_byte);
    SlotPrefixes prefixes(records, stats, slots);
    LiteralScorer scorer(settings, stats);
    for (int32_t reference = 0; reference < index.size(); reference += 5) {
      const ItemView r = records.reference(reference);
      prefixes.load_reference(r);
      for (int32_t j = 0; j < index.size(); ++j) {
        const ItemView c = records.candidate(slots[j]);
        const int32_t literal = scorer.score(bytes(texts[reference]), bytes(texts[slots[j]]), 0, 0);
        for (int32_t best = -1; best <= 1000; ++best) {
          const int32_t fast = prefixes.score(j, best);
          ASSERT_EQ(fast > best, literal > best)
              << "range " << min_byte << "-" << max_byte << " lengths " << r.length << " "
              << c.length << " best " << best;
          if (fast > best) {
            ASSERT_EQ(fast, literal);
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace vexaro
