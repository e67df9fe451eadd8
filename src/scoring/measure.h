// SPDX-License-Identifier: MIT
// The measure: which score a pair gets, how the common pieces are weighed
// and what the record statistics are for, decided once from the settings.
// Every scorer reads this value, so a rule such as "-b wins over -a9999" is
// made here and nowhere else.
#pragma once

#include <cstdint>

#include "records/settings.h"

namespace vexaro {

enum class MeasureKind : uint8_t {
  common_pieces,       // the match sum of the common pieces, the default
  byte_difference,     // -b, whether or not -a9999 is given too
  longest_substrings,  // -a9999: a row scores the longest common substring it has seen
};

// What a hit adds to the match sum: 2 L plain, or weighed by how far its
// places in the two items lie apart (-p), by its length (-a), or the mean
// of both. The values are bits: by position 1, by length 2.
enum class Weighting : uint8_t { plain = 0, by_position = 1, by_length = 2, both = 3 };

struct Measure {
  MeasureKind kind = MeasureKind::common_pieces;
  Weighting weighting = Weighting::plain;  // common pieces only
  uint32_t length_divisor = 0;             // by length: a hit adds L L / (searched length / it + 1)
  bool length_correlation = false;         // -f, common pieces only: scaled by the stored lengths
  int32_t shortest_piece = 3;              // the shortest window that counts, at least 1

  bool common_pieces() const { return kind == MeasureKind::common_pieces; }
  bool byte_difference() const { return kind == MeasureKind::byte_difference; }
  bool longest_substrings() const { return kind == MeasureKind::longest_substrings; }
  bool by_position() const { return (static_cast<uint8_t>(weighting) & 1) != 0; }
  bool by_length() const { return (static_cast<uint8_t>(weighting) & 2) != 0; }
  // The record statistics scale a byte difference by the byte range, and
  // the mean stored length scores a longest substring and correlates
  // lengths; other scores read none of them.
  bool reads_statistics() const { return !common_pieces() || length_correlation; }
};

Measure measure_of(const Settings& settings);

}  // namespace vexaro
