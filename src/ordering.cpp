#include "ordering.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "io.h"
#include "similarity.h"

namespace vexaro {

const uint8_t* working_start(const Settings& settings, const uint8_t* item) {
  size_t length = std::strlen(reinterpret_cast<const char*>(item));
  size_t skip = settings.offs > 0 ? static_cast<size_t>(settings.offs) : 0;
  const uint8_t* text = item + std::min(skip, length);
  if (settings.startchar != 0) {
    const char* found = std::strchr(reinterpret_cast<const char*>(text), settings.startchar);
    if (found != nullptr) text = reinterpret_cast<const uint8_t*>(found) + 1;
  }
  return text;
}

void rewrite_control_bytes(const uint8_t* item, uint8_t* out) {
  for (; *item != 0; ++item, ++out) *out = (*item < 32) ? ' ' : *item;
  *out = 0;
}

namespace {

class LiteralSearch : public RowSearch {
 public:
  LiteralSearch(const Settings& settings, const RecordIndex& index)
      : settings_(settings), index_(index), scorer_(settings, index.stats) {}

  int32_t search_row(Slots& slots, int32_t row, const uint8_t* reference) override {
    if (settings_.single) scorer_.start_row();
    const int32_t Sleni = index_.linlens[slots[row]];
    return apply_row(slots, row, [&](int32_t j, int32_t record) {
      const uint8_t* candidate = working_start(settings_, index_.item(record));
      return scorer_.simlin(j == row + 1 ? reference : nullptr, candidate, Sleni,
                            index_.linlens[record]);
    });
  }

  std::string row_substring() const override { return scorer_.Sxstrng(); }

 private:
  const Settings& settings_;
  const RecordIndex& index_;
  LiteralScorer scorer_;
};

std::string line_header(const Settings& s, int32_t MaxVal, uint64_t offset) {
  char text[64] = "";
  size_t used = 0;
  if (s.dispf) {
    // -1 (no candidate scored above it) is shown signed, not as 4294967295.
    used += MaxVal < 0 ? std::snprintf(text, sizeof text, "%4d ", MaxVal)
                       : std::snprintf(text, sizeof text, "%4u ", static_cast<unsigned>(MaxVal));
  }
  if (s.linu) {
    std::snprintf(text + used, sizeof text - used, "#%8lu# ", static_cast<unsigned long>(offset));
  }
  return text;
}

// The candidate percentages a row shows: each value of (j * 100) / Linza over
// the row's candidates that differs from the one last shown. Computed per
// percentage, not per candidate, so it costs the same for every engine.
void write_progress(int32_t row, int32_t count, uint8_t itick, uint8_t& jtick, TextSink& out) {
  // Formatted by hand and written once: early rows show up to a hundred.
  std::string text;
  auto append_percent = [&](unsigned value) {
    if (value >= 100) text.push_back(static_cast<char>('0' + value / 100));
    if (value >= 10) text.push_back(static_cast<char>('0' + value / 10 % 10));
    text.push_back(static_cast<char>('0' + value % 10));
    text.push_back('%');
  };
  auto show = [&](uint8_t p) {
    jtick = p;
    text.push_back('\r');
    append_percent(itick);
    text.push_back(':');
    append_percent(jtick);
  };
  if (row + 1 >= count) return;
  const int64_t n = count;
  const int64_t first = (int64_t{row} + 1) * 100 / n;
  const int64_t last = (n - 1) * 100 / n;
  if (static_cast<uint8_t>(first) != jtick) show(static_cast<uint8_t>(first));
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
  if (s.umleit) {
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

std::unique_ptr<RowSearch> make_literal_search(const Settings& settings, const RecordIndex& index) {
  return std::make_unique<LiteralSearch>(settings, index);
}

RowsOutcome order_rows(const Settings& s, const RecordIndex& index, RowSearch& search,
                       const std::function<bool(const RowLine&)>& line) {
  RowsOutcome outcome;
  const int32_t count = index.size();
  Slots slots(count);
  for (int32_t i = 0; i < count; ++i) slots[i] = i;

  std::string Sstrng = "##NO_PREVIOUS_ITEM_TO_COMPARE##";
  std::array<uint8_t, kMaxRecordLength + 1> st1{};
  int32_t MaxVal = 0;
  int64_t SMaxVal = 0;
  for (int32_t row = 0; row < count; ++row) {
    const int32_t record = slots[row];
    SMaxVal += MaxVal;
    rewrite_control_bytes(index.item(record), st1.data());
    std::string_view text =
        s.single ? std::string_view(Sstrng) : std::string_view(reinterpret_cast<char*>(st1.data()));
    // The line is written while the row is searched: nothing the search
    // does changes it, and after a failed write the search is not used.
    bool written = true;
    MaxVal = search.search_row_while(slots, row, working_start(s, st1.data()), [&] {
      written = line(RowLine{row, record, MaxVal, text});
      return written;
    });
    if (!written) {
      outcome.stopped = true;
      return outcome;
    }
    if (s.single) Sstrng = search.row_substring();
  }
  outcome.mean = count > 0 ? SMaxVal / count : 0;
  return outcome;
}

OrderingResult run_ordering(const Settings& s, const RecordIndex& index, RowSearch& search,
                            TextSink& output, TextSink& diagnostics) {
  OrderingResult result;
  const int32_t count = index.size();
  uint8_t jtick = 1;
  RowsOutcome outcome = order_rows(s, index, search, [&](const RowLine& line) {
    std::string header = line_header(s, line.score, index.linas[line.record]);
    write_line(s, header, line.text, output, diagnostics);
    if (!output.ok()) return false;
    const uint8_t itick = static_cast<uint8_t>(int64_t{line.row} * 100 / count);
    write_progress(line.row, count, itick, jtick, diagnostics);
    return true;
  });
  if (outcome.stopped) {
    result.status = OrderingStatus::write_error;
    return result;
  }
  result.mean = outcome.mean;
  if (s.dispf) {
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
