// SPDX-License-Identifier: MIT
// The record limit a user asks for in the environment: the program takes
// 16000 records unless VEXARO_MAX_RECORDS names another count.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexaro {

inline constexpr const char* kRecordLimitVariable = "VEXARO_MAX_RECORDS";

// The limit a value of the variable sets: decimal digits and nothing else,
// from 1 to kLargestRecordLimit. Nothing for any other value, so that a
// typing slip is never taken for the default.
std::optional<int32_t> parse_record_limit(std::string_view value);

// The message that refuses a value, one line naming the variable and it.
std::string record_limit_refusal(std::string_view value);

}  // namespace vexaro
