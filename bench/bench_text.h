// SPDX-License-Identifier: MIT
// Made-up text for the benchmarks: records of word-like pieces, and pairs
// of them that are similar or not, the same on every run.
#pragma once

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace vexaro::bench {

// A word of 2 to 9 letters from consonant-vowel syllables, so that q-grams
// repeat as in real text without every pair sharing everything.
inline std::string random_word(std::mt19937& rng) {
  static const char kConsonants[] = "bcdfghklmnprstvwz";
  static const char kVowels[] = "aeiou";
  std::string word;
  for (unsigned syllables = 1 + rng() % 4; syllables > 0; --syllables) {
    word += kConsonants[rng() % (sizeof kConsonants - 1)];
    word += kVowels[rng() % (sizeof kVowels - 1)];
  }
  if (rng() % 3 == 0) word += kConsonants[rng() % (sizeof kConsonants - 1)];
  return word;
}

inline std::vector<std::string> random_words(std::mt19937& rng, size_t bytes) {
  std::vector<std::string> words;
  for (size_t total = 0; total < bytes; total += words.back().size() + 1) {
    words.push_back(random_word(rng));
  }
  return words;
}

// The words with a blank after each, cut to `length` bytes; when they are
// fewer, they are repeated: an edited list can be shorter, and a record
// must hold no zero byte.
inline std::string joined(const std::vector<std::string>& words, size_t length) {
  std::string text;
  do {
    for (const std::string& word : words) text += word + " ";
  } while (text.size() < length && !words.empty());
  text.resize(std::min(text.size(), length));
  return text;
}

struct Pair {
  std::string reference, candidate;
};

// A similar candidate is the reference with one word in eight replaced and
// its halves swapped (the measure ignores order); a dissimilar one is other
// random words.
inline Pair make_pair(size_t length, bool similar) {
  std::mt19937 rng(static_cast<unsigned>(length));
  const std::vector<std::string> words = random_words(rng, length);
  if (!similar) return {joined(words, length), joined(random_words(rng, length), length)};
  std::vector<std::string> edited = words;
  for (size_t i = 3; i < edited.size(); i += 8) edited[i] = random_word(rng);
  const std::string text = joined(edited, length);
  return {joined(words, length), text.substr(length / 2) + text.substr(0, length / 2)};
}

}  // namespace vexaro::bench
