// SPDX-License-Identifier: MIT
// The embedding API against the program: for the same records and options it
// must give the order, header scores, substrings and mean that the binary
// writes, and a pair score equal to the second line's header.
#include <gtest/gtest.h>
#include <vexaro/vexaro.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>

#include "run_binary.h"

namespace vexaro {
namespace {

struct Printed {
  std::vector<size_t> order;
  std::vector<int32_t> scores;
  std::vector<std::string> texts;
  long long mean = 0;
};

// Runs the binary with -d -r on the records, one a line, and reads back which
// record each line holds (by its byte position), its score and its text.
Printed run_binary(const std::vector<std::string>& records, std::vector<std::string> args) {
  std::string input;
  std::map<unsigned long, size_t> record_at;
  for (size_t i = 0; i < records.size(); ++i) {
    record_at[input.size()] = i;
    input += records[i] + "\n";
  }
  args.push_back("-dr");
  const testing::ProcessResult result = testing::run_on_input(VEXARO_BINARY, args, input);

  Printed printed;
  std::istringstream lines(result.out);
  std::string line;
  for (size_t k = 0; k < records.size() && std::getline(lines, line); ++k) {
    int score = 0;
    unsigned long offset = 0;
    if (std::sscanf(line.c_str(), "%d #%lu#", &score, &offset) != 2) break;
    printed.order.push_back(record_at.at(offset));
    printed.scores.push_back(score);
    printed.texts.push_back(line.substr(line.find('#', line.find('#') + 1) + 2));
  }
  std::getline(lines, line);  // the empty line before the mean
  std::getline(lines, line);
  std::sscanf(line.c_str(), "*** Mean value of all scores: %lld", &printed.mean);
  return printed;
}

// Records of bytes the scan keeps whole (no line end, carriage return or zero
// byte), short and long, with control bytes and bytes above 127.
std::vector<std::string> random_records(unsigned seed, size_t count) {
  static const std::string alphabet = "abcdeABXYZ xy\t-.\xc4\xe4\x01";
  std::mt19937 random(seed);
  std::vector<std::string> records;
  for (size_t i = 0; i < count; ++i) {
    size_t length = 1 + random() % 30;
    if (i % 11 == 5) length = 1990 + random() % 600;  // around the 2000-byte limit
    std::string record;
    for (size_t b = 0; b < length; ++b) record += alphabet[random() % alphabet.size()];
    records.push_back(record);
  }
  return records;
}

std::vector<std::string> sample_names() {
  std::istringstream lines(testing::read_file(VEXARO_SOURCE_DIR "/examples/names.txt"));
  std::vector<std::string> records;
  for (std::string line; std::getline(lines, line);) records.push_back(line);
  return records;
}

const std::vector<std::vector<std::string>> kOptionSets = {
    {},     {"-p"},     {"-a"},         {"-p", "-a"},      {"-f"},  {"-m"},
    {"-b"}, {"-a9999"}, {"-s2", "-c-"}, {"-v", "-oab;xy"}, {"-w0"}, {"-n", "-a25", "-p"},
};

// Inputs of every size the API accepts, among them pairs, whose score is the
// second line's header (which never shows less than -1).
TEST(Api, AgreesWithTheProgram) {
  const std::vector<std::string> pairs = random_records(11, 6);
  std::vector<std::vector<std::string>> inputs = {
      sample_names(), random_records(7, 40), {}, {"solo"}};
  for (size_t i = 0; i + 1 < pairs.size(); i += 2) inputs.push_back({pairs[i], pairs[i + 1]});
  for (const auto& args : kOptionSets) {
    const Options options = Options::from_arguments(args);
    for (const auto& records : inputs) {
      SCOPED_TRACE(::testing::PrintToString(args) + " on " + std::to_string(records.size()));
      const Ordering sorted = order(options, records);
      const Printed printed = run_binary(records, args);
      ASSERT_EQ(printed.scores.size(), records.size());
      EXPECT_EQ(sorted.order, printed.order);
      EXPECT_EQ(sorted.scores, printed.scores);
      EXPECT_EQ(sorted.mean, printed.mean);
      if (options.longest_substrings()) {
        EXPECT_EQ(sorted.substrings, printed.texts);
      } else {
        EXPECT_TRUE(sorted.substrings.empty());
      }
      if (records.size() == 2) {
        EXPECT_EQ(std::max(score(options, records[0], records[1]), -1), printed.scores[1]);
      }
    }
  }
}

TEST(Api, RefusesWhatTheProgramCouldNotHold) {
  const Options options;
  EXPECT_THROW(score(options, "", "abc"), std::invalid_argument);
  EXPECT_THROW(score(options, "abc", std::string("a\0b", 3)), std::invalid_argument);
  EXPECT_THROW(order(options, {"abc", ""}), std::invalid_argument);
  EXPECT_THROW(order(options, std::vector<std::string>(largest_record_limit + 1, "x")),
               std::length_error);
}

// The program's default limit is no limit of the library.
TEST(Api, OrdersMoreRecordsThanTheProgramTakesByDefault) {
  std::vector<std::string> records(max_records + 1, "same line");
  records.back() = "other";
  const Ordering sorted = order(Options::from_arguments({"-d"}), records);
  ASSERT_EQ(sorted.order.size(), records.size());
  EXPECT_EQ(sorted.order.back(), records.size() - 1);
  EXPECT_EQ(sorted.scores[max_records - 1], 1000);
  EXPECT_EQ(sorted.scores[max_records], 0);
}

}  // namespace
}  // namespace vexaro
