// SPDX-License-Identifier: MIT
// The whole program in memory on small inputs and arbitrary arguments: it
// must end normally, write every record exactly once, one line each, and
// exit with the mean that the -d line shows.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_case.h"
#include "ordering/ordering.h"
#include "scoring/item.h"
#include "scoring/literal_search.h"

namespace {

using vexaro::fuzz::require;

using namespace vexaro;

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// Takes "%4u " (or a signed score) off the front of `line`; returns the score.
long long take_score(std::string_view& line) {
  size_t i = 0;
  while (i < line.size() && line[i] == ' ') ++i;
  const size_t digits_from = i;
  if (i < line.size() && line[i] == '-') ++i;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
  require(i > digits_from && i >= 4 && i < line.size() && line[i] == ' ');
  const long long score = std::stoll(std::string(line.substr(digits_from, i - digits_from)));
  line.remove_prefix(i + 1);
  return score;
}

// Takes "#%8lu# " off the front of `line`; returns the offset.
unsigned long long take_offset(std::string_view& line) {
  require(line.size() >= 11 && line[0] == '#');
  const size_t close = line.find("# ", 1);
  require(close != std::string_view::npos && close >= 9);
  const std::string digits(line.substr(1, close - 1));
  line.remove_prefix(close + 2);
  return std::stoull(digits);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > fuzz::kMaxInput) return 0;
  const fuzz::FuzzCase c = fuzz::split_case(data, size);
  if (!fuzz::cheap_to_order(c)) return 0;
  const bool terminal = size % 5 == 0;
  const fuzz::RunResult result = fuzz::run_in_memory(c, terminal, make_literal_search);

  const Settings s = parse_arguments(c.args, terminal);
  MemorySource input(c.input);
  StringSink scan_messages;
  RecordIndex index;
  require(scan_records(s, input, scan_messages, index) == ScanStatus::ok);
  require(result.err.starts_with(banner_text() + scan_messages.text()));

  std::string_view out = result.out;
  long long mean = 0;
  if (s.show_scores) {
    const std::string_view mark = "\n*** Mean value of all scores: ";
    const size_t at = out.rfind(mark);
    require(at != std::string_view::npos && out.ends_with(" *****"));
    mean = std::stoll(std::string(out.substr(at + mark.size())));
    out = out.substr(0, at);
  }
  require(result.status == static_cast<int>(mean) || !s.show_scores);
  if (index.size() == 0) {
    require(out.empty() && result.status == 0);
    return 0;
  }
  if (s.longest_substrings) return 0;  // a substring may hold any byte of the range, a line end too

  // Every record once, as its rewritten bytes, the first record first.
  std::vector<std::string_view> lines = split_lines(out);
  require(static_cast<int32_t>(lines.size()) == index.size());
  std::vector<std::string> expected, written;
  std::vector<uint8_t> rewritten(kMaxRecordLength + 1);
  for (int32_t r = 0; r < index.size(); ++r) {
    rewrite_control_bytes(index.item(r), rewritten.data());
    expected.emplace_back(reinterpret_cast<const char*>(rewritten.data()));
  }
  std::vector<unsigned long long> offsets;
  long long score_sum = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    if (terminal) {
      require(line.starts_with('\r'));
      line.remove_prefix(1);
    }
    if (s.show_scores) {
      const long long score = take_score(line);
      require(i > 0 || score == 0);
      score_sum += score;
    }
    if (s.show_offsets) offsets.push_back(take_offset(line));
    written.emplace_back(line);
  }
  require(written[0] == expected[0]);
  std::sort(expected.begin(), expected.end());
  std::sort(written.begin(), written.end());
  require(written == expected);
  if (s.show_scores) require(score_sum / index.size() == mean);
  if (s.show_offsets) {
    require(offsets[0] == index.offsets[0]);
    std::sort(offsets.begin(), offsets.end());
    std::vector<unsigned long long> all(index.offsets.begin(), index.offsets.end());
    require(offsets == all);
  }
  return 0;
}
