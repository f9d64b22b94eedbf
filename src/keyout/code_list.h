// Contents of the key code list: which main-dialog field is being written and how it is
// parsed, and the two 16 x 16 grids of codes (character codes and virtual keys) with their
// labels and the token each cell inserts, and the text a double-click on a cell puts into the
// code text.
#pragma once
#include <cstddef>

#include "keyout/code_notation.h"

enum class CodeGrid {
  Characters,   // the 256 byte codes, inserted as "x%02X"
  VirtualKeys,  // the named virtual keys, inserted as "v%02X"
};

// The fields by their index: KANJIIN ... RCVEND, PRECODE and POSTCODE (the main dialog's code
// lists, in the order of their controls), REQCODE (the extended settings dialog's). Plain
// enumerators, so that an index computed from a control's id compares with them.
enum CodeField : int {
  kKanjiInField,
  kKanjiOutField,
  kKanaInField,
  kKanaOutField,
  kReceiveStartField,
  kReceiveEndField,
  kPreCodeField,
  kPostCodeField,
  kRequestCodeField,
  kCodeFieldCount,
};
inline constexpr int kCodeGridRows = 16;
inline constexpr int kCodeGridColumns = 17;  // the row label, then codes 0 to F of the row

// Label of a field (code page 932), "" outside that range.
const char* CodeFieldLabel(int fieldIndex);
// Byte mode for the byte fields, key mode for PRECODE and POSTCODE.
NotationMode CodeFieldMode(int fieldIndex);
// The items the field holds: 5 for the shift and frame codes, 10 for the key sequences, 20 for
// the request.
int CodeFieldLength(int fieldIndex);
// Characters the dialog's code text takes for the field: 40, or 98 for the request (20 codes
// written in decimal need 99; the text a code field hands over holds 98).
int CodeFieldTextLimit(int fieldIndex);

// " %X0" (characters) or "v%X0" (virtual keys) of the row; out needs 4 bytes.
void FormatGridRowLabel(CodeGrid grid, int row, char* out, std::size_t size);
// "" for the label column, "%02X" of column - 1 for the code columns.
void FormatGridColumnHeader(int column, char* out, std::size_t size);
// row * 16 + column - 1 for a code cell, -1 for the label column or outside the grid.
int GridCellCode(int row, int column);
// Text of a cell: its row label in column 0, else the code's name ("" for an unnamed virtual
// key, and outside the grid).
void FormatGridCell(CodeGrid grid, int row, int column, char* out, std::size_t size);
// The token that a double-click on the cell inserts; false (and out empty) when the cell
// inserts nothing: the label column, outside the grid, or a virtual key without a name.
bool GridCellToken(CodeGrid grid, int row, int column, char* out, std::size_t size);

// What the code text means, as the dialog's display line shows it: parsed in the mode and to
// the length of the field; the parsed values themselves are not kept.
void DescribeCodeText(const char* text, int fieldIndex, char* out, std::size_t size);

// The characters that a double-click in the key code list types into the code text: the
// cell's token, with a blank on either side where the token would otherwise touch another.
// text holds length characters (its terminator need not be there); the selection runs from
// selStart to selEnd. A blank goes before the token when the selection starts after the first
// position and the character before it is not a blank, and after the token when the selection
// ends before the end of the text and the character at its end is not a blank. Positions
// outside the text count as its end. out gets at most size - 1 characters.
void BuildCodeInsertion(const char* text, int length, int selStart, int selEnd,
                        const char* token, char* out, std::size_t size);
