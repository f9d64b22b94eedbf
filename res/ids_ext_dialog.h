// Control ids of the extended settings dialog ExtSettingDlg ("拡張設定").
#pragma once

// Requests to the device
#define IDC_EXT_GROUP_REQUEST 1200
#define IDC_REQCODE_LIST 1201       // key code list for REQCODE
#define IDC_REQCODE 1202
#define IDC_REQCODE_TEXT 1203       // readable form of REQCODE
#define IDC_REQTIMER 1204
#define IDC_REQAFTER 1205
#define IDC_REQHOTKEY 1206
#define IDC_REQUEST_NOW 1207        // "今すぐ送信": enabled only while receiving

// Frame pattern
#define IDC_EXT_GROUP_FILTER 1210
#define IDC_FILTER 1211
#define IDC_FILTER_PRESET 1212      // drop-down list of patterns that fill IDC_FILTER and IDC_OUTPUT
#define IDC_FILTER_SAMPLE 1213      // a line to try the pattern on
#define IDC_FILTER_RESULT 1214      // what the pattern and the output template make of it
#define IDC_DUPTIME 1215
#define IDC_OUTPUT 1216             // the output template

// Target window
#define IDC_EXT_GROUP_TARGET 1220
#define IDC_TARGET 1221
#define IDC_TARGET_PICK 1222        // "選択...": choose among the open windows
#define IDC_TARGETMODE 1223
#define IDC_TARGETWAIT 1224

// Input method
#define IDC_IMEOFF 1240             // "IME を一時的にオフにする"

// Start with Windows (not a setting of the file)
#define IDC_START_WITH_WINDOWS 1230

// Connection: the COM port or the network
#define IDC_EXT_GROUP_SOURCE 1250
#define IDC_SOURCE 1251
#define IDC_TCPHOST 1252
#define IDC_TCPPORT 1253
#define IDC_TCPALLOW 1254
