// SPDX-License-Identifier: MIT
#include "scoring/phonetic.h"

#include <array>
#include <cstring>

#include "records/settings.h"

namespace vexaro {
namespace {

constexpr char VOWELS[] = "AEIOU";  // Y is not a vowel here
constexpr char FRONTV[] = "EIY";    // soften C and G
constexpr char VARSON[] = "CSPTG";  // H after these is silent
constexpr char DOUBLE[] = ".";      // letters encoded even when doubled: none
constexpr char excpPAIR[] = "AGKPW";
constexpr char nextLTR[] = "ENNNR";  // excpPAIR[k] followed by nextLTR[k] loses its first letter

// Stands for a neighbour outside the word; it is in no letter set.
constexpr char kOutside = ' ';

// A record holds at most kMaxRecordLength bytes, so at most as many letters.
constexpr int kWordCapacity = kMaxRecordLength;

// A set membership test that never matches the terminator.
bool in_set(const char* set, char c) { return c != '\0' && std::strchr(set, c) != nullptr; }

// ASCII letters only, by hand, so the user's locale can never change a key.
char ascii_upper_letter(uint8_t b) {
  if (b >= 'A' && b <= 'Z') return static_cast<char>(b);
  if (b >= 'a' && b <= 'z') return static_cast<char>(b - ('a' - 'A'));
  return '\0';
}

struct Context {
  int p;
  int last;
  char current, previous, next, after_next, third;
  bool vowel(char c) const { return in_set(VOWELS, c); }
  bool front(char c) const { return in_set(FRONTV, c); }
};

// The letters with the most rules, each tested from the top down.
const char* encode_c(const Context& c) {
  const int p = c.p;
  if (p >= 2 && c.previous == 'S' && c.front(c.next)) return "";
  if (p >= 1 && c.next == 'I' && c.after_next == 'A') return "X";
  if (c.front(c.next)) return "S";
  if (p >= 2 && c.previous == 'S' && c.next == 'H') return "K";
  if (c.next == 'H' && p == 0 && !c.vowel(c.after_next)) return "K";
  if (c.next == 'H') return "X";
  if (c.previous == 'C') return "C";
  return "K";
}

const char* encode_g(const Context& c) {
  const int p = c.p;
  const bool silent = (c.next == 'H' && p < c.last - 1 && !c.vowel(c.after_next)) ||
                      (p == c.last - 3 && c.next == 'N' && c.after_next == 'E' && c.third == 'D') ||
                      (p == c.last - 1 && c.next == 'N') || (c.previous == 'D' && c.front(c.next));
  if (silent) return "";
  if (c.front(c.next) && c.previous != 'G') return "J";
  return "K";
}

const char* encode_t(const Context& c) {
  const int p = c.p;
  if (p >= 2 && c.next == 'I' && (c.after_next == 'O' || c.after_next == 'A')) return "X";
  if (c.next == 'H' && (p >= 1 || c.vowel(c.after_next))) return "0";
  if (c.next == 'H') return "T";
  if (p < c.last - 2 && c.next == 'C' && c.after_next == 'H') return "";
  return "T";
}

// The code of one position, from the table of letter rules; nothing, one
// character or "KS".
const char* encode(const Context& c) {
  const int p = c.p;
  switch (c.current) {
    case 'B':
      return (p == c.last && c.previous == 'M') ? "" : "B";
    case 'C':
      return encode_c(c);
    case 'D':
      return (c.next == 'G' && c.front(c.after_next)) ? "J" : "T";
    case 'F':
      return "F";
    case 'J':
      return "J";
    case 'L':
      return "L";
    case 'M':
      return "M";
    case 'N':
      return "N";
    case 'R':
      return "R";
    case 'G':
      return encode_g(c);
    case 'H':
      if (in_set(VARSON, c.previous)) return "";
      if (c.vowel(c.previous) && !c.vowel(c.next)) return "";
      return "H";
    case 'K':
      return c.previous == 'C' ? "" : "K";
    case 'P':
      return c.next == 'H' ? "F" : "P";
    case 'Q':
      return "K";
    case 'S':
      if (p >= 2 && c.next == 'I' && (c.after_next == 'O' || c.after_next == 'A')) return "X";
      if (c.next == 'H') return "X";
      return "S";
    case 'T':
      return encode_t(c);
    case 'V':
      return "F";
    case 'W':
      return (p < c.last && c.vowel(c.next)) ? "W" : "";
    case 'Y':
      return (p < c.last && c.vowel(c.next)) ? "Y" : "";
    case 'X':
      return "KS";
    case 'Z':
      return "S";
    default:  // vowels after the first position
      return "";
  }
}

void drop_first(char* word, int at) {
  std::memmove(word + at, word + at + 1, std::strlen(word + at));
}

}  // namespace

void phonetic(const uint8_t* text, char* key, unsigned maximum) {
  std::array<char, kWordCapacity + 1> word{};
  int n = 0;
  for (const uint8_t* t = text; *t != 0 && n < kWordCapacity; ++t) {
    const char letter = ascii_upper_letter(*t);
    if (letter != '\0') word[n++] = letter;
  }
  word[n] = '\0';
  if (n == 0) return;

  char* w = word.data();
  if (n >= 2) {
    const char* pair = std::strchr(excpPAIR, w[0]);
    if (pair != nullptr && w[1] == nextLTR[pair - excpPAIR]) drop_first(w, 0);
  }
  if (w[0] == 'X') w[0] = 'S';
  if (w[0] == 'W' && w[1] == 'H') drop_first(w, 1);
  n = static_cast<int>(std::strlen(w));
  if (w[n - 1] == 'S') w[--n] = '\0';
  const int last = n - 1;

  // The running length stands for measuring the key before every position.
  size_t length = std::strlen(key);
  for (int p = 0; length < maximum && p < n; ++p) {
    Context c{};
    c.p = p;
    c.last = last;
    c.current = w[p];
    c.previous = p > 0 ? w[p - 1] : kOutside;
    if (p == 0 && c.vowel(c.current)) {  // a leading vowel is kept, even when doubled
      key[length++] = c.current;
      key[length] = '\0';
      continue;
    }
    c.next = p < last ? w[p + 1] : kOutside;
    if (c.current == c.next && !in_set(DOUBLE, c.next)) continue;  // only a run's last letter
    c.after_next = p < last - 1 ? w[p + 2] : kOutside;
    c.third = p < last - 2 ? w[p + 3] : kOutside;
    const char* code = encode(c);
    for (; *code != '\0'; ++code) key[length++] = *code;
    key[length] = '\0';
  }
}

}  // namespace vexaro
