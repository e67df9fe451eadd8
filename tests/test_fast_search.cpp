// SPDX-License-Identifier: MIT
// Whole runs of the fast engine against the literal one: every byte of
// standard output and standard error, and the exit status, must agree for
// every thread count.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "brute_force.h"
#include "cli/program.h"
#include "engine/fast_search.h"
#include "records/streams.h"
#include "run_in_memory.h"
#include "scoring/literal_search.h"

namespace vexaro {
namespace {

const char* const kWords[] = {"alpha", "beta", "Gamma",    "delta", "eps\tilon", "zeta",
                              "eta",   "the",  "\xc4\xe4", "x",     "abcabc",    "2026-12"};

// Lines from a small vocabulary, so that near duplicates, ties and long
// shared pieces are common; some carry tabs, capitals and high bytes.
std::string random_input(std::mt19937& rng, int lines) {
  std::string input;
  std::vector<std::string> made;
  for (int i = 0; i < lines; ++i) {
    std::string line;
    if (!made.empty() && rng() % 3 == 0) {
      line = made[rng() % made.size()];
      if (!line.empty()) line[rng() % line.size()] = "aeiou "[rng() % 6];
    } else {
      for (int w = rng() % 7; w >= 0; --w) line += std::string(kWords[rng() % 12]) + " ";
    }
    made.push_back(line);
    input += line + "\n";
  }
  return input;
}

const std::vector<std::vector<std::string>> kOptionSets = {
    {"-d"},
    {"-d", "-p"},
    {"-d", "-a"},
    {"-d", "-p", "-a5"},
    {"-d", "-f"},
    {"-d", "-m"},
    {"-d", "-b"},
    {"-d", "-a9999"},
    {"-d", "-v", "-r"},
    {"-d", "-c ", "-s3"},
    {"-d", "-oalpha;the", "-w32"},
    {"-d", "-l ", "-m", "-a9999"},
};

void expect_literal_outcome_on_every_thread_count(const std::string& input,
                                                  const std::vector<std::string>& args) {
  const testing::Outcome expected = testing::run_in_memory(input, args, make_literal_search);
  for (int threads : {1, 2, 7}) {
    const testing::Outcome fast =
        testing::run_in_memory(input, args, [threads](const Settings& s, const RecordIndex& i) {
          return make_fast_search(s, i, threads);
        });
    const std::string context =
        ::testing::PrintToString(args) + " threads " + std::to_string(threads) + " input\n" + input;
    ASSERT_EQ(fast.output, expected.output) << context;
    ASSERT_EQ(fast.diagnostics, expected.diagnostics) << context;
    ASSERT_EQ(fast.status, expected.status) << context;
  }
}

TEST(FastSearch, WholeRunsMatchTheLiteralEngine) {
  std::mt19937 rng(99);
  for (const auto& args : kOptionSets) {
    for (int lines : {1, 2, 7, 60}) {
      const std::string input = random_input(rng, lines);
      expect_literal_outcome_on_every_thread_count(input, args);
      if (HasFatalFailure()) return;
    }
  }
}

// Versions of one long line, which the suffix automaton searches, and
// lines that prepare alike, which are twins, in every order.
TEST(FastSearch, LongVersionsAndTwinsMatchTheLiteralEngine) {
  std::mt19937 rng(99);
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"-dr"}, {"-d", "-p", "-a"}, {"-d", "-a9999"}, {"-d", "-f", "-r"}, {"-d", "-m"}}) {
    std::string base, input;
    while (base.size() < 300) base += std::string(kWords[rng() % 12]) + " ";
    const std::string twins[] = {"Same line again", "same LINE again", "same line, again!"};
    for (int i = 0; i < 30; ++i)
      input += (i % 2 ? testing::edited(base, rng, "xyzE") : twins[rng() % 3]) + "\n";
    expect_literal_outcome_on_every_thread_count(input, args);
    if (HasFatalFailure()) return;
  }
}

// Rows long enough to be searched in several listed blocks.
TEST(FastSearch, LongRowsMatchTheLiteralEngineOnEveryThreadCount) {
  std::mt19937 rng(4242);
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"-d"}, {"-d", "-a9999"}, {"-d", "-p", "-a"}}) {
    const std::string input = random_input(rng, 700);
    expect_literal_outcome_on_every_thread_count(input, args);
    if (HasFatalFailure()) return;
  }
}

// Rows with enough candidates are all split between threads, first by
// index words and, once few records are left, by stretches of slots: the
// literal engine is too slow here, so the one-thread run is the reference.
TEST(FastSearch, RowsSplitBetweenThreadsMatchOneThread) {
  std::mt19937 rng(7);
  const std::string input = random_input(rng, 4200);
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"-d"}, {"-d", "-a9999"}, {"-d", "-p", "-a5"}, {"-d", "-b"}, {"-d", "-m"}}) {
    auto engine = [](int threads) {
      return [threads](const Settings& s, const RecordIndex& i) {
        return make_fast_search(s, i, threads, true);
      };
    };
    const testing::Outcome expected = testing::run_in_memory(input, args, engine(1));
    for (int threads : {2, 7}) {
      const testing::Outcome split = testing::run_in_memory(input, args, engine(threads));
      ASSERT_EQ(split.output, expected.output) << ::testing::PrintToString(args) << threads;
      ASSERT_EQ(split.diagnostics, expected.diagnostics) << ::testing::PrintToString(args);
      ASSERT_EQ(split.status, expected.status);
    }
  }
}

}  // namespace
}  // namespace vexaro
