// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cli/program.h"
#include "ordering/ordering.h"
#include "records/streams.h"
#include "scoring/item.h"
#include "scoring/literal_search.h"

namespace vexaro {
namespace {

// Scores looked up by (reference text, candidate text); unknown pairs score 0.
using ScoreTable = std::map<std::pair<std::string, std::string>, int32_t>;

class TableSearch : public RowSearch {
 public:
  TableSearch(const RecordIndex& index, ScoreTable table)
      : index_(index), table_(std::move(table)) {}
  void begin_row(Slots& slots, int32_t row) override {
    slots_ = &slots;
    row_ = row;
  }
  RowResult finish_row() override {
    std::string reference = text((*slots_)[row_]);
    const int32_t best = apply_row(*slots_, row_, [&](int32_t, int32_t record) {
      auto found = table_.find({reference, text(record)});
      return found == table_.end() ? 0 : found->second;
    });
    return {best, {}};
  }
  void abandon_row() override {}

 private:
  std::string text(int32_t record) const {
    return reinterpret_cast<const char*>(index_.item(record));
  }
  const RecordIndex& index_;
  ScoreTable table_;
  Slots* slots_ = nullptr;
  int32_t row_ = 0;
};

struct RunResult {
  std::string output;
  std::string diagnostics;
  int status;
};

RunResult run_with(const std::string& input, std::vector<std::string> args, ScoreTable table,
                   bool terminal = false) {
  MemorySource source(input);
  StringSink output, diagnostics;
  Streams streams{source, output, diagnostics, terminal};
  int status = run(args, streams, [&](const Settings&, const RecordIndex& index) {
    return std::make_unique<TableSearch>(index, table);
  });
  std::string errors = diagnostics.text();
  errors.erase(0, banner_text().size());
  return {output.text(), errors, status};
}

const ScoreTable kPQRS = {{{"P", "Q"}, 10}, {{"P", "R"}, 20}, {{"P", "S"}, 30},
                          {{"S", "Q"}, 5},  {{"S", "R"}, 5},  {{"Q", "R"}, 7}};

TEST(Ordering, ExchangeAtEveryImprovementDecidesTies) {
  RunResult r = run_with("P\nQ\nR\nS\n", {"-d"}, kPQRS);
  EXPECT_EQ(r.output, "   0 P\n  30 S\n   5 Q\n   7 R\n\n*** Mean value of all scores: 10 *****");
  EXPECT_EQ(r.status, 10);
}

TEST(Ordering, HeadersAndSingleRecords) {
  struct Case {
    std::string input;
    std::vector<std::string> args;
    ScoreTable table;
    std::string output;
    int status;
  };
  const std::vector<Case> cases = {
      {"only\n", {"-d"}, {}, "   0 only\n\n*** Mean value of all scores: 0 *****", 0},
      {"a\nb\n",
       {"-d"},
       {{{"a", "b"}, 1000}},
       "   0 a\n1000 b\n\n*** Mean value of all scores: 500 *****",
       500 & 0xff},
      {"a\nb\n", {}, {{{"a", "b"}, 999}}, "a\nb\n", 499 & 0xff},
      {"x\nyy\n",
       {"-dr"},
       {{{"x", "yy"}, 987}},
       "   0 #       0# x\n 987 #       2# yy\n\n*** Mean value of all scores: 493 *****",
       493 & 0xff},
      {"x\nyy\n", {"-r"}, {}, "#       0# x\n#       2# yy\n", 0},
      {"", {"-d"}, {}, "\n*** Mean value of all scores: 0 *****", 0},
      {"", {}, {}, "", 0},
      {"a\nb\nc\n",
       {"-d"},
       {{{"a", "b"}, -5}, {{"a", "c"}, -2}, {{"b", "c"}, -1}},
       "   0 a\n  -1 b\n  -1 c\n\n*** Mean value of all scores: 0 *****",
       0},
      {"a\tb\x7f\xe9\n", {}, {}, "a b\x7f\xe9\n", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    RunResult r = run_with(c.input, c.args, c.table);
    EXPECT_EQ(r.output, c.output);
    EXPECT_EQ(r.status & 0xff, c.status);
  }
}

TEST(Ordering, EchoWhenRedirectedCarriageReturnOnATerminal) {
  RunResult redirected = run_with("P\nQ\n", {"-d"}, kPQRS);
  EXPECT_NE(redirected.diagnostics.find("\r       \r   0 P\n"), std::string::npos);
  EXPECT_NE(redirected.diagnostics.find("\r       \r  10 Q\n"), std::string::npos);

  RunResult terminal = run_with("P\nQ\n", {"-d"}, kPQRS, true);
  EXPECT_EQ(terminal.output, "\r   0 P\n\r  10 Q\n\n*** Mean value of all scores: 5 *****");
  EXPECT_EQ(terminal.diagnostics.find("P\n"), std::string::npos);
}

TEST(Ordering, ProgressShowsEachNewCandidatePercentage) {
  std::string input;
  for (int i = 0; i < 100; ++i) input.append("r").append(std::to_string(i)).append("\n");
  RunResult r = run_with(input, {}, {});
  size_t first = r.diagnostics.find("\r0%:");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(r.diagnostics.compare(first, 7, "\r0%:2%\r"), 0);  // 1% was already shown
  EXPECT_NE(r.diagnostics.find("\r97%:99%"), std::string::npos);
  EXPECT_EQ(r.diagnostics.find("\r98%:"), std::string::npos);  // 99% was shown last
}

TEST(Ordering, WorkingStart) {
  Settings s;
  auto start = [&](const char* item) {
    return std::string(reinterpret_cast<const char*>(
        working_start(item_rules_of(s), reinterpret_cast<const uint8_t*>(item))));
  };
  s.skip_bytes = 2;
  EXPECT_EQ(start("abcdef"), "cdef");
  s.skip_bytes = 10;
  EXPECT_EQ(start("abc"), "");
  s.skip_bytes = -3;
  EXPECT_EQ(start("abc"), "abc");
  s.skip_bytes = 1;
  s.start_byte = ':';
  EXPECT_EQ(start(":a:b"), "b");
  EXPECT_EQ(start("xab"), "ab");
}

class FullSink : public StringSink {
 public:
  void write(std::string_view) override { failed_ = true; }
  bool ok() const override { return !failed_; }

 private:
  bool failed_ = false;
};

TEST(Ordering, WriteFailureIsAnError) {
  MemorySource source("a\nb\n");
  FullSink output;
  StringSink diagnostics;
  Streams streams{source, output, diagnostics, false};
  EXPECT_EQ(run({}, streams, make_literal_search), kExitStreamError);
  EXPECT_NE(diagnostics.text().find("cannot write standard output"), std::string::npos);
}

}  // namespace
}  // namespace vexaro
