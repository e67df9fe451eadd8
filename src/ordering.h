// The similarity ordering: row by row, the record in the current slot is
// written, every later slot is scored against it, and each candidate that
// beats the row's best so far is exchanged at once into the next slot.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "record_index.h"
#include "settings.h"

namespace vexaro {

class TextSink;

// The output order: slot s holds record slots[s].
using Slots = std::vector<int32_t>;

// Where the compared text of an item begins: `offs` bytes in (clamped to the
// item), then behind the first `startchar` if there is one.
const uint8_t* working_start(const Settings& settings, const uint8_t* item);

// The reference item as written and scored: control bytes 1..31 become spaces.
void rewrite_control_bytes(const uint8_t* item, uint8_t* out);

// Scores the candidates of a row in slot order with `score(j, record)` and
// exchanges every strict improvement at once into slot row+1, which is what
// decides ties. Returns the row's best score, -1 when none beat -1.
template <class ScoreFn>
int32_t apply_row(Slots& slots, int32_t row, ScoreFn&& score) {
  int32_t MaxVal = -1;
  for (int32_t j = row + 1; j < static_cast<int32_t>(slots.size()); ++j) {
    int32_t value = score(j, slots[j]);
    if (value > MaxVal) {
      MaxVal = value;
      std::swap(slots[j], slots[row + 1]);
    }
  }
  return MaxVal;
}

// Searches one row. Implementations differ in speed only: for the same
// records and settings every engine leaves the same slots and best score.
class RowSearch {
 public:
  virtual ~RowSearch() = default;
  // `reference` is the working start of the rewritten reference item in slot
  // `row`. Scores slots row+1.. and exchanges every strict improvement into
  // slot row+1. Returns the row's best score, -1 when no candidate beat -1.
  virtual int32_t search_row(Slots& slots, int32_t row, const uint8_t* reference) = 0;
  // The same, calling `meanwhile` once on this thread while the search may
  // already run on others: the row's line is written then. When it returns
  // false the search may stop short, its result unused.
  virtual int32_t search_row_while(Slots& slots, int32_t row, const uint8_t* reference,
                                   const std::function<bool()>& meanwhile) {
    if (!meanwhile()) return -1;
    return search_row(slots, row, reference);
  }
  // Under -a9999: the longest common substring the last search found.
  virtual std::string row_substring() const = 0;
};

// The engine that scores every candidate with the literal scorer.
std::unique_ptr<RowSearch> make_literal_search(const Settings& settings, const RecordIndex& index);

// One row's line before its search: the record in the row's slot, the score
// its header shows (the previous row's best, 0 on the first line) and the
// text written, which is the rewritten record or, under -a9999, the
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

// The ordering without streams: hands each row's line to `line` before the
// row's search starts; a false result stops the run there.
RowsOutcome order_rows(const Settings& settings, const RecordIndex& index, RowSearch& search,
                       const std::function<bool(const RowLine&)>& line);

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
