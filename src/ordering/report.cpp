// SPDX-License-Identifier: MIT
#include "ordering/report.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "ordering/ordering.h"

namespace vexaro {
namespace {

std::string line_header(const Settings& s, int32_t best, uint64_t offset) {
  char text[64] = "";
  size_t used = 0;
  if (s.show_scores) {
    // -1 (no candidate scored above it) is shown signed, not as 4294967295.
    used += best < 0 ? std::snprintf(text, sizeof text, "%4d ", best)
                     : std::snprintf(text, sizeof text, "%4u ", static_cast<unsigned>(best));
  }
  if (s.show_offsets) {
    std::snprintf(text + used, sizeof text - used, "#%8lu# ", static_cast<unsigned long>(offset));
  }
  return text;
}

// The candidate percentages a row shows: each value of (j * 100) / record_count over
// the row's candidates that differs from the one last shown. Computed per
// percentage, not per candidate, so it costs the same for every engine.
void write_progress(int32_t row, int32_t count, uint8_t row_percent, uint8_t& candidate_percent,
                    TextSink& out) {
  // Formatted by hand and written once: early rows show up to a hundred.
  std::string text;
  auto append_percent = [&](unsigned value) {
    if (value >= 100) text.push_back(static_cast<char>('0' + value / 100));
    if (value >= 10) text.push_back(static_cast<char>('0' + value / 10 % 10));
    text.push_back(static_cast<char>('0' + value % 10));
    text.push_back('%');
  };
  auto show = [&](uint8_t p) {
    candidate_percent = p;
    text.push_back('\r');
    append_percent(row_percent);
    text.push_back(':');
    append_percent(candidate_percent);
  };
  if (row + 1 >= count) return;
  const int64_t n = count;
  const int64_t first = (int64_t{row} + 1) * 100 / n;
  const int64_t last = (n - 1) * 100 / n;
  if (static_cast<uint8_t>(first) != candidate_percent) show(static_cast<uint8_t>(first));
  for (int64_t p = first + 1; p <= last; ++p) {
    int64_t j = (p * n + 99) / 100;  // the first candidate that reaches p
    if (j * 100 / n == p) show(static_cast<uint8_t>(p));
  }
  if (!text.empty()) out.write(text);
}

void write_line(const Settings& s, const std::string& header, std::string_view text,
                TextSink& output, TextSink& diagnostics) {
  diagnostics.write("\r       ");
  std::string line = header;
  line.append(text);
  line.push_back('\n');
  if (s.output_redirected) {
    diagnostics.write("\r");
    diagnostics.write(line);
    diagnostics.flush();
    output.write(line);
  } else {
    diagnostics.flush();
    output.write("\r");
    output.write(line);
  }
  output.flush();
}

}  // namespace

OrderingResult run_ordering(const Settings& s, const RecordIndex& index, RowSearch& search,
                            TextSink& output, TextSink& diagnostics) {
  OrderingResult result;
  const int32_t count = index.size();
  uint8_t candidate_percent = 1;
  RowsOutcome outcome = order_rows(s, index, search, [&](const RowLine& line) {
    std::string header = line_header(s, line.score, index.offsets[line.record]);
    write_line(s, header, line.text, output, diagnostics);
    if (!output.ok()) return false;
    const uint8_t row_percent = static_cast<uint8_t>(int64_t{line.row} * 100 / count);
    write_progress(line.row, count, row_percent, candidate_percent, diagnostics);
    return true;
  });
  if (outcome.stopped) {
    result.status = OrderingStatus::write_error;
    return result;
  }
  result.mean = outcome.mean;
  if (s.show_scores) {
    char text[96];
    std::snprintf(text, sizeof text, "\n*** Mean value of all scores: %d *****",
                  static_cast<int>(result.mean));
    output.write(text);
    output.flush();
    if (!output.ok()) result.status = OrderingStatus::write_error;
  }
  return result;
}

}  // namespace vexaro
