// SPDX-License-Identifier: MIT
// Embedding Vexaro: orders the lines of standard input with the options given
// as arguments, prints each line after the score it got against the line
// before it, then the mean and the score of the first two lines as read.
//
//   ./build/vexaro_embed -p < examples/names.txt
#include <vexaro/vexaro.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const vexaro::Options options = vexaro::Options::from_arguments(arguments);

  std::vector<std::string> records;
  for (std::string line; std::getline(std::cin, line);) {
    if (!line.empty()) records.push_back(line);
  }

  try {
    const vexaro::Ordering sorted = vexaro::order(options, records);
    for (std::size_t k = 0; k < sorted.order.size(); ++k) {
      const std::string& text =
          options.longest_substrings() ? sorted.substrings[k] : records[sorted.order[k]];
      std::printf("%4d %s\n", sorted.scores[k], text.c_str());
    }
    std::printf("mean %lld\n", static_cast<long long>(sorted.mean));
    if (records.size() >= 2) {
      std::printf("first two lines: %d\n", vexaro::score(options, records[0], records[1]));
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
