// SPDX-License-Identifier: MIT
// What the component tests hold the engine's parts to, written plainly:
// substring search by std::string_view::find, and texts from few letters
// with near-identical versions, where pieces repeat and runs are long.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "scoring/item.h"

namespace vexaro::testing {

inline ItemView view_of(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size())};
}

inline bool occurs(std::string_view item, std::string_view piece) {
  return item.find(piece) != std::string_view::npos;
}

// Per byte of `text`, the longest piece ending there that occurs in `item`.
inline std::vector<int32_t> longest_ending(std::string_view item, std::string_view text) {
  std::vector<int32_t> longest(text.size());
  for (size_t i = 0, length = 0; i < text.size(); ++i) {
    length = std::min(length + 1, i + 1);
    while (length > 0 && !occurs(item, text.substr(i + 1 - length, length))) --length;
    longest[i] = static_cast<int32_t>(length);
  }
  return longest;
}

// Per start in `text`, the longest piece from there that occurs in `item`.
inline std::vector<int32_t> longest_starting(std::string_view item, std::string_view text) {
  std::vector<int32_t> longest(text.size());
  for (size_t P = 0, length = 0; P < text.size(); ++P) {
    length = length > 0 ? length - 1 : 0;  // what occurs from P-1 occurs from P less a byte
    while (P + length < text.size() && occurs(item, text.substr(P, length + 1))) ++length;
    longest[P] = static_cast<int32_t>(length);
  }
  return longest;
}

// The text with its blanks shown.
inline std::string shown(std::string text) {
  std::replace(text.begin(), text.end(), static_cast<char>(kBlank), '_');
  return text;
}

inline std::string random_text(std::mt19937& rng, std::string_view alphabet, size_t length) {
  std::string text(length, ' ');
  for (char& c : text) c = alphabet[rng() % alphabet.size()];
  return text;
}

// The text with a few bytes replaced, inserted or deleted.
inline std::string edited(std::string text, std::mt19937& rng, std::string_view alphabet) {
  for (int edits = static_cast<int>(rng() % 5); edits > 0 && text.size() > 2; --edits) {
    const size_t at = rng() % text.size();
    const char byte = alphabet[rng() % alphabet.size()];
    switch (rng() % 3) {
      case 0:
        text[at] = byte;
        break;
      case 1:
        text.insert(at, 1 + rng() % 3, byte);
        break;
      default:
        text.erase(at, 1 + rng() % 3);
    }
  }
  return text;
}

}  // namespace vexaro::testing
