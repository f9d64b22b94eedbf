#include <gtest/gtest.h>

#include <string>

#include "keyout/code_list.h"
#include "keyout/code_notation.h"

namespace {

std::string Cell(CodeGrid grid, int row, int column) {
  char text[16] = "junk";
  FormatGridCell(grid, row, column, text, sizeof text);
  return text;
}

// Token of a cell, or "-" when the cell inserts nothing.
std::string Token(CodeGrid grid, int row, int column) {
  char text[16] = "junk";
  if (!GridCellToken(grid, row, column, text, sizeof text)) return text[0] ? "junk" : "-";
  return text;
}

// The code text after the insertion has replaced the selection, as the edit control types it.
std::string Insert(const std::string& text, int start, int end, const char* token) {
  char insertion[16] = {};
  BuildCodeInsertion(text.c_str(), static_cast<int>(text.size()), start, end, token, insertion,
                     sizeof insertion);
  return text.substr(0, start) + insertion + text.substr(end);
}

}  // namespace

TEST(CodeListFields, ByteFieldsThenTheTwoKeyFieldsThenTheRequest) {
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(CodeFieldMode(i), NotationMode::Bytes) << i;
    EXPECT_EQ(CodeFieldLength(i), 5) << i;
  }
  EXPECT_EQ(CodeFieldMode(6), NotationMode::Keys);
  EXPECT_EQ(CodeFieldMode(7), NotationMode::Keys);
  EXPECT_EQ(CodeFieldLength(7), 10);
  EXPECT_EQ(CodeFieldMode(kRequestCodeField), NotationMode::Bytes);
  EXPECT_EQ(CodeFieldLength(kRequestCodeField), 20);
  EXPECT_STREQ(CodeFieldLabel(kRequestCodeField), "要求コード");
  EXPECT_STREQ(CodeFieldLabel(-1), "");
  EXPECT_STREQ(CodeFieldLabel(kCodeFieldCount), "");
  // The request's text takes 20 codes written in hexadecimal with their blanks.
  EXPECT_GE(CodeFieldTextLimit(kRequestCodeField), 20 * 4 - 1);
  EXPECT_LE(CodeFieldTextLimit(kRequestCodeField), 98);  // what a code field's text holds
}

TEST(CodeListGrid, RowLabelsAndColumnHeaders) {
  char text[8];
  FormatGridRowLabel(CodeGrid::Characters, 0, text, sizeof text);
  EXPECT_STREQ(text, " 00");
  FormatGridRowLabel(CodeGrid::Characters, 15, text, sizeof text);
  EXPECT_STREQ(text, " F0");
  FormatGridRowLabel(CodeGrid::VirtualKeys, 0, text, sizeof text);
  EXPECT_STREQ(text, "v00");
  FormatGridRowLabel(CodeGrid::VirtualKeys, 10, text, sizeof text);
  EXPECT_STREQ(text, "vA0");
  FormatGridColumnHeader(0, text, sizeof text);
  EXPECT_STREQ(text, "");
  FormatGridColumnHeader(1, text, sizeof text);
  EXPECT_STREQ(text, "00");
  FormatGridColumnHeader(16, text, sizeof text);
  EXPECT_STREQ(text, "0F");
  EXPECT_EQ(Cell(CodeGrid::Characters, 4, 0), " 40");
  EXPECT_EQ(Cell(CodeGrid::VirtualKeys, 7, 0), "v70");
}

TEST(CodeListGrid, CellCodesRunRowByRowFromTheFirstCodeColumn) {
  EXPECT_EQ(GridCellCode(0, 1), 0x00);
  EXPECT_EQ(GridCellCode(4, 2), 0x41);
  EXPECT_EQ(GridCellCode(0, 14), 0x0D);
  EXPECT_EQ(GridCellCode(15, 16), 0xFF);
  EXPECT_EQ(GridCellCode(4, 0), -1);
  EXPECT_EQ(GridCellCode(-1, 1), -1);
  EXPECT_EQ(GridCellCode(16, 1), -1);
  EXPECT_EQ(GridCellCode(0, 17), -1);
}

TEST(CodeListGrid, CellsShowEveryCharacterNameAndTheNamedVirtualKeys) {
  for (int code = 0; code < 256; ++code) {
    ASSERT_EQ(Cell(CodeGrid::Characters, code / 16, code % 16 + 1), CharCodeNames[code]) << code;
    ASSERT_EQ(Cell(CodeGrid::VirtualKeys, code / 16, code % 16 + 1), VirtualKeyNames[code])
        << code;
  }
  EXPECT_EQ(Cell(CodeGrid::Characters, 4, 2), "A");
  EXPECT_EQ(Cell(CodeGrid::Characters, 0, 1), "NUL");
  EXPECT_EQ(Cell(CodeGrid::VirtualKeys, 0, 14), "ENT");
  EXPECT_EQ(Cell(CodeGrid::VirtualKeys, 0, 6), "");  // 0x05 has no name
  EXPECT_EQ(Cell(CodeGrid::Characters, 16, 1), "");
}

TEST(CodeListGrid, TokensOfCellsAndCellsThatInsertNothing) {
  EXPECT_EQ(Token(CodeGrid::Characters, 4, 2), "x41");
  EXPECT_EQ(Token(CodeGrid::Characters, 0, 1), "x00");
  EXPECT_EQ(Token(CodeGrid::Characters, 15, 16), "xFF");
  EXPECT_EQ(Token(CodeGrid::VirtualKeys, 0, 14), "v0D");
  EXPECT_EQ(Token(CodeGrid::VirtualKeys, 10, 6), "vA5");
  EXPECT_EQ(Token(CodeGrid::VirtualKeys, 0, 1), "-");   // 0x00 has no name
  EXPECT_EQ(Token(CodeGrid::VirtualKeys, 10, 7), "-");  // 0xA6 has no name
  EXPECT_EQ(Token(CodeGrid::Characters, 4, 0), "-");    // row label
  EXPECT_EQ(Token(CodeGrid::VirtualKeys, 0, 0), "-");
  EXPECT_EQ(Token(CodeGrid::Characters, 16, 1), "-");
  int named = 0;
  for (int code = 0; code < 256; ++code) {
    if (Token(CodeGrid::VirtualKeys, code / 16, code % 16 + 1) != "-") ++named;
  }
  EXPECT_EQ(named, 122);
}

TEST(CodeListInsertion, BlanksSeparateTheTokenFromItsNeighbours) {
  EXPECT_EQ(Insert("", 0, 0, "x42"), "x42");
  EXPECT_EQ(Insert("x41", 3, 3, "x42"), "x41 x42");
  EXPECT_EQ(Insert("x41", 0, 0, "x42"), "x42 x41");
  EXPECT_EQ(Insert("x41", 1, 1, "x42"), "x x42 41");
}

TEST(CodeListInsertion, NoBlankBesideAnExistingBlank) {
  EXPECT_EQ(Insert("x41 x43", 4, 4, "x42"), "x41 x42 x43");
  EXPECT_EQ(Insert("x41 x43", 3, 3, "x42"), "x41 x42 x43");
  EXPECT_EQ(Insert("x41 ", 4, 4, "x42"), "x41 x42");
  EXPECT_EQ(Insert(" x41", 0, 0, "x42"), "x42 x41");
}

TEST(CodeListInsertion, ASelectionIsReplacedAndJudgedByItsEnds) {
  EXPECT_EQ(Insert("x41 x43", 4, 7, "v0D"), "x41 v0D");
  EXPECT_EQ(Insert("x41 x43", 0, 3, "v0D"), "v0D x43");
  EXPECT_EQ(Insert("x41x43", 2, 4, "v0D"), "x4 v0D 43");
  EXPECT_EQ(Insert("x41", 0, 3, "v0D"), "v0D");
}

TEST(CodeListInsertion, PositionsBeyondTheTextCountAsItsEnd) {
  char out[16] = {};
  BuildCodeInsertion("x41", 3, 40, 40, "x42", out, sizeof out);
  EXPECT_STREQ(out, " x42");
  BuildCodeInsertion("x41", 3, -5, -5, "x42", out, sizeof out);
  EXPECT_STREQ(out, "x42 ");
  BuildCodeInsertion("x41", 3, 3, 3, "x42", out, 3);  // cut to the buffer, still terminated
  EXPECT_STREQ(out, " x");
}

TEST(CodeListDisplay, TheFieldsModeAndLengthDecideWhatTheTextMeans) {
  char out[kByteListDisplaySize];
  DescribeCodeText("x00", 0, out, sizeof out);
  EXPECT_STREQ(out, "Err");
  DescribeCodeText("x41 x42", 0, out, sizeof out);
  EXPECT_STREQ(out, "A B");
  DescribeCodeText("v0D", 0, out, sizeof out);
  EXPECT_STREQ(out, "Err");
  DescribeCodeText("v0D", 6, out, sizeof out);
  EXPECT_STREQ(out, "[ENT]");
  DescribeCodeText("v11+v43 x41 x42 x43 x44 x45", 7, out, sizeof out);
  EXPECT_STREQ(out, "[CTRL]+[C] A B C D E");
  DescribeCodeText("x41 x42 x43 x44 x45 x46", 5, out, sizeof out);
  EXPECT_STREQ(out, "A B C D E");
  DescribeCodeText("x41 x42 x43 x44 x45 x46", kRequestCodeField, out, sizeof out);
  EXPECT_STREQ(out, "A B C D E F");
  DescribeCodeText("", 6, out, sizeof out);
  EXPECT_STREQ(out, "");
}
