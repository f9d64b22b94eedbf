// Differential fuzzing of the frame pattern engine against the standard library's ECMAScript
// matcher (std::regex, in this fuzz build only; the program never uses it). The input builds a
// short pattern from tokens of the supported subset and a short text over a small alphabet;
// where both accept the pattern, regex_search and MatchFramePattern must agree on whether there
// is a match and on the span of the whole match. Groups are not compared: std::regex keeps a
// group's capture from an earlier iteration of a quantifier where ECMAScript resets it, which
// our engine does. A pattern std::regex refuses or cannot finish (error_complexity, error_stack)
// is skipped.
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>

#include "shaping/frame_pattern.h"

namespace {

// Pattern tokens: atoms, quantifiers and the pieces of groups and alternatives.
constexpr const char* kTokens[] = {
    "a", "b", "1", " ", ".", "[ab]", "[^a]", "[a-c1]", "\\d", "\\D", "\\w", "\\W", "\\s", "\\S",
    "^", "$", "\\b", "\\B", "(", "(?:", ")", "|", "*", "+", "?", "*?", "+?", "??", "{2}", "{0,2}",
    "{1,}", "{1,3}?",
};
constexpr char kTextUnits[] = {'a', 'b', '1', ' ', 'c', '_'};

FramePattern Pattern;
FramePatternWork Work;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t patternTokens = data[0] % 12;
  ++data;
  --size;
  std::string pattern;
  std::size_t i = 0;
  for (; i < patternTokens && i < size; ++i) pattern += kTokens[data[i] % std::size(kTokens)];
  std::string text;
  for (; i < size && text.size() < 12; ++i) text += kTextUnits[data[i] % std::size(kTextUnits)];

  std::u16string units(pattern.begin(), pattern.end());
  const char* error = nullptr;
  if (!CompileFramePattern(units.data(), static_cast<int>(units.size()), Pattern, &error)) return 0;
  std::regex re;
  try {
    re.assign(pattern, std::regex::ECMAScript);
  } catch (const std::regex_error&) {
    return 0;  // refused there (e.g. a quantified assertion): nothing to compare
  }
  std::smatch theirs;
  bool theirMatch = false;
  try {
    theirMatch = std::regex_search(text, theirs, re);
  } catch (const std::regex_error&) {
    return 0;
  }
  const std::u16string text16(text.begin(), text.end());
  FramePatternMatch ours;
  const bool ourMatch =
      MatchFramePattern(Pattern, text16.data(), static_cast<int>(text16.size()), Work, ours);
  if (ourMatch != theirMatch) std::abort();
  if (!ourMatch) return 0;
  const long start = static_cast<long>(theirs.position(0));
  const long end = start + static_cast<long>(theirs.length(0));
  if (ours.group[0].start != start || ours.group[0].end != end) std::abort();
  return 0;
}
