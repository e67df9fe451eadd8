// SPDX-License-Identifier: MIT
// Q-gram chains against a plain pass over the item: the first place of
// each q-gram, and the longest leading piece of a window that stands at a
// place of its first q-gram in the item as blanked so far, while a scan
// blanks more and more, and again after the chains are restored for the
// next pair. Chained by hashing and by classes the caller numbered.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "brute_force.h"
#include "engine/gram_chains.h"
#include "engine/grams.h"

namespace vexaro {
namespace {

// The longest leading piece of `window` at a place of the item that starts
// with the window's q-gram, and the first place of that length.
Piece longest_piece_by_hand(const std::string& item, const std::string& text,
                            const std::string& window) {
  Piece best;
  for (size_t h = 0; h + kGram <= item.size(); ++h) {
    if (item.compare(h, kGram, window, 0, kGram) != 0) continue;
    int32_t agree = 0;
    while (h + agree < text.size() && agree < static_cast<int32_t>(window.size()) &&
           text[h + agree] == window[agree])
      ++agree;
    if (agree > best.length) best = {agree, static_cast<int32_t>(h)};
  }
  return best;
}

std::string described(Piece piece) {
  return std::to_string(piece.length) + " bytes at " + std::to_string(piece.at);
}

TEST(GramChains, PiecesAlongTheChainsAsByHandWhileBlanking) {
  auto hashed = std::make_unique<GramChains>(), by_class = std::make_unique<GramChains>();
  std::mt19937 rng(5);
  for (int round = 0; round < 200; ++round) {
    const std::string alphabet = round % 2 ? "ab" : "abc";
    const std::string item =
        testing::random_text(rng, alphabet, 1 + rng() % (round % 8 ? 60 : 400));
    hashed->build(testing::view_of(item));
    // Classes numbered from 1 in order of first place; a few q-grams left
    // out as class 0, which no window is looked up by.
    std::map<std::string, int32_t> class_of;
    for (size_t h = 0; h + kGram <= item.size(); ++h) {
      const std::string gram = item.substr(h, kGram);
      if (!class_of.count(gram))
        class_of[gram] = gram == "aba" ? 0 : static_cast<int32_t>(class_of.size()) + 1;
    }
    by_class->build_by_class(
        static_cast<int32_t>(item.size()), static_cast<int32_t>(class_of.size()) + 2,
        [&](int32_t end) { return class_of[item.substr(end + 1 - kGram, kGram)]; });
    for (const std::string gram : {"aaa", "aab", "aba", "abb", "bab", "bbb", "abc", "cab", "ccc"}) {
      const auto first = static_cast<int32_t>(item.find(gram));
      ASSERT_EQ(hashed->first_of(gram_key(reinterpret_cast<const uint8_t*>(gram.data()))), first)
          << item << " q-gram " << gram;
      if (class_of.count(gram) && class_of[gram] > 0) {
        ASSERT_EQ(by_class->first_of_class(class_of[gram]), first) << item << " q-gram " << gram;
      }
    }
    // Two pairs in turn: the scan of each blanks more and more of the item.
    for (int pair = 0; pair < 2; ++pair) {
      std::string text = item;
      for (int step = 0; step < 6; ++step) {
        const size_t at = rng() % text.size();
        std::fill_n(text.begin() + at, std::min<size_t>(1 + rng() % 6, text.size() - at), kBlank);
        for (int look = 0; look < 4; ++look) {
          std::string window = testing::random_text(rng, alphabet, kGram + rng() % 8);
          if (look % 2 && item.size() >= kGram)
            window = item.substr(rng() % (item.size() - 2), window.size());
          const auto* bytes = reinterpret_cast<const uint8_t*>(window.data());
          auto along = [&](GramChains& chains, int32_t from) {
            return described(chains.longest_piece(from, testing::view_of(text).bytes,
                                                  static_cast<int32_t>(text.size()), bytes,
                                                  static_cast<int32_t>(window.size())));
          };
          const std::string expected = described(longest_piece_by_hand(item, text, window));
          const std::string context =
              "item " + item + "\nblanked " + testing::shown(text) + "\nwindow " + window;
          ASSERT_EQ(along(*hashed, hashed->first_of(gram_key(bytes))), expected) << context;
          const auto known = class_of.find(window.substr(0, kGram));
          if (known != class_of.end() && known->second > 0) {
            ASSERT_EQ(along(*by_class, by_class->first_of_class(known->second)), expected)
                << "by class: " << context;
          }
        }
      }
      hashed->restore();
      by_class->restore();
    }
  }
}

}  // namespace
}  // namespace vexaro
