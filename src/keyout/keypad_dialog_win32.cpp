// The key code list dialog KeyPadDlg: opening on the given text, the display line that follows
// the code text, and OK (the text goes back to the opener) or Cancel (nothing); its two grids of
// codes are list views in report view with a label column and 16 code columns, with their
// colours and the double-click that types a cell's token.
#include "keyout/keypad_dialog_win32.h"

#include <windowsx.h>
#include <commctrl.h>

#include <cstring>

#include "common/ui_win32.h"
#include "common/wide_text_win32.h"
#include "ids_keypad_dialog.h"
#include "keyout/code_list.h"

namespace {

// What one opening of the dialog works on, kept in the dialog's user data and handed to the
// grids' subclass procedure.
struct KeyPadState {
  int fieldIndex = 0;
  CodeFieldText text;         // in: the starting text; out: the text OK read
  HWND dialog = nullptr;
  HWND vkeyList = nullptr;    // IDC_VKEY_LIST
};

LRESULT CALLBACK CodeListProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                              DWORD_PTR state);

// ---- the grids ---------------------------------------------------------------------------------

// Pixels at 96 DPI; the lists themselves are sized in dialog units and follow the DPI.
constexpr int kLabelColumnWidth = 34;
constexpr int kCodeColumnWidth = 37;

int ColumnWidth(int column, UINT dpi) {
  return ScaleToDpi(column == 0 ? kLabelColumnWidth : kCodeColumnWidth, dpi);
}

void AddColumns(HWND list, UINT dpi) {
  for (int column = 0; column < kCodeGridColumns; ++column) {
    char header[4] = {};
    FormatGridColumnHeader(column, header, sizeof header);
    wchar_t wide[4] = {};
    Cp932ToWide(header, wide, 4);
    LVCOLUMNW description{};
    description.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    description.fmt = column == 0 ? LVCFMT_LEFT : LVCFMT_CENTER;
    description.cx = ColumnWidth(column, dpi);
    description.pszText = wide;
    description.iSubItem = column;
    SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&description));
  }
}

void AddRows(HWND list, CodeGrid grid) {
  for (int row = 0; row < kCodeGridRows; ++row) {
    char text[8] = {};
    wchar_t wide[8] = {};
    FormatGridCell(grid, row, 0, text, sizeof text);
    Cp932ToWide(text, wide, 8);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = wide;
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    for (int column = 1; column < kCodeGridColumns; ++column) {
      FormatGridCell(grid, row, column, text, sizeof text);
      Cp932ToWide(text, wide, 8);
      item.iSubItem = column;
      item.pszText = wide;
      SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    }
  }
}

void FillGrid(HWND list, CodeGrid grid) {
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);
  AddColumns(list, WindowDpi(list));
  AddRows(list, grid);
}

void HandOverToCodeListProc(HWND list, KeyPadState& state) {
  SetWindowSubclass(list, &CodeListProc, 0, reinterpret_cast<DWORD_PTR>(&state));
}

LRESULT DrawCell(NMLVCUSTOMDRAW* draw, bool greyCodes) {
  if (draw->iSubItem == 0) {
    draw->clrText = GetSysColor(COLOR_WINDOWTEXT);
    draw->clrTextBk = GetSysColor(COLOR_BTNFACE);
  } else {
    draw->clrText = GetSysColor(greyCodes ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
    draw->clrTextBk = GetSysColor(COLOR_WINDOW);
  }
  return CDRF_NEWFONT;
}

// Types each character of the insertion into the code text, as the keyboard would.
void TypeIntoCodeText(HWND edit, const char* insertion) {
  wchar_t wide[16] = {};
  Cp932ToWide(insertion, wide, 16);
  for (const wchar_t* c = wide; *c != 0; ++c) SendMessageW(edit, WM_CHAR, *c, 0);
}

void InsertCellToken(HWND list, LPARAM position, const KeyPadState& state) {
  LVHITTESTINFO hit{};
  hit.pt.x = GET_X_LPARAM(position);
  hit.pt.y = GET_Y_LPARAM(position);
  hit.iItem = -1;
  SendMessageA(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  if (hit.iItem < 0 || (hit.flags & LVHT_ONITEM) == 0) return;
  const CodeGrid grid = list == state.vkeyList ? CodeGrid::VirtualKeys : CodeGrid::Characters;
  char token[8] = {};
  if (!GridCellToken(grid, hit.iItem, hit.iSubItem, token, sizeof token)) return;

  HWND edit = GetDlgItem(state.dialog, IDC_CODE_TEXT);
  DWORD start = 0;
  DWORD end = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  // The whole text is read, so that the neighbours of the selection are always inside the
  // buffer (a text set from the main dialog may be longer than the typing limit).
  // The edit counts its selection in UTF-16 units; the insertion rule works on the text's
  // code page 932 bytes.
  wchar_t wide[100] = {};
  GetWindowTextW(edit, wide, 100);
  char text[200] = {};
  WideToCp932(wide, text, sizeof text);
  const int length = static_cast<int>(std::strlen(text));
  char insertion[16] = {};
  BuildCodeInsertion(text, length, Cp932Length(wide, static_cast<int>(start)),
                     Cp932Length(wide, static_cast<int>(end)), token, insertion, sizeof insertion);
  TypeIntoCodeText(edit, insertion);
}

// Fills both lists with their columns (sized for the lists' DPI), rows and names, and puts
// CodeListProc on the lists that insert codes.
void SetUpCodeGrids(KeyPadState& state, bool keyMode) {
  HWND charList = GetDlgItem(state.dialog, IDC_CHAR_LIST);
  state.vkeyList = GetDlgItem(state.dialog, IDC_VKEY_LIST);
  FillGrid(charList, CodeGrid::Characters);
  FillGrid(state.vkeyList, CodeGrid::VirtualKeys);
  HandOverToCodeListProc(charList, state);
  if (keyMode) {
    HandOverToCodeListProc(state.vkeyList, state);
  } else {
    EnableWindow(state.vkeyList, FALSE);
  }
}

// Sizes the grids' columns for dpi (the columns are sized in pixels, the lists in dialog units).
void ScaleCodeGrids(HWND dialog, UINT dpi) {
  for (const int id : {IDC_CHAR_LIST, IDC_VKEY_LIST}) {
    HWND list = GetDlgItem(dialog, id);
    for (int column = 0; column < kCodeGridColumns; ++column) {
      SendMessageA(list, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(ColumnWidth(column, dpi), 0));
    }
  }
}

// Answers a custom-draw notification of one of the two lists (the result for DWLP_MSGRESULT).
LRESULT DrawCodeGrid(const NMHDR* header, bool keyMode) {
  if (header->code != NM_CUSTOMDRAW) return 0;
  auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header));
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
      return DrawCell(draw, !keyMode && header->idFrom == IDC_VKEY_LIST);
    default:
      return 0;
  }
}

// Subclass procedure of the lists (reference data: the KeyPadState): a double-click on a cell
// types its token into the code text; every other message goes on to the list view.
LRESULT CALLBACK CodeListProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                              DWORD_PTR state) {
  if (message == WM_LBUTTONDBLCLK) {
    InsertCellToken(list, lparam, *reinterpret_cast<const KeyPadState*>(state));
    return 0;
  }
  // The state lives only as long as the dialog: the list takes its subclass off as it goes.
  if (message == WM_NCDESTROY) RemoveWindowSubclass(list, &CodeListProc, 0);
  return DefSubclassProc(list, message, wparam, lparam);
}

// ---- the dialog --------------------------------------------------------------------------------

KeyPadState& State(HWND dialog) {
  return *reinterpret_cast<KeyPadState*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

bool KeyMode(const KeyPadState& state) { return CodeFieldMode(state.fieldIndex) == NotationMode::Keys; }

void RefreshDisplay(HWND dialog) {
  CodeFieldText text;
  GetDlgItemText932(dialog, IDC_CODE_TEXT, text.text, sizeof text.text);
  char display[kByteListDisplaySize] = {};
  DescribeCodeText(text.text, State(dialog).fieldIndex, display, sizeof display);
  SetDlgItemText932(dialog, IDC_CODE_DISPLAY, display);
}

void Initialise(HWND dialog, KeyPadState& state) {
  state.dialog = dialog;
  SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
  CenterOnDesktop(dialog);
  const int limit = CodeFieldTextLimit(state.fieldIndex);
  SendDlgItemMessageA(dialog, IDC_CODE_TEXT, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
  SetDlgItemText932(dialog, IDC_CODE_TEXT, state.text.text);
  RefreshDisplay(dialog);
  SendDlgItemMessageA(dialog, IDC_CODE_TEXT, EM_SETSEL, static_cast<WPARAM>(limit), limit);
  SetDlgItemText932(dialog, IDC_FIELD_LABEL, CodeFieldLabel(state.fieldIndex));
  SetUpCodeGrids(state, KeyMode(state));
}

void Confirm(HWND dialog) {
  KeyPadState& state = State(dialog);
  state.text = CodeFieldText{};
  GetDlgItemText932(dialog, IDC_CODE_TEXT, state.text.text, sizeof state.text.text);
  EndDialog(dialog, IDOK);
}

INT_PTR OnCommand(HWND dialog, int id, int code) {
  switch (id) {
    case IDOK:
      Confirm(dialog);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    case IDC_CODE_TEXT:
      if (code != EN_CHANGE) return FALSE;
      RefreshDisplay(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR OnNotify(HWND dialog, const NMHDR* header) {
  if (header->idFrom != IDC_CHAR_LIST && header->idFrom != IDC_VKEY_LIST) return FALSE;
  // The lists are created before the dialog's initialisation hands it its state.
  if (GetWindowLongPtrA(dialog, GWLP_USERDATA) == 0) return FALSE;
  SetWindowLongPtrA(dialog, DWLP_MSGRESULT, DrawCodeGrid(header, KeyMode(State(dialog))));
  return TRUE;
}

INT_PTR CALLBACK KeyPadDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise(dialog, *reinterpret_cast<KeyPadState*>(lparam));
      return TRUE;
    case WM_COMMAND:
      return OnCommand(dialog, LOWORD(wparam), HIWORD(wparam));
    case WM_NOTIFY:
      return OnNotify(dialog, reinterpret_cast<const NMHDR*>(lparam));
    case WM_CLOSE:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    case WM_DPICHANGED:
      return PostAfterDpiChange(dialog, wparam);
    case kAfterDpiChangeMessage:
      ScaleCodeGrids(dialog, static_cast<UINT>(wparam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

std::optional<CodeFieldText> EditCodeFieldText(HWND owner, int fieldIndex, const CodeFieldText& start) {
  if (fieldIndex < 0 || fieldIndex >= kCodeFieldCount) return std::nullopt;
  KeyPadState state;
  state.fieldIndex = fieldIndex;
  state.text = start;
  const INT_PTR result = DialogBoxParamW(AppInstance, L"KeyPadDlg", owner, &KeyPadDlgProc,
                                         reinterpret_cast<LPARAM>(&state));
  if (result != IDOK) return std::nullopt;
  return state.text;
}
