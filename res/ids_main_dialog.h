// Control ids of the main dialog MainFormDlg. Other dialogs and the reader thread rely on these
// numbers: the code edits are 1003 + field index, each code edit's readable field is its id + 8,
// and 1026/1027 are the input and output displays.
#pragma once

// Communication settings
#define IDC_GROUP_COMM 901
#define IDC_PORT 501
#define IDC_BAUD 502
#define IDC_BITS 503
#define IDC_PARITY 504
#define IDC_RTSC 505
#define IDC_STOPBIT 507
#define IDC_CONVCODE 508
#define IDC_CTSC 510
#define IDC_XFLOWC 511
#define IDC_PORTID 512

// Receive settings
#define IDC_GROUP_RECEIVE 908
#define IDC_RCVSTA_LIST 1044
#define IDC_RCVSTA 1007
#define IDC_RCVSTAOUT 1028
#define IDC_RCVSTA_TEXT 1015
#define IDC_RCVEND_LIST 1045
#define IDC_RCVEND 1008
#define IDC_RCVENDOUT 1029
#define IDC_RCVEND_TEXT 1016
#define IDC_DATAWAIT 1032
#define IDC_DATADELAY 1031

// Send settings, automatic start, conversion
#define IDC_GROUP_SEND 917
#define IDC_SENDDELAY 1033
#define IDC_SENDMODE 1060
#define IDC_AUTOSTA 1055
#define IDC_GROUP_CONVERT 913

// Two-byte shift codes
#define IDC_GROUP_KANJI 914
#define IDC_KANJIIN_LIST 1040
#define IDC_KANJIIN 1003
#define IDC_KANJIIN_TEXT 1011
#define IDC_KANJIOUT_LIST 1041
#define IDC_KANJIOUT 1004
#define IDC_KANJIOUT_TEXT 1012
#define IDC_PRESET_ESC_DOLLAR_B 1021
#define IDC_PRESET_ESC_K_H 1020
#define IDC_PRESET_ESC_SO_SI 1019
#define IDC_PRESET_ESC_AT_B 1022
#define IDC_PRESET_ESC_9B 1023

// Half-width kana shift codes
#define IDC_GROUP_KANA 915
#define IDC_KANAIN_LIST 1042
#define IDC_KANAIN 1005
#define IDC_KANAIN_TEXT 1013
#define IDC_KANAOUT_LIST 1043
#define IDC_KANAOUT 1006
#define IDC_KANAOUT_TEXT 1014
#define IDC_PRESET_SO_SI 1024
#define IDC_PRESET_ESC_I 1025

// Added key sequences
#define IDC_GROUP_KEYS 916
#define IDC_PRECODE_LIST 1046
#define IDC_PRECODE 1009
#define IDC_PRECODE_TEXT 1017
#define IDC_POSTCODE_LIST 1047
#define IDC_POSTCODE 1010
#define IDC_POSTCODE_TEXT 1018

// Displays and buttons
#define IDC_INPUT_DISPLAY 1026
#define IDC_OUTPUT_DISPLAY 1027
#define IDC_CLEAR 1002
#define IDC_LOG_SETTINGS 153
#define IDC_EXT_SETTINGS 1061
#define IDC_ABOUT 152
#define IDC_LOAD 1000
#define IDC_SAVE 1001
#define IDC_START 1
#define IDC_STOP 3

// Relations between the code edits, their readable fields and their key code list buttons.
#define IDC_FIRST_CODE_EDIT 1003
#define IDC_CODE_TEXT_OFFSET 8
#define IDC_FIRST_CODE_LIST 1040
