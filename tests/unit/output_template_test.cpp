// The output template's parser: what each piece of a template means, and every refusal with
// the part it names.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "shaping/output_template.h"

namespace {

// The pieces of a parsed template: "T'ab'" text, "G1" a group, "K309,10D" a key list.
std::string Pieces(const OutputTemplate& t) {
  std::string s;
  for (int p = 0; p < t.count; ++p) {
    const TemplatePiece& piece = t.pieces[p];
    if (!s.empty()) s += ' ';
    if (piece.kind == TemplatePieceKind::Text) s += "T'" + std::string(t.text + piece.start, piece.length) + "'";
    if (piece.kind == TemplatePieceKind::Group) s += "G" + std::to_string(piece.group);
    if (piece.kind == TemplatePieceKind::Keys) {
      s += 'K';
      for (int i = 0; piece.keys[i] != 0; ++i) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%s%03X", i > 0 ? "," : "", piece.keys[i]);
        s += hex;
      }
    }
  }
  return s;
}

TEST(OutputTemplate, PiecesOfATemplate) {
  const struct {
    const char* text;
    int groups;
    const char* pieces;
  } rows[] = {
      {"$1[TAB]$2[TAB]'$3", 3, "G1 K109 G2 K109 T''' G3"},
      {"$0", 0, "G0"},
      {"a$$b[[c]", 0, "T'a' T'$b' T'[c]'"},
      {"[SFT]+[TAB][ent][F2]", 0, "K310,109 K10D K171"},
      {"[CTRL]+[SFT]+[DEL]", 0, "K311,310,12E"},
      {"[TAB]+x[TAB]+[[", 0, "K109 T'+x' K109 T'+' T'['"},  // "+" joins only a key
      {"\x95\x5C$1\x83\x5B", 1, "T'\x95\x5C' G1 T'\x83\x5B'"},  // trail bytes 0x5C and 0x5B
      {"", 9, ""},
  };
  OutputTemplate t;
  char error[kOutputTemplateErrorSize];
  for (const auto& row : rows) {
    EXPECT_TRUE(ParseOutputTemplate(row.text, row.groups, t, error, sizeof error)) << row.text << error;
    EXPECT_EQ(Pieces(t), row.pieces) << row.text;
  }
}

TEST(OutputTemplate, RefusesWithThePartItNames) {
  const struct {
    const char* text;
    int groups;
    const char* named;  // in the reason
  } rows[] = {
      {"$1[TABB]", 1, "[TABB]"},
      {"[]", 0, "[]"},
      {"[\x95\x5D]", 0, "[\x95\x5D]"},  // the name's 0x5D is 表's, not a "]"
      {"$1$4", 3, "$4"},
      {"$1", 0, "$1"},
      {"ab$x", 9, " 3 "},  // the third character
      {"ab$", 9, " 3 "},
      {"x[TAB", 0, " 2 "},
      {"[TAB]+[ENT", 0, " 7 "},
      {"[A]+[A]+[A]+[A]+[A]+[A]+[A]+[A]+[A]+[A]+[A]", 0, "10"},
      {"0123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789x", 0,
       "100"},
  };
  OutputTemplate t;
  char error[kOutputTemplateErrorSize];
  for (const auto& row : rows) {
    EXPECT_FALSE(ParseOutputTemplate(row.text, row.groups, t, error, sizeof error)) << row.text;
    EXPECT_NE(std::string(error).find(row.named), std::string::npos) << row.text << " : " << error;
    EXPECT_EQ(t.count, 0) << row.text;
  }
  // A reason longer than its room is cut, never written past it.
  char small[8];
  EXPECT_FALSE(ParseOutputTemplate("[NOSUCHKEY]", 0, t, small, sizeof small));
  EXPECT_LT(std::string(small).size(), sizeof small);
}

}  // namespace
