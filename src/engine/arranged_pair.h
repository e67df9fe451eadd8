// SPDX-License-Identifier: MIT
// A pair of prepared items as the common-substring measure sees them: the
// longer one is searched, the shorter one supplies the patterns (on equal
// lengths the reference is searched), and an empty item is a blank byte.
#pragma once

#include <utility>

#include "scoring/item.h"

namespace vexaro {

struct ArrangedPair {
  ItemView searched, pattern;
  bool reference_is_pattern;  // the candidate is the longer item
};

inline ArrangedPair arrange(ItemView reference, ItemView candidate) {
  ArrangedPair a{reference, candidate, false};
  if (candidate.length > reference.length) {
    std::swap(a.searched, a.pattern);
    a.reference_is_pattern = true;
  }
  a.searched = blank_if_empty(a.searched);
  a.pattern = blank_if_empty(a.pattern);
  return a;
}

}  // namespace vexaro
