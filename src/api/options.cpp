// SPDX-License-Identifier: MIT
// Options from argument strings and from typed setters. A setter stands for
// the argument it gives; the settings are those of the setters' arguments,
// the latest call first, followed by the arguments given to from_arguments:
// the walk from the last argument to the first then lets the setters' values
// win and the latest call among them, and flags add up, as on a command line.
#include <stdexcept>
#include <string>
#include <utility>

#include "api/api_internal.h"

namespace vexaro {
namespace {

// The setters, one argument each.
enum Setter : int {
  kCaseSensitive,
  kDigits,
  kPhonetic,
  kPositionWeighting,
  kLengthWeighting,
  kLengthCorrelation,
  kByteDifference,
  kLongestSubstrings,
  kSkip,
  kStartByte,
  kOmit,
  kOperatingRange,
};

std::vector<std::string> all_arguments(const std::vector<Options::Impl::Typed>& typed,
                                       const std::vector<std::string>& given) {
  std::vector<std::string> arguments;
  for (const auto& set : typed) arguments.push_back(set.argument);
  arguments.insert(arguments.end(), given.begin(), given.end());
  return arguments;
}

// The value of -o that gives these strings, each in its own slot.
std::string omit_value(const std::vector<std::string>& strings) {
  std::string value;
  for (size_t i = 0; i < strings.size(); ++i) {
    if (strings[i].find_first_of(std::string_view(";\0", 2)) != std::string::npos) {
      throw std::invalid_argument("vexaro: omit string " + std::to_string(i) +
                                  " holds a ';' or a zero byte");
    }
    value += (i == 0 ? "" : ";") + strings[i];
  }
  return value;
}

}  // namespace

Options::Impl::Impl(std::vector<std::string> given, std::vector<Typed> set)
    : arguments(std::move(given)),
      typed(std::move(set)),
      settings(parse_arguments(all_arguments(typed, arguments), false)),
      items(item_rules_of(settings)),
      measure(measure_of(settings)) {}

Options::Options()
    : Options(
          std::make_shared<const Impl>(std::vector<std::string>{}, std::vector<Impl::Typed>{})) {}

Options::Options(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}

Options Options::from_arguments(const std::vector<std::string>& arguments) {
  return Options(std::make_shared<const Impl>(arguments, std::vector<Impl::Typed>{}));
}

bool Options::longest_substrings() const { return impl_->settings.longest_substrings; }

// Replaces what the setter set before by `argument` (none when empty),
// which as the latest call goes first.
static std::shared_ptr<const Options::Impl> with_setter(const Options::Impl& impl, int setter,
                                                        std::string argument) {
  std::vector<Options::Impl::Typed> typed;
  if (!argument.empty()) typed.push_back({setter, std::move(argument)});
  for (const auto& set : impl.typed) {
    if (set.setter != setter) typed.push_back(set);
  }
  return std::make_shared<const Options::Impl>(impl.arguments, std::move(typed));
}

Options& Options::case_sensitive(bool on) {
  impl_ = with_setter(*impl_, kCaseSensitive, on ? "-v" : "");
  return *this;
}

Options& Options::digits(bool on) {
  impl_ = with_setter(*impl_, kDigits, on ? "-n" : "");
  return *this;
}

Options& Options::phonetic(bool on) {
  impl_ = with_setter(*impl_, kPhonetic, on ? "-m" : "");
  return *this;
}

Options& Options::position_weighting(bool on) {
  impl_ = with_setter(*impl_, kPositionWeighting, on ? "-p" : "");
  return *this;
}

Options& Options::length_weighting(unsigned divisor) {
  // -a alone and -a9 both give 9; a divisor of 1 to 9 digits is read whole.
  impl_ = with_setter(*impl_, kLengthWeighting, divisor == 0 ? "" : "-a" + std::to_string(divisor));
  return *this;
}

Options& Options::length_correlation(bool on) {
  impl_ = with_setter(*impl_, kLengthCorrelation, on ? "-f" : "");
  return *this;
}

Options& Options::byte_difference(bool on) {
  impl_ = with_setter(*impl_, kByteDifference, on ? "-b" : "");
  return *this;
}

Options& Options::longest_substrings(bool on) {
  impl_ = with_setter(*impl_, kLongestSubstrings, on ? "-a9999" : "");
  return *this;
}

Options& Options::skip(int bytes) {
  impl_ = with_setter(*impl_, kSkip, "-s" + std::to_string(bytes));
  return *this;
}

Options& Options::start_byte(unsigned char byte) {
  impl_ = with_setter(*impl_, kStartByte,
                      byte == 0 ? std::string("-c") : "-c" + std::string(1, char(byte)));
  return *this;
}

Options& Options::omit(std::vector<std::string> strings) {
  impl_ = with_setter(*impl_, kOmit, "-o" + omit_value(strings));
  return *this;
}

Options& Options::operating_range(unsigned low, unsigned high) {
  impl_ =
      with_setter(*impl_, kOperatingRange, "-w" + std::to_string(low) + "," + std::to_string(high));
  return *this;
}

}  // namespace vexaro
