// SPDX-License-Identifier: MIT
// Preconditions: checked in Debug builds, compiled out where NDEBUG is set
// (Release), so that the hot loops pay nothing for them.
#pragma once

#include <cassert>

#define VEXARO_ASSERT(condition) assert(condition)
