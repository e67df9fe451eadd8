// SPDX-License-Identifier: MIT
// The default engine against the literal one on the whole program in
// memory: any byte of difference in standard output, standard error or the
// exit status is a fault of the faster engine. Then the library on the same
// records: record 0 as a Scorer's reference and as best_match's query, the
// others as candidates and choices, against the literal pair score; and
// an Index of those choices, queried with record 0.
//
// The engine runs as the program builds it, on every core, for one input in
// eight, and on one thread for the others: starting the threads costs four
// times the run itself on these small inputs, whose rows are too short to be
// split between threads anyway. best_match shares its choices between two
// threads for the same one input in eight.
#include <vexaro/vexaro.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "api/api_internal.h"
#include "engine/fast_search.h"
#include "fuzz_case.h"
#include "literal_pair.h"
#include "ordering/ordering.h"
#include "scoring/literal_search.h"

namespace {

std::unique_ptr<vexaro::RowSearch> one_thread(const vexaro::Settings& settings,
                                              const vexaro::RecordIndex& index) {
  return vexaro::make_fast_search(settings, index, 1);
}

// The records as the library takes them: the stored bytes up to a zero.
std::vector<std::string> library_records(const vexaro::fuzz::FuzzCase& c) {
  const vexaro::Settings settings = vexaro::parse_arguments(c.args, false);
  vexaro::MemorySource input(c.input);
  vexaro::StringSink diagnostics;
  vexaro::RecordIndex index;
  std::vector<std::string> records;
  if (scan_records(settings, input, diagnostics, index) != vexaro::ScanStatus::ok) return records;
  for (int32_t i = 0; i < index.size(); ++i) {
    std::string record(reinterpret_cast<const char*>(index.item(i)));
    if (!record.empty()) records.push_back(std::move(record));
  }
  return records;
}

// The index of the choices, with the statistics of all the records, holds
// record 0's best `limit` and those above a score to the literal ranking.
void check_index(const vexaro::Options& options, const std::vector<std::string>& records,
                 const std::vector<int>& literal_scores, size_t size) {
  const std::vector<std::string> choices(records.begin() + 1, records.end());
  const vexaro::Index index(options, choices, vexaro::Statistics::of(options, records),
                            size % 8 == 0 ? 2 : 1);
  std::vector<size_t> ranking(choices.size());
  for (size_t i = 0; i < ranking.size(); ++i) ranking[i] = i;
  std::stable_sort(ranking.begin(), ranking.end(),
                   [&](size_t a, size_t b) { return literal_scores[a] > literal_scores[b]; });
  const size_t limit = 1 + size % 4;
  const std::vector<vexaro::Match> top = index.extract(records[0], limit);
  if (top.size() != std::min(limit, ranking.size())) std::abort();
  for (size_t k = 0; k < top.size(); ++k) {
    if (top[k].index != ranking[k] || top[k].score != literal_scores[ranking[k]]) std::abort();
  }
  const int min_score = literal_scores[ranking[ranking.size() / 2]];
  const std::vector<vexaro::Match> above = index.matches(records[0], min_score);
  for (size_t k = 0; k < ranking.size(); ++k) {
    const bool listed = k < above.size();
    if (listed != (literal_scores[ranking[k]] > min_score)) std::abort();
    if (listed && (above[k].index != ranking[k] || above[k].score != literal_scores[ranking[k]]))
      std::abort();
  }
}

// Exact scores, scores cut off just below, at and above the literal one
// (the input's size moves the cutoff), and the best choice.
void check_library(const vexaro::fuzz::FuzzCase& c, size_t size) {
  const std::vector<std::string> records = library_records(c);
  if (records.size() < 2) return;
  const vexaro::Settings settings = vexaro::parse_arguments(c.args, false);
  const vexaro::RecordStats stats = vexaro::index_records(settings, records).stats;
  const vexaro::Options options = vexaro::Options::from_arguments(c.args);
  const std::vector<std::string> choices(records.begin() + 1, records.end());
  vexaro::Scorer scorer(options, records[0], vexaro::Statistics::of(options, records));
  int best = INT32_MIN;
  size_t best_index = 0;
  std::vector<int> literal_scores;
  for (size_t i = 0; i < choices.size(); ++i) {
    const int literal =
        vexaro::testing::literal_pair_score(settings, stats, records[0], choices[i]);
    literal_scores.push_back(literal);
    if (scorer.score(choices[i]) != literal) std::abort();
    const int cutoff = literal - 2 + static_cast<int>((size + i) % 5);
    const int cut = scorer.score(choices[i], cutoff);
    if (literal > cutoff ? cut != literal : cut > cutoff) std::abort();
    if (literal > best) {
      best = literal;
      best_index = i;
    }
  }
  const auto found =
      vexaro::find_best_match(options, records[0], choices, nullptr, size % 8 == 0 ? 2 : 1);
  if (!found || found->index != best_index || found->score != best) std::abort();
  check_index(options, records, literal_scores, size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > vexaro::fuzz::kMaxInput) return 0;
  const vexaro::fuzz::FuzzCase c = vexaro::fuzz::split_case(data, size);
  if (!vexaro::fuzz::cheap_to_order(c)) return 0;
  const bool terminal = size % 5 == 0;
  const auto literal = vexaro::fuzz::run_in_memory(c, terminal, vexaro::make_literal_search);
  const vexaro::SearchFactory engine =
      size % 8 == 0 ? vexaro::SearchFactory(vexaro::make_default_search) : one_thread;
  const auto fast = vexaro::fuzz::run_in_memory(c, terminal, engine);
  if (fast.out != literal.out || fast.err != literal.err || fast.status != literal.status) {
    std::abort();
  }
  check_library(c, size);
  return 0;
}
