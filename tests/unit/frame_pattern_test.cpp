// The frame pattern engine: ECMAScript's answers (leftmost match, groups as backtracking gives
// them), the refusals, and the bound on the work of a match whatever the pattern.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "shaping/frame_pattern.h"

namespace {

// Renders a match as "START:whole|group1|...", a group that took no part as "!", a unit
// outside printable ASCII as \uXXXX; "none" for no match.
std::string Render(const std::u16string& text, bool matched, const FramePatternMatch& m,
                   int groups) {
  if (!matched) return "none";
  std::string r = std::to_string(m.group[0].start) + ":";
  for (int g = 0; g <= groups; ++g) {
    if (g > 0) r += '|';
    if (m.group[g].start < 0) {
      r += '!';
      continue;
    }
    for (int i = m.group[g].start; i < m.group[g].end; ++i) {
      const char16_t c = text[static_cast<std::size_t>(i)];
      if (c >= 0x20 && c < 0x7F) {
        r += static_cast<char>(c);
      } else {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(c));
        r += hex;
      }
    }
  }
  return r;
}

struct Engine {
  std::unique_ptr<FramePattern> pattern = std::make_unique<FramePattern>();
  std::unique_ptr<FramePatternWork> work = std::make_unique<FramePatternWork>();
  const char* error = nullptr;

  bool Compile(const std::u16string& p) {
    return CompileFramePattern(p.data(), static_cast<int>(p.size()), *pattern, &error);
  }
  // The rendered match, or "refused: ..." when the pattern does not compile.
  std::string Search(const std::u16string& p, const std::u16string& text) {
    if (!Compile(p)) return "refused";
    FramePatternMatch m;
    const bool matched =
        MatchFramePattern(*pattern, text.data(), static_cast<int>(text.size()), *work, m);
    EXPECT_LE(work->steps, FramePatternStepBound(*pattern, static_cast<int>(text.size())))
        << "more work than the bound";
    EXPECT_FALSE(work->overflowed) << "more stack than measured";
    return Render(text, matched, m, pattern->groups);
  }
};

struct Row {
  const char16_t* pattern;
  const char16_t* text;
  const char* expected;
};

// Each answer is what a browser's RegExp.prototype.exec gives.
const Row kRows[] = {
    // Leftmost match; among those starting there, the first alternative that succeeds.
    {u"b", u"aab", "2:b"},
    {u"a*", u"baaa", "0:"},
    {u"a|ab", u"abc", "0:a"},
    {u"ab|a", u"abc", "0:ab"},
    {u"(a|ab)(c|bcd)(d*)", u"abcd", "0:abcd|a|bcd|"},
    {u"x|(y)|z", u"zy", "0:z|!"},
    // Greedy and lazy.
    {u"<(.+)>", u"<a><b>", "0:<a><b>|a><b"},
    {u"<(.+?)>", u"<a><b>", "0:<a>|a"},
    {u"a+?", u"aaa", "0:a"},
    {u"a*?b", u"aab", "0:aab"},
    {u"(a?" u"?)(a*)", u"aa", "0:aa||aa"},
    {u"(\\d*?)(\\d)$", u"123", "0:123|12|3"},
    // Counted repetition.
    {u"a{3}", u"aa", "none"},
    {u"(ab){2}", u"ababab", "0:abab|ab"},
    {u"\\d{2,4}", u"123456", "0:1234"},
    {u"a{2,3}?", u"aaaa", "0:aa"},
    {u"a{2,}", u"aaaaa", "0:aaaaa"},
    {u"x{0}y", u"xy", "1:y"},
    {u"a{,2}", u"a{,2}", "0:a{,2}"},  // no quantifier: a literal brace, as browsers read it
    // Groups inside a repeated atom are forgotten at each iteration.
    {u"(z)((a+)?(b+)?(c))*", u"zaacbbbcac", "0:zaacbbbcac|z|ac|a|!|c"},
    {u"(?:(a)|b)+", u"ab", "0:ab|!"},
    {u"((a)|b)+", u"ab", "0:ab|b|!"},
    // An iteration beyond the minimum that consumes nothing fails; loops end.
    {u"(a*)*", u"b", "0:|!"},
    {u"(a|)+", u"b", "0:|"},
    {u"(a*)*b", u"aab", "0:aab|aa"},
    {u"(?:a|)*", u"aab", "0:aa"},
    {u"(?:)*x", u"x", "0:x"},
    {u"()*?a", u"a", "0:a|!"},
    {u"(a?)*?b", u"ab", "0:ab|a"},
    {u"(?:(?:.?)*?)+", u"abc", "0:abc"},
    // Anchors (the whole text; no multiline) and word boundaries.
    {u"^a", u"ba", "none"},
    {u"a$", u"ba", "1:a"},
    {u"^$", u"", "0:"},
    {u"^b", u"a\nb", "none"},
    {u"^b|c", u"abc", "2:c"},
    {u"\\bfoo\\b", u"foobar foo", "7:foo"},
    {u"\\Bo", u"foo", "1:o"},
    {u"\\b", u"  ", "none"},
    // Classes and escapes.
    {u"[a-c]+", u"xxbcay", "2:bca"},
    {u"[^a-c]", u"abcd", "3:d"},
    {u"[\\d.]+", u"x1.5y", "1:1.5"},
    {u"[-a]+[a-]", u"b-a-", "1:-a-"},
    {u"[]a]", u"a]", "none"},  // [] is the empty class
    {u"[^]", u"\n", "0:\\u000A"},
    {u"[\\b]", u"a\b", "1:\\u0008"},
    {u"\\s+", u"a \t\u3000b", "1: \\u0009\\u3000"},
    {u"\\w+\\W\\D\\S", u"a_1- b!", "0:a_1- b"},
    {u".+", u"ab\ncd", "0:ab"},
    {u".", u"\u2028x", "1:x"},
    {u"\\x41\\u3042\\0", u"A\u3042", "none"},
    {u"\\x41\\u3042", u"xA\u3042", "1:A\\u3042"},
    {u"\\.\\*\\+\\?\\(\\)\\[\\]\\{\\}\\|\\^\\$\\\\\\/", u".*+?()[]{}|^$\\/", "0:.*+?()[]{}|^$\\/"},
    {u"\\t\\n\\r\\f\\v", u"\t\n\r\f\v", "0:\\u0009\\u000A\\u000D\\u000C\\u000B"},
    // A kanji is one unit: one "." and one count of a class.
    {u"^.(.)$", u"\u4E9C\u3044", "0:\\u4E9C\\u3044|\\u3044"},
    {u"^\\d+([^\\d])", u"12\u500B", "0:12\\u500B|\\u500B"},
};

TEST(FramePattern, AnswersAsECMAScriptDoes) {
  Engine e;
  for (const Row& row : kRows) {
    const std::u16string p = row.pattern;
    EXPECT_EQ(e.Search(p, row.text), row.expected)
        << "pattern " << std::string(p.begin(), p.end());
  }
}

struct Refusal {
  const char16_t* pattern;
  const char* error;
};

const Refusal kRefusals[] = {
    {u"(a", kPatternErrorParenthesis},
    {u"a)", kPatternErrorParenthesis},
    {u"(?:a", kPatternErrorParenthesis},
    {u"[a", kPatternErrorClass},
    {u"[z-a]", kPatternErrorRange},
    {u"[\\d-z]", kPatternErrorRange},
    {u"a{3,2}", kPatternErrorRange},
    {u"*a", kPatternErrorNothingToRepeat},
    {u"a|+", kPatternErrorNothingToRepeat},
    {u"a**", kPatternErrorNothingToRepeat},
    {u"a{2}{3}", kPatternErrorNothingToRepeat},
    {u"^*", kPatternErrorNothingToRepeat},
    {u"\\b+", kPatternErrorNothingToRepeat},
    {u"{2}", kPatternErrorNothingToRepeat},
    {u"\\q", kPatternErrorEscape},
    {u"\\x4", kPatternErrorEscape},
    {u"\\u12G4", kPatternErrorEscape},
    {u"\\01", kPatternErrorEscape},
    {u"[\\B]", kPatternErrorEscape},
    {u"a\\", kPatternErrorEscape},
    {u"(a)\\1", kPatternErrorBackReference},
    {u"\\k<a>", kPatternErrorBackReference},
    {u"(?=a)", kPatternErrorLookAround},
    {u"a(?!b)", kPatternErrorLookAround},
    {u"(?<=a)b", kPatternErrorLookAround},
    {u"(?<!a)b", kPatternErrorLookAround},
    {u"(?<n>a)", kPatternErrorSyntax},
    {u"()()()()()()()()()()", kPatternErrorGroups},
    {u"a{1000}", kPatternErrorTooComplex},
    {u"(?:a{0,50}){0,50}b", kPatternErrorTooComplex},
    // Over the steps a unit of text may cost, and just under them.
    {u"(?:a{0,20}){0,20}b", kPatternErrorTooSlow},
    {u"(?:a?){0,190}c", kPatternErrorTooSlow},
    {u"(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:\\b){55})*)*)*)*)*)*)*)*)*)*)*)*)*)*)*)*c", kPatternErrorTooSlow},
    {u"(?:a{0,10}){0,10}b", nullptr},
    {u"(?:a{0,99999}){0,99999}", kPatternErrorTooComplex},
    {u"(?:(?:){99999}){99999}x", nullptr},  // empty copies cost nothing and take no time
};

TEST(FramePattern, RefusesWhatItCannotDoWithTheReason) {
  Engine e;
  for (const Refusal& r : kRefusals) {
    const std::u16string p = r.pattern;
    const bool compiled = e.Compile(p);
    EXPECT_EQ(compiled, r.error == nullptr) << std::string(p.begin(), p.end());
    if (r.error != nullptr) {
      EXPECT_EQ(e.error, r.error) << std::string(p.begin(), p.end());
    }
  }
  std::u16string nine;
  for (int i = 0; i < kFramePatternGroups; ++i) nine += u"(a)";
  EXPECT_TRUE(e.Compile(nine)) << "nine groups are allowed";
  EXPECT_TRUE(e.Compile(std::u16string(kFramePatternUnits, u'a')));
  EXPECT_FALSE(e.Compile(std::u16string(kFramePatternUnits + 1, u'a')));
  EXPECT_EQ(e.error, kPatternErrorTooLong);
}

// Patterns that take a backtracking engine exponential or polynomial time (or recursion as
// deep as the text) end here with the right answer, within the bound on the work.
TEST(FramePattern, CatastrophicPatternsOnALongFrameStayWithinTheBound) {
  Engine e;
  const std::u16string as(2000, u'a');
  const struct {
    const char16_t* pattern;
    std::u16string text;
    std::string expected;
  } cases[] = {
      {u"(a*)*b", as, "none"},
      {u"(a|a)*b", as, "none"},
      {u"(a|aa)+$", as + u"b", "none"},
      {u".*.*.*.*.*.*.*.*.*=", as, "none"},
      {u"(?:a{0,10}){0,10}b", as, "none"},
      {u"(?:a?){0,60}c", as, "none"},
      {u"^(\\w+\\s?)*$", as + u"!", "none"},
      {u"(a*)*b", as + u"b", "0:" + std::string(2000, 'a') + "b|" + std::string(2000, 'a')},
      {u"(?:a{0,10}){0,10}(b)", as + u"b", "1900:" + std::string(100, 'a') + "b|b"},
  };
  for (const auto& c : cases) {
    const std::u16string p = c.pattern;
    EXPECT_EQ(e.Search(p, c.text), c.expected) << std::string(p.begin(), p.end());
  }
}

}  // namespace
