// The key code list dialog's procedure: opening from the main dialog's field, the display line
// that follows the code text, and OK (write back) or Cancel (change nothing).
#include "keyout/keypad_dialog_win32.h"

#include "app/shell_state_win32.h"
#include "app/messages_win32.h"
#include "ids_keypad_dialog.h"
#include "ids_main_dialog.h"
#include "keyout/code_list_grid.h"

int CodeFieldIndex = 0;
KeyPadWindows KeyPad;

namespace {

// Texts are read with room for 98 characters, the most a code field holds.
constexpr int kReadSize = 99;

bool KeyMode() { return CodeFieldMode(CodeFieldIndex) == NotationMode::Keys; }

int FieldEditId() { return IDC_FIRST_CODE_EDIT + CodeFieldIndex; }

void RefreshDisplay(HWND dialog) {
  char text[kReadSize] = {};
  GetDlgItemTextA(dialog, IDC_CODE_TEXT, text, sizeof text);
  char display[kNotationDisplaySize] = {};
  DescribeCodeText(text, CodeFieldMode(CodeFieldIndex), display, sizeof display);
  SetDlgItemTextA(dialog, IDC_CODE_DISPLAY, display);
}

void Initialise(HWND dialog) {
  KeyPad = KeyPadWindows{};
  KeyPad.dialog = dialog;
  CenterOnDesktop(dialog);
  SendDlgItemMessageA(dialog, IDC_CODE_TEXT, EM_LIMITTEXT, kCodeTextLimit, 0);
  char text[kReadSize] = {};
  GetDlgItemTextA(MainDialogWindow, FieldEditId(), text, sizeof text);
  SetDlgItemTextA(dialog, IDC_CODE_TEXT, text);
  RefreshDisplay(dialog);
  SendDlgItemMessageA(dialog, IDC_CODE_TEXT, EM_SETSEL, kCodeTextLimit, kCodeTextLimit);
  SetDlgItemTextA(dialog, IDC_FIELD_LABEL, CodeFieldLabel(CodeFieldIndex));
  SetUpCodeGrids(dialog, KeyMode());
}

// The handles stay until the next opening: the lists still receive their last messages while
// the dialog is taken down.
void Finish(HWND dialog, INT_PTR result) { EndDialog(dialog, result); }

void WriteBack(HWND dialog) {
  char text[kReadSize] = {};
  GetDlgItemTextA(dialog, IDC_CODE_TEXT, text, sizeof text);
  // The main dialog's change handler parses the text and stores it in Settings.
  SetDlgItemTextA(MainDialogWindow, FieldEditId(), text);
  Finish(dialog, IDOK);
}

INT_PTR OnCommand(HWND dialog, int id, int code) {
  switch (id) {
    case IDOK:
      WriteBack(dialog);
      return TRUE;
    case IDCANCEL:
      Finish(dialog, IDCANCEL);
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
  SetWindowLongPtrA(dialog, DWLP_MSGRESULT, DrawCodeGrid(header, KeyMode()));
  return TRUE;
}

}  // namespace

INT_PTR CALLBACK KeyPadDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise(dialog);
      return TRUE;
    case WM_COMMAND:
      return OnCommand(dialog, LOWORD(wparam), HIWORD(wparam));
    case WM_NOTIFY:
      return OnNotify(dialog, reinterpret_cast<const NMHDR*>(lparam));
    case WM_CLOSE:
      Finish(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

void OpenKeyCodeListDialog(HWND owner, int fieldIndex) {
  if (fieldIndex < 0 || fieldIndex >= kCodeFieldCount) return;
  CodeFieldIndex = fieldIndex;
  DialogBoxParamA(AppInstance, "KeyPadDlg", owner, &KeyPadDlgProc, 0);
}
