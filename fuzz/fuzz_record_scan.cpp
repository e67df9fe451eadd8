// SPDX-License-Identifier: MIT
// The record scan on arbitrary bytes under arbitrary settings (-l, -g and
// all), checked against a plain model that follows the scan byte by byte:
// the same offsets, stored lengths, record bytes, statistics and messages.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_case.h"
#include "records/pseudo_records.h"
#include "records/record_index.h"
#include "records/settings.h"

namespace {

using vexaro::fuzz::require;

using vexaro::Settings;

struct Model {
  std::vector<uint64_t> offsets;
  std::vector<int32_t> lengths;
  uint8_t min_byte = 255, max_byte = 0;
  int32_t stored_bytes = 0;
  std::string diagnostics;
};

Model model_scan(const Settings& s, std::string_view data) {
  Model m;
  vexaro::ParkMiller generator;
  int32_t countdown = 0;
  uint64_t position = 0;
  auto is_delimiter = [&](uint8_t b) {
    return b == 0 ||
           std::memchr(s.delimiters.data(), b, std::strlen(s.delimiters.data())) != nullptr;
  };
  while (m.offsets.size() < vexaro::kMaxRecords) {
    const uint64_t offset = position;
    int64_t limit = vexaro::kReadLimit;
    if (s.pseudo_records()) {
      if (countdown == 0) countdown = s.take_every;
      const int32_t length = generator.next() % s.pseudo_lengths + s.pseudo_shortest;
      if (--countdown != 0) {
        position += length;
        continue;
      }
      limit = length;
    }
    int32_t accepted = 0, carriage_return = 0;
    bool at_end = false;
    while (accepted < limit) {
      if (position >= data.size()) {
        at_end = true;
        break;
      }
      const uint8_t b = data[position++];
      if (is_delimiter(b)) break;
      if (b == 13) carriage_return = accepted;
      ++accepted;
      if (b > m.max_byte && b <= s.range_high) {
        m.max_byte = b;
      } else if (b < m.min_byte && b >= s.range_low) {
        m.min_byte = b;
      }
    }
    if (at_end && s.pseudo_records()) break;
    if (accepted > 0) {
      int32_t length = accepted;
      if (s.delimiters_given && !at_end) {
        length = accepted + 1;
      } else if (!s.delimiters_given && !s.pseudo_records() && carriage_return > 0) {
        length = carriage_return;
      }
      if (length > vexaro::kMaxRecordLength) {
        char text[64];
        std::snprintf(text, sizeof text, "\t**WARNING, linelength %d truncated.**", length);
        m.diagnostics += text;
        length = vexaro::kMaxRecordLength;
      }
      // A record never reaches past the end of the input.
      length = static_cast<int32_t>(std::min<uint64_t>(length, data.size() - offset));
      m.offsets.push_back(offset);
      m.lengths.push_back(length);
      m.stored_bytes += length;
      char count[16];
      std::snprintf(count, sizeof count, "\r%6d", static_cast<int>(m.offsets.size()));
      m.diagnostics += count;
    }
    if (at_end) break;
  }
  char summary[128];
  std::snprintf(summary, sizeof summary,
                " Lines to process.(= %lu bytes)\n------------------------------------------\n",
                static_cast<unsigned long>(m.stored_bytes));
  m.diagnostics += summary;
  return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > vexaro::fuzz::kMaxInput) return 0;
  const vexaro::fuzz::FuzzCase c = vexaro::fuzz::split_case(data, size);
  const Settings settings = vexaro::parse_arguments(c.args, false);

  vexaro::fuzz::ChoppySource input(c.input, 1 + size % 61, size % 3 != 0);
  vexaro::StringSink diagnostics;
  vexaro::RecordIndex index;
  require(vexaro::scan_records(settings, input, diagnostics, index) == vexaro::ScanStatus::ok);

  const Model m = model_scan(settings, c.input);
  const int32_t count = index.size();
  require(count == static_cast<int32_t>(m.offsets.size()));
  require(index.offsets.size() == m.offsets.size() &&
          index.stored_lengths.size() == m.offsets.size());
  for (int32_t i = 0; i < count; ++i) {
    require(index.offsets[i] == m.offsets[i]);
    require(index.stored_lengths[i] == m.lengths[i]);
    require(m.lengths[i] >= 1 && m.lengths[i] <= vexaro::kMaxRecordLength);
    // The stored bytes are the input's, ended by a zero byte.
    const uint8_t* item = index.item(i);
    require(std::memcmp(item, c.input.data() + m.offsets[i], m.lengths[i]) == 0);
    require(item[m.lengths[i]] == 0);
  }
  require(index.stats.min_byte == m.min_byte && index.stats.max_byte == m.max_byte);
  require(index.stats.stored_bytes == m.stored_bytes);
  require(index.stats.twice_mean_length == (count > 0 ? m.stored_bytes / count * 2 : 0));
  require(diagnostics.text() == m.diagnostics);
  return 0;
}
