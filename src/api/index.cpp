// SPDX-License-Identifier: MIT
// The index of choices, over the engine's (engine/choice_index.h): the
// checks of what the caller gives, the statistics, and the library's types.
#include <stdexcept>
#include <utility>

#include "api/api_internal.h"
#include "engine/choice_index.h"
#include "engine/worker_pool.h"

namespace vexaro {
namespace {

// The choices, each checked, with the statistics given or theirs.
Statistics statistics_of(const Options& options, const std::vector<std::string_view>& choices,
                         const std::optional<Statistics>& given) {
  if (choices.size() > largest_record_limit) {
    throw std::length_error("vexaro: more than " + std::to_string(largest_record_limit) +
                            " choices");
  }
  for (size_t i = 0; i < choices.size(); ++i) check_record(choices[i], "choice", i);
  if (given) return *given;
  Statistics statistics;
  for (std::string_view choice : choices) statistics.add(options, choice);
  return statistics;
}

Match match(ChoiceMatch found) { return {found.index, found.score, std::move(found.substring)}; }

std::vector<Match> matches_of(std::vector<ChoiceMatch> found) {
  std::vector<Match> matches;
  matches.reserve(found.size());
  for (ChoiceMatch& each : found) matches.push_back(match(std::move(each)));
  return matches;
}

}  // namespace

struct Index::Impl {
  Impl(const Options& given_options, const std::vector<std::string_view>& choices,
       const std::optional<Statistics>& given_statistics, int threads)
      : options(given_options),
        statistics(statistics_of(options, choices, given_statistics)),
        index(OptionsAccess::items(options), OptionsAccess::measure(options),
              record_stats(statistics), choices, threads > 0 ? threads : default_thread_count()) {}

  const Options options;
  const Statistics statistics;
  const ChoiceIndex index;
};

Index::Index(Views, const Options& options, const std::vector<std::string_view>& choices,
             const std::optional<Statistics>& statistics, int threads)
    : impl_(std::make_unique<Impl>(options, choices, statistics, threads)) {}

Index::~Index() = default;
Index::Index(Index&&) noexcept = default;
Index& Index::operator=(Index&&) noexcept = default;

const Index::Impl& Index::impl() const {
  if (!impl_) throw std::logic_error("vexaro: the Index was moved from");
  return *impl_;
}

size_t Index::size() const { return impl().index.size(); }

std::string_view Index::choice(size_t index) const {
  if (index >= size()) throw std::out_of_range("vexaro: no choice " + std::to_string(index));
  return impl().index.text(index);
}

const Options& Index::options() const { return impl().options; }

const Statistics& Index::statistics() const { return impl().statistics; }

int Index::threads() const { return impl().index.threads(); }

std::optional<Match> Index::best_match(std::string_view query) const {
  check_record(query, "query");
  std::vector<ChoiceMatch> best = impl().index.top(query, 1);
  if (best.empty()) return std::nullopt;
  return match(std::move(best.front()));
}

std::vector<Match> Index::extract(std::string_view query, size_t limit) const {
  check_record(query, "query");
  return matches_of(impl().index.top(query, limit));
}

std::vector<Match> Index::matches(std::string_view query, int min_score) const {
  check_record(query, "query");
  return matches_of(impl().index.above(query, min_score));
}

std::vector<std::optional<Match>> Index::best_matches_of(
    const std::vector<std::string_view>& queries, int threads) const {
  const Impl& index = impl();
  for (size_t q = 0; q < queries.size(); ++q) check_record(queries[q], "query", q);
  std::vector<std::optional<Match>> found;
  found.reserve(queries.size());
  for (std::optional<ChoiceMatch>& best : index.index.best_of_each(queries, threads))
    found.push_back(best ? std::optional<Match>(match(std::move(*best))) : std::nullopt);
  return found;
}

}  // namespace vexaro
