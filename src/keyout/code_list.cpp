#include "keyout/code_list.h"

#include <cstdint>
#include <cstdio>

#include "keyout/code_notation.h"

namespace {

const char* const FieldLabels[kCodeFieldCount] = {
    "漢字開始コード",     "漢字終了コード", "半角カナ開始コード", "半角カナ終了コード",
    "受信開始コード",     "受信終了コード", "付加コード（前）",   "付加コード（後）",
    "要求コード",
};

bool InGrid(int row, int column) {
  return row >= 0 && row < kCodeGridRows && column >= 0 && column < kCodeGridColumns;
}

void Copy(const char* text, char* out, std::size_t size) {
  if (size == 0) return;
  std::snprintf(out, size, "%s", text);
}

int Clamp(int position, int length) {
  if (position < 0) return 0;
  return position > length ? length : position;
}

}  // namespace

const char* CodeFieldLabel(int fieldIndex) {
  if (fieldIndex < 0 || fieldIndex >= kCodeFieldCount) return "";
  return FieldLabels[fieldIndex];
}

NotationMode CodeFieldMode(int fieldIndex) {
  return fieldIndex == kPreCodeField || fieldIndex == kPostCodeField ? NotationMode::Keys : NotationMode::Bytes;
}

int CodeFieldLength(int fieldIndex) {
  if (fieldIndex == kRequestCodeField) return kMaxRequestBytes;
  return CodeFieldMode(fieldIndex) == NotationMode::Keys ? kMaxKeyItems : kMaxCodeBytes;
}

int CodeFieldTextLimit(int fieldIndex) { return fieldIndex == kRequestCodeField ? 98 : 40; }

void FormatGridRowLabel(CodeGrid grid, int row, char* out, std::size_t size) {
  if (size == 0) return;
  std::snprintf(out, size, grid == CodeGrid::Characters ? " %01X0" : "v%01X0", row & 0xF);
}

void FormatGridColumnHeader(int column, char* out, std::size_t size) {
  if (size == 0) return;
  if (column < 1 || column >= kCodeGridColumns) {
    out[0] = 0;
    return;
  }
  std::snprintf(out, size, "%02X", column - 1);
}

int GridCellCode(int row, int column) {
  if (!InGrid(row, column) || column == 0) return -1;
  return row * 16 + column - 1;
}

void FormatGridCell(CodeGrid grid, int row, int column, char* out, std::size_t size) {
  if (size == 0) return;
  if (InGrid(row, column) && column == 0) {
    FormatGridRowLabel(grid, row, out, size);
    return;
  }
  const int code = GridCellCode(row, column);
  if (code < 0) {
    out[0] = 0;
    return;
  }
  Copy(grid == CodeGrid::Characters ? CharCodeNames[code] : VirtualKeyNames[code], out, size);
}

bool GridCellToken(CodeGrid grid, int row, int column, char* out, std::size_t size) {
  if (size == 0) return false;
  out[0] = 0;
  const int code = GridCellCode(row, column);
  if (code < 0) return false;
  if (grid == CodeGrid::VirtualKeys && VirtualKeyNames[code][0] == 0) return false;
  std::snprintf(out, size, grid == CodeGrid::Characters ? "x%02X" : "v%02X", code);
  return true;
}

void DescribeCodeText(const char* text, int fieldIndex, char* out, std::size_t size) {
  if (CodeFieldMode(fieldIndex) == NotationMode::Keys) {
    Copy(ParseCodeNotation(text, NotationMode::Keys).display, out, size);
    return;
  }
  std::uint8_t bytes[kMaxRequestBytes];
  char display[kByteListDisplaySize];
  ParseByteList(text, bytes, CodeFieldLength(fieldIndex), display, sizeof display);
  Copy(display, out, size);
}

void BuildCodeInsertion(const char* text, int length, int selStart, int selEnd,
                        const char* token, char* out, std::size_t size) {
  if (size == 0) return;
  if (length < 0) length = 0;
  const int start = Clamp(selStart, length);
  const int end = Clamp(selEnd, length);
  const bool blankBefore = start > 0 && text[start - 1] != ' ';
  const bool blankAfter = end < length && text[end] != ' ';
  std::snprintf(out, size, "%s%s%s", blankBefore ? " " : "", token, blankAfter ? " " : "");
}
