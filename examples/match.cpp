// SPDX-License-Identifier: MIT
// One query against a list: reads the list from standard input, one record
// a line, and prints the record most similar to the query, then every record
// that scores above MIN_SCORE, best first, each after its score. Options are
// the program's; the statistics that -b, -f and -a9999 read are the whole
// list's.
//
//   ./build/vexaro_match 'Jon Smith' 600 < examples/names.txt
//   ./build/vexaro_match 'Smith' 500 -m < examples/surnames.txt
//   ./build/vexaro_match 'speling' 700 < /usr/share/dict/words
#include <vexaro/vexaro.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s QUERY MIN_SCORE [OPTIONS...] < LIST\n", argv[0]);
    return 2;
  }
  const std::string query = argv[1];
  const int min_score = std::atoi(argv[2]);
  const vexaro::Options options =
      vexaro::Options::from_arguments(std::vector<std::string>(argv + 3, argv + argc));

  std::vector<std::string> list;
  for (std::string line; std::getline(std::cin, line);) {
    if (!line.empty()) list.push_back(line);
  }

  try {
    const vexaro::Statistics statistics = vexaro::Statistics::of(options, list);
    const std::optional<vexaro::Match> best = vexaro::best_match(options, query, list, statistics);
    if (!best) {
      std::printf("the list is empty\n");
      return 1;
    }
    std::printf("best: %4d %s\n", best->score, list[best->index].c_str());
    for (const vexaro::Match& match :
         vexaro::matches(options, query, list, min_score, statistics)) {
      std::printf("%4d %s\n", match.score, list[match.index].c_str());
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
