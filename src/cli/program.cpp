// SPDX-License-Identifier: MIT
#include "cli/program.h"

#include "cli/record_limit.h"
#include "ordering/report.h"

namespace vexaro {

int run(const std::vector<std::string>& args, const Streams& streams,
        const SearchFactory& make_search, std::optional<std::string_view> record_limit) {
  int32_t limit = kMaxRecords;
  if (record_limit) {
    const std::optional<int32_t> asked = parse_record_limit(*record_limit);
    if (!asked) {
      streams.diagnostics.write(record_limit_refusal(*record_limit));
      streams.diagnostics.flush();
      return kExitRefusedLimit;
    }
    limit = *asked;
  }
  const Settings settings = parse_arguments(args, streams.output_is_terminal);
  streams.diagnostics.write(banner_text(limit));

  RecordIndex index;
  if (scan_records(settings, streams.input, streams.diagnostics, index, limit) != ScanStatus::ok) {
    streams.diagnostics.write(
        "\nvexaro: cannot read standard input: " + streams.input.error_text() + "\n");
    streams.diagnostics.flush();
    return kExitStreamError;
  }
  streams.diagnostics.flush();

  auto search = make_search(settings, index);
  OrderingResult result =
      run_ordering(settings, index, *search, streams.output, streams.diagnostics);
  streams.output.flush();
  if (result.status != OrderingStatus::ok || !streams.output.ok()) {
    streams.diagnostics.write(
        "\nvexaro: cannot write standard output: " + streams.output.error_text() + "\n");
    streams.diagnostics.flush();
    return kExitStreamError;
  }
  streams.diagnostics.flush();
  return static_cast<int>(result.mean);
}

}  // namespace vexaro
