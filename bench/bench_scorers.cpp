// Per-pair cost of the literal scorer and the fast pair scorer, by record
// length, on similar and dissimilar pairs of word-like text, with the default
// settings and under -m. Both are timed as a row sees them: the reference is
// prepared once, the literal scorer prepares the candidate on every call, the
// fast scorer gets both prepared and must give the exact score. The score
// counter shows what the pair scored, the same for both.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "engine/pair_scorer.h"
#include "records/record_index.h"
#include "records/settings.h"
#include "scoring/item.h"
#include "scoring/literal_scorer.h"

namespace vexaro {
namespace {

// A word of 2 to 9 letters from consonant-vowel syllables, so that q-grams
// repeat as in real text without every pair sharing everything.
std::string random_word(std::mt19937& rng) {
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

std::vector<std::string> random_words(std::mt19937& rng, size_t bytes) {
  std::vector<std::string> words;
  for (size_t total = 0; total < bytes; total += words.back().size() + 1) {
    words.push_back(random_word(rng));
  }
  return words;
}

std::string joined(const std::vector<std::string>& words, size_t length) {
  std::string text;
  for (const std::string& word : words) text += word + " ";
  text.resize(length);
  return text;
}

struct Pair {
  std::string reference, candidate;
};

// A similar candidate is the reference with one word in eight replaced and
// its halves swapped (the measure ignores order); a dissimilar one is other
// random words.
Pair make_pair(size_t length, bool similar) {
  std::mt19937 rng(static_cast<unsigned>(length));
  const std::vector<std::string> words = random_words(rng, length);
  if (!similar) return {joined(words, length), joined(random_words(rng, length), length)};
  std::vector<std::string> edited = words;
  for (size_t i = 3; i < edited.size(); i += 8) edited[i] = random_word(rng);
  const std::string text = joined(edited, length);
  return {joined(words, length), text.substr(length / 2) + text.substr(0, length / 2)};
}

Settings settings_from(const char* option) {
  std::vector<std::string> args;
  if (*option != '\0') args.push_back(option);
  return parse_arguments(args, false);
}

void BM_LiteralScorer(benchmark::State& state, const char* option) {
  const Pair pair = make_pair(state.range(0), state.range(1) != 0);
  const Settings settings = settings_from(option);
  const RecordIndex index = index_records(settings, {pair.reference, pair.candidate});
  const int32_t Sleni = index.linlens[0], Slenj = index.linlens[1];
  LiteralScorer scorer(settings, index.stats);
  scorer.simlin(index.item(0), index.item(1), Sleni, Slenj);  // prepares the reference
  int32_t score = 0;
  for (auto _ : state) {
    score = scorer.simlin(nullptr, index.item(1), Sleni, Slenj);
    benchmark::DoNotOptimize(score);
  }
  state.counters["score"] = score;
}

void BM_PairScorer(benchmark::State& state, const char* option) {
  const Pair pair = make_pair(state.range(0), state.range(1) != 0);
  const Settings settings = settings_from(option);
  const RecordIndex index = index_records(settings, {pair.reference, pair.candidate});
  const int32_t Sleni = index.linlens[0], Slenj = index.linlens[1];
  const PreparedItem reference = prepared(settings, index.item(0));
  const PreparedItem candidate = prepared(settings, index.item(1));
  // The lowest threshold: no bound may cut the scan short.
  const int32_t exact = std::numeric_limits<int32_t>::min();
  PairScorer scorer(settings, index.stats);
  int32_t score = 0;
  for (auto _ : state) {
    score = scorer.score(reference.view(), candidate.view(), Sleni, Slenj, exact);
    benchmark::DoNotOptimize(score);
  }
  state.counters["score"] = score;
}

void by_length(benchmark::internal::Benchmark* b) {
  b->ArgsProduct({{16, 64, 256, 1000, 2000}, {1, 0}})
      ->ArgNames({"bytes", "similar"})
      ->Unit(benchmark::kMicrosecond);
}

BENCHMARK_CAPTURE(BM_LiteralScorer, default, "")->Apply(by_length);
BENCHMARK_CAPTURE(BM_LiteralScorer, metaphone, "-m")->Apply(by_length);
BENCHMARK_CAPTURE(BM_PairScorer, default, "")->Apply(by_length);
BENCHMARK_CAPTURE(BM_PairScorer, metaphone, "-m")->Apply(by_length);

}  // namespace
}  // namespace vexaro
