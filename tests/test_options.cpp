// SPDX-License-Identifier: MIT
// The typed setters of Options against the argument strings they stand for:
// each alone, every pair of them in both orders, and each over arguments
// given to from_arguments, compared setting by setting.
#include <gtest/gtest.h>
#include <vexaro/vexaro.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "api/api_internal.h"
#include "records/settings.h"

namespace vexaro {
namespace {

struct SetterCase {
  const char* name;
  int setter;  // calls of the same setter replace each other
  std::function<void(Options&)> call;
  std::vector<std::string> arguments;  // what the call gives
};

const std::vector<SetterCase>& setter_cases() {
  static const std::vector<SetterCase> cases = {
      {"case_sensitive", 0, [](Options& o) { o.case_sensitive(true); }, {"-v"}},
      {"case_sensitive off", 0, [](Options& o) { o.case_sensitive(false); }, {}},
      {"digits", 1, [](Options& o) { o.digits(true); }, {"-n"}},
      {"phonetic", 2, [](Options& o) { o.phonetic(true); }, {"-m"}},
      {"phonetic off", 2, [](Options& o) { o.phonetic(false); }, {}},
      {"position_weighting", 3, [](Options& o) { o.position_weighting(true); }, {"-p"}},
      {"length_weighting 9", 4, [](Options& o) { o.length_weighting(9); }, {"-a"}},
      {"length_weighting 1", 4, [](Options& o) { o.length_weighting(1); }, {"-a1"}},
      {"length_weighting 25", 4, [](Options& o) { o.length_weighting(25); }, {"-a25"}},
      {"length_weighting 9999", 4, [](Options& o) { o.length_weighting(9999); }, {"-a9999"}},
      {"length_weighting max",
       4,
       [](Options& o) { o.length_weighting(4294967295u); },
       {"-a4294967295"}},
      {"length_weighting off", 4, [](Options& o) { o.length_weighting(0); }, {}},
      {"length_correlation", 5, [](Options& o) { o.length_correlation(true); }, {"-f"}},
      {"byte_difference", 6, [](Options& o) { o.byte_difference(true); }, {"-b"}},
      {"longest_substrings", 7, [](Options& o) { o.longest_substrings(true); }, {"-a9999"}},
      {"longest_substrings off", 7, [](Options& o) { o.longest_substrings(false); }, {}},
      {"skip 3", 8, [](Options& o) { o.skip(3); }, {"-s3"}},
      {"skip -2", 8, [](Options& o) { o.skip(-2); }, {"-s-2"}},
      {"start_byte ]", 9, [](Options& o) { o.start_byte(']'); }, {"-c]"}},
      {"start_byte 0xe4", 9, [](Options& o) { o.start_byte(0xe4); }, {"-c\xe4"}},
      {"start_byte off", 9, [](Options& o) { o.start_byte(0); }, {"-c"}},
      {"omit two",
       10,
       [](Options& o) {
         o.omit({"ab", "cd"});
       },
       {"-oab;cd"}},
      {"omit none", 10, [](Options& o) { o.omit({}); }, {"-o"}},
      {"omit long",
       10,
       [](Options& o) {
         o.omit({"abcdefghijklmnopq", "", "x"});
       },
       {"-oabcdefghijklmnopq;;x"}},
      {"omit eleven",
       10,
       [](Options& o) {
         o.omit({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"});
       },
       {"-o1;2;3;4;5;6;7;8;9;10;11"}},
      {"operating_range", 11, [](Options& o) { o.operating_range(32, 120); }, {"-w32,120"}},
      {"operating_range wide", 11, [](Options& o) { o.operating_range(300, 1); }, {"-w300,1"}},
      {"operating_range zero", 11, [](Options& o) { o.operating_range(0, 255); }, {"-w0,255"}},
  };
  return cases;
}

// Arguments given to from_arguments, which the setters add to or override.
const std::vector<std::vector<std::string>> kGiven = {
    {}, {"-v", "-p", "-a"}, {"-a5", "-s2", "-oxy;zw;ab", "-w40,200", "-c;"}, {"-m", "-b", "-f"}};

Settings settings_of(const Options& options) { return OptionsAccess::settings(options); }

Settings parsed(const std::vector<std::string>& arguments) {
  return parse_arguments(arguments, false);
}

std::vector<std::string> joined(std::vector<std::string> first,
                                const std::vector<std::string>& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

TEST(TypedOptions, EachSetterGivesItsArguments) {
  for (const auto& given : kGiven) {
    for (const SetterCase& c : setter_cases()) {
      SCOPED_TRACE(std::string(c.name) + " over " + ::testing::PrintToString(given));
      Options options = Options::from_arguments(given);
      c.call(options);
      EXPECT_EQ(settings_of(options), parsed(joined(c.arguments, given)));
    }
  }
}

// The later call's argument goes first, so that its value wins; a second
// call of the same setter replaces the first.
TEST(TypedOptions, PairsOfSettersGiveTheirArguments) {
  for (const SetterCase& first : setter_cases()) {
    for (const SetterCase& second : setter_cases()) {
      SCOPED_TRACE(std::string(first.name) + " then " + second.name);
      Options options;
      first.call(options);
      second.call(options);
      const std::vector<std::string> expected = first.setter == second.setter
                                                    ? second.arguments
                                                    : joined(second.arguments, first.arguments);
      EXPECT_EQ(settings_of(options), parsed(expected));
    }
  }
}

TEST(TypedOptions, RulesOfTheCommandLineHold) {
  const Settings phonetic = settings_of(Options().phonetic(true).case_sensitive(false));
  EXPECT_TRUE(phonetic.case_sensitive && phonetic.phonetic_keys);
  EXPECT_EQ(phonetic.shortest_piece, 1);
  // A flag from_arguments set stays set.
  EXPECT_TRUE(settings_of(Options::from_arguments({"-v"}).case_sensitive(false)).case_sensitive);
  // The operating range's floor, lowered by -b.
  EXPECT_EQ(settings_of(Options().operating_range(0, 255)).range_low, 2);
  EXPECT_EQ(settings_of(Options().operating_range(0, 255).byte_difference(true)).range_low, 1);
  EXPECT_EQ(settings_of(Options().operating_range(100, 200)).range_low, 65);
  // -b wins over -a9999; the getter keeps telling -a9999.
  const Options both = Options().longest_substrings(true).byte_difference(true);
  EXPECT_TRUE(OptionsAccess::measure(both).byte_difference());
  EXPECT_TRUE(both.longest_substrings());
  EXPECT_FALSE(Options().longest_substrings(true).longest_substrings(false).longest_substrings());
  // A copy is a value of its own.
  const Options plain;
  Options copy = plain;
  copy.position_weighting(true);
  EXPECT_FALSE(settings_of(plain).position_weighting);
  EXPECT_EQ(score(copy, "Hello World", "hello word"),
            score(Options::from_arguments({"-p"}), "Hello World", "hello word"));
}

TEST(TypedOptions, OmitRefusesWhatOmitArgumentsCannotHold) {
  EXPECT_THROW(Options().omit({"ab", "c;d"}), std::invalid_argument);
  EXPECT_THROW(Options().omit({std::string("a\0b", 3)}), std::invalid_argument);
}

}  // namespace
}  // namespace vexaro
