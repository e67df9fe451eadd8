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

  // Pseudo-record mode needs lengths from 1 to oran and a countdown of at least 1.
  if (s.pseudo_records()) {
    require(s.uran >= 1 && s.uran <= s.oran);
    require(s.dran == s.oran - s.uran + 1 && s.dran >= 1);
    require(s.slims[0] == '\0');
  }
  require(s.teilg >= 1 && s.teilg <= 100);
  // The operating range starts at 2, or 1 under -b; never at the zero byte.
  require(s.minchar >= (s.bytdif ? 1 : 2));
  require(s.MINSCAN == (s.metap ? 1 : 3));
  require(!s.metap || s.casens);
  require(terminated(s.slims.data(), s.slims.size()));
  for (const auto& slot : s.omtext) require(terminated(slot.data(), slot.size()));
  require(s.omitnr || s.omtext[0][0] == '\0');
  require(s.umleit == (size % 2 == 0));
  require(!vexaro::banner_text().empty());
  return 0;
}
