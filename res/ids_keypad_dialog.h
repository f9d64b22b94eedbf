// Control ids of the key code list dialog KeyPadDlg.
#pragma once

#define IDC_CODE_TEXT 1052      // the code text being written
#define IDC_CODE_DISPLAY 1053   // what the code text means
#define IDC_CHAR_LIST 1050      // grid of the 256 character codes
#define IDC_VKEY_LIST 1051      // grid of the named virtual keys
#define IDC_FIELD_LABEL 1054    // name of the main dialog's field being edited
