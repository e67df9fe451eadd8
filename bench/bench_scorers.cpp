// SPDX-License-Identifier: MIT
// Per-pair cost of the literal scorer and the fast pair scorer, by record
// length, on similar and dissimilar pairs of word-like text, with the default
// settings and under -m. Both are timed as a row sees them: the reference is
// prepared once, the literal scorer prepares the candidate on every call, the
// fast scorer gets both prepared and must give the exact score. The score
// counter shows what the pair scored, the same for both.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "bench_text.h"
#include "engine/pair_scorer.h"
#include "records/record_index.h"
#include "records/settings.h"
#include "scoring/item.h"
#include "scoring/literal_scorer.h"

namespace vexaro {
namespace {

using bench::make_pair;
using bench::Pair;

Settings settings_from(const char* option) {
  std::vector<std::string> args;
  if (*option != '\0') args.push_back(option);
  return parse_arguments(args, false);
}

void BM_LiteralScorer(benchmark::State& state, const char* option) {
  const Pair pair = make_pair(state.range(0), state.range(1) != 0);
  const Settings settings = settings_from(option);
  const RecordIndex index = index_records(settings, {pair.reference, pair.candidate});
  const int32_t reference_stored = index.stored_lengths[0],
                candidate_stored = index.stored_lengths[1];
  LiteralScorer scorer(settings, index.stats);
  scorer.score(index.item(0), index.item(1), reference_stored,
               candidate_stored);  // prepares the reference
  int32_t score = 0;
  for (auto _ : state) {
    score = scorer.score(nullptr, index.item(1), reference_stored, candidate_stored);
    benchmark::DoNotOptimize(score);
  }
  state.counters["score"] = score;
}

void BM_PairScorer(benchmark::State& state, const char* option) {
  const Pair pair = make_pair(state.range(0), state.range(1) != 0);
  const Settings settings = settings_from(option);
  const RecordIndex index = index_records(settings, {pair.reference, pair.candidate});
  const int32_t reference_stored = index.stored_lengths[0],
                candidate_stored = index.stored_lengths[1];
  const PreparedItem reference = prepared(item_rules_of(settings), index.item(0));
  const PreparedItem candidate = prepared(item_rules_of(settings), index.item(1));
  // The lowest threshold: no bound may cut the scan short.
  const int32_t exact = std::numeric_limits<int32_t>::min();
  PairScorer scorer(item_rules_of(settings), measure_of(settings), index.stats);
  int32_t score = 0;
  for (auto _ : state) {
    score =
        scorer.score(reference.view(), candidate.view(), reference_stored, candidate_stored, exact);
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
