// The key code list dialog's procedure: opening on the given text, the display line that
// follows the code text, and OK (the text goes back to the opener) or Cancel (nothing).
#include "keyout/keypad_dialog_win32.h"

#include "common/dpi_win32.h"
#include "common/messages_win32.h"
#include "common/shell_state_win32.h"
#include "common/wide_text_win32.h"
#include "ids_keypad_dialog.h"
#include "keyout/code_list_grid.h"

namespace {

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
