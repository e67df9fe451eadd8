// SPDX-License-Identifier: MIT
// The index of choices.
#include <climits>
#include <stdexcept>
#include <utility>

#include "api/api_internal.h"
#include "engine/worker_pool.h"

namespace vexaro {

struct Index::Impl {
  Impl(const Options& given_options, const std::vector<std::string_view>& given_choices,
       const std::optional<Statistics>& given_statistics, int given_threads)
      : options(given_options),
        threads(given_threads > 0 ? given_threads : default_thread_count()) {
    if (given_choices.size() > largest_record_limit) {
      throw std::length_error("vexaro: more than " + std::to_string(largest_record_limit) +
                              " choices");
    }
    choices.reserve(given_choices.size());
    for (size_t i = 0; i < given_choices.size(); ++i) {
      check_record(given_choices[i], "choice", i);
      choices.emplace_back(given_choices[i]);
    }
    statistics = given_statistics ? *given_statistics : Statistics::of(options, choices);
  }

  Options options;
  std::vector<std::string> choices;
  Statistics statistics;
  int threads;
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

size_t Index::size() const { return impl().choices.size(); }

std::string_view Index::choice(size_t index) const { return impl().choices.at(index); }

const Options& Index::options() const { return impl().options; }

const Statistics& Index::statistics() const { return impl().statistics; }

int Index::threads() const { return impl().threads; }

std::optional<Match> Index::best_match(std::string_view query) const {
  const Impl& index = impl();
  return find_best_match(index.options, query, index.choices, &index.statistics, index.threads);
}

std::vector<Match> Index::extract(std::string_view query, size_t limit) const {
  const Impl& index = impl();
  check_record(query, "query");
  if (limit == 0) return {};
  std::vector<Match> found =
      find_matches(index.options, query, index.choices, INT_MIN, &index.statistics, index.threads);
  if (found.size() > limit) found.resize(limit);
  return found;
}

std::vector<Match> Index::matches(std::string_view query, int min_score) const {
  const Impl& index = impl();
  return find_matches(index.options, query, index.choices, min_score, &index.statistics,
                      index.threads);
}

std::vector<std::optional<Match>> Index::best_matches_of(
    const std::vector<std::string_view>& queries) const {
  impl();
  for (size_t q = 0; q < queries.size(); ++q) check_record(queries[q], "query", q);
  std::vector<std::optional<Match>> found;
  found.reserve(queries.size());
  for (std::string_view query : queries) found.push_back(best_match(query));
  return found;
}

}  // namespace vexaro
