// SPDX-License-Identifier: MIT
// The precondition macros in the mode this build compiles them in: switched
// on, a broken condition stops the program naming itself and where it
// stands; switched off, the condition is never evaluated. CI runs both (the
// plain build has them off, the sanitizer build on).
#include <gtest/gtest.h>

#include <map>

#include "common/check.h"

namespace {

int evaluations = 0;

bool counted(bool value) {
  ++evaluations;
  return value;
}

#if defined(VEXARO_ASSERTIONS) && VEXARO_ASSERTIONS

TEST(Check, OnAHeldConditionGoesOnHavingEvaluatedItOnce) {
  evaluations = 0;
  VEXARO_ASSERT(counted(true));
  VEXARO_ASSERT_MSG(counted(true), "held");
  EXPECT_EQ(evaluations, 2);
}

TEST(Check, OnABrokenConditionStopsNamingItAndItsPlace) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(VEXARO_ASSERT(counted(false)),
               "test_check\\.cpp:[0-9]+: precondition failed: counted\\(false\\)\n");
  EXPECT_DEATH(VEXARO_ASSERT_MSG(1 + 1 == 3, "arithmetic"),
               "precondition failed: 1 \\+ 1 == 3: arithmetic\n");
  EXPECT_DEATH(VEXARO_ASSERT(std::map<int, int>{}.size() == 1),
               "precondition failed: std::map<int, int>\\{\\}\\.size\\(\\) == 1\n");
}

#else

TEST(Check, OffNeverEvaluatesTheCondition) {
  evaluations = 0;
  // Read by the checks alone: no unused-variable warning may stop the build.
  const int read_only_by_checks = 3;
  VEXARO_ASSERT(counted(read_only_by_checks == 3));
  VEXARO_ASSERT_MSG(counted(false), "never evaluated");
  VEXARO_ASSERT(std::map<int, int>{}.size() == 1);
  EXPECT_EQ(evaluations, 0);
}

#endif

}  // namespace
