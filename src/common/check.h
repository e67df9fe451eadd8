// SPDX-License-Identifier: MIT
// Preconditions, checked where the build turns assertions on (the compile
// definition VEXARO_ASSERTIONS: Debug builds, and the sanitizer build in CI)
// and compiled out elsewhere, so that a Release build pays nothing for them.
//
//   VEXARO_ASSERT(slot < slots.size());
//   VEXARO_ASSERT_MSG(!lanes.empty(), "a row runs on at least one lane");
//
// Switched off, the condition is still compiled but never evaluated: it
// stays valid code, and a name read only by a check is not an unused one.
#pragma once

#if defined(VEXARO_ASSERTIONS) && VEXARO_ASSERTIONS

#include <cstdio>
#include <cstdlib>

namespace vexaro::detail {

// A broken precondition means the state is already wrong: say where, and stop
// before anything is written from it.
[[noreturn]] inline void precondition_failed(const char* condition, const char* message,
                                             const char* file, int line) noexcept {
  std::fprintf(stderr, "%s:%d: precondition failed: %s%s%s\n", file, line, condition,
               message != nullptr ? ": " : "", message != nullptr ? message : "");
  std::abort();
}

}  // namespace vexaro::detail

#define VEXARO_DETAIL_CHECK(condition, text, message) \
  (static_cast<bool>(condition)                       \
       ? void(0)                                      \
       : ::vexaro::detail::precondition_failed(text, message, __FILE__, __LINE__))

#else

#define VEXARO_DETAIL_CHECK(condition, text, message) \
  (static_cast<void>(sizeof(static_cast<bool>(condition))), static_cast<void>(sizeof(message)))

#endif

// Variadic, so that a condition with a comma of its own (a template argument
// list) needs no extra parentheses.
#define VEXARO_ASSERT(...) VEXARO_DETAIL_CHECK((__VA_ARGS__), #__VA_ARGS__, nullptr)
#define VEXARO_ASSERT_MSG(condition, message) VEXARO_DETAIL_CHECK(condition, #condition, message)
