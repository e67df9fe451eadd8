// SPDX-License-Identifier: MIT
// Metaphone keys: a phonetic form of a text, so that items that sound alike
// compare alike.
#pragma once

#include <cstdint>

namespace vexaro {

// Appends the Metaphone key of the zero-ended `text` to the zero-ended string
// in `key`, stopping once that string's length reaches `maximum`; it can end
// one character longer, so `key` needs room for maximum + 2 bytes.
void phonetic(const uint8_t* text, char* key, unsigned maximum);

}  // namespace vexaro
