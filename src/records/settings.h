// SPDX-License-Identifier: MIT
// Command-line settings: the values every other stage reads, parsed once at
// start-up and read-only afterwards.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vexaro {

inline constexpr int kMaxRecords = 16000;  // records indexed at most, unless a run asks for more
// The largest record limit a run may ask for: 2^20 records of the longest
// length, kept both as candidates and as references, still have every
// offset into the engine's stores within 32 bits.
inline constexpr int kLargestRecordLimit = 1 << 20;
inline constexpr int kMaxRecordLength = 2000;  // bytes of a record that are used
inline constexpr int kReadLimit = 31000;       // bytes read into one record outside -g
inline constexpr int kOmitSlots = 10;
inline constexpr int kOmitSlotBytes = 15;  // 14 bytes and the terminator

struct Settings {
  int32_t skip_bytes = 0;  // -s: leading bytes skipped before comparison
  uint8_t start_byte = 0;  // -c: compare behind this byte (0: off)
  std::array<std::array<char, kOmitSlotBytes>, kOmitSlots> omit_strings{};  // -o
  bool omit_in_use = false;
  std::array<char, 10> delimiters{'\n'};  // -l: delimiter set, zero-terminated
  bool delimiters_given = false;
  uint8_t requested_low = 65;       // -w lower bound: only ever lowers range_low
  uint8_t range_high = 255;         // -w upper bound of the operating range
  uint8_t range_low = 65;           // lower bound of the operating range
  bool case_sensitive = false;      // v, m: no case folding
  bool phonetic_keys = false;       // m: compare Metaphone keys
  int32_t shortest_piece = 3;       // shortest common substring that counts
  uint32_t length_divisor = 0;      // a: match-length correlation divisor
  bool longest_substrings = false;  // a9999: longest common substring mode
  bool position_weighting = false;  // p: position-weighted matches
  bool byte_difference = false;     // b: byte-difference measure
  bool length_correlation = false;  // f: record-length correlation
  bool show_scores = false;         // d: score header and mean line
  bool show_offsets = false;        // r: byte-position header
  int16_t pseudo_shortest = 0;      // -g: shortest pseudo record (0: off)
  int16_t pseudo_longest = 0;       // -g: longest pseudo record
  int16_t pseudo_lengths = 1;       // number of possible pseudo-record lengths
  int32_t take_every = 1;           // -g: one chunk in take_every is taken
  bool output_redirected = false;   // standard output is not a terminal

  bool pseudo_records() const { return pseudo_shortest != 0; }
  bool operator==(const Settings&) const = default;
  // Is byte b a record delimiter? The zero byte always is.
  bool is_delimiter(uint8_t b) const;
};

// Walks the arguments (without the program name) from last to first, then
// computes the derived settings. Never rejects anything.
Settings parse_arguments(const std::vector<std::string>& args, bool stdout_is_terminal);

// The banner and option summary, exactly as written to standard error;
// its restrictions line shows the record limit in force.
std::string banner_text(int32_t record_limit = kMaxRecords);

}  // namespace vexaro
