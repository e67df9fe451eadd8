// SPDX-License-Identifier: MIT
// Command-line settings: the values every other stage reads, parsed once at
// start-up and read-only afterwards.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vexaro {

inline constexpr int kMaxRecords = 16000;      // records indexed at most
inline constexpr int kMaxRecordLength = 2000;  // bytes of a record that are used
inline constexpr int kReadLimit = 31000;       // bytes read into one record outside -g
inline constexpr int kOmitSlots = 10;
inline constexpr int kOmitSlotBytes = 15;  // 14 bytes and the terminator

struct Settings {
  int32_t offs = 0;       // -s: leading bytes skipped before comparison
  uint8_t startchar = 0;  // -c: compare behind this byte (0: off)
  std::array<std::array<char, kOmitSlotBytes>, kOmitSlots> omtext{};  // -o
  bool omitnr = false;
  std::array<char, 10> slims{'\n'};  // -l: delimiter set, zero-terminated
  bool islims = false;
  uint8_t lowchar = 65;    // -w lower bound: only ever lowers minchar
  uint8_t hichar = 255;    // -w upper bound of the operating range
  uint8_t minchar = 65;    // lower bound of the operating range
  bool casens = false;     // v, m: no case folding
  bool metap = false;      // m: compare Metaphone keys
  int32_t MINSCAN = 3;     // shortest common substring that counts
  uint32_t adapt = 0;      // a: match-length correlation divisor
  bool single = false;     // a9999: longest common substring mode
  bool posab = false;      // p: position-weighted matches
  bool bytdif = false;     // b: byte-difference measure
  bool linlencor = false;  // f: record-length correlation
  bool dispf = false;      // d: score header and mean line
  bool linu = false;       // r: byte-position header
  int16_t uran = 0;        // -g: shortest pseudo record (0: off)
  int16_t oran = 0;        // -g: longest pseudo record
  int16_t dran = 1;        // number of possible pseudo-record lengths
  int32_t teilg = 1;       // -g: one chunk in teilg is taken
  bool umleit = false;     // standard output is not a terminal

  bool pseudo_records() const { return uran != 0; }
  // Is byte b a record delimiter? The zero byte always is.
  bool is_delimiter(uint8_t b) const;
};

// Walks the arguments (without the program name) from last to first, then
// computes the derived settings. Never rejects anything.
Settings parse_arguments(const std::vector<std::string>& args, bool stdout_is_terminal);

// The banner and option summary, exactly as written to standard error.
std::string banner_text();

}  // namespace vexaro
