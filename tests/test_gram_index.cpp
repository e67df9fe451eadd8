// SPDX-License-Identifier: MIT
// The q-gram coverage counts against a byte-by-byte count, for every live
// record, while records retire; the records a threshold lists; and the
// bounds of a large input, which keeps no window bits, against a small one's.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/candidate_bounds.h"
#include "engine/gram_index.h"
#include "engine/grams.h"
#include "engine/prepared_records.h"
#include "engine/row_candidate.h"

namespace vexaro {
namespace {

// Reference bytes covered by a clean window whose q-gram is a clean window
// of the candidate too.
int32_t covered_by_hand(ItemView reference, ItemView candidate) {
  const int32_t q = kGram;
  std::set<std::string> grams;
  for_each_window(candidate, [&](int32_t start, bool clean) {
    if (clean) grams.emplace(reinterpret_cast<const char*>(candidate.bytes + start), q);
  });
  std::vector<bool> covered(reference.length, false);
  for_each_window(reference, [&](int32_t start, bool clean) {
    if (!clean ||
        !grams.count(std::string(reinterpret_cast<const char*>(reference.bytes + start), q)))
      return;
    for (int32_t i = start; i < start + q; ++i) covered[i] = true;
  });
  int32_t count = 0;
  for (bool c : covered) count += c;
  return count;
}

std::string random_record(std::mt19937& rng) {
  static const std::string alphabets[] = {"ab", "abcd", "aAbB", "abcdefghijklmnop"};
  const std::string& alphabet = alphabets[rng() % 4];
  std::string record(1 + rng() % (rng() % 10 == 0 ? 300 : 30), 'a');
  for (char& c : record) c = alphabet[rng() % alphabet.size()];
  return record;
}

RecordIndex random_index(const Settings& settings, std::mt19937& rng, int count) {
  std::vector<std::string> texts;
  for (int i = 0; i < count; ++i) texts.push_back(random_record(rng));
  return index_records(settings, texts);
}

// Rows of `retiring` references each, drawn at random; the counts of every
// `step`-th live record and the records listed are checked by hand.
void check_counts_and_lists(const Settings& settings, int count, int rows, int retiring, int step) {
  std::mt19937 rng(11);
  const RecordIndex index = random_index(settings, rng, count);
  const PreparedRecords records(item_rules_of(settings), measure_of(settings), index);
  GramIndex grams(records, index);
  std::vector<bool> live(index.size(), true);
  for (int row = 0; row < rows; ++row) {
    int32_t reference = 0;
    for (int retired = 0; retired < retiring; ++retired) {
      do reference = static_cast<int32_t>(rng() % index.size());
      while (!live[reference]);
      grams.retire(reference);
      live[reference] = false;
    }
    grams.prepare_row(records.reference(reference));
    // Counted and listed in two ranges, as two threads share a row.
    const int32_t split = static_cast<int32_t>(rng() % (grams.words() + 1)) / 2 * 2;
    grams.count_words(split, grams.words());
    grams.count_words(0, split);
    const int32_t need = static_cast<int32_t>(rng() % 12);
    std::set<int32_t> expected, listed;
    for (int32_t r = 0; r < index.size(); ++r) {
      if (!live[r]) continue;
      if (r % step == 0) {
        const int32_t by_hand = covered_by_hand(records.reference(reference), records.candidate(r));
        ASSERT_EQ(grams.covered(r), by_hand) << "row " << row << " record " << r;
      }
      if (grams.covered(r) >= need) expected.insert(r);
    }
    for (auto [first, end] : {std::pair{0, split}, std::pair{split, grams.words()}}) {
      grams.collect(
          first, end, [&](int32_t) { return need; },
          [&](int32_t r) {
            EXPECT_TRUE(grams.word_of(r) >= first && grams.word_of(r) < end);
            listed.insert(r);
          });
    }
    ASSERT_EQ(listed, expected) << "row " << row;
  }
}

TEST(GramIndex, CountsAndListsMatchAByteByByteCount) {
  // Enough records retire, a dozen per row, for the index to renumber the rest.
  for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"-oab"}, {"-v"}})
    check_counts_and_lists(parse_arguments(args, false), 1200, 60, 12, 1);
}

// Past 65536 records the postings hold wider ranks, through a renumbering too.
TEST(GramIndex, CountsPastSixteenBitRanks) {
  check_counts_and_lists(parse_arguments({}, false), 70000, 3, 20000, 13);
}

// Without window bits made beforehand, the candidate-side coverage comes
// from the candidate's bytes: every bound must refuse what it refused.
TEST(CandidateBounds, RefuseTheSameWithoutWindowBits) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"-oab"}, {"-a"}}) {
    const Settings settings = parse_arguments(args, false);
    std::mt19937 rng(5);
    const RecordIndex index = random_index(settings, rng, 300);
    const ItemRules items = item_rules_of(settings);
    const Measure measure = measure_of(settings);
    const PreparedRecords with_bits(items, measure, index), without_bits(items, measure, index, 0);
    ASSERT_NE(with_bits.window_bits(0), nullptr);
    ASSERT_EQ(without_bits.window_bits(0), nullptr);
    CandidateBounds bounds(measure, index.stats);
    for (int32_t reference = 0; reference < 40; ++reference) {
      bounds.load_reference(with_bits.reference(reference), index.stored_lengths[reference]);
      CoverageTrials kept_trials, made_trials;
      for (int32_t r = reference + 1; r < index.size(); ++r) {
        const int32_t threshold = static_cast<int32_t>(rng() % 1100) - 50;
        ASSERT_EQ(
            bounds.cannot_beat(RowCandidate(with_bits, index, nullptr, r), threshold, &kept_trials),
            bounds.cannot_beat(RowCandidate(without_bits, index, nullptr, r), threshold,
                               &made_trials))
            << "reference " << reference << " record " << r;
      }
    }
  }
}

}  // namespace
}  // namespace vexaro
