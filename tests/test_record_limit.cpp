// SPDX-License-Identifier: MIT
// The record limit a run asks for with VEXARO_MAX_RECORDS: the values taken
// and refused, a refusal before anything else, the limit's edges against
// the literal engine, and the real programs reading the variable.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/program.h"
#include "cli/record_limit.h"
#include "engine/fast_search.h"
#include "records/settings.h"
#include "records/streams.h"
#include "run_binary.h"
#include "run_in_memory.h"
#include "scoring/literal_search.h"

namespace vexaro {
namespace {

TEST(RecordLimit, TakesDigitsFromOneToTheLargestLimit) {
  const std::string largest = std::to_string(kLargestRecordLimit);
  const std::string above = std::to_string(kLargestRecordLimit + 1);
  struct Case {
    std::string value;
    std::optional<int32_t> limit;
  } cases[] = {
      {"1", 1},
      {"16000", 16000},
      {"0016000", 16000},
      {largest, kLargestRecordLimit},
      {"", std::nullopt},
      {"0", std::nullopt},
      {"000", std::nullopt},
      {"+5", std::nullopt},
      {"-5", std::nullopt},
      {" 5", std::nullopt},
      {"5 ", std::nullopt},
      {"5\n", std::nullopt},
      {"5x", std::nullopt},
      {"1e5", std::nullopt},
      {"0x10", std::nullopt},
      {above, std::nullopt},
      {"99999999999999999999999", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(parse_record_limit(c.value), c.limit) << c.value;
}

// A source that counts how often it is read.
class CountingSource : public MemorySource {
 public:
  using MemorySource::MemorySource;
  long read(uint8_t* buffer, size_t capacity) override {
    ++reads;
    return MemorySource::read(buffer, capacity);
  }
  int reads = 0;
};

using testing::Outcome;

Outcome run_limited(const std::string& input, const std::vector<std::string>& args,
                    std::optional<std::string_view> limit, const SearchFactory& factory) {
  return testing::run_in_memory(input, args, factory, limit);
}

TEST(RecordLimit, RefusalComesBeforeTheBannerAndTheInput) {
  for (const std::string value : {"", "0", "-1", " 7", "7 ", "seven", "2000000"}) {
    CountingSource source("b\na\n");
    StringSink output, diagnostics;
    const int status =
        run({"-d"}, Streams{source, output, diagnostics, false}, make_literal_search, value);
    EXPECT_EQ(status, kExitRefusedLimit);
    EXPECT_EQ(source.reads, 0);
    EXPECT_EQ(output.text(), "");
    EXPECT_EQ(diagnostics.text(), "vexaro: VEXARO_MAX_RECORDS=\"" + value +
                                      "\": the record limit must be digits only, from 1 to " +
                                      std::to_string(kLargestRecordLimit) + "\n");
  }
}

const std::string kWarningStart = "\t**WARNING, more than ";

std::string banner_line(int32_t limit) {
  return "Restrictions:  max. " + std::to_string(limit) + " lines/phrases";
}

// Below, at and above the record count, the limited run writes what an
// unlimited run writes for the records taken; the engines agree.
TEST(RecordLimit, EdgesAgainstTheLiteralEngine) {
  const std::vector<std::string> lines = {"alpha beta",    "gamma delta",   "alpha beta gamma",
                                          "delta epsilon", "gamma delta x", "beta alpha"};
  std::string input;
  for (const std::string& line : lines) input += line + "\n";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-d"}, {"-d", "-r", "-p"}, {"-d", "-a9999"}}) {
    for (const int32_t limit : {1, 3, 5, 6, 7, 16000}) {
      const Outcome literal = run_limited(input, args, std::to_string(limit), make_literal_search);
      const Outcome fast = run_limited(input, args, std::to_string(limit), make_default_search);
      EXPECT_EQ(fast.output, literal.output);
      EXPECT_EQ(fast.diagnostics, literal.diagnostics);
      EXPECT_EQ(fast.status, literal.status);

      const size_t taken = std::min<size_t>(limit, lines.size());
      std::string cut;
      for (size_t i = 0; i < taken; ++i) cut += lines[i] + "\n";
      const Outcome unlimited = run_limited(cut, args, std::nullopt, make_literal_search);
      EXPECT_EQ(literal.output, unlimited.output) << limit;
      EXPECT_EQ(literal.status, unlimited.status);
      EXPECT_NE(literal.diagnostics.find(banner_line(limit)), std::string::npos);
      const bool warned = literal.diagnostics.find(kWarningStart) != std::string::npos;
      EXPECT_EQ(warned, taken < lines.size()) << limit;
    }
  }
}

TEST(RecordLimit, PseudoRecordsCountTowardsTheLimit) {
  const std::string data(5000, 'x');
  for (const int32_t limit : {1, 40}) {
    const Outcome outcome =
        run_limited(data, {"-g10,20"}, std::to_string(limit), make_default_search);
    EXPECT_EQ(std::count(outcome.output.begin(), outcome.output.end(), '\n'), limit);
    EXPECT_NE(outcome.diagnostics.find(kWarningStart + std::to_string(limit) + " records"),
              std::string::npos);
  }
}

// Unset, and set to the default, the run is the same, and the warning names
// the variable.
TEST(RecordLimit, DefaultAndPastIt) {
  std::string input;
  for (int i = 0; i < kMaxRecords + 1; ++i) input += "1\n";
  const Outcome unset = run_limited(input, {"-d"}, std::nullopt, make_default_search);
  const Outcome set = run_limited(input, {"-d"}, "16000", make_default_search);
  EXPECT_EQ(set.output, unset.output);
  EXPECT_EQ(set.diagnostics, unset.diagnostics);
  EXPECT_EQ(set.status, unset.status);
  EXPECT_NE(unset.diagnostics.find(
                "\t**WARNING, more than 16000 records: the rest of the input is ignored."
                " Set VEXARO_MAX_RECORDS to take more.**"),
            std::string::npos);

  const Outcome more = run_limited(input, {"-d"}, "16001", make_default_search);
  EXPECT_EQ(std::count(more.output.begin(), more.output.end(), '\n'), kMaxRecords + 2);
  EXPECT_EQ(more.diagnostics.find(kWarningStart), std::string::npos);
  EXPECT_NE(more.diagnostics.find(banner_line(16001)), std::string::npos);
}

// Sets an environment variable for the programs a test starts.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) { setenv(name, value, 1); }
  ~ScopedVariable() { unsetenv(name_); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
};

TEST(RecordLimit, TheProgramReadsTheVariable) {
  {
    ScopedVariable limit(kRecordLimitVariable, "2");
    const auto result = testing::run_on_input(VEXARO_BINARY, {"-d"}, "b\na\nc\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, "   0 b\n   0 a\n\n*** Mean value of all scores: 0 *****");
    EXPECT_NE(result.err.find(banner_line(2)), std::string::npos);
  }
  {
    ScopedVariable limit(kRecordLimitVariable, "2k");
    const auto result = testing::run_on_input(VEXARO_BINARY, {"-d"}, "b\na\nc\n");
    EXPECT_EQ(result.exit_status, kExitRefusedLimit);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, record_limit_refusal("2k"));
  }
}

}  // namespace
}  // namespace vexaro
