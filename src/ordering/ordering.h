// SPDX-License-Identifier: MIT
// The similarity ordering: row by row, the record in the current slot is
// written, every later slot is searched against it, and the best candidate
// becomes the next row's reference. The greedy chain, its header scores and
// its mean, without streams.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "records/record_index.h"
#include "records/settings.h"
#include "scoring/row_search.h"

namespace vexaro {

// One row's line: the record in the row's slot, the score its header shows
// (the previous row's best, 0 on the first line) and the text written, which
// is the record with its control bytes as spaces or, under -a9999, the
// substring the previous row found.
struct RowLine {
  int32_t row = 0;
  int32_t record = 0;
  int32_t score = 0;
  std::string_view text;
};

struct RowsOutcome {
  bool stopped = false;  // `line` asked to stop before the last row
  int64_t mean = 0;      // the mean of the header scores
};

// Hands each row's line to `line` while the row's search runs; a false
// result stops the run there.
RowsOutcome order_rows(const Settings& settings, const RecordIndex& index, RowSearch& search,
                       const std::function<bool(const RowLine&)>& line);

}  // namespace vexaro
