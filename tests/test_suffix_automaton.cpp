// SPDX-License-Identifier: MIT
// The suffix automaton against substring search: the longest piece ending
// at each text byte that occurs in the item, the first place of each of
// its lengths, and the item's q-gram classes. Short items over two letters
// meet every text of four; long ones meet near-identical and unrelated
// texts, walked plain, along the item, and through the completed table
// from both halves.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <string_view>

#include "brute_force.h"
#include "engine/grams.h"
#include "engine/matching_statistics.h"
#include "engine/suffix_automaton.h"

namespace vexaro {
namespace {

using testing::longest_ending;
using testing::view_of;

struct Walked {
  SuffixAutomaton automaton;
  MatchingStatistics stats;
};

// `text` walked through the automaton of `item`; each length of a long
// piece is looked up when `every_length`, else a few.
void expect_walk_as_search(Walked& w, const std::string& item, const std::string& text,
                           bool every_length) {
  const int32_t longest_common = w.automaton.statistics_of(view_of(text), w.stats);
  const std::vector<int32_t> longest = longest_ending(item, text);
  for (size_t i = 0; i < text.size(); ++i) {
    ASSERT_EQ(w.stats.end_len[i], longest[i])
        << "item " << item << "\ntext " << text << " at " << i;
    for (int32_t L = 1; L <= longest[i]; L = every_length ? L + 1 : L * 2 + 1) {
      const size_t first = item.find(text.substr(i + 1 - L, L));
      ASSERT_EQ(w.automaton.first_occurrence(w.stats.end_state[i], L), static_cast<int32_t>(first))
          << "item " << item << "\ntext " << text << " ending at " << i << " length " << L;
    }
  }
  EXPECT_EQ(longest_common, *std::max_element(longest.begin(), longest.end()));
}

// The item's own statistics from `searched` walked through its automaton,
// and the q-gram classes: one per distinct q-gram of the item, and per
// searched byte the class of the q-gram ending there, 0 if the item lacks it.
void expect_walk_through_as_search(Walked& w, const std::string& item,
                                   const std::string& searched) {
  w.automaton.statistics_through(view_of(searched), w.stats);
  const std::vector<int32_t> longest = longest_ending(searched, item);
  for (size_t i = 0; i < item.size(); ++i)
    ASSERT_EQ(w.stats.end_len[i], longest[i]) << "item " << item << "\nsearched " << searched;
  std::map<std::string, int32_t> class_of;
  for (int32_t P = 0; P + kGram <= static_cast<int32_t>(item.size()); ++P) {
    const auto at = class_of.emplace(item.substr(P, kGram), w.automaton.gram_class_at(P)).first;
    ASSERT_EQ(w.automaton.gram_class_at(P), at->second) << item << " q-gram at " << P;
  }
  ASSERT_EQ(w.automaton.gram_classes(), static_cast<int32_t>(class_of.size()) + 1) << item;
  for (size_t j = 0; j < searched.size(); ++j) {
    const auto known =
        j + 1 < kGram ? class_of.end() : class_of.find(searched.substr(j + 1 - kGram, kGram));
    ASSERT_EQ(w.automaton.gram_class_of(w.stats.end_state[j]),
              known == class_of.end() ? 0 : known->second)
        << "item " << item << "\nsearched " << searched << " q-gram ending at " << j;
  }
}

// The texts of `length` letters, numbered in the alphabet's base.
std::string nth_text(std::string_view alphabet, size_t length, size_t number) {
  std::string text;
  for (; text.size() < length; number /= alphabet.size())
    text += alphabet[number % alphabet.size()];
  return text;
}

TEST(SuffixAutomaton, EveryShortItemMeetsEveryShortText) {
  auto w = std::make_unique<Walked>();
  for (size_t n = 1; n <= 6; ++n) {
    for (size_t number = 0; number < size_t{1} << n; ++number) {
      const std::string item = nth_text("ab", n, number);
      w->automaton.build(view_of(item));
      ASSERT_TRUE(w->automaton.holds(view_of(item)));
      for (size_t other = 0; other < 3 * 3 * 3 * 3; ++other) {
        const std::string text = nth_text("abc", 4, other);
        expect_walk_as_search(*w, item, text, true);
        expect_walk_through_as_search(*w, item, text);
        if (HasFatalFailure()) return;
      }
    }
  }
}

TEST(SuffixAutomaton, LongItemsWalkedEveryWay) {
  auto w = std::make_unique<Walked>();
  std::mt19937 rng(2024);
  for (int round = 0; round < 40; ++round) {
    const std::string alphabet = round % 3 == 0   ? "ab"
                                 : round % 3 == 1 ? "abcd"
                                                  : "abcdefghijklmnop";
    const std::string item = testing::random_text(rng, alphabet, 100 + rng() % 300);
    w->automaton.build(view_of(item));
    // The completed table from the third text on, as a row's reference.
    for (int text = 0; text < 4; ++text) {
      if (text == 2) w->automaton.complete();
      std::string other = testing::edited(item, rng, alphabet);
      if (text == 1) other = other.substr(rng() % other.size()) + other;
      if (text == 3) other = testing::random_text(rng, alphabet, 256 + rng() % 300);
      expect_walk_as_search(*w, item, other, false);
      expect_walk_through_as_search(*w, item, other);
      if (HasFatalFailure()) return;
    }
  }
}

}  // namespace
}  // namespace vexaro
