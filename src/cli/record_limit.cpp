// SPDX-License-Identifier: MIT
#include "cli/record_limit.h"

#include "records/settings.h"

namespace vexaro {

std::optional<int32_t> parse_record_limit(std::string_view value) {
  if (value.empty()) return std::nullopt;
  int64_t limit = 0;
  for (const char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    limit = limit * 10 + (c - '0');
    // Stops before a long run of digits could overflow.
    if (limit > kLargestRecordLimit) return std::nullopt;
  }
  if (limit < 1) return std::nullopt;
  return static_cast<int32_t>(limit);
}

std::string record_limit_refusal(std::string_view value) {
  return std::string("vexaro: ") + kRecordLimitVariable + "=\"" + std::string(value) +
         "\": the record limit must be digits only, from 1 to " +
         std::to_string(kLargestRecordLimit) + "\n";
}

}  // namespace vexaro
