// SPDX-License-Identifier: MIT
// Many queries against one list through vexaro::Index, as the peer's
// one-to-many loop does them (bench/index_vs_peer.sh runs both): reads the
// choices from a file and the queries from standard input, one a line
// (empty lines left out), builds the index, looks every query up and
// prints "query_index choice_index score" for each. Timed as a whole
// process; `build` builds the index and looks nothing up, so that the
// difference of two runs is the lookups' time.
//
//   vexaro_index_lookups CHOICES FORM THREADS [OPTIONS...] < QUERIES
//
// FORM is best (best_match per query), batch (best_matches of all),
// extract5 (extract(query, 5), the best one printed), build, or free: the
// free best_match per query with the list's statistics, no index.
#include <vexaro/vexaro.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

std::vector<std::string> read_lines(std::istream& in) {
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

void print(std::size_t query, const std::optional<vexaro::Match>& found) {
  if (found) std::printf("%zu %zu %d\n", query, found->index, found->score);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s CHOICES best|batch|extract5|build|free THREADS [OPTIONS...]\n",
                 argv[0]);
    return 2;
  }
  std::ifstream choices_file(argv[1]);
  const std::string form = argv[2];
  const int threads = std::atoi(argv[3]);
  const vexaro::Options options =
      vexaro::Options::from_arguments(std::vector<std::string>(argv + 4, argv + argc));
  try {
    if (form == "free") {
      const std::vector<std::string> choices = read_lines(choices_file);
      const vexaro::Statistics statistics = vexaro::Statistics::of(options, choices);
      const std::vector<std::string> queries = read_lines(std::cin);
      for (std::size_t q = 0; q < queries.size(); ++q)
        print(q, vexaro::best_match(options, queries[q], choices, statistics));
      return 0;
    }
    const vexaro::Index index(options, read_lines(choices_file), std::nullopt, threads);
    if (form == "build") return 0;
    const std::vector<std::string> queries = read_lines(std::cin);
    if (form == "batch") {
      const std::vector<std::optional<vexaro::Match>> found = index.best_matches(queries);
      for (std::size_t q = 0; q < found.size(); ++q) print(q, found[q]);
      return 0;
    }
    for (std::size_t q = 0; q < queries.size(); ++q) {
      if (form == "extract5") {
        const std::vector<vexaro::Match> top = index.extract(queries[q], 5);
        print(q, top.empty() ? std::nullopt : std::optional<vexaro::Match>(top.front()));
      } else {
        print(q, index.best_match(queries[q]));
      }
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
