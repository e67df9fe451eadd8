// SPDX-License-Identifier: MIT
// End-to-end cases through the real binary. Each folder under golden/ holds
// `stdin`, optionally `args` (one argument a line), and the expected
// `stdout`, `stderr` and `exit`. VEXARO_UPDATE_GOLDEN=1 rewrites the
// expectations from the binary's output; review the diff before committing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "run_binary.h"

namespace vexaro {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::write_file;

std::vector<std::string> case_names() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(VEXARO_GOLDEN_DIR)) {
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> read_args(const fs::path& file) {
  std::vector<std::string> args;
  std::istringstream lines(read_file(file.string()));
  for (std::string line; std::getline(lines, line);) args.push_back(line);
  return args;
}

class Golden : public ::testing::TestWithParam<std::string> {};

TEST_P(Golden, MatchesExpectedStreamsAndStatus) {
  const fs::path dir = fs::path(VEXARO_GOLDEN_DIR) / GetParam();
  auto result = testing::run_program(VEXARO_BINARY, read_args(dir / "args"), dir / "stdin");
  ASSERT_EQ(result.signal, 0);
  const std::string status = std::to_string(result.exit_status) + "\n";
  if (std::getenv("VEXARO_UPDATE_GOLDEN") != nullptr) {
    write_file(dir / "stdout", result.out);
    write_file(dir / "stderr", result.err);
    write_file(dir / "exit", status);
    GTEST_SKIP() << "expectations rewritten";
  }
  EXPECT_EQ(result.out, read_file(dir / "stdout"));
  EXPECT_EQ(result.err, read_file(dir / "stderr"));
  EXPECT_EQ(status, read_file(dir / "exit"));
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(case_names()));

}  // namespace
}  // namespace vexaro
