// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "records/pseudo_records.h"
#include "records/record_index.h"
#include "records/settings.h"
#include "records/streams.h"

namespace vexaro {
namespace {

using Spans = std::vector<std::pair<uint64_t, int>>;

struct Scan {
  RecordIndex index;
  std::string diagnostics;
  Spans spans() const {
    Spans out;
    for (int i = 0; i < index.size(); ++i)
      out.emplace_back(index.offsets[i], index.stored_lengths[i]);
    return out;
  }
};

Scan scan(const std::string& input, std::vector<std::string> args = {}) {
  Settings s = parse_arguments(args, false);
  MemorySource source(input);
  StringSink sink;
  Scan result;
  EXPECT_EQ(scan_records(s, source, sink, result.index), ScanStatus::ok);
  result.diagnostics = sink.text();
  return result;
}

struct SpanCase {
  std::string input;
  std::vector<std::string> args;
  Spans spans;
};

TEST(RecordIndex, OffsetsAndLengths) {
  using namespace std::string_literals;
  const std::vector<SpanCase> cases = {
      {"abc\ndef\n", {}, {{0, 3}, {4, 3}}},
      {"abc\ndef", {}, {{0, 3}, {4, 3}}},  // an unterminated last record is kept
      {"\n\nab\n", {}, {{2, 2}}},
      {"ab\r\n", {}, {{0, 2}}},
      {"\r\n", {}, {{0, 1}}},
      {"a\rb\rc\n", {}, {{0, 3}}},
      {"ab\0cd\n"s, {}, {{0, 2}, {3, 2}}},
      {"a.b.cd", {"-l."}, {{0, 2}, {2, 2}, {4, 2}}},
      {"a..b.", {"-l."}, {{0, 2}, {3, 2}}},
      {"a\rb\r.", {"-l."}, {{0, 5}}},
      {"ab\ncd", {"-l."}, {{0, 5}}},
      {"ab\0cd"s, {"-l"}, {{0, 3}, {3, 2}}},
      {"ab\rcd\r", {}, {{0, 5}}},
      {"", {}, {}},
      {"\n\n\n", {}, {}},
      {std::string(5, '\0'), {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(scan(c.input, c.args).spans(), c.spans);
  }
}

TEST(RecordIndex, StoredBytesAreTheIndexedSpan) {
  using namespace std::string_literals;
  Scan s = scan("a.b\0cd"s, {"-l."});
  ASSERT_EQ(s.index.size(), 3);
  EXPECT_STREQ(reinterpret_cast<const char*>(s.index.item(0)), "a.");
  EXPECT_STREQ(reinterpret_cast<const char*>(s.index.item(1)), "b");  // its zero ends it
  EXPECT_EQ(s.index.stored_lengths[1], 2);
  EXPECT_STREQ(reinterpret_cast<const char*>(s.index.item(2)), "cd");
  Scan cr = scan("a\rb\rc\n");
  EXPECT_STREQ(reinterpret_cast<const char*>(cr.index.item(0)), "a\rb");
}

TEST(RecordIndex, Statistics) {
  Scan two = scan("abc\ndef\n");
  EXPECT_EQ(two.index.stats.stored_bytes, 6);
  EXPECT_EQ(two.index.stats.twice_mean_length, 6);
  Scan mixed = scan("abc\nabcd\n");
  EXPECT_EQ(mixed.index.stats.stored_bytes, 7);
  EXPECT_EQ(mixed.index.stats.twice_mean_length, 6);

  struct ByteCase {
    std::string input;
    int min_byte, max_byte;
  };
  for (const ByteCase& c : std::vector<ByteCase>{{"abc\n", 255, 99},
                                                 {"cba\n", 97, 99},
                                                 {"a1\n", 255, 97},
                                                 {"\n", 255, 0},
                                                 {"aa\n", 97, 97}}) {
    Scan s = scan(c.input);
    SCOPED_TRACE(c.input);
    EXPECT_EQ(s.index.stats.min_byte, c.min_byte);
    EXPECT_EQ(s.index.stats.max_byte, c.max_byte);
  }
}

TEST(RecordIndex, LongRecordsAreTruncatedWithAWarning) {
  Scan s = scan(std::string(2500, 'x') + "\n");
  ASSERT_EQ(s.index.size(), 1);
  EXPECT_EQ(s.index.stored_lengths[0], 2000);
  EXPECT_EQ(s.index.stats.stored_bytes, 2000);
  EXPECT_NE(s.diagnostics.find("\t**WARNING, linelength 2500 truncated.**\r     1"),
            std::string::npos);

  Scan run = scan(std::string(31005, 'x'), {"-l."});
  EXPECT_EQ(run.spans(), (Spans{{0, 2000}, {31000, 5}}));
  EXPECT_NE(run.diagnostics.find("linelength 31001 truncated"), std::string::npos);
}

TEST(RecordIndex, CountAndSummaryOnDiagnostics) {
  Scan s = scan("b\na\n");
  EXPECT_EQ(s.diagnostics,
            "\r     1\r     2 Lines to process.(= 2 bytes)\n"
            "------------------------------------------\n");
}

TEST(RecordIndex, StopsAtTheRecordLimitAndSaysSo) {
  std::string input;
  for (int i = 0; i < kMaxRecords + 1; ++i) input += "line\n";
  Scan s = scan(input);
  EXPECT_EQ(s.index.size(), kMaxRecords);
  EXPECT_NE(s.diagnostics.find("rest of the input is ignored"), std::string::npos);
  input.resize(input.size() - 5);
  EXPECT_EQ(scan(input).diagnostics.find("ignored"), std::string::npos);
}

TEST(PseudoRecords, GeneratorSequence) {
  ParkMiller g;
  const std::vector<int32_t> expected = {2147435376, 1964877853, 856088761,
                                         232763010,  68814606,   1740127964};
  for (int32_t value : expected) EXPECT_EQ(g.next(), value);
}

TEST(PseudoRecords, ChunkSequences) {
  const std::string data(1000, 'x');
  EXPECT_EQ(scan(data.substr(0, 90), {"-g10,20"}).spans(),
            (Spans{{0, 19}, {19, 14}, {33, 10}, {43, 17}, {60, 13}, {73, 13}}));
  EXPECT_EQ(scan(data.substr(0, 90), {"-g10,20,50"}).spans(),
            (Spans{{19, 14}, {43, 17}, {73, 13}}));
  Spans wide = scan(data, {"-g1,100"}).spans();
  ASSERT_GE(wide.size(), 6u);
  std::vector<int> lengths;
  for (int i = 0; i < 6; ++i) lengths.push_back(wide[i].second);
  EXPECT_EQ(lengths, (std::vector<int>{77, 54, 62, 11, 7, 65}));
  EXPECT_TRUE(scan("short", {"-g10,20"}).spans().empty());
}

TEST(PseudoRecords, NewlinesAndDelimitersInsideChunks) {
  using namespace std::string_literals;
  std::string data(40, 'a');
  data[5] = '\n';
  data[25] = '\0';
  // The zero byte ends the third chunk early; the next chunk starts after it.
  EXPECT_EQ(scan(data, {"-g10,20"}).spans(), (Spans{{0, 19}, {19, 6}, {26, 10}}));
  // With -l every length counts one byte more, never past the end of input.
  EXPECT_EQ(scan(std::string(33, 'a'), {"-g10,20", "-l"}).spans(), (Spans{{0, 20}, {19, 14}}));
  Scan big = scan(std::string(9000, 'a'), {"-g3000,4000"});
  EXPECT_EQ(big.index.size(), 2);
  EXPECT_EQ(big.index.stored_lengths[0], 2000);
  EXPECT_NE(big.diagnostics.find("WARNING, linelength"), std::string::npos);
  Scan full = scan(std::string(40000, 'a'), {"-g32767,32767", "-l"});
  EXPECT_NE(full.diagnostics.find("linelength 32768 truncated"), std::string::npos);
}

// A source that hands out its data a few bytes at a time, as a pipe does.
class TrickleSource : public ByteSource {
 public:
  explicit TrickleSource(std::string data) : data_(std::move(data)) {}
  long read(uint8_t* buffer, size_t capacity) override {
    size_t n = std::min<size_t>({capacity, 3, data_.size() - at_});
    std::copy_n(data_.data() + at_, n, buffer);
    at_ += n;
    return static_cast<long>(n);
  }

 private:
  std::string data_;
  size_t at_ = 0;
};

TEST(RecordIndex, PipeAndMemoryGiveTheSameIndex) {
  std::string data;
  for (int i = 0; i < 3000; ++i)
    data += std::string(1 + i % 37, static_cast<char>('a' + i % 26)) + (i % 7 ? "\n" : "\r\n");
  for (const auto& args : std::vector<std::vector<std::string>>{{}, {"-g5,60,30"}, {"-l\r"}}) {
    Settings s = parse_arguments(args, false);
    TrickleSource pipe(data);
    StringSink sink;
    RecordIndex piped;
    ASSERT_EQ(scan_records(s, pipe, sink, piped), ScanStatus::ok);
    Scan direct = scan(data, args);
    EXPECT_EQ(piped.offsets, direct.index.offsets);
    EXPECT_EQ(piped.stored_lengths, direct.index.stored_lengths);
    EXPECT_EQ(piped.bytes, direct.index.bytes);
  }
}

class FailingSource : public ByteSource {
 public:
  long read(uint8_t*, size_t) override { return -1; }
};

TEST(RecordIndex, ReadErrorIsReported) {
  Settings s;
  FailingSource source;
  StringSink sink;
  RecordIndex index;
  EXPECT_EQ(scan_records(s, source, sink, index), ScanStatus::read_error);
}

}  // namespace
}  // namespace vexaro
