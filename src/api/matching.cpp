// SPDX-License-Identifier: MIT
// The one-to-many calls, over the engine's choice search
// (engine/choice_search.h): the checks of what the caller gives, the
// statistics, and the library's types.
#include <cstdint>
#include <stdexcept>
#include <utility>

#include "api/api_internal.h"
#include "engine/choice_search.h"
#include "engine/reference_scorer.h"
#include "engine/worker_pool.h"

namespace vexaro {
namespace {

// The statistics given or, when they are not and the measure reads them,
// those of the query and the choices, each checked on the way.
RecordStats statistics_for(const Options& options, std::string_view query,
                           const std::vector<std::string>& choices, const Statistics* given) {
  Statistics statistics;
  if (given != nullptr) {
    statistics = *given;
  } else if (OptionsAccess::measure(options).reads_statistics()) {
    statistics.add(options, query);
    for (size_t i = 0; i < choices.size(); ++i) {
      check_record(choices[i], "choice", i);
      statistics.add(options, choices[i]);
    }
  }
  return record_stats(statistics);
}

ChoiceList choice_list(const Options& options, std::string_view query,
                       const std::vector<std::string>& choices, const Statistics* given) {
  check_record(query, "query");
  if (choices.size() >= UINT32_MAX) throw std::length_error("vexaro: too many choices");
  return ChoiceList(OptionsAccess::items(options), OptionsAccess::measure(options),
                    statistics_for(options, query, choices, given), choices);
}

// Throws for the first choice the search passed over as no record.
void check_refused(const std::vector<std::string>& choices, const ChoiceSearch& search) {
  if (const size_t i = search.first_refused(); i != SIZE_MAX) check_record(choices[i], "choice", i);
}

Match match(const ChoiceScore& found) { return {found.index, found.score, {}}; }

// Runs find(search, pool) over a one-to-many search of the choices and
// gives the matches of the choices it returns, in its order.
template <class Find>
std::vector<Match> search_choices(const Options& options, std::string_view query,
                                  const std::vector<std::string>& choices,
                                  const Statistics* statistics, int threads, Find&& find) {
  const ChoiceList list = choice_list(options, query, choices, statistics);
  ChoiceSearch search(list, query, ChoiceSearch::lanes_for(list, threads));
  WorkerPool pool(search.lanes(), WorkerPool::Waiting::sleep);
  const std::vector<ChoiceScore> scored = find(search, pool);
  check_refused(choices, search);
  std::vector<Match> found;
  found.reserve(scored.size());
  for (const ChoiceScore& choice : scored) found.push_back(match(choice));
  add_substrings(
      options, query, [&](size_t i) { return std::string_view(choices[i]); }, found);
  return found;
}

}  // namespace

void add_substrings(const Options& options, std::string_view query,
                    const std::function<std::string_view(size_t)>& choice,
                    std::vector<Match>& found) {
  const Measure& measure = OptionsAccess::measure(options);
  if (!measure.longest_substrings() || found.empty()) return;
  // The longest common substring reads no statistics.
  ReferenceScorer scorer(OptionsAccess::items(options), measure, RecordStats(), query);
  for (Match& each : found) {
    scorer.score(choice(each.index), INT32_MIN);
    each.substring = scorer.last_substring();
  }
}

std::optional<Match> find_best_match(const Options& options, std::string_view query,
                                     const std::vector<std::string>& choices,
                                     const Statistics* statistics, int threads) {
  std::vector<Match> found = search_choices(
      options, query, choices, statistics, threads, [](ChoiceSearch& search, WorkerPool& pool) {
        const std::optional<ChoiceScore> best = search.best(pool);
        return best ? std::vector<ChoiceScore>{*best} : std::vector<ChoiceScore>{};
      });
  if (found.empty()) return std::nullopt;
  return std::move(found[0]);
}

std::vector<Match> find_matches(const Options& options, std::string_view query,
                                const std::vector<std::string>& choices, int min_score,
                                const Statistics* statistics, int threads) {
  return search_choices(
      options, query, choices, statistics, threads,
      [&](ChoiceSearch& search, WorkerPool& pool) { return search.above(min_score, pool); });
}

std::vector<Match> find_extract(const Options& options, std::string_view query,
                                const std::vector<std::string>& choices, size_t limit,
                                const Statistics* statistics, int threads) {
  return search_choices(
      options, query, choices, statistics, threads,
      [&](ChoiceSearch& search, WorkerPool& pool) { return search.top(limit, pool); });
}

std::optional<Match> best_match(const Options& options, std::string_view query,
                                const std::vector<std::string>& choices) {
  return find_best_match(options, query, choices, nullptr, 0);
}

std::optional<Match> best_match(const Options& options, std::string_view query,
                                const std::vector<std::string>& choices,
                                const Statistics& statistics) {
  return find_best_match(options, query, choices, &statistics, 0);
}

std::vector<Match> matches(const Options& options, std::string_view query,
                           const std::vector<std::string>& choices, int min_score) {
  return find_matches(options, query, choices, min_score, nullptr, 0);
}

std::vector<Match> matches(const Options& options, std::string_view query,
                           const std::vector<std::string>& choices, int min_score,
                           const Statistics& statistics) {
  return find_matches(options, query, choices, min_score, &statistics, 0);
}

std::vector<Match> extract(const Options& options, std::string_view query,
                           const std::vector<std::string>& choices, size_t limit) {
  return find_extract(options, query, choices, limit, nullptr, 0);
}

std::vector<Match> extract(const Options& options, std::string_view query,
                           const std::vector<std::string>& choices, size_t limit,
                           const Statistics& statistics) {
  return find_extract(options, query, choices, limit, &statistics, 0);
}

}  // namespace vexaro
