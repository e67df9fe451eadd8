// SPDX-License-Identifier: MIT
#include "ordering/ordering.h"

#include <array>
#include <string>

#include "scoring/item.h"

namespace vexaro {

RowsOutcome order_rows(const Settings& s, const RecordIndex& index, RowSearch& search,
                       const std::function<bool(const RowLine&)>& line) {
  RowsOutcome outcome;
  const int32_t count = index.size();
  Slots slots(count);
  for (int32_t i = 0; i < count; ++i) slots[i] = i;

  std::string shown_substring = "##NO_PREVIOUS_ITEM_TO_COMPARE##";
  std::array<uint8_t, kMaxRecordLength + 1> reference_line{};
  int32_t best = 0;
  int64_t score_sum = 0;
  for (int32_t row = 0; row < count; ++row) {
    const int32_t record = slots[row];
    score_sum += best;
    rewrite_control_bytes(index.item(record), reference_line.data());
    std::string_view text = s.longest_substrings
                                ? std::string_view(shown_substring)
                                : std::string_view(reinterpret_cast<char*>(reference_line.data()));
    // The line is written while the row is searched: nothing the search
    // does changes it, and after a failed write the search is dropped.
    search.begin_row(slots, row);
    if (!line(RowLine{row, record, best, text})) {
      search.abandon_row();
      outcome.stopped = true;
      return outcome;
    }
    const RowResult result = search.finish_row();
    best = result.best;
    if (s.longest_substrings) shown_substring = result.substring;
  }
  outcome.mean = count > 0 ? score_sum / count : 0;
  return outcome;
}

}  // namespace vexaro
