// SPDX-License-Identifier: MIT
// The library's calls as an embedding program makes them.
//
// BM_Score: vexaro::score on one pair, by record length, on similar and
// dissimilar pairs of word-like text, against BM_LiteralScore, which scores
// the pair as score() did with the literal scorer (the statistics of the
// two records, the reference rewritten, the literal scorer built per call).
// The score counter must be the same for both.
//
// BM_BestMatch: best_match of a query against made-up lines of about 60
// bytes, against BM_ScoreLoop, the loop over score() that was the only way
// before, and BM_ScorerLoop, one Scorer whose cutoff is the best so far, on
// the calling thread. best_match runs on VEXARO_THREADS threads (default:
// one per core).
//
// BM_Index, BM_IndexFile: the same lookups, best_match and extract(query,
// 5), through an Index of the choices built once, on one thread;
// BM_IndexBuild builds the index.
//
// The *File cases read the inputs of ../shared/bench/make_data.sh from the
// directory VEXARO_BENCH_DATA names, and are skipped without it: a pair of
// versions of one ~1600-byte paragraph (variants.txt), and the queries of
// the package list (pkgdesc.txt): each iteration takes the next of 48
// summaries spread over the list, without their package names, and finds
// its best match among all 16000 lines.
#include <benchmark/benchmark.h>
#include <vexaro/vexaro.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "bench_text.h"
#include "literal_pair.h"
#include "records/record_index.h"
#include "records/settings.h"

namespace vexaro {
namespace {

// The lines of a file in VEXARO_BENCH_DATA, or none.
std::vector<std::string> data_lines(const char* name) {
  std::vector<std::string> lines;
  const char* directory = std::getenv("VEXARO_BENCH_DATA");
  if (directory == nullptr) return lines;
  std::ifstream in(std::string(directory) + "/" + name);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

int literal_score(const Settings& settings, const std::string& a, const std::string& b) {
  return testing::literal_pair_score(settings, index_records(settings, {a, b}).stats, a, b);
}

void score_pair(benchmark::State& state, const std::string& a, const std::string& b, bool literal) {
  const Options options;
  const Settings settings = parse_arguments({}, false);
  int score = 0;
  for (auto _ : state) {
    score = literal ? literal_score(settings, a, b) : vexaro::score(options, a, b);
    benchmark::DoNotOptimize(score);
  }
  state.counters["score"] = score;
  state.counters["bytes"] = static_cast<double>(a.size());
}

void BM_Score(benchmark::State& state, bool literal) {
  const bench::Pair pair = bench::make_pair(state.range(0), state.range(1) != 0);
  score_pair(state, pair.reference, pair.candidate, literal);
}

void BM_ScoreFile(benchmark::State& state, bool literal) {
  const std::vector<std::string> variants = data_lines("variants.txt");
  if (variants.size() < 2) {
    state.SkipWithError("VEXARO_BENCH_DATA holds no variants.txt");
    return;
  }
  score_pair(state, variants[0], variants[1], literal);
}

void by_length(benchmark::internal::Benchmark* b) {
  b->ArgsProduct({{16, 64, 256, 1000, 1600, 2000}, {1, 0}})
      ->ArgNames({"bytes", "similar"})
      ->Unit(benchmark::kMicrosecond);
}

BENCHMARK_CAPTURE(BM_Score, fast, false)->Apply(by_length);
BENCHMARK_CAPTURE(BM_Score, literal, true)->Apply(by_length);
BENCHMARK_CAPTURE(BM_ScoreFile, fast, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ScoreFile, literal, true)->Unit(benchmark::kMicrosecond);

// Lines of 4 to 14 made-up words; one in eight is a near-duplicate of an
// earlier one.
std::vector<std::string> made_up_lines(size_t count) {
  std::mt19937 rng(17);
  std::vector<std::string> lines;
  while (lines.size() < count) {
    if (!lines.empty() && rng() % 8 == 0) {
      std::string line = lines[rng() % lines.size()];
      line += ' ';
      line += bench::random_word(rng);
      lines.push_back(line);
      continue;
    }
    std::string line = bench::random_word(rng);
    for (unsigned n = 3 + rng() % 11; n > 0; --n) {
      line += ' ';
      line += bench::random_word(rng);
    }
    lines.push_back(line);
  }
  return lines;
}

// What is searched: the choices and the queries taken in turn.
struct Search {
  std::vector<std::string> choices, queries;
};

Search made_up_search(size_t count) {
  Search search{made_up_lines(count), {}};
  for (size_t i = 0; i < 48; ++i) {
    const std::string& line = search.choices[i * count / 48];
    search.queries.push_back(line.substr(line.size() / 3));
  }
  return search;
}

Search package_search() {
  Search search{data_lines("pkgdesc.txt"), {}};
  for (size_t i = 0; i < 48 && !search.choices.empty(); ++i) {
    const std::string& line = search.choices[i * search.choices.size() / 48];
    const size_t dash = line.find(" - ");
    search.queries.push_back(dash == std::string::npos ? line : line.substr(dash + 3));
  }
  return search;
}

enum class Way { best_match, score_loop, scorer_loop };

// The best choice for the query, the way it is asked for.
Match find(Way way, const Options& options, const std::string& query,
           const std::vector<std::string>& choices) {
  if (way == Way::best_match) return *best_match(options, query, choices);
  Match best{0, INT_MIN, {}};
  if (way == Way::score_loop) {
    for (size_t i = 0; i < choices.size(); ++i) {
      const int s = score(options, query, choices[i]);
      if (s > best.score) best = {i, s, {}};
    }
    return best;
  }
  Scorer scorer(options, query, Statistics{});
  for (size_t i = 0; i < choices.size(); ++i) {
    const int s = scorer.score(choices[i], best.score);
    if (s > best.score) best = {i, s, {}};
  }
  return best;
}

void run_search(benchmark::State& state, const Search& search, Way way) {
  if (search.choices.empty()) {
    state.SkipWithError("VEXARO_BENCH_DATA holds no pkgdesc.txt");
    return;
  }
  const Options options;
  size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(find(way, options, search.queries[next], search.choices));
    next = (next + 1) % search.queries.size();
  }
  state.counters["choices"] = static_cast<double>(search.choices.size());
}

void BM_BestMatch(benchmark::State& state, Way way) {
  run_search(state, made_up_search(state.range(0)), way);
}

void BM_BestMatchFile(benchmark::State& state, Way way) {
  run_search(state, package_search(), way);
}

void by_count(benchmark::internal::Benchmark* b) {
  b->Arg(2000)->Arg(16000)->ArgName("choices")->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(BM_BestMatch, best_match, Way::best_match)->Apply(by_count);
BENCHMARK_CAPTURE(BM_BestMatch, scorer_loop, Way::scorer_loop)->Apply(by_count);
BENCHMARK_CAPTURE(BM_BestMatch, score_loop, Way::score_loop)->Apply(by_count);
BENCHMARK_CAPTURE(BM_BestMatchFile, best_match, Way::best_match)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BestMatchFile, scorer_loop, Way::scorer_loop)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BestMatchFile, score_loop, Way::score_loop)->Unit(benchmark::kMillisecond);

// The same lookups through an Index built once, on one thread.
enum class Lookup { best_match, extract5 };

void run_index(benchmark::State& state, const Search& search, Lookup lookup) {
  if (search.choices.empty()) {
    state.SkipWithError("VEXARO_BENCH_DATA holds no pkgdesc.txt");
    return;
  }
  const Index index(Options(), search.choices, std::nullopt, 1);
  size_t next = 0;
  for (auto _ : state) {
    const std::string& query = search.queries[next];
    if (lookup == Lookup::best_match) {
      benchmark::DoNotOptimize(index.best_match(query));
    } else {
      benchmark::DoNotOptimize(index.extract(query, 5));
    }
    next = (next + 1) % search.queries.size();
  }
  state.counters["choices"] = static_cast<double>(search.choices.size());
}

void BM_Index(benchmark::State& state, Lookup lookup) {
  run_index(state, made_up_search(state.range(0)), lookup);
}

void BM_IndexFile(benchmark::State& state, Lookup lookup) {
  run_index(state, package_search(), lookup);
}

void BM_IndexBuild(benchmark::State& state) {
  const std::vector<std::string> choices = made_up_lines(state.range(0));
  for (auto _ : state) {
    const Index index(Options(), choices, std::nullopt, 1);
    benchmark::DoNotOptimize(index.size());
  }
}

void by_count_in_microseconds(benchmark::internal::Benchmark* b) {
  b->Arg(2000)->Arg(16000)->ArgName("choices")->Unit(benchmark::kMicrosecond);
}

BENCHMARK_CAPTURE(BM_Index, best_match, Lookup::best_match)->Apply(by_count_in_microseconds);
BENCHMARK_CAPTURE(BM_Index, extract5, Lookup::extract5)->Apply(by_count_in_microseconds);
BENCHMARK_CAPTURE(BM_IndexFile, best_match, Lookup::best_match)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_IndexFile, extract5, Lookup::extract5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IndexBuild)->Apply(by_count);

}  // namespace
}  // namespace vexaro
