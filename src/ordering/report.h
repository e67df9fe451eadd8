// SPDX-License-Identifier: MIT
// The report: each row's line with its headers on the output, the echo and
// the progress display on the diagnostics, and the mean line at the end.
#pragma once

#include <cstdint>

#include "records/record_index.h"
#include "records/settings.h"
#include "records/streams.h"
#include "scoring/row_search.h"

namespace vexaro {

enum class OrderingStatus { ok, write_error };

struct OrderingResult {
  OrderingStatus status = OrderingStatus::ok;
  int64_t mean = 0;  // the mean of the header scores, the exit status
};

// Writes the records in similarity order to `output`, with progress and the
// echo of each line on `diagnostics`.
OrderingResult run_ordering(const Settings& settings, const RecordIndex& index, RowSearch& search,
                            TextSink& output, TextSink& diagnostics);

}  // namespace vexaro
