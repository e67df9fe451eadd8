// SPDX-License-Identifier: MIT
// Preconditions checked in Debug builds and compiled out in Release (NDEBUG).
#pragma once

#include <cassert>

#define VEXARO_ASSERT(condition) assert(condition)
