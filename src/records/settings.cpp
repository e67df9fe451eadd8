// SPDX-License-Identifier: MIT
#include "records/settings.h"

#include <cstdlib>
#include <cstring>

namespace vexaro {
namespace {

// Numbers convert as atoi does on this platform, then keep the low-order bits
// of the setting's width.
int to_int(const char* text) { return static_cast<int>(std::strtol(text, nullptr, 10)); }
uint8_t to_byte(const char* text) { return static_cast<uint8_t>(to_int(text)); }
int16_t to_short(const char* text) { return static_cast<int16_t>(to_int(text)); }

void store_omit_piece(Settings& s, int slot, const char* piece, size_t length) {
  length = std::min<size_t>(length, kOmitSlotBytes - 1);
  auto& target = s.omit_strings[slot];
  std::memcpy(target.data(), piece, length);
  target[length] = '\0';
}

// Pieces separated by ';' fill slots 0 to 9 in order; what follows the
// tenth piece is ignored.
void parse_omit_list(Settings& s, const char* value) {
  s.omit_in_use = true;
  int slot = 0;
  const char* piece = value;
  while (*piece != '\0') {
    const char* separator = std::strchr(piece, ';');
    if (separator == nullptr || slot == kOmitSlots - 1) break;
    store_omit_piece(s, slot, piece, separator - piece);
    ++slot;
    piece = separator + 1;
  }
  const char* end = (slot == kOmitSlots - 1) ? std::strchr(piece, ';') : nullptr;
  store_omit_piece(s, slot, piece, end ? end - piece : std::strlen(piece));
}

void parse_delimiters(Settings& s, const char* value) {
  s.delimiters.fill('\0');
  std::strncpy(s.delimiters.data(), value, s.delimiters.size() - 1);
  s.delimiters_given = true;
}

void parse_byte_range(Settings& s, const char* value) {
  if (value[0] != ',') s.requested_low = to_byte(value);
  if (const char* comma = std::strchr(value, ',')) {
    s.range_high = to_byte(comma + 1);
    if (s.requested_low > s.range_high) s.range_high = s.requested_low;
  }
}

void parse_pseudo_records(Settings& s, const char* value) {
  if (value[0] != ',') s.pseudo_shortest = to_short(value);
  const char* comma = std::strchr(value, ',');
  if (comma == nullptr) return;
  s.pseudo_longest = to_short(comma + 1);
  if (s.pseudo_shortest > s.pseudo_longest) s.pseudo_shortest = 0;
  if (const char* second = std::strchr(comma + 1, ',')) {
    // A percentage outside 1..100 is taken as the nearest bound.
    int percentage = to_int(second + 1);
    if (percentage < 1) percentage = 1;
    if (percentage > 100) percentage = 100;
    s.take_every = 100 / percentage;
  }
}

void parse_letters(Settings& s, const char* argument) {
  auto has = [argument](char letter) { return std::strchr(argument, letter) != nullptr; };
  if (has('d')) s.show_scores = true;
  if (has('p')) s.position_weighting = true;
  if (has('n')) s.range_low = 48;
  if (const char* a = std::strchr(argument, 'a')) {
    s.length_divisor = 9;
    if (a[1] >= '1' && a[1] <= '9') s.length_divisor = static_cast<uint32_t>(to_int(a + 1));
    if (s.length_divisor == 9999) s.longest_substrings = true;
  }
  if (has('b')) s.byte_difference = true;
  if (has('v')) s.case_sensitive = true;
  if (has('r')) s.show_offsets = true;
  if (has('f')) s.length_correlation = true;
  if (has('m')) {
    s.phonetic_keys = true;
    s.shortest_piece = 1;
    s.case_sensitive = true;
  }
}

void parse_argument(Settings& s, const std::string& argument) {
  const char* text = argument.c_str();
  const char* value = argument.size() >= 2 ? text + 2 : "";
  if (argument.starts_with("-s")) {
    s.skip_bytes = to_int(value);
  } else if (argument.starts_with("-c")) {
    s.start_byte = static_cast<uint8_t>(value[0]);
  } else if (argument.starts_with("-o")) {
    parse_omit_list(s, value);
  } else if (argument.starts_with("-l")) {
    parse_delimiters(s, value);
  } else if (argument.starts_with("-w")) {
    parse_byte_range(s, value);
  } else if (argument.starts_with("-g")) {
    parse_pseudo_records(s, value);
  } else if (argument.starts_with("-")) {
    parse_letters(s, text);
  }
}

void derive_settings(Settings& s) {
  // A -g outside its usage form (no upper bound, or a first length below 1)
  // leaves pseudo-record mode off rather than cutting chunks of no length.
  if (s.pseudo_shortest != 0 && (s.pseudo_shortest < 1 || s.pseudo_shortest > s.pseudo_longest))
    s.pseudo_shortest = 0;
  if (s.requested_low < s.range_low) s.range_low = s.requested_low;
  if (s.range_low <= 1 && !s.byte_difference) s.range_low = 2;
  if (s.range_low == 0) s.range_low = 1;
  s.pseudo_lengths = static_cast<int16_t>(s.pseudo_longest - s.pseudo_shortest + 1);
  if (s.pseudo_shortest != 0) s.delimiters[0] = s.delimiters[1] = '\0';
}

}  // namespace

bool Settings::is_delimiter(uint8_t b) const {
  if (b == 0) return true;
  for (char d : delimiters) {
    if (d == '\0') return false;
    if (static_cast<uint8_t>(d) == b) return true;
  }
  return false;
}

Settings parse_arguments(const std::vector<std::string>& args, bool stdout_is_terminal) {
  Settings s;
  // Walked from the last argument to the first, so the earliest one wins.
  for (auto it = args.rbegin(); it != args.rend(); ++it) parse_argument(s, *it);
  derive_settings(s);
  s.output_redirected = !stdout_is_terminal;
  return s;
}

std::string banner_text(int32_t record_limit) {
  std::string text =
      "Vexaro, v2.0, Similarity sort of text/binary input data.\n"
      "Orders records so that each is followed by the most similar one left.\n"
      "Usage: [-snn] [-dpvrfm] [a[nnnn]] [-cx] [-o...;...] [-lx..] [-wddd[,ddd]]\n"
      "              [-gddd,ddd[,pp]]                  < infile [{>|>>} outfile]\n";
  text +=
      "\nOptions: -snn   = skip(ignore) leading nn characters of each line.\n"
      "         -cx    = start processing behind character x, if present.\n"
      "         -lx..  = define delimiters x.. for phrase generation.\n"
      "         -wddd[,ddd]   = byte value range to operate on.\n"
      "         -v     = work case sensitive.\n"
      "         -o...;...     = omit given strings. \n"
      "         -d     = display similarity score (0..1000..) as output line header.\n"
      "         -r     = show input byte position in output line header.\n";
  text +=
      "\n         -p     = take into account the item positions within lines.\n"
      "         -m     = base the sort on Metaphone string equivalents. \n"
      "         -f     = activate line length correlation.\n"
      "         -a     = apply pattern match length correlation.\n"
      "         -a9999 = sort on longest common substrings found.\n"
      "         -gddd,ddd[,pp]= define length range and percentage\n"
      "                         for pseudo record generation.\n"
      "\nRestrictions:  max. " +
      std::to_string(record_limit) +
      " lines/phrases, max. line length = " + std::to_string(kMaxRecordLength) + "\n\n";
  return text;
}

}  // namespace vexaro
