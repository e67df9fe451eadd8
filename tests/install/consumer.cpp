// SPDX-License-Identifier: MIT
// Exits 0 when the installed library orders and scores as documented.
#include <vexaro/vexaro.h>

#include <cstdio>
#include <string>
#include <vector>

int main() {
  int failures = 0;
  auto expect = [&](bool ok, const char* what) {
    if (!ok) {
      std::fprintf(stderr, "consumer: %s\n", what);
      ++failures;
    }
  };

  const vexaro::Options defaults;
  expect(vexaro::score(defaults, "Hello World", "hello word") == 842, "default score");
  const auto weighted = vexaro::Options::from_arguments({"-p", "-a"});
  expect(vexaro::score(weighted, "Hello World", "hello word") == 1263, "-p -a score");

  const std::vector<std::string> records = {"apple pie", "banana split", "apple pies"};
  const vexaro::Ordering sorted = vexaro::order(defaults, records);
  expect(sorted.order == std::vector<std::size_t>{0, 2, 1}, "order");
  expect(sorted.scores.size() == 3 && sorted.scores[0] == 0, "scores");
  std::printf("consumer: %s\n", failures == 0 ? "ok" : "FAILED");
  return failures == 0 ? 0 : 1;
}
