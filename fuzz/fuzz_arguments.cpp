// SPDX-License-Identifier: MIT
// The command-line parser on arbitrary argument vectors: the input is the
// arguments separated by zero bytes. Whatever the arguments, the settings
// must stay inside the ranges the later stages rely on.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_case.h"
#include "records/settings.h"

namespace {

using vexaro::fuzz::require;

bool terminated(const char* bytes, size_t size) { return std::memchr(bytes, 0, size) != nullptr; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1024) return 0;
  std::vector<std::string> args;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  while (args.size() < 32) {
    const size_t cut = rest.find('\0');
    args.emplace_back(rest.substr(0, cut));
    if (cut == std::string_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  const vexaro::Settings s = vexaro::parse_arguments(args, size % 2 == 1);

  // Pseudo-record mode needs lengths from 1 to pseudo_longest and a countdown of at least 1.
  if (s.pseudo_records()) {
    require(s.pseudo_shortest >= 1 && s.pseudo_shortest <= s.pseudo_longest);
    require(s.pseudo_lengths == s.pseudo_longest - s.pseudo_shortest + 1 && s.pseudo_lengths >= 1);
    require(s.delimiters[0] == '\0');
  }
  require(s.take_every >= 1 && s.take_every <= 100);
  // The operating range starts at 2, or 1 under -b; never at the zero byte.
  require(s.range_low >= (s.byte_difference ? 1 : 2));
  require(s.shortest_piece == (s.phonetic_keys ? 1 : 3));
  require(!s.phonetic_keys || s.case_sensitive);
  require(terminated(s.delimiters.data(), s.delimiters.size()));
  for (const auto& slot : s.omit_strings) require(terminated(slot.data(), slot.size()));
  require(s.omit_in_use || s.omit_strings[0][0] == '\0');
  require(s.output_redirected == (size % 2 == 0));
  require(!vexaro::banner_text().empty());
  return 0;
}
