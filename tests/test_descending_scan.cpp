// SPDX-License-Identifier: MIT
// The descending scan against the literal scorer's scan under each
// weighing, with and without blanks from an omit list, above and below a
// threshold, over every window lookup that takes the pair: the bit lookups
// up to their lengths and the automaton at any length. A fault of the scan
// fails under every lookup, a fault of a lookup under that one alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "brute_force.h"
#include "engine/arranged_pair.h"
#include "engine/automaton_lookup.h"
#include "engine/bit_lookup.h"
#include "engine/descending_scan.h"
#include "engine/matching_statistics.h"
#include "records/settings.h"
#include "scoring/literal_scorer.h"
#include "scoring/score_formula.h"

namespace vexaro {
namespace {

const std::vector<std::vector<std::string>> kWeighings = {
    {},         {"-p"},
    {"-a"},     {"-p", "-a"},
    {"-a1"},    {"-a5000"},
    {"-f"},     {"-p", "-a3", "-f"},
    {"-m"},     {"-m", "-p", "-a"},
    {"-oab;c"}, {"-oaa;bab;c", "-p"},
};

const uint8_t* raw(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.c_str()); }

struct Scan {
  const Measure measure;
  const ItemRules items;
  const RecordStats& stats;
  DescendingScan scan{measure, stats};
  MatchingStatistics matching;

  // The pair's score from the lookup's statistics and windows, as the pair scorer makes it.
  template <class Lookup>
  int32_t score(Lookup& lookup, const std::string& reference, const std::string& candidate,
                int32_t reference_stored, int32_t candidate_stored, int32_t threshold) {
    const PreparedItem r = prepared(items, raw(reference)), c = prepared(items, raw(candidate));
    const ArrangedPair a = arrange(r.view(), c.view());
    matching.measure_blank_free(a.pattern, items.blanks_bytes());
    const int32_t longest_common = lookup.statistics(a, matching);
    const int32_t start =
        start_length_from_lcs(a.pattern.length, measure.shortest_piece, longest_common);
    return scan.score(a, matching, lookup, start, reference_stored, candidate_stored, threshold);
  }
};

TEST(DescendingScan, ScoresAsTheLiteralScanUnderEachWeighing) {
  const RecordStats stats{.min_byte = 97,
                          .max_byte = 104,
                          .record_count = 9,
                          .stored_bytes = 400,
                          .twice_mean_length = 88};
  std::mt19937 rng(808);
  for (const auto& args : kWeighings) {
    const Settings settings = parse_arguments(args, false);
    LiteralScorer literal(settings, stats);
    const Measure measure = measure_of(settings);
    auto scan = std::make_unique<Scan>(measure, item_rules_of(settings), stats);
    auto narrow = std::make_unique<NarrowBitLookup>(measure.shortest_piece);
    auto wide = std::make_unique<WideBitLookup>(measure.shortest_piece);
    auto automaton = std::make_unique<AutomatonLookup>(measure.shortest_piece, true);
    for (int round = 0; round < 80; ++round) {
      // Long patterns wait in lists, short ones as bits; long ones without
      // blanks take their runs from the ends of their pieces.
      const std::string alphabet = round % 2 ? "abc" : "abcdefgh";
      const size_t length = round % 10 == 0 ? 130 + rng() % 300 : 1 + rng() % 100;
      const std::string reference = testing::random_text(rng, alphabet, length);
      const std::string candidate = round % 4 ? testing::edited(reference, rng, alphabet)
                                              : testing::random_text(rng, alphabet, length);
      const int32_t reference_stored = 1 + rng() % 60, candidate_stored = 1 + rng() % 60;
      const int32_t expected =
          literal.score(raw(reference), raw(candidate), reference_stored, candidate_stored);
      const int32_t searched = static_cast<int32_t>(std::max(reference.size(), candidate.size()));
      const int32_t threshold = expected + static_cast<int32_t>(rng() % 21) - 10;
      const std::string context = ::testing::PrintToString(args) + "\nreference " + reference +
                                  "\ncandidate " + candidate + "\nthreshold ";
      auto expect_literal = [&](auto& lookup, const char* name) {
        for (const int32_t below : {-1, threshold, INT32_MAX}) {
          const int32_t got =
              scan->score(lookup, reference, candidate, reference_stored, candidate_stored, below);
          if (expected > below) {
            ASSERT_EQ(got, expected) << name << " " << context << below;
          } else {
            ASSERT_LE(got, below) << name << " " << context << below;
          }
        }
      };
      if (searched <= NarrowBitLookup::kLongestItem) expect_literal(*narrow, "narrow bit lookup");
      if (searched <= WideBitLookup::kLongestItem) expect_literal(*wide, "wide bit lookup");
      expect_literal(*automaton, "automaton lookup");
      if (HasFatalFailure()) return;
    }
  }
}

}  // namespace
}  // namespace vexaro
