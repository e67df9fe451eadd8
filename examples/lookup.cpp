// SPDX-License-Identifier: MIT
// Many queries against one list: indexes the list once, then reads queries
// from standard input, one a line, and prints for each the LIMIT records
// most similar to it, best first, each after its score. Options are the
// program's. Where best_match would prepare and scan the whole list again
// for every query, the index does that work once, up front.
//
//   ./build/vexaro_lookup examples/names.txt 3 < examples/surnames.txt
//   ./build/vexaro_lookup /usr/share/dict/words 5 < misspellings.txt
#include <vexaro/vexaro.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s LIST LIMIT [OPTIONS...] < QUERIES\n", argv[0]);
    return 2;
  }
  std::ifstream list_file(argv[1]);
  if (!list_file) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  const int limit = std::atoi(argv[2]);
  try {
    const vexaro::Options options =
        vexaro::Options::from_arguments(std::vector<std::string>(argv + 3, argv + argc));
    // Built once; every lookup below reuses it, and it could be shared
    // between threads as it is.
    const vexaro::Index index(options, read_lines(list_file));
    for (const std::string& query : read_lines(std::cin)) {
      std::printf("%s\n", query.c_str());
      for (const vexaro::Match& match : index.extract(query, limit > 0 ? limit : 0)) {
        std::printf("  %4d %s\n", match.score, std::string(index.choice(match.index)).c_str());
      }
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
