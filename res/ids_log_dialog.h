// Control ids of the log settings dialog LogSettingDlg. OK and cancel are the usual 1 and 2.
#pragma once

// Recording
#define IDC_LOG_OFF 1160
#define IDC_LOG_ON 1161
#define IDC_LOG_NOSEND 1162

// How the file is opened
#define IDC_LOG_NEWFILE 1163
#define IDC_LOG_APPEND 1164

// Size limit and what happens at it
#define IDC_LOG_SIZE 1165
#define IDC_LOG_SHOWMSG 1166
#define IDC_LOG_ABORT 1167

// Folder and file name
#define IDC_LOG_FOLDER 1168
#define IDC_LOG_BROWSE_FOLDER 1169
#define IDC_LOG_BROWSE_FILE 1170
#define IDC_LOG_FILE 1171

// Record form
#define IDC_LOG_BYNAME 1172
#define IDC_LOG_DATE 1174
#define IDC_LOG_TIME 1175
#define IDC_LOG_ADDENT 1176
